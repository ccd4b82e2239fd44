// VornRider: keys, gravity, terrain sub-steps, jumps, ground bookkeeping.
#include "player/rider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "player/fake_ground.h"

namespace vorn {
namespace {

using testing_support::PlaneGround;

// Records the hooks the rider calls.
class Recorder : public VornRaceHooks {
 public:
  void playSound(RaceSound s) override { sounds.push_back(s); }
  void showMessage(RaceText, int, const char* text) override { messages.push_back(text); }
  void silenceSlidingSounds(int) override { ++silenced; }
  void emitTakeOff(const VornVector&, const VornVector&, float) override { ++takeOffs; }
  void emitSpray(const VornVector&, const VornVector&, float) override { ++sprays; }
  void setSlidingSounds(int, const SlidingSoundLevels& l) override { levels = l; }
  std::vector<RaceSound> sounds;
  std::vector<std::string> messages;
  int silenced = 0;
  int takeOffs = 0;
  int sprays = 0;
  SlidingSoundLevels levels;
};

class RiderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    player_.direction = VornVector(0.0f, 0.0f, 1.0f);
    player_.speed = 10.0f;
    standOnGround();
    rider_.reset(player_.position());
  }
  // Centre 5 above the flat ground at the origin.
  void standOnGround() { player_.setPosition(VornVector(0.0f, 5.0f, 0.0f)); }
  void frame(float dt) {
    now_ += static_cast<int64_t>(dt * 100000.0f);
    rider_.race(player_, ground_, hooks_, keys_, dt, now_);
  }
  void hold(char k) { keys_[static_cast<unsigned char>(k)] = 1; }
  void release(char k) { keys_[static_cast<unsigned char>(k)] = 0; }

  PlaneGround ground_{0.0f, 0.0f, 0.0f};
  Recorder hooks_;
  VornPlayer player_;
  VornRider rider_{0, kPlayer1Keys};
  uint8_t keys_[256] = {};
  int64_t now_ = 1000000;
};

TEST_F(RiderTest, AcceleratesOnlyBelowSixteen) {
  hold('w');
  player_.speed = 15.9f;
  player_.direction = VornVector(0.0f, 0.0f, 1.0f);
  // Without gravity the keys alone decide; a tiny step keeps gravity out.
  rider_.race(player_, ground_, hooks_, keys_, 0.1f, now_);
  const float once = player_.speed;
  EXPECT_GT(once, 16.0f);
  rider_.race(player_, ground_, hooks_, keys_, 0.1f, now_);
  // Only gravity's tiny bend can add more now.
  EXPECT_LT(player_.speed - once, 0.01f);
}

TEST_F(RiderTest, AcceleratingAtSixteenDoesNothing) {
  player_.speed = 16.0f;
  VornPlayer without = player_;
  VornRider other{0, kPlayer1Keys};
  other.reset(without.position());
  hold('w');
  frame(0.5f);
  uint8_t none[256] = {};
  other.race(without, ground_, hooks_, none, 0.5f, now_);
  EXPECT_EQ(player_.speed, without.speed);
}

TEST_F(RiderTest, BrakingNeverGoesBelowFive) {
  hold('s');
  player_.speed = 6.0f;
  frame(1.0f);  // 6 - 2.5 = 3.5, raised to 5, then gravity adds (0, -3.5, 0)
  EXPECT_NEAR(player_.speed, std::sqrt(25.0f + 3.5f * 3.5f), 1e-4f);
  for (int i = 0; i < 20; ++i) {
    frame(0.05f);
    EXPECT_GE(player_.speed, 5.0f);
  }
  EXPECT_LT(player_.speed, 5.1f);
}

TEST_F(RiderTest, BrakingDoesNothingWhenTheStepOutweighsTheSpeed) {
  hold('s');
  player_.speed = 4.0f;
  player_.direction = VornVector(0.0f, 0.0f, 1.0f);
  VornPlayer free = player_;
  VornRider freeRider{0, kPlayer1Keys};
  freeRider.reset(free.position());
  uint8_t none[256] = {};
  rider_.race(player_, ground_, hooks_, keys_, 2.0f, now_);  // 2 * dt = 4 is not below 4
  freeRider.race(free, ground_, hooks_, none, 2.0f, now_);
  EXPECT_EQ(player_.speed, free.speed);
}

TEST_F(RiderTest, SteersEightDegreesPerTenthOnSnow) {
  hold('a');
  frame(1.0f);
  const float heading = std::atan2(player_.direction.x, player_.direction.z) * 180.0f / 3.14159265f;
  EXPECT_NEAR(heading, 8.0f, 0.01f);  // "a" turns towards +x, the left of a player going +z
  EXPECT_EQ(rider_.steering, Steering::kLeft);
  release('a');
  hold('d');
  frame(2.0f);
  const float back = std::atan2(player_.direction.x, player_.direction.z) * 180.0f / 3.14159265f;
  EXPECT_NEAR(back, -8.0f, 0.01f);
  EXPECT_EQ(rider_.steering, Steering::kRight);
}

TEST_F(RiderTest, PureIceDoesNotTurnButTheModelStillLeans) {
  ground_.material[0] = 0.0f;
  ground_.material[2] = 1.0f;
  VornPlayer straight = player_;
  VornRider straightRider{0, kPlayer1Keys};
  straightRider.reset(straight.position());
  uint8_t none[256] = {};
  hold('a');
  frame(1.0f);
  straightRider.race(straight, ground_, hooks_, none, 1.0f, now_);
  EXPECT_EQ(player_.direction.x, straight.direction.x);
  EXPECT_EQ(player_.direction.z, straight.direction.z);
  const float* s = straight.modelTransform.rotation().data();
  const float* l = player_.modelTransform.rotation().data();
  const float dot = s[4] * l[4] + s[5] * l[5] + s[6] * l[6];
  EXPECT_NEAR(std::acos(std::fmin(1.0f, dot)) * 180.0f / 3.14159265f, 20.0f, 0.01f);
}

TEST_F(RiderTest, AFrameWithoutTimeChangesNothing) {
  hold('w');
  hold('a');
  hold('s');
  frame(1.0f);  // settle into the ground
  const VornVector p = player_.position();
  const VornVector d = player_.direction;
  const float s = player_.speed;
  rider_.race(player_, ground_, hooks_, keys_, 0.0f, now_);
  EXPECT_EQ(player_.position().x, p.x);
  EXPECT_EQ(player_.position().y, p.y);
  EXPECT_EQ(player_.position().z, p.z);
  EXPECT_EQ(player_.direction.x, d.x);
  EXPECT_EQ(player_.direction.y, d.y);
  EXPECT_EQ(player_.direction.z, d.z);
  EXPECT_EQ(player_.speed, s);
}

TEST_F(RiderTest, SlidesAlongTheGroundInHalfUnitSteps) {
  player_.speed = 70.0f;
  frame(1.0f);
  EXPECT_GE(rider_.probes, 140);
  EXPECT_LE(rider_.probes, 150);
  EXPECT_TRUE(rider_.onGround);
  EXPECT_NEAR(player_.position().y, 5.0f, 0.5f);
  EXPECT_NEAR(player_.position().z, 70.0f, 1.0f);
}

TEST_F(RiderTest, ReleasedOnASlopeSpeedsUpDownhill) {
  PlaneGround slope(0.0f, -0.2f, 0.0f);  // falls towards +z
  player_.speed = 0.0f;
  player_.direction = VornVector(1.0f, 0.0f, 0.0f);  // across the slope
  player_.setPosition(VornVector(0.0f, 5.0f / slope.normal().y, 0.0f));
  for (int i = 0; i < 100; ++i) {
    now_ += 10000;
    rider_.race(player_, slope, hooks_, keys_, 0.1f, now_);
    const VornVector& p = player_.position();
    const float above = (p.y - slope.heightAt(p.x, p.z)) * slope.normal().y;
    ASSERT_GT(above, 4.0f) << "frame " << i;
  }
  EXPECT_GT(player_.speed, 5.0f);
  EXPECT_GT(player_.position().z, 20.0f);
  EXPECT_GT(player_.direction.z, 0.5f);  // turned downhill
}

TEST_F(RiderTest, OneJumpPerPressAtTheFirstGroundContact) {
  // Lift the player into the air: the jump waits for the landing.
  player_.setPosition(VornVector(0.0f, 40.0f, 0.0f));
  hold(' ');
  int jumps = 0;
  for (int i = 0; i < 200; ++i) {
    frame(0.1f);
    jumps = static_cast<int>(std::count(hooks_.sounds.begin(), hooks_.sounds.end(), RaceSound::kJump));
    if (jumps == 0) {
      EXPECT_FALSE(rider_.onGround) << "frame " << i;
    }
    if (jumps) break;
  }
  ASSERT_EQ(jumps, 1);
  EXPECT_EQ(rider_.jumpKeyState, kJumpKeyUsed);
  EXPECT_GT(player_.direction.y, 0.0f);
  // Held through the flight and the next landings: no further jump.
  for (int i = 0; i < 300; ++i) frame(0.1f);
  EXPECT_EQ(std::count(hooks_.sounds.begin(), hooks_.sounds.end(), RaceSound::kJump), 1);
  // Released and pressed again: the next ground frame jumps.
  release(' ');
  frame(0.1f);
  EXPECT_EQ(rider_.jumpKeyState, kJumpKeyUp);
  hold(' ');
  for (int i = 0; i < 300; ++i) frame(0.1f);
  EXPECT_EQ(std::count(hooks_.sounds.begin(), hooks_.sounds.end(), RaceSound::kJump), 2);
}

TEST_F(RiderTest, SlidingSoundsFollowTheGroundAndFallSilentInTheAir) {
  player_.speed = 15.0f;
  frame(0.1f);
  EXPECT_TRUE(rider_.onGround);
  EXPECT_NEAR(hooks_.levels.snowGain, player_.speed / 30.0f, 1e-4f);
  EXPECT_EQ(hooks_.levels.pitch, 0.9f);
  EXPECT_EQ(rider_.lastGroundTime, now_);
  player_.speed = 50.0f;
  frame(0.01f);
  EXPECT_EQ(hooks_.levels.pitch, 1.1f);

  player_.setPosition(VornVector(0.0f, 500.0f, 0.0f));
  player_.direction = VornVector(0.0f, 0.0f, 1.0f);
  frame(0.5f);  // 50 ms in the air: take-off puffs
  EXPECT_EQ(hooks_.takeOffs, 1);
  EXPECT_EQ(hooks_.silenced, 0);
  frame(1.0f);  // 150 ms: neither
  EXPECT_EQ(hooks_.takeOffs, 1);
  EXPECT_EQ(hooks_.silenced, 0);
  frame(1.0f);  // 250 ms: silent
  EXPECT_EQ(hooks_.silenced, 1);
}

TEST(JumpRating, Thresholds) {
  EXPECT_EQ(jumpRating(50000), nullptr);
  EXPECT_STREQ(jumpRating(50001), "BABY JUMP");
  EXPECT_STREQ(jumpRating(80001), "NICE JUMP");
  EXPECT_STREQ(jumpRating(100001), "MEGAJUMP");
  EXPECT_STREQ(jumpRating(200001), "MONSTERJUMP");
  EXPECT_STREQ(jumpRating(200000), "MEGAJUMP");
}

TEST_F(RiderTest, ConsecutiveGroundFramesAreNeverRated) {
  player_.speed = 70.0f;
  for (int i = 0; i < 50; ++i) frame(1.0f);
  EXPECT_TRUE(hooks_.messages.empty());
  // A landing 300 units from the take-off is a nice jump.
  rider_.lastGroundPosition = VornVector(0.0f, 5.0f, player_.position().z - 290.0f);
  frame(0.1f);
  ASSERT_EQ(hooks_.messages.size(), 1u);
  EXPECT_EQ(hooks_.messages[0], "NICE JUMP");
  EXPECT_EQ(hooks_.sounds.back(), RaceSound::kHeya);
}

// A ground that answers every probe with a contact that turns the step back.
class WedgeGround : public PlaneGround {
 public:
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
};

TEST_F(RiderTest, AWedgedPlayerDoesNotHangTheFrame) {
  WedgeGround wedge;
  player_.speed = 10.0f;
  rider_.move(player_, wedge, 1.0f);
  EXPECT_GT(wedge.probes, 0);
  EXPECT_LE(wedge.probes, 2 * 20 + 16);
}

TEST_F(RiderTest, TheEndOfTrackFlagLastsOneFrame) {
  ground_.endZ = 3.0f;
  frame(1.0f);
  EXPECT_TRUE(rider_.endOfTrack);
  ground_.endZ = 1e9f;
  frame(1.0f);
  EXPECT_FALSE(rider_.endOfTrack);
}

TEST_F(RiderTest, CoastingRunsDownAndStops) {
  player_.speed = 3.0f;
  for (int i = 0; i < 5; ++i) rider_.coast(player_, ground_, hooks_, 1.0f);
  EXPECT_NEAR(player_.speed, 0.5f, 1e-4f);
  const float z = player_.position().z;
  rider_.coast(player_, ground_, hooks_, 1.0f);
  EXPECT_GT(player_.position().z, z);
  EXPECT_LE(player_.speed, 0.0f);
  const float stopped = player_.position().z;
  rider_.coast(player_, ground_, hooks_, 1.0f);
  EXPECT_EQ(player_.position().z, stopped);
}

}  // namespace
}  // namespace vorn
