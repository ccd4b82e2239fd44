// Frames-per-second counter: publishes the frame count of the last window
// longer than one second. Units: microseconds, frames. Cost: one clock read a frame.
#pragma once

#include <cstdint>

#include "base/clock.h"

namespace vorn {

class VornFpsCounter {
 public:
  static constexpr int64_t kWindowMicroseconds = 1000000;

  explicit VornFpsCounter(const VornClock& clock = systemClock());

  // One call per drawn frame.
  void tick();
  int getFps() const { return fps; }

  int64_t lastReset;
  int32_t frames = 0;
  int32_t fps = 0;

 private:
  const VornClock* clock_;
};

}  // namespace vorn
