#include "app/fps_counter.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(FpsCounter, ZeroUntilTheFirstWindowCompletes) {
  VornManualClock clock(5000000);
  VornFpsCounter counter(clock);
  for (int i = 0; i < 30; ++i) {
    clock.advance(33000);
    counter.tick();
  }
  EXPECT_EQ(counter.getFps(), 0);  // 990 ms so far
}

TEST(FpsCounter, WindowMustBeLongerThanOneSecond) {
  VornManualClock clock(0);
  VornFpsCounter counter(clock);
  clock.set(1000000);
  counter.tick();  // exactly one second: not yet
  EXPECT_EQ(counter.getFps(), 0);
  clock.set(1000001);
  counter.tick();
  EXPECT_EQ(counter.getFps(), 2);
  EXPECT_EQ(counter.frames, 0);
  EXPECT_EQ(counter.lastReset, 1000001);
}

TEST(FpsCounter, CountsFramesOfEachWindow) {
  VornManualClock clock(0);
  VornFpsCounter counter(clock);
  for (int i = 0; i < 120; ++i) {  // 60 frames a second for two seconds
    clock.advance(1000000 / 60 + 1);
    counter.tick();
  }
  EXPECT_GE(counter.getFps(), 59);
  EXPECT_LE(counter.getFps(), 61);
}

TEST(FpsCounter, ClockGoingBackKeepsCounting) {
  VornManualClock clock(10000000);
  VornFpsCounter counter(clock);
  clock.set(11500000);
  counter.tick();
  ASSERT_EQ(counter.getFps(), 1);
  clock.set(9000000);  // back in time
  for (int i = 0; i < 5; ++i) counter.tick();
  EXPECT_EQ(counter.getFps(), 1);
  EXPECT_EQ(counter.frames, 5);
  clock.set(12600000);  // past lastReset + 1 s again
  counter.tick();
  EXPECT_EQ(counter.getFps(), 6);
}

}  // namespace
}  // namespace vorn
