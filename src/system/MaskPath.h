// Splitting a "folder\mask" path from the script into its folder and mask.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidemark {

struct MaskPath {
  std::string folder;
  std::string mask;
};

// Splits at the last "\" or ":". The separator stays with the folder when it
// is a ":", the path's first character, or a "\" right after another "\" or
// a ":" (so "C:\*.tmp" gives the root "C:\"). Nothing when the path has no
// folder part at all: a bare mask must never be searched for in whatever
// folder happens to be current.
std::optional<MaskPath> SplitMaskPath(std::string_view path);

// True for a path that names its folder fully: a drive letter with ":\" or
// a "\\server\share" path. Anything else depends on the current drive or
// folder of the process, which for an elevated program is often the system
// folder.
bool IsFullyQualifiedPath(std::string_view path);

// The folder with a backslash appended unless it already ends with one.
std::string WithTrailingBackslash(std::string_view folder);

}  // namespace tidemark
