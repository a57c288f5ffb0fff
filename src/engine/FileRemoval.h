// Deleting the files of one folder that match a mask, and removing empty
// folders. Nothing here recurses into subfolders, and nothing deletes
// through a link, on a network or device path, or with a broad mask in a
// folder of Windows or of every user.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/PathMacros.h"
#include "engine/PathSafety.h"
#include "system/FolderEntries.h"
#include "system/MaskPath.h"

namespace tidemark {

// The folders that a broad mask never empties and the folder step never
// removes: GuardedFolders of the lookup, and the native Program Files folder,
// which the shell names to a 32-bit process on 64-bit Windows only as the
// 32-bit one.
FolderGuard ProtectedFolders(const FolderLookup& folders);

// True when the folder, or any folder on its way from the drive's root, is
// a reparse point (junction, symbolic link, mount point) or cannot be looked
// at: such a path may lead anywhere, whatever its text says.
bool PassesThroughLink(const std::string& folder);

// The folder and mask an expanded [FILE] value deletes in, or nothing when
// the value deletes nothing (FileEntryVerdict refuses it, its folder is one
// of the guarded ones under another spelling, or it passes through a link).
std::optional<MaskPath> FileDeletionTarget(const std::string& path, const FolderGuard& guard);

// Calls `found` for each file (never a folder) of the folder whose long name
// the mask matches, in the order the platform's search yields them. The
// search also matches 8.3 short names ("*.htm" finds "x.html"), so each name
// is matched again with MatchesFileMask.
void ForEachMatchingFile(const std::string& folder, const std::string& mask,
                         const std::function<void(const FolderEntry&)>& found);

// True when RemoveEmptyFolder may remove the folder: FolderEntryVerdict
// allows it, it is no guarded folder under another spelling (a short name,
// say), and it passes through no link.
bool IsRemovableFolder(const std::string& folder, const FolderGuard& guard);

// Splits the path into folder and mask and deletes the matching files, when
// FileDeletionTarget allows it.
void DeleteFilesByMask(const std::string& path, const FolderGuard& guard);

// Deletes every file of the folder that the mask matches, hidden, system and
// read-only files included; a file in use is scheduled for deletion at the
// next restart. A folder that is no safe folder path or passes through a
// link is left alone.
void DeleteFilesInDir(const std::string& folder, const std::string& mask);

// Removes the folder if it is empty and IsRemovableFolder allows it; when
// everything left in it is scheduled for deletion at the restart, the folder
// is scheduled too, after them. Other failures are ignored.
void RemoveEmptyFolder(const std::string& folder, const FolderGuard& guard);

}  // namespace tidemark
