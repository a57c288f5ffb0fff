// The header of a packed picture: every size is checked before anything is
// allocated for the picture.
#include <gtest/gtest.h>

#include "support/PackedBitmapBytes.h"
#include "ui/PackedBitmapHeader.h"

namespace tidemark {
namespace {

using testing::PackedHeader;

TEST(PackedBitmapHeader, ReadsTheSizesAndTheStreamAfterTheHeader) {
  // 3 pixels of 3 bytes make 9, padded to 12 a row.
  const std::string packed = PackedHeader(3, 2, 24) + "stream";
  const auto layout = ReadPackedBitmapHeader(packed);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->width, 3u);
  EXPECT_EQ(layout->height, 2u);
  EXPECT_EQ(layout->bitCount, 24u);
  EXPECT_EQ(layout->unpackedSize, 24u);
  EXPECT_EQ(layout->stream, "stream");
  EXPECT_EQ(layout->stream.data(), packed.data() + kPackedBitmapHeaderSize);
}

TEST(PackedBitmapHeader, TheUnpackedSizeMustBeExactlyThePaddedRows) {
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(3, 2, 18) + "s"));  // rows without their padding
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(3, 2, 25) + "s"));
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(3, 2, 0) + "s"));
  EXPECT_TRUE(ReadPackedBitmapHeader(PackedHeader(256, 256, 196608) + "s"));
  EXPECT_TRUE(ReadPackedBitmapHeader(PackedHeader(4096, 4096, 4096u * 4096u * 3u) + "s"));
}

TEST(PackedBitmapHeader, RefusesSidesOfNoPixelsOrBeyondTheLimit) {
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(0, 2, 0) + "s"));
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(2, 0, 0) + "s"));
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(4097, 1, 12292) + "s"));
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(1, 4097, 4 * 4097) + "s"));
  // Sides whose product wraps around in 32 bits to the claimed size.
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(0x40000000, 4, 0) + "s"));
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(0x80000001, 0x80000000, 0) + "s"));
}

TEST(PackedBitmapHeader, RefusesOtherDepthsMagicsAndTheReservedFieldSet) {
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(2, 2, 16, 32) + "s"));
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(2, 2, 16, 8) + "s"));
  EXPECT_FALSE(ReadPackedBitmapHeader(PackedHeader(2, 2, 16, 24, 1) + "s"));
  std::string otherMagic = PackedHeader(2, 2, 16) + "s";
  otherMagic[0] = 'X';
  EXPECT_FALSE(ReadPackedBitmapHeader(otherMagic));
  EXPECT_FALSE(ReadPackedBitmapHeader(std::string("BM") + PackedHeader(2, 2, 16) + "s"));
}

TEST(PackedBitmapHeader, RefusesAHeaderWithoutStreamAndAnyShorterInput) {
  const std::string header = PackedHeader(2, 2, 16);
  EXPECT_FALSE(ReadPackedBitmapHeader(header));
  for (std::size_t length = 0; length < header.size(); ++length) {
    EXPECT_FALSE(ReadPackedBitmapHeader(header.substr(0, length))) << length;
  }
}

}  // namespace
}  // namespace tidemark
