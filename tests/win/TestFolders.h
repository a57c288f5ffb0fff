// Scratch folders for the Windows tests, and a temporary folder redirected
// to one of them for the length of a test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tidemark::testing {

// A new empty folder under the real temporary folder, removed with its whole
// content when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return m_path; }  // no trailing backslash
  std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

 private:
  std::string m_path;
};

// Points TMP and TEMP, which GetTempPathA reads, at another folder; restores
// them afterwards.
class TempFolderRedirect {
 public:
  explicit TempFolderRedirect(const std::string& folder);
  ~TempFolderRedirect();
  TempFolderRedirect(const TempFolderRedirect&) = delete;
  TempFolderRedirect& operator=(const TempFolderRedirect&) = delete;

 private:
  std::optional<std::string> m_oldTmp;
  std::optional<std::string> m_oldTemp;
};

void RemoveTree(const std::string& path);
// The folder of the test program, where the test fixtures are built.
std::string TestProgramFolder();
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Makes `link` a Linux symbolic link to `target` (both Windows paths in the
// prefix), with the host's ln: this Wine's CreateSymbolicLinkA reports
// success and creates nothing, and it has no FSCTL_SET_REPARSE_POINT, but it
// reports a Linux link to a folder as a reparse point. False when it failed.
bool CreateLinuxSymlink(const std::string& link, const std::string& target);
// Removes such a link itself, never what it points to.
void RemoveLinuxSymlink(const std::string& link);

}  // namespace tidemark::testing
