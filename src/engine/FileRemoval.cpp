#include "engine/FileRemoval.h"

#include "engine/PathSafety.h"
#include "system/UniqueHandle.h"

namespace tidemark {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

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

void DeleteMatchingFiles(const std::string& folder, const std::string& mask) {
  ForEachMatchingFile(folder, mask, [&folder](const FolderEntry& file) {
    // A file that is itself a symbolic link is deleted as the link: on
    // Windows DeleteFileA removes the link, never the file it points to.
    // A name without an exact ANSI form goes by its wide name, inside the
    // folder, never by its best-fit form, which may name another file.
    DeleteEntryFile(folder, file);
  });
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
    if (end < folder.size() && !IsSeparator(folder[end])) continue;
    if (IsSeparator(folder[end - 1])) continue;  // a run of separators, or a trailing one
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
  if (IsRemovableFolder(folder, guard)) RemoveDirectoryA(folder.c_str());
}

}  // namespace tidemark
