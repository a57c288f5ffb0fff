#include "lint/ValueChecks.h"

#include <algorithm>

#include "engine/PathMacros.h"
#include "engine/PathSafety.h"
#include "engine/ProtectedProcesses.h"
#include "engine/RegistryRules.h"
#include "lint/SafetyChecks.h"
#include "script/ScriptSections.h"
#include "system/Cp949Text.h"
#include "system/MaskPath.h"

namespace tidemark::lint {

namespace {

namespace sec = tidemark::sections;

bool IsMacroNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '(' ||
         c == ')' || c == '-';
}

// Length of a "%NAME%" token at the position, or 0.
std::size_t MacroTokenAt(std::string_view text, std::size_t pos) {
  if (text[pos] != '%') return 0;
  std::size_t end = pos + 1;
  while (end < text.size() && IsMacroNameChar(text[end])) ++end;
  if (end == pos + 1 || end >= text.size() || text[end] != '%') return 0;
  return end - pos + 1;
}

bool StartsWithMacroToken(std::string_view text) { return !text.empty() && MacroTokenAt(text, 0) > 0; }

bool StartsWithFolderMacro(std::string_view text) {
  for (const PathMacro& macro : kPathMacros) {
    if (text.substr(0, macro.macro.size()) == macro.macro) return true;
  }
  return false;
}

// The expansion replaces only the thirteen macros, exactly as written; any
// other "%NAME%" (an environment variable, a macro in lower case) stays in
// the path and names a folder that does not exist.
void CheckLeftoverMacros(const WalkedValue& value, std::vector<Finding>& findings) {
  const std::string_view text = value.expanded;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = MacroTokenAt(text, pos);
    if (length == 0) {
      pos += Cp949CharLength(text, pos);
      continue;
    }
    const std::string_view token = text.substr(pos, length);
    std::string message = Quote(token) + " is not one of the thirteen folder macros";
    for (const PathMacro& macro : kPathMacros) {
      if (EqualsIgnoreCaseCp949(macro.macro, token)) {
        message += " (they are matched exactly, in upper case: " + Quote(macro.macro) + ")";
        break;
      }
    }
    message += "; it stays in " + Quote(value.value) + " as written";
    findings.push_back({value.line, Severity::Warning, message});
    pos += length;
  }
}

void CheckUnexpandedMacros(std::string_view section, const WalkedValue& value, std::vector<Finding>& findings) {
  for (const PathMacro& macro : kPathMacros) {
    if (FindOnCharBoundary(value.value, macro.macro) == std::string_view::npos) continue;
    findings.push_back({value.line, Severity::Warning,
                        "folder macro " + Quote(macro.macro) + " is not expanded in [" + std::string(section) +
                            "]: " + Quote(value.value) + " is used as written"});
  }
}

void CheckProcessName(const WalkedValue& value, std::vector<Finding>& findings) {
  if (value.value.find_first_of("\\/:") == std::string::npos) return;
  findings.push_back({value.line, Severity::Error,
                      "process name " + Quote(value.value) +
                          " holds a folder; running processes are matched by image file name alone, so it never "
                          "matches"});
}

// Image names are compared whole, extension included.
void CheckProcessExtension(const WalkedValue& value, std::vector<Finding>& findings) {
  if (value.value.find_first_of("\\/:") != std::string::npos || IsProtectedProcessName(value.value)) return;
  const std::string upper = ToUpperAsciiCp949(value.value);
  if (upper.size() >= 4 && upper.compare(upper.size() - 4, 4, ".EXE") == 0) return;
  findings.push_back({value.line, Severity::Warning,
                      "process name " + Quote(value.value) +
                          " does not end in '.exe': running processes are matched by their whole image file name, "
                          "so it ends only a process whose image is named exactly so (add '.exe')"});
}

// The registry object refuses to delete a key path made only of backslashes:
// it would name the parent key (or the root) itself.
void CheckKeyPathNotEmpty(std::string_view section, const WalkedValue& value, std::vector<Finding>& findings) {
  if (value.value.find_first_not_of('\\') != std::string::npos) return;
  findings.push_back({value.line, Severity::Error,
                      "key path " + Quote(value.value) + " in [" + std::string(section) +
                          "] is empty once its backslashes are dropped; the program deletes nothing for it"});
}

void CheckParentShortening(const WalkedValue& value, std::vector<Finding>& findings) {
  if (RegistryParentPath(value.name, value.value) != value.name) return;
  // Key names are compared without case by the registry, so a full path
  // whose last part differs from the value only in case was meant as one.
  if (FindOnCharBoundary(ToUpperAsciiCp949(value.name), ToUpperAsciiCp949(value.value)) == std::string::npos) {
    return;
  }
  findings.push_back({value.line, Severity::Warning,
                      "entry name " + Quote(value.name) + " holds the value " + Quote(value.value) +
                          " but not exactly as its last path component, so it is not cut to a parent key: the "
                          "program opens " +
                          Quote(value.name) + " and deletes " + Quote(value.value) + " below it"});
}

// [BHO]: a module path that is no full path is looked for where Windows
// looks for modules. (The file and folder steps refuse such a value; their
// errors are the program's own verdicts.) False when it is not usable.
bool CheckQualifiedPath(const WalkedValue& value, std::vector<Finding>& findings) {
  if (StartsWithFolderMacro(value.value) || IsFullyQualifiedPath(value.value)) return true;
  // An unknown macro at the start has a finding of its own.
  if (StartsWithMacroToken(value.value)) return false;
  findings.push_back({value.line, Severity::Warning,
                      Quote(value.value) +
                          " is neither a full path (such as 'C:\\...') nor starts with a folder macro; it would be "
                          "looked for wherever Windows looks for modules"});
  return false;
}

void CheckFileMask(const WalkedValue& value, std::vector<Finding>& findings) {
  // A value without a mask is refused by the program, and said so before.
  const std::optional<MaskPath> written = SplitMaskPath(value.value);
  const std::string mask = written ? written->mask : value.value;
  if (mask.empty()) return;
  if (!HasWildcard(mask) && (mask.find('.') == std::string::npos || mask.find('%') != std::string::npos)) {
    findings.push_back({value.line, Severity::Warning,
                        Quote(value.value) + " has no file mask: its last part " + Quote(mask) +
                            " has neither a wildcard nor an extension, and if it is a folder nothing is deleted "
                            "(to delete the files in a folder, end the value with '\\*.*')"});
    return;
  }
  const std::optional<MaskPath> expanded = SplitMaskPath(value.expanded);
  if (!expanded || !IsFullyQualifiedPath(expanded->folder)) {
    findings.push_back(
        {value.line, Severity::Warning,
         "the folder part of " + Quote(value.value) + " is not a full path; the program deletes nothing for it"});
  }
}

void CheckFolderPath(const WalkedValue& value, std::vector<Finding>& findings) {
  if (!HasWildcard(value.value)) return;
  findings.push_back({value.line, Severity::Warning,
                      "folder " + Quote(value.value) +
                          " holds a wildcard; [PATH] removes one folder by its exact name, so nothing is removed"});
}

std::string FolderKey(std::string_view path) {
  std::string key = ToUpperAsciiCp949(path);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

// The smallest index held among a range of positions, over positions that
// are filled one by one: a segment tree, so that both take logarithmic time.
class SmallestIndexTree {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  explicit SmallestIndexTree(std::size_t positions) : m_size(positions), m_nodes(2 * positions, kNone) {}

  void Fill(std::size_t position, std::size_t index) {
    std::size_t node = position + m_size;
    m_nodes[node] = index;
    for (node /= 2; node >= 1; node /= 2) m_nodes[node] = std::min(m_nodes[2 * node], m_nodes[2 * node + 1]);
  }

  // Over the positions [first, last); kNone when none of them is filled.
  std::size_t Smallest(std::size_t first, std::size_t last) const {
    std::size_t smallest = kNone;
    for (std::size_t low = first + m_size, high = last + m_size; low < high; low /= 2, high /= 2) {
      if (low % 2 == 1) smallest = std::min(smallest, m_nodes[low++]);
      if (high % 2 == 1) smallest = std::min(smallest, m_nodes[--high]);
    }
    return smallest;
  }

 private:
  std::size_t m_size;
  std::vector<std::size_t> m_nodes;
};

// A folder is removed only when it is empty at its turn, and a subfolder
// listed after it still exists then. Each folder is reported once, with the
// first of its subfolders that follows it. The subfolders of a folder are
// the keys that start with its key and a backslash: in byte order they stand
// together, from that prefix up to the key followed by ']' (the byte after
// '\'). Walking the folders from the last to the first, the tree holds
// exactly the folders after the current one, so that the first subfolder
// after it is one range query: n log n in all, however long the section.
void CheckFolderOrder(const std::vector<WalkedValue>& values, std::vector<Finding>& findings) {
  const std::size_t count = values.size();
  std::vector<std::string> keys;
  keys.reserve(count);
  for (const WalkedValue& value : values) keys.push_back(FolderKey(value.expanded));
  std::vector<std::size_t> byKey(count);
  for (std::size_t index = 0; index < count; ++index) byKey[index] = index;
  std::stable_sort(byKey.begin(), byKey.end(), [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  std::vector<std::size_t> positionOf(count);
  for (std::size_t position = 0; position < count; ++position) positionOf[byKey[position]] = position;
  const auto firstPositionNotBelow = [&](const std::string& bound) {
    return static_cast<std::size_t>(
        std::lower_bound(byKey.begin(), byKey.end(), bound,
                         [&keys](std::size_t index, const std::string& text) { return keys[index] < text; }) -
        byKey.begin());
  };

  std::vector<std::size_t> firstSubfolderAfter(count, SmallestIndexTree::kNone);
  SmallestIndexTree later(count);
  for (std::size_t parent = count; parent-- > 0;) {
    // A drive's root has an error of its own, and every placeholder folder
    // lies below drive C.
    if (!IsDriveRoot(values[parent].expanded)) {
      const std::size_t first = firstPositionNotBelow(keys[parent] + "\\");
      const std::size_t last = firstPositionNotBelow(keys[parent] + "]");
      firstSubfolderAfter[parent] = later.Smallest(first, last);
    }
    later.Fill(positionOf[parent], parent);
  }
  for (std::size_t parent = 0; parent < count; ++parent) {
    const std::size_t child = firstSubfolderAfter[parent];
    if (child == SmallestIndexTree::kNone) continue;
    findings.push_back({values[parent].line, Severity::Warning,
                        "folder " + Quote(values[parent].value) + " is listed before its subfolder " +
                            Quote(values[child].value) + " (line " + std::to_string(values[child].line) +
                            "); it still holds the subfolder at its turn and is never removed (list the "
                            "subfolder first)"});
  }
}

void CheckRecoveryRecord(const WalkedValue& value, std::vector<Finding>& findings) {
  std::vector<std::string> fields;
  SplitByDelimiter(fields, value.value, kRecoveryDelimiter);
  if (fields.size() < 2) {
    findings.push_back({value.line, Severity::Warning,
                        "recovery record " + Quote(value.value) +
                            " has one field; it is skipped (a record needs at least a root and a key path joined "
                            "by '|=|')"});
    return;
  }
  if (!IsKnownRecoveryRoot(fields[0])) {
    findings.push_back({value.line, Severity::Warning,
                        "recovery root " + Quote(fields[0]) +
                            " is not HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER (compared with "
                            "case); the key is made under HKEY_CURRENT_USER"});
  }
  if (fields.size() == 3 && !fields[2].empty()) {
    findings.push_back({value.line, Severity::Warning,
                        "recovery record has three fields: the value " + Quote(fields[2]) +
                            " is written with empty data (add '|=|' and the data)"});
  }
  if (fields.size() > 4) {
    findings.push_back(
        {value.line, Severity::Warning,
         "recovery record has " + std::to_string(fields.size()) + " fields; everything after the fourth is ignored"});
  }
}

}  // namespace

void CheckWalkedValues(std::string_view section, const std::vector<WalkedValue>& values,
                       std::vector<Finding>& findings) {
  const sec::SectionRule* rule = sec::FindSectionRule(section);
  if (rule == nullptr) return;
  const bool registryKeys = section == sec::kCurrentUser || section == sec::kLocalMachine;
  for (const WalkedValue& value : values) {
    if (rule->expandsMacros) {
      CheckLeftoverMacros(value, findings);
    } else if (section != sec::kRegistryRecovery) {
      // Recovery data is written as it is and may well hold "%...%" text.
      CheckUnexpandedMacros(section, value, findings);
    }
    if (section == sec::kProcess) {
      CheckProcessName(value, findings);
      CheckProtectedProcess(value, findings);
      CheckProcessExtension(value, findings);
    }
    if (section == sec::kStartRun) CheckRunValueName(value, findings);
    if (registryKeys || section == sec::kUninstall) CheckKeyPathNotEmpty(section, value, findings);
    if (registryKeys) {
      CheckRegistryKeyEntry(section, value, findings);
      CheckParentShortening(value, findings);
    }
    if (section == sec::kUninstall) CheckUninstallEntry(value, findings);
    if (section == sec::kFile || section == sec::kPath) {
      if (!CheckFileOrFolderRefusal(section, value, findings)) continue;
    } else if (section == sec::kBho && !CheckQualifiedPath(value, findings)) {
      continue;
    }
    if (section == sec::kFile && CheckFileTarget(value, findings)) CheckFileMask(value, findings);
    if (section == sec::kPath) {
      CheckFolderPath(value, findings);
      CheckFolderTarget(value, findings);
    }
    if (section == sec::kRegistryRecovery) CheckRecoveryRecord(value, findings);
  }
  if (section == sec::kPath) CheckFolderOrder(values, findings);
}

}  // namespace tidemark::lint
