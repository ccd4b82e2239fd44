// The textures the generator writes: each loads through the game's own
// reader without an err.txt line, the ground textures tile without a seam,
// the snow is bright, and the six sky faces meet at the cube's edges the way
// the sky box maps them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "assets/image_files.h"
#include "assets/image_test_util.h"

namespace vorn {
namespace {

const std::string kTextures = std::string(VORN_TEST_DATA_ROOT) + "/data/textures/";

class GeneratedTextures : public test::ErrLogFixture {
 protected:
  VornImage load(const std::string& name) {
    const std::string path = kTextures + name;
    VornImage image;
    const ReaderChoice choice = chooseImageReader(path);
    EXPECT_EQ(readImageFile(choice.format, choice.path, image), 0) << path;
    return image;
  }
};

int pixel(const VornImage& image, uint32_t x, uint32_t y, int channel) {
  return image.pixels[(size_t{y} * image.width + x) * image.bytesPerPixel() + static_cast<size_t>(channel)];
}

// Mean absolute difference of pixel pairs, all channels.
template <typename PairFn>
double meanDifference(const VornImage& image, uint32_t pairs, PairFn pairAt) {
  double sum = 0;
  for (uint32_t i = 0; i < pairs; ++i) {
    const auto p = pairAt(i);
    for (int c = 0; c < 3; ++c) sum += std::abs(pixel(image, p[0], p[1], c) - pixel(image, p[2], p[3], c));
  }
  return sum / (pairs * 3.0);
}

TEST_F(GeneratedTextures, GroundTexturesLoadAndTileSeamlessly) {
  for (const char* name : {"snow4.tga", "grass11.tga", "ice8.tga"}) {
    SCOPED_TRACE(name);
    const VornImage image = load(name);
    ASSERT_EQ(image.width, 512u);
    ASSERT_EQ(image.height, 512u);
    const uint32_t n = image.width;
    // The step from the last column (row) to the first must look like any
    // step between neighbouring columns (rows) inside the tile: a seam would
    // stand out above all of them.
    double steepestColumn = 0, steepestRow = 0;
    for (uint32_t k = 0; k + 1 < n; ++k) {
      steepestColumn = std::max(steepestColumn, meanDifference(image, n, [k](uint32_t y) {
        return std::array<uint32_t, 4>{k, y, k + 1, y};
      }));
      steepestRow = std::max(steepestRow, meanDifference(image, n, [k](uint32_t x) {
        return std::array<uint32_t, 4>{x, k, x, k + 1};
      }));
    }
    const double acrossX = meanDifference(image, n, [n](uint32_t y) {
      return std::array<uint32_t, 4>{n - 1, y, 0, y};
    });
    const double acrossY = meanDifference(image, n, [n](uint32_t x) {
      return std::array<uint32_t, 4>{x, n - 1, x, 0};
    });
    EXPECT_LE(acrossX, steepestColumn);
    EXPECT_LE(acrossY, steepestRow);
  }
  EXPECT_EQ(errLog(), "");
}

TEST_F(GeneratedTextures, SnowIsBrightEnoughForTheLightMap) {
  const VornImage snow = load("snow4.tga");
  ASSERT_FALSE(snow.pixels.empty());
  double sum = 0;
  for (uint8_t b : snow.pixels) sum += b;
  EXPECT_GT(sum / snow.pixels.size(), 215.0);
}

TEST_F(GeneratedTextures, LoadScreenIsASquareRgbPicture) {
  const VornImage screen = load("load_screen.bmp");
  EXPECT_EQ(screen.width, 512u);
  EXPECT_EQ(screen.height, 512u);
  EXPECT_EQ(screen.format, kImageRGB);
  EXPECT_EQ(errLog(), "");
}

// The sky box's faces as it draws them: texture (s, t) at three corners.
struct FaceCorners {
  const char* name;
  std::array<float, 3> origin, sAxis, tAxis;  // P(s, t) = origin + s * sAxis + t * tAxis
};

FaceCorners face(const char* name, std::array<float, 3> at00, std::array<float, 3> at10,
                 std::array<float, 3> at01) {
  FaceCorners f{name, at00, {}, {}};
  for (int k = 0; k < 3; ++k) {
    f.sAxis[k] = at10[k] - at00[k];
    f.tAxis[k] = at01[k] - at00[k];
  }
  return f;
}

TEST_F(GeneratedTextures, SkyFacesMeetAtTheCubeEdges) {
  const std::array<FaceCorners, 6> faces = {
      face("up", {10, 10, 10}, {-10, 10, 10}, {10, 10, -10}),
      face("lt", {10, -10, -10}, {10, -10, 10}, {10, 10, -10}),
      face("ft", {10, -10, 10}, {-10, -10, 10}, {10, 10, 10}),
      face("rt", {-10, -10, 10}, {-10, -10, -10}, {-10, 10, 10}),
      face("bk", {-10, -10, -10}, {10, -10, -10}, {-10, 10, -10}),
      face("dn", {10, -10, -10}, {-10, -10, -10}, {10, -10, 10}),
  };
  std::array<VornImage, 6> images;
  for (size_t i = 0; i < 6; ++i) {
    images[i] = load(std::string("sky3/") + faces[i].name + ".tga");
    ASSERT_EQ(images[i].width, 512u) << faces[i].name;
  }
  const uint32_t n = images[0].width;
  double seamSum = 0, insideSum = 0;
  int samples = 0;
  for (size_t f = 0; f < 6; ++f) {
    for (int edge = 0; edge < 4; ++edge) {
      for (uint32_t i = 0; i < n; ++i) {
        // A point on this edge, and this face's pixel and inward neighbour there.
        const float along = (i + 0.5f) / n;
        const float s = edge == 0 ? 0.0f : edge == 1 ? 1.0f : along;
        const float t = edge == 2 ? 0.0f : edge == 3 ? 1.0f : along;
        const uint32_t x = std::min(static_cast<uint32_t>(s * n), n - 1), y = std::min(static_cast<uint32_t>(t * n), n - 1);
        const uint32_t ix = edge == 0 ? 1 : edge == 1 ? n - 2 : x, iy = edge == 2 ? 1 : edge == 3 ? n - 2 : y;
        std::array<float, 3> p;
        for (int k = 0; k < 3; ++k) p[k] = faces[f].origin[k] + s * faces[f].sAxis[k] + t * faces[f].tAxis[k];
        for (size_t g = 0; g < 6; ++g) {
          if (g == f) continue;
          // Project onto face g; the point must lie in its plane and square.
          float gs = 0, gt = 0, off = 0;
          std::array<float, 3> normal{faces[g].sAxis[1] * faces[g].tAxis[2] - faces[g].sAxis[2] * faces[g].tAxis[1],
                                      faces[g].sAxis[2] * faces[g].tAxis[0] - faces[g].sAxis[0] * faces[g].tAxis[2],
                                      faces[g].sAxis[0] * faces[g].tAxis[1] - faces[g].sAxis[1] * faces[g].tAxis[0]};
          for (int k = 0; k < 3; ++k) {
            const float d = p[k] - faces[g].origin[k];
            gs += d * faces[g].sAxis[k] / 400.0f;
            gt += d * faces[g].tAxis[k] / 400.0f;
            off += d * normal[k];
          }
          if (std::fabs(off) > 1e-2f || gs < -1e-4f || gs > 1.0001f || gt < -1e-4f || gt > 1.0001f) continue;
          const uint32_t gx = std::min(static_cast<uint32_t>(std::max(gs, 0.0f) * n), n - 1);
          const uint32_t gy = std::min(static_cast<uint32_t>(std::max(gt, 0.0f) * n), n - 1);
          for (int c = 0; c < 3; ++c) {
            seamSum += std::abs(pixel(images[f], x, y, c) - pixel(images[g], gx, gy, c));
            insideSum += std::abs(pixel(images[f], x, y, c) - pixel(images[f], ix, iy, c));
          }
          ++samples;
        }
      }
    }
  }
  ASSERT_GT(samples, 6 * 4 * static_cast<int>(n) * 9 / 10);
  const double seam = seamSum / (samples * 3.0), inside = insideSum / (samples * 3.0);
  EXPECT_LT(seam, inside * 1.5 + 1.0) << "seam " << seam << " inside " << inside;
  EXPECT_EQ(errLog(), "");
}

}  // namespace
}  // namespace vorn
