#include "app/fps_counter.h"

namespace vorn {

VornFpsCounter::VornFpsCounter(const VornClock& clock)
    : lastReset(clock.nowMicroseconds()), clock_(&clock) {}

void VornFpsCounter::tick() {
  ++frames;
  const int64_t now = clock_->nowMicroseconds();
  const int64_t elapsed = now - lastReset;
  // A clock that went back keeps counting until it passes the window again.
  if (elapsed < 0 || elapsed <= kWindowMicroseconds) return;
  lastReset = now;
  fps = frames;
  frames = 0;
}

}  // namespace vorn
