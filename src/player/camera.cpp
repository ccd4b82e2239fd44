#include "player/camera.h"

#include <cmath>

namespace vorn {

namespace {
constexpr float kHeightAtTop = 3.0f;
constexpr float kHeightPerPixel = 0.01f;
constexpr float kYawAtLeft = 200.0f;
constexpr float kYawPerPixel = 0.5f;
}  // namespace

void VornCamera::reset() {
  eye.set(0.0f, 0.0f, 0.0f);
  view.set(0.0f, 0.0f, -100.0f);
  up.set(0.0f, 1.0f, 0.0f);
  height = kInitialHeight;
  yawOffset = 0.0f;
}

void VornCamera::setMouse(float mouseX, float mouseY) {
  height = kHeightAtTop - mouseY * kHeightPerPixel;
  if (height < kLowestHeight) height = kLowestHeight;
  yawOffset = kYawAtLeft - mouseX * kYawPerPixel;
}

void VornCamera::update(VornGround& ground) {
  if (!target_) return;
  const VornVector& p = target_->position();
  const VornVector& d = target_->direction;

  float dist = kDistancePerSpeed * target_->speed + kMinDistance;
  if (dist > kMaxDistance) dist = kMaxDistance;
  if (dist < kMinDistance) dist = kMinDistance;

  // Only the heading of the player counts; its climb or fall would swing the
  // camera up and down with every bump.
  view.set(d.x * dist, -(height + 1.0f) * dist * 0.5f, d.z * dist);
  view.rotateY(yawOffset);
  eye = p - view;
  if (ground.keepAboveGround(eye) > 0) view = p - eye;
  view.normalize();

  const float h = std::sqrt(view.x * view.x + view.z * view.z);
  if (h > 0.0f) {
    // The up vector lies in the vertical plane of the look direction, on its
    // upper side; gluLookAt only needs that plane and that side.
    const float lean = view.y <= 0.0f ? -view.y : view.y;
    up.set(lean * view.x / h, h, lean * view.z / h);
    up.normalize();
  } else {
    // Looking straight down or up there is no heading to lean along; any
    // horizontal up vector works, the one along the player's heading keeps
    // the picture upright in its travel.
    up.set(d.x, 0.0f, d.z);
    if (up.lengthSquared() == 0.0f) up.set(0.0f, 0.0f, 1.0f);
    up.normalize();
  }
}

}  // namespace vorn
