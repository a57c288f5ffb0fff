#include "system/FolderEntries.h"

#include <windows.h>

#include "system/AnsiNames.h"
#include "system/MaskPath.h"
#include "system/UniqueHandle.h"

namespace tidemark {

bool FolderEntry::IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool FolderEntry::IsReadOnly() const { return (attributes & FILE_ATTRIBUTE_READONLY) != 0; }

bool FolderEntry::IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

unsigned long ForEachFolderEntry(const std::string& folder, const std::string& mask,
                                 const std::function<void(const FolderEntry&)>& found) {
  WIN32_FIND_DATAW entry;
  UniqueFind search(FindFirstFileW(WideFromAnsi(WithTrailingBackslash(folder) + mask).c_str(), &entry));
  if (!search) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
  }
  do {
    const std::wstring wide = entry.cFileName;
    if (wide == L"." || wide == L"..") continue;
    const std::uint64_t size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    found({AnsiFromWide(wide), entry.dwFileAttributes, size, wide, IsExactAnsiName(wide)});
  } while (FindNextFileW(search.get(), &entry));
  return 0;
}

std::vector<FolderEntry> ListFolderEntries(const std::string& folder, const std::string& mask) {
  std::vector<FolderEntry> entries;
  ForEachFolderEntry(folder, mask, [&entries](const FolderEntry& entry) { entries.push_back(entry); });
  return entries;
}

std::wstring EntryWidePath(const std::string& folder, const FolderEntry& entry) {
  return WideFromAnsi(WithTrailingBackslash(folder)) + entry.wideName;
}

bool DeleteEntryFile(const std::string& folder, const FolderEntry& entry) {
  if (entry.exactName) return DeleteFileA((WithTrailingBackslash(folder) + entry.name).c_str()) != FALSE;
  // A wide name that a file search hands back holds no separator, so the
  // path stays inside the folder.
  if (entry.wideName.empty() || entry.wideName.find_first_of(L"\\/:") != std::wstring::npos) return false;
  return DeleteFileW(EntryWidePath(folder, entry).c_str()) != FALSE;
}

bool IsFileInUse(const std::wstring& path) {
  // Asking for the right to delete is what a deletion asks for; a holder
  // that did not share deletion makes it fail with a sharing violation.
  const UniqueFile file(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

bool IsExistingFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace tidemark
