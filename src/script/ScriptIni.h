// The reader over one removal script.
//
// It follows the reading rules of the Windows profile functions
// (GetPrivateProfileStringA) without calling them: the host build has none,
// and the reader is built over the bytes that start-up wrote to win.dat, so
// nothing can swap the script between start-up and a removal run.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tidemark {

// A string list of "Name=Value" lines, as ReadSectionEntries fills it.
using EntryList = std::vector<std::string>;

class ScriptIni {
 public:
  // Size of the buffer that lists a section's entry names: each name with its
  // terminating zero byte, and one more zero byte after the last.
  static constexpr std::size_t kNameListingSize = 16384;
  // Size of the buffer that receives one value, terminating zero included.
  static constexpr std::size_t kValueBufferSize = 2048;

  // Parses the script text. A zero byte ends the text.
  explicit ScriptIni(std::string_view text);

  // Clears the list, then appends one "name=value" line per listed entry name
  // of the section, the value being what a lookup of that name yields.
  void ReadSectionEntries(std::string_view section, EntryList& list) const;

  // The entry names of a section as the 16384-byte listing yields them.
  std::vector<std::string> ListEntryNames(std::string_view section) const;

  // The value of the first entry of the section with that name (case
  // ignored), cut to 2047 bytes; empty when there is none. Spaces around the
  // section and entry names passed in are dropped first, as the profile
  // functions do.
  std::string LookupValue(std::string_view section, std::string_view name) const;

  struct Entry {
    std::string name;
    std::string value;  // blanks trimmed, one pair of quotes removed, not cut
    std::size_t line;   // 1-based line number in the text
  };
  struct Section {
    std::string name;
    std::size_t line;
    bool closed;  // its line has the "]" that ends the name
    std::vector<Entry> entries;
    // Upper-cased entry name -> index of the first entry of that name.
    std::unordered_map<std::string, std::size_t> firstEntryByName;
  };

  // The parsed sections in file order; a repeated section name is kept here
  // but never found by the lookups, which use the first one.
  const std::vector<Section>& Sections() const { return m_sections; }

  // The section that the lookups search for a name (the first one of that
  // name, case ignored), or nullptr.
  const Section* FindSection(std::string_view name) const;

  // Lines that are neither a section line, an entry nor a comment, with
  // their numbers: lines without "=", and anything before the first section.
  const std::vector<std::size_t>& IgnoredLines() const { return m_ignoredLines; }

  // Lines whose first non-blank character is ";": comments, which belong to
  // no section and are never listed or found.
  const std::vector<std::size_t>& CommentLines() const { return m_commentLines; }

 private:
  void AddLine(std::string_view line, std::size_t lineNumber);

  std::vector<Section> m_sections;
  std::unordered_map<std::string, std::size_t> m_firstSectionByName;
  std::vector<std::size_t> m_ignoredLines;
  std::vector<std::size_t> m_commentLines;
};

// The text of the line up to its first "=", or "" when it has none.
std::string EntryNameAt(const EntryList& list, std::size_t index);

// The rest of the first line whose text before its first "=" equals the name
// (case ignored), after the name and its "="; "" when no line matches.
std::string EntryValueOf(const EntryList& list, std::string_view name);

// EntryValueOf over one list for many names: the first line of each name is
// found once, so that a walk over a long section takes linear time. The list
// must outlive the index and stay unchanged.
class EntryListIndex {
 public:
  explicit EntryListIndex(const EntryList& list);
  // Exactly what EntryValueOf(list, name) yields.
  std::string ValueOf(std::string_view name) const;

 private:
  const EntryList& m_list;
  std::unordered_map<std::string, std::size_t> m_firstLineByName;
};

}  // namespace tidemark
