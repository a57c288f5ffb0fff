// Deleting the files of one folder that match a mask, and removing empty
// folders. Nothing here recurses into subfolders.
#pragma once

#include <string>

namespace tidemark {

// Splits the path into folder and mask and deletes the matching files.
// A path without a folder part, or whose folder is not fully qualified
// (drive letter and root, or a network share), deletes nothing.
void DeleteFilesByMask(const std::string& path);

// Deletes every file of the folder that the mask matches, hidden and system
// files included. Folders that match (".", "..", subfolders) fail to delete
// as files and stay, as do read-only files and files in use.
void DeleteFilesInDir(const std::string& folder, const std::string& mask);

// Removes the folder if it is empty; a folder that is not fully qualified is
// left alone. Failures are ignored.
void RemoveEmptyFolder(const std::string& folder);

}  // namespace tidemark
