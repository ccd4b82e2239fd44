// VornRace: countdown, race clock, race end and the split race, with a
// driven clock on a flat analytic ground.
#include "player/race.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "player/fake_ground.h"

namespace vorn {
namespace {

using testing_support::PlaneGround;
using testing_support::WavyGround;

class Recorder : public VornRaceHooks {
 public:
  void playSound(RaceSound s) override { sounds.push_back(s); }
  void showMessage(RaceText kind, int player, const char* text) override {
    messages.push_back(text);
    kinds.push_back(kind);
    messagePlayers.push_back(player);
  }
  void showWinText() override { ++winTexts; }
  void setHudWon(int p) override {
    won.push_back(p);
    shown[p] = 1;
  }
  void setHudLost(int p) override {
    lost.push_back(p);
    shown[p] = 2;
  }
  void muteLoopingSounds() override { ++mutes; }
  bool updateBeers(int player, const VornVector&) override { return beerFor[player]; }
  bool updateHud(int player, int64_t s, float awake, float) override {
    secondsShown = s;
    awakeChanges[player] = awake;
    return exhausted[player];
  }
  bool advanceReplay(float) override { return replayDone; }
  void closeRecording() override { ++recordingsClosed; }
  void advanceAnimations(float dt) override { animationTime += dt; }

  int count(RaceSound s) const { return static_cast<int>(std::count(sounds.begin(), sounds.end(), s)); }

  std::vector<RaceSound> sounds;
  std::vector<std::string> messages;
  std::vector<RaceText> kinds;
  std::vector<int> messagePlayers;
  std::vector<int> won;
  std::vector<int> lost;
  int shown[2] = {0, 0};  // what each HUD shows last: 0 racing, 1 won, 2 lost
  int winTexts = 0;
  int mutes = 0;
  int recordingsClosed = 0;
  bool beerFor[2] = {false, false};
  bool exhausted[2] = {false, false};
  bool replayDone = false;
  float animationTime = 0.0f;
  int64_t secondsShown = 0;
  float awakeChanges[2] = {0.0f, 0.0f};
};

class RaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    race_.attach(0, &players_[0], &cameras_[0]);
    race_.attach(1, &players_[1], &cameras_[1]);
  }

  void startSingle() {
    VornRace::startClock(clock_, now_);
    race_.placeAtStart(0, VornVector(0.0f, 5.0f, 0.0f), 5.0f);
  }
  void startSplit() {
    VornRace::startClock(clock_, now_);
    splitCountdown_ = 30.0f;
    race_.placeAtStart(0, VornVector(0.0f, 5.0f, 0.0f), 15.0f);
    race_.placeAtStart(1, VornVector(0.0f, 5.0f, 0.0f), -15.0f);
  }
  VornRaceResult single(int64_t stepMicros) {
    now_ += stepMicros;
    VornRaceInput in;
    in.now = now_;
    in.keys = keys_;
    in.ghostGame = ghost_;
    return race_.updateSingle(ground_, clock_, in);
  }
  VornRaceResult split(int64_t stepMicros) {
    now_ += stepMicros;
    VornRaceInput in;
    in.now = now_;
    in.keys = keys_;
    return race_.updateSplit(ground_, clock_, in);
  }
  // Runs single frames of 10 ms until "GO"; returns the time of "GO".
  int64_t countDown() {
    for (int i = 0; i < 1000 && !players_[0].racing; ++i) single(10000);
    return now_;
  }

  PlaneGround ground_{0.0f, 0.0f, 0.0f};
  Recorder hooks_;
  VornRace race_{hooks_};
  VornPlayer players_[2];
  VornCamera cameras_[2];
  int64_t now_ = 50000000;
  int64_t lastFrameTime_ = 0;
  int64_t deadline_ = 0;
  int64_t deadline2_ = 0;
  int stage_ = 0;
  float splitCountdown_ = 0.0f;
  bool hornActive_[2] = {false, false};
  float hornTimer_[2] = {0.0f, 0.0f};
  VornRaceClock clock_{lastFrameTime_, deadline_, deadline2_, stage_, splitCountdown_, hornActive_, hornTimer_};
  uint8_t keys_[256] = {};
  bool ghost_ = false;
};

TEST_F(RaceTest, StartPutsThePlayerBesideTheStartAndResetsItsState) {
  players_[0].racing = 1;
  players_[0].knockedOut = 1;
  players_[0].speed = 55.0f;
  startSingle();
  EXPECT_EQ(stage_, 0);
  EXPECT_EQ(lastFrameTime_, now_);
  EXPECT_EQ(deadline_, now_ + 1000000);
  EXPECT_EQ(players_[0].position().x, 5.0f);
  EXPECT_EQ(players_[0].speed, 10.0f);
  EXPECT_EQ(players_[0].racing, 0);
  EXPECT_EQ(players_[0].knockedOut, 0);
  EXPECT_NEAR(players_[0].direction.x, -0.7071f, 1e-4f);
  EXPECT_EQ(players_[0].modelTransform.position().x, 5.0f);
}

TEST_F(RaceTest, CountdownStagesComeAtTheirMoments) {
  const int64_t start = now_;
  startSingle();
  std::vector<std::pair<int64_t, int>> changes;  // (time since start, new stage)
  int last = stage_;
  for (int i = 0; i < 500 && !players_[0].racing; ++i) {
    single(10000);
    if (stage_ != last || players_[0].racing) changes.push_back({now_ - start, stage_});
    last = stage_;
    EXPECT_EQ(players_[0].position().z, 0.0f) << "the player waits during the countdown";
  }
  ASSERT_EQ(changes.size(), 8u);
  // Stage 0 waits one second, each number shows for 0.7 s.
  EXPECT_EQ(changes[0], std::make_pair(int64_t{1010000}, 1));
  EXPECT_EQ(changes[1], std::make_pair(int64_t{1020000}, 2));  // "1"
  EXPECT_EQ(changes[2], std::make_pair(int64_t{1730000}, 3));
  EXPECT_EQ(changes[3], std::make_pair(int64_t{1740000}, 4));  // "2"
  EXPECT_EQ(changes[4], std::make_pair(int64_t{2450000}, 5));
  EXPECT_EQ(changes[5], std::make_pair(int64_t{2460000}, 6));  // "3"
  EXPECT_EQ(changes[6], std::make_pair(int64_t{3170000}, 7));
  EXPECT_EQ(changes[7], std::make_pair(int64_t{3180000}, 0));  // "GO"
  EXPECT_EQ(hooks_.messages, (std::vector<std::string>{"1", "2", "3", "GO"}));
  EXPECT_EQ(hooks_.kinds[0], RaceText::kCountdown);
  EXPECT_EQ(players_[0].countdownDone, 1);
  EXPECT_EQ(deadline_, now_ + 15000000);
}

TEST_F(RaceTest, TheClockRunsFifteenSecondsThenTheRaceIsLost) {
  startSingle();
  const int64_t go = countDown();
  EXPECT_EQ(deadline_, go + 15000000);
  VornRaceResult r;
  while (players_[0].racing && now_ - go < 20000000) r = single(20000);
  // The clock shows whole seconds; the race is lost once it shows 0.
  EXPECT_EQ(now_ - go, 14020000);
  EXPECT_EQ(stage_, 1);
  EXPECT_EQ(hooks_.count(RaceSound::kLost), 1);
  EXPECT_EQ(hooks_.lost, std::vector<int>{0});
  EXPECT_GE(hooks_.mutes, 1);
  EXPECT_EQ(r.request, RaceRequest::kNone);
  // The player coasts on; Space then returns to the menu.
  const float z = players_[0].position().z;
  EXPECT_EQ(single(20000).request, RaceRequest::kNone);
  EXPECT_GT(players_[0].position().z, z);
  keys_[32] = 1;
  EXPECT_EQ(single(20000).request, RaceRequest::kBackToMenu);
}

TEST_F(RaceTest, SpaceDuringTheRaceIsAJumpNotTheWayOut) {
  startSingle();
  countDown();
  keys_[32] = 1;
  EXPECT_EQ(single(20000).request, RaceRequest::kNone);
}

TEST_F(RaceTest, AFinishWithElevenSecondsLeftShowsTheWinTextAndHandsOverNextFrame) {
  startSingle();
  countDown();
  single(3000000);  // 12 s left
  ground_.endZ = players_[0].position().z;
  VornRaceResult r = single(1000000);  // 11 s left, over the line
  EXPECT_EQ(stage_, 2);
  EXPECT_EQ(hooks_.winTexts, 1);
  EXPECT_EQ(r.request, RaceRequest::kNone);
  r = single(10000);
  EXPECT_EQ(r.request, RaceRequest::kFinished);
  EXPECT_EQ(r.secondsLeft, 10);
  EXPECT_EQ(hooks_.winTexts, 1);
}

TEST_F(RaceTest, AFinishWithTenSecondsLeftHasNoWinText) {
  startSingle();
  countDown();
  single(4000000);
  ground_.endZ = players_[0].position().z;
  single(1000000);  // exactly 10 s left
  EXPECT_EQ(stage_, 2);
  EXPECT_EQ(hooks_.winTexts, 0);
  EXPECT_EQ(single(10000).request, RaceRequest::kFinished);
}

TEST_F(RaceTest, AClockAtZeroOnTheFinishLoses) {
  startSingle();
  countDown();
  single(14000000);
  ground_.endZ = players_[0].position().z;
  single(1000000);  // 0 s left, over the line
  EXPECT_EQ(stage_, 1);
  EXPECT_EQ(players_[0].racing, 0);
  EXPECT_EQ(hooks_.count(RaceSound::kLost), 1);
  EXPECT_NE(single(10000).request, RaceRequest::kFinished);
}

TEST_F(RaceTest, ExhaustionKnocksThePlayerOut) {
  startSingle();
  countDown();
  hooks_.exhausted[0] = true;
  single(20000);
  EXPECT_EQ(stage_, 1);
  EXPECT_EQ(players_[0].knockedOut, 1);
  EXPECT_EQ(hooks_.count(RaceSound::kLose), 1);
  // A knocked-out player sleeps where it fell.
  const VornVector p = players_[0].position();
  single(20000);
  EXPECT_EQ(players_[0].position().z, p.z);
}

TEST_F(RaceTest, BeersAddFiveSecondsAlsoDuringTheCountdown) {
  startSingle();
  const int64_t before = deadline_;
  hooks_.beerFor[0] = true;
  single(10000);
  EXPECT_EQ(deadline_, before + 5000000);
  EXPECT_EQ(hooks_.messages.back(), "+5");
  EXPECT_EQ(hooks_.count(RaceSound::kPfferp), 1);
}

TEST_F(RaceTest, TheGhostRaceIsLostWhenTheRecordedRunArrivesFirst) {
  ghost_ = true;
  startSingle();
  countDown();
  single(20000);
  EXPECT_EQ(stage_, 0);
  hooks_.replayDone = true;
  single(20000);
  EXPECT_EQ(stage_, 1);
  EXPECT_EQ(players_[0].racing, 0);
}

TEST_F(RaceTest, TheGhostRaceIsWonOverTheLine) {
  ghost_ = true;
  startSingle();
  countDown();
  ground_.endZ = players_[0].position().z;
  single(20000);
  EXPECT_EQ(stage_, 3);
  EXPECT_EQ(hooks_.recordingsClosed, 1);
  EXPECT_EQ(hooks_.won, std::vector<int>{0});
  EXPECT_EQ(single(20000).request, RaceRequest::kNone);
}

TEST_F(RaceTest, TheRestartKeyPutsPlayerOneBackWithoutRatingAJump) {
  startSingle();
  countDown();
  for (int i = 0; i < 200; ++i) single(20000);
  race_.restart(VornVector(0.0f, 5.0f, 0.0f));
  EXPECT_EQ(players_[0].position().z, 0.0f);
  EXPECT_EQ(players_[0].speed, 10.0f);
  single(20000);
  for (const std::string& m : hooks_.messages) EXPECT_EQ(m.find("JUMP"), std::string::npos) << m;
}

TEST_F(RaceTest, SplitCountdownStartsBothPlayersAndBothClocks) {
  startSplit();
  for (int i = 0; i < 1000 && !players_[0].racing; ++i) split(10000);
  EXPECT_EQ(players_[1].racing, 1);
  EXPECT_EQ(deadline_, now_ + 15000000);
  EXPECT_EQ(deadline2_, now_ + 15000000);
  EXPECT_NEAR(splitCountdown_, 30.0f - 31.8f, 1e-3f);
}

TEST_F(RaceTest, SplitPlayersInContactExchangeDirectionsAndSpeeds) {
  startSplit();
  for (int i = 0; i < 1000 && !players_[0].racing; ++i) split(10000);
  players_[0].setPosition(VornVector(0.0f, 5.0f, 100.0f));
  players_[1].setPosition(VornVector(10.0f, 5.0f, 100.0f));  // 100 < 300 apart squared
  players_[0].direction = VornVector(1.0f, 0.0f, 0.0f);
  players_[1].direction = VornVector(0.0f, 0.0f, 1.0f);
  players_[0].speed = 20.0f;
  players_[1].speed = 1.0f;
  split(0);  // a frame without time: nothing moves but the exchange
  EXPECT_FLOAT_EQ(players_[0].speed, 1.0f);
  EXPECT_FLOAT_EQ(players_[1].speed, 20.0f);
  EXPECT_FLOAT_EQ(players_[0].direction.z, 1.0f);
  EXPECT_FLOAT_EQ(players_[1].direction.x, 1.0f);
  EXPECT_FLOAT_EQ(hooks_.awakeChanges[0], -1.0f);  // -20 * 1 * 0.05
  EXPECT_FLOAT_EQ(hooks_.awakeChanges[1], -1.0f);
  // Farther apart: no exchange, no awake change.
  players_[1].setPosition(VornVector(20.0f, 5.0f, 100.0f));  // 400 apart squared
  split(0);
  EXPECT_FLOAT_EQ(players_[0].speed, 1.0f);
  EXPECT_FLOAT_EQ(hooks_.awakeChanges[0], 0.0f);
}

TEST_F(RaceTest, SplitHornHitsTheOtherPlayerHarderWhenClose) {
  startSplit();
  for (int i = 0; i < 1000 && !players_[0].racing; ++i) split(10000);
  players_[0].setPosition(VornVector(0.0f, 5.0f, 100.0f));
  players_[1].setPosition(VornVector(100.0f, 5.0f, 100.0f));
  hornActive_[0] = true;
  hornTimer_[0] = 0.5f;
  split(40000);
  EXPECT_TRUE(hornActive_[0]);
  split(20000);
  EXPECT_FALSE(hornActive_[0]);
  EXPECT_NEAR(hooks_.awakeChanges[1], -2000.0f / 100.0f, 0.5f);
  EXPECT_FLOAT_EQ(hooks_.awakeChanges[0], 0.0f);
}

TEST_F(RaceTest, SplitFinishAndTimeOutEndEachPlayersRace) {
  startSplit();
  for (int i = 0; i < 1000 && !players_[0].racing; ++i) split(10000);
  players_[1].setPosition(VornVector(500.0f, 5.0f, 0.0f));
  players_[1].direction = VornVector(0.0f, 0.0f, -1.0f);
  ground_.endZ = players_[0].position().z + 0.05f;
  players_[0].direction = VornVector(0.0f, 0.0f, 1.0f);
  split(20000);
  EXPECT_EQ(players_[0].racing, 0);
  EXPECT_EQ(players_[1].racing, 1);
  EXPECT_EQ(hooks_.won, std::vector<int>{0});
  EXPECT_EQ(hooks_.lost, std::vector<int>{1});
  EXPECT_EQ(hooks_.count(RaceSound::kWin), 1);
  // Space while the other still races is its jump, not the way out.
  keys_[32] = 1;
  EXPECT_EQ(split(20000).request, RaceRequest::kNone);
  keys_[32] = 0;
  ground_.endZ = 1e9f;
  split(15000000);  // player 2's clock runs out
  EXPECT_EQ(players_[1].racing, 0);
  EXPECT_EQ(hooks_.count(RaceSound::kLost), 1);
  split(20000);
  EXPECT_EQ(hooks_.count(RaceSound::kLost), 1) << "the loss is reported once";
  EXPECT_GE(hooks_.mutes, 1);
  keys_[32] = 1;
  EXPECT_EQ(split(20000).request, RaceRequest::kBackToMenu);
}

TEST_F(RaceTest, SplitClocksRunningOutTogetherLeaveBothPlayersLost) {
  startSplit();
  for (int i = 0; i < 1000 && !players_[0].racing; ++i) split(10000);
  ground_.endZ = 1e9f;
  split(15000000);  // both clocks, set at "GO", run out in this frame
  EXPECT_EQ(players_[0].racing, 0);
  EXPECT_EQ(players_[1].racing, 0);
  EXPECT_EQ(hooks_.shown[0], 2) << "player 1 did not win by being checked first";
  EXPECT_EQ(hooks_.shown[1], 2);
}

TEST_F(RaceTest, SplitSecondPlayerOverTheLineDoesNotTakeTheWin) {
  startSplit();
  for (int i = 0; i < 1000 && !players_[0].racing; ++i) split(10000);
  players_[0].direction = VornVector(0.0f, 0.0f, 1.0f);
  players_[1].direction = VornVector(0.0f, 0.0f, 1.0f);
  players_[1].setPosition(players_[0].position() - VornVector(30.0f, 0.0f, 20.0f));
  ground_.endZ = players_[0].position().z + 0.05f;
  split(20000);
  ASSERT_EQ(players_[0].racing, 0);
  ASSERT_EQ(players_[1].racing, 1);
  for (int i = 0; i < 500 && players_[1].racing; ++i) split(20000);
  ASSERT_EQ(players_[1].racing, 0);
  EXPECT_EQ(hooks_.shown[0], 1);
  EXPECT_EQ(hooks_.shown[1], 2);
  EXPECT_EQ(hooks_.count(RaceSound::kWin), 1);
}

TEST_F(RaceTest, SplitAnimationsRunAtTheSingleRaceSpeed) {
  startSplit();
  for (int i = 0; i < 1000 && !players_[0].racing; ++i) split(10000);
  hooks_.animationTime = 0.0f;
  for (int i = 0; i < 10; ++i) split(100000);
  EXPECT_FLOAT_EQ(hooks_.animationTime, 10.0f);  // ten frames of one tenth, not twenty
}

TEST_F(RaceTest, SplitBeersCountForTheirPlayer) {
  startSplit();
  const int64_t d1 = deadline_;
  const int64_t d2 = deadline2_;
  hooks_.beerFor[1] = true;
  split(10000);
  EXPECT_EQ(deadline_, d1);
  EXPECT_EQ(deadline2_, d2 + 5000000);
  EXPECT_EQ(hooks_.messagePlayers.back(), 1);
}

TEST_F(RaceTest, TheCameraFollowsFromTheCountdownOn) {
  startSingle();
  single(10000);
  EXPECT_NE(cameras_[0].eyePosition().z, 0.0f);
  EXPECT_LT(cameras_[0].eyePosition().z, players_[0].position().z);
}

// 64-bit FNV-1a over the bit patterns of the values.
class StateHash {
 public:
  void add(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    add(static_cast<uint64_t>(bits));
  }
  void add(uint64_t v) {
    for (int i = 0; i < 8; ++i) {
      hash_ ^= (v >> (8 * i)) & 0xffu;
      hash_ *= 0x100000001b3ull;
    }
  }
  void add(const VornVector& v) {
    add(v.x);
    add(v.y);
    add(v.z);
  }
  uint64_t value() const { return hash_; }

 private:
  uint64_t hash_ = 0xcbf29ce484222325ull;
};

// A fixed race on rolling hills with a fixed key script: the hash of every
// frame's state pins the whole update (keys, gravity, sub-steps, jumps,
// steering on ice, the clock and the camera) so that any change to the
// simulation's results is noticed. A deliberate change updates the constant.
TEST(RaceGolden, AFixedRaceGivesAFixedState) {
  testing_support::WavyGround ground;
  ground.endZ = 6000.0f;
  VornRaceHooks hooks;
  VornRace race(hooks);
  VornPlayer player;
  VornCamera camera;
  race.attach(0, &player, &camera);
  int64_t lastFrameTime = 0, deadline = 0, deadline2 = 0;
  int stage = 0;
  float splitCountdown = 0.0f;
  VornRaceClock clock{lastFrameTime, deadline, deadline2, stage, splitCountdown, nullptr, nullptr};
  int64_t now = 123456789;
  VornRace::startClock(clock, now);
  race.placeAtStart(0, VornVector(0.0f, WavyGround::heightAt(5.0f, 0.0f) + 5.5f, 0.0f), 5.0f);

  uint8_t keys[256] = {};
  StateHash hash;
  for (int frame = 0; frame < 1200; ++frame) {
    now += frame % 7 == 0 ? 25000 : 16667;  // an uneven frame rate
    keys['w'] = frame % 300 < 200;
    keys['s'] = frame % 300 >= 260;
    keys['a'] = (frame / 45) % 3 == 0;
    keys['d'] = (frame / 45) % 3 == 1;
    keys[' '] = frame % 150 > 120;
    const VornRaceResult r = race.updateSingle(ground, clock, VornRaceInput{now, keys, 400.0f + frame % 50, 350.0f, false});
    hash.add(player.position());
    hash.add(player.direction);
    hash.add(player.speed);
    hash.add(camera.eyePosition());
    hash.add(static_cast<uint64_t>(stage) | static_cast<uint64_t>(r.request) << 8 |
             static_cast<uint64_t>(player.racing) << 16);
  }
  std::printf("golden race: z %.2f speed %.2f stage %d hash 0x%016llx\n", static_cast<double>(player.position().z),
              static_cast<double>(player.speed), stage, static_cast<unsigned long long>(hash.value()));
  EXPECT_GT(player.position().z, 1000.0f);
  EXPECT_EQ(hash.value(), 0x95eab84be9c54c3eull);
}

}  // namespace
}  // namespace vorn
