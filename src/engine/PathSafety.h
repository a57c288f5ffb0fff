// The rules that decide which [FILE] and [PATH] values may delete anything,
// and which long file names a mask matches. Pure logic, so that the script
// checker applies exactly the rules that a run applies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/PathMacros.h"
#include "engine/Verdict.h"
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

// The folders that the file step must not empty with a broad mask, nor the
// folder step remove, even when one of them is empty.
struct FolderGuard {
  std::vector<std::string> wellKnown;       // the folders themselves (see WellKnownFolders)
  std::vector<std::string> windowsFolders;  // every folder inside them too
  std::vector<std::string> profiles;        // a user's profile: its known folders too
  std::vector<std::string> profileParents;  // every folder directly inside is a profile
};

// The guard of this machine's folders: WellKnownFolders, the Windows folder
// with everything inside it and its System32, SysWOW64 and Sysnative, the
// user's profile and the folder of every profile.
FolderGuard GuardedFolders(const FolderLookup& folders);

// True for a 8.3 short-name component anywhere in the folder ("PROGRA~1"):
// which folder it stands for depends on the machine.
bool HasShortNameComponent(std::string_view folder);

// True when a broad mask in the folder deletes nothing: a drive's root, a
// well-known folder, any folder inside the Windows folder, a profile, or a
// known folder of a profile (Desktop, Documents, AppData\Roaming, ...).
bool IsGuardedFromBroadMasks(std::string_view folder, const FolderGuard& guard);

// True when the folder step never removes the folder, empty or not: a
// drive's root, a well-known folder, a profile or a known folder of one.
bool IsGuardedFromRemoval(std::string_view folder, const FolderGuard& guard);

enum class FileValueVerdict {
  Allowed,
  NoFolder,                    // a bare name: it would depend on the current folder
  NoMask,                      // ends with a separator: the search finds nothing
  UnsafeFolder,                // see IsSafeFolderPath
  BroadMaskInWellKnownFolder,  // see IsBroadMask and IsGuardedFromBroadMasks
  ShortNameFolder,             // see HasShortNameComponent
};

struct FileValueCheck {
  FileValueVerdict verdict = FileValueVerdict::NoFolder;
  MaskPath target;  // the split value, whatever the verdict
};

// What the run makes of an expanded [FILE] value, as far as the text alone
// tells: it deletes in `target` only when the verdict is Allowed.
FileValueCheck CheckFileValue(std::string_view path, const FolderGuard& guard);

// The program's judgement of a [FILE] value: `written` as the script has it
// (for the reason's text), `expanded` with its folder macros replaced. The
// reason is the sentence that the script checker prints.
Verdict FileEntryVerdict(std::string_view written, std::string_view expanded, const FolderGuard& guard);

// The same for a [PATH] value: refused when no folder could ever be meant
// by it, or when it is guarded from removal.
Verdict FolderEntryVerdict(std::string_view written, std::string_view expanded, const FolderGuard& guard);

}  // namespace tidemark
