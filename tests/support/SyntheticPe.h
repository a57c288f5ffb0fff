// Crafted PE images with the real layout of a PE file and of Tidemark.exe:
// code, data that holds an absolute address, a resource section with
// several resources, and base relocations after it. The resource tables are
// written in another order than the packer writes them (depth first, data
// 4-aligned), so that reading is checked independently of writing. The
// packer's tests and the fuzzing seeds both build their images here.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "pack/PeLayout.h"

namespace tidemark::pack::synthetic {

inline constexpr std::uint32_t kFileAlignment = 0x200;
inline constexpr std::uint32_t kSectionAlignment = 0x1000;
inline constexpr std::uint32_t kCode = 0x60000020;
inline constexpr std::uint32_t kData = 0xC0000040;
inline constexpr std::uint32_t kResources = 0x40000040;
inline constexpr std::uint32_t kRelocations = 0x42000040;

inline std::uint32_t AlignUp(std::size_t value, std::uint32_t alignment) {
  return static_cast<std::uint32_t>((value + alignment - 1) / alignment * alignment);
}

inline void Put16(std::string& bytes, std::size_t offset, std::uint16_t value) { Write16(bytes, offset, value); }
inline void Put32(std::string& bytes, std::size_t offset, std::uint32_t value) { Write32(bytes, offset, value); }
inline void Put64(std::string& bytes, std::size_t offset, std::uint64_t value) {
  Put32(bytes, offset, static_cast<std::uint32_t>(value));
  Put32(bytes, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

struct Resource {
  std::uint32_t type;
  std::u16string name;  // empty: numbered by id
  std::uint32_t id;
  std::uint32_t language;
  std::string data;
};

inline std::vector<Resource> StandardResources(const std::string& script) {
  return {
      {3, u"", 1, 0x409, std::string("icon\0bits", 9)},
      {10, u"ABOUT", 0, 0x409, "packed picture"},
      {10, u"RESDATA", 0, 0x412, script},
      {14, u"", 1, 0x409, "group icon"},
      {16, u"", 1, 0x409, "version block"},
      {24, u"", 1, 0x409, "<assembly/>"},
  };
}

// The resource section for resources sorted as the loader wants them:
// tables depth first, then the names, the data entries and the data.
inline std::string HandWrittenResourceSection(const std::vector<Resource>& resources, std::uint32_t sectionRva) {
  // (numbered?, (name, id)): false sorts first, so named entries come before numbered ones.
  using Key = std::pair<std::u16string, std::uint32_t>;
  struct Tree {
    std::map<std::uint32_t, std::map<std::pair<bool, Key>, std::map<std::uint32_t, std::size_t>>> types;
  } tree;
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const Resource& r = resources[i];
    tree.types[r.type][{r.name.empty(), {r.name, r.id}}][r.language] = i;
  }
  std::string out;
  std::vector<std::pair<std::size_t, std::u16string>> namePatches;  // entry offset, name
  std::vector<std::pair<std::size_t, std::size_t>> leafPatches;     // entry offset, resource index
  auto table = [&](std::size_t named, std::size_t numbered) {
    const std::size_t at = out.size();
    out.resize(at + 16 + (named + numbered) * 8, '\0');
    Put16(out, at + 12, static_cast<std::uint16_t>(named));
    Put16(out, at + 14, static_cast<std::uint16_t>(numbered));
    return at + 16;
  };
  std::size_t typeEntry = table(0, tree.types.size());
  for (const auto& [type, names] : tree.types) {
    Put32(out, typeEntry, type);
    Put32(out, typeEntry + 4, 0x80000000u | static_cast<std::uint32_t>(out.size()));
    typeEntry += 8;
    std::size_t namedCount = 0;
    for (const auto& name : names) namedCount += name.first.first ? 0 : 1;
    std::size_t nameEntry = table(namedCount, names.size() - namedCount);
    for (const auto& [key, languages] : names) {
      if (key.first) {
        Put32(out, nameEntry, key.second.second);
      } else {
        namePatches.push_back({nameEntry, key.second.first});
      }
      Put32(out, nameEntry + 4, 0x80000000u | static_cast<std::uint32_t>(out.size()));
      nameEntry += 8;
      std::size_t languageEntry = table(0, languages.size());
      for (const auto& [language, index] : languages) {
        Put32(out, languageEntry, language);
        leafPatches.push_back({languageEntry + 4, index});
        languageEntry += 8;
      }
    }
  }
  for (const auto& [entry, name] : namePatches) {
    Put32(out, entry, 0x80000000u | static_cast<std::uint32_t>(out.size()));
    out.resize(out.size() + 2 + name.size() * 2);
    Put16(out, out.size() - 2 - name.size() * 2, static_cast<std::uint16_t>(name.size()));
    for (std::size_t i = 0; i < name.size(); ++i) Put16(out, out.size() - name.size() * 2 + i * 2, name[i]);
  }
  out.resize(AlignUp(out.size(), 4));
  std::vector<std::size_t> dataEntryOf(resources.size());
  for (const auto& [entry, index] : leafPatches) {
    Put32(out, entry, static_cast<std::uint32_t>(out.size()));
    dataEntryOf[index] = out.size();
    out.resize(out.size() + 16);
    Put32(out, out.size() - 8, 949);  // a code page, kept as read
  }
  for (const auto& [entry, index] : leafPatches) {
    out.resize(AlignUp(out.size(), 4));
    Put32(out, dataEntryOf[index], sectionRva + static_cast<std::uint32_t>(out.size()));
    Put32(out, dataEntryOf[index] + 4, static_cast<std::uint32_t>(resources[index].data.size()));
    out += resources[index].data;
  }
  return out;
}

struct ImageOptions {
  bool pe32Plus = false;
  bool relocations = true;                    // a .reloc section after the resources
  std::optional<std::uint32_t> sectionAfter;  // one more section after them, with these characteristics
  std::string resourceSection;                // empty: HandWrittenResourceSection(StandardResources("old script"))
};

inline ImageOptions Options(bool pe32Plus) {
  ImageOptions options;
  options.pe32Plus = pe32Plus;
  return options;
}

constexpr std::uint64_t ImageBase(bool pe32Plus) { return pe32Plus ? 0x140000000ull : 0x400000ull; }

struct SectionPlan {
  const char* name;
  std::uint32_t characteristics;
  std::string bytes;
  std::uint32_t virtualSize;
};

// Headers at 0, sections packed one after the other in the file and in
// memory, a checksum as the linker writes one.
inline std::string MakeImage(const ImageOptions& options) {
  const bool plus = options.pe32Plus;
  std::vector<SectionPlan> sections;
  std::string code(0x40, '\xC3');
  sections.push_back({".text", kCode, code, 0x40});
  std::string data(0x20, '\0');
  // An absolute address of the code: what a base relocation patches.
  if (plus) {
    Put64(data, 0x10, ImageBase(true) + 0x1010);
  } else {
    Put32(data, 0x10, static_cast<std::uint32_t>(ImageBase(false) + 0x1010));
  }
  sections.push_back({".data", kData, data, 0x20});
  const std::uint32_t resourceRva = 0x3000;
  std::string resources = options.resourceSection.empty()
                              ? HandWrittenResourceSection(StandardResources("old script"), resourceRva)
                              : options.resourceSection;
  sections.push_back({".rsrc", kResources, resources, static_cast<std::uint32_t>(resources.size())});
  if (options.sectionAfter) sections.push_back({".after", *options.sectionAfter, std::string(0x30, 'A'), 0x30});
  if (options.relocations) {
    std::string block(12, '\0');
    Put32(block, 0, 0x2000);
    Put32(block, 4, 12);
    Put16(block, 8, static_cast<std::uint16_t>((plus ? 10 : 3) << 12 | 0x10));
    sections.push_back({".reloc", kRelocations, block, 12});
  }

  const std::size_t optionalSize = plus ? 0xF0 : 0xE0;
  std::string image(0x400, '\0');
  Put16(image, 0, 0x5A4D);
  Put32(image, 0x3C, 0x80);
  Put32(image, 0x80, 0x4550);
  const std::size_t fileHeader = 0x84, optional = fileHeader + 20;
  Put16(image, fileHeader, plus ? 0x8664 : 0x014C);
  Put16(image, fileHeader + 2, static_cast<std::uint16_t>(sections.size()));
  Put16(image, fileHeader + 16, static_cast<std::uint16_t>(optionalSize));
  Put16(image, optional, plus ? 0x20B : 0x10B);
  Put32(image, optional + 16, 0x1000);  // entry point
  if (plus) {
    Put64(image, optional + 24, ImageBase(true));
  } else {
    Put32(image, optional + 28, static_cast<std::uint32_t>(ImageBase(false)));
  }
  Put32(image, optional + 32, kSectionAlignment);
  Put32(image, optional + 36, kFileAlignment);
  Put32(image, optional + 60, 0x400);  // SizeOfHeaders
  const std::size_t directories = optional + (plus ? 112 : 96);
  Put32(image, directories - 4, 16);

  std::uint32_t rva = 0x1000, initialized = 0;
  const std::size_t table = optional + optionalSize;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const SectionPlan& section = sections[i];
    const std::size_t header = table + i * 40;
    std::memcpy(&image[header], section.name, std::strlen(section.name));
    const std::uint32_t rawSize = AlignUp(section.bytes.size(), kFileAlignment);
    Put32(image, header + 8, section.virtualSize);
    Put32(image, header + 12, rva);
    Put32(image, header + 16, rawSize);
    Put32(image, header + 20, static_cast<std::uint32_t>(image.size()));
    Put32(image, header + 36, section.characteristics);
    if (std::string(section.name) == ".rsrc") {
      Put32(image, directories + 2 * 8, rva);
      Put32(image, directories + 2 * 8 + 4, section.virtualSize);
    }
    if (std::string(section.name) == ".reloc") {
      Put32(image, directories + 5 * 8, rva);
      Put32(image, directories + 5 * 8 + 4, section.virtualSize);
    }
    if (section.characteristics & 0x40) initialized += rawSize;
    image += section.bytes;
    image.resize(image.size() + rawSize - section.bytes.size(), '\0');
    rva += AlignUp(section.virtualSize, kSectionAlignment);
  }
  Put32(image, optional + 8, initialized);
  Put32(image, optional + 56, rva);  // SizeOfImage
  Put32(image, optional + 64, PeChecksum(image, optional + 64));
  return image;
}

// A section's bytes in the file as its header says, by name; empty when the
// image has no readable layout, so that a comparison with it fails.
inline std::map<std::string, std::string> SectionBytes(const std::string& image) {
  PeLayout layout;
  std::string error;
  std::map<std::string, std::string> bytes;
  if (!ReadPeLayout(image, layout, error)) return bytes;
  for (const SectionHeader& section : layout.sections) {
    bytes[section.name] = image.substr(section.pointerToRawData, section.FileSize());
  }
  return bytes;
}

}  // namespace tidemark::pack::synthetic
