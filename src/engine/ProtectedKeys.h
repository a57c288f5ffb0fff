// Registry keys that no removal script may delete. Deleting a key deletes
// everything below it, so a key may go only when all of it can belong to the
// target: its vendor key, its class, its service, its entry in a shared list.
// Refused are the roots and the standard keys below them; the shared keys
// that hold many programs or Windows itself; everything of Windows below
// HKEY_LOCAL_MACHINE\SYSTEM except the key of a service that runs a file
// outside the Windows folder; the classes of file types and the classes
// Windows registers for itself, and COM registrations whose file lies in the
// Windows folder; and the keys directly below the two CurrentVersion keys and
// the lists below Explorer. The rules hold under both roots and in both
// registry views. Pure logic, shared by the registry steps, the preview and
// the script checker, so that all three refuse the same entries for the same
// reason.
#pragma once

#include <string>
#include <string_view>

#include "engine/RegistryFacts.h"
#include "engine/RegistryRules.h"
#include "engine/Verdict.h"

namespace tidemark {

// The path as the registry resolves it: empty components (repeated, leading
// and trailing backslashes) dropped, the rest joined by single backslashes.
std::string NormalizeRegistryPath(std::string_view path);

// The program's verdict on deleting the key at the path below the root, with
// its tree. The path is normalised first; key names are compared without
// regard to the case of ASCII letters, as the registry does (the bytes of
// double-byte characters are compared exactly). The empty path is the root
// itself. The facts settle the service and COM rules; without them a key
// that its name does not reveal as Windows' own is allowed.
Verdict RegistryKeyVerdict(RegistryRoot root, std::string_view fullPath, const RegistryFacts& facts);

// Refused by the rules that the key's name alone settles (no facts).
bool IsProtectedRegistryKey(RegistryRoot root, std::string_view fullPath);

// The key that a registry-section entry names, below its root: the parent
// path of RegistryParentPath, then the value, normalised.
std::string RegistryEntryKeyPath(std::string_view name, std::string_view value);

// The verdict on a [HKEY_CURRENT_USER] or [HKEY_LOCAL_MACHINE] entry: refused
// when its value is empty or begins with a backslash (which would make it a
// path from the root, outside the entry's parent key), or when the key it
// names is refused.
Verdict RegistryKeyEntryVerdict(RegistryRoot root, std::string_view name, std::string_view value,
                                const RegistryFacts& facts);

// The verdict on an [UNINSTALL] value under the root: refused when it holds a
// backslash (a subkey name of the Uninstall key never does, so it would reach
// another key) or names a refused key.
Verdict UninstallEntryVerdict(RegistryRoot root, std::string_view subkeyName, const RegistryFacts& facts);

// The two verdicts without facts, refused or not.
bool RefusesRegistryKeyEntry(RegistryRoot root, std::string_view name, std::string_view value);
bool RefusesUninstallEntry(RegistryRoot root, std::string_view subkeyName);

}  // namespace tidemark
