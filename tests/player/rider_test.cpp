// VornRider on flat analytic ground: keys, terrain sub-steps, jumps and the
// ground bookkeeping. (Coasting is tested with the race's endings.)
#include "player/rider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "player/race_fakes.h"

namespace vorn {
namespace {

using testing_support::PlaneGround;

class RiderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    player_.direction = VornVector(0.0f, 0.0f, 1.0f);
    player_.speed = 10.0f;
    player_.setPosition(VornVector(0.0f, 5.0f, 0.0f));  // resting on the ground at the origin
    rider_.reset(player_.position());
  }
  void frame(float dt) {
    now_ += static_cast<int64_t>(dt * 100000.0f);
    rider_.race(player_, ground_, hooks_, keys_, dt, now_);
  }

  PlaneGround ground_{0.0f, 0.0f, 0.0f};
  testing_support::RecordingHooks hooks_;
  VornPlayer player_;
  VornRider rider_{0, kPlayer1Keys};
  uint8_t keys_[256] = {};
  int64_t now_ = 1000000;
};

// A key acts before gravity and the motion, so a frame with it ends exactly
// like a keyless frame from the speed and heading the key gave.
TEST_F(RiderTest, KeysAccelerateBelowSixteenBrakeNoLowerThanFiveAndSteerLessOnIce) {
  struct Case {
    char key;
    float speed, dt, ice, speedAfterKey, turnDeg;
  } const cases[] = {
      {'w', 15.5f, 0.5f, 0.0f, 16.5f, 0.0f}, {'w', 16.0f, 0.5f, 0.0f, 16.0f, 0.0f},  // only below 16
      {'s', 10.0f, 1.0f, 0.0f, 7.5f, 0.0f},  {'s', 6.0f, 1.0f, 0.0f, 5.0f, 0.0f},    // 3.5 raised to 5
      {'s', 4.0f, 2.0f, 0.0f, 4.0f, 0.0f},  // 2 * dt = 4 is not below the speed: no braking
      {'a', 10.0f, 1.0f, 0.0f, 10.0f, 8.0f}, {'d', 10.0f, 1.0f, 0.0f, 10.0f, -8.0f},  // "a": left, towards +x
      {'a', 10.0f, 1.0f, 0.5f, 10.0f, 4.0f}, {'d', 10.0f, 1.0f, 1.0f, 10.0f, 0.0f},   // ice takes the grip
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.key) + " at " + std::to_string(c.speed) + " on ice " + std::to_string(c.ice));
    SetUp();
    ground_.material[0] = 1.0f - c.ice;
    ground_.material[2] = c.ice;
    VornPlayer keyless = player_;
    VornRider keylessRider{0, kPlayer1Keys};
    keylessRider.reset(keyless.position());
    keyless.speed = c.speedAfterKey;
    keyless.direction.rotateY(c.turnDeg);
    player_.speed = c.speed;
    uint8_t keys[256] = {};
    keys[static_cast<unsigned char>(c.key)] = 1;
    const uint8_t none[256] = {};
    rider_.race(player_, ground_, hooks_, keys, c.dt, now_);
    keylessRider.race(keyless, ground_, hooks_, none, c.dt, now_);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(player_.position()[i], keyless.position()[i]);
      EXPECT_EQ(player_.direction[i], keyless.direction[i]);
    }
    EXPECT_EQ(player_.speed, keyless.speed);
    EXPECT_EQ(player_.direction.x > 0.0f, c.turnDeg > 0.0f);
    EXPECT_EQ(rider_.steering, c.key == 'a' ? Steering::kLeft : c.key == 'd' ? Steering::kRight : Steering::kNone);
  }
}

TEST_F(RiderTest, SlidesInHalfUnitStepsFlagsTheFinishForOneFrameAndNeverHangs) {
  player_.speed = 70.0f;
  ground_.endZ = 30.0f;
  frame(1.0f);
  EXPECT_GE(rider_.probes, 140);
  EXPECT_LE(rider_.probes, 150);
  EXPECT_TRUE(rider_.onGround);
  EXPECT_NEAR(player_.position().y, 5.0f, 0.5f);
  EXPECT_NEAR(player_.position().z, 70.0f, 1.0f);
  EXPECT_TRUE(rider_.endOfTrack);
  ground_.endZ = 1e9f;
  frame(1.0f);
  EXPECT_FALSE(rider_.endOfTrack);
  // A wedged player, whose every probe touches and turns the step back,
  // does not hang the frame.
  struct WedgeGround : PlaneGround {
    WedgeGround() : PlaneGround(0.0f, 0.0f, 0.0f) {}
    int collidePlayer(const VornVector&, const VornVector& direction, VornVector& newDirection, float& step,
                      VornVector& normal, float& depth, bool&) override {
      ++probes;
      newDirection = direction;
      normal = VornVector(0.0f, 1.0f, 0.0f);
      depth = 0.0f;
      step = -0.25f;
      return 0;
    }
  } wedge;
  player_.speed = 10.0f;
  rider_.move(player_, wedge, 1.0f);
  EXPECT_GT(wedge.probes, 0);
  EXPECT_LE(wedge.probes, 2 * 20 + 16);
}

TEST_F(RiderTest, OneJumpPerPressAtTheFirstGroundContact) {
  player_.setPosition(VornVector(0.0f, 40.0f, 0.0f));  // in the air: the jump waits for the landing
  keys_[kPlayer1Keys.jump] = 1;
  for (int i = 0; i < 200 && hooks_.count(RaceSound::kJump) == 0; ++i) {
    frame(0.1f);
    if (hooks_.count(RaceSound::kJump) == 0) {
      EXPECT_FALSE(rider_.onGround) << "frame " << i;
    }
  }
  ASSERT_EQ(hooks_.count(RaceSound::kJump), 1);
  EXPECT_EQ(rider_.jumpKeyState, kJumpKeyUsed);
  EXPECT_GT(player_.direction.y, 0.0f);
  for (int i = 0; i < 300; ++i) frame(0.1f);
  EXPECT_EQ(hooks_.count(RaceSound::kJump), 1) << "held through the flight and the next landings";
  keys_[kPlayer1Keys.jump] = 0;
  frame(0.1f);
  EXPECT_EQ(rider_.jumpKeyState, kJumpKeyUp);
  keys_[kPlayer1Keys.jump] = 1;
  for (int i = 0; i < 300; ++i) frame(0.1f);
  EXPECT_EQ(hooks_.count(RaceSound::kJump), 2) << "released and pressed again";
}

TEST_F(RiderTest, LandingsAreRatedByDistanceButConsecutiveGroundFramesNever) {
  player_.speed = 70.0f;
  for (int i = 0; i < 50; ++i) frame(1.0f);
  EXPECT_TRUE(hooks_.messages.empty());
  // A landing 290 units on from the take-off is a nice jump.
  rider_.lastGroundPosition = VornVector(0.0f, 5.0f, player_.position().z - 290.0f);
  frame(0.1f);
  EXPECT_EQ(hooks_.messages, std::vector<std::string>{"NICE JUMP"});
  EXPECT_EQ(hooks_.sounds.back(), RaceSound::kHeya);
}

TEST_F(RiderTest, SlidingSoundsFollowTheGroundAndFallSilentInTheAir) {
  player_.speed = 15.0f;
  frame(0.1f);
  EXPECT_TRUE(rider_.onGround);
  EXPECT_NEAR(hooks_.levels.snowGain, player_.speed / 30.0f, 1e-4f);
  EXPECT_EQ(hooks_.levels.pitch, 0.9f);
  player_.speed = 50.0f;
  frame(0.01f);
  EXPECT_EQ(hooks_.levels.pitch, 1.1f);

  player_.setPosition(VornVector(0.0f, 500.0f, 0.0f));
  player_.direction = VornVector(0.0f, 0.0f, 1.0f);
  frame(0.5f);  // 50 ms in the air: take-off puffs
  EXPECT_EQ(hooks_.takeOffs, 1);
  frame(1.0f);  // 150 ms: neither
  EXPECT_EQ(hooks_.takeOffs, 1);
  EXPECT_EQ(hooks_.silenced, 0);
  frame(1.0f);  // 250 ms: silent
  EXPECT_EQ(hooks_.silenced, 1);
}

}  // namespace
}  // namespace vorn
