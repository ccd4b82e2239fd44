#include "assetgen/terrain.h"

#include <cstdio>

#include "assetgen/course_objects.h"
#include "assetgen/generator.h"
#include "assetgen/terrain_course.h"
#include "assets/bmp_codec.h"
#include "world/terrain.h"

namespace assetgen {
namespace {

constexpr const char* kHeightMapFile = "data/maps/twin_paths.rgb";
constexpr const char* kMaterialMapFile = "data/maps/twin_paths_conv.bmp";
constexpr const char* kObjectMapFile = "data/maps/twin_paths.txt";
constexpr const char* kPlacementImageFile = "data/maps/twin_paths.bmp";
constexpr const char* kBeerListFile = "data/maps/twin_paths_beer.txt";
constexpr int kCourseMapScale = 8;

// The course as the game reads it back, for exact ground heights.
bool loadCourse(const Course& course, vorn::VornTerrain& terrain) {
  const std::vector<uint8_t> heights = encodeCourseHeights(course);
  if (terrain.loadRGBFromBytes(heights.data(), heights.size(), kHeightMapFile) != 0) {
    std::fprintf(stderr, "assetgen: the course does not read back as a height map\n");
    return false;
  }
  return true;
}

CourseObjects courseObjects(const Course& course, const vorn::VornTerrain& terrain) {
  return buildCourseObjects(course, [&terrain](float x, float z) { return terrain.getHeight(x, z); });
}

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
  vorn::VornTerrain terrain;
  if (!loadCourse(buildCourse(), terrain)) return 1;
  const std::string heightMap = root + "/" + kHeightMapFile;
  const vorn::VornImage image = terrain.computeLightMap();
  const std::vector<uint8_t> bmp = vorn::encodeBMP(image);
  return writeFile(terrain.lightMapCacheName(heightMap), bmp.data(), bmp.size()) ? 0 : 1;
}

int generateCourseObjects(const std::string& root) {
  const Course course = buildCourse();
  vorn::VornTerrain terrain;
  if (!loadCourse(course, terrain)) return 1;
  const CourseObjects objects = courseObjects(course, terrain);
  const std::string map = encodeObjectMap(objects);
  const std::vector<uint8_t> image = encodePlacementImage(course, objects);
  const std::string beers = encodeBeerList(objects);
  if (!writeFile(root + "/" + kObjectMapFile, map.data(), map.size())) return 1;
  if (!writeFile(root + "/" + kPlacementImageFile, image.data(), image.size())) return 1;
  return writeFile(root + "/" + kBeerListFile, beers.data(), beers.size()) ? 0 : 1;
}

int generateCourseMap(const std::string& root) {
  const Course course = buildCourse();
  vorn::VornTerrain terrain;
  if (!loadCourse(course, terrain)) return 1;
  Pixels picture = coursePicture(course, kCourseMapScale);
  drawCourseObjects(picture, course, courseObjects(course, terrain), kCourseMapScale);
  const std::vector<uint8_t> bmp = writeBMP24(picture);
  return writeFile(root + "/course_map.bmp", bmp.data(), bmp.size()) ? 0 : 1;
}

}  // namespace assetgen
