// VornPlayer: one moving model instance (racing player, rider figure or ghost). Units: world
// units, speed per tenth of a second, clip time in tenths, degrees. Cost: a handful of float
// operations a call; the pose update rebuilds one transform. Nothing allocates.
#pragma once

#include <cstdint>
#include <vector>

#include "math/transform.h"
#include "math/vector.h"

namespace vorn {

// The clips of an animated model, three parallel tables indexed by clip:
// first frame, frame count and duration (tenths of a second).
struct VornClipTable {
  std::vector<int> firstFrame;
  std::vector<int> frameCount;
  std::vector<float> duration;

  size_t size() const { return firstFrame.size(); }
};

// Steering decided by the keys of one frame; the model leans into it.
enum class Steering : uint8_t { kNone, kLeft, kRight };

// Its direction of travel and scalar speed, the collision body whose position
// is the centre of the collision sphere, the separately owned transform the
// model is drawn with, the race flags and the state of the clip it plays.
// There is no rigid-body state: motion is one unit direction and one speed.
class VornPlayer {
 public:
  // applyGravity never lets the speed pass this.
  static constexpr float kSpeedCap = 70.0f;
  // Radius of the sphere that probes the terrain and the obstacles.
  static constexpr float kCollisionRadius = 5.0f;
  // Size of the player's model (the file's units are about 12 times larger).
  static constexpr float kModelScale = 0.08f;
  // Roll of the model about its direction when posed in the race, and once
  // at creation.
  static constexpr float kRaceRoll = 80.0f;
  static constexpr float kCreationRoll = 90.0f;
  // Lean into a turn.
  static constexpr float kLeanDeg = 20.0f;

  VornPlayer();

  // Index of the drawn model in the game's model table; -1 for none.
  int model = -1;
  // The model's clips; none until the model is loaded.
  const VornClipTable* clips = nullptr;

  int32_t sequence = 0;
  int32_t animating = 0;
  float elapsed = 0.0f;
  float frame = 0.0f;

  uint8_t racing = 0;
  uint8_t countdownDone = 0;
  uint8_t knockedOut = 0;

  float speed = 0.0f;
  VornTransform body;
  VornVector direction;
  VornTransform modelTransform;

  const VornVector& position() const { return body.position(); }
  void setPosition(const VornVector& p) { body.setPosition(p); }

  // position += direction * d.
  void advance(float d);
  // Moves d along the current direction, is pushed out by pushDepth along
  // pushDirection and then takes newDirection.
  void slide(float d, const VornVector& newDirection, float pushDepth, const VornVector& pushDirection);
  // Bends the motion by g * (0, -0.5, 0); speed and direction both change.
  void applyGravity(float g);
  // The same bend of the direction, the speed stays.
  void applyGravityToDirection(float g);
  // Turns the direction upwards by half the speed.
  void jump();

  // Starts clip i from its beginning; an index outside the clip table is ignored.
  void startSequence(int i);
  // Moves the running clip on by dt tenths; at its end the clip stops on its
  // last frame.
  void advanceAnimation(float dt);

  // The model's one-time set-up when the player is created: scaled to the
  // world, placed at the body and turned along the direction.
  void setUpModel();
  // Puts the model where the body is, facing the direction, leaning into the
  // given steering.
  void updatePose(Steering steering);

 private:
  void bend(float g, bool changeSpeed);
};

}  // namespace vorn
