#include "assetgen/terrain.h"

#include <cstdio>

#include "assetgen/generator.h"
#include "assetgen/terrain_course.h"
#include "assets/bmp_codec.h"
#include "world/terrain.h"

namespace assetgen {
namespace {

constexpr const char* kHeightMapFile = "data/maps/twin_paths.rgb";
constexpr const char* kMaterialMapFile = "data/maps/twin_paths_conv.bmp";
constexpr int kCourseMapScale = 8;

}  // namespace

int generateTerrain(const std::string& root) {
  const Course course = buildCourse();
  const std::vector<uint8_t> heights = encodeCourseHeights(course);
  const std::vector<uint8_t> materials = encodeCourseMaterials(course);
  if (!writeFile(root + "/" + kHeightMapFile, heights.data(), heights.size())) return 1;
  if (!writeFile(root + "/" + kMaterialMapFile, materials.data(), materials.size())) return 1;
  return 0;
}

int generateLightMap(const std::string& root) {
  // The course is rebuilt from the same deterministic design rather than read
  // back, so this kind does not depend on the order the kinds run in; the
  // game's own reader and light-map code do the rest.
  const std::vector<uint8_t> heights = encodeCourseHeights(buildCourse());
  vorn::VornTerrain terrain;
  const std::string heightMap = root + "/" + kHeightMapFile;
  if (terrain.loadRGBFromBytes(heights.data(), heights.size(), heightMap) != 0) {
    std::fprintf(stderr, "assetgen: the course does not read back as a height map\n");
    return 1;
  }
  const vorn::VornImage image = terrain.computeLightMap();
  const std::vector<uint8_t> bmp = vorn::encodeBMP(image);
  return writeFile(terrain.lightMapCacheName(heightMap), bmp.data(), bmp.size()) ? 0 : 1;
}

int generateCourseMap(const std::string& root) {
  const std::vector<uint8_t> bmp = writeBMP24(coursePicture(buildCourse(), kCourseMapScale));
  return writeFile(root + "/course_map.bmp", bmp.data(), bmp.size()) ? 0 : 1;
}

}  // namespace assetgen
