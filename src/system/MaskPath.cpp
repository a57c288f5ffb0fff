#include "system/MaskPath.h"

#include <algorithm>

namespace tidemark {

namespace {}  // namespace

std::optional<MaskPath> SplitMaskPath(std::string_view path) {
  // Neither "\", "/" nor ":" can be the trail byte of a code page 949
  // character, so a byte search finds only real separators.
  const std::size_t separator = path.find_last_of("\\/:");
  if (separator == std::string_view::npos) return std::nullopt;
  const bool keepSeparator =
      path[separator] == ':' || separator == 0 || IsPathSeparator(path[separator - 1]) || path[separator - 1] == ':';
  std::string folder(path.substr(0, keepSeparator ? separator + 1 : separator));
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return MaskPath{std::move(folder), std::string(path.substr(separator + 1))};
}

bool IsFullyQualifiedPath(std::string_view path) {
  return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
         path[1] == ':' && IsPathSeparator(path[2]);
}

std::string WithTrailingBackslash(std::string_view folder) {
  std::string base(folder);
  if (base.empty() || base.back() != '\\') base += '\\';
  return base;
}

}  // namespace tidemark
