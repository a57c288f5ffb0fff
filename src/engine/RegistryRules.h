// Pure rules of the registry steps: splitting recovery records, finding the
// parent key of a registry-section entry, choosing a record's root.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/ScriptSections.h"

namespace tidemark {

inline constexpr std::string_view kRecoveryDelimiter = "|=|";

// Replaces the list's contents with the pieces of the text between
// delimiters. Empty pieces count: a text without the delimiter gives one
// piece, "A|=|B|=|" gives A, B and an empty piece, and "A|=" (a text ending
// with the start of the delimiter) gives A and an empty piece.
void SplitByDelimiter(std::vector<std::string>& list, std::string_view text, std::string_view delimiter);

// The key path under which a registry-section entry's value names the
// subkey to delete. An entry may give the subkey's full path as its name
// ("SOFTWARE\Vendor=Vendor"); the name is then cut to its parent
// ("SOFTWARE\"), and a name equal to the value gives the root (""). The name
// is cut only when the value is its last path component, compared without
// regard to the case of ASCII letters as the registry compares key names;
// otherwise it is the parent path as written.
std::string RegistryParentPath(std::string_view name, std::string_view value);

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

// The one table of the roots' names: the full name, which is also the name
// of a script's registry section and a recovery record's root, and the short
// one, with which the status list and the reports name a key.
struct RegistryRootNames {
  RegistryRoot root;
  const char* name;
  const char* shortName;
};

inline constexpr RegistryRootNames kRegistryRootNames[] = {
    {RegistryRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RegistryRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
};

// "HKEY_CURRENT_USER" for RegistryRoot::CurrentUser, and so on.
constexpr const char* RegistryRootName(RegistryRoot root) {
  for (const RegistryRootNames& names : kRegistryRootNames) {
    if (names.root == root) return names.name;
  }
  return "";
}

// A script's registry sections are named as their roots.
static_assert(sections::kCurrentUser == RegistryRootName(RegistryRoot::CurrentUser));
static_assert(sections::kLocalMachine == RegistryRootName(RegistryRoot::LocalMachine));

// "HKCU" for RegistryRoot::CurrentUser, and so on.
constexpr const char* RegistryRootShortName(RegistryRoot root) {
  for (const RegistryRootNames& names : kRegistryRootNames) {
    if (names.root == root) return names.shortName;
  }
  return "";
}

// The root a recovery record names, compared exactly; any other text gives
// HKEY_CURRENT_USER.
RegistryRoot RecoveryRoot(std::string_view name);

// True when the recovery record's root text is one of the three names.
bool IsKnownRecoveryRoot(std::string_view name);

}  // namespace tidemark
