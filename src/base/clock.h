// Clocks: the time the frame loop and race timing read, behind an interface tests can drive.
// Units: microseconds as signed 64-bit; whole seconds for the random seed. Cost: one clock read.
#pragma once

#include <cstdint>

namespace vorn {

// Microseconds from an arbitrary fixed origin; never goes backwards. A steady
// (monotonic) clock with microsecond resolution stands in for the millisecond
// wall clock: frame steps must never jump with the calendar.
int64_t getTimeMicroseconds();
// Whole seconds since the epoch (calendar time); used only to seed rand().
int32_t getTimeSeconds();

// Source of "now" for the game object and everything it times.
class VornClock {
 public:
  virtual ~VornClock() = default;
  virtual int64_t nowMicroseconds() const = 0;
};

class VornSystemClock final : public VornClock {
 public:
  int64_t nowMicroseconds() const override { return getTimeMicroseconds(); }
};

// A clock that only moves when told to; for tests and timed replays.
class VornManualClock final : public VornClock {
 public:
  explicit VornManualClock(int64_t start = 0) : now_(start) {}
  int64_t nowMicroseconds() const override { return now_; }
  void set(int64_t micros) { now_ = micros; }
  void advance(int64_t micros) { now_ += micros; }

 private:
  int64_t now_;
};

// The process-wide system clock.
const VornClock& systemClock();

}  // namespace vorn
