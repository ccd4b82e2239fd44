#include "assets/model_build.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "assets/model_bytes.h"
#include "assets/model_parser.h"

namespace vorn {
namespace {

// The weld as a pairwise loop: every later vertex at exactly the same position
// has its references replaced by the earlier one.
void weldPairwise(VornObjectPart& part) {
  const uint32_t n = part.vertexCount();
  for (uint32_t i = 0; i < n; ++i) {
    for (uint32_t j = i + 1; j < n; ++j) {
      const float* a = &part.vertices[i * 3];
      const float* b = &part.vertices[j * 3];
      if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) continue;
      for (size_t f = 0; f < part.faces.size(); f += 4) {
        for (int c = 0; c < 3; ++c) {
          if (part.faces[f + c] == j) part.faces[f + c] = static_cast<uint16_t>(i);
        }
      }
    }
  }
}

std::unique_ptr<VornObjectPart> randomPart(std::mt19937& rng, uint32_t vertexCount, uint32_t faceCount) {
  auto part = std::make_unique<VornObjectPart>();
  // Few distinct values so that many positions repeat; signed zeros and a NaN
  // check that equality is exactly float equality.
  const float values[] = {0.0f, -0.0f, 1.0f, 2.5f, -3.0f, NAN};
  std::uniform_int_distribution<int> pick(0, 5);
  for (uint32_t i = 0; i < vertexCount * 3; ++i) {
    float v = values[pick(rng)];
    if (std::isnan(v) && rng() % 4 != 0) v = 1.0f;
    part->vertices.push_back(v);
  }
  for (uint32_t f = 0; f < faceCount; ++f) {
    for (int c = 0; c < 3; ++c) part->faces.push_back(static_cast<uint16_t>(rng() % vertexCount));
    part->faces.push_back(7);
  }
  part->sourceFaces = part->faces;
  return part;
}

TEST(ModelWeld, GivesTheSameFacesAsThePairwiseLoop) {
  std::mt19937 rng(42);
  for (int round = 0; round < 200; ++round) {
    const uint32_t vertices = 1 + rng() % 60;
    auto hashed = randomPart(rng, vertices, 1 + rng() % 80);
    VornObjectPart pairwise = *hashed;
    weldVertices(*hashed);
    weldPairwise(pairwise);
    ASSERT_EQ(hashed->faces, pairwise.faces) << "round " << round;
    EXPECT_EQ(hashed->vertices.size(), vertices * 3u);  // never compacted
  }
}

TEST(ModelWeld, KeepsTheUnweldedCornersForTextureCoordinates) {
  VornObjectPart p;
  p.vertices = {0, 0, 0, 1, 0, 0, 0, 0, 0};
  p.faces = {2, 1, 0, 0};
  p.sourceFaces = p.faces;
  weldVertices(p);
  EXPECT_EQ(p.faces, (std::vector<uint16_t>{0, 1, 0, 0}));
  EXPECT_EQ(p.sourceFaces, (std::vector<uint16_t>{2, 1, 0, 0}));
}

TEST(ModelNormals, FaceAndVertexNormalsAreAveragedAndUnit) {
  VornObjectPart p;
  // Two triangles folded at 90 degrees along the x axis.
  p.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  p.faces = {0, 1, 2, 0, 0, 3, 1, 0};
  computeNormals(p);
  EXPECT_FLOAT_EQ(p.faceNormals[2], 1.0f);   // first face faces +z
  EXPECT_FLOAT_EQ(p.faceNormals[4], 1.0f);   // second faces +y
  const float h = std::sqrt(0.5f);
  EXPECT_NEAR(p.vertexNormals[1], h, 1e-6);  // shared vertex 0: between the two
  EXPECT_NEAR(p.vertexNormals[2], h, 1e-6);
  EXPECT_FLOAT_EQ(p.vertexNormals[8], 1.0f);  // vertex 2: first face only
}

TEST(ModelNormals, DegenerateFacesLeaveZeroNormals) {
  VornObjectPart p;
  p.vertices = {0, 0, 0, 1, 1, 1, 2, 2, 2};
  p.faces = {0, 1, 2, 0};
  computeNormals(p);
  for (float v : p.vertexNormals) EXPECT_EQ(v, 0.0f);
}

TEST(ModelNormals, WeldingAcrossATextureSeamSharesTheNormals) {
  VornObjectPart p;
  // Two triangles folded along the edge (0,0,0)-(1,0,0), each with its own
  // copy of the edge vertices as a texture seam leaves them.
  p.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0, /* seam copies */ 0, 0, 0, 1, 0, 0, 0, 0, 1};
  p.faces = {0, 1, 2, 0, 3, 5, 4, 0};
  p.sourceFaces = p.faces;
  weldVertices(p);
  computeNormals(p);
  // Both faces now use vertices 0 and 1: each corner sees both face normals.
  const float h = std::sqrt(0.5f);
  for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(p.vertexNormals[c], p.vertexNormals[3 + c]);
  EXPECT_NEAR(p.vertexNormals[0], 0.0f, 1e-6);
  EXPECT_NEAR(p.vertexNormals[1], h, 1e-6);
  EXPECT_NEAR(p.vertexNormals[2], h, 1e-6);
}

struct LayoutFixture : ::testing::Test {
  VornMaterialList materials;
  VornPartList parts;
  VornMaterial* textured = nullptr;
  VornMaterial* plain = nullptr;
  VornMaterial* fallback = nullptr;

  void SetUp() override {
    VornMaterial t("Spots");
    t.map1Group = 1;
    textured = materials[addMaterial(t, materials)].get();
    plain = materials[addMaterial(VornMaterial("Horn"), materials)].get();
    fallback = materials[addMaterial(VornMaterial("default"), materials)].get();
    // Part A: face 0 plain, face 1 textured. Part B: no groups.
    auto a = std::make_unique<VornObjectPart>();
    a->name = "A";
    a->vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    a->texCoords = {0.0f, 0.1f, 1.0f, 0.2f, 1.0f, 1.0f, 0.0f, 0.9f};
    a->faces = {0, 1, 2, 0, 0, 2, 3, 0};
    a->sourceFaces = a->faces;
    a->groups.push_back({"Horn", {0}, 0, nullptr});
    a->groups.push_back({"Spots", {1}, 0, nullptr});
    a->hadMaterialGroups = true;
    auto b = std::make_unique<VornObjectPart>();
    b->name = "B";
    b->vertices = {5, 5, 5, 6, 5, 5, 5, 6, 5};
    b->faces = {0, 1, 2, 0};
    b->sourceFaces = b->faces;
    parts.push_back(std::move(a));
    parts.push_back(std::move(b));
    for (auto& p : parts) computeNormals(*p);
  }
};

TEST_F(LayoutFixture, TexturedGroupsComeFirstThenUntexturedThenDefault) {
  EXPECT_EQ(resolveMaterialGroups(parts, materials, fallback), "");
  std::string report;
  const VornModelLayout layout = buildLayout(parts, fallback, &report);
  EXPECT_EQ(layout.faceCount, 3u);
  EXPECT_EQ(layout.texturedFaceCount, 1u);
  ASSERT_EQ(layout.vertexData.size(), 27u);
  ASSERT_EQ(layout.texCoordData.size(), 6u);
  const VornObjectPart& a = *parts[0];
  EXPECT_EQ(a.groups[1].start, 0);  // textured first
  EXPECT_EQ(a.groups[0].start, 1);
  ASSERT_EQ(parts[1]->groups.size(), 1u);
  EXPECT_EQ(parts[1]->groups[0].start, 2);
  EXPECT_EQ(parts[1]->groups[0].material, fallback);
  // Triangle 0 is face 1 (corners 0, 2, 3) with its u, v pairs.
  EXPECT_FLOAT_EQ(layout.vertexData[3], 1.0f);
  EXPECT_FLOAT_EQ(layout.vertexData[4], 1.0f);
  EXPECT_FLOAT_EQ(layout.texCoordData[1], 0.1f);
  EXPECT_FLOAT_EQ(layout.texCoordData[5], 0.9f);
  EXPECT_FLOAT_EQ(layout.normalData[2], 1.0f);
  EXPECT_FLOAT_EQ(layout.vertexData[18], 5.0f);  // part B last
  ASSERT_EQ(textured->parts.size(), 1u);
  EXPECT_EQ(textured->partStarts[0], 0);
  EXPECT_EQ(plain->partStarts[0], 1);
  EXPECT_EQ(fallback->parts[0], parts[1].get());
  EXPECT_NE(report.find("bufferPos: 2"), std::string::npos);
  EXPECT_EQ(a.groupAt(1), &a.groups[0]);
  EXPECT_EQ(a.groupAt(7), nullptr);
}

TEST_F(LayoutFixture, UnknownMaterialNamesDrawWithTheFallback) {
  parts[0]->groups[0].materialName = "Missing";
  EXPECT_EQ(resolveMaterialGroups(parts, materials, fallback), "Missing");
  EXPECT_EQ(parts[0]->groups[0].material, fallback);
}

TEST_F(LayoutFixture, MissingTextureCoordinatesReadAsZero) {
  parts[0]->texCoords.resize(2);  // only vertex 0 has a u, v pair
  resolveMaterialGroups(parts, materials, fallback);
  const VornModelLayout layout = buildLayout(parts, fallback);
  EXPECT_FLOAT_EQ(layout.texCoordData[1], 0.1f);
  EXPECT_FLOAT_EQ(layout.texCoordData[2], 0.0f);
}

TEST(ModelBounds, UnionOfPartsAndZeroWithoutParts) {
  VornPartList parts;
  VornVector lo(9, 9, 9), hi(9, 9, 9);
  computeModelBounds(parts, lo, hi);
  EXPECT_EQ(lo.x, 0.0f);
  EXPECT_EQ(hi.z, 0.0f);
  for (const std::vector<float>& v : {std::vector<float>{1, 2, 3, 4, 5, 6}, std::vector<float>{-1, 3, 10}}) {
    auto p = std::make_unique<VornObjectPart>();
    p->vertices = v;
    p->computeBounds();
    parts.push_back(std::move(p));
  }
  computeModelBounds(parts, lo, hi);
  EXPECT_EQ(lo.x, -1.0f);
  EXPECT_EQ(lo.y, 2.0f);
  EXPECT_EQ(hi.y, 5.0f);
  EXPECT_EQ(hi.z, 10.0f);
}

TEST(ModelRest, CentresThenAppliesTheNodeAtFrameZeroAndThePartFrame) {
  VornObjectPart part;
  part.matrix.translate(1, 0, 0);
  VornKeyNode node;
  const float pos[3] = {0, 10, 0};
  node.addPositionKey(pos, 0);
  node.setPivot(VornVector(0, 0, 2));
  VornVector p(0, 0, 0);
  restMatrix(part, VornVector(5, 5, 5)).transformPoint(p);
  EXPECT_FLOAT_EQ(p.x, -4.0f);
  part.node = &node;
  p = VornVector(0, 0, 0);
  restMatrix(part, VornVector(5, 5, 5)).transformPoint(p);
  EXPECT_FLOAT_EQ(p.x, -4.0f);
  EXPECT_FLOAT_EQ(p.y, 5.0f);
  EXPECT_FLOAT_EQ(p.z, -7.0f);
}

TEST(ModelSideFiles, ClipLinesAndNames) {
  EXPECT_EQ(sideFileName("data/models/ork_2_anim.3DS", "ani"), "data/models/ork_2_anim.ani");
  EXPECT_EQ(sideFileName("ab", "mat"), "");
  const auto clips = parseClips("0 20 1.5\nnot a clip\n20 45 2\r\n7 3\n");
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_EQ(clips[0].start, 0);
  EXPECT_EQ(clips[0].length, 20);
  EXPECT_FLOAT_EQ(clips[0].duration, 1.5f);
  EXPECT_EQ(clips[1].length, 25);
  EXPECT_TRUE(parseClips("").empty());
  // Durations that would make every frame of a clip undefined are damage.
  const auto damaged = parseClips("0 10 nan\n0 10 inf\n0 10 -2\n5 9 0.5\n");
  ASSERT_EQ(damaged.size(), 1u);
  EXPECT_EQ(damaged[0].start, 5);
}

TEST(ModelSideFiles, OverlayLinesNameAMaterialByPrefixThenItsTexture) {
  VornMaterialList materials;
  addMaterial(VornMaterial(""), materials);
  addMaterial(VornMaterial("Leaves"), materials);
  addMaterial(VornMaterial("Bark"), materials);
  const auto requests = parseOverlays("Bark\ndata/textures/x.bmp\nLeaves_1\ndata/textures/leaf_a.bmp\r\nLeaves\n", materials);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].material->name, "Bark");
  EXPECT_EQ(requests[0].textureFile, "data/textures/x.bmp");
  EXPECT_EQ(requests[1].material->name, "Leaves");
  EXPECT_EQ(requests[1].textureFile, "data/textures/leaf_a.bmp");  // line end removed, last char kept
}

TEST(ModelPipeline, DamagedFilesGoThroughEveryStepSafely) {
  using namespace test3ds;
  const std::vector<float> quad{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  const Bytes good = file(chunks({material("Skin", 255, 0, 0, "cow.bmp"),
                                  object("Body", quad, {0, 1, 2, 0, 2, 3}, faceGroup("Skin", {0, 1}),
                                         texCoords({0, 0, 1, 0, 1, 1, 0, 1}))}));
  std::mt19937 rng(3);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes(good.b);
    for (int k = 0; k < 4; ++k) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    VornModelData model;
    parse3ds(bytes.data(), bytes.size(), model);
    validateModel(model);
    VornMaterialList materials;
    for (auto& m : model.materials) {
      m->map1Group = m->map1.fileName.empty() ? 0 : 1;
      addMaterial(*m, materials);
    }
    VornMaterial* fallback = materials[addMaterial(VornMaterial("default"), materials)].get();
    for (auto& p : model.parts) {
      weldVertices(*p);
      computeNormals(*p);
    }
    resolveMaterialGroups(model.parts, materials, fallback);
    const VornModelLayout layout = buildLayout(model.parts, fallback);
    ASSERT_EQ(layout.vertexData.size(), layout.faceCount * 9u);
  }
}

}  // namespace
}  // namespace vorn
