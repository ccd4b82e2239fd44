// The light map: layout, cache name, lit grid texels, the white margin, and
// the fast blur against the plain reference.
#include "world/light_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "light_map_reference.h"

namespace vorn {
namespace {

const VornVector kLight = VornVector(0.0f, 1.0f, 1.0f).normalized();

// Heights at random below `range`, or (range 0) rising by `rise` a row from 100.
HeightGrid grid(int w, int h, unsigned seed, int range, float rise = 0.0f) {
  std::mt19937 rng(seed);
  HeightGrid g{w, h, {}};
  for (int i = 0; i < w * h; ++i) g.heights.push_back(range ? rng() % range : 100.0f + rise * (i / w));
  return g;
}

uint8_t grey(const VornImage& image, int x, int z) { return image.pixels[(size_t(z) * image.width + x) * 3]; }

TEST(LightMapLayout, FitsTheLargestFactorIntoAPowerOfTwoAndNamesTheCacheByEveryParameter) {
  struct Case { int w, h, requested, f, texW, texH; } const cases[] = {
      {72, 112, 8, 9, 1024, 1024}, {4, 4, 8, 16, 64, 64},  // 4*16 - 1 = 63 still fits 64
      {72, 100, 8, 10, 1024, 1024},                        // the shipped course: 100*10 - 1 = 999
      {57, 57, 8, 8, 512, 512},                            // 57*9 - 1 = 512 fills it: the factor ends one below
  };
  for (const Case& c : cases) {
    const LightMapLayout l = lightMapLayout(c.w, c.h, c.requested);
    EXPECT_TRUE(l.texelsPerCell == c.f && l.width == c.texW && l.height == c.texH) << c.w << " x " << c.h;
  }
  EXPECT_EQ("data/maps/twin_paths_9_2_3_1.00_0.00_0.00.bmp",
            lightMapCacheName("data/maps/twin_paths.rgb", lightMapLayout(72, 112, 8), 2, 3, {1, 0, 0}));
}

TEST(LightMapLighting, GreysByTheFacingBlendedBetweenGridTexelsWithAWhiteMargin) {
  const LightMapLayout layout{4, 16, 16};
  const VornImage flat = lightMapUnblurred(grid(3, 3, 0, 0, 0.0f), 50.0f, 50.0f, layout, kLight);
  EXPECT_EQ(186, grey(flat, 0, 0));  // 250 * 0.7071 + 10, truncated
  EXPECT_EQ(186, grey(flat, 2, 0));  // a blend of two equal texels
  // The unlit last grid row is white, so rows towards it brighten; so is
  // everything beyond the grid's texels.
  EXPECT_EQ(static_cast<int>(255.0f * 2 / 4 + 186.0f * 2 / 4), grey(flat, 0, 6));
  for (const auto& [x, z] : {std::pair{0, 8}, {9, 0}, {15, 15}}) EXPECT_EQ(255, grey(flat, x, z)) << x << "," << z;
  // Ground rising by 100 a row faces away from a light from +z: the shadow
  // grey; falling ground faces it: brighter than flat.
  const VornImage wall = lightMapUnblurred(grid(3, 3, 0, 0, 100.0f), 50.0f, 50.0f, layout, kLight);
  for (int x : {0, 4, 8}) EXPECT_EQ(kLightMapShadowGrey, grey(wall, x, 4));
  EXPECT_GT(grey(lightMapUnblurred(grid(3, 3, 0, 0, -30.0f), 50.0f, 50.0f, layout, kLight), 0, 0), 186);
}

// The reference blur spells the rounding out; the kernel is raised cosines,
// 4 at the centre and 0.086 at the corners.
TEST(LightMapBlur, FastGivesTheReferencesBytesOnAnyThreadCount) {
  const std::vector<float> w = lightMapBlurKernel(8);
  EXPECT_TRUE(w.size() == 17u * 17u && w[8 * 17 + 8] == 4.0f && std::fabs(w[0] - 0.0858f) < 1e-4f);
  struct Case { int w, h, requested, passes, radius; unsigned seed; int range; } const cases[] = {
      {4, 4, 2, 1, 1, 1, 200}, {6, 5, 3, 2, 2, 2, 200}, {9, 7, 2, 3, 4, 3, 200}, {5, 9, 4, 2, 5, 4, 200},
      {3, 3, 8, 1, 8, 5, 200}, {7, 4, 1, 2, 3, 6, 200},
      // The game's parameters on bright, busy ground: large sums, where single
      // precision rounding of an addition can carry into the integer part.
      {12, 10, kLightMapTexelsPerCell, kLightMapBlurPasses, kLightMapBlurRadius, 9, 40}};
  for (const Case& c : cases) {
    const HeightGrid g = grid(c.w, c.h, c.seed, c.range);
    const LightMapLayout layout = lightMapLayout(c.w, c.h, c.requested);
    VornImage expected = lightMapUnblurred(g, 50.0f, 50.0f, layout, kLight);
    test::referenceBlurLightMap(expected, c.w, c.h, layout.texelsPerCell, c.passes, c.radius);
    for (int threads : {1, 2, 3}) {
      const VornImage fast = computeLightMap(g, 50.0f, 50.0f, layout, c.passes, c.radius, kLight, threads);
      ASSERT_EQ(expected.pixels, fast.pixels) << c.w << "x" << c.h << " R" << c.radius << " threads " << threads;
    }
  }
}

}  // namespace
}  // namespace vorn
