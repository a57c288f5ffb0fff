#include "script/ScriptIni.h"

#include "script/Cp949Text.h"
#include "script/ScriptLines.h"

namespace tidemark {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The profile functions hand out a value enclosed in one matching pair of
// single or double quotation marks without them.
std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

ScriptIni::ScriptIni(std::string_view text) {
  Section* current = nullptr;
  std::size_t lineNumber = 0;
  for (const std::string& rawLine : SplitScriptLines(text)) {
    ++lineNumber;
    const std::string_view line = TrimBlanks(rawLine);
    if (line.empty()) continue;
    if (line.front() == '[') {
      // Like the profile functions, take the name up to the last ']' and skip
      // a header that has none; its entries stay with the section before.
      const std::size_t close = line.rfind(']');
      if (close == std::string_view::npos) {
        m_ignoredLines.push_back(lineNumber);
        continue;
      }
      m_sections.push_back({std::string(TrimBlanks(line.substr(1, close - 1))), lineNumber, {}});
      current = &m_sections.back();
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || current == nullptr) {
      m_ignoredLines.push_back(lineNumber);
      continue;
    }
    current->entries.push_back({std::string(TrimBlanks(line.substr(0, equals))),
                                std::string(StripQuotes(TrimBlanks(line.substr(equals + 1)))),
                                lineNumber});
  }
}

const ScriptIni::Section* ScriptIni::FindSection(std::string_view name) const {
  for (const Section& section : m_sections) {
    if (EqualsIgnoreCaseCp949(section.name, name)) return &section;
  }
  return nullptr;
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
  for (const Entry& entry : section->entries) {
    if (EqualsIgnoreCaseCp949(entry.name, name)) {
      return entry.value.substr(0, kValueBufferSize - 1);
    }
  }
  return {};
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

}  // namespace tidemark
