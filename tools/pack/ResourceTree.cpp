#include "pack/ResourceTree.h"

#include <algorithm>
#include <deque>
#include <set>
#include <unordered_map>

namespace tidemark::pack {

namespace {

constexpr std::size_t kTableHeaderSize = 16;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
// Type, name and language: the loader looks no deeper.
constexpr int kMaxTableDepth = 3;
// Far above any real program's resources; it stops a crafted file whose
// leaves all point at the same megabytes from costing gigabytes of memory.
constexpr std::uint64_t kMaxResourceData = 512u << 20;

class TreeReader {
 public:
  TreeReader(std::string_view file, const PeLayout& layout, std::string_view section, std::string& error)
      : m_file(file), m_layout(layout), m_section(section), m_error(error) {}

  bool ReadTable(std::uint32_t offset, int depth, ResourceTable& table) {
    if (depth >= kMaxTableDepth) return Fail("the resource directory is nested deeper than type, name and language");
    if (!m_tables.insert(offset).second) return Fail("the resource directory loops (a table is reached twice)");
    if (!Fits(offset, kTableHeaderSize)) return Fail("a resource table lies outside the resource section");
    table.characteristics = Read32(m_section, offset);
    table.timeDateStamp = Read32(m_section, offset + 4);
    table.majorVersion = Read16(m_section, offset + 8);
    table.minorVersion = Read16(m_section, offset + 10);
    const std::size_t count = static_cast<std::size_t>(Read16(m_section, offset + 12)) + Read16(m_section, offset + 14);
    if (!Fits(offset + kTableHeaderSize, count * kEntrySize)) {
      return Fail("a resource table's entries run outside the resource section");
    }
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = offset + kTableHeaderSize + i * kEntrySize;
      ResourceEntry entry;
      if (!ReadId(Read32(m_section, at), entry.id)) return false;
      const std::uint32_t target = Read32(m_section, at + 4);
      if (target & kHighBit) {
        entry.table = std::make_unique<ResourceTable>();
        if (!ReadTable(target & ~kHighBit, depth + 1, *entry.table)) return false;
      } else if (!ReadLeaf(target, entry)) {
        return false;
      }
      table.entries.push_back(std::move(entry));
    }
    return true;
  }

 private:
  bool Fail(const char* message) {
    m_error = message;
    return false;
  }

  bool Fits(std::uint64_t offset, std::uint64_t size) const { return offset + size <= m_section.size(); }

  bool ReadId(std::uint32_t field, ResourceId& id) {
    if (!(field & kHighBit)) {
      id.number = field;
      return true;
    }
    const std::uint32_t offset = field & ~kHighBit;
    if (!Fits(offset, 2)) return Fail("a resource name lies outside the resource section");
    const std::size_t length = Read16(m_section, offset);
    if (!Fits(offset + 2, length * 2)) return Fail("a resource name runs outside the resource section");
    id.named = true;
    for (std::size_t i = 0; i < length; ++i) id.name += static_cast<char16_t>(Read16(m_section, offset + 2 + i * 2));
    return true;
  }

  bool ReadLeaf(std::uint32_t offset, ResourceEntry& entry) {
    if (!m_dataEntries.insert(offset).second) return Fail("two resources share one data entry");
    if (!Fits(offset, kDataEntrySize)) return Fail("a resource data entry lies outside the resource section");
    const std::uint32_t rva = Read32(m_section, offset);
    const std::uint32_t size = Read32(m_section, offset + 4);
    m_totalData += size;
    if (m_totalData > kMaxResourceData) return Fail("the resources hold more than 512 MB of data");
    // Empty data has no bytes to find: it may sit at the very end of its
    // section, where the rebuilt section puts an empty resource that sorts
    // last.
    if (size != 0) {
      const long long at = m_layout.FileOffsetOfRva(rva, size);
      if (at < 0) return Fail("a resource's data lies outside the file");
      entry.data = std::string(m_file.substr(static_cast<std::size_t>(at), size));
    }
    entry.codePage = Read32(m_section, offset + 8);
    entry.reserved = Read32(m_section, offset + 12);
    return true;
  }

  std::string_view m_file;
  const PeLayout& m_layout;
  std::string_view m_section;
  std::string& m_error;
  std::set<std::uint32_t> m_tables;
  std::set<std::uint32_t> m_dataEntries;
  std::uint64_t m_totalData = 0;
};

char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char16_t x, char16_t y) { return UpperAscii(x) == UpperAscii(y); });
}

bool NameLess(std::u16string_view a, std::u16string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char16_t x, char16_t y) { return UpperAscii(x) < UpperAscii(y); });
}

bool Matches(const ResourceId& id, const ResourceId& wanted) {
  return id.named == wanted.named && (id.named ? NamesEqual(id.name, wanted.name) : id.number == wanted.number);
}

// Named entries before numbered ones, each kind in ascending order: the
// loader searches a table by halving it.
bool SortsBefore(const ResourceId& a, const ResourceId& b) {
  if (a.named != b.named) return a.named;
  return a.named ? NameLess(a.name, b.name) : a.number < b.number;
}

ResourceEntry* FindEntry(ResourceTable& table, const ResourceId& id) {
  for (ResourceEntry& entry : table.entries) {
    if (Matches(entry.id, id)) return &entry;
  }
  return nullptr;
}

ResourceEntry& InsertEntry(ResourceTable& table, ResourceId id) {
  const auto place = std::find_if(table.entries.begin(), table.entries.end(),
                                  [&](const ResourceEntry& entry) { return SortsBefore(id, entry.id); });
  ResourceEntry entry;
  entry.id = std::move(id);
  return *table.entries.insert(place, std::move(entry));
}

void Append32(std::string& out, std::uint32_t value) {
  out.resize(out.size() + 4);
  Write32(out, out.size() - 4, value);
}

void Append16(std::string& out, std::uint16_t value) {
  out.resize(out.size() + 2);
  Write16(out, out.size() - 2, value);
}

void PadTo(std::string& out, std::size_t alignment) {
  out.resize((out.size() + alignment - 1) / alignment * alignment, '\0');
}

// Entries as the loader expects them, whatever order the file had.
std::vector<const ResourceEntry*> OrderedEntries(const ResourceTable& table) {
  std::vector<const ResourceEntry*> entries;
  for (const ResourceEntry& entry : table.entries) entries.push_back(&entry);
  std::stable_partition(entries.begin(), entries.end(), [](const ResourceEntry* entry) { return entry->id.named; });
  return entries;
}

}  // namespace

bool ReadResourceTree(std::string_view file, const PeLayout& layout, const SectionHeader& section, ResourceTable& root,
                      std::string& error) {
  root = ResourceTable{};
  TreeReader reader(file, layout, file.substr(section.pointerToRawData, section.FileSize()), error);
  return reader.ReadTable(0, 0, root);
}

std::string BuildResourceSection(const ResourceTable& root, std::uint32_t sectionRva) {
  // Offsets are decided before anything is written: tables in breadth-first
  // order, then a data entry per leaf and a name per named entry in the order
  // the tables list them, then the data.
  std::vector<const ResourceTable*> tables;
  std::vector<const ResourceEntry*> leaves;
  std::vector<const ResourceEntry*> named;
  std::unordered_map<const ResourceTable*, std::uint32_t> tableOffset;
  std::unordered_map<const ResourceEntry*, std::uint32_t> leafOffset, nameOffset, dataOffset;
  std::size_t cursor = 0;
  std::deque<const ResourceTable*> queue{&root};
  while (!queue.empty()) {
    const ResourceTable* table = queue.front();
    queue.pop_front();
    tables.push_back(table);
    tableOffset[table] = static_cast<std::uint32_t>(cursor);
    cursor += kTableHeaderSize + table->entries.size() * kEntrySize;
    for (const ResourceEntry* entry : OrderedEntries(*table)) {
      if (entry->id.named) named.push_back(entry);
      if (entry->table) {
        queue.push_back(entry->table.get());
      } else {
        leaves.push_back(entry);
      }
    }
  }
  for (const ResourceEntry* leaf : leaves) {
    leafOffset[leaf] = static_cast<std::uint32_t>(cursor);
    cursor += kDataEntrySize;
  }
  for (const ResourceEntry* entry : named) {
    nameOffset[entry] = static_cast<std::uint32_t>(cursor);
    cursor += 2 + entry->id.name.size() * 2;
  }
  for (const ResourceEntry* leaf : leaves) {
    cursor = (cursor + 7) / 8 * 8;
    dataOffset[leaf] = static_cast<std::uint32_t>(cursor);
    cursor += leaf->data.size();
  }

  std::string out;
  out.reserve(cursor);
  for (const ResourceTable* table : tables) {
    const std::vector<const ResourceEntry*> entries = OrderedEntries(*table);
    const auto namedCount = std::count_if(entries.begin(), entries.end(), [](auto* e) { return e->id.named; });
    Append32(out, table->characteristics);
    Append32(out, table->timeDateStamp);
    Append16(out, table->majorVersion);
    Append16(out, table->minorVersion);
    Append16(out, static_cast<std::uint16_t>(namedCount));
    Append16(out, static_cast<std::uint16_t>(entries.size() - static_cast<std::size_t>(namedCount)));
    for (const ResourceEntry* entry : entries) {
      Append32(out, entry->id.named ? kHighBit | nameOffset.at(entry) : entry->id.number);
      Append32(out, entry->table ? kHighBit | tableOffset.at(entry->table.get()) : leafOffset.at(entry));
    }
  }
  for (const ResourceEntry* leaf : leaves) {
    Append32(out, sectionRva + dataOffset.at(leaf));
    Append32(out, static_cast<std::uint32_t>(leaf->data.size()));
    Append32(out, leaf->codePage);
    Append32(out, leaf->reserved);
  }
  for (const ResourceEntry* entry : named) {
    Append16(out, static_cast<std::uint16_t>(entry->id.name.size()));
    for (char16_t c : entry->id.name) Append16(out, static_cast<std::uint16_t>(c));
  }
  for (const ResourceEntry* leaf : leaves) {
    PadTo(out, 8);
    out += leaf->data;
  }
  return out;
}

const ResourceEntry* FindResource(const ResourceTable& root, std::uint32_t type, std::u16string_view name,
                                  std::uint32_t language) {
  ResourceId typeId, nameId, languageId;
  typeId.number = type;
  nameId.named = true;
  nameId.name = name;
  languageId.number = language;
  const ResourceTable* table = &root;
  const ResourceId* path[] = {&typeId, &nameId, &languageId};
  for (std::size_t level = 0; level < 3; ++level) {
    const auto found = std::find_if(table->entries.begin(), table->entries.end(),
                                    [&](const ResourceEntry& entry) { return Matches(entry.id, *path[level]); });
    if (found == table->entries.end()) return nullptr;
    if (level == 2) return found->table ? nullptr : &*found;
    if (!found->table) return nullptr;
    table = found->table.get();
  }
  return nullptr;
}

bool SetResource(ResourceTable& root, std::uint32_t type, std::u16string_view name, std::uint32_t language,
                 std::string data) {
  ResourceId typeId, nameId, languageId;
  typeId.number = type;
  nameId.named = true;
  nameId.name = name;
  languageId.number = language;
  ResourceTable* table = &root;
  for (const ResourceId* id : {&typeId, &nameId}) {
    ResourceEntry* entry = FindEntry(*table, *id);
    if (!entry) {
      entry = &InsertEntry(*table, *id);
      entry->table = std::make_unique<ResourceTable>();
    }
    if (!entry->table) return false;
    table = entry->table.get();
  }
  ResourceEntry* leaf = FindEntry(*table, languageId);
  if (!leaf) leaf = &InsertEntry(*table, languageId);
  if (leaf->table) return false;
  leaf->data = std::move(data);
  return true;
}

}  // namespace tidemark::pack
