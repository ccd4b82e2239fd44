// The light map: texture layout, cache name, lighting of the grid texels, the
// white margin, and the fast blur against the plain reference.
#include "world/light_map.h"

#include <gtest/gtest.h>

#include <random>

#include "light_map_reference.h"
#include "world/terrain_mesh.h"

namespace vorn {
namespace {

const VornVector kLight = VornVector(0.0f, 1.0f, 1.0f).normalized();

HeightGrid randomGrid(int w, int h, unsigned seed, int range) {
  std::mt19937 rng(seed);
  HeightGrid g;
  g.width = w;
  g.height = h;
  for (int i = 0; i < w * h; ++i) g.heights.push_back(static_cast<float>(rng() % range));
  return g;
}

HeightGrid rampGrid(int w, int h, float risePerRow) {
  HeightGrid g;
  g.width = w;
  g.height = h;
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) g.heights.push_back(100.0f + risePerRow * r);
  }
  return g;
}

const uint8_t* texelAt(const VornImage& image, int x, int z) {
  return &image.pixels[(static_cast<size_t>(z) * image.width + x) * 3];
}

TEST(LightMapLayout, FitsTheLargestFactorIntoAPowerOfTwo) {
  const LightMapLayout course = lightMapLayout(72, 112, 8);
  EXPECT_EQ(9, course.texelsPerCell);
  EXPECT_EQ(1024, course.width);
  EXPECT_EQ(1024, course.height);
  const LightMapLayout small = lightMapLayout(4, 4, 8);  // 4*16 - 1 = 63 still fits 64
  EXPECT_EQ(16, small.texelsPerCell);
  EXPECT_EQ(64, small.width);
  // The shipped 72 x 80 course: 80*12 - 1 = 959 still fits 1024.
  EXPECT_EQ(12, lightMapLayout(72, 80, 8).texelsPerCell);
  // 57*9 - 1 = 512 fills the texture exactly: the factor ends one below.
  EXPECT_EQ(8, lightMapLayout(57, 57, 8).texelsPerCell);
}

TEST(LightMapLayout, CacheNameCarriesEveryParameter) {
  const LightMapLayout layout = lightMapLayout(72, 112, kLightMapTexelsPerCell);
  EXPECT_EQ("data/maps/twin_paths_9_4_8_0.00_0.71_0.71.bmp",
            lightMapCacheName("data/maps/twin_paths.rgb", layout, kLightMapBlurPasses, kLightMapBlurRadius, kLight));
  EXPECT_EQ("x_9_2_3_1.00_0.00_0.00.bmp", lightMapCacheName("x.rgb", layout, 2, 3, VornVector(1, 0, 0)));
}

TEST(LightMapKernel, RaisedCosineFromCentreToCorners) {
  const std::vector<float> w = lightMapBlurKernel(8);
  ASSERT_EQ(17u * 17u, w.size());
  EXPECT_FLOAT_EQ(4.0f, w[8 * 17 + 8]);
  EXPECT_NEAR(0.0858f, w[0], 1e-4f);
  EXPECT_NEAR(0.0858f, w[16 * 17 + 16], 1e-4f);
  EXPECT_EQ(w[3 * 17 + 5], w[5 * 17 + 3]);
}

TEST(LightMapLighting, FlatGroundAndFacesAwayFromTheLight) {
  const HeightGrid flat = rampGrid(4, 4, 0.0f);
  const LightMapLayout layout = lightMapLayout(4, 4, 2);
  const VornImage lit = lightMapUnblurred(flat, 50.0f, 50.0f, layout, kLight);
  // 250 * 0.7071 + 10, truncated.
  EXPECT_EQ(186, texelAt(lit, 0, 0)[0]);
  EXPECT_EQ(186, texelAt(lit, 3 * layout.texelsPerCell, 2 * layout.texelsPerCell)[1]);
  // Ground rising by 100 a row faces away from a light that comes from +z.
  const HeightGrid wall = rampGrid(4, 4, 100.0f);
  const VornImage dark = lightMapUnblurred(wall, 50.0f, 50.0f, layout, kLight);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      const uint8_t* t = texelAt(dark, c * layout.texelsPerCell, r * layout.texelsPerCell);
      EXPECT_EQ(kLightMapShadowGrey, t[0]);
      EXPECT_EQ(kLightMapShadowGrey, t[2]);
    }
  }
  // Falling ground faces the light: brighter than flat.
  const VornImage bright = lightMapUnblurred(rampGrid(4, 4, -30.0f), 50.0f, 50.0f, layout, kLight);
  EXPECT_GT(texelAt(bright, 0, 0)[0], 186);
}

TEST(LightMapLighting, TexelsBetweenGridPointsBlendRowsThenColumns) {
  const HeightGrid g = rampGrid(3, 3, 0.0f);
  const LightMapLayout layout{4, 16, 16};
  const VornImage image = lightMapUnblurred(g, 50.0f, 50.0f, layout, kLight);
  EXPECT_EQ(186, texelAt(image, 2, 0)[0]);  // blend of two equal texels
  EXPECT_EQ(186, texelAt(image, 5, 3)[0]);
  // The unlit last grid row is white, so rows towards it brighten.
  EXPECT_EQ(255, texelAt(image, 0, 8)[0]);
  EXPECT_EQ(static_cast<int>(255.0f * 2 / 4 + 186.0f * 2 / 4), texelAt(image, 0, 6)[0]);
}

TEST(LightMapLighting, MarginBeyondTheLitAreaStaysWhite) {
  const HeightGrid g = randomGrid(5, 6, 3, 120);
  const LightMapLayout layout = lightMapLayout(5, 6, 3);
  const VornImage image = computeLightMap(g, 50.0f, 50.0f, layout, 2, 3, kLight);
  const int f = layout.texelsPerCell;
  for (int z = 0; z < layout.height; ++z) {
    for (int x = 0; x < layout.width; ++x) {
      if (z < (6 - 1) * f && x <= (5 - 1) * f) continue;
      ASSERT_EQ(255, texelAt(image, x, z)[0]) << x << "," << z;
    }
  }
  // Inside, the map is grey and shaded (not all white).
  EXPECT_LT(texelAt(image, f, f)[0], 255);
  EXPECT_EQ(texelAt(image, f, f)[0], texelAt(image, f, f)[2]);
}

TEST(LightMapBlur, KeepsTheBrightnessOfEvenGround) {
  // Flat ground is 186 everywhere it is lit; blurring may only lose the
  // truncated fractions (under one grey level a pass), never brighten it.
  const HeightGrid flat = rampGrid(12, 10, 0.0f);
  const LightMapLayout layout = lightMapLayout(12, 10, kLightMapTexelsPerCell);
  const VornImage image =
      computeLightMap(flat, 50.0f, 50.0f, layout, kLightMapBlurPasses, kLightMapBlurRadius, kLight);
  const int f = layout.texelsPerCell;
  for (int z = 0; z < 5 * f; z += 7) {
    for (int x = 0; x <= 11 * f; x += 5) {
      EXPECT_LE(texelAt(image, x, z)[0], 186) << x << "," << z;
      EXPECT_GE(texelAt(image, x, z)[0], 186 - kLightMapBlurPasses) << x << "," << z;
    }
  }
}

TEST(LightMapBlur, FastEqualsReferenceOnSmallMaps) {
  struct Case {
    int w, h, requested, passes, radius;
    unsigned seed;
  };
  const Case cases[] = {{4, 4, 2, 1, 1, 1}, {6, 5, 3, 2, 2, 2}, {9, 7, 2, 3, 4, 3},
                        {5, 9, 4, 2, 5, 4}, {3, 3, 8, 1, 8, 5}, {7, 4, 1, 2, 3, 6}};
  for (const Case& c : cases) {
    const HeightGrid g = randomGrid(c.w, c.h, c.seed, 200);
    const LightMapLayout layout = lightMapLayout(c.w, c.h, c.requested);
    VornImage expected = lightMapUnblurred(g, 50.0f, 50.0f, layout, kLight);
    test::referenceBlurLightMap(expected, c.w, c.h, layout.texelsPerCell, c.passes, c.radius);
    for (int threads : {1, 2, 3}) {
      const VornImage fast = computeLightMap(g, 50.0f, 50.0f, layout, c.passes, c.radius, kLight, threads);
      ASSERT_EQ(expected.pixels, fast.pixels) << c.w << "x" << c.h << " R" << c.radius << " threads " << threads;
    }
  }
}

TEST(LightMapBlur, FastEqualsReferenceWithTheGamesParameters) {
  // Bright, busy ground at radius 8 and four passes: large sums, where single
  // precision rounding of an addition can carry into the integer part.
  const HeightGrid g = randomGrid(12, 10, 9, 40);
  const LightMapLayout layout = lightMapLayout(12, 10, kLightMapTexelsPerCell);
  VornImage expected = lightMapUnblurred(g, 50.0f, 50.0f, layout, kLight);
  test::referenceBlurLightMap(expected, 12, 10, layout.texelsPerCell, kLightMapBlurPasses, kLightMapBlurRadius);
  const VornImage fast =
      computeLightMap(g, 50.0f, 50.0f, layout, kLightMapBlurPasses, kLightMapBlurRadius, kLight, 2);
  EXPECT_EQ(expected.pixels, fast.pixels);
}

TEST(LightMapBlur, ColourImagesBlurEachChannelLikeTheReference) {
  std::mt19937 rng(5);
  VornImage image;
  image.reset(32, 32, kImageRGB, kImageRGB);
  for (uint8_t& b : image.pixels) b = static_cast<uint8_t>(rng() % 3 == 0 ? 255 : rng());
  VornImage expected = image;
  test::referenceBlurLightMap(expected, 5, 4, 6, 2, 4);
  blurLightMap(image, 5, 4, 6, 2, 4, 2);
  EXPECT_EQ(expected.pixels, image.pixels);
}

TEST(LightMapCoordinates, StretchAcrossTheLitTexels) {
  const LightMapLayout layout{9, 1024, 1024};
  const std::vector<float> uv = lightMapTexCoords(72, 112, layout);
  ASSERT_EQ(static_cast<size_t>(72 * 2 * 111 * 2), uv.size());
  const size_t i = static_cast<size_t>(stripPoint(72, 10, 5)) * 2;
  EXPECT_FLOAT_EQ(45.0f / 1023.0f, uv[i]);
  EXPECT_FLOAT_EQ(90.0f / 1025.0f, uv[i + 1]);
  EXPECT_FLOAT_EQ(99.0f / 1025.0f, uv[i + 3]);
}

}  // namespace
}  // namespace vorn
