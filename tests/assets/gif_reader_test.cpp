#include "assets/gif_reader.h"

#include <gtest/gtest.h>

#include "assetgen/image_write.h"
#include "assets/gif_test_util.h"

namespace vorn {
namespace {

using test::Bytes;
using test::GifCodes;
using test::pixelAt;
using test::rgb;

TEST(GifReader, HandPackedCodesWithAGlobalTable) {
  // 2 x 2, indices 0 1 / 2 3 (top row first), min code size 2. The fifth
  // code is already 4 bits wide: the table reached 8 entries before it.
  Bytes b = test::gifHead(2, 2, true);
  b.list({2, 3, 0x44, 0x34, 0x05, 0, ';'});
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeGIF(b.data.data(), b.size(), "t.gif", image, detail)) << detail;
  EXPECT_EQ(image.format, kImageRGB);
  EXPECT_EQ(pixelAt(image, 0, 1), rgb(0, 1, 2));  // top-left
  EXPECT_EQ(pixelAt(image, 1, 1), rgb(10, 11, 12));
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(20, 21, 22));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(30, 31, 32));
}

TEST(GifReader, LocalTableWinsOverTheGlobalOne) {
  Bytes b = test::gifHead(1, 1, true, 0x80);  // local table of 2 entries follows
  b.list({100, 101, 102, 200, 201, 202});
  GifCodes codes(2);
  codes.code(codes.clearCode());
  codes.code(1);
  codes.code(codes.endCode());
  test::appendCodes(b, 2, codes);
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeGIF(b.data.data(), b.size(), "t.gif", image, detail)) << detail;
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(200, 201, 202));

  Bytes none = test::gifHead(1, 1, false);
  test::appendCodes(none, 2, codes);
  EXPECT_FALSE(decodeGIF(none.data.data(), none.size(), "t.gif", image, detail));
  EXPECT_EQ(detail, "\tno color map defined\n");
}

TEST(GifReader, Gif89aIsRefusedNamingTheSignature) {
  Bytes b = test::gifHead(1, 1, true, 0, "GIF89a");
  VornImage image;
  std::string detail;
  EXPECT_FALSE(decodeGIF(b.data.data(), b.size(), "t.gif", image, detail));
  EXPECT_EQ(detail, "\tunsopported gif format GIF89a\n");
}

TEST(GifReader, ExtensionBlocksBeforeTheImageArePassedOver) {
  Bytes b;
  b.str("GIF87a").le16(1).le16(1).u8(0x81).u8(0).u8(0);
  b.list({0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  b.list({'!', 0xFE, 3, 'a', 'b', 'c', 0});  // a comment block
  b.u8(',').le16(0).le16(0).le16(1).le16(1).u8(0);
  GifCodes codes(2);
  codes.code(codes.clearCode());
  codes.code(3);
  codes.code(codes.endCode());
  test::appendCodes(b, 2, codes);
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeGIF(b.data.data(), b.size(), "t.gif", image, detail)) << detail;
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(7, 8, 9));
}

TEST(GifReader, InterlacedRowsAreReordered) {
  // Eight rows, row r filled with index r % 4; stored in interlace order.
  const uint32_t order[8] = {0, 4, 2, 6, 1, 3, 5, 7};
  assetgen::IndexedPixels stored;
  stored.width = 2;
  stored.height = 8;
  for (uint32_t i = 0; i < 4; ++i) stored.palette.push_back({static_cast<uint8_t>(i * 60), 0, 0});
  for (uint32_t r : order) stored.indices.insert(stored.indices.end(), 2, static_cast<uint8_t>(r % 4));
  std::vector<uint8_t> bytes = assetgen::writeGIF87a(stored);
  const size_t imagePacked = 6 + 7 + 4 * 3 + 1 + 8;
  ASSERT_EQ(bytes[imagePacked - 9], ',');
  bytes[imagePacked] |= 0x40;
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeGIF(bytes.data(), bytes.size(), "i.gif", image, detail)) << detail;
  for (uint32_t row = 0; row < 8; ++row) {
    EXPECT_EQ(pixelAt(image, 1, 7 - row), rgb(static_cast<uint8_t>((row % 4) * 60), 0, 0)) << "row " << row;
  }
}

TEST(GifReader, FullTableWithoutClearCodeKeepsDecoding) {
  // 5000 codes of root 1 with no clear: the table fills at 4096 and the
  // decoder must go on with 12-bit codes and the entries it has.
  const uint32_t n = 5000;
  Bytes b = test::gifHead(n, 1, true);
  GifCodes codes(2);
  for (uint32_t i = 0; i < n; ++i) codes.code(1);
  codes.code(codes.endCode());
  test::appendCodes(b, 2, codes);
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeGIF(b.data.data(), b.size(), "t.gif", image, detail)) << detail;
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(10, 11, 12));
  EXPECT_EQ(pixelAt(image, n - 1, 0), rgb(10, 11, 12));
}

TEST(GifReader, GeneratorWriterRoundTripsThroughClearCodes) {
  // Enough varied pixels that the writer's table fills and restarts.
  assetgen::IndexedPixels pixels;
  pixels.width = 300;
  pixels.height = 200;
  for (uint32_t i = 0; i < 256; ++i) {
    pixels.palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i)});
  }
  uint32_t state = 12345;
  for (uint32_t i = 0; i < pixels.width * pixels.height; ++i) {
    state = state * 1103515245u + 12345u;
    pixels.indices.push_back(static_cast<uint8_t>((state >> 16) % 7 + (i / 900)));
  }
  const auto bytes = assetgen::writeGIF87a(pixels);
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeGIF(bytes.data(), bytes.size(), "g.gif", image, detail)) << detail;
  for (uint32_t y = 0; y < pixels.height; ++y)
    for (uint32_t x = 0; x < pixels.width; ++x) {
      const auto& c = pixels.palette[pixels.indices[y * pixels.width + x]];
      ASSERT_EQ(pixelAt(image, x, pixels.height - 1 - y), rgb(c[0], c[1], c[2])) << x << "," << y;
    }
}

}  // namespace
}  // namespace vorn
