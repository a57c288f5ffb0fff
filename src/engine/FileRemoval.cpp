#include "engine/FileRemoval.h"

#include "engine/PathSafety.h"
#include "system/AnsiNames.h"
#include "system/PendingDeletions.h"
#include "system/UniqueHandle.h"

namespace tidemark {

namespace {

// The folder as Windows opens it: relative parts and trailing dots resolved
// by GetFullPathNameA, 8.3 short names ("C:\PROGRA~1") replaced by
// GetLongPathNameA. A folder that does not exist keeps its full form.
std::string ResolvedFolder(const std::string& folder) {
  char full[1024];
  const DWORD fullLength = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
  if (fullLength == 0 || fullLength >= sizeof full) return folder;
  char longer[1024];
  const DWORD longLength = GetLongPathNameA(full, longer, sizeof longer);
  if (longLength == 0 || longLength >= sizeof longer) return std::string(full, fullLength);
  return std::string(longer, longLength);
}

std::optional<std::string> EnvironmentFolder(const char* name) {
  char buffer[1024];
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  return std::string(buffer, length);
}

// The errors of a file that Windows will not delete while something uses it:
// another process holds it open without FILE_SHARE_DELETE (32, 33), it is
// the image of a running program or a mapped DLL (5 on Windows and under
// Wine, 1224). The same file goes at the next restart, before any program
// can load it again.
bool IsInUse(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_USER_MAPPED_FILE;
}

// Deletes one file that the mask matched, as hard as the run may: read-only
// as a way to survive removal is cleared, and a file in use is scheduled for
// deletion at the next restart.
void RemoveMatchingFile(const std::string& folder, const FolderEntry& file) {
  // A file that is itself a symbolic link is deleted as the link: on
  // Windows DeleteFileA removes the link, never the file it points to.
  // A name without an exact ANSI form goes by its wide name, inside the
  // folder, never by its best-fit form, which may name another file.
  if (DeleteEntryFile(folder, file)) return;
  DWORD error = GetLastError();
  const std::wstring path = EntryWidePath(folder, file);
  if (file.IsReadOnly()) {
    // DeleteFile refuses a read-only file (error 5); the attribute goes only
    // from a file that is deleted anyway, and comes back when it stays.
    const DWORD kept = file.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (SetFileAttributesW(path.c_str(), kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept)) {
      if (DeleteEntryFile(folder, file)) return;
      error = GetLastError();
      if (IsInUse(error) && ScheduleDeletionAtRestart(path)) return;
      SetFileAttributesW(path.c_str(), file.attributes);
      return;
    }
  }
  if (IsInUse(error)) ScheduleDeletionAtRestart(path);
}

void DeleteMatchingFiles(const std::string& folder, const std::string& mask) {
  ForEachMatchingFile(folder, mask, [&folder](const FolderEntry& file) { RemoveMatchingFile(folder, file); });
}

// True when the folder holds entries and every one of them is scheduled for
// deletion at the restart: then it is empty once they are gone.
bool HoldsOnlyPendingDeletions(const std::string& folder) {
  const std::vector<FolderEntry> entries = ListFolderEntries(folder, "*");
  const PendingDeletions pending;
  for (const FolderEntry& entry : entries) {
    if (!pending.Contains(EntryWidePath(folder, entry))) return false;
  }
  return !entries.empty();
}

}  // namespace

FolderGuard ProtectedFolders(const FolderLookup& folders) {
  FolderGuard guard = GuardedFolders(folders);
  // Set by 64-bit Windows in every process, 32-bit ones included; under
  // WoW64 CSIDL_PROGRAM_FILES names "Program Files (x86)" instead.
  if (const std::optional<std::string> native = EnvironmentFolder("ProgramW6432")) guard.wellKnown.push_back(*native);
  return guard;
}

bool PassesThroughLink(const std::string& folder) {
  // Every prefix that ends before a separator, and the folder itself; the
  // drive's root ("C:\") is no link.
  for (std::size_t end = 3; end <= folder.size(); ++end) {
    if (end < folder.size() && !IsPathSeparator(folder[end])) continue;
    if (IsPathSeparator(folder[end - 1])) continue;  // a run of separators, or a trailing one
    const DWORD attributes = GetFileAttributesA(folder.substr(0, end).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
  }
  return false;
}

std::optional<MaskPath> FileDeletionTarget(const std::string& path, const FolderGuard& guard) {
  if (FileEntryVerdict(path, path, guard).IsRefused()) return std::nullopt;
  const FileValueCheck check = CheckFileValue(path, guard);
  // The text may spell a guarded folder another way: "C:\Windows\." or a
  // folder reached through links of its own.
  if (IsBroadMask(check.target.mask) && IsGuardedFromBroadMasks(ResolvedFolder(check.target.folder), guard)) {
    return std::nullopt;
  }
  if (PassesThroughLink(check.target.folder)) return std::nullopt;
  return check.target;
}

void ForEachMatchingFile(const std::string& folder, const std::string& mask,
                         const std::function<void(const FolderEntry&)>& found) {
  ForEachFolderEntry(folder, mask, [&](const FolderEntry& entry) {
    if (!entry.IsFolder() && MatchesFileMask(mask, entry.name)) found(entry);
  });
}

bool IsRemovableFolder(const std::string& folder, const FolderGuard& guard) {
  return !FolderEntryVerdict(folder, folder, guard).IsRefused() &&
         !IsGuardedFromRemoval(ResolvedFolder(folder), guard) && !PassesThroughLink(folder);
}

void DeleteFilesByMask(const std::string& path, const FolderGuard& guard) {
  const std::optional<MaskPath> target = FileDeletionTarget(path, guard);
  if (target) DeleteMatchingFiles(target->folder, target->mask);
}

void DeleteFilesInDir(const std::string& folder, const std::string& mask) {
  if (!IsSafeFolderPath(folder) || PassesThroughLink(folder)) return;
  DeleteMatchingFiles(folder, mask);
}

void RemoveEmptyFolder(const std::string& folder, const FolderGuard& guard) {
  if (!IsRemovableFolder(folder, guard) || RemoveDirectoryA(folder.c_str())) return;
  // Registered after its files, so that at the restart the files go first
  // and the folder, empty by then, after them.
  if (GetLastError() == ERROR_DIR_NOT_EMPTY && HoldsOnlyPendingDeletions(folder)) {
    ScheduleDeletionAtRestart(WideFromAnsi(folder));
  }
}

}  // namespace tidemark
