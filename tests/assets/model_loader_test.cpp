#include "assets/model_loader.h"

#include <gtest/gtest.h>

#include <map>

#include "assets/assets_test_util.h"

namespace vorn {
namespace {

using namespace test::tds;
using test::Bytes;

const std::vector<float> kTriangle{0, 0, 0, 1, 0, 0, 0, 1, 0};

// Hands out texture indices by path and remembers what was asked.
struct Loader {
  std::map<std::string, int> ids;
  VornModelTables tables;
  VornLoadedModel load(const Bytes& bytes) {
    const auto lookup = [this](const std::string& path) { return ids.emplace(path, ids.size()).first->second; };
    return buildModelFromBytes(bytes.data.data(), bytes.size(), "test.3DS", lookup, tables);
  }
};

TEST(ModelLoader, MapNamesBecomeTextureGroupsCountedFromOne) {
  Loader loader;
  const VornLoadedModel m = loader.load(file(
      chunks({material("Bark", 1, 2, 3, "bark.bmp"), material("Moss", 4, 5, 6, "moss.bmp"),
              material("Bark2", 7, 8, 9, "bark.bmp"), object("Trunk", kTriangle, {0, 1, 2}, faceGroup("Bark", {0})),
              object("Top", kTriangle, {0, 1, 2}, faceGroup("Bark2", {0}))})));
  EXPECT_TRUE(m.faults.empty());
  ASSERT_EQ(loader.tables.textureGroups.size(), 2u);
  EXPECT_EQ(loader.tables.textureGroups[0]->texture, loader.ids.at("data/textures/bark.bmp"));
  EXPECT_EQ(findMaterialByName(loader.tables.materials, "Bark")->map1Group, 1);
  EXPECT_EQ(findMaterialByName(loader.tables.materials, "Moss")->map1Group, 2);
  EXPECT_EQ(findMaterialByName(loader.tables.materials, "Bark2")->map1Group, 1);  // same texture, same group
  EXPECT_EQ(loader.tables.textureGroups[0]->materials.size(), 2u);
  EXPECT_EQ(m.layout.texturedFaceCount, 2u);
}

TEST(ModelLoader, DamageIsReportedAndTheSoundPartsKept) {
  Loader loader;
  const VornLoadedModel m =
      loader.load(file(chunks({object("Good", kTriangle, {0, 1, 2}), object("Bad", kTriangle, {0, 1, 3}),
                               object("Odd", kTriangle, {0, 1, 2}, faceGroup("Nowhere", {0}))})));
  ASSERT_EQ(m.faults.size(), 2u);
  EXPECT_NE(m.faults[0].find("part Bad: face 0 names vertex 3 of 3"), std::string::npos);
  EXPECT_NE(m.faults[1].find("material Nowhere"), std::string::npos);
  EXPECT_EQ(m.layout.faceCount, 2u);  // Good, and Odd drawn with the fallback
}

}  // namespace
}  // namespace vorn
