#include "math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

// Builds a matrix from rows as written on paper.
VornMatrix fromRows(const float (&rows)[4][4]) {
  VornMatrix out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.m[c * 4 + r] = rows[r][c];
  return out;
}

void expectMatrixNear(const VornMatrix& a, const VornMatrix& b, float eps = 1e-5f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], eps) << "index " << i;
}

TEST(VornMatrix, PointsGetTheTranslationDirectionsOnlyTheTurn) {
  // A frame turned 90 degrees about Y, origin at (5, 0, 0): world into frame.
  VornMatrix m;
  m.fromAxesInverse(VornVector(0, 0, -1), VornVector(0, 1, 0), VornVector(1, 0, 0), VornVector(5, 0, 0));
  VornVector p(5, 0, -2), d(0, 0, -3);
  m.transformPoint(p);
  m.transformDirection(d);
  EXPECT_NEAR(p.x, 2, 1e-5f);
  EXPECT_NEAR(p.z, 0, 1e-5f);
  EXPECT_NEAR(d.x, 1, 1e-5f) << "unit length, no translation";
}

TEST(VornMatrix, RotateTakesTheAxisAsGivenRotateRadiansNormalizesIt) {
  VornMatrix m;
  m.rotate(90, 0, 0, 2);
  // The axis length shows up in the sine terms and squared on the diagonal.
  EXPECT_NEAR(m[1], 2, 1e-5f);
  EXPECT_NEAR(m[10], 4, 1e-4f);
  VornMatrix n;
  n.rotateRadians(VornVector(0, 0, 2), 3.14159265f / 2);
  VornMatrix quarter;
  quarter.rotate(90, 0, 0, 1);
  expectMatrixNear(n, quarter);
  VornMatrix unchanged;
  unchanged.rotateRadians(VornVector(0, 0, 0), 1.0f);
  expectMatrixNear(unchanged, VornMatrix(), 0);
}

TEST(VornMatrix, InvertNeedsFullPivotingAndStopsOnSingularMatrices) {
  VornMatrix affine;
  affine.translate(3, -2, 7);
  affine.rotate(35, 0.6f, 0, 0.8f);
  affine.scale(2, 0.5f, 3);
  const VornMatrix invertible[] = {
      affine,
      // Every diagonal element zero: no elimination step works without exchanges.
      fromRows({{0, 2, 0, 0}, {0, 0, 0, 4}, {1, 0, 0, 0}, {0, 0, 8, 0}}),
      // A tiny leading element next to large ones loses the small terms as a pivot.
      fromRows({{1e-7f, 1, 2, 0}, {3, 4, 1, 0}, {2, 1e-7f, 5, 0}, {0, 0, 0, 1}}),
  };
  for (const VornMatrix& m : invertible) {
    SCOPED_TRACE(testing::Message() << "case " << (&m - invertible));
    VornMatrix inv = m;
    ASSERT_TRUE(inv.invert());
    VornMatrix product = m;
    product.multiply(inv);
    expectMatrixNear(product, VornMatrix());
    product = inv;
    product.multiply(m);
    expectMatrixNear(product, VornMatrix());
  }
  const VornMatrix singular[] = {
      fromRows({{1, 2, 3, 4}, {0, 0, 0, 0}, {5, 6, 7, 8}, {0, 0, 0, 1}}),
      fromRows({{1, 2, 3, 0}, {2, 4, 6, 0}, {1, 1, 1, 0}, {0, 0, 0, 1}}),
      fromRows({{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}),
  };
  for (VornMatrix m : singular) {
    EXPECT_FALSE(m.invert());
    for (float v : m.m) EXPECT_TRUE(std::isfinite(v));
  }
}

// The view volume of an orthographic box x, y in -10..10, depth 1..100 (eye
// looking down -z): boxes wholly beyond a side are out, touching ones are in.
TEST(ViewPlanes, BoxesOutsideTheViewVolumeAreLeftOut) {
  const VornMatrix ortho = fromRows({{0.1f, 0, 0, 0}, {0, 0.1f, 0, 0}, {0, 0, -2.0f / 99, -101.0f / 99}, {0, 0, 0, 1}});
  const VornPlanes planes = viewPlanes(ortho);
  const struct { VornVector min, max; bool outside; } cases[] = {
      {{-1, -1, -50}, {1, 1, -40}, false},  {{9, 9, -2}, {30, 30, 5}, false},  {{11, -1, -50}, {20, 1, -40}, true},
      {{-1, -30, -50}, {1, -10.5f, -40}, true}, {{-1, -1, 0}, {1, 1, 0.5f}, true}, {{-1, -1, -300}, {1, 1, -101}, true}};
  for (const auto& c : cases) EXPECT_EQ(c.outside, boxOutside(planes, c.min, c.max)) << c.min.x << "," << c.min.y << "," << c.min.z;
}

}  // namespace
}  // namespace vorn
