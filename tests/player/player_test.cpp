// VornPlayer: the model pose and the animation clip state. (Gravity, the jump
// and the speed cap are tested through the race update.)
#include "player/player.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

TEST(PlayerPose, FollowsTheBodyAndLeansTwentyDegreesIntoEitherTurn) {
  float up[3][3];  // the model's own up axis (column 1), steering none, left, right
  for (int i = 0; i < 3; ++i) {
    VornPlayer p;
    p.direction = VornVector(0.0f, 0.0f, 1.0f);
    p.setPosition(VornVector(10.0f, 20.0f, 30.0f));
    p.setUpModel();
    p.updatePose(static_cast<Steering>(i));
    EXPECT_EQ(p.modelTransform.position().z, 30.0f);
    for (int k = 0; k < 3; ++k) up[i][k] = p.modelTransform.rotation().data()[4 + k];
  }
  const auto degrees = [&](int a, int b) {
    return std::acos(std::fmin(1.0f, up[a][0] * up[b][0] + up[a][1] * up[b][1] + up[a][2] * up[b][2])) * 57.2957795f;
  };
  EXPECT_NEAR(degrees(0, 1), 20.0f, 0.01f);
  EXPECT_NEAR(degrees(0, 2), 20.0f, 0.01f);
  EXPECT_NEAR(degrees(1, 2), 40.0f, 0.01f);
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
