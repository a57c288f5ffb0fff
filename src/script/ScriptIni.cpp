#include "script/ScriptIni.h"

#include "script/ScriptLines.h"
#include "system/AsciiText.h"
#include "system/Cp949Text.h"

namespace tidemark {

namespace {

// The profile functions skip spaces, tabs and vertical tabs around lines,
// names and values.
constexpr std::string_view kBlanks = " \t\v";

std::string_view TrimBlanks(std::string_view text) { return TrimCharacters(text, kBlanks); }

// Names passed to a lookup lose their spaces, and only their spaces.
std::string_view TrimSpaces(std::string_view text) { return TrimCharacters(text, " "); }

// The profile functions hand out a value enclosed in one matching pair of
// single or double quotation marks without them.
std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The key under which a name is found: two names are equal without regard
// to case exactly when their keys are equal, since folding keeps every
// double-byte character (and so every character boundary) as it is.
std::string LookupKey(std::string_view name) { return ToUpperAsciiCp949(name); }

}  // namespace

ScriptIni::ScriptIni(std::string_view text) {
  std::size_t lineNumber = 0;
  for (const std::string& rawLine : SplitScriptLines(text)) AddLine(rawLine, ++lineNumber);
  for (std::size_t index = 0; index < m_sections.size(); ++index) {
    Section& section = m_sections[index];
    m_firstSectionByName.emplace(LookupKey(section.name), index);
    for (std::size_t entry = 0; entry < section.entries.size(); ++entry) {
      section.firstEntryByName.emplace(LookupKey(section.entries[entry].name), entry);
    }
  }
}

void ScriptIni::AddLine(std::string_view rawLine, std::size_t lineNumber) {
  const std::string_view line = TrimLeadingCharacters(rawLine, kBlanks);
  if (line.empty()) return;
  if (line.front() == ';') {
    m_commentLines.push_back(lineNumber);
    return;
  }
  if (line.front() == '[') {
    // The name ends at the first "]", or with the line when there is none;
    // whatever follows that "]" is ignored.
    const std::size_t close = line.find(']');
    const std::string_view name = line.substr(1, close == std::string_view::npos ? line.npos : close - 1);
    m_sections.push_back({std::string(TrimBlanks(name)), lineNumber, close != std::string_view::npos, {}, {}});
    return;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos || m_sections.empty()) {
    m_ignoredLines.push_back(lineNumber);
    return;
  }
  m_sections.back().entries.push_back({std::string(TrimBlanks(line.substr(0, equals))),
                                       std::string(StripQuotes(TrimBlanks(line.substr(equals + 1)))), lineNumber});
}

const ScriptIni::Section* ScriptIni::FindSection(std::string_view name) const {
  const auto found = m_firstSectionByName.find(LookupKey(TrimSpaces(name)));
  return found == m_firstSectionByName.end() ? nullptr : &m_sections[found->second];
}

std::vector<std::string> ScriptIni::ListEntryNames(std::string_view sectionName) const {
  std::vector<std::string> names;
  const Section* section = FindSection(sectionName);
  if (section == nullptr) return names;

  // The listing buffer always ends with two zero bytes: the last name's
  // terminator and the list's. A name that does not fit whole is cut to what
  // fits before them, and nothing after it is listed.
  std::size_t used = 0;
  for (const Entry& entry : section->entries) {
    // An empty name would be an empty string in the listing, which ends it.
    if (entry.name.empty()) break;
    if (used + entry.name.size() + 2 <= kNameListingSize) {
      names.push_back(entry.name);
      used += entry.name.size() + 1;
      continue;
    }
    if (used + 2 < kNameListingSize) names.push_back(entry.name.substr(0, kNameListingSize - used - 2));
    break;
  }
  return names;
}

std::string ScriptIni::LookupValue(std::string_view sectionName, std::string_view name) const {
  const Section* section = FindSection(sectionName);
  if (section == nullptr) return {};
  const auto found = section->firstEntryByName.find(LookupKey(TrimSpaces(name)));
  if (found == section->firstEntryByName.end()) return {};
  return section->entries[found->second].value.substr(0, kValueBufferSize - 1);
}

void ScriptIni::ReadSectionEntries(std::string_view section, EntryList& list) const {
  list.clear();
  for (const std::string& name : ListEntryNames(section)) {
    list.push_back(name + "=" + LookupValue(section, name));
  }
}

std::string EntryNameAt(const EntryList& list, std::size_t index) {
  const std::string& line = list.at(index);
  const std::size_t equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(0, equals);
}

std::string EntryValueOf(const EntryList& list, std::string_view name) {
  for (const std::string& line : list) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (EqualsIgnoreCaseCp949(std::string_view(line).substr(0, equals), name)) {
      return line.substr(name.size() + 1);
    }
  }
  return {};
}

EntryListIndex::EntryListIndex(const EntryList& list) : m_list(list) {
  for (std::size_t index = 0; index < list.size(); ++index) {
    const std::size_t equals = list[index].find('=');
    if (equals == std::string::npos) continue;
    m_firstLineByName.emplace(LookupKey(std::string_view(list[index]).substr(0, equals)), index);
  }
}

std::string EntryListIndex::ValueOf(std::string_view name) const {
  const auto found = m_firstLineByName.find(LookupKey(name));
  if (found == m_firstLineByName.end()) return {};
  return m_list[found->second].substr(name.size() + 1);
}

}  // namespace tidemark
