// The shipped course: what the generator writes reads back through the
// game's own readers, has the shape the race needs, and the shipped
// light-map cache is exactly what the game computes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "assetgen/terrain_course.h"
#include "assets/bmp_codec.h"
#include "world/terrain.h"

namespace vorn {
namespace {

const std::string kDataRoot = VORN_TEST_DATA_ROOT;

std::vector<uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CourseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto heights = assetgen::encodeCourseHeights(course);
    const auto materials = assetgen::encodeCourseMaterials(course);
    ASSERT_EQ(0, terrain.loadRGBFromBytes(heights.data(), heights.size(), "data/maps/twin_paths.rgb"));
    ASSERT_EQ(0, terrain.loadMatMapFromBytes(materials.data(), materials.size(), "data/maps/twin_paths_conv.bmp"));
  }
  const assetgen::Course course = assetgen::buildCourse();
  VornTerrain terrain;
};

TEST_F(CourseTest, ReadsBackAsAUsableTerrainOfTheDesignedSize) {
  EXPECT_TRUE(terrain.usable());
  EXPECT_EQ(72, terrain.width());
  // Long enough for both paths and the final run, short enough for the
  // 15 s race clock at the speeds the 8-bit drop allows.
  EXPECT_GE(terrain.height(), 70);
  EXPECT_LE(terrain.height(), 90);
  for (int r = 0; r < course.height; ++r) {
    for (int c = 0; c < course.width; ++c) {
      ASSERT_EQ(course.heights[r * course.width + c], terrain.getHeight(c * 50.0f, r * 50.0f)) << c << "," << r;
      const uint8_t* m = &course.materials[(r * course.width + c) * 3];
      const int sum = m[0] + m[1] + m[2];
      ASSERT_GT(sum, 0);
      EXPECT_FLOAT_EQ(static_cast<float>(m[2]) / sum, terrain.getMaterial(c * 50.0f, r * 50.0f, 2));
    }
  }
}

TEST_F(CourseTest, RunsDownhillFromTheStartToTheFinish) {
  const VornVector start = terrain.startPosition();
  EXPECT_EQ(2000.0f, start.x);
  const float finishZ = (terrain.height() - 2) * 50.0f;
  const float startGround = terrain.getHeight(start.x, start.z);
  const float finishGround = terrain.getHeight(course.leftPath[course.height - 2] * 50.0f, finishZ);
  EXPECT_GT(startGround - finishGround, 200.0f) << "most of the 8-bit range is spent on the drop";
  // The start is on the track, well inside the walls.
  EXPECT_LT(std::abs(course.leftPath[2] * 50.0f - start.x), 8 * 50.0f);
  // Along both paths the ground never climbs more than a kicker's ramp.
  for (const auto* path : {&course.leftPath, &course.rightPath}) {
    for (int r = 2; r + 1 < course.height - 1; ++r) {
      const float here = terrain.getHeight((*path)[r] * 50.0f, r * 50.0f);
      const float next = terrain.getHeight((*path)[r + 1] * 50.0f, (r + 1) * 50.0f);
      EXPECT_LT(next - here, 17.0f) << "row " << r;
    }
  }
}

TEST_F(CourseTest, TwoPathsAroundARidgeWithBanksBeforeTheWalls) {
  const int mid = 36;
  const float left = course.leftPath[mid], right = course.rightPath[mid];
  EXPECT_GT(right - left, 20.0f) << "the paths split";
  const float ridge = terrain.getHeight((left + right) * 25.0f, mid * 50.0f);
  EXPECT_GT(ridge - terrain.getHeight(left * 50.0f, mid * 50.0f), 40.0f);
  EXPECT_GT(ridge - terrain.getHeight(right * 50.0f, mid * 50.0f), 40.0f);
  EXPECT_LT(std::abs(course.leftPath[10] - course.rightPath[10]), 0.01f) << "one run at the start";
  EXPECT_LT(std::abs(course.leftPath[course.height - 12] - course.rightPath[course.height - 12]), 0.01f)
      << "joined before the finish";
  // Banks: next to each wall the ground is far above the track.
  for (int r = 5; r < course.height - 2; r += 9) {
    const float track = terrain.getHeight(course.leftPath[r] * 50.0f, r * 50.0f);
    EXPECT_GT(terrain.getHeight(3 * 50.0f, r * 50.0f) - track, 15.0f) << r;
    EXPECT_GT(terrain.getHeight((course.width - 4) * 50.0f, r * 50.0f) - track, 15.0f) << r;
  }
}

TEST_F(CourseTest, PaintsSnowIceAndGrass) {
  int ice = 0, grass = 0, snow = 0;
  for (size_t i = 0; i < course.materials.size(); i += 3) {
    snow += course.materials[i] > 200;
    grass += course.materials[i + 1] > 200;
    ice += course.materials[i + 2] > 200;
  }
  const int points = course.width * course.height;
  EXPECT_GT(snow, points / 2) << "snow is the base";
  EXPECT_GT(ice, 60);
  EXPECT_GT(grass, 100);
  // An icy stretch lies on the left path where steering fails.
  EXPECT_GT(terrain.getMaterial(course.leftPath[31] * 50.0f, 31 * 50.0f, 2), 0.95f);
}

TEST_F(CourseTest, ShippedFilesAreTheGeneratorsOutput) {
  const auto heights = readAll(kDataRoot + "/data/maps/twin_paths.rgb");
  const auto materials = readAll(kDataRoot + "/data/maps/twin_paths_conv.bmp");
  if (heights.empty()) GTEST_SKIP() << "no generated data in " << kDataRoot;
  EXPECT_EQ(assetgen::encodeCourseHeights(course), heights);
  EXPECT_EQ(assetgen::encodeCourseMaterials(course), materials);
}

TEST_F(CourseTest, ShippedLightMapCacheIsWhatTheGameComputes) {
  const std::string name = terrain.lightMapCacheName(kDataRoot + "/data/maps/twin_paths.rgb");
  EXPECT_EQ(kDataRoot + "/data/maps/twin_paths_12_4_8_0.00_0.71_0.71.bmp", name);
  const auto cached = readAll(name);
  if (cached.empty()) GTEST_SKIP() << "no generated light map in " << kDataRoot;
  EXPECT_EQ(encodeBMP(terrain.computeLightMap()), cached);
}

}  // namespace
}  // namespace vorn
