// Deleting a file or an empty folder at the next restart: what Windows does
// with a file that cannot be deleted while it runs (a loaded DLL, a running
// program's image, a file held open without FILE_SHARE_DELETE).
//
// MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT and no new name appends the
// path to HKLM\SYSTEM\CurrentControlSet\Control\Session Manager, value
// PendingFileRenameOperations (REG_MULTI_SZ: "\??\C:\dir\file", then an
// empty target), and the session manager carries the operations out early in
// the next start, in the order they were registered. It needs the rights of
// an administrator, which the program has.
#pragma once

#include <string>
#include <unordered_set>

namespace tidemark {

// Schedules the file or (empty by then) folder for deletion at the next
// restart, unless it already is. True when it is scheduled now.
bool ScheduleDeletionAtRestart(const std::wstring& path);

// The paths that are scheduled for deletion at the next restart, read once.
class PendingDeletions {
 public:
  PendingDeletions();  // reads the session manager's list now

  // True when the path (a full path, in any case) is scheduled for deletion.
  bool Contains(const std::wstring& path) const;
  bool Contains(const std::string& ansiPath) const;

 private:
  std::unordered_set<std::wstring> m_paths;  // comparison keys, see PendingKey
};

}  // namespace tidemark
