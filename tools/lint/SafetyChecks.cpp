#include "lint/SafetyChecks.h"

#include <optional>

#include "engine/PathSafety.h"
#include "engine/ProtectedKeys.h"
#include "engine/ProtectedProcesses.h"
#include "engine/RegistryRules.h"
#include "lint/PlaceholderFolders.h"
#include "script/ScriptSections.h"
#include "system/Cp949Text.h"
#include "system/MaskPath.h"

namespace tidemark::lint {

namespace {

namespace sec = tidemark::sections;

// Run values that Windows, its security centre or common drivers and
// programs put under the Run key. A script that names one deletes that
// start-up entry of the user's own system under both roots.
constexpr std::string_view kWindowsRunValueNames[] = {
    "SecurityHealth", "Windows Defender", "WindowsDefender", "RtHDVCpl", "OneDrive",   "ctfmon",
    "igfxtray",       "igfxhkcmd",        "igfxpers",        "hkcmd",    "IAStorIcon", "Sidebar",
};

constexpr std::string_view kRootNames[] = {
    "HKEY_CLASSES_ROOT",
    "HKEY_CURRENT_USER",
    "HKEY_LOCAL_MACHINE",
    "HKEY_USERS",
    "HKEY_CURRENT_CONFIG",
    "HKCR",
    "HKCU",
    "HKLM",
    "HKU",
    "HKCC",
};

// The checker knows no machine, so besides the macros' placeholder folders
// it also refuses the folders as they are usually written out. They are
// listed with drive C only: the drive letter of a value is made "C" before
// it is compared (see ForComparison), so these stand for every drive. This
// list is the checker's alone; the program compares with the real folders of
// the machine it runs on.
constexpr std::string_view kLiteralWellKnownFolders[] = {
    "C:\\Windows",       "C:\\Windows\\System32",   "C:\\Windows\\SysWOW64", "C:\\Windows\\Sysnative",
    "C:\\Program Files", "C:\\Program Files (x86)", "C:\\ProgramData",       "C:\\Users",
};

const std::vector<std::string>& CheckerWellKnownFolders() {
  static const std::vector<std::string> folders = [] {
    std::vector<std::string> known = WellKnownFolders(PlaceholderFolders());
    for (std::string_view folder : kLiteralWellKnownFolders) known.emplace_back(folder);
    return known;
  }();
  return folders;
}

// The path with its drive letter as "C", for comparing with the lists above.
std::string ForComparison(std::string_view path) {
  std::string text(path);
  if (IsFullyQualifiedPath(text)) text[0] = 'C';
  return text;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCaseCp949(text.substr(0, prefix.size()), prefix);
}

RegistryRoot RootOfSection(std::string_view section) {
  return section == sec::kLocalMachine ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
}

bool HasDotComponent(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view component = path.substr(start, end - start);
    if (!component.empty() && component.find_first_not_of(". ") == std::string_view::npos) return true;
    start = end + 1;
  }
  return false;
}

// Why IsSafeFolderPath refuses a drive-rooted folder.
std::string UnsafeFolderReason(std::string_view folder) {
  if (folder.find(':', 2) != std::string_view::npos) {
    return "it holds a ':' after the drive's, which names a stream or a device, not a folder";
  }
  if (HasDotComponent(folder)) {
    return "a '.' or '..' component makes Windows climb out of the folder that the value seems to name";
  }
  return "it does not name its folder from a drive's root";
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

void SlashError(const WalkedValue& value, std::vector<Finding>& findings) {
  findings.push_back({value.line, Severity::Error,
                      Quote(value.value) +
                          " holds '/': Windows and the program take it as a folder separator like '\\', so the "
                          "value names other folders than its text shows; write every separator as '\\'"});
}

}  // namespace

std::string_view LeadingRootName(std::string_view keyPath) {
  const std::string_view first = keyPath.substr(0, keyPath.find('\\'));
  for (std::string_view root : kRootNames) {
    if (EqualsIgnoreCaseCp949(first, root)) return root;
  }
  return {};
}

void CheckProtectedProcess(const WalkedValue& value, std::vector<Finding>& findings) {
  if (!IsProtectedProcessName(value.value)) return;
  findings.push_back({value.line, Severity::Error,
                      Quote(value.value) +
                          " is a process of Windows itself: the program never ends it (ending it would stop the "
                          "session or the system); remove the line"});
}

void CheckRunValueName(const WalkedValue& value, std::vector<Finding>& findings) {
  for (std::string_view known : kWindowsRunValueNames) {
    if (!EqualsIgnoreCaseCp949(value.name, known)) continue;
    findings.push_back({value.line, Severity::Error,
                        "Run value " + Quote(value.name) +
                            " starts a part of Windows or of a common driver or program, not the target: the "
                            "program would delete the start-up entry of that name under both roots; remove the "
                            "line"});
    return;
  }
}

void CheckRegistryKeyEntry(std::string_view section, const WalkedValue& value, std::vector<Finding>& findings) {
  // A value made only of backslashes has a finding of its own.
  if (value.value.find_first_not_of('\\') == std::string::npos) return;
  const std::string label = "[" + std::string(section) + "]";
  const std::string_view root = LeadingRootName(value.name);
  if (!root.empty()) {
    findings.push_back({value.line, Severity::Error,
                        "entry name " + Quote(value.name) + " starts with the root's name " + Quote(root) +
                            ": the program looks for a key of that name below " + std::string(section) +
                            ", finds none and deletes nothing; in " + label +
                            " write the path below the root, such as 'SOFTWARE'"});
    return;
  }
  if (value.value.front() == '\\') {
    findings.push_back({value.line, Severity::Error,
                        "the value " + Quote(value.value) +
                            " begins with '\\', which would make it a key path from the root, outside the "
                            "entry's key: the program refuses it and deletes nothing; write the subkey's name "
                            "without the leading '\\'"});
    return;
  }
  if (!RefusesRegistryKeyEntry(RootOfSection(section), value.name, value.value)) return;
  const std::string key = RegistryEntryKeyPath(value.name, value.value);
  findings.push_back({value.line, Severity::Error,
                      "the key " + Quote(std::string(section) + "\\" + key) +
                          " is a key of Windows or one shared by many programs: the program never deletes it; "
                          "name the target's own key below it"});
}

void CheckUninstallEntry(const WalkedValue& value, std::vector<Finding>& findings) {
  if (value.value.find_first_not_of('\\') == std::string::npos) return;
  if (value.value.find('\\') != std::string::npos) {
    const bool fullPath = StartsWithIgnoreCase(value.value, "Software\\") || !LeadingRootName(value.value).empty();
    findings.push_back({value.line, Severity::Error,
                        Quote(value.value) +
                            (fullPath ? " is a full key path, but [UNINSTALL] takes the name of one subkey of the "
                                        "Uninstall key"
                                      : " holds '\\', but a subkey name of the Uninstall key never does") +
                            ": the program refuses it and deletes nothing; write only the entry's own name, such "
                            "as 'lumenseek'"});
    return;
  }
  if (!RefusesUninstallEntry(RegistryRoot::CurrentUser, value.value) &&
      !RefusesUninstallEntry(RegistryRoot::LocalMachine, value.value)) {
    return;
  }
  findings.push_back({value.line, Severity::Error,
                      "the Uninstall entry " + Quote(value.value) +
                          " names a key of Windows or one shared by many programs: the program never deletes it; "
                          "name the target's own entry"});
}

bool CheckFileTarget(const WalkedValue& value, std::vector<Finding>& findings) {
  const FileValueCheck check = CheckFileValue(ForComparison(value.expanded), CheckerWellKnownFolders());
  switch (check.verdict) {
    case FileValueVerdict::UnsafeFolder:
      findings.push_back({value.line, Severity::Error,
                          "the folder of " + Quote(value.value) +
                              " is refused: " + UnsafeFolderReason(check.target.folder) +
                              "; the program deletes nothing for it (name the folder plainly, from its drive or a "
                              "folder macro)"});
      return false;
    case FileValueVerdict::BroadMaskInWellKnownFolder:
      findings.push_back({value.line, Severity::Error,
                          "the mask " + Quote(check.target.mask) + " would delete every file in " +
                              (IsDriveRoot(check.target.folder) ? std::string("the root of a drive")
                                                                : "a folder of Windows or of every program") +
                              ", " + Quote(value.value) +
                              ": the program refuses it and deletes nothing; name the target's own subfolder, "
                              "such as '%PROGRAM_FILES%\\lumenseek\\*.*', or its files by name"});
      return false;
    case FileValueVerdict::Allowed:
    case FileValueVerdict::NoFolder:
    case FileValueVerdict::NoMask: break;
  }
  if (HasWildcard(check.target.folder)) {
    findings.push_back({value.line, Severity::Error,
                        "the folder part of " + Quote(value.value) +
                            " holds a wildcard: Windows matches wildcards only in the last part of a path, so the "
                            "program finds no such folder and deletes nothing; name the folder exactly"});
    return false;
  }
  if (value.value.find('/') != std::string::npos) {
    SlashError(value, findings);
    return false;
  }
  return true;
}

void CheckFolderTarget(const WalkedValue& value, std::vector<Finding>& findings) {
  const std::string folder = ForComparison(value.expanded);
  if (!IsSafeFolderPath(folder)) {
    findings.push_back({value.line, Severity::Error,
                        "the folder " + Quote(value.value) + " is refused: " + UnsafeFolderReason(folder) +
                            "; the program removes nothing for it (name the folder plainly)"});
  } else if (IsDriveRoot(folder)) {
    findings.push_back(
        {value.line, Severity::Error,
         Quote(value.value) + " is the root of a drive, which is never the target's folder; remove the line"});
  } else if (IsWellKnownFolder(folder, CheckerWellKnownFolders())) {
    findings.push_back({value.line, Severity::Error,
                        Quote(value.value) +
                            " is a folder of Windows or of every program: the program would remove it whenever it "
                            "is empty; name the target's own folder, such as '%PROGRAM_FILES%\\lumenseek'"});
  } else if (value.value.find('/') != std::string::npos) {
    SlashError(value, findings);
  }
}

}  // namespace tidemark::lint
