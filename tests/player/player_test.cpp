// VornPlayer: gravity, the jump, the model pose and the animation clip state.
#include "player/player.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

TEST(PlayerMotion, GravityBendsDownGrowsTheSpeedUpToSeventyAndTheJumpTurnsUp) {
  VornPlayer p;
  p.direction = VornVector(0.0f, 0.0f, 1.0f);
  p.speed = 10.0f;
  p.applyGravity(7.0f);  // adds (0, -3.5, 0)
  EXPECT_NEAR(p.direction.y * p.speed, -3.5f, 1e-4f);
  const float speed = p.speed;
  p.applyGravityToDirection(7.0f);
  EXPECT_EQ(p.speed, speed) << "the bend alone keeps the speed";
  p.direction = VornVector(0.0f, 0.0f, 1.0f);
  p.jump();
  EXPECT_EQ(p.speed, speed);
  EXPECT_NEAR(p.direction.y / p.direction.z, 0.5f, 1e-5f);
  p.direction = VornVector(0.0f, -1.0f, 0.0f);
  for (int i = 0; i < 20; ++i) p.applyGravity(7.0f);
  EXPECT_EQ(p.speed, 70.0f);
  // No pull changes nothing, even for a standing player.
  p.speed = 0.0f;
  p.applyGravity(0.0f);
  EXPECT_EQ(p.direction.y, -1.0f);
  EXPECT_EQ(p.speed, 0.0f);
}

TEST(PlayerPose, LeansTwentyDegreesIntoTheTurnAtTheBodyAtModelScale) {
  VornPlayer poses[3];  // steering none, left, right
  for (int i = 0; i < 3; ++i) {
    poses[i].direction = VornVector(0.0f, 0.0f, 1.0f);
    poses[i].setPosition(VornVector(10.0f, 20.0f, 30.0f));
    poses[i].setUpModel();
    poses[i].updatePose(static_cast<Steering>(i));
  }
  EXPECT_EQ(poses[0].modelTransform.position().z, 30.0f);
  EXPECT_FLOAT_EQ(poses[0].modelTransform.scale().y, 0.08f);
  // The angle between the model's own up axes (column 1).
  auto angle = [&](int a, int b) {
    const float* s = poses[a].modelTransform.rotation().data();
    const float* t = poses[b].modelTransform.rotation().data();
    return std::acos(std::fmin(1.0f, s[4] * t[4] + s[5] * t[5] + s[6] * t[6])) * 57.2957795f;
  };
  EXPECT_NEAR(angle(0, 1), 20.0f, 0.01f);
  EXPECT_NEAR(angle(0, 2), 20.0f, 0.01f);
  EXPECT_NEAR(angle(1, 2), 40.0f, 0.01f);
}

TEST(PlayerClips, RunThroughTheFramesStopOnTheLastAndIgnoreUnknownClips) {
  const VornClipTable clips{{0, 10}, {10, 20}, {5.0f, 10.0f}};
  VornPlayer p;
  p.startSequence(0);
  EXPECT_EQ(p.animating, 0) << "no clips, no clip";
  p.clips = &clips;
  p.startSequence(1);
  p.advanceAnimation(5.0f);
  EXPECT_FLOAT_EQ(p.frame, 20.0f);  // 10 + 20 * 5 / 10
  p.advanceAnimation(5.0f);
  EXPECT_EQ(p.animating, 1) << "exactly at the duration it still runs";
  p.advanceAnimation(0.1f);
  p.advanceAnimation(3.0f);
  EXPECT_EQ(p.animating, 0);
  EXPECT_FLOAT_EQ(p.frame, 30.0f) << "a stopped clip stays on its last frame";
  p.startSequence(0);
  p.advanceAnimation(2.5f);
  p.startSequence(2);
  p.startSequence(-1);
  EXPECT_EQ(p.sequence, 0);
  EXPECT_FLOAT_EQ(p.frame, 5.0f) << "a restarted clip begins again; unknown clips are ignored";
}

}  // namespace
}  // namespace vorn
