// VornCamera: distance by speed, pointer control, ground clearance, up vector.
#include "player/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "player/race_fakes.h"

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
  // Along a unit view at the player, with a unit up vector at right angles
  // to it on its upper side.
  void expectLooksAtThePlayer() const {
    const VornVector toPlayer = (player_.position() - camera_.eyePosition()).normalized();
    EXPECT_NEAR(toPlayer.dot(camera_.viewVector()), 1.0f, 1e-5f);
    EXPECT_NEAR(camera_.upVector().length(), 1.0f, 1e-5f);
    EXPECT_NEAR(camera_.upVector().dot(camera_.viewVector()), 0.0f, 1e-5f);
    EXPECT_GE(camera_.upVector().y, 0.0f);
  }
  PlaneGround ground_{0.0f, 0.0f, 0.0f};
  VornPlayer player_;
  VornCamera camera_;
};

TEST_F(CameraTest, StandsBehindFiftyToAHundredAwayByTheSpeedAndThePointerTurnsAndRaisesIt) {
  camera_.setMouse(400.0f, 600.0f);  // the middle, the bottom: straight behind, level (-3 raised to -1)
  EXPECT_FLOAT_EQ(camera_.height, -1.0f);
  for (const auto& [speed, expected] : {std::pair{0.0f, 50.0f}, {1.0f, 70.0f}, {2.5f, 100.0f}, {70.0f, 100.0f}}) {
    player_.speed = speed;
    camera_.update(ground_);
    EXPECT_NEAR(std::sqrt(player_.position().distanceSquared(camera_.eyePosition())), expected, 1e-3f) << speed;
    EXPECT_NEAR(camera_.eyePosition().x, player_.position().x, 1e-4f);
    EXPECT_NEAR(camera_.viewVector().y, 0.0f, 1e-6f);
    expectLooksAtThePlayer();
  }
  camera_.setMouse(220.0f, 600.0f);  // 90 degrees of turn (by the vector turn factor)
  camera_.update(ground_);
  EXPECT_NEAR(camera_.eyePosition().z, player_.position().z, 0.05f);
  camera_.setMouse(400.0f, 0.0f);  // the top of the window: view (0, -2d, d), 63 degrees down
  camera_.update(ground_);
  EXPECT_LT(camera_.eyePosition().z, player_.position().z);
  EXPECT_NEAR(camera_.viewVector().y, -2.0f / std::sqrt(5.0f), 1e-5f);
  expectLooksAtThePlayer();
  // Straight down there is no heading to lean the up vector along.
  player_.direction = VornVector(0.0f, -1.0f, 0.0f);
  camera_.update(ground_);
  EXPECT_TRUE(std::isfinite(camera_.upVector().x));
  EXPECT_NEAR(camera_.upVector().length(), 1.0f, 1e-5f);
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
  EXPECT_LT(camera_.viewVector().y, 0.0f);
  expectLooksAtThePlayer();
}

}  // namespace
}  // namespace vorn
