#include "system/PeExports.h"

#include <cstring>
#include <optional>

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

  // The zero-terminated text at the offset, or nothing when it runs off the end.
  std::optional<std::string_view> Text(std::uint64_t offset) const {
    if (offset >= m_image.size()) return std::nullopt;
    const std::string_view rest = m_image.substr(static_cast<std::size_t>(offset));
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) return std::nullopt;
    return rest.substr(0, end);
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

    m_sectionTable = optional + *optionalSize;
    m_sectionCount = *sectionCount;
    return true;
  }

  std::optional<std::uint64_t> FileOffset(std::uint32_t rva) const {
    for (std::uint16_t i = 0; i < m_sectionCount; ++i) {
      const std::uint64_t header = m_sectionTable + std::uint64_t{i} * 40;
      const auto virtualSize = m_reader.Read<std::uint32_t>(header + 8);
      const auto virtualAddress = m_reader.Read<std::uint32_t>(header + 12);
      const auto rawSize = m_reader.Read<std::uint32_t>(header + 16);
      const auto rawOffset = m_reader.Read<std::uint32_t>(header + 20);
      if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) return std::nullopt;
      const std::uint32_t span = *virtualSize > *rawSize ? *virtualSize : *rawSize;
      if (rva >= *virtualAddress && rva - *virtualAddress < span) {
        const std::uint32_t into = rva - *virtualAddress;
        if (into >= *rawSize) return std::nullopt;  // in the zero-filled tail, not in the file
        return std::uint64_t{*rawOffset} + into;
      }
    }
    return std::nullopt;
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
    for (std::uint32_t i = 0; i < *nameCount; ++i) {
      const auto nameRva = m_reader.Read<std::uint32_t>(*names + std::uint64_t{i} * 4);
      if (!nameRva) return false;
      const auto nameOffset = FileOffset(*nameRva);
      if (!nameOffset) continue;
      if (m_reader.Text(*nameOffset) == function) return true;
    }
    return false;
  }

 private:
  ImageReader m_reader;
  std::uint32_t m_exportRva = 0;
  std::uint64_t m_sectionTable = 0;
  std::uint16_t m_sectionCount = 0;
};

}  // namespace

bool PeImageExports(std::string_view image, std::uint16_t machine, std::string_view function) {
  PeImage pe(image);
  return pe.Parse(machine) && pe.ExportsName(function);
}

}  // namespace tidemark
