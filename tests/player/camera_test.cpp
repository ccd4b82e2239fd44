// VornCamera: distance by speed, pointer control, ground clearance, up vector.
#include "player/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "player/fake_ground.h"

namespace vorn {
namespace {

using testing_support::PlaneGround;

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    player_.setPosition(VornVector(100.0f, 50.0f, 200.0f));
    player_.direction = VornVector(0.0f, 0.0f, 1.0f);
    camera_.setTarget(&player_);
  }
  float distance() const {
    return std::sqrt(player_.position().distanceSquared(camera_.eyePosition()));
  }
  PlaneGround ground_{0.0f, 0.0f, 0.0f};
  VornPlayer player_;
  VornCamera camera_;
};

TEST_F(CameraTest, StartsLookingDownTheNegativeZAxis) {
  const VornCamera c;
  EXPECT_EQ(c.view.z, -100.0f);
  EXPECT_EQ(c.up.y, 1.0f);
  EXPECT_EQ(c.height, -0.8f);
  EXPECT_EQ(c.yawOffset, 0.0f);
  EXPECT_EQ(c.target(), nullptr);
}

TEST_F(CameraTest, DistanceGrowsWithSpeedFromFiftyToAHundred) {
  camera_.height = -1.0f;  // level view: the distance is all horizontal
  player_.speed = 0.0f;
  camera_.update(ground_);
  EXPECT_NEAR(distance(), 50.0f, 1e-3f);
  player_.speed = 1.0f;
  camera_.update(ground_);
  EXPECT_NEAR(distance(), 70.0f, 1e-3f);
  player_.speed = 2.5f;
  camera_.update(ground_);
  EXPECT_NEAR(distance(), 100.0f, 1e-3f);
  player_.speed = 70.0f;
  camera_.update(ground_);
  EXPECT_NEAR(distance(), 100.0f, 1e-3f);
}

TEST_F(CameraTest, StandsBehindThePlayerAndLooksAtIt) {
  camera_.update(ground_);
  EXPECT_LT(camera_.eyePosition().z, player_.position().z);
  EXPECT_FLOAT_EQ(camera_.eyePosition().x, player_.position().x);
  EXPECT_GT(camera_.eyePosition().y, player_.position().y);
  VornVector toPlayer = player_.position() - camera_.eyePosition();
  toPlayer.normalize();
  EXPECT_NEAR(toPlayer.dot(camera_.viewVector()), 1.0f, 1e-5f);
  EXPECT_NEAR(camera_.viewVector().length(), 1.0f, 1e-5f);
  // The up vector is upright and at right angles to a downward look.
  EXPECT_GT(camera_.upVector().y, 0.0f);
  EXPECT_NEAR(camera_.upVector().dot(camera_.viewVector()), 0.0f, 1e-5f);
  EXPECT_NEAR(camera_.upVector().length(), 1.0f, 1e-5f);
}

TEST_F(CameraTest, PointerSetsHeightAndTurn) {
  camera_.setMouse(400.0f, 300.0f);
  EXPECT_EQ(camera_.yawOffset, 0.0f);
  EXPECT_FLOAT_EQ(camera_.height, 0.0f);
  camera_.setMouse(0.0f, 0.0f);
  EXPECT_FLOAT_EQ(camera_.height, 3.0f);
  EXPECT_FLOAT_EQ(camera_.yawOffset, 200.0f);
  camera_.setMouse(800.0f, 600.0f);
  EXPECT_FLOAT_EQ(camera_.height, -1.0f);  // -3 raised to -1
  EXPECT_FLOAT_EQ(camera_.yawOffset, -200.0f);
}

TEST_F(CameraTest, MouseInTheMiddleIsStraightBehind) {
  camera_.setMouse(400.0f, 380.0f);
  camera_.update(ground_);
  EXPECT_NEAR(camera_.eyePosition().x, player_.position().x, 1e-4f);
  camera_.setMouse(220.0f, 380.0f);  // 90 degrees of turn (by the vector turn factor)
  camera_.update(ground_);
  EXPECT_NEAR(camera_.eyePosition().z, player_.position().z, 0.05f);
}

TEST_F(CameraTest, LowestHeightLooksLevel) {
  camera_.height = -1.0f;
  camera_.update(ground_);
  EXPECT_NEAR(camera_.viewVector().y, 0.0f, 1e-6f);
  EXPECT_NEAR(camera_.upVector().y, 1.0f, 1e-6f);
}

TEST_F(CameraTest, TopOfTheWindowLooksSteeplyDown) {
  camera_.setMouse(400.0f, 0.0f);
  camera_.update(ground_);
  // view before normalising: (0, -2 * 50, 50): 63 degrees down.
  EXPECT_NEAR(camera_.viewVector().y, -2.0f / std::sqrt(5.0f), 1e-5f);
}

TEST_F(CameraTest, NeverBelowTheGround) {
  // A slope that rises behind the player would bury a level camera.
  PlaneGround hill(0.0f, -1.0f, 240.0f);  // y = 240 - z: 40 at the player, higher behind
  camera_.height = -1.0f;
  player_.speed = 10.0f;
  player_.setPosition(VornVector(100.0f, 45.0f, 200.0f));
  camera_.update(hill);
  const VornVector& eye = camera_.eyePosition();
  EXPECT_GE(eye.y, hill.heightAt(eye.x, eye.z) + 10.0f - 1e-3f);
  VornVector toPlayer = player_.position() - eye;
  toPlayer.normalize();
  EXPECT_NEAR(toPlayer.dot(camera_.viewVector()), 1.0f, 1e-5f);  // still looking at the player
  EXPECT_LT(camera_.viewVector().y, 0.0f);
}

TEST_F(CameraTest, WithoutATargetNothingChanges) {
  VornCamera lonely;
  lonely.setMouse(100.0f, 100.0f);
  lonely.update(ground_);
  EXPECT_EQ(lonely.eyePosition().x, 0.0f);
  EXPECT_EQ(lonely.viewVector().z, -100.0f);
}

TEST_F(CameraTest, ResetKeepsTheTarget) {
  camera_.setMouse(10.0f, 10.0f);
  camera_.update(ground_);
  camera_.reset();
  EXPECT_EQ(camera_.target(), &player_);
  EXPECT_EQ(camera_.height, -0.8f);
  EXPECT_EQ(camera_.eyePosition().y, 0.0f);
}

TEST_F(CameraTest, StraightDownStillHasAnUpVector) {
  player_.direction = VornVector(0.0f, -1.0f, 0.0f);  // no heading at all
  camera_.setMouse(400.0f, 0.0f);
  camera_.update(ground_);
  EXPECT_TRUE(std::isfinite(camera_.upVector().x));
  EXPECT_NEAR(camera_.upVector().length(), 1.0f, 1e-5f);
}

}  // namespace
}  // namespace vorn
