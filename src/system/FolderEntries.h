// Listing the entries of one folder through the platform's file search: the
// one search loop that the file removal and the preview share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tidemark {

struct FolderEntry {
  std::string name;  // the long name, without the folder
  unsigned long attributes = 0;
  std::uint64_t size = 0;  // of a file, in bytes

  bool IsFolder() const;
  bool IsReadOnly() const;
  bool IsLink() const;  // a reparse point: junction, symbolic link, mount point
};

// Calls `found` for each entry that a search for the mask in the folder
// yields, files and folders, in the order the platform yields them, without
// "." and "..". The search also matches 8.3 short names ("*.htm" finds
// "x.html"); a caller that needs the mask to hold for the long name checks it
// again. A folder that cannot be searched yields nothing, and the search's
// error is returned (0 when the folder was searched, also when nothing in it
// matched).
unsigned long ForEachFolderEntry(const std::string& folder, const std::string& mask,
                                 const std::function<void(const FolderEntry&)>& found);

// True when the path names an existing folder (or a link to one).
bool IsExistingFolder(const std::string& path);

}  // namespace tidemark
