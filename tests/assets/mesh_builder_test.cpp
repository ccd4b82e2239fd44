// The generator's mesh construction: surface nets, simplification, lathes
// and the texture seam repair that the models rely on.
#include "assetgen/mesh_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

using assetgen::Mesh;
using assetgen::Vec3;

const Vec3 kCenter{3.0f, -2.0f, 5.0f};
constexpr float kRadius = 20.0f;

Mesh sphere(float cell) {
  return assetgen::polygonize([](const Vec3& p) { return assetgen::sdSphere(p, kCenter, kRadius); },
                              {-20.0f, -25.0f, -18.0f}, {26.0f, 21.0f, 28.0f}, cell);
}

// Edges used once in each direction: a closed, consistently wound surface.
size_t openEdges(const Mesh& m) {
  std::map<std::pair<uint32_t, uint32_t>, int> directed;
  for (const auto& t : m.triangles)
    for (int e = 0; e < 3; ++e) ++directed[{t[e], t[(e + 1) % 3]}];
  size_t open = 0;
  for (const auto& [edge, count] : directed) {
    const auto back = directed.find({edge.second, edge.first});
    if (count != 1 || back == directed.end() || back->second != 1) ++open;
  }
  return open;
}

double signedVolume(const Mesh& m) {
  double v = 0.0;
  for (const auto& t : m.triangles) {
    v += assetgen::dot(m.positions[t[0]], assetgen::cross(m.positions[t[1]], m.positions[t[2]])) / 6.0;
  }
  return v;
}

TEST(MeshBuilder, SurfaceNetsCloseTheSurfaceOnTheZeroLevelFacingOut) {
  const Mesh m = sphere(2.0f);
  ASSERT_GT(m.triangles.size(), 500u);
  EXPECT_EQ(openEdges(m), 0u);
  for (const Vec3& p : m.positions) EXPECT_NEAR(assetgen::length(assetgen::sub(p, kCenter)), kRadius, 0.1f);
  const double exact = 4.0 / 3.0 * 3.14159265 * kRadius * kRadius * kRadius;
  EXPECT_NEAR(signedVolume(m), exact, exact * 0.03);
}

TEST(MeshBuilder, SimplifyThinsOutWithinItsErrorAndStaysClosed) {
  const Mesh dense = sphere(1.5f);
  const Mesh lean = assetgen::simplify(dense, dense.triangles.size() / 4, 0.4f);
  EXPECT_LT(lean.triangles.size(), dense.triangles.size() / 2);
  EXPECT_GE(lean.triangles.size() + 2, dense.triangles.size() / 4);  // one collapse removes two
  EXPECT_EQ(openEdges(lean), 0u);
  for (const Vec3& p : lean.positions) EXPECT_NEAR(assetgen::length(assetgen::sub(p, kCenter)), kRadius, 0.6f);
  EXPECT_GT(signedVolume(lean), 0.0);
  // A zero error budget keeps every vertex of a curved surface.
  EXPECT_EQ(assetgen::simplify(dense, 0, 0.0f).triangles.size(), dense.triangles.size());
}

TEST(MeshBuilder, SimplifyKeepsMaterialBordersInPlace) {
  Mesh dense = sphere(1.5f);
  assetgen::tagMaterials(dense, [](const Vec3& c) -> uint8_t { return c[2] > kCenter[2] ? 1 : 0; });
  const Mesh lean = assetgen::simplify(dense, dense.triangles.size() / 4, 0.4f);
  ASSERT_EQ(lean.materials.size(), lean.triangles.size());
  size_t top = 0;
  for (size_t i = 0; i < lean.triangles.size(); ++i) {
    float z = 0.0f;
    for (const uint32_t v : lean.triangles[i]) z += lean.positions[v][2] / 3.0f;
    // A triangle's material still matches its side of the border (within a cell).
    EXPECT_TRUE(lean.materials[i] == 1 ? z > kCenter[2] - 1.5f : z < kCenter[2] + 1.5f);
    top += lean.materials[i];
  }
  EXPECT_GT(top, 0u);
  EXPECT_LT(top, lean.triangles.size());
}

TEST(MeshBuilder, LatheClosesItsEndsAndWindsOutwards) {
  const Mesh m = assetgen::lathe({{0, 0}, {10, 0}, {10, 30}, {4, 40}, {0, 40}}, 16);
  ASSERT_EQ(m.uvs.size(), m.positions.size());
  // The seam column is duplicated (u 0 and 1 at the same place) and no face is degenerate.
  for (const auto& t : m.triangles) {
    const Vec3 n = assetgen::cross(assetgen::sub(m.positions[t[1]], m.positions[t[0]]),
                                   assetgen::sub(m.positions[t[2]], m.positions[t[0]]));
    EXPECT_GT(assetgen::length(n), 1e-4f);
  }
  const double exact = 3.14159265 * 100.0 * 30.0 + 3.14159265 * 10.0 / 3.0 * (100.0 + 40.0 + 16.0);
  EXPECT_NEAR(signedVolume(m), exact, exact * 0.05);
}

TEST(MeshBuilder, CylindricalMappingRepairsTheWrapSeam) {
  Mesh m = sphere(2.5f);
  const size_t before = m.positions.size();
  assetgen::mapCylindrical(m, kCenter, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, 0.1f);
  ASSERT_EQ(m.uvs.size(), m.positions.size());
  EXPECT_GT(m.positions.size(), before);  // the seam's corners were copied
  for (const auto& t : m.triangles) {
    // Faces that ring the axis at the poles span every angle; skip them.
    bool nearAxis = false;
    for (const uint32_t v : t) {
      nearAxis = nearAxis || std::hypot(m.positions[v][0] - kCenter[0], m.positions[v][1] - kCenter[1]) < 5.0f;
    }
    if (nearAxis) continue;
    float lo = 1e9f, hi = -1e9f;
    for (const uint32_t v : t) {
      lo = std::min(lo, m.uvs[v][0]);
      hi = std::max(hi, m.uvs[v][0]);
    }
    EXPECT_LE(hi - lo, 0.5f);
  }
  for (size_t i = before; i < m.positions.size(); ++i) EXPECT_GE(m.uvs[i][0], 1.0f);
}

}  // namespace
