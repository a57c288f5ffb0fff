#include "lint/ScriptLint.h"

#include <algorithm>
#include <set>

#include "engine/PathMacros.h"
#include "engine/SectionWalk.h"
#include "engine/StepSlotTable.h"
#include "lint/ByteChecks.h"
#include "lint/PlaceholderFolders.h"
#include "lint/SectionSpelling.h"
#include "lint/ValueChecks.h"
#include "script/ScriptIni.h"
#include "script/ScriptLines.h"
#include "script/ScriptSections.h"
#include "system/AsciiText.h"
#include "system/Cp949Text.h"

namespace tidemark::lint {

namespace {

namespace sec = tidemark::sections;

std::string SectionLabel(std::string_view name) { return "[" + std::string(name) + "]"; }

std::string_view TrimBlanks(std::string_view text) { return TrimCharacters(text, " \t"); }

std::string Entries(std::size_t count) { return std::to_string(count) + (count == 1 ? " entry" : " entries"); }

// "1 entry is" or "2 entries are", to keep the messages grammatical.
std::string EntriesAre(std::size_t count) { return Entries(count) + (count == 1 ? " is" : " are"); }

// The section that the reader finds for a name: the first one, case ignored.
const ScriptIni::Section* FirstSection(const ScriptIni& script, std::string_view name) {
  return script.FindSection(name);
}

// The entry whose value a lookup of the name yields, or npos. The reader's
// own index, so that a long section costs no more than its length.
std::size_t FirstEntryNamed(const ScriptIni::Section& section, std::string_view name) {
  const auto found = section.firstEntryByName.find(ToUpperAsciiCp949(name));
  return found == section.firstEntryByName.end() ? std::string::npos : found->second;
}

void CheckIgnoredLines(const ScriptIni& script, const std::vector<std::string>& lines, bool byteOrderMark,
                       std::vector<Finding>& findings) {
  for (const std::size_t number : script.IgnoredLines()) {
    // The byte-order mark has its own finding, which says why.
    if (byteOrderMark && number == 1) continue;
    const std::string_view text = TrimBlanks(lines.at(number - 1));
    // Inside a section every line with "=" is an entry, so one that is
    // ignored lies before the first section line.
    const std::string message = text.find('=') != std::string_view::npos
                                    ? "entry before the first section line is ignored"
                                    : "line is neither a section line nor a Name=Value entry and is ignored";
    findings.push_back({number, Severity::Note, message});
  }
  // Only a comment that looks like an entry is worth a word: it is most
  // likely an entry that its author switched off, or meant to keep.
  for (const std::size_t number : script.CommentLines()) {
    if (lines.at(number - 1).find('=') == std::string::npos) continue;
    findings.push_back({number, Severity::Note,
                        "commented out: never handled (a line whose first non-blank character is ';' is a comment)"});
  }
  for (const ScriptIni::Section& section : script.Sections()) {
    if (section.closed) continue;
    findings.push_back({section.line, Severity::Warning,
                        "section line without a closing ']' still opens the section " + SectionLabel(section.name) +
                            ": the entries below it belong to that section, not to the one before"});
  }
}

void CheckSectionNames(const ScriptIni& script, std::vector<Finding>& findings) {
  const std::vector<ScriptIni::Section>& all = script.Sections();
  for (std::size_t index = 0; index < all.size(); ++index) {
    const ScriptIni::Section& section = all[index];
    const sec::SectionRule* rule = sec::FindSectionRule(section.name);
    const ScriptIni::Section* first = FirstSection(script, section.name);
    if (rule == nullptr && !MeantSection(section.name).empty()) {
      findings.push_back({section.line, Severity::Warning,
                          "section " + SectionLabel(section.name) +
                              " is not one the program reads, so its entries have no effect: did you mean " +
                              SectionLabel(MeantSection(section.name)) + "?"});
    } else if (rule == nullptr) {
      findings.push_back(
          {section.line, Severity::Note,
           "section " + SectionLabel(section.name) + " is not one the program reads; its entries have no effect"});
    } else if (first != &section && !section.entries.empty()) {
      findings.push_back({section.line, Severity::Warning,
                          "section " + SectionLabel(section.name) + " repeats " + SectionLabel(first->name) +
                              " of line " + std::to_string(first->line) + ": only the first is read, so its " +
                              EntriesAre(section.entries.size()) + " never read"});
    } else if (first == &section && rule->name == sec::kRegistryName && !section.entries.empty()) {
      findings.push_back(
          {section.line, Severity::Note,
           "section " + SectionLabel(section.name) + " is read by no removal step; its entries have no effect"});
    }
  }
}

// The 16384-byte listing of entry names, and a nameless entry that ends it.
// `walkReachesEnd` is false when an end marker stops the walk before the
// listing ends, so that what follows is never read anyway.
void CheckListing(const ScriptIni& script, const ScriptIni::Section& section, bool walkReachesEnd,
                  std::vector<Finding>& findings) {
  const std::vector<ScriptIni::Entry>& entries = section.entries;
  const std::vector<std::string> names = script.ListEntryNames(section.name);
  const std::size_t listed = names.size();
  const std::string label = SectionLabel(section.name);
  const std::string overflow = "the entry names of " + label + " overflow the 16384-byte listing: ";
  if (listed > 0 && names[listed - 1] != entries[listed - 1].name) {
    const std::size_t lost = entries.size() - listed;
    std::string message = overflow + "the name " + Quote(entries[listed - 1].name) + " is cut to its first " +
                          std::to_string(names[listed - 1].size()) + " of " +
                          std::to_string(entries[listed - 1].name.size()) + " bytes, which find no value of their own";
    if (lost > 0) {
      message += ", and the " + Entries(lost) + " after it (lines " + std::to_string(entries[listed].line) + " to " +
                 std::to_string(entries.back().line) + (lost == 1 ? ") is lost" : ") are lost");
    }
    findings.push_back({entries[listed - 1].line, Severity::Error, message});
    return;
  }
  if (listed == entries.size()) return;
  const ScriptIni::Entry& stop = entries[listed];
  const std::size_t after = entries.size() - listed - 1;
  if (!stop.name.empty()) {
    std::string message = overflow + "the names from " + Quote(stop.name);
    message += after > 0 ? " to " + Quote(entries.back().name) + " (lines " + std::to_string(stop.line) + " to " +
                               std::to_string(entries.back().line) + ") are lost"
                         : " on are lost";
    findings.push_back({stop.line, Severity::Error, message});
  } else if (walkReachesEnd) {
    findings.push_back(
        {stop.line, Severity::Warning,
         "an entry without a name ends the listing of " + label +
             (after > 0 ? ": it and the " + Entries(after) + " after it are never read" : ": it is never read")});
  }
}

void CheckValueLengths(const ScriptIni::Section& section, std::vector<Finding>& findings) {
  for (const ScriptIni::Entry& entry : section.entries) {
    if (entry.value.size() < ScriptIni::kValueBufferSize) continue;
    findings.push_back({entry.line, Severity::Error,
                        "the value is " + std::to_string(entry.value.size()) +
                            " bytes long; the reader yields only its first " +
                            std::to_string(ScriptIni::kValueBufferSize - 1) + " bytes"});
  }
}

// The window's two labels come from lookups in the listing of [APPTYPE].
void CheckProgramInfo(const ScriptIni& script, std::vector<Finding>& findings) {
  const ScriptIni::Section* section = FirstSection(script, sec::kAppType);
  if (section == nullptr) return;
  EntryList list;
  script.ReadSectionEntries(sec::kAppType, list);
  const bool category = !EntryValueOf(list, sections::kAppTypeCategory).empty();
  const bool title = !EntryValueOf(list, sections::kAppTypeTitle).empty();
  if (category && title) return;
  const char* missing = "no 'category'";
  const char* shown = "an empty category";
  const char* add = "'category=...'";
  if (!title) {
    missing = category ? "no 'title'" : "neither 'category' nor 'title'";
    shown = category ? "an empty program name" : "an empty category and program name";
    add = category ? "'title=...'" : "'category=...' and 'title=...'";
  }
  findings.push_back({section->line, Severity::Warning,
                      std::string("[APPTYPE] has ") + missing + " with a value: the main window shows " + shown +
                          " (add " + add + ")"});
}

// Everything after a UTF-16 byte-order mark is noise to the reader, and the
// mark's own error says so; the checks of the whole script below would only
// repeat it.
bool IsUtf16Text(std::string_view bytes) {
  return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

// No script text holds a zero byte: a file with one is a binary file, or text
// in another encoding (UTF-16), and the reader stops at it. Like every
// finding on the whole file it stands on line 1, which is never an entry's,
// so that it is never taken for a finding on an entry; the text says where
// the byte is.
void CheckZeroByte(std::string_view bytes, std::vector<Finding>& findings) {
  const std::size_t zero = bytes.find('\0');
  if (zero == std::string_view::npos || IsUtf16Text(bytes)) return;
  const std::string_view before = bytes.substr(0, zero);
  std::size_t line = SplitScriptLines(before).size();
  std::size_t lineStart = before.find_last_of("\r\n");
  lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
  // A zero byte right after a line break stands at the start of a line of its own.
  if (lineStart == before.size()) ++line;
  findings.push_back({1, Severity::Error,
                      "the file holds a zero byte (line " + std::to_string(line) + ", column " +
                          std::to_string(zero - lineStart + 1) +
                          "), which no code page 949 script has: is it a binary file, or text saved as UTF-16? "
                          "The build embeds no script with one"});
}

// A script is there to remove something. One that holds no section, or whose
// sections hand no removal step of the Start button's run an entry free of
// errors, builds a Tidemark.exe that shows its window and removes nothing.
void CheckRemovesSomething(std::string_view bytes, const ScriptIni& script, std::size_t handled, std::size_t usable,
                           std::vector<Finding>& findings) {
  if (IsUtf16Text(bytes)) return;
  if (script.Sections().empty()) {
    findings.push_back({1, Severity::Error,
                        "the script holds no section: the window shows no category or name, and a run removes "
                        "nothing"});
    return;
  }
  if (usable > 0) return;
  std::string sections;
  const std::vector<std::string_view> read = SectionsOfTheStartButtonRun();
  for (std::size_t index = 0; index < read.size(); ++index) {
    if (index > 0) sections += index + 1 == read.size() ? " or " : ", ";
    sections += SectionLabel(read[index]);
  }
  findings.push_back({1, Severity::Error,
                      "the script names nothing that a run of the Start button removes: " +
                          (handled == 0 ? "no entry of " + sections + " is handled"
                                        : "every entry of " + sections + " that a run handles has an error") +
                          ", so a Tidemark.exe built from it removes nothing"});
}

bool HasNonAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// A UTF-8 file whose bytes happen to be valid code page 949 passes the byte
// checks, yet every non-ASCII character is read as other characters. Where
// such text reaches a removal step the run looks for other names than the
// author wrote: an error. Elsewhere only the labels change: a warning.
void CheckUtf8Text(std::string_view bytes, const std::vector<std::string>& lines,
                   const std::vector<WalkedSection>& walks, std::vector<Finding>& findings) {
  if (StartsWithByteOrderMark(bytes) || !IsValidCp949(bytes) || !LooksLikeUtf8Text(bytes)) return;
  const std::string advice = "the file is saved as UTF-8, but the program reads it as code page 949";
  const std::string fix = "; save the file in code page 949 (Korean, EUC-KR/UHC)";
  std::size_t handled = 0;
  for (const WalkedSection& walk : walks) {
    for (const HandledEntry& entry : walk.handled) {
      if (!HasNonAscii(entry.name) && !HasNonAscii(entry.value)) continue;
      if (handled == 0 || entry.line < handled) handled = entry.line;
    }
  }
  if (handled > 0) {
    findings.push_back({handled, Severity::Error,
                        advice +
                            ": this line's text becomes other characters, so the run looks for other names "
                            "than the ones written here" +
                            fix});
    return;
  }
  for (std::size_t index = 0; index < lines.size(); ++index) {
    if (!HasNonAscii(lines[index])) continue;
    findings.push_back(
        {index + 1, Severity::Warning, advice + ": this line's text is shown as other characters" + fix});
    return;
  }
}

bool IsOffForTheStartButton(std::string_view section) { return IsReadOnlyByStepsTheStartButtonLeavesOff(section); }

bool IsReadByTheStartButtonRun(std::string_view section) {
  const std::vector<std::string_view> read = SectionsOfTheStartButtonRun();
  return std::find(read.begin(), read.end(), section) != read.end();
}

// `usable` counts the handled entries whose values have no error: what a run
// removes, or at least looks for.
WalkedSection WalkAndCheck(const ScriptIni& script, const sec::SectionRule& rule, std::size_t& usable,
                           std::vector<Finding>& findings) {
  const ScriptIni::Section* section = FirstSection(script, rule.name);
  WalkedSection walked{rule.name, section != nullptr ? section->line : 0, {}};

  // The program's own walk says what a run hands on; the entries behind each
  // handed-on name give the lines.
  std::vector<std::pair<std::string, std::string>> calls;
  WalkSection(script, rule.name, PlaceholderFolders(), [&calls](const std::string& name, const std::string& value) {
    calls.emplace_back(name, value);
    return WalkControl::Continue;
  });
  if (section == nullptr) return walked;
  const std::vector<ScriptIni::Entry>& entries = section->entries;

  std::vector<WalkedValue> values;
  for (std::size_t index = 0; index < calls.size() && index < entries.size(); ++index) {
    const std::string& name = calls[index].first;
    const std::string value = script.LookupValue(rule.name, name);
    walked.handled.push_back({entries[index].line, name, value});
    const std::size_t source = FirstEntryNamed(*section, name);
    if (source == index) {
      values.push_back({entries[index].line, name, value, calls[index].second});
      continue;
    }
    // Anything else comes from a name the listing cut short, which has its
    // own finding.
    if (source > index) continue;
    std::string message = "entry name " + Quote(name) + " repeats " + Quote(entries[source].name) + " of line " +
                          std::to_string(entries[source].line) + ": the walk handles that entry's value " +
                          Quote(value) + " again";
    message += entries[index].value.empty() ? ", and this end marker does not end the walk"
                                            : " and never this one, " + Quote(entries[index].value);
    findings.push_back({entries[index].line, Severity::Error, message});
  }
  const std::size_t before = findings.size();
  CheckWalkedValues(rule.name, values, findings);
  std::set<std::size_t> faulty;
  for (std::size_t index = before; index < findings.size(); ++index) {
    if (findings[index].severity == Severity::Error) faulty.insert(findings[index].line);
  }
  for (const WalkedValue& value : values) {
    if (faulty.count(value.line) == 0) ++usable;
  }

  const std::vector<std::string> names = script.ListEntryNames(rule.name);
  const std::size_t stop = calls.size();
  const bool stoppedAtMarker = stop < names.size() && names[stop] == entries[stop].name;
  CheckListing(script, *section, !stoppedAtMarker, findings);
  if (stoppedAtMarker) {
    // Markers that only follow the end marker are harmless; anything with a
    // value is something the author expected to be handled.
    std::size_t unread = 0;
    std::size_t firstUnread = 0;
    std::size_t hidden = 0;  // of them, those a run would hand on but for the marker
    std::size_t lastHidden = 0;
    for (std::size_t index = stop + 1; index < entries.size(); ++index) {
      if (entries[index].value.empty()) continue;
      if (unread++ == 0) firstUnread = index;
      if (index < names.size()) {
        ++hidden;
        lastHidden = index;
      }
    }
    // The marker that closes a section ("item2=" as its last entry) is meant;
    // one in the middle hides the rest of the section from every run, and
    // that is where the fault lies.
    if (hidden > 0) {
      const std::string where = hidden == 1 ? "line " + std::to_string(entries[lastHidden].line)
                                            : "lines " + std::to_string(entries[firstUnread].line) + " to " +
                                                  std::to_string(entries[lastHidden].line);
      findings.push_back({entries[stop].line, Severity::Error,
                          "end marker " + Quote(entries[stop].name + "=") + " in the middle of " +
                              SectionLabel(section->name) + ": the walk stops here, so the " +
                              (hidden == 1 ? "entry after it (" : std::to_string(hidden) + " entries after it (") +
                              where + ") that a run would handle " + (hidden == 1 ? "is" : "are") +
                              " hidden from it; delete the marker, or move it to the end of the section"});
    }
    if (unread > 0) {
      findings.push_back({entries[firstUnread].line, Severity::Warning,
                          "never read: the end marker " + Quote(entries[stop].name + "=") + " at line " +
                              std::to_string(entries[stop].line) + " ends the walk of " + SectionLabel(section->name) +
                              ", so this entry" +
                              (unread > 1 ? " and " + std::to_string(unread - 1) + " more after it are" : " is") +
                              " never handled"});
    }
  }
  if (!calls.empty() && IsOffForTheStartButton(rule.name)) {
    findings.push_back({section->line, Severity::Note,
                        SectionLabel(section->name) +
                            " is read only by a removal step that the Start button leaves off; its " +
                            EntriesAre(calls.size()) + " handled only by a run with that step on"});
  }
  return walked;
}

}  // namespace

LintResult LintScript(std::string_view bytes) {
  LintResult result;
  std::vector<Finding>& findings = result.findings;
  CheckBytes(bytes, findings);
  CheckZeroByte(bytes, findings);

  const ScriptIni script(bytes);
  const std::vector<std::string> lines = SplitScriptLines(bytes);
  CheckIgnoredLines(script, lines, StartsWithByteOrderMark(bytes), findings);
  CheckSectionNames(script, findings);
  CheckProgramInfo(script, findings);
  std::size_t removalsHandled = 0;  // by the Start button's run
  std::size_t removalsUsable = 0;
  for (const sec::SectionRule& rule : sec::kSectionRules) {
    if (rule.walked) {
      std::size_t usable = 0;
      result.walks.push_back(WalkAndCheck(script, rule, usable, findings));
      if (IsReadByTheStartButtonRun(rule.name)) {
        removalsHandled += result.walks.back().handled.size();
        removalsUsable += usable;
      }
    } else if (rule.name == sec::kAppType) {
      // Read by name lookups, not walked: only the listing and lengths count.
      if (const ScriptIni::Section* section = FirstSection(script, rule.name)) {
        CheckListing(script, *section, true, findings);
      }
    }
  }
  for (const sec::SectionRule& rule : sec::kSectionRules) {
    if (rule.name == sec::kRegistryName) continue;
    if (const ScriptIni::Section* section = FirstSection(script, rule.name)) CheckValueLengths(*section, findings);
  }
  CheckUtf8Text(bytes, lines, result.walks, findings);
  CheckRemovesSomething(bytes, script, removalsHandled, removalsUsable, findings);
  SortByLine(findings);
  return result;
}

}  // namespace tidemark::lint
