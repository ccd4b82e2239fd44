// The shipped course: what the generator writes reads back through the
// game's own readers and is byte for byte the shipped files. (Its light-map
// cache is recomputed in world_gl_test.cpp; that the race can be won on it,
// and only by steering, is tested by the player's races on it.)
#include <gtest/gtest.h>

#include "assetgen/terrain_course.h"
#include "support/test_bytes.h"
#include "world/terrain.h"

namespace vorn {
namespace {

const std::string kDataRoot = VORN_TEST_DATA_ROOT;

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

TEST_F(CourseTest, ReadsBackThroughTheGamesReadersAndIsTheShippedFiles) {
  ASSERT_TRUE(terrain.usable());
  ASSERT_TRUE(course.width == terrain.width() && course.height == terrain.height());
  for (int r = 0; r < course.height; ++r) {
    for (int c = 0; c < course.width; ++c) {
      ASSERT_EQ(course.heights[r * course.width + c], terrain.getHeight(c * 50.0f, r * 50.0f)) << c << "," << r;
      const uint8_t* m = &course.materials[(r * course.width + c) * 3];
      ASSERT_GT(m[0] + m[1] + m[2], 0);
      EXPECT_FLOAT_EQ(static_cast<float>(m[2]) / (m[0] + m[1] + m[2]), terrain.getMaterial(c * 50.0f, r * 50.0f, 2));
    }
  }
  const std::string heights = test::readText(kDataRoot + "/data/maps/twin_paths.rgb");
  if (heights.empty()) GTEST_SKIP() << "no generated data in " << kDataRoot;
  auto text = [](const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); };
  EXPECT_EQ(text(assetgen::encodeCourseHeights(course)), heights);
  const std::string materials = test::readText(kDataRoot + "/data/maps/twin_paths_conv.bmp");
  EXPECT_EQ(text(assetgen::encodeCourseMaterials(course)), materials);
}

}  // namespace
}  // namespace vorn
