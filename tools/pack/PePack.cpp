#include "pack/PePack.h"

#include <algorithm>

#include "pack/PeLayout.h"
#include "pack/ResourceTree.h"

namespace tidemark::pack {

namespace {

constexpr std::uint32_t kSectionInitializedData = 0x00000040;
constexpr std::size_t kMaxScriptSize = 256u << 20;
constexpr std::uint64_t kMaxImageEnd = 0xFFFFFFFFu;
constexpr std::uint16_t kRelocationAbsolute = 0;  // padding, patches nothing
constexpr std::uint16_t kRelocationHighLow = 3;   // a 32-bit address
constexpr std::uint16_t kRelocationDir64 = 10;    // a 64-bit address
constexpr std::size_t kDebugEntrySize = 28;

std::uint64_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

bool Fail(std::string& error, const std::string& message) {
  error = message;
  return false;
}

// Where the resource section is, and which addresses and file bytes a new
// size for it would move.
struct Placement {
  std::size_t resourceIndex = 0;
  std::uint32_t resourceStart = 0;  // RVA
  std::uint64_t resourceEnd = 0;    // RVA just past the section's memory, in the template or packed if larger
  std::uint32_t rawStart = 0;       // file offset of the section's bytes
  std::uint64_t tailStart = 0;      // file offset just past them: what follows moves by fileDelta
  long long fileDelta = 0;
  long long addressDelta = 0;  // for every section after the resource section
  std::size_t sectionCount = 0;

  bool InResources(std::uint64_t rva) const { return rva >= resourceStart && rva < resourceEnd; }
  // True for an RVA of a section that moves to a new address.
  bool Moves(const PeLayout& layout, std::uint64_t rva) const {
    if (addressDelta == 0 || rva > 0xFFFFFFFFu) return false;
    const int index = layout.SectionOfRva(static_cast<std::uint32_t>(rva));
    return index > static_cast<int>(resourceIndex);
  }
};

std::string SectionName(const PeLayout& layout, std::uint64_t rva) {
  const int index = rva <= 0xFFFFFFFFu ? layout.SectionOfRva(static_cast<std::uint32_t>(rva)) : -1;
  return index < 0 ? std::string("?") : layout.sections[static_cast<std::size_t>(index)].name;
}

// A base relocation patches an absolute address into the loaded image. The
// patched place must not lie in the resources (they are rebuilt) or in a
// section that moves; the address it holds must not point at either, as the
// place would then name a spot that holds something else after packing.
bool CheckRelocations(std::string_view file, const PeLayout& layout, const Placement& place, std::string& error) {
  const DataDirectory directory = layout.Directory(kBaseRelocationDirectory);
  if (directory.size == 0) return true;
  const long long at = layout.FileOffsetOfRva(directory.address, directory.size);
  if (at < 0) return Fail(error, "the base relocations lie outside the file");
  const std::string_view table = file.substr(static_cast<std::size_t>(at), directory.size);
  std::size_t position = 0;
  while (position + 8 <= table.size()) {
    const std::uint32_t page = Read32(table, position);
    const std::uint32_t blockSize = Read32(table, position + 4);
    if (blockSize < 8 || blockSize > table.size() - position) return Fail(error, "a base relocation block is damaged");
    for (std::size_t entry = position + 8; entry + 2 <= position + blockSize; entry += 2) {
      const std::uint16_t value = Read16(table, entry);
      const std::uint16_t type = value >> 12;
      if (type == kRelocationAbsolute) continue;
      const std::uint64_t target = static_cast<std::uint64_t>(page) + (value & 0x0FFF);
      // A section that moves is named first: the grown resource section
      // reaches over its old addresses.
      if (place.Moves(layout, target)) {
        return Fail(error,
                    "a base relocation patches section " + SectionName(layout, target) + ", which would have to move");
      }
      if (place.InResources(target)) return Fail(error, "a base relocation patches the resource section");
      if (type != kRelocationHighLow && type != kRelocationDir64) {
        if (place.addressDelta == 0) continue;
        return Fail(error, "base relocation type " + std::to_string(type) +
                               " cannot be checked, so the sections after the resources cannot move");
      }
      const std::uint32_t width = type == kRelocationDir64 ? 8 : 4;
      // A place in uninitialised data holds nothing yet.
      const long long held =
          target <= 0xFFFFFFFFu ? layout.FileOffsetOfRva(static_cast<std::uint32_t>(target), width) : -1;
      if (held < 0) continue;
      const std::uint64_t address =
          width == 8 ? Read64(file, static_cast<std::size_t>(held)) : Read32(file, static_cast<std::size_t>(held));
      if (address < layout.imageBase) continue;
      const std::uint64_t rva = address - layout.imageBase;
      if (place.Moves(layout, rva)) {
        return Fail(error, "the program refers to section " + SectionName(layout, rva) +
                               " by address, so it cannot move to make room for the script");
      }
      if (place.InResources(rva)) {
        return Fail(error, "the program refers to its resource section by address; rebuilding it would break that");
      }
    }
    position += blockSize;
  }
  return true;
}

// Debug directory entries name their data by address and by file offset;
// data after the resources would need both rewritten, in a section that is
// otherwise kept byte for byte.
bool CheckDebugDirectory(std::string_view file, const PeLayout& layout, const Placement& place, std::string& error) {
  const DataDirectory directory = layout.Directory(kDebugDirectory);
  if (directory.size == 0) return true;
  const long long at = layout.FileOffsetOfRva(directory.address, directory.size);
  if (at < 0) return Fail(error, "the debug directory lies outside the file");
  for (std::size_t entry = 0; entry + kDebugEntrySize <= directory.size; entry += kDebugEntrySize) {
    const std::size_t offset = static_cast<std::size_t>(at) + entry;
    const std::uint32_t size = Read32(file, offset + 16);
    const std::uint32_t address = Read32(file, offset + 20);
    const std::uint32_t pointer = Read32(file, offset + 24);
    if (size == 0) continue;
    const bool addressMoves = address != 0 && (place.InResources(address) || place.Moves(layout, address));
    const bool bytesMove = pointer >= place.rawStart && (pointer < place.tailStart || place.fileDelta != 0);
    if (addressMoves || bytesMove) return Fail(error, "debug data lies after the resources and would have to move");
  }
  return true;
}

// Sections after the resources may take a new address only when nothing
// names an address inside them but the data directories that packing
// rewrites: base relocations (which name other sections' pages) and
// discardable data such as debugging information.
bool CheckMovableSections(const PeLayout& layout, const Placement& place, std::string& error) {
  if (place.addressDelta == 0) return true;
  const DataDirectory relocations = layout.Directory(kBaseRelocationDirectory);
  const int relocationSection = relocations.size != 0 ? layout.SectionOfRva(relocations.address) : -1;
  for (std::size_t i = place.resourceIndex + 1; i < layout.sections.size(); ++i) {
    const SectionHeader& section = layout.sections[i];
    if (section.characteristics & (kSectionContainsCode | kSectionExecutable)) {
      return Fail(error, "section " + section.name + " after the resources holds code and cannot move");
    }
    if (static_cast<int>(i) != relocationSection && !(section.characteristics & kSectionDiscardable)) {
      return Fail(error, "section " + section.name +
                             " after the resources is loaded data that the program may address, so it cannot move");
    }
  }
  if (place.Moves(layout, layout.addressOfEntryPoint))
    return Fail(error, "the entry point lies in a section that would move");
  for (std::size_t index = 0; index < layout.directories.size(); ++index) {
    if (index == kResourceDirectory || index == kCertificateDirectory || index == kBaseRelocationDirectory ||
        index == kDebugDirectory) {
      continue;
    }
    const DataDirectory directory = layout.directories[index];
    if (directory.size != 0 && place.Moves(layout, directory.address)) {
      return Fail(error, "data directory " + std::to_string(index) + " lies in section " +
                             SectionName(layout, directory.address) + ", which would have to move");
    }
  }
  return true;
}

// The resource section of a readable image, and its tree.
bool ReadResources(std::string_view image, PeLayout& layout, std::size_t& index, ResourceTable& root,
                   std::string& error) {
  if (!ReadPeLayout(image, layout, error)) return false;
  const DataDirectory resources = layout.Directory(kResourceDirectory);
  if (resources.address == 0 || resources.size == 0) return Fail(error, "the template has no resource section");
  const int found = layout.SectionOfRva(resources.address);
  if (found < 0) return Fail(error, "the resource directory lies outside every section");
  index = static_cast<std::size_t>(found);
  const SectionHeader& section = layout.sections[index];
  if (section.virtualAddress != resources.address) {
    return Fail(error, "the resource directory does not start section " + section.name +
                           ", so the section holds other data too");
  }
  if (section.FileSize() == 0) return Fail(error, "the resource section has no bytes in the file");
  return ReadResourceTree(image, layout, section, root, error);
}

}  // namespace

bool ReadScriptResource(std::string_view image, std::string& script, std::string& error) {
  PeLayout layout;
  std::size_t index = 0;
  ResourceTable root;
  if (!ReadResources(image, layout, index, root, error)) return false;
  const ResourceEntry* leaf = FindResource(root, kRcdataType, kScriptResourceName, kKoreanLanguage);
  if (!leaf) return Fail(error, "the image has no Korean RCDATA resource RESDATA");
  script = leaf->data;
  return true;
}

bool PackScript(std::string_view templateImage, std::string_view script, std::string& packed, PackReport& report,
                std::string& error) {
  report = PackReport{};
  packed.clear();
  if (script.size() > kMaxScriptSize) return Fail(error, "the script is larger than 256 MB");
  PeLayout layout;
  Placement place;
  ResourceTable root;
  if (!ReadResources(templateImage, layout, place.resourceIndex, root, error)) return false;
  const SectionHeader& resources = layout.sections[place.resourceIndex];
  place.sectionCount = layout.sections.size();
  place.resourceStart = resources.virtualAddress;
  place.resourceEnd = static_cast<std::uint64_t>(resources.virtualAddress) + resources.MemorySize();
  place.rawStart = resources.pointerToRawData;
  const std::uint64_t rawEnd = static_cast<std::uint64_t>(resources.pointerToRawData) + resources.sizeOfRawData;

  // A signature covers the old bytes; it goes, and with it the table that
  // the certificate directory names by file offset at the end of the file.
  std::uint64_t contentEnd = templateImage.size();
  const DataDirectory certificates = layout.Directory(kCertificateDirectory);
  if (certificates.size != 0) {
    if (static_cast<std::uint64_t>(certificates.address) + certificates.size != templateImage.size()) {
      return Fail(error, "the certificate table is not at the end of the file");
    }
    for (const SectionHeader& section : layout.sections) {
      if (section.sizeOfRawData != 0 &&
          static_cast<std::uint64_t>(section.pointerToRawData) + section.sizeOfRawData > certificates.address) {
        return Fail(error, "the certificate table overlaps section " + section.name);
      }
    }
    contentEnd = certificates.address;
    report.templateWasSigned = true;
  }
  if (rawEnd > contentEnd) return Fail(error, "the resource section runs into the certificate table");
  // The linker may give the section an unaligned raw size; the padding up to
  // the file alignment is the section's too, and what follows starts there.
  place.tailStart = std::min(AlignUp(rawEnd, layout.fileAlignment), contentEnd);

  for (std::size_t index = 0; index < layout.directories.size(); ++index) {
    const DataDirectory directory = layout.directories[index];
    if (index != kResourceDirectory && index != kCertificateDirectory && directory.size != 0 &&
        place.InResources(directory.address)) {
      return Fail(error, "data directory " + std::to_string(index) + " lies in the resource section");
    }
  }
  if (place.InResources(layout.addressOfEntryPoint)) return Fail(error, "the entry point lies in the resource section");
  for (std::size_t index = 0; index < layout.sections.size(); ++index) {
    const SectionHeader& section = layout.sections[index];
    if (index == place.resourceIndex || section.sizeOfRawData == 0) continue;
    const std::uint64_t end = static_cast<std::uint64_t>(section.pointerToRawData) + section.sizeOfRawData;
    if (end > place.rawStart && section.pointerToRawData < place.tailStart) {
      return Fail(error, "section " + section.name + " shares file bytes with the resource section");
    }
  }
  if (layout.pointerToSymbolTable >= place.rawStart && layout.pointerToSymbolTable < place.tailStart) {
    return Fail(error, "the symbol table lies inside the resource section");
  }
  // A pointer past the end would wrap around when the file grows, and then
  // point into the new resource section.
  if (layout.pointerToSymbolTable > contentEnd) return Fail(error, "the symbol table lies outside the file");

  if (!SetResource(root, kRcdataType, kScriptResourceName, kKoreanLanguage, std::string(script))) {
    return Fail(error, "the template's resource tree has a leaf where RCDATA/RESDATA needs a table");
  }
  const std::string section = BuildResourceSection(root, resources.virtualAddress);
  const std::uint64_t newRawSize = AlignUp(section.size(), layout.fileAlignment);
  const bool tailInFile = place.tailStart < contentEnd;
  // Sections that follow in the file move by the change in the section's
  // aligned size; they stay aligned only when the section starts aligned.
  if (tailInFile && resources.pointerToRawData % layout.fileAlignment != 0) {
    return Fail(error, "the resource section does not start at a multiple of the file alignment");
  }
  place.fileDelta = static_cast<long long>(place.rawStart + newRawSize) - static_cast<long long>(place.tailStart);
  const std::uint64_t newMemoryEnd =
      AlignUp(static_cast<std::uint64_t>(resources.virtualAddress) + section.size(), layout.sectionAlignment);
  if (place.resourceIndex + 1 < layout.sections.size()) {
    place.addressDelta = static_cast<long long>(newMemoryEnd) - layout.sections[place.resourceIndex + 1].virtualAddress;
  }
  // The grown section covers addresses that lay in its slack before: a base
  // relocation there would patch the script when the program is loaded.
  place.resourceEnd = std::max<std::uint64_t>(place.resourceEnd, newMemoryEnd);

  if (!CheckMovableSections(layout, place, error) || !CheckRelocations(templateImage, layout, place, error) ||
      !CheckDebugDirectory(templateImage, layout, place, error)) {
    return false;
  }

  // New addresses and sizes, checked before anything is written.
  std::uint64_t imageEnd = 0;
  for (std::size_t index = 0; index < layout.sections.size(); ++index) {
    const SectionHeader& header = layout.sections[index];
    const std::uint64_t start =
        index > place.resourceIndex ? header.virtualAddress + place.addressDelta : header.virtualAddress;
    const std::uint64_t size = index == place.resourceIndex ? section.size() : header.MemorySize();
    imageEnd = AlignUp(start + size, layout.sectionAlignment);
  }
  const std::uint64_t fileEnd = place.rawStart + newRawSize + (tailInFile ? contentEnd - place.tailStart : 0);
  if (imageEnd > kMaxImageEnd || fileEnd > kMaxImageEnd) return Fail(error, "the packed program would exceed 4 GB");

  packed.reserve(static_cast<std::size_t>(fileEnd));
  packed.append(templateImage.substr(0, place.rawStart));
  packed.append(section);
  packed.resize(static_cast<std::size_t>(place.rawStart + newRawSize), '\0');
  if (tailInFile) {
    packed.append(templateImage.substr(static_cast<std::size_t>(place.tailStart),
                                       static_cast<std::size_t>(contentEnd - place.tailStart)));
  }

  Write32(packed, resources.headerOffset + 8, static_cast<std::uint32_t>(section.size()));
  Write32(packed, resources.headerOffset + 16, static_cast<std::uint32_t>(newRawSize));
  for (std::size_t index = 0; index < layout.sections.size(); ++index) {
    const SectionHeader& header = layout.sections[index];
    if (index != place.resourceIndex && header.sizeOfRawData != 0 && header.pointerToRawData >= place.tailStart) {
      Write32(packed, header.headerOffset + 20, static_cast<std::uint32_t>(header.pointerToRawData + place.fileDelta));
    }
    if (index > place.resourceIndex && place.addressDelta != 0) {
      Write32(packed, header.headerOffset + 12, static_cast<std::uint32_t>(header.virtualAddress + place.addressDelta));
      report.movedSections.push_back(header.name);
    }
  }
  Write32(packed, layout.DirectoryOffset(kResourceDirectory) + 4, static_cast<std::uint32_t>(section.size()));
  const DataDirectory relocations = layout.Directory(kBaseRelocationDirectory);
  if (relocations.size != 0 && place.Moves(layout, relocations.address)) {
    Write32(packed, layout.DirectoryOffset(kBaseRelocationDirectory),
            static_cast<std::uint32_t>(relocations.address + place.addressDelta));
  }
  if (layout.directories.size() > kCertificateDirectory) {
    Write32(packed, layout.DirectoryOffset(kCertificateDirectory), 0);
    Write32(packed, layout.DirectoryOffset(kCertificateDirectory) + 4, 0);
  }
  if (layout.pointerToSymbolTable != 0 && layout.pointerToSymbolTable >= place.tailStart) {
    Write32(packed, layout.PointerToSymbolTableOffset(),
            static_cast<std::uint32_t>(layout.pointerToSymbolTable + place.fileDelta));
  }
  Write32(packed, layout.SizeOfImageOffset(), static_cast<std::uint32_t>(imageEnd));
  if (resources.characteristics & kSectionInitializedData) {
    const std::uint32_t initialized = Read32(packed, layout.SizeOfInitializedDataOffset());
    Write32(packed, layout.SizeOfInitializedDataOffset(),
            static_cast<std::uint32_t>(initialized + newRawSize - resources.sizeOfRawData));
  }
  report.checkSum = PeChecksum(packed, layout.CheckSumOffset());
  Write32(packed, layout.CheckSumOffset(), report.checkSum);
  return true;
}

}  // namespace tidemark::pack
