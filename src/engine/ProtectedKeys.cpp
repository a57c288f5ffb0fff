#include "engine/ProtectedKeys.h"

#include <vector>

#include "engine/RegistryEntries.h"
#include "system/Cp949Text.h"

namespace tidemark {

namespace {

enum class Roots { User, Machine, Both };

struct ProtectedKey {
  Roots roots;
  std::string_view path;  // below the root, one backslash between components
  // Also protected below "Software\WOW6432Node", where a 32-bit program on
  // 64-bit Windows finds the same key of its own registry view.
  bool bothViews;
};

// "CurrentControlSet" here also stands for ControlSet001, ControlSet002 and
// so on: CurrentControlSet is a link to one of them, so each spelling
// reaches the same kind of key.
constexpr std::string_view kControlSet = "CurrentControlSet";

// The one list of protected keys.
constexpr ProtectedKey kProtectedKeys[] = {
    // The standard keys directly below HKEY_CURRENT_USER.
    {Roots::User, "AppEvents", false},
    {Roots::User, "Console", false},
    {Roots::User, "Control Panel", false},
    {Roots::User, "Environment", false},
    {Roots::User, "EUDC", false},
    {Roots::User, "Keyboard Layout", false},
    {Roots::User, "Network", false},
    {Roots::User, "Printers", false},
    {Roots::User, "Software", false},
    {Roots::User, "System", false},
    {Roots::User, "Volatile Environment", false},
    // The standard keys directly below HKEY_LOCAL_MACHINE.
    {Roots::Machine, "BCD00000000", false},
    {Roots::Machine, "HARDWARE", false},
    {Roots::Machine, "SAM", false},
    {Roots::Machine, "SECURITY", false},
    {Roots::Machine, "SOFTWARE", false},
    {Roots::Machine, "SYSTEM", false},
    // The services, drivers and configuration of Windows.
    {Roots::Machine, "SYSTEM\\CurrentControlSet", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Services", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Control", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Enum", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Hardware Profiles", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Policies", false},
    // Shared keys of many programs and of Windows, under both roots.
    {Roots::Both, "Software\\WOW6432Node", false},
    {Roots::Both, "Software\\Microsoft", true},
    {Roots::Both, "Software\\Classes", true},
    {Roots::Both, "Software\\Policies", true},
    {Roots::Both, "Software\\Microsoft\\Windows", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
    // Keys below them that still hold the entries of many programs: a
    // target's own entry lies one level further down.
    {Roots::Both, "Software\\Classes\\CLSID", true},
    {Roots::Both, "Software\\Classes\\Interface", true},
    {Roots::Both, "Software\\Classes\\TypeLib", true},
    {Roots::Both, "Software\\Classes\\AppID", true},
    {Roots::Both, "Software\\Microsoft\\Windows NT", true},
    {Roots::Both, "Software\\Microsoft\\Windows NT\\CurrentVersion", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\App Management", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", true},
    {Roots::Both, "Software\\Microsoft\\Internet Explorer", true},
};

std::vector<std::string_view> Components(std::string_view path) {
  // A backslash (0x5C) is never the trail byte of a code page 949 character,
  // so every backslash byte is a separator.
  std::vector<std::string_view> components;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsControlSetName(std::string_view component) {
  if (EqualsIgnoreCaseCp949(component, kControlSet)) return true;
  constexpr std::string_view prefix = "ControlSet";
  return component.size() == prefix.size() + 3 && EqualsIgnoreCaseCp949(component.substr(0, prefix.size()), prefix) &&
         IsDigit(component[prefix.size()]) && IsDigit(component[prefix.size() + 1]) &&
         IsDigit(component[prefix.size() + 2]);
}

bool ComponentMatches(std::string_view pattern, std::string_view component) {
  if (pattern == kControlSet) return IsControlSetName(component);
  return EqualsIgnoreCaseCp949(pattern, component);
}

bool Matches(const std::vector<std::string_view>& pattern, const std::vector<std::string_view>& key) {
  if (pattern.size() != key.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (!ComponentMatches(pattern[i], key[i])) return false;
  }
  return true;
}

bool AppliesTo(Roots roots, RegistryRoot root) {
  switch (roots) {
    case Roots::User: return root == RegistryRoot::CurrentUser;
    case Roots::Machine: return root == RegistryRoot::LocalMachine;
    case Roots::Both: return root == RegistryRoot::CurrentUser || root == RegistryRoot::LocalMachine;
  }
  return false;
}

// The same key in the other registry view: "Software\X" as
// "Software\WOW6432Node\X".
std::vector<std::string_view> InOtherView(std::vector<std::string_view> pattern) {
  pattern.insert(pattern.begin() + 1, "WOW6432Node");
  return pattern;
}

}  // namespace

std::string NormalizeRegistryPath(std::string_view path) {
  std::string normalized;
  for (std::string_view component : Components(path)) {
    if (!normalized.empty()) normalized += '\\';
    normalized += component;
  }
  return normalized;
}

bool IsProtectedRegistryKey(RegistryRoot root, std::string_view fullPath) {
  const std::vector<std::string_view> key = Components(fullPath);
  if (key.empty()) return true;  // the root itself
  for (const ProtectedKey& entry : kProtectedKeys) {
    if (!AppliesTo(entry.roots, root)) continue;
    const std::vector<std::string_view> pattern = Components(entry.path);
    if (Matches(pattern, key) || (entry.bothViews && Matches(InOtherView(pattern), key))) return true;
  }
  return false;
}

std::string RegistryEntryKeyPath(std::string_view name, std::string_view value) {
  return NormalizeRegistryPath(RegistryParentPath(name, value) + "\\" + std::string(value));
}

bool RefusesRegistryKeyEntry(RegistryRoot root, std::string_view name, std::string_view value) {
  if (value.empty() || value.front() == '\\') return true;
  return IsProtectedRegistryKey(root, RegistryEntryKeyPath(name, value));
}

bool RefusesUninstallEntry(RegistryRoot root, std::string_view subkeyName) {
  if (subkeyName.empty() || subkeyName.find('\\') != std::string_view::npos) return true;
  return IsProtectedRegistryKey(root, std::string(kUninstallKeyPath) + std::string(subkeyName));
}

}  // namespace tidemark
