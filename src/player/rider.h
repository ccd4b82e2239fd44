// VornRider: one player's part of the race update and its per-player state. Units: dt in tenths
// of a second, clock in microseconds, world units, degrees. Cost: one terrain probe per sub-step
// of at most 0.5 units (a tenth at the speed cap of 70 probes 140 times); nothing allocates.
#pragma once

#include <cstdint>

#include "math/vector.h"
#include "player/ground.h"
#include "player/player.h"
#include "player/race_hooks.h"

namespace vorn {

// Key codes: a character key is its own code (0..255); GLUT's special keys
// (arrows, function keys, Page Up, End...) follow from kSpecialKeyBase, so
// that the Left arrow (GLUT's 100) is not "d".
constexpr int kSpecialKeyBase = 256;
constexpr int kKeyCodeCount = 512;
constexpr int kNoKey = -1;
constexpr int specialKeyCode(int glutKey) { return kSpecialKeyBase + glutKey; }
constexpr int kKeyLeft = specialKeyCode(100);
constexpr int kKeyUp = specialKeyCode(101);
constexpr int kKeyRight = specialKeyCode(102);
constexpr int kKeyDown = specialKeyCode(103);

// The key codes of one player's race controls, each with an optional second key.
struct VornRaceKeys {
  int jump;
  int left;
  int right;
  int accelerate;
  int brake;
  int leftAlt = kNoKey;
  int rightAlt = kNoKey;
  int accelerateAlt = kNoKey;
  int brakeAlt = kNoKey;
};
// Space, "a", "d", "w", "s" (the split race, where the arrows are player 2's).
constexpr VornRaceKeys kPlayer1Keys{32, 97, 100, 119, 115};
// The single race adds the arrows: Left, Right steer, Up pushes, Down brakes.
constexpr VornRaceKeys kPlayer1SingleKeys{32, 97, 100, 119, 115, kKeyLeft, kKeyRight, kKeyUp, kKeyDown};
// Up arrow, "4", "6", "8", "5".
constexpr VornRaceKeys kPlayer2Keys{kKeyUp, 52, 54, 56, 53};

// jumpKeyState: 0 key up, 1 pressed and not yet used, 2 jump done for this press.
enum JumpKeyState : int32_t { kJumpKeyUp = 0, kJumpKeyPressed = 1, kJumpKeyUsed = 2 };

// Jump ratings by the squared distance from take-off to landing.
const char* jumpRating(int64_t squaredDistance);

struct VornRiderTuning {
  static constexpr float kSteerDegPerTenth = 8.0f;
  static constexpr float kAccelerationLimit = 16.0f;
  static constexpr float kAcceleration = 2.0f;
  static constexpr float kBraking = 2.5f;
  // Braking needs a speed above this many units per tenth of the step.
  static constexpr float kBrakeMargin = 2.0f;
  static constexpr float kLowestBrakedSpeed = 5.0f;
  static constexpr float kGravity = 7.0f;
  static constexpr float kMaxSubStep = 0.5f;
  static constexpr float kLeastRemaining = 0.001f;
  static constexpr float kCoastBraking = 0.5f;
  static constexpr float kCoastPoseSpeed = 0.5f;
  static constexpr float kSoundSpeed = 30.0f;
  static constexpr float kLowestPitch = 0.9f;
  static constexpr float kHighestPitch = 1.1f;
  static constexpr int64_t kSilentAfterMicros = 200000;
  static constexpr int64_t kTakeOffMicros = 100000;
};

// The held keys turned into jumps, steering, acceleration and braking,
// gravity, the motion in terrain-probing sub-steps, the ground-contact
// bookkeeping that rates jumps and drives the sliding sounds, obstacle hits
// and the model pose; and the coasting of a player whose race is over. It
// keeps the per-player state of those steps (jump key, steering, last ground
// contact).
class VornRider {
 public:
  VornRider(int index, const VornRaceKeys& keys) : index_(index), keys_(keys) {}

  // Clears the per-race state; `groundPosition` is where the player stands,
  // so that the first landing is not rated against an old spot.
  void reset(const VornVector& groundPosition);

  // Steps 3 to 13 of a racing frame. `advanceShared` moves the snow and the
  // animated instances on, which are shared by both players: in the split
  // race only the first player's update does it, so they run at one speed.
  void race(VornPlayer& player, VornGround& ground, VornRaceHooks& hooks, const uint8_t* keys,
            float dt, int64_t now, bool advanceShared = true);

  // The player's motion after its race: the direction bends under gravity
  // while the speed runs down.
  void coast(VornPlayer& player, VornGround& ground, VornRaceHooks& hooks, float dt,
             bool advanceShared = true);

  // The terrain-probing motion of one frame (step 8). Returns whether any
  // sub-step touched the ground. With `stopAtEnd` the motion ends before the
  // first sub-step that would cross the finish.
  bool move(VornPlayer& player, VornGround& ground, float dt, bool stopAtEnd = false);

  int32_t jumpKeyState = kJumpKeyUp;
  Steering steering = Steering::kNone;
  bool onGround = false;
  bool endOfTrack = false;
  VornVector lastGroundPosition;
  int64_t lastGroundTime = 0;
  // Sum of this frame's awake changes (obstacles, player contact, horn).
  float awakeChange = 0.0f;
  // Terrain probes of the last move (for tests and benchmarks).
  int probes = 0;

  int index() const { return index_; }
  const VornRaceKeys& keys() const { return keys_; }
  void useKeys(const VornRaceKeys& keys) { keys_ = keys; }

 private:
  void groundFrame(VornPlayer& player, VornGround& ground, VornRaceHooks& hooks, int64_t now);
  void airFrame(VornPlayer& player, VornRaceHooks& hooks, int64_t now);
  void advanceSharedState(const VornPlayer& player, const VornGround& ground, VornRaceHooks& hooks, float dt);

  int index_;
  VornRaceKeys keys_;
};

}  // namespace vorn
