#include "engine/MachineRegistryFacts.h"

#include <algorithm>
#include <cstring>

#include "system/Registry.h"

namespace tidemark {

namespace {

// The facts only look: KEY_READ, and no view flag, as the removal's own
// registry objects name none.
constexpr DWORD kReadOnly = kRegistryReadAccess;

// Opens the key below the root; a path is taken from the root whatever its
// text, since the rules hand over normalised paths without a leading
// backslash.
bool OpenKey(TRegistry& registry, RegistryRoot root, const std::string& path) {
  registry.SelectRoot(RootKeyOf(root));
  return registry.OpenPath("\\" + path, false);
}

}  // namespace

HKEY RootKeyOf(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser: break;
  }
  return HKEY_CURRENT_USER;
}

bool MachineRegistryFacts::Known() const { return true; }

bool MachineRegistryFacts::KeyExists(RegistryRoot root, const std::string& path) const {
  TRegistry registry(kReadOnly);
  return OpenKey(registry, root, path);
}

std::optional<std::string> MachineRegistryFacts::StringValue(RegistryRoot root, const std::string& path,
                                                             const std::string& name) const {
  TRegistry registry(kReadOnly);
  if (!OpenKey(registry, root, path)) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(registry.CurrentKey(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  // The stored data need not end with a zero: one more byte keeps the
  // buffer terminated whatever it holds.
  std::string data(size + 1, '\0');
  DWORD read = size;
  if (RegQueryValueExA(registry.CurrentKey(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                       &read) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(std::min<std::size_t>(read, data.size()));
  const std::size_t end = data.find('\0');
  if (end != std::string::npos) data.resize(end);
  return data;
}

std::vector<std::string> MachineRegistryFacts::SubkeyNames(RegistryRoot root, const std::string& path) const {
  std::vector<std::string> names;
  TRegistry registry(kReadOnly);
  if (!OpenKey(registry, root, path)) return names;
  // 255 characters is the longest key name; a double-byte code page may
  // need two bytes for each.
  char name[512];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(registry.CurrentKey(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

std::string MachineRegistryFacts::WindowsFolder() const {
  char folder[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return {};
  return std::string(folder, length);
}

std::string MachineRegistryFacts::ExpandEnvironment(const std::string& text) const {
  const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::string expanded(needed, '\0');
  const DWORD written = ExpandEnvironmentStringsA(text.c_str(), expanded.data(), needed);
  if (written == 0 || written > needed) return text;
  // Up to the terminating zero: in a double-byte code page the count may be
  // larger than the text.
  expanded.resize(std::strlen(expanded.c_str()));
  return expanded;
}

}  // namespace tidemark
