#include "assets/bmp_codec.h"

#include <gtest/gtest.h>

#include "assets/assets_test_util.h"

namespace vorn {
namespace {

using test::Bytes;

// File and info headers whose palette and pixels follow directly;
// `coloursUsed` 0 means a full palette.
Bytes bmpHeader(int32_t width, int32_t height, uint32_t bits, uint32_t paletteBytes, uint32_t pixelBytes,
                uint32_t coloursUsed = 0) {
  Bytes b;
  b.str("BM").le32(54 + paletteBytes + pixelBytes).le32(0).le32(54 + paletteBytes);
  b.le32(40).le32(static_cast<uint32_t>(width)).le32(static_cast<uint32_t>(height)).le16(1).le16(bits);
  return b.le32(0).le32(pixelBytes).le32(3780).le32(3780).le32(coloursUsed).le32(0);
}

// Every depth and row padding is read back from the generator's writers; here
// a pixel offset past the headers (other tools write such files) and the icon
// reader's alpha, taken from red.
TEST(BmpReader, DecodesPixelsAtTheHeadersOffsetAndAlphaFromRed) {
  EXPECT_EQ(test::decodeOk(decodeBMP, bmpHeader(1, 1, 24, 2, 4).list({0xEE, 0xEE, 1, 2, 3, 0}).data).pixels,
            (std::vector<uint8_t>{3, 2, 1}));
  const VornImage icon =
      test::decodeOk(decodeBMPAlpha, bmpHeader(1, 2, 24, 0, 8).list({30, 20, 200, 0, 3, 2, 1, 0}).data);
  EXPECT_EQ(std::make_pair(icon.format, icon.pixels),
            std::make_pair(kImageRGBA, std::vector<uint8_t>{200, 20, 30, 200, 1, 2, 3, 1}));
}

TEST(BmpReader, HostileFilesAreRefusedWithTheirLine) {
  const auto size = [](int32_t w, int32_t h) { return bmpHeader(w, h, 24, 0, 0); };
  const auto truncated = [](Bytes b, size_t extra, size_t cut) {
    b.zeros(extra);
    if (cut) b.data.resize(cut);
    return b;
  };
  Bytes hugeInfo = size(1, 1);
  hugeInfo.data[14] = hugeInfo.data[17] = 0xFF;  // info header size claims 4 GB
  test::expectRefusals(decodeBMP, {
      {"not a BMP", Bytes().str("XY").zeros(60), "\tbmp header damaged or unknown : h\n"},
      {"16 bits", truncated(bmpHeader(2, 2, 16, 0, 8), 8, 0),
       "\tunsopported bit format only 24 bit supported : file pixelsize= 16\n"},
      {"zero width", size(0, 4), "\timage size not supported: 0 x 4\n"},
      {"negative height", size(4, -4), "\timage size not supported: 4 x -4\n"},
      {"negative width", size(-1, 1), "\timage size not supported: -1 x 1\n"},
      {"size overflowing 32 bits", size(0x40000000, 0x40000000),
       "\timage size not supported: 1073741824 x 1073741824\n"},
      {"over the dimension cap", size(16385, 1), "\timage size not supported: 16385 x 1\n"},
      {"header cut", truncated(size(2, 2), 0, 20), "\tfile truncated: h\n"},
      {"palette cut", truncated(bmpHeader(2, 2, 8, 0, 0), 100, 0), "\tfile truncated: h\n"},
      {"pixels cut", truncated(size(16000, 16000), 64, 0), "\tfile truncated: h\n"},
      {"info header past the file", hugeInfo, "\tfile truncated: h\n"},
      {"index beyond the colours used", bmpHeader(1, 1, 8, 8, 4, 2).zeros(8).list({5, 0, 0, 0}),
       "\tcolor index out of range: h\n"},
  }, bmpHeader(4, 1, 24, 0, 12).zeros(12));
}

// The light-map cache's own writer (saved and read back by the world tests).
TEST(BmpWriter, EncodeRoundTripsThroughTheReaderForEveryRowPadding) {
  for (const uint32_t width : {4u, 5u, 7u}) {
    VornImage source;
    source.reset(width, 3, kImageRGB, kImageRGB);
    for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = static_cast<uint8_t>(i * 7 + width);
    EXPECT_EQ(test::decodeOk(decodeBMP, encodeBMP(source)).pixels, source.pixels) << "width " << width;
  }
}

}  // namespace
}  // namespace vorn
