// The values that the program refuses, or that would harm the system if it
// did not: Windows' own processes, start-up entries and registry keys, and
// file and folder paths that reach beyond the target's own folders. Each is
// an error, so that the build never embeds such a script. The decisions are
// the program's own functions, never copies of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/PathSafety.h"
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

// A [FILE] or [PATH] value that the program refuses: the error is the
// program's own reason. False when refused, so that nothing more is said.
bool CheckFileOrFolderRefusal(std::string_view section, const WalkedValue& value, std::vector<Finding>& findings);

// A [FILE] value that the program accepts but that deletes nothing or other
// files than its text shows. False when it has an error here.
bool CheckFileTarget(const WalkedValue& value, std::vector<Finding>& findings);

// A [PATH] value that the program accepts: its separators.
void CheckFolderTarget(const WalkedValue& value, std::vector<Finding>& findings);

// The folders the checker guards: the program's guard over the placeholder
// folders, with the folders of Windows and of the profiles as they are
// usually written out, on drive C (a value's drive letter is made "C" before
// it is judged).
const FolderGuard& CheckerFolderGuard();

// The text the checker judges for an expanded [FILE] or [PATH] value: its
// drive letter made "C".
std::string ForComparison(std::string_view path);

// The root name ("HKEY_LOCAL_MACHINE", "HKLM", ...) that the key path starts
// with, case ignored, or "" when it starts with none.
std::string_view LeadingRootName(std::string_view keyPath);

}  // namespace tidemark::lint
