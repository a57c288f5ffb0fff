// Start-up (Run) values and Add/Remove Programs (Uninstall) entries, under
// both HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
#pragma once

#include <string>

namespace tidemark {

inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kUninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// With `remove` set, deletes the named value from the Run key of both roots.
// Otherwise overwrites an existing value of that name under
// HKEY_CURRENT_USER with the data (raising when the write fails). A Run value
// of Windows or of a common driver or program (RunValueVerdict) is neither
// deleted nor overwritten.
void RemoveRunEntry(const std::string& valueName, const std::string& data, bool remove);

// Deletes the subkey, with everything below it, from the Uninstall key of
// both roots. True when, at the last root whose Uninstall key opened, the
// subkey did not exist or was deleted; false when its deletion failed or no
// Uninstall key opened at all. A name that UninstallEntryVerdict refuses
// under a root (one that holds a backslash, which would reach beyond the
// Uninstall key's own subkeys, or names a protected key) deletes nothing
// there, as if that root had no Uninstall key.
bool RemoveUninstallEntry(const std::string& subkeyName);

}  // namespace tidemark
