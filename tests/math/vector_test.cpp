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

TEST(VornVectorFlag, TravelsThroughArithmeticAsDocumented) {
  const VornVector clear(1, 2, 3, 0), set(4, 5, 6, 1);
  const float f[3] = {1, 1, 1};
  const int i[3] = {2, 2, 2};
  // Two vectors: the right-hand operand's flag; arrays and scalars: its own.
  EXPECT_EQ((clear + set).upsideDown, 1);
  EXPECT_EQ((set - clear).upsideDown, 0);
  EXPECT_EQ((set + f).upsideDown, 1);
  EXPECT_EQ((set - i).upsideDown, 1);
  EXPECT_EQ((set * 2.0f).upsideDown, 1);
  EXPECT_EQ(set.cross(clear).upsideDown, 1);

  // In-place forms, assignment and set() copy components only; copying copies all.
  VornVector v(1, 1, 1, 0);
  v += set;
  v = set;
  EXPECT_EQ(v.upsideDown, 0);
  expectNear(v, 4, 5, 6, 0);
  VornVector w(0, 0, 0, 1);
  w = f;
  w.set(1, 2, 3);
  EXPECT_EQ(w.upsideDown, 1);
  EXPECT_EQ(VornVector(set).upsideDown, 1);
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

TEST(VornVectorRotate, RotateYTurnsXTowardsMinusZAndPitchOverTheVerticalSetsTheFlag) {
  VornVector v(1, 0, 0);
  v.rotateY(90);
  expectNear(v, 0, 0, -1, 1e-3f);
  EXPECT_GT(v.x, 0) << "0.01745 falls a little short of pi/180";
  v.set(1, 0, 0);
  v.pitch(90);
  expectNear(v, 0, 1, 0, 1e-3f);
  EXPECT_EQ(v.upsideDown, 0);
  v.pitch(1);
  EXPECT_LT(v.x, 0);
  EXPECT_EQ(v.upsideDown, 1);
  // Upside down the axis is taken the other way round, so the same positive
  // pitch keeps turning the vector over instead of back up.
  const float xBefore = v.x;
  v.pitch(10);
  EXPECT_LT(v.x, xBefore);
  EXPECT_EQ(v.upsideDown, 1);
  v.pitch(-20);
  EXPECT_GT(v.x, 0);
  EXPECT_EQ(v.upsideDown, 0);
}

TEST(VornVectorUp, PerpendicularInTheVerticalPlane) {
  const float r = std::sqrt(0.5f);
  struct Case {
    VornVector direction, up;
    int flag;
  };
  // Vertical directions get a fixed diagonal with the flag cleared.
  const Case cases[] = {{{0, -1, 0, 1}, {0.707f, 0, 0.707f}, 0}, {{0, 1, 0, 1}, {-0.707f, 0, -0.707f}, 0},
                        {{0, 0, 0}, {0.707f, 0, 0.707f}, 0},     {{1, 0, 0, 0}, {0, 1, 0}, 0},
                        {{1, 0, 0, 1}, {0, -1, 0}, 1},           {{r, r, 0}, {-r, r, 0}, 0},
                        {{0, -0.6f, 0.8f}, {0, 0.8f, 0.6f}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.direction.x << "," << c.direction.y << "," << c.direction.z);
    const VornVector u = c.direction.up();
    expectNear(u, c.up.x, c.up.y, c.up.z);
    EXPECT_EQ(u.upsideDown, c.flag);
  }
}

TEST(VornVectorFree, TriangleNormalAndAverageInEveryForm) {
  // Counter-clockwise seen from above.
  const VornVector a(0, 0, 0), b(0, 0, 1), c(1, 0, 0);
  expectNear(triangleNormal(a, b, c), 0, 1, 0);
  expectNear(triangleNormal(a, c, b), 0, -1, 0);
  const float fa[3] = {1, 1, 1}, fb[3] = {1, 1, 5}, fc[3] = {4, 1, 1};
  expectNear(triangleNormal(fa, fb, fc), 0, 1, 0);
  const float nine[9] = {0, 0, 0, 0, 3, 0, 0, 0, 2};
  expectNear(triangleNormal(nine), 1, 0, 0);
  const int ia[3] = {0, 0, 0}, ib[3] = {2, 0, 0}, ic[3] = {0, 2, 0};
  expectNear(triangleNormal(ia, ib, ic), 0, 0, 1);
  expectNear(triangleNormal(a, a, c), 0, 0, 0, 0);  // degenerate: zero, not NaN

  expectNear(average({VornVector(0, 0, 0), VornVector(2, 4, 6), VornVector(4, 2, 0)}), 2, 2, 2);
  expectNear(average({}), 0, 0, 0, 0);
  const VornVector points[4] = {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 10}};
  expectNear(average(points, 4), 5, 0, 5);
}

}  // namespace
}  // namespace vorn
