#include "assets/gif_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Appends the image data: the minimum code size, `codes` packed at the width
// a decoder reads each at (it adds no entry for the first code after a
// clear), the sub-blocks and the trailer. With min code size 2, clear is 4,
// end is 5 and the first free entry 6.
Bytes coded(Bytes b, const std::vector<uint32_t>& codes, uint32_t minSize = 2) {
  const uint32_t clear = 1u << minSize;
  uint32_t width = minSize + 1, next = clear + 2, bits = 0;
  uint64_t buffer = 0;
  bool previous = false;
  std::vector<uint8_t> packed;
  for (const uint32_t c : codes) {
    buffer |= uint64_t{c} << bits;
    for (bits += width; bits >= 8; bits -= 8, buffer >>= 8) packed.push_back(static_cast<uint8_t>(buffer));
    if (c == clear) {
      width = minSize + 1;
      next = clear + 2;
      previous = false;
    } else if (c != clear + 1) {
      if (previous && next < 4096 && ++next == (1u << width) && width < 12) ++width;
      previous = true;
    }
  }
  if (bits > 0) packed.push_back(static_cast<uint8_t>(buffer));
  b.u8(minSize);
  for (size_t at = 0; at < packed.size(); at += 255) {
    const size_t n = std::min<size_t>(255, packed.size() - at);
    const auto from = packed.begin() + static_cast<long>(at);
    b.u8(static_cast<uint32_t>(n)).append(std::vector<uint8_t>(from, from + static_cast<long>(n)));
  }
  return b.u8(0).u8(';');
}

// 2 x 2, indices 0 1 / 2 3 (top row first). The fifth code is already 4 bits
// wide: the table reached 8 entries before it.
Bytes handPacked() { return gifHead(2, 2, true).list({2, 3, 0x44, 0x34, 0x05, 0, ';'}); }

TEST(GifReader, DecodesTablesExtensionsAndLongCodeRuns) {
  Bytes extension;
  extension.str("GIF87a").le16(1).le16(1).u8(0x81).u8(0).u8(0).list({0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  extension.list({'!', 0xFE, 3, 'a', 'b', 'c', 0}).u8(',').le16(0).le16(0).le16(1).le16(1).u8(0);
  // No clear code: the table fills at 4096 and decoding goes on with 12-bit codes.
  std::vector<uint32_t> ones(5000, 1);
  ones.push_back(5);
  test::expectDecodes(decodeGIF, {
      {"hand-packed codes", handPacked(), kImageRGB, {20, 21, 22, 30, 31, 32, 0, 1, 2, 10, 11, 12}},
      {"local table wins", coded(gifHead(1, 1, true, 0x80).list({100, 101, 102, 200, 201, 202}), {4, 1, 5}), kImageRGB,
       {200, 201, 202}},
      {"comment block passed over", coded(extension, {4, 3, 5}), kImageRGB, {7, 8, 9}},
      {"full table without a clear", coded(gifHead(5000, 1, true), ones), kImageRGB,
       test::repeat({10, 11, 12}, 5000)},
      {"string cut at the last pixel", coded(gifHead(3, 1, true), {4, 1, 1, 6, 5}), kImageRGB,
       test::repeat({10, 11, 12}, 3)},
  });
}

TEST(GifReader, HostileFilesAreRefusedWithTheirLine) {
  Bytes gif89 = gifHead(1, 1, true);
  gif89.data[4] = '9';
  Bytes noImage;
  noImage.str("GIF87a").le16(1).le16(1).u8(0).u8(0).u8(0).u8(';');
  const std::string outOfRange = "\tlzw code out of range: h\n";
  test::expectRefusals(decodeGIF, {
      {"GIF89a", gif89, "\tunsopported gif format GIF89a\n"},
      {"no colour table", coded(gifHead(1, 1, false), {4, 1, 5}), "\tno color map defined\n"},
      {"code above the next free one", coded(gifHead(4, 1, true), {4, 0, 7}), outOfRange},
      {"first code after a clear not a root", coded(gifHead(4, 1, true), {4, 6}), outOfRange},
      {"code size", gifHead(1, 1, true).list({12, 1, 0, 0, ';'}), "\tlzw code size 12 not supported\n"},
      {"data ends before the pixels", coded(gifHead(10, 10, true), {4, 1}), "\tfile truncated: h\n"},
      {"index beyond the table", coded(gifHead(1, 1, true), {8, 6, 9}, 3), "\tcolor index out of range: h\n"},
      {"no image", noImage, "\tfile truncated: h\n"},
      {"zero width", gifHead(0, 3, true), "\timage size not supported: 0 x 3\n"},
  }, handPacked(), 3);  // the end code, block terminator and trailer follow the last pixel
}

}  // namespace
}  // namespace vorn
