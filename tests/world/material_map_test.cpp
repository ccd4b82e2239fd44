// The material map: pixels to weights and blend colours, the BMP reading,
// damaged files. (What the generator writes: course_objects_test.cpp.)
#include "world/material_map.h"

#include <gtest/gtest.h>

#include "world_test_util.h"

namespace vorn {
namespace {

using test::BmpPixel;

constexpr BmpPixel kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kBlack{0, 0, 0};

// Red paints snow, green grass, blue ice, black pure snow; the blend colour
// is grey by the grass share between snow and grass, alpha by the ice share.
// Every refusal leaves the map empty with its own one-line detail. (Random
// damage is the reader's fuzzer's job.)
TEST(MaterialMapReader, WeightsPerGridPointBlendColoursPerStripPointAndOneLinePerDamage) {
  EXPECT_EQ((std::array<float, 3>{0.25f, 0.5f, 0.25f}), materialWeights(50, 100, 50));  // blue, green, red
  EXPECT_EQ((std::array<float, 4>{0.75f, 0.75f, 0.75f, 0.5f}), materialBlendColour(100, 75, 25));
  struct Case {
    std::string what;
    std::vector<uint8_t> bytes;
    int gridWidth;
    std::string detail;  // "" when the file decodes
    std::vector<float> weights = {};
  };
  const std::vector<uint8_t> good = test::materialBmp(2, 2, {kRed, kGreen, kBlue, kBlack});
  const std::string truncated = "\tfile truncated: mat.bmp\n";
  std::vector<Case> cases = {
      // Grid row 0 red, green; row 1 blue, black.
      {"a 2 x 2 picture", good, 2, "", {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0}},
      {"a wider picture: its third column is never read",
       test::materialBmp(3, 2, {kRed, kGreen, kBlack, kBlue, kRed, kGreen}), 2, "",
       {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0}},
      {"a short info header is not skipped", test::materialBmp(1, 2, {kGreen, kBlue}, 16), 1, "", {0, 1, 0, 0, 0, 1}},
      {"8-bit", test::materialBmp(2, 2, {kRed, kRed, kRed, kRed}, 40, 8), 2,
       "\tunsopported bit format only 24 bit supported : file pixelsize= 8\n"},
      {"32-bit", test::materialBmp(2, 2, {kRed, kRed, kRed, kRed}, 40, 32), 2,
       "\tunsopported bit format only 24 bit supported : file pixelsize= 32\n"},
      {"foreign", good, 2, "\tbmp header damaged or unknown : mat.bmp\n"},
      {"too narrow", good, 3, "\tmaterial map 2 x 2 does not cover the 3 x 2 grid: mat.bmp\n"},
      {"too short", test::materialBmp(2, 1, {kRed, kRed}), 2,
       "\tmaterial map 2 x 1 does not cover the 2 x 2 grid: mat.bmp\n"},
      // A negative height is a top-down picture, which cannot cover the grid.
      {"negative height", good, 2, "\tmaterial map 2 x -1 does not cover the 2 x 2 grid: mat.bmp\n"},
      {"2^31-1 square pixels", good, 2, truncated},
      {"4 GiB info header", good, 2, truncated},
  };
  cases[5].bytes[0] = 'P';
  for (int i = 22; i < 26; ++i) cases[8].bytes[i] = 0xFF;
  for (int i = 18; i < 26; ++i) cases[9].bytes[i] = i % 4 == 1 ? 0x7F : 0xFF;
  for (int i = 14; i < 18; ++i) cases[10].bytes[i] = 0xFF;
  for (size_t size : {size_t{0}, size_t{1}, size_t{13}, size_t{20}, size_t{53}, good.size() - 1})
    cases.push_back({"cut at " + std::to_string(size), {good.begin(), good.begin() + static_cast<long>(size)}, 2,
                     size < 2 ? cases[5].detail : truncated});
  // Strip row 0 of the first: (0,0) red, (0,1) blue, (1,0) green, (1,1) black.
  const std::vector<float> blend = {0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MaterialMap map;
    std::string detail;
    EXPECT_EQ(decodeMaterialMap(c.bytes.data(), c.bytes.size(), "mat.bmp", c.gridWidth, 2, map, detail),
              c.detail.empty());
    EXPECT_TRUE(detail == c.detail && map.weights == c.weights) << detail;
    EXPECT_TRUE(&c != &cases[0] || map.blendColours == blend);
  }
}

}  // namespace
}  // namespace vorn
