#include "assets/model_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

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

// Equal materials are stored once; map names become texture groups counted
// from one, shared by the materials of one texture. A damaged part and an
// unknown material are reported; the sound parts are kept.
TEST(ModelLoader, EqualMaterialsAreStoredOnceMapNamesBecomeTextureGroupsAndDamageIsReported) {
  Loader loader;
  const VornLoadedModel m = loader.load(file(
      chunks({material("Bark", 1, 2, 3, "bark.bmp"), material("Moss", 4, 5, 6, "moss.bmp"),
              material("Bark2", 7, 8, 9, "bark.bmp"), material("Bark", 1, 2, 3, "bark.bmp"),
              material("Moss", 4, 5, 7, "moss.bmp"), object("Trunk", kTriangle, {0, 1, 2}, faceGroup("Bark", {0})),
              object("Top", kTriangle, {0, 1, 2}, faceGroup("Bark2", {0})), object("Bad", kTriangle, {0, 1, 3}),
              object("Odd", kTriangle, {0, 1, 2}, faceGroup("Nowhere", {0}))})));
  ASSERT_EQ(m.faults.size(), 2u);
  EXPECT_NE(m.faults[0].find("part Bad: face 0 names vertex 3 of 3"), std::string::npos);
  EXPECT_NE(m.faults[1].find("material Nowhere"), std::string::npos);
  EXPECT_EQ(m.layout.faceCount, 3u);  // Trunk, Top, and Odd drawn with the fallback
  const VornMaterialList& materials = loader.tables.materials;
  EXPECT_EQ(std::count_if(materials.begin(), materials.end(), [](const auto& x) { return x->name == "Bark"; }), 1);
  EXPECT_EQ(std::count_if(materials.begin(), materials.end(), [](const auto& x) { return x->name == "Moss"; }), 2);
  ASSERT_EQ(loader.tables.textureGroups.size(), 2u);
  EXPECT_EQ(loader.tables.textureGroups[0]->texture, loader.ids.at("data/textures/bark.bmp"));
  EXPECT_EQ(std::make_tuple(findMaterialByName(materials, "Bark")->map1Group,
                            findMaterialByName(materials, "Moss")->map1Group,
                            findMaterialByName(materials, "Bark2")->map1Group),
            std::make_tuple(1, 2, 1));
  EXPECT_EQ(loader.tables.textureGroups[0]->materials.size(), 2u);
  EXPECT_EQ(m.layout.texturedFaceCount, 2u);
}

}  // namespace
}  // namespace vorn
