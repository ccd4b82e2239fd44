#include "assets/shadow_volume.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "assets/model_build.h"
#include "assets/model_loader.h"

namespace vorn {
namespace {

// A part from corners and triangles, with normals and bounds as loading gives.
VornObjectPart makePart(const std::vector<float>& xyz, const std::vector<uint16_t>& triangles) {
  VornObjectPart part;
  part.vertices = xyz;
  for (size_t i = 0; i + 2 < triangles.size(); i += 3)
    part.faces.insert(part.faces.end(), {triangles[i], triangles[i + 1], triangles[i + 2], 7});
  computeNormals(part);
  part.computeBounds();
  calcBrothers(part);
  return part;
}

// The cube of half-width 1, corner i at (x, y, z) = bits 0, 1, 2 of i, faces wound outwards.
VornObjectPart cube() {
  std::vector<float> xyz;
  for (int i = 0; i < 8; ++i) xyz.insert(xyz.end(), {i & 1 ? 1.f : -1.f, i & 2 ? 1.f : -1.f, i & 4 ? 1.f : -1.f});
  return makePart(xyz, {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4, 2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2,
                        1, 3, 7, 1, 7, 5});
}

void setLight(VornObjectPart& part, float x, float y, float z) {
  const float l[4] = {x, y, z, 0};
  std::copy(l, l + 4, part.lightInPart);
}

// Silhouette edges join into loops: every vertex starts as many as end at it.
bool loopsClose(const VornObjectPart& part, const VornSilhouette& s) {
  std::map<uint32_t, int> balance;
  for (uint32_t i : s.edges) ++balance[part.edges[i].first], --balance[part.edges[i].second];
  return std::all_of(balance.begin(), balance.end(), [](const auto& b) { return b.second == 0; });
}

// A closed cube emits each silhouette edge once, on the side away from the
// light (sides lit edge-on count as lit), extruded away from it; the swept
// bounds tell an eye inside the shadow from one beside or above it.
TEST(ShadowVolume, ClosedCubeSilhouetteForAxisAndDiagonalLights) {
  // edgeY: the y all silhouette corners share, 0: mixed.
  const struct { float light[3]; size_t edges; int edgeY; } cases[] = {
      {{0, 1, 0}, 4, -1}, {{0, -1, 0}, 4, 1}, {{1, 1, 1}, 6, 0}, {{0, 0, 2}, 4, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.light[1] + 10 * c.light[0]);
    VornObjectPart part = cube();
    ASSERT_EQ(part.edges.size(), 36u);
    for (const VornShadowEdge& e : part.edges) EXPECT_GE(e.neighbour, 0);
    setLight(part, c.light[0], c.light[1], c.light[2]);
    VornSilhouette s;
    findSilhouette(part, s, false);
    EXPECT_TRUE(s.edges.size() == c.edges && s.quadCount() == c.edges && loopsClose(part, s)) << s.edges.size();
    for (size_t q = 0; q < s.quads.size(); q += 12) {
      EXPECT_TRUE(!c.edgeY || s.quads[q + 1] == c.edgeY) << s.quads[q + 1];
      EXPECT_FLOAT_EQ(s.quads[q + 7], s.quads[q + 4] - kShadowExtrusion * c.light[1]);
    }
    // The bounded volume is closed by the lit faces pushed away and turned
    // round: every far-cap triangle faces away from the light or edge-on.
    int lit = 0;
    for (uint8_t f : part.facesLit) lit += f;
    ASSERT_EQ(s.capTriangleCount(), 1u * lit);
    const VornVector light(c.light);
    for (size_t t = 0; t < s.caps.size(); t += 9) {
      const VornVector p0(&s.caps[t]), p1(&s.caps[t + 3]), p2(&s.caps[t + 6]);
      EXPECT_LE((p1 - p0).cross(p2 - p0).dot(light), 1e-3f);
      EXPECT_LE(p0.dot(light), 2.0f * std::sqrt(3.0f) - kShadowExtrusion);
    }
    findSilhouette(part, s, true);
    EXPECT_EQ(s.capTriangleCount(), 2u * lit);
  }
  VornObjectPart part = cube();
  setLight(part, 0, 1, 0);
  EXPECT_TRUE(volumeMayReachEye(part, VornVector(0, -500, 0), 0.1f));  // in the shadow below
  EXPECT_TRUE(volumeMayReachEye(part, VornVector(0, 0.5f, 0), 0.1f));  // in the cube
  EXPECT_FALSE(volumeMayReachEye(part, VornVector(0, 5, 0), 1.0f));    // above, towards the light
  EXPECT_FALSE(volumeMayReachEye(part, VornVector(5, -50, 0), 3.9f));  // beside the shadow
  EXPECT_TRUE(volumeMayReachEye(part, VornVector(5, -50, 0), 4.1f));   // ... whose ball reaches in
}

// Open edges of lit faces always emit; an unlit open mesh emits nothing. A
// degenerate face, a vertex index past the array and an edge shared by three
// faces are kept in bounds, and the last sharing face is the neighbour.
TEST(ShadowVolume, OpenAndDamagedMeshesStayInBounds) {
  VornObjectPart square = makePart({-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}, {0, 1, 2, 0, 2, 3});
  VornSilhouette s;
  for (const float z : {1.0f, -1.0f}) {
    setLight(square, 0, 0, z);
    findSilhouette(square, s, false);
    EXPECT_EQ(s.quadCount(), z > 0 ? 4u : 0u);
  }
  // Faces 0..2 share the edge 0-1; face 3 is degenerate; face 4 names vertex 9.
  VornObjectPart fan = makePart({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1},
                                {0, 1, 2, 1, 0, 3, 0, 1, 4, 2, 2, 4, 0, 9, 2});
  ASSERT_EQ(fan.edges.size(), 15u);
  // Face 0's edge 0-1: faces 1 and 2 share it, 2 is last; face 2's: faces 0
  // and 1, 1 is last; none for the degenerate face's edge 2-2.
  EXPECT_EQ(std::make_tuple(fan.edges[0].neighbour, fan.edges[6].neighbour, fan.edges[9].neighbour),
            std::make_tuple(2, 1, -1));
  for (const float l : {1.0f, -1.0f}) {
    setLight(fan, l, l, l);
    findSilhouette(fan, s, true);
    for (uint32_t i : s.edges)
      EXPECT_TRUE(fan.edges[i].first < 5 && fan.edges[i].second < 5 && fan.edges[i].first != fan.edges[i].second);
    EXPECT_EQ(s.quads.size(), s.edges.size() * 12);
  }
}

// The generated cow and riders are closed enough that every part's
// silhouette joins into loops for lights from several sides.
TEST(ShadowVolume, GeneratedCastersGiveClosedSilhouettes) {
  for (const char* name : {"cow_without_ht.3DS", "ork_3_anim.3DS", "ork_2_anim.3DS"}) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(std::string(VORN_TEST_DATA_ROOT) + "/data/models/" + name, bytes, kMaxModelFileBytes));
    VornModelTables tables;
    VornLoadedModel model = buildModelFromBytes(bytes.data(), bytes.size(), name, nullptr, tables);
    ASSERT_FALSE(model.parts.empty());
    size_t edges = 0;
    for (auto& part : model.parts) {
      calcBrothers(*part);
      const float lights[2][3] = {{0, 0.7f, -0.7f}, {0.3f, -1, 0.2f}};
      for (const auto& l : lights) {
        setLight(*part, l[0], l[1], l[2]);
        VornSilhouette s;
        findSilhouette(*part, s, false);
        EXPECT_TRUE(loopsClose(*part, s)) << part->name;
        edges += s.edges.size();
      }
    }
    EXPECT_GT(edges, 0u);
  }
}

}  // namespace
}  // namespace vorn
