#include "math/vector.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

void expectNear(const VornVector& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

TEST(VornVectorNormalize, ZeroVectorStaysZeroAndTheFlagIsKept) {
  VornVector zero;
  EXPECT_EQ(zero.normalizeAndLength(), 0.0f);
  zero.normalize();
  expectNear(zero, 0, 0, 0, 0);
  VornVector v(0, 3, 4, 1);
  EXPECT_FLOAT_EQ(v.normalizeAndLength(), 5);
  expectNear(v, 0, 0.6f, 0.8f);
  EXPECT_EQ(v.upsideDown, 1);
}

TEST(VornVectorRotate, RotateYTurnsXTowardsMinusZ) {
  VornVector v(1, 0, 0);
  v.rotateY(90);
  expectNear(v, 0, 0, -1, 1e-3f);
  EXPECT_GT(v.x, 0) << "0.01745 falls a little short of pi/180";
}

TEST(VornVectorFree, TriangleNormalAndAverage) {
  // Counter-clockwise seen from above.
  const VornVector a(0, 0, 0), b(0, 0, 1), c(1, 0, 0);
  expectNear(triangleNormal(a, b, c), 0, 1, 0);
  expectNear(triangleNormal(a, c, b), 0, -1, 0);
  const float fa[3] = {1, 1, 1}, fb[3] = {1, 1, 5}, fc[3] = {4, 1, 1};
  expectNear(triangleNormal(fa, fb, fc), 0, 1, 0);
  expectNear(triangleNormal(a, a, c), 0, 0, 0, 0);  // degenerate: zero, not NaN

  expectNear(average({VornVector(0, 0, 0), VornVector(2, 4, 6), VornVector(4, 2, 0)}), 2, 2, 2);
  expectNear(average({}), 0, 0, 0, 0);
  const VornVector points[4] = {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 10}};
  expectNear(average(points, 4), 5, 0, 5);
}

}  // namespace
}  // namespace vorn
