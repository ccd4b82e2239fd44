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

// The good file, cut at every length: bottom row first, blue as a run of one
// and white as a literal of one, then red and green as one literal.
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
  }, tgaHeader(10, 2, 2, 24, 0).list({0x80, 255, 0, 0, 0x00, 255, 255, 255, 0x01, 0, 0, 255, 0, 255, 0}));
}

}  // namespace
}  // namespace vorn
