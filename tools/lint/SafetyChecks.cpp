#include "lint/SafetyChecks.h"

#include <optional>

#include "engine/EntryVerdicts.h"
#include "engine/PathSafety.h"
#include "engine/ProtectedKeys.h"
#include "engine/RegistryRules.h"
#include "lint/PlaceholderFolders.h"
#include "script/ScriptSections.h"
#include "system/Cp949Text.h"
#include "system/MaskPath.h"

namespace tidemark::lint {

namespace {

namespace sec = tidemark::sections;

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

// The program's own verdicts decide every refusal below; the checker knows no
// machine, so it judges registry keys by the rules that their names settle.
// An error is the refusal's reason, word for word.
void AddRefusal(const WalkedValue& value, const Verdict& verdict, std::vector<Finding>& findings) {
  if (verdict.IsRefused()) findings.push_back({value.line, Severity::Error, verdict.Reason()});
}

RegistryRoot RootOfSection(std::string_view section) {
  return section == sec::kLocalMachine ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
}

void SlashError(const WalkedValue& value, std::vector<Finding>& findings) {
  findings.push_back({value.line, Severity::Error,
                      Quote(value.value) +
                          " holds '/': Windows and the program take it as a folder separator like '\\', so the "
                          "value names other folders than its text shows; write every separator as '\\'"});
}

}  // namespace

// The program's guard over the placeholder folders, with the folders as they
// are usually written out: the Windows folder (and everything inside it) and
// the folders of the users' profiles.
const FolderGuard& CheckerFolderGuard() {
  static const FolderGuard guard = [] {
    FolderGuard checker = GuardedFolders(PlaceholderFolders());
    for (std::string_view folder : kLiteralWellKnownFolders) checker.wellKnown.emplace_back(folder);
    checker.windowsFolders.emplace_back("C:\\Windows");
    checker.profileParents.emplace_back("C:\\Users");
    checker.profileParents.emplace_back("C:\\Documents and Settings");
    return checker;
  }();
  return guard;
}

std::string ForComparison(std::string_view path) {
  std::string text(path);
  if (IsFullyQualifiedPath(text)) text[0] = 'C';
  return text;
}

std::string_view LeadingRootName(std::string_view keyPath) { return LeadingRegistryRootName(keyPath); }

void CheckProtectedProcess(const WalkedValue& value, std::vector<Finding>& findings) {
  AddRefusal(value, ProcessVerdict(value.value), findings);
}

void CheckRunValueName(const WalkedValue& value, std::vector<Finding>& findings) {
  AddRefusal(value, RunValueVerdict(value.name), findings);
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
  AddRefusal(value, RegistryKeyEntryVerdict(RootOfSection(section), value.name, value.value, NoRegistryFacts()),
             findings);
}

void CheckUninstallEntry(const WalkedValue& value, std::vector<Finding>& findings) {
  if (value.value.find_first_not_of('\\') == std::string::npos) return;
  // Said once, for the first root that refuses it.
  for (RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
    const Verdict verdict = UninstallEntryVerdict(root, value.value, NoRegistryFacts());
    if (!verdict.IsRefused()) continue;
    AddRefusal(value, verdict, findings);
    return;
  }
}

bool CheckFileOrFolderRefusal(std::string_view section, const WalkedValue& value, std::vector<Finding>& findings) {
  const std::string expanded = ForComparison(value.expanded);
  const Verdict verdict = section == sec::kFile ? FileEntryVerdict(value.value, expanded, CheckerFolderGuard())
                                                : FolderEntryVerdict(value.value, expanded, CheckerFolderGuard());
  AddRefusal(value, verdict, findings);
  return !verdict.IsRefused();
}

bool CheckFileTarget(const WalkedValue& value, std::vector<Finding>& findings) {
  const std::optional<MaskPath> target = SplitMaskPath(value.expanded);
  if (target && HasWildcard(target->folder)) {
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
  if (value.value.find('/') != std::string::npos) SlashError(value, findings);
}

}  // namespace tidemark::lint
