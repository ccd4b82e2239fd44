#include "assets/gif_reader.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "assets/assets_test_util.h"

namespace vorn {
namespace {

using test::Bytes;

// "GIF87a", a screen descriptor with an optional global table of 4 entries
// (index i = (i*10, i*10+1, i*10+2)), the image separator and descriptor.
Bytes gifHead(uint32_t width, uint32_t height, bool globalTable, uint32_t imagePacked = 0) {
  Bytes b;
  b.str("GIF87a").le16(width).le16(height).u8(globalTable ? 0x81 : 0).u8(0).u8(0);
  if (globalTable)
    for (uint32_t i = 0; i < 4; ++i) b.list({i * 10, i * 10 + 1, i * 10 + 2});
  return b.u8(',').le16(0).le16(0).le16(width).le16(height).u8(imagePacked);
}

// Appends the image data: the minimum code size, one sub-block of codes
// packed by hand (least significant bit first), the block terminator and the
// trailer. With min code size 2 the codes are 3 bits wide: clear is 4, end is
// 5 and the first free entry 6.
Bytes coded(Bytes b, std::initializer_list<uint32_t> packed, uint32_t minSize = 2) {
  return b.u8(minSize).u8(static_cast<uint32_t>(packed.size())).list(packed).u8(0).u8(';');
}

// 2 x 2, indices 0 1 / 2 3 (top row first). The fifth code is already 4 bits
// wide: the table reached 8 entries before it.
Bytes handPacked() { return coded(gifHead(2, 2, true), {0x44, 0x34, 0x05}); }

// The generator's files are read back elsewhere; the hand-packed one checks
// the code width against the format, which that writer could get wrong too.
TEST(GifReader, DecodesAHandPackedFileAndRefusesHostileFilesWithTheirLine) {
  EXPECT_EQ(test::decodeOk(decodeGIF, handPacked().data).pixels,
            (std::vector<uint8_t>{20, 21, 22, 30, 31, 32, 0, 1, 2, 10, 11, 12}));
  Bytes gif89 = gifHead(1, 1, true);
  gif89.data[4] = '9';
  Bytes noImage;
  noImage.str("GIF87a").le16(1).le16(1).u8(0).u8(0).u8(0).u8(';');
  const std::string outOfRange = "\tlzw code out of range: h\n";
  test::expectRefusals(decodeGIF, {
      {"GIF89a", gif89, "\tunsopported gif format GIF89a\n"},
      {"no colour table", coded(gifHead(1, 1, false), {0x4C, 0x01}), "\tno color map defined\n"},  // 4 1 5
      {"code above the next free one", coded(gifHead(4, 1, true), {0xC4, 0x01}), outOfRange},  // 4 0 7
      {"first code after a clear not a root", coded(gifHead(4, 1, true), {0x34}), outOfRange},  // 4 6
      {"code size", gifHead(1, 1, true).list({12, 1, 0, 0, ';'}), "\tlzw code size 12 not supported\n"},
      {"data ends before the pixels", coded(gifHead(10, 10, true), {0x0C}), "\tfile truncated: h\n"},  // 4 1
      {"index beyond the table", coded(gifHead(1, 1, true), {0x68, 0x09}, 3),  // 8 6 9, 4 bits wide
       "\tcolor index out of range: h\n"},
      {"no image", noImage, "\tfile truncated: h\n"},
      {"zero width", gifHead(0, 3, true), "\timage size not supported: 0 x 3\n"},
  }, handPacked(), 3);  // the end code, block terminator and trailer follow the last pixel
}

}  // namespace
}  // namespace vorn
