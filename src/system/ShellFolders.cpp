#include "system/ShellFolders.h"

#include <windows.h>
#include <shlobj.h>

namespace tidemark {

std::optional<std::string> GetSpecialFolder(int csidl) {
  char buffer[264] = {};
  if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return std::nullopt;
  std::string folder(buffer, strnlen(buffer, 261));
  if (folder.empty()) return std::nullopt;
  return folder;
}

std::optional<std::string> GetTempFolder() {
  constexpr DWORD kBufferSize = 1024;
  char buffer[kBufferSize] = {};
  const DWORD length = GetTempPathA(kBufferSize, buffer);
  // A result of the buffer's size or more is the size the path would need:
  // the buffer holds no path then.
  if (length == 0 || length >= kBufferSize) return std::nullopt;
  std::string folder(buffer, length);
  folder.pop_back();  // GetTempPathA ends its path with a backslash
  if (folder.empty()) return std::nullopt;
  return folder;
}

}  // namespace tidemark
