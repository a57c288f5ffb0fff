// The values that the program refuses, or that would harm the system if it
// did not: Windows' own processes, start-up entries and registry keys, and
// file and folder paths that reach beyond the target's own folders. Each is
// an error, so that the build never embeds such a script. The decisions are
// the program's own functions, never copies of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lint/LintFinding.h"
#include "lint/ValueChecks.h"

namespace tidemark::lint {

void CheckProtectedProcess(const WalkedValue& value, std::vector<Finding>& findings);

// [STARTRUN]: the entry's name is the Run value that is deleted.
void CheckRunValueName(const WalkedValue& value, std::vector<Finding>& findings);

// [HKEY_CURRENT_USER] and [HKEY_LOCAL_MACHINE], given by the section's
// canonical name.
void CheckRegistryKeyEntry(std::string_view section, const WalkedValue& value, std::vector<Finding>& findings);

void CheckUninstallEntry(const WalkedValue& value, std::vector<Finding>& findings);

// A [FILE] value that names its folder from a drive (or through a macro).
// False when it has an error here, so that nothing more is said about it.
bool CheckFileTarget(const WalkedValue& value, std::vector<Finding>& findings);

// A [PATH] value that names its folder from a drive (or through a macro).
void CheckFolderTarget(const WalkedValue& value, std::vector<Finding>& findings);

// The root name ("HKEY_LOCAL_MACHINE", "HKLM", ...) that the key path starts
// with, case ignored, or "" when it starts with none.
std::string_view LeadingRootName(std::string_view keyPath);

}  // namespace tidemark::lint
