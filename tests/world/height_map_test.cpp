// The SGI height-map reader: both storage modes, run-length rows of odd
// lengths, and every kind of damaged file.
#include "world/height_map.h"

#include <gtest/gtest.h>

#include <random>

#include "assetgen/image_write.h"
#include "world_test_util.h"

namespace vorn {
namespace {

using test::Bytes;
using test::SgiHeader;

HeightGrid decodeOk(const std::vector<uint8_t>& bytes) {
  HeightGrid grid;
  std::string detail;
  EXPECT_TRUE(decodeSgiHeightMap(bytes.data(), bytes.size(), "map.rgb", 1.0f, grid, detail)) << detail;
  return grid;
}

std::string decodeError(const std::vector<uint8_t>& bytes) {
  HeightGrid grid;
  std::string detail;
  EXPECT_FALSE(decodeSgiHeightMap(bytes.data(), bytes.size(), "map.rgb", 1.0f, grid, detail));
  EXPECT_TRUE(grid.empty());
  EXPECT_EQ(0, grid.width);
  return detail;
}

TEST(HeightMapReader, VerbatimKeepsRowsInFileOrderAsGridRows) {
  const HeightGrid g = decodeOk(test::sgiVerbatim({{1, 2, 3}, {4, 5, 6}}));
  ASSERT_EQ(3, g.width);
  ASSERT_EQ(2, g.height);
  EXPECT_EQ(std::vector<float>({1, 2, 3, 4, 5, 6}), g.heights);
  EXPECT_EQ(6.0f, g.at(2, 1));
}

TEST(HeightMapReader, HeightScaleMultipliesEverySample) {
  const auto bytes = test::sgiVerbatim({{10, 20}, {30, 40}});
  HeightGrid g;
  std::string detail;
  ASSERT_TRUE(decodeSgiHeightMap(bytes.data(), bytes.size(), "m.rgb", 0.5f, g, detail));
  EXPECT_EQ(std::vector<float>({5, 10, 15, 20}), g.heights);
}

TEST(HeightMapReader, RunLengthRepeatsAndLiterals) {
  // Row 0: repeat 7 three times, then literals 1 2. Row 1: literals 9 8 7 6 5.
  const HeightGrid g = decodeOk(test::sgiRunLength(5, {{0x03, 7, 0x82, 1, 2, 0}, {0x85, 9, 8, 7, 6, 5, 0}}));
  EXPECT_EQ(std::vector<float>({7, 7, 7, 1, 2, 9, 8, 7, 6, 5}), g.heights);
}

TEST(HeightMapReader, RunLengthRowLongerThanWidthIsCut) {
  // 10 repeats and 4 literals for a 4-wide grid; the second row must not be
  // touched by the first one's overflow.
  const HeightGrid g = decodeOk(test::sgiRunLength(4, {{0x0A, 3, 0x84, 1, 2, 3, 4}, {0x04, 9}}));
  EXPECT_EQ(std::vector<float>({3, 3, 3, 3, 9, 9, 9, 9}), g.heights);
}

TEST(HeightMapReader, RunLengthShortRowContinuesPastZeroCount) {
  // Row 0 gives two samples, a zero count, then more packets: a zero count
  // does not end the row, decoding goes on until the row is full.
  const HeightGrid g = decodeOk(test::sgiRunLength(4, {{0x02, 5, 0x00, 0x00, 0x82, 6, 7}, {0x04, 1}}));
  EXPECT_EQ(std::vector<float>({5, 5, 6, 7, 1, 1, 1, 1}), g.heights);
}

TEST(HeightMapReader, RunLengthShortLastRowRunningOffTheFileFails) {
  const std::string detail = decodeError(test::sgiRunLength(4, {{0x04, 1}, {0x02, 5}}));
  EXPECT_EQ("\trow 1 runs past the end of the file: map.rgb\n", detail);
}

TEST(HeightMapReader, RunLengthLiteralCutByEndOfFileFails) {
  EXPECT_EQ("\trow 1 runs past the end of the file: map.rgb\n",
            decodeError(test::sgiRunLength(4, {{0x04, 1}, {0x84, 1, 2}})));
}

TEST(HeightMapReader, RunLengthRowStartOutsideTheFileFails) {
  auto bytes = test::sgiRunLength(2, {{0x02, 1}, {0x02, 2}});
  // Second start entry (bytes 516..519) points far beyond the file.
  bytes[516] = 0x7F;
  EXPECT_EQ("\trow 1 starts outside the file: map.rgb\n", decodeError(bytes));
}

TEST(HeightMapReader, RunLengthTablesCutShortFail) {
  auto bytes = test::sgiRunLength(2, {{0x02, 1}, {0x02, 2}});
  bytes.resize(520);
  EXPECT_EQ("\tfile truncated: map.rgb\n", decodeError(bytes));
}

TEST(HeightMapReader, ChannelZeroOfAMultiChannelRunLengthFileIsUsed) {
  SgiHeader h;
  h.storage = 1;
  h.width = 2;
  h.height = 2;
  h.channels = 3;
  Bytes b = test::sgiHeader(h);
  // Starts: channel 0 rows 0 and 1, then channels 1 and 2; then six lengths.
  const uint32_t data = 512 + 6 * 8;
  for (uint32_t i = 0; i < 6; ++i) b.be32(data + 2 * i);
  for (int i = 0; i < 6; ++i) b.be32(2);
  for (uint32_t v : {11, 12, 21, 22, 31, 32}) b.u8(0x02).u8(v);
  EXPECT_EQ(std::vector<float>({11, 11, 12, 12}), decodeOk(b.data).heights);
}

TEST(HeightMapReader, HeaderRefusalsUseTheirOwnLines) {
  SgiHeader h;
  h.width = 2;
  h.height = 2;
  auto with = [&](auto change) {
    SgiHeader copy = h;
    change(copy);
    return test::sgiHeader(copy).zeros(16).data;
  };
  EXPECT_EQ("\tmagic!=474\n", decodeError(with([](SgiHeader& s) { s.magic = 475; })));
  EXPECT_EQ("\tformat>1\n", decodeError(with([](SgiHeader& s) { s.storage = 2; })));
  EXPECT_EQ("\bpc==2 not supported\n", decodeError(with([](SgiHeader& s) { s.bytesPerChannel = 2; })));
  EXPECT_EQ("\tzsize>4\n", decodeError(with([](SgiHeader& s) { s.channels = 5; })));
  EXPECT_EQ("\tcolormap!=0\n", decodeError(with([](SgiHeader& s) { s.colourMap = 1; })));
  EXPECT_EQ("\tno channels (zsize 0): map.rgb\n", decodeError(with([](SgiHeader& s) { s.channels = 0; })));
}

TEST(HeightMapReader, HugeOrDegenerateGridsAreRefusedBeforeAllocating) {
  const std::string huge = "\tgrid 65535 x 65535 unusable (2 to 1024 points a side, at most 65536 in all): map.rgb\n";
  SgiHeader h;
  h.storage = 1;
  h.width = 65535;
  h.height = 65535;
  EXPECT_EQ(huge, decodeError(test::sgiHeader(h).data));
  h.width = 1024;
  h.height = 1024;  // each side fine, too many points
  EXPECT_NE(std::string::npos, decodeError(test::sgiHeader(h).data).find("unusable"));
  h.width = 1;
  h.height = 50;
  EXPECT_NE(std::string::npos, decodeError(test::sgiHeader(h).data).find("unusable"));
}

TEST(HeightMapReader, TruncatedFilesFailWithOneLine) {
  const auto full = test::sgiVerbatim({{1, 2, 3}, {4, 5, 6}});
  for (size_t size : {size_t{0}, size_t{1}, size_t{3}, size_t{100}, size_t{511}, full.size() - 1}) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(size));
    EXPECT_EQ("\tfile truncated: map.rgb\n", decodeError(cut)) << size;
  }
  HeightGrid g;
  std::string detail;
  EXPECT_FALSE(decodeSgiHeightMap(nullptr, 100, "map.rgb", 1.0f, g, detail));
}

TEST(HeightMapReader, RandomDamageNeverEscapesTheBuffer) {
  // Deterministic corruption of a valid run-length file; the sanitizer build
  // turns any stray read into a failure.
  const auto good = test::sgiRunLength(6, {{0x06, 1}, {0x86, 1, 2, 3, 4, 5, 6}, {0x03, 9, 0x03, 8}});
  std::mt19937 rng(7);
  for (int i = 0; i < 3000; ++i) {
    auto bytes = good;
    const int flips = 1 + static_cast<int>(rng() % 6);
    for (int k = 0; k < flips; ++k) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
    HeightGrid g;
    std::string detail;
    if (decodeSgiHeightMap(bytes.data(), bytes.size(), "x.rgb", 1.0f, g, detail)) {
      EXPECT_EQ(static_cast<size_t>(g.width) * g.height, g.heights.size());
    } else {
      EXPECT_FALSE(detail.empty());
      EXPECT_EQ('\n', detail.back());
    }
  }
}

TEST(HeightMapReader, ReadsWhatTheGeneratorsSgiWriterWrites) {
  assetgen::Pixels picture(5, 3, 1);
  for (uint32_t y = 0; y < 3; ++y) {
    for (uint32_t x = 0; x < 5; ++x) *picture.at(x, y) = static_cast<uint8_t>(y * 50 + x * (y == 1 ? 0 : 7));
  }
  for (bool runLength : {false, true}) {
    const HeightGrid g = decodeOk(assetgen::writeSGI(picture, runLength));
    ASSERT_EQ(5, g.width);
    ASSERT_EQ(3, g.height);
    // The writer takes rows top first; the file (and so the grid) starts at
    // the bottom row.
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 5; ++c) EXPECT_EQ(*picture.at(c, 2 - r), g.at(c, r)) << runLength;
    }
  }
}

}  // namespace
}  // namespace vorn
