// The SGI height-map reader: both storage modes, odd run-length rows, damaged
// files. (What the generator writes: course_objects_test.cpp.)
#include "world/height_map.h"

#include <gtest/gtest.h>

#include "world_test_util.h"

namespace vorn {
namespace {

using test::SgiHeader;

std::vector<uint8_t> headerOnly(void (*change)(SgiHeader&)) {
  SgiHeader h;
  h.width = h.height = 2;
  change(h);
  return test::sgiHeader(h).zeros(16).data;
}

// Good files decode row by row into grid rows (the file's first row is grid
// row 0); every refusal leaves the grid empty with its own one-line detail.
// (Random damage is the reader's fuzzer's job.)
TEST(HeightMapReader, DecodesBothStorageModesAndRefusesDamagedFilesWithOneLine) {
  struct Case {  // detail "" when the file decodes
    std::string what;
    std::vector<uint8_t> bytes;
    std::string detail;
    int width = 0;
    std::vector<float> heights = {};
  };
  const std::string truncated = "\tfile truncated: map.rgb\n";
  const std::string unusable = " unusable (2 to 1024 points a side, at most 65536 in all): map.rgb\n";
  const std::string pastTheEnd = "\trow 1 runs past the end of the file: map.rgb\n";
  std::vector<Case> cases = {
      {"verbatim, scaled by 0.5", test::sgiVerbatim({{2, 4, 6}, {8, 10, 12}}), "", 3, {1, 2, 3, 4, 5, 6}},
      {"run-length repeats and literals", test::sgiRunLength(5, {{0x03, 7, 0x82, 1, 2, 0}, {0x85, 9, 8, 7, 6, 5, 0}}),
       "", 5, {7, 7, 7, 1, 2, 9, 8, 7, 6, 5}},
      // The first row's overflow must not reach the second row.
      {"a run-length row longer than the width is cut", test::sgiRunLength(4, {{0x0A, 3, 0x84, 1, 2, 3, 4}, {0x04, 9}}),
       "", 4, {3, 3, 3, 3, 9, 9, 9, 9}},
      // A zero count does not end a row: decoding goes on until it is full.
      {"a short row continues past a zero count", test::sgiRunLength(4, {{0x02, 5, 0, 0, 0x82, 6, 7}, {0x04, 1}}), "",
       4, {5, 5, 6, 7, 1, 1, 1, 1}},
      {"channel 0 of a three-channel file",
       test::sgiRunLength(2, {{2, 11}, {2, 12}, {2, 21}, {2, 22}, {2, 31}, {2, 32}}, 3), "", 2, {11, 11, 12, 12}},
      {"magic", headerOnly([](SgiHeader& h) { h.magic = 475; }), "\tmagic!=474\n"},
      {"storage", headerOnly([](SgiHeader& h) { h.storage = 2; }), "\tformat>1\n"},
      {"two bytes a channel", headerOnly([](SgiHeader& h) { h.bytesPerChannel = 2; }), "\bpc==2 not supported\n"},
      {"five channels", headerOnly([](SgiHeader& h) { h.channels = 5; }), "\tzsize>4\n"},
      {"colour map", headerOnly([](SgiHeader& h) { h.colourMap = 1; }), "\tcolormap!=0\n"},
      {"no channels", headerOnly([](SgiHeader& h) { h.channels = 0; }), "\tno channels (zsize 0): map.rgb\n"},
      // Refused before the grid is allocated.
      {"huge", headerOnly([](SgiHeader& h) { h.storage = 1; h.width = h.height = 65535; }),
       "\tgrid 65535 x 65535" + unusable},
      {"too many points", headerOnly([](SgiHeader& h) { h.width = h.height = 1024; }), "\tgrid 1024 x 1024" + unusable},
      {"one column", headerOnly([](SgiHeader& h) { h.width = 1; h.height = 50; }), "\tgrid 1 x 50" + unusable},
      {"last row runs off the file", test::sgiRunLength(4, {{0x04, 1}, {0x02, 5}}), pastTheEnd},
      {"literal cut by the end", test::sgiRunLength(4, {{0x04, 1}, {0x84, 1, 2}}), pastTheEnd},
      {"row tables cut short", test::sgiRunLength(2, {{0x02, 1}, {0x02, 2}}), truncated},
      {"row start outside the file", test::sgiRunLength(2, {{0x02, 1}, {0x02, 2}}),
       "\trow 1 starts outside the file: map.rgb\n"},
  };
  cases[16].bytes.resize(520);
  cases[17].bytes[516] = 0x7F;  // the second start entry, far beyond the file
  const std::vector<uint8_t> full = test::sgiVerbatim({{1, 2, 3}, {4, 5, 6}});
  for (size_t size : {size_t{0}, size_t{1}, size_t{3}, size_t{100}, size_t{511}, full.size() - 1})
    cases.push_back({"cut at " + std::to_string(size), {full.begin(), full.begin() + long(size)}, truncated});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HeightGrid g;
    std::string detail;
    const float scale = &c == &cases[0] ? 0.5f : 1.0f;
    EXPECT_EQ(decodeSgiHeightMap(c.bytes.data(), c.bytes.size(), "map.rgb", scale, g, detail), c.detail.empty());
    EXPECT_EQ(detail, c.detail);
    EXPECT_TRUE(g.width == c.width && g.heights == c.heights && g.width * g.height == int(c.heights.size()));
  }
  HeightGrid g;
  std::string detail;
  EXPECT_FALSE(decodeSgiHeightMap(nullptr, 100, "map.rgb", 1.0f, g, detail));
  EXPECT_EQ(detail, truncated);
}

}  // namespace
}  // namespace vorn
