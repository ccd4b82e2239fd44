#include "assets/model_build.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <tuple>

namespace vorn {
namespace {

// The weld as a pairwise loop: every later vertex at exactly the same position
// has its references replaced by the earlier one.
void weldPairwise(VornObjectPart& part) {
  const uint32_t n = part.vertexCount();
  for (uint32_t i = 0; i < n; ++i)
    for (uint32_t j = i + 1; j < n; ++j) {
      const float *a = &part.vertices[i * 3], *b = &part.vertices[j * 3];
      if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) continue;
      for (size_t f = 0; f < part.faces.size(); ++f)
        if (f % 4 != 3 && part.faces[f] == j) part.faces[f] = static_cast<uint16_t>(i);
    }
}

TEST(ModelWeld, GivesTheSameFacesAsThePairwiseLoop) {
  std::mt19937 rng(42);
  // Few distinct values so that many positions repeat; signed zeros and a NaN
  // check that equality is exactly float equality.
  const float values[] = {0.0f, -0.0f, 1.0f, 2.5f, -3.0f, NAN};
  for (int round = 0; round < 200; ++round) {
    VornObjectPart hashed;
    const uint32_t vertices = 1 + rng() % 60;
    for (uint32_t i = 0; i < vertices * 3; ++i) {
      const float v = values[rng() % 6];
      hashed.vertices.push_back(std::isnan(v) && rng() % 4 != 0 ? 1.0f : v);
    }
    for (uint32_t f = 1 + rng() % 80; f > 0; --f) {
      for (int c = 0; c < 3; ++c) hashed.faces.push_back(static_cast<uint16_t>(rng() % vertices));
      hashed.faces.push_back(7);
    }
    hashed.sourceFaces = hashed.faces;
    VornObjectPart pairwise = hashed;
    weldVertices(hashed);
    weldPairwise(pairwise);
    ASSERT_EQ(hashed.faces, pairwise.faces) << "round " << round;
    // The source faces are kept for the u, v pairs; the vertices are never compacted.
    EXPECT_TRUE(hashed.sourceFaces == pairwise.sourceFaces && hashed.vertices.size() == vertices * 3u);
  }
}

// Two triangles folded along the x axis, and a degenerate one.
TEST(ModelNormals, AveragedOverTheFacesOfAVertexAndZeroForDegenerateFaces) {
  VornObjectPart p;
  p.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 5, 5, 6, 6, 6, 7, 7, 7};
  p.faces = {0, 1, 2, 0, 0, 3, 1, 0, 4, 5, 6, 0};
  computeNormals(p);
  const float h = std::sqrt(0.5f);
  const std::vector<float> expected{0, h, h, 0, h, h, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(p.vertexNormals.at(k), expected[k], 1e-6) << k;
}

// Part A: face 0 plain ("Horn"), face 1 textured ("Spots"). Part B: no groups.
struct Layout : ::testing::Test {
  void SetUp() override {
    VornMaterial t("Spots");
    t.map1Group = 1;
    textured = materials[addMaterial(t, materials)].get();
    plain = materials[addMaterial(VornMaterial("Horn"), materials)].get();
    fallback = materials[addMaterial(VornMaterial("default"), materials)].get();
    auto a = std::make_unique<VornObjectPart>();
    a->vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    a->texCoords = {0.0f, 0.1f, 1.0f, 0.2f, 1.0f, 1.0f, 0.0f, 0.9f};
    a->faces = a->sourceFaces = {0, 1, 2, 0, 0, 2, 3, 0};
    a->groups = {{"Horn", {0}, 0, nullptr}, {"Spots", {1}, 0, nullptr}};
    a->hadMaterialGroups = true;
    auto b = std::make_unique<VornObjectPart>();
    b->vertices = {5, 5, 5, 6, 5, 5, 5, 6, 5};
    b->faces = b->sourceFaces = {0, 1, 2, 0};
    parts.push_back(std::move(a));
    parts.push_back(std::move(b));
    for (auto& p : parts) computeNormals(*p);
  }
  VornMaterialList materials;
  VornPartList parts;
  VornMaterial *textured = nullptr, *plain = nullptr, *fallback = nullptr;
};

TEST_F(Layout, TexturedGroupsComeFirstThenUntexturedThenDefault) {
  EXPECT_EQ(resolveMaterialGroups(parts, materials, fallback), "");
  const VornModelLayout layout = buildLayout(parts, fallback);
  EXPECT_EQ(std::make_tuple(layout.faceCount, layout.texturedFaceCount), std::make_tuple(3u, 1u));
  // Triangle 0 is face 1 (corners 0, 2, 3) with its u, v pairs; part B comes last.
  EXPECT_EQ(layout.vertexData,
            (std::vector<float>{0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 5, 5, 5, 6, 5, 5, 5, 6, 5}));
  EXPECT_EQ(layout.texCoordData, (std::vector<float>{0.0f, 0.1f, 1.0f, 1.0f, 0.0f, 0.9f}));
  EXPECT_FLOAT_EQ(layout.normalData[2], 1.0f);
  const VornObjectPart& a = *parts[0];
  ASSERT_EQ(parts[1]->groups.size(), 1u);
  EXPECT_EQ(std::make_tuple(a.groups[1].start, a.groups[0].start, parts[1]->groups[0].start), std::make_tuple(0, 1, 2));
  EXPECT_EQ(std::make_tuple(parts[1]->groups[0].material, textured->partStarts, plain->partStarts),
            std::make_tuple(fallback, std::vector<int>{0}, std::vector<int>{1}));
  EXPECT_EQ(fallback->parts, std::vector<VornObjectPart*>{parts[1].get()});
  EXPECT_EQ(std::make_tuple(a.groupAt(1), a.groupAt(7)), std::make_tuple(&a.groups[0], nullptr));
}

TEST_F(Layout, UnknownMaterialsDrawWithTheFallbackAndMissingUvsReadAsZero) {
  parts[0]->groups[0].materialName = "Missing";
  parts[0]->texCoords.resize(2);  // only vertex 0 has a u, v pair
  EXPECT_EQ(resolveMaterialGroups(parts, materials, fallback), "Missing");
  EXPECT_EQ(parts[0]->groups[0].material, fallback);
  EXPECT_EQ(buildLayout(parts, fallback).texCoordData, (std::vector<float>{0.0f, 0.1f, 0, 0, 0, 0}));
}

// The side files' readers: damaged lines are passed over, never misread.
TEST(ModelSideFiles, ClipAndOverlayLines) {
  EXPECT_EQ(sideFileName("data/models/ork_2_anim.3DS", "ani") + sideFileName("ab", "mat"),
            "data/models/ork_2_anim.ani");
  const auto clips =
      parseClips("0 20 1.5\nnot a clip\n20 45 2\r\n7 3\n0 10 nan\n0 10 inf\n0 10 -2\n-2147483648 2147483647 1\n");
  ASSERT_EQ(clips.size(), 3u);
  EXPECT_EQ(std::make_tuple(clips[0].start, clips[0].length, clips[0].duration), std::make_tuple(0, 20, 1.5f));
  EXPECT_EQ(std::make_tuple(clips[1].start, clips[1].length, clips[1].duration), std::make_tuple(20, 25, 2.0f));
  EXPECT_EQ(clips[2].length, INT_MAX);  // clamped, not overflowed
  EXPECT_TRUE(parseClips("").empty());

  VornMaterialList materials;
  for (const char* name : {"", "Leaves", "Bark"}) addMaterial(VornMaterial(name), materials);
  const auto requests =
      parseOverlays("Bark\ndata/textures/x.bmp\nLeaves_1\ndata/textures/leaf_a.bmp\r\nLeaves\n", materials);
  ASSERT_EQ(requests.size(), 2u);  // the unnamed material matches nothing; the last name has no file
  EXPECT_EQ(std::make_tuple(requests[0].material->name, requests[0].textureFile),
            std::make_tuple("Bark", "data/textures/x.bmp"));
  EXPECT_EQ(std::make_tuple(requests[1].material->name, requests[1].textureFile),  // line end removed
            std::make_tuple("Leaves", "data/textures/leaf_a.bmp"));
}

}  // namespace
}  // namespace vorn
