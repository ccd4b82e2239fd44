#include "assets/model_loader.h"

#include <gtest/gtest.h>

#include <map>

#include "assets/model_bytes.h"

namespace vorn {
namespace {

using namespace test3ds;

// Hands out texture indices by path, counting the lookups.
struct FakeCache {
  std::map<std::string, int> indices;
  std::vector<std::string> asked;
  VornTextureLookup lookup() {
    return [this](const std::string& path) {
      asked.push_back(path);
      auto found = indices.find(path);
      if (found != indices.end()) return found->second;
      const int index = static_cast<int>(indices.size()) + 10;
      indices[path] = index;
      return index;
    };
  }
};

VornLoadedModel load(const Bytes& bytes, FakeCache& cache, VornModelTables& tables) {
  return buildModelFromBytes(bytes.data(), bytes.size(), "test.3DS", cache.lookup(), tables);
}

TEST(ModelLoader, MapNamesBecomeTextureGroupsCountedFromOne) {
  const std::vector<float> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
  const Bytes bytes = file(chunks({material("Bark", 1, 2, 3, "bark.bmp"), material("Moss", 4, 5, 6, "moss.bmp"),
                                   material("Bark2", 7, 8, 9, "bark.bmp"),
                                   object("Trunk", tri, {0, 1, 2}, faceGroup("Bark", {0})),
                                   object("Top", tri, {0, 1, 2}, faceGroup("Bark2", {0}))}));
  FakeCache cache;
  VornModelTables tables;
  const VornLoadedModel m = load(bytes, cache, tables);
  EXPECT_TRUE(m.faults.empty());
  EXPECT_EQ(cache.asked.front(), "data/textures/bark.bmp");
  ASSERT_EQ(tables.textureGroups.size(), 2u);
  EXPECT_EQ(tables.textureGroups[0]->texture, cache.indices["data/textures/bark.bmp"]);
  EXPECT_EQ(findMaterialByName(tables.materials, "Bark")->map1Group, 1);
  EXPECT_EQ(findMaterialByName(tables.materials, "Moss")->map1Group, 2);
  EXPECT_EQ(findMaterialByName(tables.materials, "Bark2")->map1Group, 1);  // same texture, same group
  EXPECT_EQ(tables.textureGroups[0]->materials.size(), 2u);
  EXPECT_EQ(m.layout.texturedFaceCount, 2u);
  EXPECT_EQ(m.layout.texCoordData.size(), 12u);
}

TEST(ModelLoader, PartsWithoutMaterialGroupsDrawWithDefault) {
  const std::vector<float> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
  FakeCache cache;
  VornModelTables tables;
  const VornLoadedModel m = load(file(object("Plain", tri, {0, 1, 2, 2, 1, 0})), cache, tables);
  ASSERT_NE(m.defaultMaterial, nullptr);
  EXPECT_EQ(m.defaultMaterial->name, "default");
  EXPECT_EQ(m.layout.faceCount, 2u);
  ASSERT_EQ(m.parts[0]->groups.size(), 1u);
  EXPECT_EQ(m.parts[0]->groups[0].material, m.defaultMaterial);
  ASSERT_EQ(m.defaultMaterial->parts.size(), 1u);
  ASSERT_EQ(tables.untexturedMaterials.size(), 1u);
  // A second model reuses "default" and places nothing new.
  const VornLoadedModel again = load(file(object("Plain", tri, {0, 1, 2})), cache, tables);
  EXPECT_EQ(again.defaultMaterial, m.defaultMaterial);
  EXPECT_TRUE(again.newlyPlaced.empty());
  EXPECT_EQ(tables.untexturedMaterials.size(), 1u);
}

TEST(ModelLoader, DamageIsReportedAndTheSoundPartKept) {
  const std::vector<float> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
  const Bytes bytes = file(chunks({object("Good", tri, {0, 1, 2}), object("Bad", tri, {0, 1, 3}),
                                   object("Odd", tri, {0, 1, 2}, faceGroup("Nowhere", {0}))}));
  FakeCache cache;
  VornModelTables tables;
  const VornLoadedModel m = load(bytes, cache, tables);
  ASSERT_EQ(m.faults.size(), 2u);
  EXPECT_NE(m.faults[0].find("part Bad: face 0 names vertex 3 of 3"), std::string::npos);
  EXPECT_NE(m.faults[1].find("material Nowhere"), std::string::npos);
  EXPECT_EQ(m.layout.faceCount, 2u);  // Good, and Odd drawn with the fallback
}

TEST(ModelLoader, NodesAreLinkedAndTraced) {
  const Bytes kf = chunks({chunk(0xB002, chunks({chunk(0xB030, Bytes().u16(4)), nodeHeader("Body", -1)})),
                           chunk(0xB002, chunks({chunk(0xB030, Bytes().u16(5)), nodeHeader("Head", 4)}))});
  FakeCache cache;
  VornModelTables tables;
  const VornLoadedModel m = load(file(Bytes(), kf), cache, tables);
  ASSERT_EQ(m.nodes.size(), 2u);
  EXPECT_EQ(m.nodes[1]->parent, m.nodes[0].get());
  EXPECT_NE(m.trace.find("connected nodes: 4 5"), std::string::npos);
  EXPECT_NE(m.trace.find("object faces: 0"), std::string::npos);
}

TEST(ModelLoader, HandMadeFuzzSeedsLoadWithoutFaults) {
  for (const char* seed : {"triangle.3ds", "material_map.3ds", "keyframer.3ds"}) {
    SCOPED_TRACE(seed);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(std::string(VORN_SOURCE_ROOT) + "/fuzz/seeds/3ds/" + seed, bytes, kMaxModelFileBytes));
    VornModelTables tables;
    const VornLoadedModel m = buildModelFromBytes(bytes.data(), bytes.size(), seed, nullptr, tables);
    EXPECT_TRUE(m.faults.empty()) << m.faults.front();
    EXPECT_GT(m.layout.faceCount, 0u);
  }
}

// The generator's models, as the game loads them: no faults, real meshes,
// linked keyframer nodes for the animated ones, and their side files.
TEST(ModelLoader, GeneratedModelsLoadCleanly) {
  const std::string root = std::string(VORN_TEST_DATA_ROOT) + "/data/models/";
  std::vector<uint8_t> probe;
  if (!readWholeFile(root + "cow_without_ht.3DS", probe, kMaxModelFileBytes)) GTEST_SKIP() << "no generated models";
  struct Expect {
    const char* file;
    size_t clips;  // at least
    bool nodes;
  };
  const Expect models[] = {{"cow_without_ht", 0, true}, {"saule_end_2", 0, false}, {"booze", 0, false},
                           {"saeule", 0, false},        {"tree", 0, false},        {"ork_3_anim", 4, true},
                           {"ork_2_anim", 2, true},     {"root_1", 0, false},      {"mushrooms_1", 0, false},
                           {"reduced_ghost", 0, false}};
  VornModelTables tables;
  for (const Expect& e : models) {
    SCOPED_TRACE(e.file);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(root + e.file + ".3DS", bytes, kMaxModelFileBytes));
    const VornLoadedModel m = buildModelFromBytes(bytes.data(), bytes.size(), e.file, nullptr, tables);
    EXPECT_TRUE(m.faults.empty()) << m.faults.front();
    EXPECT_GE(m.layout.faceCount, 100u);
    if (e.nodes) {
      EXPECT_FALSE(m.nodes.empty());
      size_t bound = 0;
      for (const auto& p : m.parts) bound += p->node != nullptr;
      EXPECT_GT(bound, 0u);
    }
    std::vector<uint8_t> ani;
    readWholeFile(root + e.file + ".ani", ani, kMaxModelFileBytes);
    EXPECT_GE(parseClips(std::string(ani.begin(), ani.end())).size(), e.clips);
  }
  std::vector<uint8_t> mat;
  ASSERT_TRUE(readWholeFile(root + "tree.mat", mat, kMaxModelFileBytes));
  EXPECT_FALSE(parseOverlays(std::string(mat.begin(), mat.end()), tables.materials).empty());
}

}  // namespace
}  // namespace vorn
