// Damaged and hostile files, one per fault class: each is refused with its
// detail line (or, where the format's own rule covers it, decoded within
// bounds), never read or written out of bounds; the sanitizer build runs
// these too.
#include <gtest/gtest.h>

#include "assets/bmp_codec.h"
#include "assets/gif_reader.h"
#include "assets/gif_test_util.h"
#include "assets/sgi_reader.h"
#include "assets/tga_reader.h"

namespace vorn {
namespace {

using test::Bytes;

using Decoder = bool (*)(const uint8_t*, size_t, const std::string&, VornImage&, std::string&, const ImageLimits&);

std::string refusal(Decoder decode, const Bytes& b) {
  VornImage image;
  std::string detail;
  EXPECT_FALSE(decode(b.data.data(), b.size(), "h", image, detail, ImageLimits{}));
  EXPECT_TRUE(image.pixels.empty());
  return detail;
}

Bytes bmp(int32_t width, int32_t height, uint32_t bits, uint32_t coloursUsed = 0) {
  Bytes b;
  b.str("BM").le32(0).le32(0).le32(0);
  b.le32(40).le32(static_cast<uint32_t>(width)).le32(static_cast<uint32_t>(height)).le16(1).le16(bits);
  b.le32(0).le32(0).le32(0).le32(0).le32(coloursUsed).le32(0);
  return b;
}

TEST(HostileBmp, ImpossibleSizesAreRefusedBeforeAllocating) {
  EXPECT_EQ(refusal(decodeBMP, bmp(0, 4, 24)), "\timage size not supported: 0 x 4\n");
  EXPECT_EQ(refusal(decodeBMP, bmp(4, -4, 24)), "\timage size not supported: 4 x -4\n");
  EXPECT_EQ(refusal(decodeBMP, bmp(-1, 1, 24)), "\timage size not supported: -1 x 1\n");
  // width x height x 3 would overflow 32 bits; the cap stops it first.
  EXPECT_EQ(refusal(decodeBMP, bmp(0x40000000, 0x40000000, 24)),
            "\timage size not supported: 1073741824 x 1073741824\n");
  EXPECT_EQ(refusal(decodeBMP, bmp(16385, 1, 24)), "\timage size not supported: 16385 x 1\n");
}

TEST(HostileBmp, TruncatedHeaderPaletteAndPixels) {
  Bytes header = bmp(2, 2, 24);
  header.data.resize(20);
  EXPECT_EQ(refusal(decodeBMP, header), "\tfile truncated: h\n");
  Bytes palette = bmp(2, 2, 8);
  palette.zeros(100);  // a full palette needs 1024 bytes
  EXPECT_EQ(refusal(decodeBMP, palette), "\tfile truncated: h\n");
  Bytes pixels = bmp(16000, 16000, 24);
  pixels.zeros(64);
  EXPECT_EQ(refusal(decodeBMP, pixels), "\tfile truncated: h\n");
  Bytes hugeHeader = bmp(1, 1, 24);
  hugeHeader.data[14] = 0xFF;  // info header size claims 4 GB
  hugeHeader.data[17] = 0xFF;
  EXPECT_EQ(refusal(decodeBMP, hugeHeader), "\tfile truncated: h\n");
}

TEST(HostileBmp, PaletteIndexBeyondTheColoursUsed) {
  Bytes b = bmp(1, 1, 8, 2);
  b.zeros(8).list({5, 0, 0, 0});
  EXPECT_EQ(refusal(decodeBMP, b), "\tcolor index out of range: h\n");
}

Bytes tga(uint32_t type, uint32_t width, uint32_t height, uint32_t depth, uint32_t mapLength = 0,
          uint32_t mapBits = 0) {
  Bytes b;
  b.u8(0).u8(mapLength ? 1 : 0).u8(type).le16(0).le16(mapLength).u8(mapBits);
  b.le16(0).le16(0).le16(width).le16(height).u8(depth).u8(0);
  return b;
}

TEST(HostileTga, TruncatedHeaderPixelsAndPackets) {
  Bytes header = tga(2, 1, 1, 24);
  header.data.resize(10);
  EXPECT_EQ(refusal(decodeTGA, header), "\tfile truncated: h\n");
  Bytes pixels = tga(2, 4, 4, 24);
  pixels.zeros(10);
  EXPECT_EQ(refusal(decodeTGA, pixels), "\tfile truncated: h\n");
  // A literal packet of 128 pixels whose data stops after one.
  Bytes packet = tga(10, 128, 1, 24);
  packet.list({0x7F, 1, 2, 3});
  EXPECT_EQ(refusal(decodeTGA, packet), "\tfile truncated: h\n");
  // A huge claim that the few bytes left cannot possibly hold, even as runs.
  Bytes claim = tga(10, 16000, 16000, 32);
  claim.list({0xFF, 1, 2, 3, 4});
  EXPECT_EQ(refusal(decodeTGA, claim), "\tfile truncated: h\n");
  Bytes idField = tga(2, 1, 1, 24);
  idField.data[0] = 200;
  EXPECT_EQ(refusal(decodeTGA, idField), "\tfile truncated: h\n");
}

TEST(HostileTga, ColourMapFaults) {
  Bytes index = tga(1, 1, 1, 8, 2, 24);
  index.zeros(6).u8(5);
  EXPECT_EQ(refusal(decodeTGA, index), "\tcolor index out of range: h\n");
  Bytes rleIndex = tga(9, 2, 1, 8, 1, 24);
  rleIndex.zeros(3).list({0x81, 1});
  EXPECT_EQ(refusal(decodeTGA, rleIndex), "\tcolor index out of range: h\n");
  Bytes bigMap = tga(1, 1, 1, 4, 17, 24);  // 4-bit indices reach 16 entries
  bigMap.zeros(17 * 3 + 1);
  EXPECT_EQ(refusal(decodeTGA, bigMap), "\tcolor map larger than pixel depth allows: h\n");
  Bytes entrySize = tga(1, 1, 1, 8, 1, 8);
  entrySize.zeros(2);
  EXPECT_EQ(refusal(decodeTGA, entrySize), "\tunsupported color map entry size 8\n");
  Bytes noMap = tga(1, 1, 1, 8);
  noMap.u8(0);
  EXPECT_EQ(refusal(decodeTGA, noMap), "\tno color map defined\n");
  Bytes depth = tga(2, 1, 1, 8);
  depth.u8(0);
  EXPECT_EQ(refusal(decodeTGA, depth), "\tunsupported pixel depth 8\n");
  EXPECT_EQ(refusal(decodeTGA, tga(2, 0, 5, 24)), "\timage size not supported: 0 x 5\n");
}

Bytes sgi(uint32_t storage, uint32_t width, uint32_t height, uint32_t channels) {
  Bytes b;
  b.be16(474).u8(storage).u8(1).be16(3).be16(width).be16(height).be16(channels);
  b.be32(0).be32(255).zeros(84).be32(0).zeros(404);
  return b;
}

TEST(HostileSgi, OffsetTablesAndRows) {
  Bytes shortHeader = sgi(0, 1, 1, 1);
  shortHeader.data.resize(100);
  EXPECT_EQ(refusal(decodeSGI, shortHeader), "\tfile truncated: h\n");
  Bytes shortTable = sgi(1, 4, 4, 3);
  shortTable.zeros(20);
  EXPECT_EQ(refusal(decodeSGI, shortTable), "\tfile truncated: h\n");
  Bytes outside = sgi(1, 2, 1, 1);
  outside.be32(100000).be32(3).list({0x02, 7, 0});
  EXPECT_EQ(refusal(decodeSGI, outside), "\trow offset outside file: h\n");
  Bytes intoHeader = sgi(1, 2, 1, 1);
  intoHeader.be32(10).be32(3).list({0x02, 7, 0});
  EXPECT_EQ(refusal(decodeSGI, intoHeader), "\trow offset outside file: h\n");
  Bytes pastWidth = sgi(1, 2, 1, 1);
  pastWidth.be32(520).be32(3).list({0x05, 7, 0});
  EXPECT_EQ(refusal(decodeSGI, pastWidth), "\trow longer than image width: h\n");
  Bytes literalPastEnd = sgi(1, 4, 1, 1);
  literalPastEnd.be32(520).be32(3).list({0x84, 7});
  EXPECT_EQ(refusal(decodeSGI, literalPastEnd), "\tfile truncated: h\n");
  Bytes verbatim = sgi(0, 100, 100, 4);
  verbatim.zeros(1000);
  EXPECT_EQ(refusal(decodeSGI, verbatim), "\tfile truncated: h\n");
  EXPECT_EQ(refusal(decodeSGI, sgi(0, 0, 1, 1)), "\timage size not supported: 0 x 1\n");
  Bytes empty;
  EXPECT_EQ(refusal(decodeSGI, empty), "\tmagic!=474\n");
}

TEST(HostileSgi, RowsSharingOneOffsetDecodeWithinBounds) {
  // Every row points at the same packets: legal, and nothing goes astray.
  Bytes b = sgi(1, 3, 3, 1);
  for (int i = 0; i < 3; ++i) b.be32(512 + 24);
  for (int i = 0; i < 3; ++i) b.be32(3);
  b.list({0x03, 9, 0});
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeSGI(b.data.data(), b.size(), "h", image, detail)) << detail;
  EXPECT_EQ(image.pixels, std::vector<uint8_t>(9, 9));
}

TEST(HostileGif, LzwFaults) {
  using test::GifCodes;
  // A code above the next free code.
  Bytes above = test::gifHead(4, 1, true);
  GifCodes a(2);
  a.code(a.clearCode());
  a.code(0);
  a.code(7);  // next free is 6
  test::appendCodes(above, 2, a);
  EXPECT_EQ(refusal(decodeGIF, above), "\tlzw code out of range: h\n");

  // A first code after a clear that is not a root.
  Bytes notRoot = test::gifHead(4, 1, true);
  GifCodes r(2);
  r.code(r.clearCode());
  r.code(6);
  test::appendCodes(notRoot, 2, r);
  EXPECT_EQ(refusal(decodeGIF, notRoot), "\tlzw code out of range: h\n");

  Bytes codeSize = test::gifHead(1, 1, true);
  codeSize.list({12, 1, 0, 0, ';'});
  EXPECT_EQ(refusal(decodeGIF, codeSize), "\tlzw code size 12 not supported\n");

  // Data that ends before the pixels are complete.
  Bytes truncated = test::gifHead(10, 10, true);
  GifCodes t(2);
  t.code(t.clearCode());
  t.code(1);
  test::appendCodes(truncated, 2, t);
  EXPECT_EQ(refusal(decodeGIF, truncated), "\tfile truncated: h\n");

  // An index beyond a 4-entry table (min code size 3 allows 0..7).
  Bytes index = test::gifHead(1, 1, true);
  GifCodes i(3);
  i.code(i.clearCode());
  i.code(6);
  i.code(i.endCode());
  test::appendCodes(index, 3, i);
  EXPECT_EQ(refusal(decodeGIF, index), "\tcolor index out of range: h\n");

  Bytes noImage;
  noImage.str("GIF87a").le16(1).le16(1).u8(0).u8(0).u8(0).u8(';');
  EXPECT_EQ(refusal(decodeGIF, noImage), "\tfile truncated: h\n");
  EXPECT_EQ(refusal(decodeGIF, test::gifHead(0, 3, true)), "\timage size not supported: 0 x 3\n");
}

TEST(HostileGif, StringLongerThanThePixelsLeftIsCut) {
  // 3 pixels: codes 1, 1, then the string "1 1" (code 6) would give a fourth.
  Bytes b = test::gifHead(3, 1, true);
  test::GifCodes c(2);
  c.code(c.clearCode());
  c.code(1);
  c.code(1);
  c.code(6);
  c.code(c.endCode());
  test::appendCodes(b, 2, c);
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeGIF(b.data.data(), b.size(), "h", image, detail)) << detail;
  EXPECT_EQ(image.pixels.size(), 9u);
}

TEST(HostileAll, EveryPrefixOfAValidFileFailsCleanly) {
  // Cutting a good file anywhere gives a refusal, never a read past the end.
  Bytes good = sgi(1, 2, 2, 1);
  for (int i = 0; i < 2; ++i) good.be32(528 + i * 3);
  for (int i = 0; i < 2; ++i) good.be32(3);
  good.list({0x02, 1, 0, 0x82, 2, 3, 0});
  for (size_t cut = 0; cut + 1 < good.size(); ++cut) {
    Bytes part;
    part.data.assign(good.data.begin(), good.data.begin() + static_cast<long>(cut));
    VornImage image;
    std::string detail;
    EXPECT_FALSE(decodeSGI(part.data.data(), part.size(), "h", image, detail)) << "cut at " << cut;
    EXPECT_FALSE(detail.empty());
  }
}

}  // namespace
}  // namespace vorn
