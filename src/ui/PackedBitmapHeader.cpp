#include "ui/PackedBitmapHeader.h"

namespace tidemark {

namespace {

constexpr char kMagic[] = "TMPB";
constexpr std::uint16_t kBitCount = 24;

template <typename T>
T LittleEndianAt(std::string_view bytes, std::size_t offset) {
  T value = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) {
    value = static_cast<T>(value << 8 | static_cast<unsigned char>(bytes[offset + i]));
  }
  return value;
}

}  // namespace

std::optional<PackedBitmapLayout> ReadPackedBitmapHeader(std::string_view packed) {
  if (packed.size() <= kPackedBitmapHeaderSize || packed.substr(0, 4) != std::string_view(kMagic, 4)) {
    return std::nullopt;
  }
  PackedBitmapLayout layout{LittleEndianAt<std::uint32_t>(packed, 4), LittleEndianAt<std::uint32_t>(packed, 8),
                            LittleEndianAt<std::uint16_t>(packed, 12), LittleEndianAt<std::uint32_t>(packed, 16),
                            packed.substr(kPackedBitmapHeaderSize)};
  if (layout.bitCount != kBitCount || LittleEndianAt<std::uint16_t>(packed, 14) != 0) return std::nullopt;
  if (layout.width == 0 || layout.height == 0 || layout.width > kPackedBitmapMaxSide ||
      layout.height > kPackedBitmapMaxSide) {
    return std::nullopt;
  }
  // A DIB row is padded to a multiple of four bytes.
  const std::uint64_t stride = (std::uint64_t{layout.width} * kBitCount / 8 + 3) / 4 * 4;
  if (stride * layout.height != layout.unpackedSize) return std::nullopt;
  return layout;
}

}  // namespace tidemark
