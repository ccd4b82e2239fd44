#include "math/transform.h"

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

VornVector column(const VornMatrix& m, int c) { return {m.m[c * 4], m.m[c * 4 + 1], m.m[c * 4 + 2]}; }

void expectFinite(const VornMatrix& m) {
  for (float v : m.m) EXPECT_TRUE(std::isfinite(v));
}

TEST(VornTransformBuild, DefaultIsIdentity) {
  const VornTransform t;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(t.modelMatrix().m[i], VornMatrix().m[i]);
  expectNear(t.scale(), 1, 1, 1, 0);
  expectNear(t.position(), 0, 0, 0, 0);
}

TEST(VornTransformBuild, ModelIsPositionTimesRotationTimesScale) {
  VornTransform t;
  t.setScale(2);
  t.rotateY(90);
  t.setPosition(1, 2, 3);
  VornVector p(1, 0, 0);
  t.transformPoint(p);
  expectNear(p, 1, 2, 1);

  t.setScale(VornVector(1, 2, 3));
  const VornMatrix& m = t.modelMatrix();
  expectNear(column(m, 0), 0, 0, -1);
  expectNear(column(m, 1), 0, 2, 0);
  expectNear(column(m, 2), 3, 0, 0);
  EXPECT_FLOAT_EQ(m.m[12], 1);
  EXPECT_FLOAT_EQ(m.m[15], 1);
}

TEST(VornTransformBuild, RotationTranslationAndBottomRowCarryOver) {
  VornMatrix r;
  r.m[3] = 0.5f;  // w terms are copied, never scaled
  r.m[12] = 10;
  r.m[15] = 2;
  VornTransform t;
  t.setRotation(r);
  t.setScale(3);
  t.setPosition(1, 1, 1);
  const VornMatrix& m = t.modelMatrix();
  EXPECT_FLOAT_EQ(m.m[0], 3);
  EXPECT_FLOAT_EQ(m.m[3], 0.5f);
  EXPECT_FLOAT_EQ(m.m[12], 11);
  EXPECT_FLOAT_EQ(m.m[13], 1);
  EXPECT_FLOAT_EQ(m.m[15], 2);
}

TEST(VornTransformBuild, PositionScaleAndReset) {
  VornTransform t;
  const float at[3] = {1, 2, 3};
  t.setPosition(at);
  t.translate(VornVector(1, 1, 1));
  t.translate(at);
  t.translate(0.5f, 0, 0);
  expectNear(t.position(), 3.5f, 5, 7, 0);
  EXPECT_FLOAT_EQ(t.modelMatrix().m[14], 7);

  t.setScale(2);
  t.scaleBy(0.08f);
  expectNear(t.scale(), 0.16f, 0.16f, 0.16f);
  EXPECT_NEAR(t.modelMatrix().m[5], 0.16f, kEps);

  t.rotateZ(90);
  t.reset();
  expectNear(t.position(), 0, 0, 0, 0);
  expectNear(t.scale(), 1, 1, 1, 0);
  expectNear(column(t.modelMatrix(), 0), 0, 1, 0);  // rotation kept
  EXPECT_EQ(t.modelMatrix().m[12], 0);
}

TEST(VornTransformBuild, Constructors) {
  const float rotation[4] = {90, 0, 1, 0};
  const VornTransform a(VornVector(1, 2, 3), rotation);
  expectNear(a.position(), 1, 2, 3, 0);
  expectNear(column(a.rotation(), 0), 0, 0, -1);

  const float placement[7] = {4, 5, 6, 90, 0, 0, 1};
  const VornTransform b(placement);
  expectNear(b.position(), 4, 5, 6, 0);
  expectNear(column(b.modelMatrix(), 0), 0, 1, 0);
  EXPECT_FLOAT_EQ(b.modelMatrix().m[13], 5);

  const int ip[3] = {7, 8, 9};
  const int ir[4] = {180, 1, 0, 0};
  const VornTransform c(ip, ir);
  expectNear(c.position(), 7, 8, 9, 0);
  expectNear(column(c.rotation(), 1), 0, -1, 0);

  VornTransform d(c);
  expectNear(d.position(), 7, 8, 9, 0);
  d = a;
  expectNear(d.position(), 1, 2, 3, 0);
}

TEST(VornTransformRotate, WorldAxesVersusLocalAxes) {
  VornTransform world;
  world.rotateY(90);  // X -> -Z, Z -> X
  world.rotateX(90);  // about world X: Y -> Z
  expectNear(column(world.rotation(), 1), 0, 0, 1);

  VornTransform local;
  local.rotateY(90);
  local.rotateLocalX(90);  // about the turned X, which is world -Z
  expectNear(column(local.rotation(), 1), 1, 0, 0);
  expectNear(column(local.rotation(), 0), 0, 0, -1);

  VornTransform spin;
  spin.rotateZ(90);
  spin.rotateLocalY(90);  // local Y is world -X
  expectNear(column(spin.rotation(), 2), 0, 1, 0);
  spin.rotateLocalZ(-90);  // about its own Z, which therefore stays
  expectNear(column(spin.rotation(), 2), 0, 1, 0);
}

TEST(VornTransformOrient, XAxisFollowsDirection) {
  const float r = std::sqrt(0.5f);
  const VornVector directions[] = {{1, 0, 0},  {0, 0, -1}, {0, 0, 1},   {-1, 0, 0},
                                   {r, r, 0},  {r, -r, 0}, {0, -r, r},  {-0.6f, 0.48f, -0.64f},
                                   {0, 1, 0}};
  for (const VornVector& d : directions) {
    for (float roll : {0.0f, 80.0f, 90.0f}) {
      VornTransform t;
      t.setPosition(1, 2, 3);
      t.orient(d, roll);
      SCOPED_TRACE(testing::Message() << "d=(" << d.x << "," << d.y << "," << d.z << ") roll=" << roll);
      expectNear(column(t.rotation(), 0), d.x, d.y, d.z, 1e-4f);
      expectNear(t.position(), 1, 2, 3, 0);
      EXPECT_FLOAT_EQ(t.modelMatrix().m[12], 1);
    }
  }
}

TEST(VornTransformOrient, RollTurnsAboutTheDirection) {
  VornTransform t;
  t.orient(VornVector(1, 0, 0), 0);
  expectNear(column(t.rotation(), 1), 0, 1, 0);
  t.orient(VornVector(1, 0, 0), 90);
  expectNear(column(t.rotation(), 1), 0, 0, 1);
  expectNear(column(t.rotation(), 2), 0, -1, 0);

  // Heading down the track (+z): the model's Y stays up without roll.
  t.orient(VornVector(0, 0, 1), 0);
  expectNear(column(t.rotation(), 1), 0, 1, 0);
  expectNear(column(t.rotation(), 2), -1, 0, 0);
}

TEST(VornTransformOrient, ReplacesEarlierRotationAndKeepsScale) {
  VornTransform t;
  t.setScale(0.08f);
  t.rotateX(33);
  t.rotateZ(-12);
  t.orient(VornVector(0, 0, -1), 0);
  expectNear(column(t.rotation(), 0), 0, 0, -1);
  expectNear(column(t.rotation(), 1), 0, 1, 0);
  expectNear(column(t.modelMatrix(), 0), 0, 0, -0.08f);
}

TEST(VornTransformOrient, LongAndZeroDirectionsStayFinite) {
  VornTransform t;
  t.orient(VornVector(2, 2, 0), 0);  // not unit length
  expectFinite(t.modelMatrix());
  const float r = std::sqrt(0.5f);
  expectNear(column(t.rotation(), 0), r, r, 0, 1e-4f);

  t.orient(VornVector(3, 0, 0), 90);
  expectFinite(t.modelMatrix());
  expectNear(column(t.rotation(), 0), 1, 0, 0, 1e-4f);

  t.orient(VornVector(0, 0, 0), 0);
  expectFinite(t.modelMatrix());
}

}  // namespace
}  // namespace vorn
