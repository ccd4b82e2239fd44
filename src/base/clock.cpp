#include "base/clock.h"

#include <chrono>
#include <ctime>

namespace vorn {

int64_t getTimeMicroseconds() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int32_t getTimeSeconds() { return static_cast<int32_t>(std::time(nullptr)); }

const VornClock& systemClock() {
  static const VornSystemClock clock;
  return clock;
}

}  // namespace vorn
