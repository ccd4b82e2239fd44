// The shipped course: the generator's five files are the shipped ones and read
// back through the game's readers to the ground, objects and bottles it
// designed. (Races among them: race_objects.sh; the autopilot: autopilot_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "assetgen/course_objects.h"
#include "assetgen/terrain_course.h"
#include "assets/model_loader.h"
#include "base/error_log.h"
#include "player/autopilot.h"
#include "support/test_bytes.h"
#include "world/object_map.h"
#include "world/terrain.h"

namespace vorn {
namespace {

constexpr int kTreeModel = 4;
const int kKindModels[] = {kTreeModel, 3, 1, 7, 8};  // tree, pillar, pillar end, root, mushrooms

// The game's model table: which model each kind's file is.
int modelIndexOf(const std::string& path) {
  const char* names[] = {"tree", "saeule", "saule_end_2", "root_1", "mushrooms_1"};
  for (int k = 0; k < 5; ++k)
    if (path == std::string("data/models/") + names[k] + ".3DS") return kKindModels[k];
  return -1;
}

// The files are the generator's bytes and read back to what it designed (from
// its bytes, so this also runs before the data are built): its heights and
// materials at every grid point; every object on its kind's model, upright
// where the generator put it with its foot in the ground, trees 50 to 80 tall
// and clear of both racing lines (the wide-boxed fourth far from them);
// bottles at ground height + 1.5, each within the autopilot's reach of a
// racing line, as many on one path as on the other.
TEST(ShippedCourse, TheGeneratorsFilesAreTheShippedOnesAndReadBackAsDesigned) {
  const std::string dataRoot = VORN_TEST_DATA_ROOT;
  setErrorLogPath("course_objects_err.txt");
  std::remove("course_objects_err.txt");
  const assetgen::Course course = assetgen::buildCourse();
  const auto heights = assetgen::encodeCourseHeights(course);
  const auto materials = assetgen::encodeCourseMaterials(course);
  VornTerrain terrain;
  ASSERT_EQ(0, terrain.loadRGBFromBytes(heights.data(), heights.size(), "data/maps/twin_paths.rgb"));
  ASSERT_EQ(0, terrain.loadMatMapFromBytes(materials.data(), materials.size(), "data/maps/twin_paths_conv.bmp"));
  const auto ground = [&terrain](float x, float z) { return terrain.getHeight(x, z); };
  const assetgen::CourseObjects generated = assetgen::buildCourseObjects(course, ground);
  const std::string map = assetgen::encodeObjectMap(generated), beers = assetgen::encodeBeerList(generated);
  const auto image = assetgen::encodePlacementImage(course, generated);
  const auto text = [](const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); };
  for (const auto& [file, made] : {std::pair{"twin_paths.rgb", text(heights)}, {"twin_paths_conv.bmp", text(materials)},
                                   {"twin_paths.txt", map}, {"twin_paths.bmp", text(image)},
                                   {"twin_paths_beer.txt", beers}}) {
    const std::string shipped = test::readText(dataRoot + "/data/maps/" + file);
    EXPECT_TRUE(shipped.empty() || shipped == made) << file << " is not what the generator writes";
  }

  ASSERT_TRUE(terrain.usable() && course.width == terrain.width() && course.height == terrain.height());
  for (int r = 0; r < course.height; ++r)
    for (int c = 0; c < course.width; ++c) {
      ASSERT_EQ(course.heights[r * course.width + c], terrain.getHeight(c * 50.0f, r * 50.0f)) << c << "," << r;
      const uint8_t* m = &course.materials[(r * course.width + c) * 3];
      ASSERT_GT(m[0] + m[1] + m[2], 0);
      EXPECT_FLOAT_EQ(static_cast<float>(m[2]) / (m[0] + m[1] + m[2]), terrain.getMaterial(c * 50.0f, r * 50.0f, 2));
    }

  VornKindList kinds;
  readObjectMap(reinterpret_cast<const uint8_t*>(map.data()), map.size(), modelIndexOf, kinds);
  VornPlacementImage placement;
  std::string detail;
  ASSERT_TRUE(decodePlacementImage(image.data(), image.size(), "twin_paths.bmp", placement, detail)) << detail;
  VornActionObjectList objects;
  placeAll(planPlacements(placement, kinds, 10, terrain.width(), terrain.height(), 50.0f, 50.0f), kinds, ground,
           objects);
  const std::vector<VornVector> bottles = parseBeerList(reinterpret_cast<const uint8_t*>(beers.data()), beers.size());
  EXPECT_EQ("", test::readText(errorLogPath())) << "the readers reported a line";
  // The tree model's height in file units, as the game's loader sees it
  // (its bounds along the model's own z axis).
  const std::string tree = test::readText(dataRoot + "/data/models/tree.3DS");
  VornModelTables tables;
  const VornLoadedModel treeModel = buildModelFromBytes(reinterpret_cast<const uint8_t*>(tree.data()), tree.size(),
                                                        "data/models/tree.3DS", [](const std::string&) { return -1; },
                                                        tables);
  const float treeExtent = treeModel.boundsMax.z - treeModel.boundsMin.z;

  ASSERT_EQ(objects.size(), generated.objects.size());
  int trees = 0;
  for (size_t i = 0; i < objects.size(); ++i) {
    const VornActionObject& o = *objects[i];
    const assetgen::CourseObject& g = generated.objects[i];
    SCOPED_TRACE("object " + std::to_string(i));
    ASSERT_EQ(o.modelIndex, kKindModels[g.kind]);
    const VornVector p = o.transform.position();
    EXPECT_TRUE(std::fabs(p.x - g.x()) < 0.01f && std::fabs(p.z - g.z()) < 0.01f) << p.x << "," << p.z;
    // The model is drawn centred on its bounds: its foot is below p.
    const float foot = p.y - g.scale * assetgen::courseKindCentreHeight(g.kind);
    EXPECT_TRUE(foot <= terrain.getHeight(p.x, p.z) && foot > terrain.getHeight(p.x, p.z) - 5.0f) << foot;
    // The file's up axis (z) is the world's up axis.
    VornVector up(0.0f, 0.0f, 1.0f);
    o.transform.rotation().transformDirection(up);
    EXPECT_GT(up.y, 0.9999f);
    if (o.modelIndex != kTreeModel) continue;
    ++trees;
    const float height = o.transform.scale().x * treeExtent;
    EXPECT_TRUE(height > 50.0f && height < 80.0f) << height;
    for (const std::vector<float>& line : generated.racingLines) {
      const float lineX = line[static_cast<size_t>(std::lround(p.z / 50.0f))];
      EXPECT_GT(std::fabs(p.x - lineX), trees == 4 ? 300.0f : 50.0f) << "tree " << trees;
    }
  }
  ASSERT_EQ(bottles.size(), generated.bottles.size());
  int onPath[2] = {0, 0};
  for (size_t i = 0; i < bottles.size(); ++i) {
    const VornVector& b = bottles[i];
    EXPECT_TRUE(std::fabs(b.x - generated.bottles[i][0]) < 0.01f && std::fabs(b.z - generated.bottles[i][2]) < 0.01f);
    EXPECT_NEAR(b.y, terrain.getHeight(b.x, b.z) + 1.5f, 0.01f);
    bool near[2];
    for (int path = 0; path < 2; ++path)
      onPath[path] += near[path] = std::fabs(b.x - generated.racingLines[path][static_cast<size_t>(b.z / 50.0f)]) <
                                   VornAutopilot::kBottleReach;
    EXPECT_TRUE(near[0] || near[1]) << "bottle " << i << " is beyond both paths' reach";
  }
  EXPECT_TRUE(onPath[0] > 0 && onPath[0] == onPath[1]) << onPath[0] << " and " << onPath[1] << " bottles";
}

}  // namespace
}  // namespace vorn
