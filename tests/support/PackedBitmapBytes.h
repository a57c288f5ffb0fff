// Packed pictures made byte by byte, in the layout res/pack-bitmap.py writes.
#pragma once

#include <cstdint>
#include <string>

namespace tidemark::testing {

inline std::string LittleEndian(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
  return out;
}

inline std::string PackedHeader(std::uint32_t width, std::uint32_t height, std::uint32_t unpackedSize,
                                std::uint16_t bitCount = 24, std::uint16_t reserved = 0) {
  return "TMPB" + LittleEndian(width, 4) + LittleEndian(height, 4) + LittleEndian(bitCount, 2) +
         LittleEndian(reserved, 2) + LittleEndian(unpackedSize, 4);
}

// An LZNT1 chunk stored as it is: its header (signature 3, bit 15 clear, the
// data size minus one) and the bytes.
inline std::string StoredChunk(const std::string& bytes) {
  return LittleEndian(0x3000u | static_cast<std::uint32_t>(bytes.size() - 1), 2) + bytes;
}

// An LZNT1 chunk marked compressed, around its flag bytes and tokens.
inline std::string CompressedChunk(const std::string& data) {
  return LittleEndian(0xB000u | static_cast<std::uint32_t>(data.size() - 1), 2) + data;
}

}  // namespace tidemark::testing
