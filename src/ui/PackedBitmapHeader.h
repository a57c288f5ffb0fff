// The header in front of a packed picture resource: the picture's size and
// depth and how many bytes its pixel rows unpack to, checked before anything
// is allocated or unpacked. Pure logic, no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tidemark {

// Layout (little-endian): "TMPB", width (4 bytes), height (4), bits per
// pixel (2), zero (2), unpacked size (4), then the LZNT1 stream of the
// bottom-up pixel rows, each padded to four bytes.
inline constexpr std::size_t kPackedBitmapHeaderSize = 20;
// Far above any picture of the program, far below sizes whose products
// could overflow.
inline constexpr std::uint32_t kPackedBitmapMaxSide = 4096;

struct PackedBitmapLayout {
  std::uint32_t width;
  std::uint32_t height;
  std::uint16_t bitCount;
  std::uint32_t unpackedSize;
  std::string_view stream;
};

// The layout of a packed picture, or nothing when the header is not one of a
// 24-bit picture of 1 to kPackedBitmapMaxSide pixels a side whose unpacked
// size is exactly its rows' size, or no stream follows it.
std::optional<PackedBitmapLayout> ReadPackedBitmapHeader(std::string_view packed);

}  // namespace tidemark
