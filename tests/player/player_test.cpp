// VornPlayer: the motion operations and the animation clip state.
#include "player/player.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

VornVector forward() { return VornVector(0.0f, 0.0f, 1.0f); }

TEST(PlayerMotion, StartsStillHeadingDiagonallyDownTheTrack) {
  const VornPlayer p;
  EXPECT_EQ(p.speed, 0.0f);
  EXPECT_NEAR(p.direction.x, -0.7071f, 1e-4f);
  EXPECT_NEAR(p.direction.z, 0.7071f, 1e-4f);
  EXPECT_EQ(p.racing, 0);
  EXPECT_EQ(p.countdownDone, 0);
}

TEST(PlayerMotion, AdvanceAndSlide) {
  VornPlayer p;
  p.direction = forward();
  p.setPosition(VornVector(1.0f, 2.0f, 3.0f));
  p.advance(4.0f);
  EXPECT_FLOAT_EQ(p.position().z, 7.0f);
  p.slide(1.0f, VornVector(1.0f, 0.0f, 0.0f), 0.5f, VornVector(0.0f, 1.0f, 0.0f));
  EXPECT_FLOAT_EQ(p.position().z, 8.0f);   // along the old direction
  EXPECT_FLOAT_EQ(p.position().y, 2.5f);   // pushed out along the normal
  EXPECT_FLOAT_EQ(p.direction.x, 1.0f);    // then the new direction
}

TEST(PlayerMotion, GravityBendsDownAndGrowsTheSpeed) {
  VornPlayer p;
  p.direction = forward();
  p.speed = 10.0f;
  p.applyGravity(7.0f);  // adds (0, -3.5, 0)
  EXPECT_NEAR(p.speed, std::sqrt(100.0f + 3.5f * 3.5f), 1e-4f);
  EXPECT_LT(p.direction.y, 0.0f);
  EXPECT_NEAR(p.direction.length(), 1.0f, 1e-5f);
}

TEST(PlayerMotion, GravityCapsTheSpeedAt70) {
  VornPlayer p;
  p.direction = VornVector(0.0f, -1.0f, 0.0f);
  p.speed = 69.0f;
  p.applyGravity(7.0f);
  EXPECT_EQ(p.speed, 70.0f);
  for (int i = 0; i < 100; ++i) p.applyGravity(7.0f);
  EXPECT_EQ(p.speed, 70.0f);
}

TEST(PlayerMotion, GravityOnTheDirectionKeepsTheSpeed) {
  VornPlayer p;
  p.direction = forward();
  p.speed = 10.0f;
  p.applyGravityToDirection(7.0f);
  EXPECT_EQ(p.speed, 10.0f);
  EXPECT_LT(p.direction.y, 0.0f);
}

TEST(PlayerMotion, NoPullChangesNothingAndAStandingPlayerKeepsItsHeading) {
  VornPlayer p;
  p.speed = 12.345f;
  const VornVector d = p.direction;
  p.applyGravity(0.0f);
  EXPECT_EQ(p.speed, 12.345f);
  EXPECT_EQ(p.direction.x, d.x);
  EXPECT_EQ(p.direction.z, d.z);
  p.speed = 0.0f;
  p.applyGravity(0.0f);
  EXPECT_TRUE(std::isfinite(p.direction.x));
  EXPECT_EQ(p.speed, 0.0f);
}

TEST(PlayerMotion, JumpTurnsUpByHalfTheSpeed) {
  VornPlayer p;
  p.direction = forward();
  p.speed = 20.0f;
  p.jump();
  EXPECT_EQ(p.speed, 20.0f);
  EXPECT_NEAR(p.direction.y / p.direction.z, 0.5f, 1e-5f);
  EXPECT_NEAR(p.direction.length(), 1.0f, 1e-5f);
}

TEST(PlayerPose, LeansIntoTheTurnAndFollowsTheBody) {
  VornPlayer straight;
  straight.direction = forward();
  straight.setPosition(VornVector(10.0f, 20.0f, 30.0f));
  VornPlayer left = straight;
  VornPlayer right = straight;
  straight.updatePose(Steering::kNone);
  left.updatePose(Steering::kLeft);
  right.updatePose(Steering::kRight);
  EXPECT_EQ(straight.modelTransform.position().z, 30.0f);
  // The model's own up axis (column 1) tips by 20 degrees either way.
  const float* s = straight.modelTransform.rotation().data();
  const float* l = left.modelTransform.rotation().data();
  const float* r = right.modelTransform.rotation().data();
  auto angle = [](const float* a, const float* b) {
    const float dot = a[4] * b[4] + a[5] * b[5] + a[6] * b[6];
    return std::acos(std::fmin(1.0f, dot)) * 180.0f / 3.14159265f;
  };
  EXPECT_NEAR(angle(s, l), 20.0f, 0.01f);
  EXPECT_NEAR(angle(s, r), 20.0f, 0.01f);
  EXPECT_NEAR(angle(l, r), 40.0f, 0.01f);
}

TEST(PlayerPose, SetUpScalesTheModelOnce) {
  VornPlayer p;
  p.setUpModel();
  EXPECT_FLOAT_EQ(p.modelTransform.scale().x, 0.08f);
  p.updatePose(Steering::kNone);
  EXPECT_FLOAT_EQ(p.modelTransform.scale().y, 0.08f);
}

class PlayerClips : public ::testing::Test {
 protected:
  void SetUp() override {
    clips_.firstFrame = {0, 10};
    clips_.frameCount = {10, 20};
    clips_.duration = {5.0f, 10.0f};
    player_.clips = &clips_;
  }
  VornClipTable clips_;
  VornPlayer player_;
};

TEST_F(PlayerClips, RunsThroughTheFramesAndStopsOnTheLast) {
  player_.startSequence(1);
  EXPECT_EQ(player_.animating, 1);
  EXPECT_EQ(player_.sequence, 1);
  player_.advanceAnimation(5.0f);
  EXPECT_FLOAT_EQ(player_.frame, 20.0f);  // 10 + 20 * 5 / 10
  player_.advanceAnimation(5.0f);
  EXPECT_FLOAT_EQ(player_.frame, 30.0f);
  EXPECT_EQ(player_.animating, 1);        // exactly at the duration it still runs
  player_.advanceAnimation(0.1f);
  EXPECT_EQ(player_.animating, 0);
  EXPECT_FLOAT_EQ(player_.frame, 30.0f);
  player_.advanceAnimation(3.0f);         // a stopped clip stays put
  EXPECT_FLOAT_EQ(player_.frame, 30.0f);
}

TEST_F(PlayerClips, UnknownClipsAreIgnored) {
  player_.startSequence(0);
  player_.advanceAnimation(1.0f);
  player_.startSequence(2);
  player_.startSequence(-1);
  EXPECT_EQ(player_.sequence, 0);
  EXPECT_FLOAT_EQ(player_.elapsed, 1.0f);
  VornPlayer noModel;
  noModel.startSequence(0);
  EXPECT_EQ(noModel.animating, 0);
}

TEST_F(PlayerClips, RestartingAClipBeginsAgain) {
  player_.startSequence(0);
  player_.advanceAnimation(4.0f);
  player_.startSequence(0);
  EXPECT_EQ(player_.elapsed, 0.0f);
  player_.advanceAnimation(2.5f);
  EXPECT_FLOAT_EQ(player_.frame, 5.0f);
}

}  // namespace
}  // namespace vorn
