#include "math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace vorn {
namespace {

constexpr float kEps = 1e-5f;
constexpr float kPi = 3.14159265f;

// Builds a matrix from rows as written on paper.
VornMatrix fromRows(const float (&rows)[4][4]) {
  VornMatrix out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.m[c * 4 + r] = rows[r][c];
  return out;
}

void expectMatrixNear(const VornMatrix& a, const VornMatrix& b, float eps = kEps) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], eps) << "index " << i;
}

void expectNear(const VornVector& v, float x, float y, float z, float eps = kEps) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

TEST(VornMatrixLayout, IdentityAndColumnMajorTranslation) {
  VornMatrix m;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i == 0 || i == 5 || i == 10 || i == 15) ? 1 : 0);
  m.translate(1, 2, 3);
  EXPECT_EQ(m[12], 1);
  EXPECT_EQ(m[13], 2);
  EXPECT_EQ(m[14], 3);
  EXPECT_EQ(m.at(0, 3), 1);
  EXPECT_EQ(m[3], 0);
  m.identity();
  expectMatrixNear(m, VornMatrix(), 0);
}

TEST(VornMatrixLayout, FromAxesPutsAxesInColumns) {
  VornMatrix m;
  m.fromAxes(VornVector(1, 2, 3), VornVector(4, 5, 6), VornVector(7, 8, 9), VornVector(10, 11, 12));
  const float expected[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1};
  expectMatrixNear(m, VornMatrix(expected), 0);
}

TEST(VornMatrixLayout, FromAxesInverseMapsWorldIntoFrame) {
  VornMatrix m;
  // A frame turned 90 degrees about Y, origin at (5, 0, 0).
  m.fromAxesInverse(VornVector(0, 0, -1), VornVector(0, 1, 0), VornVector(1, 0, 0),
                    VornVector(5, 0, 0));
  VornVector origin(5, 0, 0);
  m.transformPoint(origin);
  expectNear(origin, 0, 0, 0);
  VornVector alongX(5, 0, -2);
  m.transformPoint(alongX);
  expectNear(alongX, 2, 0, 0);
}

TEST(VornMatrixProducts, MultiplyOrders) {
  const VornMatrix a = fromRows({{1, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  const VornMatrix b = fromRows({{1, 0, 0, 0}, {3, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  const VornMatrix ab = fromRows({{7, 2, 0, 0}, {3, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  const VornMatrix ba = fromRows({{1, 2, 0, 0}, {3, 7, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});

  VornMatrix m = a;
  m.multiply(b);
  expectMatrixNear(m, ab, 0);
  m = a;
  m.preMultiply(b);
  expectMatrixNear(m, ba, 0);
  VornMatrix c = a;
  b.multiplyInto(c);
  expectMatrixNear(c, ab, 0);
  expectMatrixNear(b, fromRows({{1, 0, 0, 0}, {3, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}), 0);
}

TEST(VornMatrixProducts, TransformPointAndDirection) {
  VornMatrix m;
  m.translate(10, 20, 30);
  m.scale(2, 2, 2);
  VornVector p(1, 2, 3, 1);
  m.transformPoint(p);
  expectNear(p, 12, 24, 36, 0);
  EXPECT_EQ(p.upsideDown, 1);

  VornVector d(0, 3, 0);
  m.transformDirection(d);  // no translation, unit length
  expectNear(d, 0, 1, 0);
}

TEST(VornMatrixRotate, PostMultipliesLikeGlRotate) {
  VornMatrix m;
  m.translate(5, 0, 0);
  m.rotate(90, 0, 0, 1);
  // Translation stays put; the rotation acts on the point first.
  EXPECT_NEAR(m[12], 5, kEps);
  VornVector p(1, 0, 0);
  m.transformPoint(p);
  expectNear(p, 5, 1, 0);
}

TEST(VornMatrixRotate, UnnormalizedAxisEntersAsGiven) {
  VornMatrix m;
  m.rotate(90, 0, 0, 2);
  // With a unit axis this would be a quarter turn about Z; here the axis
  // length shows up in the sine terms and squared on the diagonal.
  EXPECT_NEAR(m[0], 0, kEps);
  EXPECT_NEAR(m[1], 2, kEps);
  EXPECT_NEAR(m[4], -2, kEps);
  EXPECT_NEAR(m[10], 4, 1e-4f);
  VornVector p(0, 0, 1);
  m.transformPoint(p);
  expectNear(p, 0, 0, 4, 1e-4f);
}

TEST(VornMatrixRotate, RadiansPreMultiply) {
  VornMatrix m;
  m.translate(5, 0, 0);
  m.rotateRadians(VornVector(0, 0, 1), kPi / 2);
  // The world-axis turn carries the translation with it.
  EXPECT_NEAR(m[12], 0, kEps);
  EXPECT_NEAR(m[13], 5, kEps);

  // The axis is made unit length first, so this is a pure rotation.
  VornMatrix n;
  n.rotateRadians(VornVector(0, 0, 2), kPi / 2);
  VornMatrix quarter;
  quarter.rotate(90, 0, 0, 1);
  expectMatrixNear(n, quarter);

  VornMatrix unchanged;
  unchanged.rotateRadians(VornVector(0, 0, 0), 1.0f);
  expectMatrixNear(unchanged, VornMatrix(), 0);
}

TEST(VornMatrixRotate, RotationMatrixTerms) {
  const float r = 1.0f / std::sqrt(3.0f);
  const VornMatrix m = rotationMatrix(2 * kPi / 3, r, r, r);
  // A third of a turn about the diagonal cycles the axes: X -> Y -> Z.
  VornVector x(1, 0, 0);
  m.transformPoint(x);
  expectNear(x, 0, 1, 0);
  VornVector y(0, 1, 0);
  m.transformPoint(y);
  expectNear(y, 0, 0, 1);
}

TEST(VornMatrixScale, PostMultiplies) {
  VornMatrix m;
  m.scale(2, 3, 4);
  m.translate(1, 1, 1);
  EXPECT_FLOAT_EQ(m[12], 2);
  EXPECT_FLOAT_EQ(m[13], 3);
  EXPECT_FLOAT_EQ(m[14], 4);
  EXPECT_FLOAT_EQ(m[0], 2);
  EXPECT_FLOAT_EQ(m[5], 3);
  EXPECT_FLOAT_EQ(m[10], 4);
}

TEST(VornMatrixInvert, GeneralAffine) {
  VornMatrix m;
  m.translate(3, -2, 7);
  m.rotate(35, 0.6f, 0, 0.8f);
  m.scale(2, 0.5f, 3);
  VornMatrix inv = m;
  ASSERT_TRUE(inv.invert());
  VornMatrix product = m;
  product.multiply(inv);
  expectMatrixNear(product, VornMatrix());
  product = inv;
  product.multiply(m);
  expectMatrixNear(product, VornMatrix());
}

TEST(VornMatrixInvert, ZeroDiagonalNeedsPivoting) {
  // Every diagonal element is zero: elimination without row and column
  // exchanges divides by zero on the first step.
  const VornMatrix m = fromRows({{0, 2, 0, 0}, {0, 0, 0, 4}, {1, 0, 0, 0}, {0, 0, 8, 0}});
  VornMatrix inv = m;
  ASSERT_TRUE(inv.invert());
  const VornMatrix expected =
      fromRows({{0, 0, 1, 0}, {0.5f, 0, 0, 0}, {0, 0, 0, 0.125f}, {0, 0.25f, 0, 0}});
  expectMatrixNear(inv, expected);
}

TEST(VornMatrixInvert, FullPivotingKeepsTinyPivotsAccurate) {
  // A tiny leading element next to large ones: picking it as the pivot
  // loses the small terms to rounding.
  const VornMatrix m =
      fromRows({{1e-7f, 1, 2, 0}, {3, 4, 1, 0}, {2, 1e-7f, 5, 0}, {0, 0, 0, 1}});
  VornMatrix inv = m;
  ASSERT_TRUE(inv.invert());
  VornMatrix product = m;
  product.multiply(inv);
  expectMatrixNear(product, VornMatrix(), 1e-5f);

  const VornMatrix mixed = fromRows({{0, 0, 3, 1}, {2, 0, 0, 0}, {0, 5, 1, 0}, {1, 0, 0, 2}});
  inv = mixed;
  ASSERT_TRUE(inv.invert());
  product = mixed;
  product.multiply(inv);
  expectMatrixNear(product, VornMatrix());
}

TEST(VornMatrixInvert, SingularStopsEarly) {
  VornMatrix zeroRow = fromRows({{1, 2, 3, 4}, {0, 0, 0, 0}, {5, 6, 7, 8}, {0, 0, 0, 1}});
  EXPECT_FALSE(zeroRow.invert());
  VornMatrix dependent = fromRows({{1, 2, 3, 0}, {2, 4, 6, 0}, {1, 1, 1, 0}, {0, 0, 0, 1}});
  EXPECT_FALSE(dependent.invert());
  for (float v : dependent.m) EXPECT_TRUE(std::isfinite(v));
  VornMatrix zero = fromRows({{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}});
  EXPECT_FALSE(zero.invert());
}

std::vector<std::string> readLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(VornMatrixDump, AppendsRowsToRepFile) {
  std::remove(kMatrixDumpFile);
  {
    std::ofstream earlier(kMatrixDumpFile);
    earlier << "earlier line\n";
  }
  VornMatrix m;
  m.translate(5, 6, 7);
  m.dump();
  m.scale(2, 1, 1);
  m.dump();
  const std::vector<std::string> lines = readLines(kMatrixDumpFile);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "earlier line");
  EXPECT_EQ(lines[1], "1.000000, 0.000000, 0.000000, 5.000000");
  EXPECT_EQ(lines[2], "0.000000, 1.000000, 0.000000, 6.000000");
  EXPECT_EQ(lines[4], "0.000000, 0.000000, 0.000000, 1.000000");
  EXPECT_EQ(lines[5], "2.000000, 0.000000, 0.000000, 5.000000");
  std::remove(kMatrixDumpFile);
}

TEST(VornMatrixDump, UnwritablePathIsIgnored) {
  VornMatrix().dump("no_such_directory/rep.txt");
  SUCCEED();
}

}  // namespace
}  // namespace vorn
