#include "math/vector.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

constexpr float kEps = 1e-5f;

void expectNear(const VornVector& v, float x, float y, float z, float eps = kEps) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

TEST(VornVectorConstruct, FieldsAndFlag) {
  const VornVector zero;
  expectNear(zero, 0, 0, 0, 0);
  EXPECT_EQ(zero.upsideDown, 0);
  EXPECT_EQ(VornVector(1, 2, 3, 1).upsideDown, 1);

  const int ints[3] = {-4, 5, 7};
  const VornVector fromInts(ints);
  expectNear(fromInts, -4, 5, 7, 0);
  EXPECT_EQ(fromInts.upsideDown, 0);
  const float floats[3] = {0.5f, 1.5f, -2.5f};
  expectNear(VornVector(floats), 0.5f, 1.5f, -2.5f, 0);

  VornVector v(1, 2, 3);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 2);
  EXPECT_EQ(v[2], 3);
  v[1] = 9;
  EXPECT_EQ(v.y, 9);
}

TEST(VornVectorFlag, SumAndDifferenceTakeRightOperandFlag) {
  const VornVector clear(1, 2, 3, 0);
  const VornVector set(4, 5, 6, 1);
  EXPECT_EQ((clear + set).upsideDown, 1);
  EXPECT_EQ((set + clear).upsideDown, 0);
  EXPECT_EQ((clear - set).upsideDown, 1);
  EXPECT_EQ((set - clear).upsideDown, 0);
  expectNear(set - clear, 3, 3, 3, 0);
}

TEST(VornVectorFlag, ArraysAndScalingKeepOwnFlag) {
  const VornVector set(1, 2, 3, 1);
  const float f[3] = {1, 1, 1};
  const int i[3] = {2, 2, 2};
  EXPECT_EQ((set + f).upsideDown, 1);
  EXPECT_EQ((set - f).upsideDown, 1);
  EXPECT_EQ((set + i).upsideDown, 1);
  EXPECT_EQ((set - i).upsideDown, 1);
  expectNear(set - i, -1, 0, 1, 0);
  EXPECT_EQ((set * 2.0f).upsideDown, 1);
  EXPECT_EQ((set * 2).upsideDown, 1);
  EXPECT_EQ((set / 2.0f).upsideDown, 1);
  expectNear(set / 2, 0.5f, 1, 1.5f, 0);
  EXPECT_EQ(set.cross(VornVector(0, 0, 1, 0)).upsideDown, 1);
}

TEST(VornVectorFlag, InPlaceFormsAndAssignmentLeaveFlagAlone) {
  VornVector v(1, 1, 1, 0);
  const VornVector set(1, 1, 1, 1);
  v += set;
  v -= set;
  v *= 3;
  EXPECT_EQ(v.upsideDown, 0);
  expectNear(v, 3, 3, 3, 0);

  v = set;  // components only
  EXPECT_EQ(v.upsideDown, 0);
  expectNear(v, 1, 1, 1, 0);
  const float f[3] = {7, 8, 9};
  VornVector w(0, 0, 0, 1);
  w = f;
  w.set(1, 2, 3);
  EXPECT_EQ(w.upsideDown, 1);

  const VornVector copy(set);  // construction copies everything
  EXPECT_EQ(copy.upsideDown, 1);
}

TEST(VornVectorProducts, CrossDotLengthDistance) {
  expectNear(VornVector(1, 0, 0).cross(VornVector(0, 1, 0)), 0, 0, 1, 0);
  expectNear(VornVector(2, 3, 4).cross(VornVector(5, 6, 7)), -3, 6, -3, 0);
  const VornVector v(2, 3, 6);
  const int i[3] = {1, 1, 1};
  const float f[3] = {1, 0, -1};
  EXPECT_FLOAT_EQ(v.dot(VornVector(1, 2, 3)), 26);
  EXPECT_FLOAT_EQ(v.dot(i), 11);
  EXPECT_FLOAT_EQ(v.dot(f), -4);
  EXPECT_FLOAT_EQ(v.length(), 7);
  EXPECT_FLOAT_EQ(v.lengthSquared(), 49);
  EXPECT_FLOAT_EQ(v.distanceSquared(VornVector(1, 1, 1)), 1 + 4 + 25);
}

TEST(VornVectorNormalize, ZeroVectorStaysZero) {
  VornVector zero;
  zero.normalize();
  expectNear(zero, 0, 0, 0, 0);
  EXPECT_FALSE(std::isnan(zero.x));
  VornVector zero2;
  EXPECT_EQ(zero2.normalizeAndLength(), 0.0f);
  expectNear(zero2, 0, 0, 0, 0);

  VornVector v(0, 3, 4, 1);
  EXPECT_FLOAT_EQ(v.normalizeAndLength(), 5);
  expectNear(v, 0, 0.6f, 0.8f);
  EXPECT_EQ(v.upsideDown, 1);
  expectNear(VornVector(0, 0, -9).normalized(), 0, 0, -1);
}

TEST(VornVectorRotateY, NinetyDegreesTurnsXTowardsMinusZ) {
  VornVector v(1, 0, 0);
  v.rotateY(90);
  // The vector factor 0.01745 falls a little short of pi/180.
  EXPECT_NEAR(v.x, std::cos(90 * 0.01745f), 1e-6f);
  EXPECT_NEAR(v.x, 0, 1e-3f);
  EXPECT_EQ(v.y, 0);
  EXPECT_NEAR(v.z, -1, kEps);

  VornVector w(0, 2, 1);
  w.rotateY(-90);
  expectNear(w, -1, 2, 0, 1e-3f);
}

TEST(VornVectorPitch, OverTheVerticalSetsFlagAndKeepsTurning) {
  VornVector v(1, 0, 0);
  v.pitch(90);
  expectNear(v, 0, 1, 0, 1e-3f);
  EXPECT_GT(v.x, 0);  // 0.01745 stops just short of the vertical
  EXPECT_EQ(v.upsideDown, 0);

  v.pitch(1);
  EXPECT_LT(v.x, 0);
  EXPECT_EQ(v.upsideDown, 1);

  // Upside down, the axis is taken the other way round: the same positive
  // pitch keeps turning the vector over towards -X instead of back up.
  const float xBefore = v.x;
  v.pitch(10);
  EXPECT_LT(v.x, xBefore);
  EXPECT_LT(v.y, 1);
  EXPECT_EQ(v.upsideDown, 1);

  // And turning back past the vertical clears the flag.
  v.pitch(-20);
  EXPECT_GT(v.x, 0);
  EXPECT_EQ(v.upsideDown, 0);
}

TEST(VornVectorPitch, KeepsLengthAndWorksAlongZ) {
  VornVector v(0, 0, 2);
  v.pitch(30);
  EXPECT_NEAR(v.length(), 2, kEps);
  EXPECT_NEAR(v.y, 2 * std::sin(30 * 0.01745f), kEps);
  EXPECT_GT(v.z, 0);
  EXPECT_NEAR(v.x, 0, kEps);

  VornVector down(0, 0, -1);
  down.pitch(120);  // z goes from negative to positive
  EXPECT_GT(down.z, 0);
  EXPECT_EQ(down.upsideDown, 1);
}

TEST(VornVectorUp, VerticalDirectionsGetFixedDiagonal) {
  const VornVector downUp = VornVector(0, -1, 0, 1).up();
  expectNear(downUp, 0.707f, 0, 0.707f, 0);
  EXPECT_EQ(downUp.upsideDown, 0);
  const VornVector upUp = VornVector(0, 1, 0, 1).up();
  expectNear(upUp, -0.707f, 0, -0.707f, 0);
  EXPECT_EQ(upUp.upsideDown, 0);
  expectNear(VornVector(0, 0, 0).up(), 0.707f, 0, 0.707f, 0);
}

TEST(VornVectorUp, HorizontalAndTiltedDirections) {
  expectNear(VornVector(1, 0, 0, 0).up(), 0, 1, 0);
  const VornVector flipped = VornVector(1, 0, 0, 1).up();
  expectNear(flipped, 0, -1, 0);
  EXPECT_EQ(flipped.upsideDown, 1);

  const float r = std::sqrt(0.5f);
  const VornVector d(r, r, 0);
  const VornVector u = d.up();
  expectNear(u, -r, r, 0);
  EXPECT_NEAR(u.dot(d), 0, kEps);
  EXPECT_NEAR(u.length(), 1, kEps);

  const VornVector slope = VornVector(0, -0.6f, 0.8f).up();
  expectNear(slope, 0, 0.8f, 0.6f);
}

TEST(VornVectorFree, TriangleNormalAllForms) {
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

  // A degenerate triangle yields the zero vector, not NaN.
  expectNear(triangleNormal(a, a, c), 0, 0, 0, 0);
}

TEST(VornVectorFree, Average) {
  expectNear(average({VornVector(0, 0, 0), VornVector(2, 4, 6), VornVector(4, 2, 0)}), 2, 2, 2);
  expectNear(average({VornVector(1, -1, 3)}), 1, -1, 3);
  const VornVector none = average({});
  expectNear(none, 0, 0, 0, 0);
  EXPECT_FALSE(std::isnan(none.x));
  const VornVector points[4] = {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 10}};
  expectNear(average(points, 4), 5, 0, 5);
}

}  // namespace
}  // namespace vorn
