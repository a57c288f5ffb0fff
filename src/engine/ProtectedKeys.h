// Registry keys that no removal script may delete: the roots, the standard
// keys directly below them, and the shared keys that hold many programs or
// Windows itself. Pure logic, shared by the registry steps, the preview and
// the script checker, so that all three refuse the same entries.
#pragma once

#include <string>
#include <string_view>

#include "engine/RegistryRules.h"

namespace tidemark {

// The path as the registry resolves it: empty components (repeated, leading
// and trailing backslashes) dropped, the rest joined by single backslashes.
std::string NormalizeRegistryPath(std::string_view path);

// True when the key at the path below the root is one of the protected keys,
// in either registry view. The path is normalised first; key names are
// compared without regard to the case of ASCII letters, as the registry does
// (the bytes of double-byte characters are compared exactly). The empty path
// is the root itself.
bool IsProtectedRegistryKey(RegistryRoot root, std::string_view fullPath);

// The key that a registry-section entry names, below its root: the parent
// path of RegistryParentPath, then the value, normalised.
std::string RegistryEntryKeyPath(std::string_view name, std::string_view value);

// True when the [HKEY_CURRENT_USER] or [HKEY_LOCAL_MACHINE] entry must delete
// nothing: its value is empty or begins with a backslash (which would make it
// a path from the root, outside the entry's parent key), or the key it names
// (the parent path of RegistryParentPath, then the value) is protected.
bool RefusesRegistryKeyEntry(RegistryRoot root, std::string_view name, std::string_view value);

// True when the [UNINSTALL] value must delete nothing under the root: it
// holds a backslash (a subkey name of the Uninstall key never does, so it
// would reach another key), or it names a protected key.
bool RefusesUninstallEntry(RegistryRoot root, std::string_view subkeyName);

}  // namespace tidemark
