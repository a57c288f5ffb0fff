#include "pack/PeLayout.h"

#include <algorithm>

namespace tidemark::pack {

std::uint16_t Read16(std::string_view bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                    static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

std::uint32_t Read32(std::string_view bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(Read16(bytes, offset)) | static_cast<std::uint32_t>(Read16(bytes, offset + 2))
                                                                 << 16;
}

std::uint64_t Read64(std::string_view bytes, std::size_t offset) {
  return static_cast<std::uint64_t>(Read32(bytes, offset)) | static_cast<std::uint64_t>(Read32(bytes, offset + 4))
                                                                 << 32;
}

void Write16(std::string& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void Write32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  Write16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  Write16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

namespace {

constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kMaxDirectories = 16;

bool IsPowerOfTwo(std::uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

std::uint64_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

bool Fail(std::string& error, const std::string& message) {
  error = message;
  return false;
}

}  // namespace

int PeLayout::SectionOfRva(std::uint32_t rva) const {
  // Sections are in ascending address order (ReadPeLayout refuses others):
  // the last one starting at or below the RVA is the only candidate.
  const auto after = std::upper_bound(
      sections.begin(), sections.end(), rva,
      [](std::uint32_t value, const SectionHeader& section) { return value < section.virtualAddress; });
  if (after == sections.begin()) return -1;
  const SectionHeader& section = *(after - 1);
  if (static_cast<std::uint64_t>(rva) >= static_cast<std::uint64_t>(section.virtualAddress) + section.MemorySize()) {
    return -1;
  }
  return static_cast<int>(after - 1 - sections.begin());
}

long long PeLayout::FileOffsetOfRva(std::uint32_t rva, std::uint32_t size) const {
  const int index = SectionOfRva(rva);
  if (index < 0) return -1;
  const SectionHeader& section = sections[static_cast<std::size_t>(index)];
  const std::uint64_t within = rva - section.virtualAddress;
  if (within + size > section.FileSize()) return -1;
  return static_cast<long long>(section.pointerToRawData + within);
}

bool ReadPeLayout(std::string_view file, PeLayout& layout, std::string& error) {
  layout = PeLayout{};
  if (file.size() < 0x40 || Read16(file, 0) != 0x5A4D) return Fail(error, "not a Windows program (no MZ header)");
  const std::uint32_t peOffset = Read32(file, 0x3C);
  if (static_cast<std::uint64_t>(peOffset) + 4 + kFileHeaderSize > file.size() || Read32(file, peOffset) != 0x4550) {
    return Fail(error, "not a PE image (no PE header)");
  }
  layout.fileHeaderOffset = peOffset + 4;
  const std::uint16_t sectionCount = Read16(file, layout.fileHeaderOffset + 2);
  layout.pointerToSymbolTable = Read32(file, layout.fileHeaderOffset + 8);
  const std::uint16_t optionalSize = Read16(file, layout.fileHeaderOffset + 16);
  layout.optionalHeaderOffset = layout.fileHeaderOffset + kFileHeaderSize;
  if (layout.optionalHeaderOffset + optionalSize > file.size() || optionalSize < 2) {
    return Fail(error, "the optional header runs past the end of the file");
  }
  const std::uint16_t magic = Read16(file, layout.optionalHeaderOffset);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return Fail(error, "not a PE32 or PE32+ image");
  layout.pe32Plus = magic == kPe32PlusMagic;
  const std::size_t directoriesAt = layout.pe32Plus ? 112 : 96;
  if (optionalSize < directoriesAt) return Fail(error, "the optional header is too short");
  const std::size_t optional = layout.optionalHeaderOffset;
  layout.addressOfEntryPoint = Read32(file, optional + 16);
  layout.imageBase = layout.pe32Plus ? Read64(file, optional + 24) : Read32(file, optional + 28);
  layout.sectionAlignment = Read32(file, optional + 32);
  layout.fileAlignment = Read32(file, optional + 36);
  layout.sizeOfHeaders = Read32(file, optional + 60);
  if (!IsPowerOfTwo(layout.fileAlignment) || !IsPowerOfTwo(layout.sectionAlignment) ||
      layout.fileAlignment > layout.sectionAlignment) {
    return Fail(error, "the section or file alignment is not a power of two");
  }
  const std::uint32_t directoryCount = Read32(file, optional + directoriesAt - 4);
  if (directoryCount > kMaxDirectories || directoriesAt + directoryCount * 8 > optionalSize) {
    return Fail(error, "the data directories do not fit the optional header");
  }
  layout.dataDirectoriesOffset = optional + directoriesAt;
  for (std::size_t i = 0; i < directoryCount; ++i) {
    layout.directories.push_back(
        {Read32(file, layout.DirectoryOffset(i)), Read32(file, layout.DirectoryOffset(i) + 4)});
  }

  const std::size_t table = optional + optionalSize;
  const std::uint64_t tableEnd = table + static_cast<std::uint64_t>(sectionCount) * kSectionHeaderSize;
  if (tableEnd > file.size() || tableEnd > layout.sizeOfHeaders) {
    return Fail(error, "the section table runs past the headers or the file");
  }
  std::uint64_t previousEnd = 0;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    SectionHeader section;
    section.headerOffset = table + i * kSectionHeaderSize;
    const std::string_view rawName = file.substr(section.headerOffset, 8);
    section.name = std::string(rawName.substr(0, rawName.find('\0')));
    section.virtualSize = Read32(file, section.headerOffset + 8);
    section.virtualAddress = Read32(file, section.headerOffset + 12);
    section.sizeOfRawData = Read32(file, section.headerOffset + 16);
    section.pointerToRawData = Read32(file, section.headerOffset + 20);
    section.characteristics = Read32(file, section.headerOffset + 36);
    if (section.sizeOfRawData != 0 &&
        static_cast<std::uint64_t>(section.pointerToRawData) + section.sizeOfRawData > file.size()) {
      return Fail(error, "section " + section.name + " runs past the end of the file");
    }
    if (section.virtualAddress < previousEnd || section.virtualAddress < layout.sizeOfHeaders) {
      return Fail(error, "section " + section.name + " overlaps the headers or the section before it");
    }
    previousEnd =
        AlignUp(static_cast<std::uint64_t>(section.virtualAddress) + section.MemorySize(), layout.sectionAlignment);
    if (previousEnd > 0xFFFFFFFFu) return Fail(error, "section " + section.name + " ends beyond 4 GB");
    layout.sections.push_back(section);
  }
  return true;
}

std::uint32_t PeChecksum(std::string_view file, std::size_t checkSumOffset) {
  std::uint64_t sum = 0;
  const std::size_t size = file.size();
  const auto byteAt = [&](std::size_t offset) -> std::uint32_t {
    if (offset >= size || (offset >= checkSumOffset && offset < checkSumOffset + 4)) return 0;
    return static_cast<unsigned char>(file[offset]);
  };
  for (std::size_t offset = 0; offset < size; offset += 2) {
    sum += byteAt(offset) | byteAt(offset + 1) << 8;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + size);
}

}  // namespace tidemark::pack
