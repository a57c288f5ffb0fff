// Unpacking pictures with this system's own RtlDecompressBuffer, from packed
// bytes made by hand: what it unpacks must fill the picture exactly, and
// anything else gives no picture.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/PackedBitmapBytes.h"
#include "ui/PackedBitmap.h"

namespace tidemark {
namespace {

using testing::CompressedChunk;
using testing::PackedHeader;
using testing::StoredChunk;
using namespace std::string_literals;  // the bytes hold zeros

// A 2 x 2 picture at 24 bits: two rows of 6 bytes, each padded to 8.
constexpr std::uint32_t kRowsSize = 16;

std::string PixelsOf(const UniqueBitmap& bitmap) {
  DIBSECTION section{};
  if (GetObjectA(bitmap.get(), sizeof section, &section) != static_cast<int>(sizeof section)) return "<no DIB>";
  if (section.dsBm.bmWidth != 2 || section.dsBm.bmHeight != 2 || section.dsBm.bmBitsPixel != 24 ||
      section.dsBmih.biHeight != 2) {
    return "<not 2x2, 24 bits, bottom-up>";
  }
  return std::string(static_cast<const char*>(section.dsBm.bmBits), kRowsSize);
}

TEST(PackedBitmap, AStoredChunkBecomesTheRowsOfABottomUpDib) {
  const std::string rows = "\x01\x02\x03\x04\x05\x06\x00\x00\x11\x12\x13\x14\x15\x16\x00\x00"s;
  ASSERT_EQ(rows.size(), kRowsSize);
  const UniqueBitmap bitmap = UnpackBitmap(PackedHeader(2, 2, kRowsSize) + StoredChunk(rows));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(PixelsOf(bitmap), rows);
}

TEST(PackedBitmap, ABackReferenceMayCopyWhatItProducesItself) {
  // Flags 0b10: a literal 0xAB, then 15 bytes from one byte back, with the
  // 12 length bits that the second position of a chunk has.
  const std::string tokens = "\x02\xAB\x0C\x00"s;
  const UniqueBitmap bitmap = UnpackBitmap(PackedHeader(2, 2, kRowsSize) + CompressedChunk(tokens));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(PixelsOf(bitmap), std::string(kRowsSize, '\xAB'));
}

TEST(PackedBitmap, AStreamThatFillsThePictureOnlyInPartGivesNoPicture) {
  EXPECT_FALSE(UnpackBitmap(PackedHeader(2, 2, kRowsSize) + StoredChunk(std::string(12, 'x'))));
  // 14 bytes from one byte back: one short of the rows.
  EXPECT_FALSE(UnpackBitmap(PackedHeader(2, 2, kRowsSize) + CompressedChunk("\x02\xAB\x0B\x00"s)));
}

TEST(PackedBitmap, ADamagedStreamGivesNoPicture) {
  // The first token refers back before the start of the chunk.
  EXPECT_FALSE(UnpackBitmap(PackedHeader(2, 2, kRowsSize) + CompressedChunk("\x01\x0C\x00"s)));
  // The chunk header claims more data than the stream holds.
  EXPECT_FALSE(UnpackBitmap(PackedHeader(2, 2, kRowsSize) + StoredChunk(std::string(16, 'x')).substr(0, 10)));
}

TEST(PackedBitmap, BytesWithoutAValidHeaderGiveNoPicture) {
  EXPECT_FALSE(UnpackBitmap(""));
  EXPECT_FALSE(UnpackBitmap(PackedHeader(2, 2, 12) + StoredChunk(std::string(12, 'x'))));
  EXPECT_FALSE(UnpackBitmap(PackedHeader(2, 2, kRowsSize, 32) + StoredChunk(std::string(16, 'x'))));
}

TEST(PackedBitmap, OnlyAPackedPictureResourceGivesAPicture) {
  EXPECT_FALSE(LoadPackedBitmap(GetModuleHandleA(nullptr), "NOSUCHPICTURE"));
  // An RCDATA resource of other content: the removal script.
  EXPECT_FALSE(LoadPackedBitmap(GetModuleHandleA(nullptr), "RESDATA"));
  // This test program carries the program's resources too.
  EXPECT_TRUE(LoadPackedBitmap(GetModuleHandleA(nullptr), "ABOUTBITMAP"));
}

}  // namespace
}  // namespace tidemark
