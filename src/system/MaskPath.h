// Splitting a "folder\mask" path from the script into its folder and mask.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidemark {

// "\" and "/": Windows takes both as the separator of a path's components.
constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// "*" and "?", the wildcards of the Windows file search.
constexpr bool IsWildcard(char c) { return c == '*' || c == '?'; }

// True when the text holds a wildcard. Neither byte can be the trail byte of
// a code page 949 character, so a byte search finds only real ones.
constexpr bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

struct MaskPath {
  std::string folder;
  std::string mask;
};

// Splits at the last "\", "/" or ":", the characters that the Windows file
// search itself takes as the end of the folder part (so "dir\sub/*.*" is
// searched in "dir\sub", and must be deleted there too). The separator stays
// with the folder when it is a ":", the path's first character, or a "\" or
// "/" right after another separator or a ":" (so "C:\*.tmp" gives the root
// "C:\"). Every "/" of the folder comes back as "\". Nothing when the path
// has no folder part at all: a bare mask must never be searched for in
// whatever folder happens to be current.
std::optional<MaskPath> SplitMaskPath(std::string_view path);

// True for a path that names its folder from a drive's root: a drive letter
// with ":\" (or ":/"). Anything else depends on the current drive or folder
// of the process, which for an elevated program is often the system folder,
// or goes to a network share or a device ("\\server\share", "\\?\", "\\.\").
bool IsFullyQualifiedPath(std::string_view path);

// The folder with a backslash appended unless it already ends with one.
std::string WithTrailingBackslash(std::string_view folder);

}  // namespace tidemark
