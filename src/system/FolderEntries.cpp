#include "system/FolderEntries.h"

#include <windows.h>

#include "system/MaskPath.h"
#include "system/UniqueHandle.h"

namespace tidemark {

bool FolderEntry::IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool FolderEntry::IsReadOnly() const { return (attributes & FILE_ATTRIBUTE_READONLY) != 0; }

bool FolderEntry::IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

unsigned long ForEachFolderEntry(const std::string& folder, const std::string& mask,
                                 const std::function<void(const FolderEntry&)>& found) {
  WIN32_FIND_DATAA entry;
  UniqueFind search(FindFirstFileA((WithTrailingBackslash(folder) + mask).c_str(), &entry));
  if (!search) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
  }
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::uint64_t size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    found({name, entry.dwFileAttributes, size});
  } while (FindNextFileA(search.get(), &entry));
  return 0;
}

bool IsExistingFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace tidemark
