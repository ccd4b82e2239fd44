// The strip mesh, barrier walls, texture-coordinate sets and the surface
// lookup that the height and material queries share.
#include "world/terrain_mesh.h"

#include <gtest/gtest.h>

#include <cmath>

#include "math/vector.h"

namespace vorn {
namespace {

HeightGrid grid(int w, int h) {
  HeightGrid g;
  g.width = w;
  g.height = h;
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) g.heights.push_back(static_cast<float>(r * 10 + c));
  }
  return g;
}

VornVector point(const TerrainMesh& m, int index) { return VornVector(&m.vertices[static_cast<size_t>(index) * 3]); }

TEST(TerrainMesh, StripPointsPairEachGridPointWithTheOneBelowIt) {
  const TerrainMesh m = buildTerrainMesh(grid(4, 3), 50.0f, 50.0f);
  EXPECT_EQ(4 * 2 * 2, m.stripPointCount);
  EXPECT_EQ(static_cast<size_t>(m.pointCount()) * 3, m.vertices.size());
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 4; ++c) {
      const VornVector a = point(m, stripPoint(4, r, c));
      const VornVector b = point(m, stripPoint(4, r, c) + 1);
      EXPECT_EQ(c * 50.0f, a.x);
      EXPECT_EQ(r * 50.0f, a.z);
      EXPECT_EQ(static_cast<float>(r * 10 + c), a.y);
      EXPECT_EQ(c * 50.0f, b.x);
      EXPECT_EQ((r + 1) * 50.0f, b.z);
      EXPECT_EQ(static_cast<float>((r + 1) * 10 + c), b.y);
    }
  }
}

TEST(TerrainMesh, CellsSplitAlongTheDiagonalWithUpwardNormals) {
  const TerrainMesh m = buildTerrainMesh(grid(4, 3), 50.0f, 50.0f);
  ASSERT_EQ(static_cast<size_t>(3 * 2 * 6 + kBarrierIndexCount), m.indices.size());
  // Cell (1, 1): p = 2*4*1 + 2.
  const int p = 10;
  const std::vector<int32_t> expected = {p, p + 1, p + 2, p + 1, p + 3, p + 2};
  EXPECT_EQ(expected, std::vector<int32_t>(m.indices.begin() + 6 * 4, m.indices.begin() + 6 * 5));
  for (int t = 0; t < 3 * 2 * 2; ++t) {
    const VornVector n = triangleNormal(point(m, m.indices[t * 3]), point(m, m.indices[t * 3 + 1]),
                                        point(m, m.indices[t * 3 + 2]));
    EXPECT_GT(n.y, 0.9f) << t;
  }
}

TEST(TerrainMesh, BarrierWallsStandOnTheCourseEdgesFacingInwards) {
  const int w = 10, h = 8;
  const TerrainMesh m = buildTerrainMesh(grid(w, h), 50.0f, 50.0f);
  const float x1 = 100.0f, x2 = (w - 3) * 50.0f, z1 = 50.0f, z2 = (h - 2) * 50.0f;
  const VornVector centre((x1 + x2) / 2, 500.0f, (z1 + z2) / 2);
  const size_t first = m.indices.size() - kBarrierIndexCount;
  for (size_t t = first; t < m.indices.size(); t += 3) {
    const VornVector a = point(m, m.indices[t]), b = point(m, m.indices[t + 1]), c = point(m, m.indices[t + 2]);
    for (const VornVector& v : {a, b, c}) {
      EXPECT_TRUE(v.x == x1 || v.x == x2);
      EXPECT_TRUE(v.z == z1 || v.z == z2);
      EXPECT_TRUE(v.y == 0.0f || v.y == kBarrierHeight);
      EXPECT_GE(m.indices[t], m.stripPointCount);
    }
    const VornVector n = triangleNormal(a, b, c);
    EXPECT_GT(n.dot(centre - a), 0.0f) << "wall triangle " << (t - first) / 3 << " faces outwards";
  }
}

TEST(TerrainMesh, GroundAndShadowCoordinatesFollowTheGrid) {
  const auto snow = groundTexCoords(4, 3, kSnowTextureCells);
  const auto shadow = shadowTexCoords(4, 3);
  ASSERT_EQ(static_cast<size_t>(4 * 2 * 2 * 2), snow.size());
  ASSERT_EQ(snow.size(), shadow.size());
  // Strip point of (c=3, r=1) and the point below it.
  const size_t i = static_cast<size_t>(stripPoint(4, 1, 3)) * 2;
  EXPECT_FLOAT_EQ(3.0f / 12.0f, snow[i]);
  EXPECT_FLOAT_EQ(1.0f / 12.0f, snow[i + 1]);
  EXPECT_FLOAT_EQ(2.0f / 12.0f, snow[i + 3]);
  EXPECT_FLOAT_EQ(3.0f / 4.0f, shadow[i]);
  EXPECT_FLOAT_EQ(2.0f / 3.0f, shadow[i + 3]);
}

TEST(SurfaceLookup, PicksTheTriangleOnEachSideOfTheDiagonal) {
  // Cell (2, 1) of a 5 x 4 grid; fx = 0.25, fz = 0.5 lies before the diagonal.
  SurfacePoint s = locateOnSurface(5, 4, 50.0f, 50.0f, 112.5f, 75.0f);
  EXPECT_EQ(1 * 5 + 2, s.point[0]);
  EXPECT_EQ(1 * 5 + 3, s.point[1]);
  EXPECT_EQ(2 * 5 + 2, s.point[2]);
  EXPECT_FLOAT_EQ(0.25f, s.weight[0]);
  EXPECT_FLOAT_EQ(0.25f, s.weight[1]);
  EXPECT_FLOAT_EQ(0.5f, s.weight[2]);
  // fx = 0.75, fz = 0.5: beyond the diagonal, measured from (3, 2).
  s = locateOnSurface(5, 4, 50.0f, 50.0f, 137.5f, 75.0f);
  EXPECT_EQ(2 * 5 + 3, s.point[0]);
  EXPECT_EQ(1 * 5 + 3, s.point[1]);
  EXPECT_EQ(2 * 5 + 2, s.point[2]);
  EXPECT_FLOAT_EQ(0.25f, s.weight[0]);
  EXPECT_FLOAT_EQ(0.5f, s.weight[1]);
  EXPECT_FLOAT_EQ(0.25f, s.weight[2]);
}

TEST(SurfaceLookup, ExactGridPointTakesOnlyThatPoint) {
  const SurfacePoint s = locateOnSurface(5, 4, 50.0f, 50.0f, 150.0f, 100.0f);
  EXPECT_EQ(2 * 5 + 3, s.point[0]);
  EXPECT_EQ(1.0f, s.weight[0]);
  EXPECT_EQ(0.0f, s.weight[1]);
  EXPECT_EQ(0.0f, s.weight[2]);
}

TEST(SurfaceLookup, OutsideTheGridClampsOntoTheBorder) {
  const float far = 1e30f;
  for (float x : {-far, -1.0f, 0.0f, 199.999f, 200.0f, 250.0f, far, NAN, INFINITY, -INFINITY}) {
    for (float z : {-far, -0.5f, 149.0f, 150.0f, 1e6f, NAN}) {
      const SurfacePoint s = locateOnSurface(5, 4, 50.0f, 50.0f, x, z);
      float sum = 0.0f;
      for (int k = 0; k < 3; ++k) {
        EXPECT_GE(s.point[k], 0);
        EXPECT_LT(s.point[k], 20);
        EXPECT_GE(s.weight[k], -1e-6f);
        sum += s.weight[k];
      }
      EXPECT_NEAR(1.0f, sum, 1e-5f) << x << " " << z;
    }
  }
  // The far corner of the grid is grid point (4, 3) exactly.
  const SurfacePoint corner = locateOnSurface(5, 4, 50.0f, 50.0f, 1e9f, 1e9f);
  float w = 0.0f;
  for (int k = 0; k < 3; ++k) w += corner.point[k] == 19 ? corner.weight[k] : 0.0f;
  EXPECT_FLOAT_EQ(1.0f, w);
}

}  // namespace
}  // namespace vorn
