// What one snapshot has that another has not, and what changed between them.
// Registry keys, value names and paths are compared as Windows compares them:
// ASCII letters without regard to case, Korean characters exactly. The
// system's own bookkeeping (volatile keys that change whenever a service
// starts, a device comes or goes, or, under Wine, a program changes a system
// parameter for the session) is no change. Linear in the size of the
// two snapshots.
#pragma once

#include <string>
#include <vector>

#include "capture/Snapshot.h"

namespace tidemark::capture {

struct SnapshotChanges {
  std::vector<std::string> newProcesses;  // image names running after and not before, each once
  std::vector<Service> newServices;
  std::vector<RegistryKey> newKeys;  // every key of after that before has not, in after's order
  std::vector<RegistryKey> removedKeys;
  // Values of keys that both have (the values of new or removed keys are not
  // listed one by one).
  std::vector<RegistryValue> newValues;
  std::vector<RegistryValue> changedValues;  // after's record of a value whose type or data changed
  std::vector<RegistryValue> removedValues;
  std::vector<std::string> newFolders;
  std::vector<std::string> removedFolders;
  std::vector<FileEntry> newFiles;
  std::vector<FileEntry> removedFiles;
  std::vector<FileEntry> changedFiles;  // after's record of a file whose size changed

  bool Empty() const;
};

SnapshotChanges CompareSnapshots(const Snapshot& before, const Snapshot& after);

// The identity under which a key is compared: view, root and the path with
// ASCII letters upper-cased.
std::string KeyIdentity(const RegistryKey& key);
// The same for paths of files and folders.
std::string PathIdentity(const std::string& path);
// "HKLM\SOFTWARE\x (32-bit view)": how reports name a key.
std::string DescribeKey(const RegistryKey& key);

}  // namespace tidemark::capture
