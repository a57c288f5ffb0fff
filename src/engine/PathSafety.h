// The rules that decide which [FILE] and [PATH] values may delete anything,
// and which long file names a mask matches. Pure logic, so that the script
// checker applies exactly the rules that a run applies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/PathMacros.h"
#include "system/MaskPath.h"

namespace tidemark {

// True when the file name matches the mask: "*" any run of characters, "?"
// one character (a double-byte character counts as one), every other
// character itself, ASCII letters without regard to case and double-byte
// characters byte for byte. What is left of the mask once the name is used
// up matches when it is made only of "*" and "." ("*.*" and "name.*" match
// names without an extension, as the Windows search has them); a mask that
// ends with "." matches only names without a dot. An empty mask or name
// matches nothing.
bool MatchesFileMask(std::string_view mask, std::string_view name);

// True for a folder path that may be searched or removed: drive-rooted (see
// IsFullyQualifiedPath), no ":" beyond the drive's, and no component made
// only of dots and blanks ("." and ".." climb out of the folder that the
// value seems to name; Windows trims the others to one of those).
bool IsSafeFolderPath(std::string_view path);

// True for a mask that says nothing about the names it deletes: it holds a
// wildcard, and the text before its first "." is wildcards only ("*", "*.*",
// "?.*", "*.dll"). A mask with a literal stem ("lumen*.dll") or without
// wildcards (one file's name) is not broad.
bool IsBroadMask(std::string_view mask);

// The folder as Windows resolves it, for comparing two spellings: "/" as
// "\", runs of separators as one, dots and blanks at the end of a component
// trimmed, no trailing separator, ASCII letters in upper case (double-byte
// characters untouched). "c:\Windows\" and "C:/WINDOWS" give the same key.
std::string FolderComparisonKey(std::string_view folder);

// True for the root of a drive, however spelled ("C:\", "c:/", "C:\\").
bool IsDriveRoot(std::string_view folder);

// True when the folder is one of the listed ones, compared by their keys.
bool IsWellKnownFolder(std::string_view folder, const std::vector<std::string>& wellKnown);

// The folders that no broad mask may empty: the folder of every path macro,
// the users' profiles folder (the parent of the user's profile), and the
// Windows folder's "Sysnative", through which a 32-bit process reaches the
// native system folder. Folders that the lookup cannot find are left out.
std::vector<std::string> WellKnownFolders(const FolderLookup& folders);

enum class FileValueVerdict {
  Allowed,
  NoFolder,                    // a bare name: it would depend on the current folder
  NoMask,                      // ends with a separator: the search finds nothing
  UnsafeFolder,                // see IsSafeFolderPath
  BroadMaskInWellKnownFolder,  // see IsBroadMask, IsDriveRoot and WellKnownFolders
};

struct FileValueCheck {
  FileValueVerdict verdict = FileValueVerdict::NoFolder;
  MaskPath target;  // the split value, whatever the verdict
};

// What the run makes of an expanded [FILE] value, as far as the text alone
// tells: it deletes in `target` only when the verdict is Allowed.
FileValueCheck CheckFileValue(std::string_view path, const std::vector<std::string>& wellKnown);

}  // namespace tidemark
