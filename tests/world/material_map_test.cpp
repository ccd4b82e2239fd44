// The material map: pixel to weights and blend colours, the BMP reading and
// its refusals.
#include "world/material_map.h"

#include <gtest/gtest.h>

#include <random>

#include "assetgen/image_write.h"
#include "world_test_util.h"

namespace vorn {
namespace {

using test::BmpPixel;

constexpr BmpPixel kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kBlack{0, 0, 0};

std::string decodeError(const std::vector<uint8_t>& bytes, int w, int h) {
  MaterialMap map;
  std::string detail;
  EXPECT_FALSE(decodeMaterialMap(bytes.data(), bytes.size(), "mat.bmp", w, h, map, detail));
  EXPECT_TRUE(map.empty());
  return detail;
}

TEST(MaterialPixels, ColoursPaintSnowGrassAndIce) {
  using W = std::array<float, 3>;
  EXPECT_EQ((W{1, 0, 0}), materialWeights(0, 0, 255));
  EXPECT_EQ((W{0, 1, 0}), materialWeights(0, 255, 0));
  EXPECT_EQ((W{0, 0, 1}), materialWeights(255, 0, 0));
  EXPECT_EQ((W{1, 0, 0}), materialWeights(0, 0, 0)) << "black is pure snow";
  const W mixed = materialWeights(50, 100, 50);  // blue, green, red
  EXPECT_FLOAT_EQ(0.25f, mixed[0]);
  EXPECT_FLOAT_EQ(0.5f, mixed[1]);
  EXPECT_FLOAT_EQ(0.25f, mixed[2]);
}

TEST(MaterialPixels, BlendColourIsGrassShareAndIceAlpha) {
  using C = std::array<float, 4>;
  EXPECT_EQ((C{0, 0, 0, 0}), materialBlendColour(0, 0, 0)) << "black keeps snow and the previous unit";
  EXPECT_EQ((C{0, 0, 0, 1}), materialBlendColour(255, 0, 0)) << "pure blue is full ice";
  EXPECT_EQ((C{1, 1, 1, 0}), materialBlendColour(0, 255, 0));
  EXPECT_EQ((C{0, 0, 0, 0}), materialBlendColour(0, 0, 255));
  const C c = materialBlendColour(100, 75, 25);
  EXPECT_FLOAT_EQ(0.75f, c[0]);
  EXPECT_FLOAT_EQ(0.75f, c[2]);
  EXPECT_FLOAT_EQ(0.5f, c[3]);
}

TEST(MaterialMapReader, WeightsPerGridPointAndColoursPerStripPoint) {
  // 2 x 2 grid: row 0 red, green; row 1 blue, black.
  const auto bytes = test::materialBmp(2, 2, {kRed, kGreen, kBlue, kBlack});
  MaterialMap map;
  std::string detail;
  ASSERT_TRUE(decodeMaterialMap(bytes.data(), bytes.size(), "mat.bmp", 2, 2, map, detail)) << detail;
  EXPECT_EQ(std::vector<float>({1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0}), map.weights);
  // Strip row 0: (0,0) red, (0,1) blue, (1,0) green, (1,1) black.
  EXPECT_EQ(std::vector<float>({0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0}), map.blendColours);
}

TEST(MaterialMapReader, LargerPictureUsesItsOwnRowLength) {
  // 3 x 2 picture for a 2 x 2 grid: the third column is never read.
  const auto bytes = test::materialBmp(3, 2, {kRed, kGreen, kBlack, kBlue, kRed, kGreen});
  MaterialMap map;
  std::string detail;
  ASSERT_TRUE(decodeMaterialMap(bytes.data(), bytes.size(), "mat.bmp", 2, 2, map, detail));
  EXPECT_EQ(std::vector<float>({1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0}), map.weights);
}

TEST(MaterialMapReader, ShortInfoHeaderIsNotSkipped) {
  const auto bytes = test::materialBmp(1, 2, {kGreen, kBlue}, 16);
  MaterialMap map;
  std::string detail;
  ASSERT_TRUE(decodeMaterialMap(bytes.data(), bytes.size(), "mat.bmp", 1, 2, map, detail)) << detail;
  EXPECT_EQ(std::vector<float>({0, 1, 0, 0, 0, 1}), map.weights);
}

TEST(MaterialMapReader, RefusesOtherDepthsForeignFilesAndSmallPictures) {
  EXPECT_EQ("\tunsopported bit format only 24 bit supported : file pixelsize= 8\n",
            decodeError(test::materialBmp(2, 2, {kRed, kRed, kRed, kRed}, 40, 8), 2, 2));
  EXPECT_EQ("\tunsopported bit format only 24 bit supported : file pixelsize= 32\n",
            decodeError(test::materialBmp(2, 2, {kRed, kRed, kRed, kRed}, 40, 32), 2, 2));
  auto foreign = test::materialBmp(2, 2, {kRed, kRed, kRed, kRed});
  foreign[0] = 'P';
  EXPECT_EQ("\tbmp header damaged or unknown : mat.bmp\n", decodeError(foreign, 2, 2));
  EXPECT_EQ("\tmaterial map 2 x 2 does not cover the 3 x 2 grid: mat.bmp\n",
            decodeError(test::materialBmp(2, 2, {kRed, kRed, kRed, kRed}), 3, 2));
  EXPECT_EQ("\tmaterial map 2 x 1 does not cover the 2 x 2 grid: mat.bmp\n",
            decodeError(test::materialBmp(2, 1, {kRed, kRed}), 2, 2));
}

TEST(MaterialMapReader, TruncatedOrLyingFilesFail) {
  const auto good = test::materialBmp(2, 2, {kRed, kGreen, kBlue, kBlack});
  for (size_t size : {size_t{0}, size_t{1}, size_t{13}, size_t{20}, size_t{53}, good.size() - 1}) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(size));
    EXPECT_FALSE(decodeError(cut, 2, 2).empty()) << size;
  }
  // Claims 2^31-1 square pixels and a 4 GiB info header.
  auto huge = good;
  for (int i = 18; i < 26; ++i) huge[i] = i % 4 == 1 ? 0x7F : 0xFF;
  EXPECT_EQ("\tfile truncated: mat.bmp\n", decodeError(huge, 2, 2));
  auto header = good;
  header[14] = header[15] = header[16] = header[17] = 0xFF;
  EXPECT_EQ("\tfile truncated: mat.bmp\n", decodeError(header, 2, 2));
  // Negative height (a top-down picture) cannot cover the grid.
  auto negative = good;
  negative[22] = negative[23] = negative[24] = negative[25] = 0xFF;
  EXPECT_NE(std::string::npos, decodeError(negative, 2, 2).find("does not cover"));
}

TEST(MaterialMapReader, RandomDamageNeverEscapesTheBuffer) {
  const auto good = test::materialBmp(3, 3, {kRed, kGreen, kBlue, kBlack, kRed, kGreen, kBlue, kBlack, kRed});
  std::mt19937 rng(11);
  for (int i = 0; i < 3000; ++i) {
    auto bytes = good;
    for (int k = 0; k < 1 + static_cast<int>(rng() % 5); ++k) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
    MaterialMap map;
    std::string detail;
    if (decodeMaterialMap(bytes.data(), bytes.size(), "m.bmp", 3, 3, map, detail)) {
      EXPECT_EQ(27u, map.weights.size());
    } else {
      EXPECT_FALSE(detail.empty());
    }
  }
}

TEST(MaterialMapReader, ReadsWhatTheGeneratorsBmpWriterWrites) {
  // Width 4: 12-byte rows need no padding, so the packed rows line up.
  assetgen::Pixels picture(4, 2, 3);
  const uint8_t colours[8][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0},
                                 {128, 128, 0}, {10, 20, 30}, {255, 255, 255}, {0, 60, 180}};
  for (uint32_t i = 0; i < 8; ++i) {
    uint8_t* p = picture.at(i % 4, i / 4);
    p[0] = colours[i][0];
    p[1] = colours[i][1];
    p[2] = colours[i][2];
  }
  const auto bytes = assetgen::writeBMP24(picture);
  MaterialMap map;
  std::string detail;
  ASSERT_TRUE(decodeMaterialMap(bytes.data(), bytes.size(), "m.bmp", 4, 2, map, detail)) << detail;
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 4; ++c) {
      const uint8_t* p = picture.at(c, 1 - r);  // picture rows are top first
      const auto expected = materialWeights(p[2], p[1], p[0]);
      for (int k = 0; k < 3; ++k) EXPECT_EQ(expected[k], map.weights[(r * 4 + c) * 3 + k]);
    }
  }
}

}  // namespace
}  // namespace vorn
