// The parts of a PE file that packing reads and rewrites: where the headers
// are, the optional header fields it needs, the data directories and the
// section table. Every offset is checked against the file when it is read, so
// that the rest of the packer can index without checking again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark::pack {

// Little-endian reads and writes; the caller has checked the bounds.
std::uint16_t Read16(std::string_view bytes, std::size_t offset);
std::uint32_t Read32(std::string_view bytes, std::size_t offset);
std::uint64_t Read64(std::string_view bytes, std::size_t offset);
void Write16(std::string& bytes, std::size_t offset, std::uint16_t value);
void Write32(std::string& bytes, std::size_t offset, std::uint32_t value);

// Indexes of the data directories that packing looks at.
inline constexpr std::size_t kResourceDirectory = 2;
inline constexpr std::size_t kCertificateDirectory = 4;  // its "address" is a file offset
inline constexpr std::size_t kBaseRelocationDirectory = 5;
inline constexpr std::size_t kDebugDirectory = 6;

inline constexpr std::uint32_t kSectionContainsCode = 0x00000020;
inline constexpr std::uint32_t kSectionDiscardable = 0x02000000;
inline constexpr std::uint32_t kSectionExecutable = 0x20000000;

struct SectionHeader {
  std::string name;          // up to 8 bytes, as in the table ("/4" for a long name)
  std::size_t headerOffset;  // of this header in the file
  std::uint32_t virtualSize;
  std::uint32_t virtualAddress;
  std::uint32_t sizeOfRawData;
  std::uint32_t pointerToRawData;
  std::uint32_t characteristics;

  // The size the section takes in memory: linkers may leave VirtualSize 0.
  std::uint32_t MemorySize() const { return virtualSize != 0 ? virtualSize : sizeOfRawData; }
  // The bytes of the file that the section maps (never more than it maps).
  std::uint32_t FileSize() const { return sizeOfRawData < MemorySize() ? sizeOfRawData : MemorySize(); }
};

struct DataDirectory {
  std::uint32_t address;  // an RVA, or a file offset for the certificate table
  std::uint32_t size;
};

struct PeLayout {
  bool pe32Plus = false;
  std::size_t fileHeaderOffset = 0;  // COFF file header
  std::size_t optionalHeaderOffset = 0;
  std::size_t dataDirectoriesOffset = 0;
  std::uint64_t imageBase = 0;
  std::uint32_t addressOfEntryPoint = 0;
  std::uint32_t sectionAlignment = 0;
  std::uint32_t fileAlignment = 0;
  std::uint32_t sizeOfHeaders = 0;
  std::uint32_t pointerToSymbolTable = 0;
  std::vector<DataDirectory> directories;  // NumberOfRvaAndSizes of them, at most 16
  std::vector<SectionHeader> sections;     // in table order, which is ascending address order

  std::size_t SizeOfInitializedDataOffset() const { return optionalHeaderOffset + 8; }
  std::size_t SizeOfImageOffset() const { return optionalHeaderOffset + 56; }
  std::size_t CheckSumOffset() const { return optionalHeaderOffset + 64; }
  std::size_t PointerToSymbolTableOffset() const { return fileHeaderOffset + 8; }
  std::size_t DirectoryOffset(std::size_t index) const { return dataDirectoriesOffset + index * 8; }
  DataDirectory Directory(std::size_t index) const {
    return index < directories.size() ? directories[index] : DataDirectory{0, 0};
  }

  // The index of the section whose memory holds the RVA, or -1.
  int SectionOfRva(std::uint32_t rva) const;
  // The file offset of `size` bytes at the RVA when the file holds all of
  // them in one section, or -1.
  long long FileOffsetOfRva(std::uint32_t rva, std::uint32_t size) const;
};

// Reads the headers and the section table. False with a one-line reason when
// the bytes are not a PE image this tool can read: not "MZ"/"PE", a header or
// section outside the file, sections out of order or overlapping.
bool ReadPeLayout(std::string_view file, PeLayout& layout, std::string& error);

// The optional header's CheckSum as the image loader's check computes it: the
// 16-bit one's-complement sum of the file with the CheckSum field taken as
// zero, plus the file's length.
std::uint32_t PeChecksum(std::string_view file, std::size_t checkSumOffset);

}  // namespace tidemark::pack
