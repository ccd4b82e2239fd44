#include "app/fps_counter.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(FpsCounter, PublishesTheFramesOfEachWindowLongerThanOneSecond) {
  VornManualClock clock(10000000);
  VornFpsCounter counter(clock);
  clock.set(11000000);
  counter.tick();  // exactly one second: not yet
  EXPECT_EQ(counter.getFps(), 0);
  clock.set(11000001);
  counter.tick();
  EXPECT_EQ(counter.getFps(), 2);
  // A clock that went back keeps counting until the window has passed again.
  clock.set(9000000);
  for (int i = 0; i < 5; ++i) counter.tick();
  EXPECT_EQ(counter.getFps(), 2);
  clock.set(12000002);
  counter.tick();
  EXPECT_EQ(counter.getFps(), 6);
}

}  // namespace
}  // namespace vorn
