// VornRace: the once-a-frame race update of the single and the split race (countdown, motion,
// clock, end, cameras). Units: clock in microseconds, dt in tenths of a second (at most 2.5),
// world units. Cost: the riders' probes (rider.h) and one camera ray per player a frame.
#pragma once

#include <cstdint>

#include "player/camera.h"
#include "player/ground.h"
#include "player/player.h"
#include "player/race_hooks.h"
#include "player/rider.h"

namespace vorn {

// The game's race values the update reads and writes: the game object keeps
// them (stage, deadlines, last frame time, split countdown, horns).
//
// raceStage: 0 waits one second after the start, 1..7 count down ("1", "2",
// "3" at 1, 3, 5, 0.7 s apart, "GO" at 7), 0 again while racing; then 1
// (lost: out of time or exhausted), 2 (finished, handed over to the
// highscores on the next frame) or 3 (finished ahead of the recorded run).
struct VornRaceClock {
  int64_t& lastFrameTime;
  int64_t& deadline;   // player 1's clock (the countdown's step time before "GO")
  int64_t& deadline2;  // player 2's clock in the split race
  int& raceStage;
  float& splitCountdown;
  bool* hornActive;    // two entries, or null without horns
  float* hornTimer;    // two entries, or null without horns
};

struct VornRaceInput {
  int64_t now = 0;
  const uint8_t* keys = nullptr;  // kKeyCodeCount entries, 1 while held
  float mouseX = 400.0f;
  float mouseY = 300.0f;
  bool ghostGame = false;
};

enum class RaceRequest {
  kNone,
  kFinished,    // the single race was finished: highscores or name entry
  kBackToMenu,  // Space after the end of the race
};

struct VornRaceResult {
  RaceRequest request = RaceRequest::kNone;
  int64_t secondsLeft = 0;  // with kFinished: the score
};

struct VornRaceTuning {
  static constexpr int64_t kStartWaitMicros = 1000000;
  static constexpr int64_t kCountdownStepMicros = 700000;
  static constexpr int64_t kRaceClockMicros = 15000000;
  static constexpr int64_t kBonusMicros = 5000000;
  static constexpr int64_t kWinTextAbove = 10;  // seconds left
  static constexpr float kStartSpeed = 10.0f;
  static constexpr float kSingleStartOffset = 5.0f;
  static constexpr float kSplitStartOffset = 15.0f;
  static constexpr float kPlayerContactSquared = 300.0f;
  static constexpr float kContactAwake = 0.05f;
  static constexpr float kHornStrength = 2000.0f;
  static constexpr float kSleepParticles = 0.35f;
  static constexpr double kMicrosPerTenth = 100000.0;
  // One update simulates at most this step (tenths of a second): a stalled
  // frame (a dragged window, a busy machine) must not throw the player
  // hundreds of units on. The race clock keeps real time.
  static constexpr float kMaxStepTenths = 2.5f;
};

// For the single race (one player) and the split race (two players on one
// keyboard) it runs the frame's time step, the start countdown, the riders'
// motion, the race clock and end and the chase cameras, and hands over to the subsystems
// through VornRaceHooks. It reads time and keys only from its input, so a
// test drives it frame by frame with chosen steps. Players and cameras are
// owned by the game.
class VornRace {
 public:
  explicit VornRace(VornRaceHooks& hooks);

  // The players and cameras of the race; the cameras follow their players.
  void attach(int index, VornPlayer* player, VornCamera* camera);
  VornRider& rider(int index) { return riders_[index]; }

  // Race start for one player: at `start` moved sideways by offsetX, flags
  // cleared, speed 10, heading (-1, 0, 1), pose refreshed; its camera reset.
  void placeAtStart(int index, const VornVector& start, float offsetX);
  // The restart key: player 1 back at `start` with speed 10.
  void restart(const VornVector& start);
  // Clock values at a race start: stage 0 and one second to the first step.
  static void startClock(VornRaceClock& clock, int64_t now);

  VornRaceResult updateSingle(VornGround& ground, VornRaceClock& clock, const VornRaceInput& in);
  VornRaceResult updateSplit(VornGround& ground, VornRaceClock& clock, const VornRaceInput& in);

  // Seconds left on a clock, whole seconds towards zero.
  static int64_t secondsLeft(int64_t deadline, int64_t now) { return (deadline - now) / 1000000; }

 private:
  float takeStep(VornRaceClock& clock, int64_t now);
  // Stages 0..7; true once "GO" has been shown.
  void countdown(VornRaceClock& clock, int64_t now, int playerCount);
  void afterRace(int index, VornGround& ground, float dt, bool advanceShared = true);
  VornRaceResult singleRules(VornGround& ground, VornRaceClock& clock, const VornRaceInput& in);
  // Ends the single race: the loops and music stop, `cue` plays, player 1
  // stops racing with the HUD's verdict, and the race goes to `stage`.
  void endSingleRace(VornRaceClock& clock, RaceSound cue, bool won, int stage);
  void splitRules(int index, VornRaceClock& clock, int64_t now);
  void playerContact();
  void horns(VornRaceClock& clock, float dt);
  void bonus(int index, int64_t& deadline);
  // Space after the race counts only when it was up in the race's last frame
  // or since: a player still holding it from a jump at the finish sees the
  // result first.
  bool freshSpacePress(const uint8_t* keys);

  VornRaceHooks& hooks_;
  VornPlayer* players_[2] = {nullptr, nullptr};
  VornCamera* cameras_[2] = {nullptr, nullptr};
  VornRider riders_[2];
  float dt_ = 0.0f;
  // The split-race player who crossed the finish first, -1 while none has.
  int splitFinisher_ = -1;
  bool spaceReleased_ = false;
};

}  // namespace vorn
