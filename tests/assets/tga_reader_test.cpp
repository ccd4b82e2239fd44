#include "assets/tga_reader.h"

#include <gtest/gtest.h>

#include "assets/assets_test_util.h"

namespace vorn {
namespace {

using test::Bytes;

Bytes tgaHeader(uint32_t type, uint32_t width, uint32_t height, uint32_t depth, uint32_t descriptor,
                uint32_t mapLength = 0, uint32_t mapBits = 0) {
  Bytes b;
  b.u8(0).u8(mapLength ? 1 : 0).u8(type).le16(0).le16(mapLength).u8(mapBits);
  return b.le16(0).le16(0).le16(width).le16(height).u8(depth).u8(descriptor);
}

// Top row red, green; bottom row blue, white.
const std::vector<uint8_t> kUpright = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};

Bytes bottomFirstRunLength() {
  // Blue as a run of one, white as a literal of one; then red and green as one literal.
  return tgaHeader(10, 2, 2, 24, 0).list({0x80, 255, 0, 0, 0x00, 255, 255, 255, 0x01, 0, 0, 255, 0, 255, 0});
}

// True colour of every origin and depth, verbatim and run-length, is read
// back from the generator's writer; these are the types it never writes.
TEST(TgaReader, DecodesEveryTypeDepthAndOrigin) {
  test::expectDecodes(decodeTGA, {
      {"16-bit widens", tgaHeader(2, 2, 1, 16, 0).le16(0x7C1F).le16(0x03E0), kImageRGB, {255, 0, 255, 0, 255, 0}},
      {"mapped, 24-bit map", tgaHeader(1, 3, 1, 8, 0, 3, 24).list({1, 2, 3, 4, 5, 6, 7, 8, 9, 2, 0, 1}), kImageRGB,
       {9, 8, 7, 3, 2, 1, 6, 5, 4}},
      {"mapped, 16-bit map", tgaHeader(1, 1, 1, 8, 0, 1, 16).le16(0x001F).u8(0), kImageRGB, {0, 0, 255}},
      {"run-length mapped, top first",
       tgaHeader(9, 2, 2, 8, 0x20, 2, 32).list({10, 20, 30, 40, 50, 60, 70, 80, 0x82, 1, 0x00, 0}), kImageRGBA,
       {70, 60, 50, 80, 30, 20, 10, 40, 70, 60, 50, 80, 70, 60, 50, 80}},
      {"run-length", bottomFirstRunLength(), kImageRGB, kUpright},
      {"run past the last pixel stops there", tgaHeader(10, 3, 1, 32, 0).list({0xFF, 1, 2, 3, 4}), kImageRGBA,
       test::repeat({3, 2, 1, 4}, 3)},
  });
}

TEST(TgaReader, HostileFilesAreRefusedWithTheirLine) {
  const auto cut = [](Bytes b, size_t size) {
    b.data.resize(size);
    return b;
  };
  Bytes idField = tgaHeader(2, 1, 1, 24, 0);
  idField.data[0] = 200;
  const std::string truncated = "\tfile truncated: h\n";
  test::expectRefusals(decodeTGA, {
      {"unknown type", tgaHeader(3, 1, 1, 8, 0).u8(9), "\tunknown file type 3\n"},
      {"header cut", cut(tgaHeader(2, 1, 1, 24, 0), 10), truncated},
      {"pixels cut", tgaHeader(2, 4, 4, 24, 0).zeros(10), truncated},
      {"literal packet cut", tgaHeader(10, 128, 1, 24, 0).list({0x7F, 1, 2, 3}), truncated},
      {"huge claim, even as runs", tgaHeader(10, 16000, 16000, 32, 0).list({0xFF, 1, 2, 3, 4}), truncated},
      {"id field past the file", idField, truncated},
      {"index beyond the map", tgaHeader(1, 1, 1, 8, 0, 2, 24).zeros(6).u8(5), "\tcolor index out of range: h\n"},
      {"run index beyond the map", tgaHeader(9, 2, 1, 8, 0, 1, 24).zeros(3).list({0x81, 1}),
       "\tcolor index out of range: h\n"},
      {"map larger than 4-bit indices reach", tgaHeader(1, 1, 1, 4, 0, 17, 24).zeros(17 * 3 + 1),
       "\tcolor map larger than pixel depth allows: h\n"},
      {"map entry size", tgaHeader(1, 1, 1, 8, 0, 1, 8).zeros(2), "\tunsupported color map entry size 8\n"},
      {"mapped without a map", tgaHeader(1, 1, 1, 8, 0).u8(0), "\tno color map defined\n"},
      {"true colour depth", tgaHeader(2, 1, 1, 8, 0).u8(0), "\tunsupported pixel depth 8\n"},
      {"zero width", tgaHeader(2, 0, 5, 24, 0), "\timage size not supported: 0 x 5\n"},
  }, bottomFirstRunLength());
}

}  // namespace
}  // namespace vorn
