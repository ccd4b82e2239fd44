#include "assets/bmp_codec.h"

#include <gtest/gtest.h>

#include "assetgen/image_write.h"
#include "assets/image_test_util.h"

namespace vorn {
namespace {

using test::Bytes;
using test::pixelAt;
using test::rgb;
using test::rgba;

// File and info headers of an uncompressed BMP whose palette and pixels
// follow directly; `coloursUsed` 0 means a full palette.
Bytes bmpHeader(int32_t width, int32_t height, uint32_t bits, uint32_t paletteBytes, uint32_t pixelBytes,
                uint32_t coloursUsed = 0) {
  Bytes b;
  b.str("BM").le32(54 + paletteBytes + pixelBytes).le32(0).le32(54 + paletteBytes);
  b.le32(40).le32(static_cast<uint32_t>(width)).le32(static_cast<uint32_t>(height)).le16(1).le16(bits);
  b.le32(0).le32(pixelBytes).le32(3780).le32(3780).le32(coloursUsed).le32(0);
  return b;
}

bool decode(const Bytes& b, VornImage& image, std::string& detail) {
  return decodeBMP(b.data.data(), b.size(), "t.bmp", image, detail);
}

TEST(BmpReader, TrueColourRowsBottomFirstWithRowPadding) {
  // 2 x 2: bottom row red, green; top row blue, white. Rows are 6 bytes + 2 padding.
  Bytes b = bmpHeader(2, 2, 24, 0, 16);
  b.list({0, 0, 255, 0, 255, 0, 0, 0});
  b.list({255, 0, 0, 255, 255, 255, 0, 0});
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decode(b, image, detail)) << detail;
  EXPECT_EQ(image.width, 2u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.format, kImageRGB);
  EXPECT_EQ(image.internalFormat, kImageRGB);
  EXPECT_EQ(image.type, kImageUnsignedByte);
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(255, 0, 0));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(0, 255, 0));
  EXPECT_EQ(pixelAt(image, 0, 1), rgb(0, 0, 255));
  EXPECT_EQ(pixelAt(image, 1, 1), rgb(255, 255, 255));
}

TEST(BmpReader, PaletteDepthsEightFourAndOne) {
  // 8-bit with a two-entry palette (colours used = 2), 3 x 1: indices 1, 0, 1.
  Bytes b8 = bmpHeader(3, 1, 8, 8, 4, 2);
  b8.list({10, 20, 30, 0, 40, 50, 60, 0});  // blue, green, red, reserved
  b8.list({1, 0, 1, 0});
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decode(b8, image, detail)) << detail;
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(60, 50, 40));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(30, 20, 10));
  EXPECT_EQ(pixelAt(image, 2, 0), rgb(60, 50, 40));

  // 4-bit, 3 x 1, high nibble first: indices 2, 15, 1.
  Bytes b4 = bmpHeader(3, 1, 4, 64, 4);
  for (uint32_t i = 0; i < 16; ++i) b4.list({i, i * 2, i * 3, 0});
  b4.list({0x2F, 0x10, 0, 0});
  ASSERT_TRUE(decode(b4, image, detail)) << detail;
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(6, 4, 2));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(45, 30, 15));
  EXPECT_EQ(pixelAt(image, 2, 0), rgb(3, 2, 1));

  // 1-bit, 10 x 2, most significant bit first; row 0 = 1000000001, row 1 = 0111111110.
  Bytes b1 = bmpHeader(10, 2, 1, 8, 8);
  b1.list({0, 0, 0, 0, 255, 255, 255, 0});
  b1.list({0x80, 0x40, 0, 0, 0x7F, 0x80, 0, 0});
  ASSERT_TRUE(decode(b1, image, detail)) << detail;
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(255, 255, 255));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(0, 0, 0));
  EXPECT_EQ(pixelAt(image, 9, 0), rgb(255, 255, 255));
  EXPECT_EQ(pixelAt(image, 0, 1), rgb(0, 0, 0));
  EXPECT_EQ(pixelAt(image, 8, 1), rgb(255, 255, 255));
  EXPECT_EQ(pixelAt(image, 9, 1), rgb(0, 0, 0));
}

TEST(BmpReader, PixelOffsetOfTheHeaderIsHonoured) {
  // Two stray bytes between header and pixels, announced by the offset field.
  Bytes b;
  b.str("BM").le32(0).le32(0).le32(56);
  b.le32(40).le32(1).le32(1).le16(1).le16(24).zeros(24);
  b.list({0xEE, 0xEE, 1, 2, 3, 0});
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decode(b, image, detail)) << detail;
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(3, 2, 1));
}

TEST(BmpReader, RefusalsCarryTheirMessages) {
  VornImage image;
  std::string detail;
  Bytes notBmp;
  notBmp.str("XY").zeros(60);
  EXPECT_FALSE(decode(notBmp, image, detail));
  EXPECT_EQ(detail, "\tbmp header damaged or unknown : t.bmp\n");

  Bytes b16 = bmpHeader(2, 2, 16, 0, 8);
  b16.zeros(8);
  EXPECT_FALSE(decode(b16, image, detail));
  EXPECT_EQ(detail, "\tunsopported bit format only 24 bit supported : file pixelsize= 16\n");
  EXPECT_TRUE(image.pixels.empty());
}

TEST(BmpReader, AlphaFromRedAndAlphaFromMask) {
  Bytes colour = bmpHeader(1, 2, 24, 0, 8);
  colour.list({30, 20, 200, 0, 3, 2, 1, 0});  // bottom (200,20,30), top (1,2,3)
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeBMPAlpha(colour.data.data(), colour.size(), "c.bmp", image, detail)) << detail;
  EXPECT_EQ(image.format, kImageRGBA);
  EXPECT_EQ(pixelAt(image, 0, 0), rgba(200, 20, 30, 200));
  EXPECT_EQ(pixelAt(image, 0, 1), rgba(1, 2, 3, 1));

  Bytes mask = bmpHeader(1, 2, 24, 0, 8);
  mask.list({0, 0, 77, 0, 0, 0, 99, 0});
  ASSERT_TRUE(decodeBMPMasked(colour.data.data(), colour.size(), "c.bmp", mask.data.data(), mask.size(), "m.bmp",
                              image, detail))
      << detail;
  EXPECT_EQ(pixelAt(image, 0, 0), rgba(200, 20, 30, 77));
  EXPECT_EQ(pixelAt(image, 0, 1), rgba(1, 2, 3, 99));

  Bytes smallMask = bmpHeader(1, 1, 24, 0, 4);
  smallMask.list({0, 0, 1, 0});
  EXPECT_FALSE(decodeBMPMasked(colour.data.data(), colour.size(), "c.bmp", smallMask.data.data(), smallMask.size(),
                               "m.bmp", image, detail));
  EXPECT_EQ(detail, "\tmask size differs from image: m.bmp\n");

  Bytes mask8 = bmpHeader(1, 2, 8, 4, 8, 1);
  mask8.list({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_FALSE(decodeBMPMasked(colour.data.data(), colour.size(), "c.bmp", mask8.data.data(), mask8.size(), "m.bmp",
                               image, detail));
  EXPECT_EQ(detail, "\tunsopported bit format only 24 bit supported : file pixelsize= 8\n");
}

TEST(BmpWriter, RoundTripsThroughTheReaderForAnyWidth) {
  for (uint32_t width : {4u, 5u, 7u}) {
    VornImage source;
    source.reset(width, 3, kImageRGB, kImageRGB);
    for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = static_cast<uint8_t>(i * 7 + width);
    const std::vector<uint8_t> bytes = encodeBMP(source);
    ASSERT_FALSE(bytes.empty());
    // Header fields the placement cache readers of other tools expect.
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[10], 54);
    EXPECT_EQ(bytes[14], 40);
    EXPECT_EQ(bytes[28], 24);
    VornImage back;
    std::string detail;
    ASSERT_TRUE(decodeBMP(bytes.data(), bytes.size(), "w.bmp", back, detail)) << detail;
    EXPECT_EQ(back.width, width);
    EXPECT_EQ(back.height, 3u);
    EXPECT_EQ(back.pixels, source.pixels) << "width " << width;
  }
}

TEST(BmpWriter, SaveBMPWritesTheFileAndReportsFailures) {
  const std::string dir = ::testing::TempDir();
  const std::string errPath = dir + "vorn_bmp_writer_err.txt";
  std::remove(errPath.c_str());
  setErrorLogPath(errPath);
  VornImage source;
  source.reset(2, 2, kImageRGB, kImageRGB);
  source.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const std::string path = dir + "vorn_saved.bmp";
  ASSERT_EQ(saveBMP(path.c_str(), source), 0);
  const std::string text = test::readText(path);
  VornImage back;
  std::string detail;
  ASSERT_TRUE(decodeBMP(reinterpret_cast<const uint8_t*>(text.data()), text.size(), path, back, detail));
  EXPECT_EQ(back.pixels, source.pixels);

  EXPECT_EQ(saveBMP((dir + "no/such/dir/x.bmp").c_str(), source), 1);
  EXPECT_EQ(test::readText(errPath), "Error saveBMP \n\tcannot write file: " + dir + "no/such/dir/x.bmp\n");
  setErrorLogPath("err.txt");
  std::remove(errPath.c_str());
  std::remove(path.c_str());
}

// The generator's BMP writers read back through the game's reader.
TEST(BmpWriter, GeneratorWritersRoundTrip) {
  assetgen::Pixels pixels(5, 3, 3);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 5; ++x) {
      uint8_t* p = pixels.at(x, y);
      p[0] = static_cast<uint8_t>(x * 50);
      p[1] = static_cast<uint8_t>(y * 80);
      p[2] = static_cast<uint8_t>(x + y);
    }
  const auto bytes = assetgen::writeBMP24(pixels);
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeBMP(bytes.data(), bytes.size(), "g.bmp", image, detail)) << detail;
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 5; ++x) {
      const uint8_t* p = pixels.at(x, y);  // top row first in the generator
      EXPECT_EQ(pixelAt(image, x, 2 - y), rgb(p[0], p[1], p[2]));
    }

  for (int bits : {1, 4, 8}) {
    assetgen::IndexedPixels indexed;
    indexed.width = 7;
    indexed.height = 2;
    const uint32_t entries = 1u << bits;
    for (uint32_t i = 0; i < entries; ++i) {
      indexed.palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)});
    }
    for (uint32_t i = 0; i < 14; ++i) indexed.indices.push_back(static_cast<uint8_t>((i * 5) % entries));
    const auto file = assetgen::writeBMPIndexed(indexed, bits);
    ASSERT_TRUE(decodeBMP(file.data(), file.size(), "i.bmp", image, detail)) << detail;
    for (uint32_t y = 0; y < 2; ++y)
      for (uint32_t x = 0; x < 7; ++x) {
        const auto& c = indexed.palette[indexed.indices[y * 7 + x]];
        EXPECT_EQ(pixelAt(image, x, 1 - y), rgb(c[0], c[1], c[2])) << bits << " bits at " << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace vorn
