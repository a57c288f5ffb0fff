#include "capture/SnapshotCompare.h"

#include <algorithm>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

#include "system/Cp949Text.h"

namespace tidemark::capture {

namespace {

bool StartsWithUpper(const std::string& upper, const std::string& prefix) {
  return upper.compare(0, prefix.size(), prefix) == 0;
}

// "SYSTEM\CURRENTCONTROLSET\CONTROL\..." or "SYSTEM\CONTROLSET001\CONTROL\...":
// what follows the control set's "CONTROL\", or nothing when the path is not below one.
std::optional<std::string> BelowControlKey(const std::string& upperPath) {
  const std::string system = "SYSTEM\\";
  if (!StartsWithUpper(upperPath, system)) return std::nullopt;
  const std::size_t set = system.size();
  const std::size_t control = upperPath.find('\\', set);
  if (control == std::string::npos) return std::nullopt;
  const std::string setName = upperPath.substr(set, control - set);
  if (setName != "CURRENTCONTROLSET" && setName.compare(0, 10, "CONTROLSET") != 0) return std::nullopt;
  const std::string rest = upperPath.substr(control + 1);
  if (!StartsWithUpper(rest, "CONTROL\\")) return std::nullopt;
  return rest.substr(8);
}

// The system's own bookkeeping, which changes whenever a service starts or a
// device comes or goes, whatever a program does: the service control
// manager's counter (ServiceCurrent) and the state of device interfaces
// (DeviceClasses\{class}\{interface}\#\Control), both volatile keys.
bool IsSystemBookkeeping(const RegistryKey& key) {
  // Wine keeps the system parameters that a program changes for the session
  // only in a volatile key of its own.
  if (key.root == kRootCurrentUser) {
    const std::string upper = ToUpperAsciiCp949(key.path);
    const std::string temporary = "SOFTWARE\\WINE\\TEMPORARY SYSTEM PARAMETERS";
    return upper == temporary || StartsWithUpper(upper, temporary + "\\");
  }
  if (key.root != kRootLocalMachine) return false;
  const std::optional<std::string> below = BelowControlKey(ToUpperAsciiCp949(key.path));
  if (!below) return false;
  if (*below == "SERVICECURRENT") return true;
  return StartsWithUpper(*below, "DEVICECLASSES\\") && below->size() >= 8 &&
         below->compare(below->size() - 8, 8, "\\CONTROL") == 0;
}

// Wine starts driver hosts of its own ("Winedevice2", ...) as devices come
// and go.
bool IsSystemBookkeeping(const Service& service) {
  const std::string name = ToUpperAsciiCp949(service.name);
  const std::string image = ToUpperAsciiCp949(service.imagePath);
  return StartsWithUpper(name, "WINEDEVICE") && image.size() >= 14 &&
         image.compare(image.size() - 14, 14, "WINEDEVICE.EXE") == 0;
}

template <typename T>
std::vector<T> WithoutBookkeeping(std::vector<T> elements) {
  elements.erase(std::remove_if(elements.begin(), elements.end(),
                                [](const T& element) {
                                  if constexpr (std::is_same_v<T, RegistryValue>) {
                                    return IsSystemBookkeeping(element.key);
                                  } else {
                                    return IsSystemBookkeeping(element);
                                  }
                                }),
                 elements.end());
  return elements;
}

std::string ValueIdentity(const RegistryValue& value) {
  // Key and value names may hold any byte but zero, which therefore
  // separates the two.
  return KeyIdentity(value.key) + '\0' + ToUpperAsciiCp949(value.name);
}

// Which elements of `from` have no element of the same identity in `other`.
template <typename T, typename Identity>
std::vector<T> Missing(const std::vector<T>& from, const std::vector<T>& other, Identity identity) {
  std::unordered_set<std::string> present;
  present.reserve(other.size());
  for (const T& element : other) present.insert(identity(element));
  std::vector<T> missing;
  for (const T& element : from) {
    if (present.count(identity(element)) == 0) missing.push_back(element);
  }
  return missing;
}

void CompareValues(const Snapshot& before, const Snapshot& after, SnapshotChanges& changes) {
  std::unordered_set<std::string> keysBefore, keysAfter;
  for (const RegistryKey& key : before.keys) keysBefore.insert(KeyIdentity(key));
  for (const RegistryKey& key : after.keys) keysAfter.insert(KeyIdentity(key));
  std::unordered_map<std::string, const RegistryValue*> valuesBefore;
  valuesBefore.reserve(before.values.size());
  for (const RegistryValue& value : before.values) valuesBefore.emplace(ValueIdentity(value), &value);
  std::unordered_set<std::string> valuesAfter;
  valuesAfter.reserve(after.values.size());
  for (const RegistryValue& value : after.values) {
    const std::string identity = ValueIdentity(value);
    valuesAfter.insert(identity);
    if (keysBefore.count(KeyIdentity(value.key)) == 0) continue;  // a new key's value
    const auto old = valuesBefore.find(identity);
    if (old == valuesBefore.end()) {
      changes.newValues.push_back(value);
    } else if (old->second->type != value.type || old->second->hash != value.hash) {
      changes.changedValues.push_back(value);
    }
  }
  for (const RegistryValue& value : before.values) {
    if (keysAfter.count(KeyIdentity(value.key)) == 0) continue;  // a removed key's value
    if (valuesAfter.count(ValueIdentity(value)) == 0) changes.removedValues.push_back(value);
  }
}

void CompareFiles(const Snapshot& before, const Snapshot& after, SnapshotChanges& changes) {
  const auto filePath = [](const FileEntry& file) { return PathIdentity(file.path); };
  changes.newFiles = Missing(after.files, before.files, filePath);
  changes.removedFiles = Missing(before.files, after.files, filePath);
  std::unordered_map<std::string, std::uint64_t> sizeBefore;
  sizeBefore.reserve(before.files.size());
  for (const FileEntry& file : before.files) sizeBefore.emplace(PathIdentity(file.path), file.size);
  for (const FileEntry& file : after.files) {
    const auto old = sizeBefore.find(PathIdentity(file.path));
    if (old != sizeBefore.end() && old->second != file.size) changes.changedFiles.push_back(file);
  }
}

}  // namespace

bool SnapshotChanges::Empty() const {
  return newProcesses.empty() && newServices.empty() && newKeys.empty() && removedKeys.empty() && newValues.empty() &&
         changedValues.empty() && removedValues.empty() && newFolders.empty() && removedFolders.empty() &&
         newFiles.empty() && removedFiles.empty() && changedFiles.empty();
}

std::string KeyIdentity(const RegistryKey& key) {
  return key.view + '\\' + key.root + '\\' + ToUpperAsciiCp949(key.path);
}

std::string PathIdentity(const std::string& path) { return ToUpperAsciiCp949(path); }

std::string DescribeKey(const RegistryKey& key) {
  return key.root + (key.path.empty() ? "" : "\\" + key.path) + " (" + key.view + "-bit view)";
}

SnapshotChanges CompareSnapshots(const Snapshot& before, const Snapshot& after) {
  SnapshotChanges changes;
  std::unordered_set<std::string> running;
  for (const std::string& image : before.processes) running.insert(ToUpperAsciiCp949(image));
  for (const std::string& image : after.processes) {
    if (running.insert(ToUpperAsciiCp949(image)).second) changes.newProcesses.push_back(image);
  }
  const auto serviceName = [](const Service& service) { return ToUpperAsciiCp949(service.name); };
  changes.newServices = WithoutBookkeeping(Missing(after.services, before.services, serviceName));
  changes.newKeys = WithoutBookkeeping(Missing(after.keys, before.keys, KeyIdentity));
  changes.removedKeys = WithoutBookkeeping(Missing(before.keys, after.keys, KeyIdentity));
  CompareValues(before, after, changes);
  changes.newValues = WithoutBookkeeping(std::move(changes.newValues));
  changes.changedValues = WithoutBookkeeping(std::move(changes.changedValues));
  changes.removedValues = WithoutBookkeeping(std::move(changes.removedValues));
  changes.newFolders = Missing(after.folders, before.folders, PathIdentity);
  changes.removedFolders = Missing(before.folders, after.folders, PathIdentity);
  CompareFiles(before, after, changes);
  return changes;
}

}  // namespace tidemark::capture
