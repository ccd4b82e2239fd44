#include "assets/sgi_reader.h"

#include <gtest/gtest.h>

#include "assetgen/image_write.h"
#include "assets/image_test_util.h"

namespace vorn {
namespace {

using test::Bytes;
using test::pixelAt;
using test::rgb;
using test::rgba;

Bytes sgiHeader(uint32_t storage, uint32_t width, uint32_t height, uint32_t channels, uint32_t bpc = 1,
                uint32_t colourMap = 0, uint32_t magic = 474) {
  Bytes b;
  b.be16(magic).u8(storage).u8(bpc).be16(3).be16(width).be16(height).be16(channels);
  b.be32(0).be32(255).zeros(84).be32(colourMap).zeros(404);
  return b;
}

// The reader without its optional size cap, as the helpers call it.
bool decode(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail) {
  return decodeSGI(data, size, name, image, detail);
}

VornImage decodeOk(const Bytes& b) { return test::decodeOk(decode, b, "t.rgb"); }
std::string decodeFails(const Bytes& b) { return test::decodeFails(decode, b, "t.rgb"); }

TEST(SgiReader, HeaderIsExactly512Bytes) { EXPECT_EQ(sgiHeader(0, 1, 1, 1).size(), 512u); }

TEST(SgiReader, VerbatimPlanesOneThreeAndFourChannels) {
  // 2 x 2 grey, bottom line first: 10 20 / 30 40.
  Bytes grey = sgiHeader(0, 2, 2, 1);
  grey.list({10, 20, 30, 40});
  VornImage image = decodeOk(grey);
  EXPECT_EQ(image.format, kImageRGB);
  EXPECT_EQ(image.internalFormat, kImageRGB);
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(10, 10, 10));
  EXPECT_EQ(pixelAt(image, 1, 1), rgb(40, 40, 40));

  Bytes colour = sgiHeader(0, 2, 1, 3);
  colour.list({1, 2, 3, 4, 5, 6});  // red plane, green plane, blue plane
  image = decodeOk(colour);
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(1, 3, 5));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(2, 4, 6));

  Bytes alpha = sgiHeader(0, 1, 2, 4);
  alpha.list({1, 2, 3, 4, 5, 6, 7, 8});
  image = decodeOk(alpha);
  EXPECT_EQ(image.format, kImageRGBA);
  EXPECT_EQ(pixelAt(image, 0, 0), rgba(1, 3, 5, 7));
  EXPECT_EQ(pixelAt(image, 0, 1), rgba(2, 4, 6, 8));
}

// Offsets and lengths tables for `rows` rows, then the rows' packets.
Bytes rleFile(uint32_t width, uint32_t height, uint32_t channels, const std::vector<std::vector<uint8_t>>& rows) {
  Bytes b = sgiHeader(1, width, height, channels);
  uint32_t at = 512 + static_cast<uint32_t>(rows.size()) * 8;
  for (const auto& row : rows) {
    b.be32(at);
    at += static_cast<uint32_t>(row.size());
  }
  for (const auto& row : rows) b.be32(static_cast<uint32_t>(row.size()));
  for (const auto& row : rows) b.data.insert(b.data.end(), row.begin(), row.end());
  return b;
}

TEST(SgiReader, RunLengthRowsOneThreeAndFourChannels) {
  // Grey 3 x 2: bottom line a run of three 7s; top line literal 1 2 3.
  VornImage image = decodeOk(rleFile(3, 2, 1, {{0x03, 7, 0}, {0x83, 1, 2, 3, 0}}));
  EXPECT_EQ(image.format, kImageLuminance);
  EXPECT_EQ(image.internalFormat, kImageLuminance8);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{7, 7, 7, 1, 2, 3}));

  // RGB 2 x 1: each channel one row.
  image = decodeOk(rleFile(2, 1, 3, {{0x02, 9, 0}, {0x82, 1, 2, 0}, {0x02, 5, 0}}));
  EXPECT_EQ(image.format, kImageRGB);
  EXPECT_EQ(pixelAt(image, 0, 0), rgb(9, 1, 5));
  EXPECT_EQ(pixelAt(image, 1, 0), rgb(9, 2, 5));

  image = decodeOk(rleFile(1, 1, 4, {{0x01, 1, 0}, {0x01, 2, 0}, {0x01, 3, 0}, {0x01, 4, 0}}));
  EXPECT_EQ(image.format, kImageRGBA);
  EXPECT_EQ(pixelAt(image, 0, 0), rgba(1, 2, 3, 4));
}

TEST(SgiReader, HeaderRefusalsCarryTheirMessages) {
  EXPECT_EQ(decodeFails(sgiHeader(0, 1, 1, 1, 1, 0, 475)), "\tmagic!=474\n");
  EXPECT_EQ(decodeFails(sgiHeader(2, 1, 1, 1)), "\tformat>1\n");
  EXPECT_EQ(decodeFails(sgiHeader(0, 1, 1, 1, 2)), "\bpc==2 not supported\n");
  EXPECT_EQ(decodeFails(sgiHeader(0, 1, 1, 5)), "\tzsize>4\n");
  EXPECT_EQ(decodeFails(sgiHeader(0, 1, 1, 2)), "\tzsize 2 not supported\n");
  EXPECT_EQ(decodeFails(sgiHeader(0, 1, 1, 1, 1, 3)), "\tcolormap!=0\n");
}

TEST(SgiReader, GeneratorWritersRoundTrip) {
  for (uint32_t channels : {1u, 3u, 4u}) {
    assetgen::Pixels pixels(11, 5, channels);
    for (size_t i = 0; i < pixels.data.size(); ++i) pixels.data[i] = static_cast<uint8_t>(i % 7 < 4 ? 200 : i * 3);
    for (bool runLength : {false, true}) {
      const auto bytes = assetgen::writeSGI(pixels, runLength);
      VornImage image;
      std::string detail;
      ASSERT_TRUE(decodeSGI(bytes.data(), bytes.size(), "g.rgb", image, detail)) << detail;
      for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 11; ++x) {
          const auto c = pixels.rgba(x, y);
          std::vector<uint8_t> want = rgb(c[0], c[1], c[2]);
          if (channels == 4) want.push_back(c[3]);
          if (channels == 1 && runLength) want = {c[0]};
          ASSERT_EQ(pixelAt(image, x, 4 - y), want) << channels << " channels rle " << runLength;
        }
    }
  }
}

}  // namespace
}  // namespace vorn
