#include "player/player.h"

#include <cmath>

namespace vorn {

namespace {
// Gravity pulls along (0, -0.5, 0) per unit of its argument.
constexpr float kGravityPull = -0.5f;
// A jump adds an upward push of this fraction of the speed.
constexpr float kJumpLift = 0.5f;
}  // namespace

VornPlayer::VornPlayer() : direction(VornVector(-1.0f, 0.0f, 1.0f).normalized()) {}

void VornPlayer::advance(float d) { body.translate(direction * d); }

void VornPlayer::slide(float d, const VornVector& newDirection, float pushDepth,
                       const VornVector& pushDirection) {
  VornVector p = position();
  p += direction * d;
  p += pushDirection * pushDepth;
  body.setPosition(p);
  direction = newDirection;
}

void VornPlayer::bend(float g, bool changeSpeed) {
  // Without a pull the motion is already what it would become; skipping it
  // keeps a zero-length frame from moving the speed by a rounding step.
  if (g == 0.0f) return;
  VornVector v = direction * speed;
  v.y += kGravityPull * g;
  const float length = v.length();
  // A standing player pulled by nothing has no direction to take; it keeps
  // the one it had rather than dividing by zero.
  if (length > 0.0f) direction = v / length;
  if (changeSpeed) speed = length > kSpeedCap ? kSpeedCap : length;
}

void VornPlayer::applyGravity(float g) { bend(g, true); }

void VornPlayer::applyGravityToDirection(float g) { bend(g, false); }

void VornPlayer::jump() {
  VornVector v = direction * speed;
  v.y += speed * kJumpLift;
  v.normalize();
  direction = v;
}

void VornPlayer::startSequence(int i) {
  if (!clips || i < 0 || static_cast<size_t>(i) >= clips->size()) return;
  sequence = i;
  animating = 1;
  elapsed = 0.0f;
}

void VornPlayer::advanceAnimation(float dt) {
  if (!animating || !clips || static_cast<size_t>(sequence) >= clips->size()) return;
  elapsed += dt;
  const float first = static_cast<float>(clips->firstFrame[sequence]);
  const float count = static_cast<float>(clips->frameCount[sequence]);
  const float duration = clips->duration[sequence];
  if (elapsed <= duration && duration > 0.0f) {
    frame = first + count * (elapsed / duration);
  } else {
    animating = 0;
    frame = first + count;
  }
}

void VornPlayer::setUpModel() {
  modelTransform.scaleBy(kModelScale);
  modelTransform.setPosition(position());
  modelTransform.orient(direction, kCreationRoll);
}

void VornPlayer::updatePose(Steering steering) {
  modelTransform.setPosition(position());
  modelTransform.orient(direction, kRaceRoll);
  if (steering == Steering::kRight) modelTransform.rotateLocalX(kLeanDeg);
  if (steering == Steering::kLeft) modelTransform.rotateLocalX(-kLeanDeg);
}

}  // namespace vorn
