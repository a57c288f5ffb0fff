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

bool IsExistingFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace tidemark
