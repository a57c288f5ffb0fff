// Listing the entries of one folder through the platform's file search: the
// one search loop that the file removal and the preview share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tidemark {

struct FolderEntry {
  // The long name, without the folder, in its ANSI form. When exactName is
  // false that form is a best-fit look-alike (it may hold "\" and climb out
  // of the folder), good for showing and for matching a mask, never for
  // reaching the entry: wideName is the name on disk.
  std::string name;
  unsigned long attributes = 0;
  std::uint64_t size = 0;  // of a file, in bytes
  std::wstring wideName;
  bool exactName = true;

  bool IsFolder() const;
  bool IsReadOnly() const;
  bool IsLink() const;  // a reparse point: junction, symbolic link, mount point
};

// Calls `found` for each entry that a search for the mask in the folder
// yields, files and folders, in the order the platform yields them, without
// "." and "..". The search lists wide names (see FolderEntry::name). The search also matches 8.3 short names ("*.htm"
// finds "x.html"); a caller that needs the mask to hold for the long name checks it again. A folder that cannot be
// searched yields nothing, and the search's error is returned (0 when the folder was searched, also when nothing in it
// matched).
unsigned long ForEachFolderEntry(const std::string& folder, const std::string& mask,
                                 const std::function<void(const FolderEntry&)>& found);

// The entries that ForEachFolderEntry yields, in a list.
std::vector<FolderEntry> ListFolderEntries(const std::string& folder, const std::string& mask);

// Deletes the file of the folder that the entry names, through its exact
// name: the ANSI path when the name has an exact ANSI form, otherwise the
// wide name within the same folder. True when it was deleted.
bool DeleteEntryFile(const std::string& folder, const FolderEntry& entry);

// The wide path of the entry within the folder: never outside it.
std::wstring EntryWidePath(const std::string& folder, const FolderEntry& entry);

// True when another program holds the file open so that it cannot be
// deleted now (opened without FILE_SHARE_DELETE).
bool IsFileInUse(const std::wstring& path);

// True when the path names an existing folder (or a link to one).
bool IsExistingFolder(const std::string& path);

}  // namespace tidemark
