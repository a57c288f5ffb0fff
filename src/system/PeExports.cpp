#include "system/PeExports.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

namespace tidemark {

namespace {

// Little-endian field readers that fail, rather than read past the end.
class ImageReader {
 public:
  explicit ImageReader(std::string_view image) : m_image(image) {}

  template <typename T>
  std::optional<T> Read(std::uint64_t offset) const {
    if (offset > m_image.size() || m_image.size() - offset < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, m_image.data() + offset, sizeof(T));
    return value;
  }

  // True when the zero-terminated text at the offset is exactly `text`.
  // Only the text's own length and its terminator are read, so a name that
  // runs on for megabytes costs no more than a short one.
  bool HasText(std::uint64_t offset, std::string_view text) const {
    if (offset > m_image.size() || m_image.size() - offset < text.size() + 1) return false;
    const std::string_view here = m_image.substr(static_cast<std::size_t>(offset), text.size() + 1);
    return here.substr(0, text.size()) == text && here.back() == '\0';
  }

 private:
  std::string_view m_image;
};

class PeImage {
 public:
  explicit PeImage(std::string_view image) : m_reader(image) {}

  bool Parse(std::uint16_t machine) {
    if (m_reader.Read<std::uint16_t>(0) != std::uint16_t{0x5A4D}) return false;  // "MZ"
    const auto peOffset = m_reader.Read<std::uint32_t>(0x3C);
    if (!peOffset || m_reader.Read<std::uint32_t>(*peOffset) != std::uint32_t{0x00004550}) return false;
    const std::uint64_t fileHeader = std::uint64_t{*peOffset} + 4;
    const auto imageMachine = m_reader.Read<std::uint16_t>(fileHeader);
    const auto sectionCount = m_reader.Read<std::uint16_t>(fileHeader + 2);
    const auto optionalSize = m_reader.Read<std::uint16_t>(fileHeader + 16);
    if (!imageMachine || *imageMachine != machine || !sectionCount || !optionalSize) return false;

    const std::uint64_t optional = fileHeader + 20;
    const auto magic = m_reader.Read<std::uint16_t>(optional);
    if (!magic) return false;
    // The data directories follow the fixed part, which is longer in PE32+.
    const std::uint64_t directories = optional + (*magic == 0x20B ? 112 : *magic == 0x10B ? 96 : 0);
    if (directories == optional) return false;
    const auto directoryCount = m_reader.Read<std::uint32_t>(directories - 4);
    if (!directoryCount || *directoryCount < 1 || directories + 8 > optional + *optionalSize) return false;
    const auto exportRva = m_reader.Read<std::uint32_t>(directories);
    if (!exportRva) return false;
    m_exportRva = *exportRva;

    ReadSections(optional + *optionalSize, *sectionCount);
    return true;
  }

  std::optional<std::uint64_t> FileOffset(std::uint32_t rva) const {
    // The last section that starts at or below the address; sections of a
    // well-formed image do not overlap, and a crafted one that overlaps
    // gets one of its readings, never a read outside the file.
    auto after = std::upper_bound(
        m_sections.begin(), m_sections.end(), rva,
        [](std::uint32_t address, const Section& section) { return address < section.virtualAddress; });
    if (after == m_sections.begin()) return std::nullopt;
    const Section& section = *std::prev(after);
    const std::uint32_t into = rva - section.virtualAddress;
    if (into >= section.span) return std::nullopt;
    if (into >= section.rawSize) return std::nullopt;  // in the zero-filled tail, not in the file
    return std::uint64_t{section.rawOffset} + into;
  }

  bool ExportsName(std::string_view function) const {
    if (m_exportRva == 0) return false;
    const auto directory = FileOffset(m_exportRva);
    if (!directory) return false;
    const auto nameCount = m_reader.Read<std::uint32_t>(*directory + 24);
    const auto namesRva = m_reader.Read<std::uint32_t>(*directory + 32);
    if (!nameCount || !namesRva) return false;
    const auto names = FileOffset(*namesRva);
    if (!names) return false;
    // Export ordinals are 16-bit, so no real image names more functions;
    // the bound keeps a crafted count from costing more than that.
    const std::uint32_t count = std::min<std::uint32_t>(*nameCount, kMostExportNames);
    for (std::uint32_t i = 0; i < count; ++i) {
      const auto nameRva = m_reader.Read<std::uint32_t>(*names + std::uint64_t{i} * 4);
      if (!nameRva) return false;
      const auto nameOffset = FileOffset(*nameRva);
      if (!nameOffset) continue;
      if (m_reader.HasText(*nameOffset, function)) return true;
    }
    return false;
  }

 private:
  struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t span;  // the larger of the virtual and the raw size
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
  };

  static constexpr std::uint32_t kMostExportNames = 0x10000;

  // Read once and sorted by address, so that finding the section of an
  // address is a binary search, not a walk over up to 65535 headers for
  // every exported name.
  void ReadSections(std::uint64_t table, std::uint16_t count) {
    for (std::uint16_t i = 0; i < count; ++i) {
      const std::uint64_t header = table + std::uint64_t{i} * 40;
      const auto virtualSize = m_reader.Read<std::uint32_t>(header + 8);
      const auto virtualAddress = m_reader.Read<std::uint32_t>(header + 12);
      const auto rawSize = m_reader.Read<std::uint32_t>(header + 16);
      const auto rawOffset = m_reader.Read<std::uint32_t>(header + 20);
      if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) break;  // the table runs off the file
      m_sections.push_back({*virtualAddress, std::max(*virtualSize, *rawSize), *rawSize, *rawOffset});
    }
    std::stable_sort(m_sections.begin(), m_sections.end(),
                     [](const Section& a, const Section& b) { return a.virtualAddress < b.virtualAddress; });
  }

  ImageReader m_reader;
  std::uint32_t m_exportRva = 0;
  std::vector<Section> m_sections;
};

}  // namespace

bool PeImageExports(std::string_view image, std::uint16_t machine, std::string_view function) {
  PeImage pe(image);
  return pe.Parse(machine) && pe.ExportsName(function);
}

}  // namespace tidemark
