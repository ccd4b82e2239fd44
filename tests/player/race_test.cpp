// VornRace: the countdown, the clock and every way a single or split race
// ends, the rider's keys, sub-steps, jumps and ground frames, frame by frame
// through the race update on flat ground; then races on the shipped course
// (its real collision mesh and materials), one of them pinned by a state hash.
#include "player/race.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "player/autopilot.h"
#include "world/terrain.h"

namespace vorn {
namespace {

// Flat ground at y = 0 answering the terrain queries as the mesh does
// (sphere of radius 5, step shortened by |k| * depth, direction projected onto
// the ground, end of track beyond endZ).
struct FlatGround : VornGround {
  int collidePlayer(const VornVector& position, const VornVector& direction, VornVector& newDirection,
                    float& step, VornVector& normal, float& depth, bool& endOfTrack) override {
    const VornVector p = position + direction * step;
    if (p.z > endZ) endOfTrack = true;
    depth = std::max(0.0f, VornPlayer::kCollisionRadius - p.y);
    if (depth == 0.0f) return 1;
    normal = VornVector(0.0f, 1.0f, 0.0f);
    step -= std::fabs(direction.y) * depth;
    newDirection = VornVector(direction.x, 0.0f, direction.z).normalized();
    return 0;
  }
  float getMaterial(float, float, int channel) const override { return material[channel]; }
  int keepAboveGround(VornVector& position) override {
    if (position.y > 10.0f) return 0;
    position.y = 10.0f;
    return 1;
  }

  float material[3] = {1.0f, 0.0f, 0.0f};
  float endZ = 1e9f;
};

// Race hooks that record what the update hands over.
struct RecordingHooks : VornRaceHooks {
  void playSound(RaceSound s) override { sounds.push_back(s); }
  void showMessage(RaceText, int player, const char* text) override {
    messages.push_back(text);
    lastMessagePlayer = player;
  }
  void showWinText() override { ++winTexts; }
  void setHudWon(int p) override { shown[p] = 1; }
  void setHudLost(int p) override { shown[p] = 2; }
  void muteLoopingSounds() override { ++mutes; }
  void setSlidingSounds(int, const SlidingSoundLevels& l) override { levels = l; }
  void silenceSlidingSounds(int) override { ++silenced; }
  void emitTakeOff(const VornVector&, const VornVector&, float) override { ++takeOffs; }
  bool updateBeers(int player, const VornVector&) override { return beerFor[player]; }
  bool updateHud(int player, int64_t, float awake, float) override {
    awakeChanges[player] = awake;
    return exhausted[player];
  }
  void recordFrame(float, const VornMatrix&) override { ++recordedFrames; }
  bool advanceReplay(float) override { return replayDone; }
  void closeRecording() override { ++recordingsClosed; }
  void advanceAnimations(float dt) override { animationTime += dt; }

  int count(RaceSound s) const { return static_cast<int>(std::count(sounds.begin(), sounds.end(), s)); }
  // The cues that end a race, in the order played.
  std::vector<RaceSound> endCues() const {
    std::vector<RaceSound> cues;
    for (RaceSound s : sounds)
      if (s == RaceSound::kWin || s == RaceSound::kLost || s == RaceSound::kLose) cues.push_back(s);
    return cues;
  }

  std::vector<RaceSound> sounds;
  std::vector<std::string> messages;
  SlidingSoundLevels levels;
  int shown[2] = {0, 0};  // what each HUD shows last: 0 racing, 1 won, 2 lost
  int lastMessagePlayer = -1, winTexts = 0, mutes = 0, silenced = 0, takeOffs = 0, recordingsClosed = 0;
  int recordedFrames = 0;
  bool beerFor[2] = {false, false}, exhausted[2] = {false, false}, replayDone = false;
  float animationTime = 0.0f, awakeChanges[2] = {0.0f, 0.0f};
};

constexpr int kSpace = 32;

// Two players, their cameras and the game's clock values; flat ground by default.
struct Rig {
  explicit Rig(VornGround* onGround = nullptr) : ground(onGround ? *onGround : plane) {
    for (int i : {0, 1}) race.attach(i, &players[i], &cameras[i]);
  }
  void startSingle(const VornVector& start = VornVector(0.0f, 5.0f, 0.0f)) {
    VornRace::startClock(clock, now);
    race.placeAtStart(0, start, VornRaceTuning::kSingleStartOffset);
  }
  VornRaceInput input(int64_t stepMicros) { return VornRaceInput{now += stepMicros, keys, mouseX, mouseY, ghost}; }
  VornRaceResult single(int64_t stepMicros) { return race.updateSingle(ground, clock, input(stepMicros)); }
  VornRaceResult split(int64_t stepMicros) { return race.updateSplit(ground, clock, input(stepMicros)); }
  // From the start in frames of 10 ms until "GO".
  void singleGo() {
    startSingle();
    for (int i = 0; i < 1000 && !players[0].racing; ++i) single(10000);
  }
  void splitGo() {
    VornRace::startClock(clock, now);
    splitCountdown = 30.0f;
    race.placeAtStart(0, VornVector(0.0f, 5.0f, 0.0f), VornRaceTuning::kSplitStartOffset);
    race.placeAtStart(1, VornVector(0.0f, 5.0f, 0.0f), -VornRaceTuning::kSplitStartOffset);
    for (int i = 0; i < 1000 && !players[0].racing; ++i) split(10000);
  }

  FlatGround plane;
  VornGround& ground;
  RecordingHooks hooks;
  VornRace race{hooks};
  VornPlayer players[2];
  VornCamera cameras[2];
  int64_t now = 50000000, lastFrameTime = 0, deadline = 0, deadline2 = 0;
  int stage = 0;
  float splitCountdown = 0.0f, hornTimer[2] = {0.0f, 0.0f};
  bool hornActive[2] = {false, false}, ghost = false;
  VornRaceClock clock{lastFrameTime, deadline, deadline2, stage, splitCountdown, hornActive, hornTimer};
  uint8_t keys[kKeyCodeCount] = {};
  float mouseX = 400.0f, mouseY = 300.0f;
};

void place(VornPlayer& p, const VornVector& at, const VornVector& heading, float speed) {
  p.setPosition(at);
  p.direction = heading;
  p.speed = speed;
}

TEST(RaceRules, TheStartResetsThePlayerTheCountdownShowsOneTwoThreeGoAndRestartPutsItBack) {
  Rig r;
  VornPlayer& p = r.players[0];
  p.racing = p.knockedOut = 1;
  p.speed = 55.0f;
  const int64_t start = r.now;
  r.startSingle();
  EXPECT_EQ(std::make_tuple(p.position().x, p.modelTransform.position().x, p.speed, p.racing + p.knockedOut),
            std::make_tuple(5.0f, 5.0f, 10.0f, 0));
  std::vector<std::pair<int64_t, int>> changes;  // (time since start, new stage)
  for (int last = r.stage; !p.racing && r.now - start < 10000000; last = r.stage) {
    r.single(10000);
    if (r.stage != last || p.racing) changes.push_back({r.now - start, r.stage});
    EXPECT_EQ(p.position().z, 0.0f) << "the player waits during the countdown";
  }
  // One second's wait, then each number shows for 0.7 s.
  const std::vector<std::pair<int64_t, int>> expected = {{1010000, 1}, {1020000, 2}, {1730000, 3}, {1740000, 4},
                                                         {2450000, 5}, {2460000, 6}, {3170000, 7}, {3180000, 0}};
  EXPECT_EQ(changes, expected);
  // The restart key puts player 1 back without rating the way back as a jump.
  for (int i = 0; i < 200; ++i) r.single(20000);
  r.race.restart(VornVector(0.0f, 5.0f, 0.0f));
  EXPECT_EQ(std::make_pair(p.position().z, p.speed), std::make_pair(0.0f, 10.0f));
  r.single(20000);
  EXPECT_EQ(r.hooks.messages, (std::vector<std::string>{"1", "2", "3", "GO"}));
}

// The chase camera: behind the player by its speed, turned and raised by the
// pointer, aimed at it, with an upright unit up vector even when the player
// heads straight down. (Its ground clearance is checked on the shipped course.)
TEST(RaceRules, TheCameraFollowsByTheSpeedAndThePointer) {
  const auto looksAtThePlayer = [](const Rig& r) {
    const VornCamera& c = r.cameras[0];
    EXPECT_NEAR((r.players[0].position() - c.eyePosition()).normalized().dot(c.viewVector()), 1.0f, 1e-5f);
    EXPECT_NEAR(c.upVector().length(), 1.0f, 1e-5f);
    EXPECT_NEAR(c.upVector().dot(c.viewVector()), 0.0f, 1e-5f);
    EXPECT_GE(c.upVector().y, 0.0f);
  };
  Rig r;
  VornPlayer& p = r.players[0];
  r.startSingle(VornVector(0.0f, 50.0f, 0.0f));  // high above the ground, which leaves the camera alone
  r.mouseY = 600.0f;  // the middle, the bottom: straight behind, level (-3 raised to -1)
  for (const auto& [speed, expected] : {std::pair{0.0f, 50.0f}, {1.0f, 70.0f}, {2.5f, 100.0f}, {70.0f, 100.0f}}) {
    p.speed = speed;
    r.single(10000);
    EXPECT_NEAR(std::sqrt(p.position().distanceSquared(r.cameras[0].eyePosition())), expected, 1e-3f) << speed;
    EXPECT_NEAR(r.cameras[0].viewVector().y, 0.0f, 1e-6f);
    looksAtThePlayer(r);
  }
  r.mouseX = 220.0f;  // 90 degrees of turn (by the vector turn factor): beside the player
  r.single(10000);
  VornVector turned = p.direction;
  turned.rotateY(90.0f);
  EXPECT_NEAR((r.cameras[0].eyePosition() - p.position()).normalized().dot(turned), -1.0f, 1e-4f);
  r.mouseX = 400.0f;
  r.mouseY = 0.0f;  // the top of the window: view (0, -2d, d), 63 degrees down
  r.single(10000);
  EXPECT_NEAR(r.cameras[0].viewVector().y, -2.0f / std::sqrt(5.0f), 1e-5f);
  looksAtThePlayer(r);
  p.direction = VornVector(0.0f, -1.0f, 0.0f);  // no heading to lean the up vector along
  r.single(10000);
  EXPECT_NEAR(r.cameras[0].upVector().length(), 1.0f, 1e-5f);
}

// Each ending starts at "GO" and comes in one frame of `frame` microseconds,
// with Space (the jump key) held: while racing it is a jump, and still held
// after the end it is no press; only a fresh one returns to the menu.
TEST(RaceRules, EveryWayASingleRaceEnds) {
  using S = RaceSound;
  using Q = RaceRequest;
  const struct {
    const char* what;
    int64_t frame;
    bool finish, exhausted, ghost, replayDone;
    int stage, hud;  // after that frame; the HUD shows 0 racing, 1 won, 2 lost
    std::vector<RaceSound> cues;
    int winTexts;
    RaceRequest next;     // on the frame after, 20 ms later
    int64_t secondsLeft;  // handed over with kFinished
  } endings[] = {
      {"over the line with 11 s left", 4000000, true, false, false, false, 2, 0, {}, 1, Q::kFinished, 10},
      {"over the line with 10 s left", 5000000, true, false, false, false, 2, 0, {}, 0, Q::kFinished, 9},
      {"over the line as the clock shows 0", 15000000, true, false, false, false, 1, 2, {S::kLost}, 0, Q::kNone, 0},
      {"a second left races on", 13990000, false, false, false, false, 0, 0, {}, 0, Q::kNone, 0},
      {"under a second left is out of time", 14010000, false, false, false, false, 1, 2, {S::kLost}, 0, Q::kNone, 0},
      {"exhausted", 20000, false, true, false, false, 1, 2, {S::kLose}, 0, Q::kNone, 0},
      {"the recorded run arrives first", 20000, false, false, true, true, 1, 2, {S::kLost}, 0, Q::kNone, 0},
      {"over the line ahead of the recorded run", 20000, true, false, true, false, 3, 1, {S::kWin}, 0, Q::kNone, 0},
      {"over the line as the recorded run arrives", 20000, true, false, true, true, 3, 1, {S::kWin}, 0, Q::kNone, 0},
      {"exhausted as the recorded run arrives", 20000, false, true, true, true, 1, 2, {S::kLose}, 0, Q::kNone, 0},
      {"ahead of the recorded run but out of time", 15000000, true, false, true, false, 1, 2, {S::kLost}, 0, Q::kNone, 0},
  };
  for (const auto& e : endings) {
    SCOPED_TRACE(e.what);
    Rig r;
    r.ghost = e.ghost;
    r.singleGo();
    r.hooks.exhausted[0] = e.exhausted;
    r.hooks.replayDone = e.replayDone;
    if (e.finish) r.plane.endZ = r.players[0].position().z;
    r.keys[kSpace] = 1;
    EXPECT_EQ(r.single(e.frame).request, RaceRequest::kNone);
    const bool over = e.stage == 1 || e.stage == 3;
    // stage, racing, knocked out, HUD, recording closed, looping sounds muted
    EXPECT_EQ(std::make_tuple(r.stage, r.players[0].racing, r.players[0].knockedOut, r.hooks.shown[0],
                              r.hooks.recordingsClosed, r.hooks.mutes > 0),
              std::make_tuple(e.stage, over ? 0 : 1, e.exhausted ? 1 : 0, e.hud, e.stage == 3 ? 1 : 0, over));
    EXPECT_EQ(r.hooks.endCues(), e.cues);
    EXPECT_EQ(r.hooks.recordedFrames, e.ghost && !e.exhausted ? 1 : 0) << "only a ghost race's racing frames are recorded";
    const float z = r.players[0].position().z;
    const VornRaceResult next = r.single(20000);
    EXPECT_EQ(std::make_pair(next.request, next.secondsLeft), std::make_pair(e.next, e.secondsLeft));
    EXPECT_EQ(r.hooks.winTexts, e.winTexts) << "the win text is shown once";
    if (!over) continue;
    // Out of time or beaten, the player coasts on; over the line it stops at
    // the end barrier, and knocked out it sleeps where it fell.
    EXPECT_EQ(r.players[0].position().z > z, !e.finish && !e.exhausted);
    r.keys[kSpace] = 0;
    r.single(20000);
    r.keys[kSpace] = 1;
    EXPECT_EQ(r.single(20000).request, RaceRequest::kBackToMenu);
  }
}

TEST(RaceRules, BeersAddFiveSecondsToTheirPlayersClockAlsoDuringTheCountdown) {
  Rig single, split;
  single.startSingle();
  split.splitGo();
  const int64_t countdownStep = single.deadline, first = split.deadline, second = split.deadline2;
  single.hooks.beerFor[0] = split.hooks.beerFor[1] = true;
  single.single(10000);
  split.split(10000);
  EXPECT_EQ(std::make_tuple(single.deadline, single.hooks.messages.back(), single.hooks.count(RaceSound::kPfferp)),
            std::make_tuple(countdownStep + 5000000, "+5", 1));
  EXPECT_EQ(std::make_tuple(split.deadline, split.deadline2, split.hooks.lastMessagePlayer),
            std::make_tuple(first, second + 5000000, 1));
}

// What the split race's players do to each other: contact and the horn.
TEST(RaceRules, SplitPlayersInContactSwapMotionAndTheHornHitsHarderWhenClose) {
  Rig r;
  r.splitGo();
  EXPECT_NEAR(r.splitCountdown, 30.0f - 31.8f, 1e-3f);
  VornPlayer* p = r.players;
  place(p[0], VornVector(0.0f, 5.0f, 100.0f), VornVector(1.0f, 0.0f, 0.0f), 20.0f);
  place(p[1], VornVector(10.0f, 5.0f, 100.0f), VornVector(0.0f, 0.0f, 1.0f), 1.0f);  // 100 < 300 apart squared
  r.split(0);  // a frame without time: nothing moves but the exchange
  EXPECT_EQ(std::make_tuple(p[0].speed, p[1].speed, p[0].direction.z, p[1].direction.x),
            std::make_tuple(1.0f, 20.0f, 1.0f, 1.0f));
  EXPECT_EQ(std::make_pair(r.hooks.awakeChanges[0], r.hooks.awakeChanges[1]), std::make_pair(-1.0f, -1.0f));
  p[1].setPosition(VornVector(20.0f, 5.0f, 100.0f));  // 400 apart squared: no contact
  r.split(0);
  EXPECT_EQ(std::make_pair(p[0].speed, r.hooks.awakeChanges[0]), std::make_pair(1.0f, 0.0f));
  // Player 1's horn goes off once its timer runs out, 100 units from player 2.
  for (int i = 0; i < 2; ++i) place(p[i], VornVector(100.0f * i, 5.0f, 100.0f), VornVector(0.0f, 0.0f, 1.0f), 10.0f);
  r.hornActive[0] = true;
  r.hornTimer[0] = 0.5f;
  r.hooks.animationTime = 0.0f;
  r.split(40000);
  EXPECT_TRUE(r.hornActive[0]);
  r.split(20000);
  EXPECT_FALSE(r.hornActive[0]);
  EXPECT_NEAR(r.hooks.awakeChanges[1], -2000.0f / 100.0f, 0.5f);
  EXPECT_FLOAT_EQ(r.hooks.awakeChanges[0], 0.0f);
  EXPECT_FLOAT_EQ(r.hooks.animationTime, 0.6f) << "the shared animations move once a frame, not once a player";
}

// From "GO", player 1 heading down the course and player 2 placed and headed
// as given, in frames of 20 ms until neither races; Space goes down once only
// one races and stays held over the end, which must not count as a press.
TEST(RaceRules, EveryWayASplitRaceEnds) {
  using S = RaceSound;
  const struct {
    const char* what;
    VornVector secondFromFirst;
    float secondHeadingZ;
    bool finishLine, secondExhausted;  // the line just ahead of player 1; player 2's awake gauge runs out at once
    int hud[2];                        // 1 won, 2 lost
    std::vector<RaceSound> cues;
  } endings[] = {
      {"1 over the line, 2 out of time later", {485.0f, 0.0f, 0.0f}, -1.0f, true, false, {1, 2}, {S::kWin, S::kLost}},
      {"2 over the line second takes no win", {-30.0f, 0.0f, -20.0f}, 1.0f, true, false, {1, 2}, {S::kWin, S::kLost}},
      // Player 1, checked first, must not win by being checked first.
      {"both clocks run out in one frame", {-30.0f, 0.0f, 0.0f}, 1.0f, false, false, {2, 2}, {S::kLost, S::kLost}},
      {"2 exhausted as 1 crosses the line", {-30.0f, 0.0f, -20.0f}, 1.0f, true, true, {1, 2}, {S::kWin, S::kLose}},
  };
  for (const auto& e : endings) {
    SCOPED_TRACE(e.what);
    Rig r;
    r.splitGo();
    ASSERT_EQ(r.players[0].racing + r.players[1].racing, 2) << "the countdown starts both players";
    r.players[0].direction = VornVector(0.0f, 0.0f, 1.0f);
    r.players[1].setPosition(r.players[0].position() + e.secondFromFirst);
    r.players[1].direction = VornVector(0.0f, 0.0f, e.secondHeadingZ);
    if (e.finishLine) r.plane.endZ = r.players[0].position().z + 0.05f;
    r.hooks.exhausted[1] = e.secondExhausted;
    for (int i = 0; i < 1000 && (r.players[0].racing || r.players[1].racing); ++i) {
      r.keys[kSpace] = r.keys[kSpace] || r.players[0].racing != r.players[1].racing;
      EXPECT_EQ(r.split(20000).request, RaceRequest::kNone) << "Space while the other races is its jump";
    }
    EXPECT_EQ(r.split(20000).request, RaceRequest::kNone) << "Space held over the end";
    EXPECT_EQ(std::make_tuple(r.players[0].racing + r.players[1].racing, r.players[1].knockedOut, r.hooks.mutes > 0),
              std::make_tuple(0, e.secondExhausted ? 1 : 0, true));
    EXPECT_EQ(std::make_pair(r.hooks.shown[0], r.hooks.shown[1]), std::make_pair(e.hud[0], e.hud[1]));
    r.keys[kSpace] = 0;
    r.split(20000);
    EXPECT_EQ(r.hooks.endCues(), e.cues) << "each verdict is reported once";
    r.keys[kSpace] = 1;
    EXPECT_EQ(r.split(20000).request, RaceRequest::kBackToMenu);
  }
}

// The rider's part of a racing frame, from "GO" on flat ground. A key acts
// before gravity and the motion, so a frame with it ends exactly like a
// keyless frame from the speed and heading the key gave.
TEST(RaceRules, KeysAccelerateBelowSixteenBrakeNoLowerThanFiveAndSteerLessOnIce) {
  const struct {
    int key;
    float speed, dt, ice, speedAfterKey, turnDeg;
  } cases[] = {
      {'w', 15.5f, 0.5f, 0.0f, 16.5f, 0.0f}, {'w', 16.0f, 0.5f, 0.0f, 16.0f, 0.0f},  // only below 16
      {'s', 10.0f, 1.0f, 0.0f, 7.5f, 0.0f},  {'s', 6.0f, 1.0f, 0.0f, 5.0f, 0.0f},    // 3.5 raised to 5
      {'s', 4.0f, 2.0f, 0.0f, 4.0f, 0.0f},  // 2 * dt = 4 is not below the speed: no braking
      {'a', 10.0f, 1.0f, 0.0f, 10.0f, 8.0f}, {'d', 10.0f, 1.0f, 0.0f, 10.0f, -8.0f},  // "a": left, towards +x
      {'a', 10.0f, 1.0f, 0.5f, 10.0f, 4.0f}, {'d', 10.0f, 1.0f, 1.0f, 10.0f, 0.0f},   // ice takes the grip
      // The arrows in the single race do as their names say.
      {kKeyUp, 15.5f, 0.5f, 0.0f, 16.5f, 0.0f}, {kKeyDown, 10.0f, 1.0f, 0.0f, 7.5f, 0.0f},
      {kKeyLeft, 10.0f, 1.0f, 0.0f, 10.0f, 8.0f}, {kKeyRight, 10.0f, 1.0f, 0.0f, 10.0f, -8.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " at " << c.speed << " on ice " << c.ice);
    Rig keyed, keyless;
    for (Rig* r : {&keyed, &keyless}) {
      r->singleGo();
      r->plane.material[0] = 1.0f - c.ice;
      r->plane.material[2] = c.ice;
      r->players[0].direction = VornVector(0.0f, 0.0f, 1.0f);
    }
    const VornPlayer &p = keyed.players[0], &q = keyless.players[0];
    keyed.players[0].speed = c.speed;
    keyless.players[0].speed = c.speedAfterKey;
    keyless.players[0].direction.rotateY(c.turnDeg);
    keyed.keys[c.key] = 1;
    for (Rig* r : {&keyed, &keyless}) r->single(static_cast<int64_t>(c.dt * 100000.0f));
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(std::make_pair(p.position()[i], p.direction[i]), std::make_pair(q.position()[i], q.direction[i])) << i;
    EXPECT_EQ(std::make_pair(p.speed, p.direction.x > 0.0f), std::make_pair(q.speed, c.turnDeg > 0.0f));
    EXPECT_EQ(keyed.race.rider(0).steering, c.key == 'a' || c.key == kKeyLeft    ? Steering::kLeft
                                            : c.key == 'd' || c.key == kKeyRight ? Steering::kRight
                                                                                 : Steering::kNone);
  }
  // In the split race the Up arrow is player 2's jump, not player 1's push.
  Rig split;
  split.splitGo();
  split.players[0].speed = split.players[1].speed = 10.0f;
  split.keys[kKeyUp] = 1;
  split.split(10000);
  EXPECT_EQ(split.race.rider(0).jumpKeyState, kJumpKeyUp);
  EXPECT_NE(split.race.rider(1).jumpKeyState, kJumpKeyUp);
  EXPECT_LT(split.players[0].speed, 10.1f) << "the Up arrow pushed player 1";
}

// A stalled frame simulates no more than a quarter second: a 2 s hitch moves
// the player exactly as far as a 0.25 s frame, while the clock loses 2 s.
TEST(RaceRules, AStalledFrameDoesNotThrowThePlayerOn) {
  Rig stalled, quick;
  for (Rig* r : {&stalled, &quick}) {
    r->singleGo();
    r->players[0].speed = 40.0f;
  }
  const int64_t deadline = stalled.deadline;
  stalled.single(2000000);
  quick.single(250000);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(stalled.players[0].position()[i], quick.players[0].position()[i]) << i;
  EXPECT_EQ(VornRace::secondsLeft(deadline, stalled.now), 13) << "the clock keeps real time";
}

// Sub-steps of at most half a unit: 70 units in a tenth (the speed cap) probe
// the ground about 140 times. A wedged player, whose every probe turns the
// step back, does not hang the frame.
TEST(RaceRules, TheRiderMovesInHalfUnitStepsAndAWedgedOneDoesNotHangTheFrame) {
  struct WedgeGround : FlatGround {
    int collidePlayer(const VornVector&, const VornVector& direction, VornVector& newDirection, float& step,
                      VornVector& normal, float& depth, bool&) override {
      newDirection = direction;
      normal = VornVector(0.0f, 1.0f, 0.0f);
      depth = 0.0f;
      step = -0.25f;
      return 0;
    }
  } wedge;
  Rig flat, wedged(&wedge);
  for (Rig* r : {&flat, &wedged}) {
    r->singleGo();
    place(r->players[0], VornVector(0.0f, 5.0f, 0.0f), VornVector(0.0f, 0.0f, 1.0f), 70.0f);
    r->single(100000);
  }
  const VornRider& rider = flat.race.rider(0);
  EXPECT_TRUE(rider.probes >= 140 && rider.probes <= 150 && rider.onGround) << rider.probes;
  EXPECT_NEAR(flat.players[0].position().z, 70.0f, 1.0f);
  EXPECT_EQ(flat.players[0].speed, 70.0f) << "gravity grows the speed up to 70 only";
  const int wedgedProbes = wedged.race.rider(0).probes;
  EXPECT_TRUE(wedgedProbes > 0 && wedgedProbes <= 2 * 140 + 16) << wedgedProbes;
}

TEST(RaceRules, OneJumpPerPressAtTheFirstGroundContact) {
  Rig r;
  r.singleGo();
  const VornRider& rider = r.race.rider(0);
  r.players[0].setPosition(VornVector(0.0f, 40.0f, 0.0f));  // in the air: the jump waits for the landing
  r.keys[kSpace] = 1;
  for (int i = 0; i < 200 && r.hooks.count(RaceSound::kJump) == 0; ++i) {
    r.single(10000);
    EXPECT_TRUE(rider.onGround || r.hooks.count(RaceSound::kJump) == 0) << "frame " << i;
  }
  ASSERT_EQ(r.hooks.count(RaceSound::kJump), 1);
  EXPECT_GT(r.players[0].direction.y, 0.0f);
  for (int i = 0; i < 300; ++i) r.single(10000);
  EXPECT_EQ(r.hooks.count(RaceSound::kJump), 1) << "held through the flight and the next landings";
  r.keys[kSpace] = 0;
  r.single(10000);
  r.keys[kSpace] = 1;
  for (int i = 0; i < 300; ++i) r.single(10000);
  EXPECT_EQ(r.hooks.count(RaceSound::kJump), 2) << "released and pressed again";
}

// Landings are rated by the distance from the last ground contact, so
// consecutive ground frames never are; the sliding sounds follow the speed on
// the ground, puff at the take-off and fall silent in the air.
TEST(RaceRules, GroundFramesRateLandingsAndDriveTheSlidingSounds) {
  Rig r;
  r.singleGo();
  VornPlayer& p = r.players[0];
  p.speed = 70.0f;
  for (int i = 0; i < 50; ++i) r.single(100000);
  EXPECT_EQ(std::make_pair(r.hooks.messages.size(), r.hooks.levels.pitch), std::make_pair(size_t{4}, 1.1f))
      << "the countdown's messages only";
  r.race.rider(0).lastGroundPosition = p.position() - VornVector(0.0f, 0.0f, 290.0f);
  r.single(10000);
  EXPECT_EQ(std::make_pair(r.hooks.messages.back(), r.hooks.sounds.back()),
            std::make_pair(std::string("NICE JUMP"), RaceSound::kHeya));
  p.speed = 15.0f;
  r.single(10000);
  EXPECT_NEAR(r.hooks.levels.snowGain, p.speed / 30.0f, 1e-4f);
  EXPECT_EQ(r.hooks.levels.pitch, 0.9f);
  p.setPosition(p.position() + VornVector(0.0f, 500.0f, 0.0f));
  r.single(50000);  // 50 ms in the air: take-off puffs
  EXPECT_EQ(r.hooks.takeOffs, 1);
  r.single(100000);  // 150 ms: neither
  EXPECT_EQ(std::make_pair(r.hooks.takeOffs, r.hooks.silenced), std::make_pair(1, 0));
  r.single(100000);  // 250 ms: silent
  EXPECT_EQ(r.hooks.silenced, 1);
}

// The generated course, loaded once for the suite.
class ShippedCourse : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool loaded = course_.loadHeightMap(VORN_TEST_DATA_ROOT "/data/maps/twin_paths.rgb") == 0 &&
                               course_.loadMatMap(VORN_TEST_DATA_ROOT "/data/maps/twin_paths_conv.bmp") == 0;
    ASSERT_TRUE(loaded) << "the generated course is missing under " VORN_TEST_DATA_ROOT;
  }

  struct Run {
    VornRaceResult result;             // of the last frame
    double raceSeconds = 0.0;          // from "GO" on
    int frames = 0, groundFrames = 0;  // while racing
    float lowestAboveGround = 1e9f;    // of the sphere's centre, while racing
    float lowestEyeClearance = 1e9f;   // of the camera above the ground
    float endZ = 0.0f, endSpeed = 0.0f;
    std::vector<std::string> messages;
    uint64_t hash = 0xcbf29ce484222325ull;  // 64-bit FNV-1a over every frame's state
  };
  template <typename Values>
  static void mix(uint64_t& hash, const Values& values) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&values);
    for (size_t i = 0; i < sizeof values; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
  }
  // A single race at `fps` until it is handed over, lost, or `limitSeconds`
  // after "GO"; by the autopilot or no keys, jumping when `jump(frame, z)`
  // says so; with `bottles` bottles' time just after "GO" (not the bottles).
  static Run race(double fps, bool autopilot, double limitSeconds,
                  const std::function<bool(int, float)>& jump = nullptr, int bottles = 0) {
    const VornAutopilot driver = centreLineAutopilot(course_);
    Rig r(&course_);
    r.startSingle(course_.startPosition());
    const VornPlayer& p = r.players[0];
    const int64_t step = static_cast<int64_t>(1000000.0 / fps + 0.5), limit = static_cast<int64_t>(limitSeconds * 1e6);
    Run run;
    int64_t go = 0;
    for (int frame = 0; run.result.request == RaceRequest::kNone && (!go || (p.racing && r.now - go < limit));
         ++frame) {
      if (autopilot) driver.drive(p, r.keys);
      r.keys[kPlayer1Keys.jump] = jump && jump(frame, p.position().z);
      r.hooks.beerFor[0] = go && run.frames > 0 && run.frames <= bottles;
      run.result = r.single(step);
      if (!go && p.racing) go = r.now;
      const VornVector &q = p.position(), &eye = r.cameras[0].eyePosition();
      const float state[] = {q.x, q.y, q.z, p.direction.x, p.direction.y, p.direction.z, p.speed, eye.x, eye.y, eye.z};
      mix(run.hash, state);
      mix(run.hash, std::array<int32_t, 4>{r.stage, static_cast<int32_t>(run.result.request), p.racing, p.knockedOut});
      run.lowestEyeClearance = std::fmin(run.lowestEyeClearance, eye.y - course_.getHeight(eye.x, eye.z));
      if (!p.racing) continue;
      ++run.frames;
      run.groundFrames += r.race.rider(0).onGround;
      run.lowestAboveGround = std::fmin(run.lowestAboveGround, q.y - course_.getHeight(q.x, q.z));
    }
    run.raceSeconds = static_cast<double>(r.now - go) / 1e6;
    run.endZ = p.position().z;
    run.endSpeed = p.speed;
    run.messages = r.hooks.messages;
    return run;
  }

  static inline VornTerrain course_;
};

// The autopilot at a fixed 60 frames a second, jumping now and then, with one
// bottle's time: the hash of every frame's state pins the whole simulation
// (keys, gravity, sub-steps against the mesh, jumps, the clock, the camera).
// After a change meant to move it: run, check the printed run, paste the hash.
TEST_F(ShippedCourse, AFixedRaceGivesTheRecordedStateHash) {
  constexpr uint64_t kExpectedHash = 0x6c4c10609ebda70bull;
  const Run run = race(60.0, true, 30.0, [](int frame, float) { return frame % 150 < 10; }, 1);
  std::printf("golden race: finish %.3f s after GO with %lld s left at z %.1f; hash 0x%016llx\n", run.raceSeconds,
              static_cast<long long>(run.result.secondsLeft), static_cast<double>(run.endZ),
              static_cast<unsigned long long>(run.hash));
  EXPECT_GE(run.lowestEyeClearance, 9.9f) << "the camera went underground";
  ASSERT_EQ(run.result.request, RaceRequest::kFinished);
  // The bare clock is tight by design; one bottle's time is ample for a good line.
  EXPECT_GE(run.result.secondsLeft, 2);
  EXPECT_EQ(run.hash, kExpectedHash);
}

// Released with no key held, the player slides downhill above the mesh at any
// frame step, but without steering it does not beat the clock.
TEST_F(ShippedCourse, ReleasedPlayerSlidesDownhillWithoutTunnellingButTooSlowly) {
  for (const int stepMs : {1, 5, 10, 17, 33, 50, 100}) {
    SCOPED_TRACE("frame step " + std::to_string(stepMs) + " ms");
    const Run run = race(1000.0 / stepMs, false, 12.0);
    // Landings may press the sphere a little into the mesh, never deep.
    EXPECT_GT(run.lowestAboveGround, 1.0f);
    EXPECT_TRUE(run.endZ > course_.startPosition().z + 1500.0f && run.endSpeed > 10.0f) << run.endZ;
    // Mostly on the ground: kickers give short flights only.
    EXPECT_GT(run.groundFrames, run.frames * 7 / 10) << run.groundFrames << " of " << run.frames;
  }
  EXPECT_NE(race(60.0, false, 30.0).result.request, RaceRequest::kFinished);
}

// The autopilot finishes within the 15 s clock and one bottle's five seconds
// at 60 and 1000 frames a second, less than 15 % apart. The final kicker is
// where the MONSTERJUMP is: the jump key at its lip gives one; passing it
// without the key, after a jump off the plain slope before it, gives none.
TEST_F(ShippedCourse, AutopilotFinishesAtAnyFrameRateAndTheFinalKickerGivesAMonsterJump) {
  // The lip: the last row where the centre line climbs steeply (the slope only falls).
  const std::vector<float> line = centreLineAutopilot(course_).line();
  const float sz = course_.scale().z;
  int lip = -1;
  for (size_t r = 1; r < line.size(); ++r) {
    const float z = static_cast<float>(r) * sz;
    if (course_.getHeight(line[r], z) - course_.getHeight(line[r - 1], z - sz) > 8.0f) lip = static_cast<int>(r);
  }
  ASSERT_GT(lip, course_.height() * 2 / 3) << "no kicker on the final run";
  double seconds[2] = {0.0, 0.0};
  for (const float before : {0.0f, 600.0f}) {
    for (const double fps : {60.0, 1000.0}) {
      SCOPED_TRACE(testing::Message() << fps << " frames a second, jump " << before << " before the lip");
      const float jumpZ = static_cast<float>(lip) * sz - before;
      const Run run = race(fps, true, 30.0, [&](int, float z) { return z > jumpZ - 45.0f && z < jumpZ + 5.0f; }, 1);
      EXPECT_EQ(run.result.request, RaceRequest::kFinished);
      EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(), "MONSTERJUMP"), before == 0.0f ? 1 : 0);
      if (before == 0.0f) seconds[fps > 60.0] = run.raceSeconds;
    }
  }
  std::printf("autopilot race: %.3f s at 60 fps, %.3f s at 1000 fps\n", seconds[0], seconds[1]);
  EXPECT_LT(std::fabs(seconds[0] - seconds[1]) / std::fmin(seconds[0], seconds[1]), 0.15);
}

// A player whose race is over coasts on; at the end barrier it must come to
// rest on the ground, not slide down the barrier through it.
TEST_F(ShippedCourse, ACoastingPlayerStopsAtTheEndBarrierOnTheGround) {
  for (const float x : {300.0f, 2000.0f}) {
    SCOPED_TRACE("coasting down at x " + std::to_string(static_cast<int>(x)));
    const float endZ = static_cast<float>(course_.height() - 2) * course_.scale().z - 5.0f, z = endZ - 200.0f;
    VornPlayer p;
    place(p, VornVector(x, course_.getHeight(x, z) + 6.0f, z), VornVector(0.0f, 0.0f, 1.0f), 30.0f);
    VornRider rider(0, kPlayer1Keys);
    VornRaceHooks none;
    for (int frame = 0; frame < 3000 && p.speed > 0.0f; ++frame) {
      rider.coast(p, course_, none, 0.2f);
      const VornVector& q = p.position();
      ASSERT_GT(q.y - course_.getHeight(q.x, q.z), 0.0f) << "through the ground at frame " << frame;
    }
    EXPECT_LE(p.speed, 0.0f) << "came to rest";
    EXPECT_GT(p.position().z, endZ - 10.0f) << "reached the end barrier";
  }
}

}  // namespace
}  // namespace vorn
