#include "system/FileRemoval.h"

#include "system/MaskPath.h"
#include "system/UniqueHandle.h"

namespace tidemark {

void DeleteFilesByMask(const std::string& path) {
  const std::optional<MaskPath> split = SplitMaskPath(path);
  if (!split || !IsFullyQualifiedPath(split->folder)) return;
  DeleteFilesInDir(split->folder, split->mask);
}

void DeleteFilesInDir(const std::string& folder, const std::string& mask) {
  // An empty folder would give the base "\", the root of the current drive.
  if (folder.empty()) return;
  const std::string base = WithTrailingBackslash(folder);
  WIN32_FIND_DATAA found;
  UniqueFind search(FindFirstFileA((base + mask).c_str(), &found));
  if (!search) return;
  do {
    DeleteFileA((base + found.cFileName).c_str());
  } while (FindNextFileA(search.get(), &found));
}

void RemoveEmptyFolder(const std::string& folder) {
  if (!IsFullyQualifiedPath(folder)) return;
  RemoveDirectoryA(folder.c_str());
}

}  // namespace tidemark
