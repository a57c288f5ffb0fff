// A PE file's resource directory as a tree in memory, read in full from the
// file and written back as a complete resource section: tables, entries,
// names, data entries and data, with every data RVA placed for the address
// the section is given.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pack/PeLayout.h"

namespace tidemark::pack {

inline constexpr std::uint32_t kRcdataType = 10;  // RT_RCDATA
inline constexpr std::uint32_t kKoreanLanguage = 0x0412;

struct ResourceId {
  bool named = false;
  std::uint32_t number = 0;  // when not named
  std::u16string name;       // when named, as stored (the resource compiler upper-cases it)
};

struct ResourceTable;

// A subdirectory (table set) or a leaf (its data, code page and reserved
// field exactly as read).
struct ResourceEntry {
  ResourceId id;
  std::unique_ptr<ResourceTable> table;
  std::string data;
  std::uint32_t codePage = 0;
  std::uint32_t reserved = 0;
};

struct ResourceTable {
  std::uint32_t characteristics = 0;
  std::uint32_t timeDateStamp = 0;
  std::uint16_t majorVersion = 0;
  std::uint16_t minorVersion = 0;
  std::vector<ResourceEntry> entries;  // in file order: named ones, then numbered ones, each sorted
};

// Reads the tree whose root table starts the section. The tables and names
// must lie in the section; a leaf's data may lie anywhere in the image that
// the file holds. False with a one-line reason for anything out of bounds, a
// table reached twice (a loop), more than three levels, or a data entry
// shared by two leaves.
bool ReadResourceTree(std::string_view file, const PeLayout& layout, const SectionHeader& section, ResourceTable& root,
                      std::string& error);

// The section's bytes for the tree at that RVA: all tables first (breadth
// first), then the data entries, the names, and the data, each datum aligned
// to 8 bytes. The same tree gives the same bytes.
std::string BuildResourceSection(const ResourceTable& root, std::uint32_t sectionRva);

// The leaf at type / name / language, or nullptr. Names are compared with
// ASCII letters in either case, as the loader's lookup does.
const ResourceEntry* FindResource(const ResourceTable& root, std::uint32_t type, std::u16string_view name,
                                  std::uint32_t language);

// Makes the data of that leaf `data`, adding the tables and the leaf in
// their sorted places when the tree has none; an existing leaf keeps its
// code page. False when a leaf stands where a table must be or the reverse.
bool SetResource(ResourceTable& root, std::uint32_t type, std::u16string_view name, std::uint32_t language,
                 std::string data);

}  // namespace tidemark::pack
