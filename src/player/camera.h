// VornCamera: the chase camera behind and above one player, its arithmetic only (GL: player_gl.h).
// Units: world units; pointer in the 800 x 600 virtual screen; degrees.
// Cost: one terrain ray probe and a few square roots per update.
#pragma once

#include "math/vector.h"
#include "player/ground.h"
#include "player/player.h"

namespace vorn {

// Its distance grows with the player's speed, the pointer turns it around the
// player and raises or lowers it, and the terrain keeps it from going underground.
class VornCamera {
 public:
  static constexpr float kMinDistance = 50.0f;
  static constexpr float kMaxDistance = 100.0f;
  // Distance per unit of speed, on top of the minimum.
  static constexpr float kDistancePerSpeed = 20.0f;
  static constexpr float kInitialHeight = -0.8f;
  static constexpr float kLowestHeight = -1.0f;

  VornCamera() { reset(); }

  // Height from the pointer's y and turn from its x; the pointer in the
  // middle of the screen (x 400) puts the camera straight behind.
  void setMouse(float mouseX, float mouseY);
  // Follows the target; does nothing without one.
  void update(VornGround& ground);
  // Back to the start values; the target stays.
  void reset();

  void setTarget(const VornPlayer* player) { target_ = player; }
  const VornPlayer* target() const { return target_; }

  const VornVector& eyePosition() const { return eye; }
  const VornVector& viewVector() const { return view; }
  const VornVector& upVector() const { return up; }

  VornVector eye;
  VornVector view;
  VornVector up;
  float height = kInitialHeight;
  float yawOffset = 0.0f;

 private:
  const VornPlayer* target_ = nullptr;
};

}  // namespace vorn
