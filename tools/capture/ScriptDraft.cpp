#include "capture/ScriptDraft.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

#include "capture/SnapshotCompare.h"
#include "engine/RegistryEntries.h"
#include "lint/LintFinding.h"
#include "lint/ScriptLint.h"
#include "script/ScriptIni.h"
#include "script/ScriptSections.h"
#include "system/Cp949Text.h"

namespace tidemark::capture {

namespace {

// What the window shows as the kind of program until the author says better.
constexpr char kDraftCategory[] = "애드웨어";

struct DraftLine {
  std::string text;
  bool entry = false;  // an entry line (commented out when the checker refuses it)
};

std::string HexByte(unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {'<', kDigits[byte >> 4], kDigits[byte & 0x0F], '>'};
}

// Names in a snapshot come from the program that was captured and may hold
// any byte. In a comment only the bytes that end a line (CR, LF, and a zero
// byte, which ends the whole text for the reader) could break the script's
// line structure, and only bytes that are no code page 949 text could make
// the checker refuse the draft; these, the other control bytes (unreadable
// in an editor) and '<' itself, so that the escapes stay unambiguous, are
// written as "<0D>", the byte's value in hexadecimal.
std::string ForComment(std::string_view text) {
  std::string written;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = Cp949CharLength(text, pos);
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (length == 2) {
      written.append(text.substr(pos, 2));
    } else if (byte < 0x20 || byte == 0x7F || byte >= 0x80 || byte == '<') {
      written += HexByte(byte);
    } else {
      written += static_cast<char>(byte);
    }
    pos += length;
  }
  return written;
}

DraftLine CommentLine(std::string_view text) { return {"; " + ForComment(text), false}; }

class Draft {
 public:
  void Comment(const std::string& text) { m_lines.push_back(CommentLine(text)); }
  void Section(std::string_view name) { m_lines.push_back({"[" + std::string(name) + "]", false}); }

  // Adds "name=value" when the program reads exactly that name and value
  // back from the line, and a comment saying why not otherwise: a line break
  // would end the line early, a leading '[' or ';' would make it a section
  // line or a comment, an '=' in the name would split it elsewhere, and the
  // reader drops blanks around both and quotation marks around the value.
  void Entry(std::string_view section, const std::string& name, const std::string& value) {
    const std::string line = name + "=" + value;
    if (ReadsBack(section, name, value)) {
      m_lines.push_back({line, true});
    } else {
      Comment("not written: the program would not read this line as it stands: " + line);
    }
  }

  std::vector<DraftLine>& Lines() { return m_lines; }

 private:
  static bool ReadsBack(std::string_view section, const std::string& name, const std::string& value) {
    if (name.empty() || value.empty()) return false;
    const std::string line = name + "=" + value;
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos || !IsValidCp949(line)) return false;
    const std::string text = "[" + std::string(section) + "]\r\n" + line + "\r\n";
    const ScriptIni script(text);
    const std::vector<std::string> names = script.ListEntryNames(section);
    return names.size() == 1 && names[0] == name && script.LookupValue(section, name) == value;
  }

  std::vector<DraftLine> m_lines;
};

std::string Upper(const std::string& text) { return ToUpperAsciiCp949(text); }

bool IsBelowPath(const std::string& path, const std::string& parent) {
  const std::string upperPath = Upper(path), upperParent = Upper(parent);
  return upperPath.size() > upperParent.size() + 1 && upperPath.compare(0, upperParent.size(), upperParent) == 0 &&
         upperPath[upperParent.size()] == '\\';
}

bool IsSamePath(const std::string& a, const std::string& b) { return EqualsIgnoreCaseCp949(a, b); }

std::size_t Depth(const std::string& path) {
  return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

const std::string kRunKey = kRunKeyPath;
const std::string kUninstallKey = std::string(kUninstallKeyPath).substr(0, std::string(kUninstallKeyPath).size() - 1);

bool IsUninstallEntry(const RegistryKey& key) { return IsSamePath(ParentOf(key.path), kUninstallKey); }
bool IsInUninstallEntry(const RegistryKey& key) { return IsBelowPath(key.path, kUninstallKey); }

std::string ValueText(const Snapshot& snapshot, const RegistryKey& key, const std::string& name) {
  const std::string identity = KeyIdentity(key);
  for (const RegistryValue& value : snapshot.values) {
    if (EqualsIgnoreCaseCp949(value.name, name) && KeyIdentity(value.key) == identity) return value.text;
  }
  return {};
}

// What a draft is made of, sorted into the sections.
class Drafter {
 public:
  Drafter(const Snapshot& before, const Snapshot& after)
      : m_before(before), m_after(after), m_changes(CompareSnapshots(before, after)) {
    for (const RegistryKey& key : m_changes.newKeys) {
      m_newKeyIdentities.insert(KeyIdentity(key));
      if (key.view == kProgramView) m_newProgramViewKeys.insert(Upper(key.root + "\\" + key.path));
    }
  }

  std::vector<DraftLine> Lines() {
    Header();
    AppType();
    Processes();
    m_draft.Section(sections::kService);
    m_draft.Section(sections::kBho);
    StartRun();
    Uninstall();
    RegistryKeys(kRootCurrentUser, sections::kCurrentUser);
    RegistryKeys(kRootLocalMachine, sections::kLocalMachine);
    Files();
    Folders();
    Leftovers();
    return m_draft.Lines();
  }

 private:
  void Header() {
    m_draft.Comment("Drafted by tidemark-capture from two snapshots of " + m_after.machine + ",");
    m_draft.Comment("taken " + m_before.takenAt + " and " + m_after.takenAt + ". Read every line before building.");
    if (m_after.captureBits == 64) {
      m_draft.Comment(
          "The snapshots were taken by a 64-bit capture: the folders of %PROGRAM_FILES% and %SYSTEM% are the");
      m_draft.Comment("64-bit ones, which the 32-bit program names %PROGRAM_FILES% only on 32-bit Windows.");
    }
  }

  void AppType() {
    std::string title, publisher;
    for (const RegistryKey& key : m_changes.newKeys) {
      if (key.view != kProgramView || !IsUninstallEntry(key)) continue;
      title = ValueText(m_after, key, "DisplayName");
      publisher = ValueText(m_after, key, "Publisher");
      if (title.empty()) title = LastComponent(key.path);
      break;
    }
    m_draft.Section(sections::kAppType);
    m_draft.Comment("category: the kind of program the window shows; title: its name");
    m_draft.Entry(sections::kAppType, sections::kAppTypeCategory, kDraftCategory);
    if (title.empty()) {
      m_draft.Comment("no new Uninstall entry: write the program's name as the title");
      m_draft.Entry(sections::kAppType, sections::kAppTypeTitle, "?");
    } else {
      m_draft.Entry(sections::kAppType, sections::kAppTypeTitle, title);
    }
    if (!publisher.empty()) m_draft.Entry(sections::kAppType, "Publisher", publisher);
  }

  void Processes() {
    m_draft.Section(sections::kProcess);
    int item = 0;
    for (const std::string& image : m_changes.newProcesses) m_draft.Entry(sections::kProcess, Item(++item), image);
  }

  void StartRun() {
    m_draft.Section(sections::kStartRun);
    std::vector<RegistryValue> runValues = m_changes.newValues;
    for (const RegistryValue& value : m_after.values) {
      if (IsNewKey(value.key)) runValues.push_back(value);
    }
    std::set<std::string> written;
    for (const RegistryValue& value : runValues) {
      if (!IsSamePath(value.key.path, kRunKey)) continue;
      m_handledValues.insert(HandledIdentity(value));
      if (value.key.view != kProgramView) continue;
      if (!written.insert(Upper(value.name)).second) continue;  // the same name under the other root
      // Only the name is used; the command must merely not be empty.
      const std::string command = value.text.empty() ? "-" : CommandWithMacro(value.text);
      m_draft.Entry(sections::kStartRun, value.name, command);
    }
    for (const RegistryValue& value : runValues) {
      if (IsSamePath(value.key.path, kRunKey) && value.key.view != kProgramView && !HasProgramViewTwin(value)) {
        m_draft.Comment("64-bit view only, out of the 32-bit program's reach: Run value " + value.name + " of " +
                        DescribeKey(value.key));
      }
    }
  }

  void Uninstall() {
    m_draft.Section(sections::kUninstall);
    std::set<std::string> written;
    int item = 0;
    for (const RegistryKey& key : m_changes.newKeys) {
      if (!IsUninstallEntry(key)) continue;
      if (key.view != kProgramView) {
        if (!IsNewInProgramView(key))
          m_draft.Comment("64-bit view only, out of the 32-bit program's reach: " + DescribeKey(key));
        continue;
      }
      if (written.insert(Upper(LastComponent(key.path))).second) {
        m_draft.Entry(sections::kUninstall, Item(++item), LastComponent(key.path));
      }
    }
  }

  // One entry per new top-most key; "parent=key" when the parent has one new
  // key, "parent\key=key" for each when it has several (their names would
  // shadow each other otherwise).
  void RegistryKeys(const char* root, std::string_view section) {
    m_draft.Section(section);
    std::map<std::string, std::vector<const RegistryKey*>> byParent;
    std::vector<std::string> parentOrder;
    for (const RegistryKey& key : m_changes.newKeys) {
      if (key.root != root || !IsTopMostNewKey(key) || IsInUninstallEntry(key) || IsUninstallEntry(key)) continue;
      if (key.view != kProgramView) {
        if (!IsNewInProgramView(key))
          m_draft.Comment("64-bit view only, out of the 32-bit program's reach: " + DescribeKey(key));
        continue;
      }
      const std::string parent = Upper(ParentOf(key.path));
      if (byParent[parent].empty()) parentOrder.push_back(parent);
      byParent[parent].push_back(&key);
    }
    for (const std::string& parent : parentOrder) {
      const std::vector<const RegistryKey*>& keys = byParent[parent];
      for (const RegistryKey* key : keys) {
        const std::string name = keys.size() == 1 && !ParentOf(key->path).empty() ? ParentOf(key->path) : key->path;
        m_draft.Entry(section, name, LastComponent(key->path));
      }
    }
  }

  void Files() {
    m_draft.Section(sections::kFile);
    int item = 0;
    for (const std::string& folder : NewFoldersDeepestFirst()) {
      m_draft.Entry(sections::kFile, Item(++item), WithFolderMacro(folder, m_after.macros) + "\\*.*");
    }
    for (const FileEntry& file : m_changes.newFiles) {
      if (IsOutput(file.path) || m_newFolders.count(Upper(ParentOf(file.path))) != 0) continue;
      m_draft.Entry(sections::kFile, Item(++item), WithFolderMacro(file.path, m_after.macros));
    }
  }

  void Folders() {
    m_draft.Section(sections::kPath);
    int item = 0;
    for (const std::string& folder : NewFoldersDeepestFirst()) {
      m_draft.Entry(sections::kPath, Item(++item), WithFolderMacro(folder, m_after.macros));
    }
  }

  // What the Start button cannot undo: the author decides.
  void Leftovers() {
    std::vector<std::string> notes;
    for (const Service& service : m_changes.newServices) {
      notes.push_back("new service " + service.name + " (" + service.imagePath +
                      "): the Start button does not run the [SERVICE] step");
    }
    for (const RegistryValue& value : m_changes.newValues) {
      if (m_handledValues.count(HandledIdentity(value)) == 0) notes.push_back("value added: " + Describe(value));
    }
    for (const RegistryValue& value : m_changes.changedValues) notes.push_back("value changed: " + Describe(value));
    for (const RegistryValue& value : m_changes.removedValues) notes.push_back("value removed: " + Describe(value));
    for (const RegistryKey& key : m_changes.removedKeys) notes.push_back("key removed: " + DescribeKey(key));
    for (const std::string& folder : m_changes.removedFolders) notes.push_back("folder removed: " + folder);
    for (const FileEntry& file : m_changes.removedFiles) notes.push_back("file removed: " + file.path);
    for (const FileEntry& file : m_changes.changedFiles) notes.push_back("file changed: " + file.path);
    if (notes.empty()) return;
    m_draft.Comment("");
    m_draft.Comment("Changes in what existed before; the Start button cannot restore them:");
    for (const std::string& note : notes) m_draft.Comment(note);
  }

  static std::string Describe(const RegistryValue& value) {
    return DescribeKey(value.key) + " value " + (value.name.empty() ? "(default)" : value.name);
  }

  static std::string HandledIdentity(const RegistryValue& value) {
    return KeyIdentity(value.key) + '\0' + Upper(value.name);
  }

  static std::string Item(int number) { return "item" + std::to_string(number); }

  std::string CommandWithMacro(const std::string& command) const {
    if (!command.empty() && command[0] == '"') return "\"" + WithFolderMacro(command.substr(1), m_after.macros);
    return WithFolderMacro(command, m_after.macros);
  }

  bool IsNewKey(const RegistryKey& key) const {
    return key.view == kProgramView ? IsNewInProgramView(key) : m_newKeyIdentities.count(KeyIdentity(key)) != 0;
  }

  bool IsNewInProgramView(const RegistryKey& key) const {
    return m_newProgramViewKeys.count(Upper(key.root + "\\" + key.path)) != 0;
  }

  bool HasProgramViewTwin(const RegistryValue& value) const {
    for (const RegistryValue& other : m_after.values) {
      if (other.key.view == kProgramView && other.key.root == value.key.root &&
          IsSamePath(other.key.path, value.key.path) && EqualsIgnoreCaseCp949(other.name, value.name)) {
        return true;
      }
    }
    return false;
  }

  bool IsTopMostNewKey(const RegistryKey& key) const {
    const std::string parent = ParentOf(key.path);
    if (parent.empty()) return true;
    return m_newKeyIdentities.count(KeyIdentity({key.view, key.root, parent})) == 0;
  }

  bool IsOutput(const std::string& path) const {
    return IsSamePath(path, m_before.outputPath) || IsSamePath(path, m_after.outputPath);
  }

  std::vector<std::string> NewFoldersDeepestFirst() {
    std::vector<std::string> folders = m_changes.newFolders;
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& folder : folders) m_newFolders.insert(Upper(folder));
    return folders;
  }

  const Snapshot& m_before;
  const Snapshot& m_after;
  SnapshotChanges m_changes;
  Draft m_draft;
  std::unordered_set<std::string> m_newProgramViewKeys;
  std::unordered_set<std::string> m_newKeyIdentities;
  std::unordered_set<std::string> m_newFolders;
  std::set<std::string> m_handledValues;  // Run values, by key identity and upper-cased name
};

std::string Join(const std::vector<DraftLine>& lines) {
  std::string text;
  for (const DraftLine& line : lines) text += line.text + "\r\n";
  return text;
}

// Comments out each entry the checker reports an error on, with its reason
// above it. The checker's findings name script lines, and each draft line is
// exactly one: comments are escaped and entries read back whole. A
// commented-out line is never handled, yet it can bring a later name into a
// listing that was full, so the checker looks again until it reports no
// entry; each pass comments out at least one, so the passes end.
// Returns the checker's findings on the final draft.
std::vector<lint::Finding> CommentOutRefusedEntries(std::vector<DraftLine>& lines) {
  for (;;) {
    lint::LintResult result = lint::LintScript(Join(lines));
    std::map<std::size_t, std::string> refused;
    for (const lint::Finding& finding : result.findings) {
      if (finding.severity != lint::Severity::Error || finding.line == 0 || finding.line > lines.size()) continue;
      if (!lines[finding.line - 1].entry) continue;
      refused.emplace(finding.line, finding.message);
    }
    if (refused.empty()) return std::move(result.findings);
    std::vector<DraftLine> checked;
    for (std::size_t index = 0; index < lines.size(); ++index) {
      const auto reason = refused.find(index + 1);
      if (reason == refused.end()) {
        checked.push_back(lines[index]);
        continue;
      }
      checked.push_back(CommentLine("refused: " + reason->second));
      checked.push_back(CommentLine(lines[index].text));
    }
    lines = std::move(checked);
  }
}

}  // namespace

std::string WithFolderMacro(const std::string& path, const std::vector<MacroFolder>& macros) {
  const MacroFolder* best = nullptr;
  for (const MacroFolder& macro : macros) {
    if (macro.folder.empty()) continue;
    if (!IsSamePath(path, macro.folder) && !IsBelowPath(path, macro.folder)) continue;
    if (best == nullptr || macro.folder.size() > best->folder.size()) best = &macro;
  }
  if (best == nullptr) return path;
  return best->macro + path.substr(best->folder.size());
}

std::string MismatchBetween(const Snapshot& before, const Snapshot& after) {
  if (!EqualsIgnoreCaseCp949(before.machine, after.machine)) {
    return "the snapshots are of two machines (" + before.machine + " and " + after.machine + ")";
  }
  if (before.views != after.views) return "the snapshots walked other registry views";
  if (before.captureBits != after.captureBits)
    return "one snapshot was taken by a 32-bit capture, the other by a 64-bit one";
  return {};
}

std::string DraftScript(const Snapshot& before, const Snapshot& after) {
  std::vector<DraftLine> lines = Drafter(before, after).Lines();
  // What the checker still refuses is no entry's fault: a draft that names
  // nothing the Start button removes. It leads the draft, where the
  // checker's error points.
  std::vector<DraftLine> faults;
  for (const lint::Finding& finding : CommentOutRefusedEntries(lines)) {
    if (finding.severity == lint::Severity::Error)
      faults.push_back(CommentLine("not yet a script: " + finding.message));
  }
  lines.insert(lines.begin(), faults.begin(), faults.end());
  return Join(lines);
}

}  // namespace tidemark::capture
