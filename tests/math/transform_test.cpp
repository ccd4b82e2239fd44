#include "math/transform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

void expectNear(const VornVector& v, float x, float y, float z, float eps = 1e-4f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

VornVector column(const VornMatrix& m, int c) { return {m.m[c * 4], m.m[c * 4 + 1], m.m[c * 4 + 2]}; }

TEST(VornTransform, ModelIsPositionTimesRotationTimesScaleAfterEveryChange) {
  VornTransform t;
  t.setScale(VornVector(1, 2, 3));
  t.rotateY(90);
  t.setPosition(1, 2, 3);
  t.translate(0.5f, 0, 0);
  VornVector p(1, 1, 0);
  t.transformPoint(p);
  expectNear(p, 1.5f, 4, 2);
}

TEST(VornTransform, WorldAxesVersusLocalAxes) {
  VornTransform world;
  world.rotateY(90);  // X -> -Z, Z -> X
  world.rotateX(90);  // about world X: Y -> Z
  expectNear(column(world.rotation(), 1), 0, 0, 1);
  VornTransform local;
  local.rotateY(90);
  local.rotateLocalX(90);  // about the turned X, which is world -Z
  expectNear(column(local.rotation(), 1), 1, 0, 0);
  expectNear(column(local.rotation(), 0), 0, 0, -1);
}

TEST(VornTransform, OrientTurnsXAlongTheDirectionAndRollsAboutIt) {
  const float r = std::sqrt(0.5f);
  const VornVector directions[] = {{1, 0, 0}, {0, 0, -1}, {0, 0, 1},  {-1, 0, 0},         {r, r, 0},
                                   {r, -r, 0}, {0, -r, r}, {2, 2, 0}, {-0.6f, 0.48f, -0.64f}, {0, 1, 0}};
  for (const VornVector& d : directions) {
    for (float roll : {0.0f, 80.0f, 90.0f}) {
      SCOPED_TRACE(testing::Message() << "d=(" << d.x << "," << d.y << "," << d.z << ") roll=" << roll);
      VornTransform t;
      t.setScale(0.08f);
      t.rotateX(33);  // replaced, not added to
      t.setPosition(1, 2, 3);
      t.orient(d, roll);
      const VornVector unit = d.normalized();
      expectNear(column(t.rotation(), 0), unit.x, unit.y, unit.z);
      expectNear(column(t.modelMatrix(), 0), unit.x * 0.08f, unit.y * 0.08f, unit.z * 0.08f);
      EXPECT_FLOAT_EQ(t.modelMatrix().m[12], 1);
    }
  }
  // Heading down the track (+z) the model's Y stays up without roll; 90 turns it.
  VornTransform t;
  t.orient(VornVector(0, 0, 1), 0);
  expectNear(column(t.rotation(), 1), 0, 1, 0);
  t.orient(VornVector(1, 0, 0), 90);
  expectNear(column(t.rotation(), 1), 0, 0, 1);
  t.orient(VornVector(0, 0, 0), 0);
  for (float v : t.modelMatrix().m) EXPECT_TRUE(std::isfinite(v));
}

}  // namespace
}  // namespace vorn
