// VornAutopilot: the centre line found from heights, and the keys it presses.
#include "player/autopilot.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

// A valley whose floor winds across the course: x = 1500 + 400 sin(z / 800).
float valleyFloorX(float z) { return 1500.0f + 400.0f * std::sin(z / 800.0f); }
float valley(float x, float z) {
  // Banks rise by about 5 a cell, like the course's.
  const float d = std::fabs(x - valleyFloorX(z)) / 50.0f;
  return 250.0f - 0.04f * z + 5.0f * d + d * d;
}

VornAutopilot::Course course() {
  VornAutopilot::Course c;
  c.columns = 72;
  c.rows = 112;
  c.startX = 1500.0f;
  return c;
}

TEST(AutopilotLine, FollowsTheValleyFloor) {
  const std::vector<float> line = VornAutopilot::findCentreLine(valley, course());
  ASSERT_EQ(line.size(), 112u);
  for (size_t r = 0; r < line.size(); ++r) {
    EXPECT_NEAR(line[r], valleyFloorX(static_cast<float>(r) * 50.0f), 60.0f) << "row " << r;
  }
}

TEST(AutopilotLine, StaysOnThePathItStartedOnWhereTwoPathsPart) {
  // Two equally low paths at x 1000 and 2600, the start near the second.
  auto twin = [](float x, float) {
    const float a = std::fabs(x - 1000.0f) / 50.0f;
    const float b = std::fabs(x - 2600.0f) / 50.0f;
    return 5.0f * std::fmin(a, b);
  };
  VornAutopilot::Course c = course();
  c.startX = 2400.0f;
  for (float x : VornAutopilot::findCentreLine(twin, c)) EXPECT_NEAR(x, 2600.0f, 1.0f);
  c.startX = 1200.0f;
  for (float x : VornAutopilot::findCentreLine(twin, c)) EXPECT_NEAR(x, 1000.0f, 1.0f);
}

TEST(AutopilotLine, StaysInsideTheBarrierWalls) {
  auto tilted = [](float x, float) { return x; };  // lowest at the left edge
  for (float x : VornAutopilot::findCentreLine(tilted, course())) EXPECT_GE(x, 150.0f);
  auto other = [](float x, float) { return -x; };
  for (float x : VornAutopilot::findCentreLine(other, course())) EXPECT_LE(x, 68.0f * 50.0f);
}

TEST(AutopilotLine, AnEmptyCourseHasNoLine) {
  VornAutopilot::Course c;
  EXPECT_TRUE(VornAutopilot::findCentreLine(valley, c).empty());
  const VornAutopilot pilot({}, 50.0f);
  VornPlayer p;
  uint8_t keys[256] = {};
  pilot.drive(p, keys);
  EXPECT_EQ(keys['w'], 1);
  EXPECT_EQ(keys['a'] + keys['d'], 0);
}

TEST(AutopilotLine, InterpolatesBetweenRowsAndHoldsAtTheEnds) {
  const VornAutopilot pilot({100.0f, 200.0f, 400.0f}, 50.0f);
  EXPECT_FLOAT_EQ(pilot.centreAt(-10.0f), 100.0f);
  EXPECT_FLOAT_EQ(pilot.centreAt(25.0f), 150.0f);
  EXPECT_FLOAT_EQ(pilot.centreAt(75.0f), 300.0f);
  EXPECT_FLOAT_EQ(pilot.centreAt(1e6f), 400.0f);
}

class AutopilotDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    player_.setPosition(VornVector(1000.0f, 0.0f, 0.0f));
    player_.direction = VornVector(0.0f, 0.0f, 1.0f);
    player_.speed = 20.0f;
    keys_[' '] = 1;
    keys_['s'] = 1;
  }
  VornPlayer player_;
  uint8_t keys_[256] = {};
};

TEST_F(AutopilotDrive, SteersTowardsTheLineWithTheRaceKeysOnly) {
  const VornAutopilot toTheLeft(std::vector<float>(10, 1300.0f), 50.0f);  // +x is the player's left
  toTheLeft.drive(player_, keys_);
  EXPECT_EQ(keys_['a'], 1);
  EXPECT_EQ(keys_['d'], 0);
  EXPECT_EQ(keys_['w'], 1);
  EXPECT_EQ(keys_['s'], 0);
  EXPECT_EQ(keys_[' '], 0);
  const VornAutopilot toTheRight(std::vector<float>(10, 700.0f), 50.0f);
  toTheRight.drive(player_, keys_);
  EXPECT_EQ(keys_['a'], 0);
  EXPECT_EQ(keys_['d'], 1);
}

TEST_F(AutopilotDrive, OnTheLineItHoldsItsHeading) {
  const VornAutopilot straight(std::vector<float>(10, 1000.0f), 50.0f);
  straight.drive(player_, keys_);
  EXPECT_EQ(keys_['a'] + keys_['d'], 0);
}

TEST_F(AutopilotDrive, DrivesPlayerTwoWithItsOwnKeys) {
  const VornAutopilot second(std::vector<float>(10, 1300.0f), 50.0f, kPlayer2Keys);
  uint8_t keys[256] = {};
  second.drive(player_, keys);
  EXPECT_EQ(keys['8'], 1);
  EXPECT_EQ(keys['4'], 1);
  EXPECT_EQ(keys['w'] + keys['a'], 0);
}

}  // namespace
}  // namespace vorn
