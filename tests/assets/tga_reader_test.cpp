#include "assets/tga_reader.h"

#include <gtest/gtest.h>

#include "assetgen/image_write.h"
#include "assets/image_test_util.h"

namespace vorn {
namespace {

using test::Bytes;
using test::pixelAt;
using test::rgb;
using test::rgba;

Bytes tgaHeader(uint32_t type, uint32_t width, uint32_t height, uint32_t depth, uint32_t descriptor,
                uint32_t mapLength = 0, uint32_t mapBits = 0) {
  Bytes b;
  b.u8(0).u8(mapLength ? 1 : 0).u8(type).le16(0).le16(mapLength).u8(mapBits);
  b.le16(0).le16(0).le16(width).le16(height).u8(depth).u8(descriptor);
  return b;
}

// The reader without its optional size cap, as the helpers call it.
bool decode(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail) {
  return decodeTGA(data, size, name, image, detail);
}

VornImage decodeOk(const Bytes& b) { return test::decodeOk(decode, b, "t.tga"); }
std::string decodeFails(const Bytes& b) { return test::decodeFails(decode, b, "t.tga"); }

// The 2 x 2 picture every origin test shows: top row red, green; bottom row blue, white.
void expectUprightPicture(const VornImage& image) {
  ASSERT_EQ(image.width, 2u);
  ASSERT_EQ(image.height, 2u);
  EXPECT_EQ(pixelAt(image, 0, 1), rgb(255, 0, 0));
  EXPECT_EQ(pixelAt(image, 1, 1), rgb(0, 255, 0));
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(0, 0, 255));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(255, 255, 255));
}

TEST(TgaReader, TrueColour24ShowsTheSamePictureForBothOrigins) {
  Bytes bottomFirst = tgaHeader(2, 2, 2, 24, 0);
  bottomFirst.list({255, 0, 0, 255, 255, 255}).list({0, 0, 255, 0, 255, 0});
  Bytes topFirst = tgaHeader(2, 2, 2, 24, 0x20);
  topFirst.list({0, 0, 255, 0, 255, 0}).list({255, 0, 0, 255, 255, 255});
  const VornImage a = decodeOk(bottomFirst);
  const VornImage b = decodeOk(topFirst);
  EXPECT_EQ(a.format, kImageRGB);
  expectUprightPicture(a);
  expectUprightPicture(b);
}

TEST(TgaReader, TrueColour32KeepsAlphaAnd16Widens) {
  Bytes b32 = tgaHeader(2, 1, 1, 32, 8);
  b32.list({10, 20, 30, 40});
  const VornImage image = decodeOk(b32);
  EXPECT_EQ(image.format, kImageRGBA);
  EXPECT_EQ(pixelAt(image, 0, 0), rgba(30, 20, 10, 40));

  // 0x7C1F: red 31, green 0, blue 31; 0x03E0: green 31.
  Bytes b16 = tgaHeader(2, 2, 1, 16, 0);
  b16.le16(0x7C1F).le16(0x03E0);
  const VornImage wide = decodeOk(b16);
  EXPECT_EQ(wide.format, kImageRGB);
  EXPECT_EQ(pixelAt(wide, 0, 0), rgb(255, 0, 255));
  EXPECT_EQ(pixelAt(wide, 1, 0), rgb(0, 255, 0));
}

TEST(TgaReader, ColourMappedRawAndRunLength) {
  // Type 1, 8-bit indices into a 24-bit map of 3 entries.
  Bytes mapped = tgaHeader(1, 3, 1, 8, 0, 3, 24);
  mapped.list({1, 2, 3, 4, 5, 6, 7, 8, 9});
  mapped.list({2, 0, 1});
  VornImage image = decodeOk(mapped);
  EXPECT_EQ(image.format, kImageRGB);
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(9, 8, 7));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(3, 2, 1));
  EXPECT_EQ(pixelAt(image, 2, 0), rgb(6, 5, 4));

  // Type 1 with 16-bit map entries.
  Bytes mapped16 = tgaHeader(1, 1, 1, 8, 0, 1, 16);
  mapped16.le16(0x001F).u8(0);
  EXPECT_EQ(pixelAt(decodeOk(mapped16), 0, 0), rgb(0, 0, 255));

  // Type 9, top origin, 32-bit map: a run of 3 of index 1, then literal 0.
  Bytes rle = tgaHeader(9, 2, 2, 8, 0x20, 2, 32);
  rle.list({10, 20, 30, 40, 50, 60, 70, 80});
  rle.list({0x82, 1, 0x00, 0});
  image = decodeOk(rle);
  EXPECT_EQ(image.format, kImageRGBA);
  EXPECT_EQ(pixelAt(image, 0, 1), rgba(70, 60, 50, 80));  // first stored pixel is top-left
  EXPECT_EQ(pixelAt(image, 1, 1), rgba(70, 60, 50, 80));
  EXPECT_EQ(pixelAt(image, 0, 0), rgba(70, 60, 50, 80));
  EXPECT_EQ(pixelAt(image, 1, 0), rgba(30, 20, 10, 40));
}

TEST(TgaReader, RunLengthTrueColourBothOriginsAndPacketsCutAtTheEnd) {
  // Bottom row first: blue as a run of one, white as a literal of one; then
  // the top row as one literal packet of red and green.
  Bytes bottomFirst = tgaHeader(10, 2, 2, 24, 0);
  bottomFirst.list({0x80, 255, 0, 0, 0x00, 255, 255, 255});
  bottomFirst.list({0x01, 0, 0, 255, 0, 255, 0});
  expectUprightPicture(decodeOk(bottomFirst));

  Bytes topFirst = tgaHeader(10, 2, 2, 24, 0x20);
  topFirst.list({0x01, 0, 0, 255, 0, 255, 0});
  topFirst.list({0x00, 255, 0, 0, 0x00, 255, 255, 255});
  expectUprightPicture(decodeOk(topFirst));

  // A run of 128 pixels for a 3-pixel image stops at the third pixel.
  Bytes longRun = tgaHeader(10, 3, 1, 32, 0);
  longRun.list({0xFF, 1, 2, 3, 4});
  const VornImage image = decodeOk(longRun);
  EXPECT_EQ(image.pixels.size(), 12u);
  EXPECT_EQ(pixelAt(image, 2, 0), rgba(3, 2, 1, 4));
}

TEST(TgaReader, UnknownTypeIsAFailureNotAnExit) {
  Bytes grey = tgaHeader(3, 1, 1, 8, 0);
  grey.u8(9);
  EXPECT_EQ(decodeFails(grey), "\tunknown file type 3\n");
}

TEST(TgaReader, GeneratorWritersRoundTrip) {
  for (uint32_t channels : {1u, 3u, 4u}) {
    assetgen::Pixels pixels(9, 4, channels);
    for (size_t i = 0; i < pixels.data.size(); ++i) pixels.data[i] = static_cast<uint8_t>((i / 5) * 13);
    for (bool runLength : {false, true}) {
      for (bool topOrigin : {false, true}) {
        const auto bytes = assetgen::writeTGA(pixels, {runLength, topOrigin});
        VornImage image;
        std::string detail;
        ASSERT_TRUE(decodeTGA(bytes.data(), bytes.size(), "g.tga", image, detail)) << detail;
        ASSERT_EQ(image.format, channels == 4 ? kImageRGBA : kImageRGB);
        for (uint32_t y = 0; y < 4; ++y)
          for (uint32_t x = 0; x < 9; ++x) {
            const auto c = pixels.rgba(x, y);
            const auto want = channels == 4 ? rgba(c[0], c[1], c[2], c[3]) : rgb(c[0], c[1], c[2]);
            ASSERT_EQ(pixelAt(image, x, 3 - y), want)
                << channels << " channels rle " << runLength << " top " << topOrigin << " at " << x << "," << y;
          }
      }
    }
  }
}

}  // namespace
}  // namespace vorn
