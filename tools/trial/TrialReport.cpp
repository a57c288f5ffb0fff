#include "trial/TrialReport.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "capture/SnapshotCompare.h"
#include "engine/PathMacros.h"
#include "engine/PathSafety.h"
#include "engine/ProtectedKeys.h"
#include "engine/RegistryEntries.h"
#include "engine/StepSlotTable.h"
#include "lint/ScriptLint.h"
#include "script/ScriptFileName.h"
#include "script/ScriptSections.h"
#include "system/Cp949Text.h"
#include "system/MaskPath.h"

namespace tidemark::trial {

namespace {

using capture::LastComponent;
using capture::ParentOf;
using capture::RegistryKey;
using capture::Snapshot;

using capture::kProgramView;

// Where Windows keeps the file operations for the next restart.
constexpr char kSessionManagerKeyPath[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingOperationsValue[] = "PendingFileRenameOperations";

std::string Upper(std::string_view text) { return ToUpperAsciiCp949(text); }

bool IsAtOrBelow(const std::string& upperPath, const std::string& upperParent) {
  if (upperPath.compare(0, upperParent.size(), upperParent) != 0) return false;
  return upperPath.size() == upperParent.size() || upperParent.empty() || upperPath[upperParent.size()] == '\\';
}

// The macro folders as the capture program recorded them.
class SnapshotFolders final : public FolderLookup {
 public:
  explicit SnapshotFolders(const Snapshot& snapshot) : m_snapshot(snapshot) {}
  std::optional<std::string> SpecialFolder(int csidl) const override { return Find(csidl); }
  std::optional<std::string> TempFolder() const override { return Find(kTempFolder); }

 private:
  std::optional<std::string> Find(int csidl) const {
    for (const PathMacro& macro : kPathMacros) {
      if (macro.csidl != csidl) continue;
      for (const capture::MacroFolder& recorded : m_snapshot.macros) {
        if (recorded.macro == macro.macro) return recorded.folder;
      }
    }
    return std::nullopt;
  }
  const Snapshot& m_snapshot;
};

// What a snapshot holds, indexed for look-ups by name.
class SnapshotIndex {
 public:
  explicit SnapshotIndex(const Snapshot& snapshot) {
    for (const std::string& process : snapshot.processes) m_processes.insert(Upper(process));
    for (const RegistryKey& key : snapshot.keys) m_keys.insert(capture::KeyIdentity(key));
    for (const capture::RegistryValue& value : snapshot.values) m_values.insert(ValueIdentity(value.key, value.name));
    for (const std::string& folder : snapshot.folders) m_folders.insert(Upper(folder));
    for (const capture::FileEntry& file : snapshot.files)
      m_filesByFolder[Upper(ParentOf(file.path))].push_back(LastComponent(file.path));
  }

  bool HasProcess(const std::string& image) const { return m_processes.count(Upper(image)) != 0; }
  bool HasKey(const char* root, const std::string& path) const {
    return m_keys.count(capture::KeyIdentity({kProgramView, root, path})) != 0;
  }
  bool HasValue(const char* root, const std::string& keyPath, const std::string& name) const {
    return m_values.count(ValueIdentity({kProgramView, root, keyPath}, name)) != 0;
  }
  bool HasFolder(const std::string& folder) const { return m_folders.count(Upper(folder)) != 0; }
  std::size_t MatchingFiles(const MaskPath& target) const {
    const auto files = m_filesByFolder.find(Upper(target.folder));
    if (files == m_filesByFolder.end()) return 0;
    return static_cast<std::size_t>(
        std::count_if(files->second.begin(), files->second.end(),
                      [&](const std::string& name) { return MatchesFileMask(target.mask, name); }));
  }

  static std::string ValueIdentity(const RegistryKey& key, const std::string& name) {
    return capture::KeyIdentity(key) + '\0' + Upper(name);
  }

 private:
  std::unordered_set<std::string> m_processes;
  std::unordered_set<std::string> m_keys;
  std::unordered_set<std::string> m_values;
  std::unordered_set<std::string> m_folders;
  std::unordered_map<std::string, std::vector<std::string>> m_filesByFolder;
};

// What the entries that a run handles name; a change to anything else is a
// change outside the script.
struct Coverage {
  std::set<std::string> processes;                        // upper-cased image names
  std::set<std::string> runValues;                        // upper-cased Run value names
  std::vector<std::pair<std::string, std::string>> keys;  // root, upper-cased path: the key and all below it
  std::vector<MaskPath> fileMasks;
  std::set<std::string> folders;  // upper-cased

  bool CoversKey(const RegistryKey& key) const {
    const std::string path = Upper(key.path);
    for (const auto& [root, covered] : keys) {
      if (root == key.root && IsAtOrBelow(path, covered)) return true;
    }
    return false;
  }
  bool CoversFile(const std::string& path) const {
    const std::string folder = Upper(ParentOf(path));
    for (const MaskPath& mask : fileMasks) {
      if (Upper(mask.folder) == folder && MatchesFileMask(mask.mask, LastComponent(path))) return true;
    }
    return false;
  }
};

struct Presence {
  bool known = false;  // false: the entry names nothing that can be looked at
  std::string detail;
  bool before = false;
  bool afterRun = false;
  bool after = false;  // at the end of the trial: after the restart, when there was one
};

class Judge {
 public:
  // `afterRestart`: null when the trial did not restart after the run.
  Judge(const Snapshot& before, const Snapshot& afterRun, const Snapshot* afterRestart)
      : m_folders(afterRun),
        m_before(before),
        m_afterRun(afterRun),
        m_after(afterRestart != nullptr ? *afterRestart : afterRun),
        m_restarted(afterRestart != nullptr) {}

  // `refusal`: the checker's error on the entry's line, empty when none.
  EntryVerdict Entry(std::string_view section, const lint::HandledEntry& entry, const std::string& refusal) {
    EntryVerdict verdict{entry.line, std::string(section), entry.value, Outcome::NothingToDo, {}};
    if (IsReadOnlyByStepsTheStartButtonLeavesOff(section)) {
      verdict.outcome = Outcome::Off;
      return verdict;
    }
    if (!refusal.empty()) {
      verdict.outcome = Outcome::Refused;
      verdict.detail = refusal;
      return verdict;
    }
    const Presence presence = Look(section, entry);
    verdict.detail = presence.detail;
    if (presence.known && presence.before) {
      verdict.outcome = presence.after                     ? Outcome::Left
                        : m_restarted && presence.afterRun ? Outcome::RemovedAtRestart
                                                           : Outcome::Removed;
    }
    return verdict;
  }

  const Coverage& Covered() const { return m_coverage; }

 private:
  Presence Look(std::string_view section, const lint::HandledEntry& entry) {
    if (section == sections::kProcess) return Process(entry.value);
    if (section == sections::kStartRun) return RunValue(entry.name);
    if (section == sections::kUninstall) return UninstallEntry(entry.value);
    if (section == sections::kCurrentUser) return Key(capture::kRootCurrentUser, entry);
    if (section == sections::kLocalMachine) return Key(capture::kRootLocalMachine, entry);
    if (section == sections::kFile) return Files(entry.value);
    if (section == sections::kPath) return Folder(entry.value);
    return {};
  }

  // A restart ends every process: only the snapshot right after the run
  // shows which ones the run ended.
  Presence Process(const std::string& image) {
    m_coverage.processes.insert(Upper(image));
    const bool running = m_afterRun.HasProcess(image);
    return {true, image, m_before.HasProcess(image), running, running};
  }

  Presence RunValue(const std::string& name) {
    m_coverage.runValues.insert(Upper(name));
    Presence presence{true, "HKCU and HKLM\\" + std::string(kRunKeyPath) + " value " + name, false, false, false};
    for (const char* root : {capture::kRootCurrentUser, capture::kRootLocalMachine}) {
      presence.before |= m_before.HasValue(root, kRunKeyPath, name);
      presence.afterRun |= m_afterRun.HasValue(root, kRunKeyPath, name);
      presence.after |= m_after.HasValue(root, kRunKeyPath, name);
    }
    return presence;
  }

  Presence UninstallEntry(const std::string& name) {
    const std::string path = std::string(kUninstallKeyPath) + name;
    Presence presence{true, "HKCU and HKLM\\" + path, false, false, false};
    for (const char* root : {capture::kRootCurrentUser, capture::kRootLocalMachine}) {
      m_coverage.keys.emplace_back(root, Upper(path));
      presence.before |= m_before.HasKey(root, path);
      presence.afterRun |= m_afterRun.HasKey(root, path);
      presence.after |= m_after.HasKey(root, path);
    }
    return presence;
  }

  Presence Key(const char* root, const lint::HandledEntry& entry) {
    const std::string path = RegistryEntryKeyPath(entry.name, entry.value);
    m_coverage.keys.emplace_back(root, Upper(path));
    return {true, std::string(root) + "\\" + path, m_before.HasKey(root, path), m_afterRun.HasKey(root, path),
            m_after.HasKey(root, path)};
  }

  Presence Files(const std::string& value) {
    std::string expanded;
    if (!ExpandPathMacros(value, expanded, m_folders))
      return {false, "a macro's folder is unknown", false, false, false};
    const std::optional<MaskPath> target = SplitMaskPath(expanded);
    if (!target || target->mask.empty()) return {false, expanded, false, false, false};
    m_coverage.fileMasks.push_back(*target);
    const std::size_t before = m_before.MatchingFiles(*target), afterRun = m_afterRun.MatchingFiles(*target),
                      after = m_after.MatchingFiles(*target);
    std::string detail = expanded + ": " + std::to_string(before) + " file" + (before == 1 ? "" : "s") + " before";
    if (!m_restarted) {
      if (after != 0) detail += ", " + std::to_string(after) + " after";
    } else {
      if (afterRun != 0) detail += ", " + std::to_string(afterRun) + " after the run";
      if (after != 0) detail += ", " + std::to_string(after) + " after the restart";
    }
    return {true, detail, before != 0, afterRun != 0, after != 0};
  }

  Presence Folder(const std::string& value) {
    std::string expanded;
    if (!ExpandPathMacros(value, expanded, m_folders))
      return {false, "a macro's folder is unknown", false, false, false};
    m_coverage.folders.insert(Upper(expanded));
    return {true, expanded, m_before.HasFolder(expanded), m_afterRun.HasFolder(expanded), m_after.HasFolder(expanded)};
  }

  SnapshotFolders m_folders;
  SnapshotIndex m_before;
  SnapshotIndex m_afterRun;
  SnapshotIndex m_after;
  bool m_restarted;
  Coverage m_coverage;
};

// A key's values as a 64-bit view sees them and as the 32-bit view does: the
// same key when the two are alike. Windows shares most keys between the views
// and redirects a few; the snapshot does not say which, the values do.
class KeySignatures {
 public:
  explicit KeySignatures(const Snapshot& snapshot) {
    for (const capture::RegistryValue& value : snapshot.values) {
      std::string& signature = m_signatures[capture::KeyIdentity(value.key)];
      signature += Upper(value.name) + '\0' + std::to_string(value.hash) + '\0';
    }
  }
  bool SameKeyInBothViews(const RegistryKey& key) const {
    return Signature({capture::kView32, key.root, key.path}) == Signature({capture::kView64, key.root, key.path});
  }

 private:
  std::string Signature(const RegistryKey& key) const {
    const auto found = m_signatures.find(capture::KeyIdentity(key));
    return found == m_signatures.end() ? std::string() : found->second;
  }
  std::unordered_map<std::string, std::string> m_signatures;
};

class OutsideChanges {
 public:
  // `afterRestart`: null when the trial did not restart after the run. Of what a restart does, only the file operations
  // the run scheduled are the run's (all it schedules are deletions); whatever else Windows does while it starts (Wine
  // registers fonts, renews its display keys) is not. So removed files and folders are judged by the last snapshot,
  // everything else by `afterRun`, and the session manager's list of the operations, which the restart uses up, is no
  // change.
  OutsideChanges(const Snapshot& before, const Snapshot& afterRun, const Snapshot* afterRestart,
                 const Coverage& coverage, const std::vector<std::string>& ignoredFolders)
      : m_before(before),
        m_afterRun(afterRun),
        m_after(afterRestart != nullptr ? *afterRestart : afterRun),
        m_restarted(afterRestart != nullptr),
        m_coverage(coverage),
        m_signatures(before) {
    for (const std::string& folder : ignoredFolders) m_ignored.push_back(Upper(folder));
    // The program writes its script to the temporary folder at start and
    // deletes it at close: its own file, whatever the script says (a copy
    // left by an earlier run that ended abruptly is replaced and goes too).
    for (const capture::MacroFolder& macro : afterRun.macros) {
      if (macro.macro == "%TEMP%") m_ownScriptCopy = Upper(macro.folder + "\\" + kScriptFileName);
    }
  }

  std::vector<std::string> Lines() {
    const capture::SnapshotChanges changes = capture::CompareSnapshots(m_before, m_afterRun);
    const capture::SnapshotChanges removals = m_restarted ? capture::CompareSnapshots(m_before, m_after) : changes;
    Processes();
    for (const capture::Service& service : changes.newServices) Add("service added: " + service.name);
    for (const RegistryKey& key : changes.newKeys) Add("key added: " + capture::DescribeKey(key));
    RemovedKeys(changes);
    for (const auto& value : changes.newValues) {
      if (!IsScheduleOfTheRestart(value)) Add("value added: " + Describe(value));
    }
    for (const auto& value : changes.changedValues) {
      if (!IsScheduleOfTheRestart(value)) Add("value changed: " + Describe(value));
    }
    RemovedValues(changes);
    for (const std::string& folder : changes.newFolders) AddPath("folder added: ", folder);
    for (const std::string& folder : removals.removedFolders) {
      if (m_coverage.folders.count(Upper(folder)) == 0) AddPath("folder removed: ", folder);
    }
    for (const capture::FileEntry& file : changes.newFiles) AddPath("file added: ", file.path);
    for (const capture::FileEntry& file : changes.changedFiles) AddPath("file changed: ", file.path);
    for (const capture::FileEntry& file : removals.removedFiles) {
      if (!m_coverage.CoversFile(file.path)) AddPath("file removed: ", file.path);
    }
    return m_lines;
  }

 private:
  void Processes() {
    std::set<std::string> running;
    for (const std::string& process : m_afterRun.processes) running.insert(Upper(process));
    std::set<std::string> reported;
    for (const std::string& process : m_before.processes) {
      const std::string name = Upper(process);
      if (running.count(name) != 0 || m_coverage.processes.count(name) != 0) continue;
      if (reported.insert(name).second) Add("process ended: " + process);
    }
  }

  bool IsScheduleOfTheRestart(const capture::RegistryValue& value) const {
    return m_restarted && value.key.root == capture::kRootLocalMachine &&
           EqualsIgnoreCaseCp949(value.key.path, kSessionManagerKeyPath) &&
           EqualsIgnoreCaseCp949(value.name, kPendingOperationsValue);
  }

  void RemovedKeys(const capture::SnapshotChanges& changes) {
    std::unordered_set<std::string> removed;
    for (const RegistryKey& key : changes.removedKeys) removed.insert(capture::KeyIdentity(key));
    for (const RegistryKey& key : changes.removedKeys) {
      if (IsCoveredKey(key, removed)) continue;
      // Only the top-most key removed outside the script: what was below it
      // went with it.
      const RegistryKey parent{key.view, key.root, ParentOf(key.path)};
      if (!parent.path.empty() && removed.count(capture::KeyIdentity(parent)) != 0 && !IsCoveredKey(parent, removed)) {
        continue;
      }
      Add("key removed: " + capture::DescribeKey(key));
    }
  }

  bool IsCoveredKey(const RegistryKey& key, const std::unordered_set<std::string>& removed) const {
    if (key.view == kProgramView) return m_coverage.CoversKey(key);
    // A key of the other view went with the program's key only when it is
    // the same key seen through both views.
    const RegistryKey programKey{kProgramView, key.root, key.path};
    return removed.count(capture::KeyIdentity(programKey)) != 0 && m_coverage.CoversKey(programKey) &&
           m_signatures.SameKeyInBothViews(key);
  }

  void RemovedValues(const capture::SnapshotChanges& changes) {
    for (const capture::RegistryValue& value : changes.removedValues) {
      const bool runValue =
          EqualsIgnoreCaseCp949(value.key.path, kRunKeyPath) && m_coverage.runValues.count(Upper(value.name)) != 0;
      const bool programView = value.key.view == kProgramView || m_signatures.SameKeyInBothViews(value.key);
      if (!(runValue && programView)) Add("value removed: " + Describe(value));
    }
  }

  static std::string Describe(const capture::RegistryValue& value) {
    return capture::DescribeKey(value.key) + " value " + (value.name.empty() ? "(default)" : value.name);
  }

  void AddPath(const char* what, const std::string& path) {
    const std::string upper = Upper(path);
    if (upper == m_ownScriptCopy) return;
    for (const std::string& ignored : m_ignored) {
      if (IsAtOrBelow(upper, ignored)) return;
    }
    Add(what + path);
  }

  void Add(const std::string& line) { m_lines.push_back(line); }

  const Snapshot& m_before;
  const Snapshot& m_afterRun;
  const Snapshot& m_after;
  bool m_restarted;
  const Coverage& m_coverage;
  KeySignatures m_signatures;
  std::vector<std::string> m_ignored;
  std::string m_ownScriptCopy;
  std::vector<std::string> m_lines;
};

}  // namespace

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Removed: return "removed";
    case Outcome::RemovedAtRestart: return "removed at restart";
    case Outcome::Left: return "left";
    case Outcome::Refused: return "refused";
    case Outcome::NothingToDo: return "nothing to do";
    case Outcome::Off: return "off for the Start button";
  }
  return "";
}

TrialVerdict JudgeTrial(std::string_view script, const Snapshot& before, const Snapshot& after,
                        const std::vector<std::string>& ignoredFolders, const Snapshot* afterRestart) {
  const lint::LintResult checked = lint::LintScript(script);
  std::map<std::size_t, std::string> refusals;
  for (const lint::Finding& finding : checked.findings) {
    if (finding.severity == lint::Severity::Error) refusals.emplace(finding.line, finding.message);
  }
  TrialVerdict verdict;
  Judge judge(before, after, afterRestart);
  for (const lint::WalkedSection& walk : checked.walks) {
    for (const lint::HandledEntry& entry : walk.handled) {
      const auto refusal = refusals.find(entry.line);
      verdict.entries.push_back(judge.Entry(walk.section, entry, refusal == refusals.end() ? "" : refusal->second));
      const Outcome outcome = verdict.entries.back().outcome;
      if (outcome == Outcome::Removed || outcome == Outcome::RemovedAtRestart) ++verdict.removed;
      if (outcome == Outcome::Left) ++verdict.left;
    }
  }
  std::stable_sort(verdict.entries.begin(), verdict.entries.end(),
                   [](const EntryVerdict& a, const EntryVerdict& b) { return a.line < b.line; });
  verdict.outside = OutsideChanges(before, after, afterRestart, judge.Covered(), ignoredFolders).Lines();
  return verdict;
}

std::string FormatTrialVerdict(std::string_view scriptName, const TrialVerdict& verdict) {
  std::string text;
  for (const EntryVerdict& entry : verdict.entries) {
    text += std::string(scriptName) + ":" + std::to_string(entry.line) + ": " + OutcomeName(entry.outcome) + ": [" +
            entry.section + "] " + entry.value;
    if (!entry.detail.empty() && entry.detail != entry.value) text += " (" + entry.detail + ")";
    text += "\n";
  }
  for (const std::string& change : verdict.outside) text += "outside the script: " + change + "\n";
  text += std::to_string(verdict.removed) + " removed, " + std::to_string(verdict.left) + " left, " +
          std::to_string(verdict.outside.size()) + " changed outside the script\n";
  return text;
}

}  // namespace tidemark::trial
