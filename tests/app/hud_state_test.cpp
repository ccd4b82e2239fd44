#include "app/hud_state.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

const VornTextEntry* findText(const VornTextQueue& queue, const std::string& text) {
  for (const VornTextEntry& e : queue.entries()) {
    if (e.text == text) return &e;
  }
  return nullptr;
}

TEST(HudClock, MinutesAndSeconds) {
  EXPECT_EQ(clockText(75), "01:15");
  EXPECT_EQ(clockText(5), "00:05");
  EXPECT_EQ(clockText(0), "00:00");
  EXPECT_EQ(clockText(600), "10:00");
}

TEST(HudClock, BlueAboveTenRedFromTenHiddenBelowZero) {
  VornHudState hud;
  VornTextQueue queue;
  hud.update(11, 0.0f, 0.0f);
  hud.queueTexts(HudView::kSingle, queue);
  const VornTextEntry* clock = findText(queue, "00:11");
  ASSERT_NE(clock, nullptr);
  EXPECT_EQ(clock->x, 300);
  EXPECT_EQ(clock->y, 500);
  EXPECT_EQ(clock->size, 80);
  EXPECT_EQ(clock->color.b, 1.0f);
  EXPECT_EQ(clock->color.r, 0.0f);

  queue.begin();
  hud.update(10, 0.0f, 0.0f);
  hud.queueTexts(HudView::kSingle, queue);
  clock = findText(queue, "00:10");
  ASSERT_NE(clock, nullptr);
  EXPECT_EQ(clock->color.r, 1.0f);
  EXPECT_EQ(clock->color.b, 0.0f);

  queue.begin();
  hud.update(0, 0.0f, 0.0f);
  hud.queueTexts(HudView::kSingle, queue);
  EXPECT_NE(findText(queue, "00:00"), nullptr);

  queue.begin();
  hud.update(-1, 0.0f, 0.0f);
  hud.queueTexts(HudView::kSingle, queue);
  EXPECT_EQ(queue.entries().size(), 2u);  // only the speed and "km/h"
}

TEST(HudTexts, SpeedAndResultPerView) {
  VornHudState hud;
  hud.update(30, 0.0f, 87.9f);
  VornTextQueue queue;
  hud.queueTexts(HudView::kSplitTop, queue);
  const VornTextEntry* speed = findText(queue, "87");
  ASSERT_NE(speed, nullptr);
  EXPECT_EQ(speed->x, 738);
  EXPECT_EQ(speed->y, 337);
  EXPECT_EQ(speed->size, 17);
  const VornTextEntry* unit = findText(queue, "km/h");
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(unit->y, 320);
  EXPECT_EQ(unit->size, 12);
  EXPECT_EQ(findText(queue, "00:30")->x, 300);
  EXPECT_EQ(findText(queue, "00:30")->y, 550);

  queue.begin();
  hud.setWon();
  hud.queueTexts(HudView::kSingle, queue);
  const VornTextEntry* won = findText(queue, "You win!");
  ASSERT_NE(won, nullptr);
  EXPECT_EQ(won->x, 120);
  EXPECT_EQ(won->size, 80);
  EXPECT_EQ(won->color.g, 1.0f);
  EXPECT_EQ(findText(queue, "00:30"), nullptr);

  queue.begin();
  hud.setLost();
  hud.queueTexts(HudView::kSplitBottom, queue);
  const VornTextEntry* lost = findText(queue, "You Loose!");
  ASSERT_NE(lost, nullptr);
  EXPECT_EQ(lost->x, 300);
  EXPECT_EQ(lost->y, 250);
  EXPECT_EQ(lost->color.r + lost->color.g + lost->color.b, 0.0f);
  EXPECT_EQ(findText(queue, "87")->y, 37);

  hud.reset();
  EXPECT_EQ(hud.result, kHudRacing);
  EXPECT_EQ(hud.timeLeft, 60);
  EXPECT_EQ(hud.awake, 100.0f);
}

TEST(HudUpdate, AwakeFloorHoldsPointOne) {
  VornHudState hud;
  EXPECT_FALSE(hud.update(10, -99.95f, 0.0f));
  EXPECT_NEAR(hud.awake, 0.05f, 1e-4f);
  EXPECT_TRUE(hud.update(10, -0.1f, 0.0f));
  EXPECT_FLOAT_EQ(hud.awake, 0.1f);
  EXPECT_FALSE(hud.update(10, 0.0f, 0.0f));  // exactly representable levels stay
}

TEST(HudUpdate, GaugeColourThresholds) {
  VornHudState hud;
  hud.awake = 50.5f;
  EXPECT_EQ(hud.gaugeColor().r, 0.0f);
  hud.awake = 50.0f;
  EXPECT_EQ(hud.gaugeColor().r, 1.0f);
  EXPECT_EQ(hud.gaugeColor().g, 1.0f);
  hud.awake = 25.0f;
  EXPECT_EQ(hud.gaugeColor().g, 0.0f);
}

TEST(HudNeedle, UnrotatedAtZeroFullTurnAt140HalfAt70) {
  VornHudState hud;
  hud.update(10, 0.0f, 0.0f);
  EXPECT_NEAR(hud.needle[0][0], 1.0f, 1e-6f);
  EXPECT_NEAR(hud.needle[0][1], 0.0f, 1e-6f);
  EXPECT_NEAR(hud.needle[1][1], 1.0f, 1e-6f);
  hud.update(10, 0.0f, 140.0f);
  EXPECT_NEAR(hud.needle[0][0], 1.0f, 1e-6f);
  EXPECT_NEAR(hud.needle[1][0], 0.0f, 1e-6f);
  hud.update(10, 0.0f, 70.0f);
  EXPECT_NEAR(hud.needle[0][0], -1.0f, 1e-6f);
  // A quarter turn (35 km/h): a = 3 pi / 2, sin a = -1.
  hud.update(10, 0.0f, 35.0f);
  EXPECT_NEAR(hud.needle[1][0], -1.0f, 1e-6f);
  EXPECT_NEAR(hud.needle[0][1], 1.0f, 1e-6f);
}

TEST(HudTexts, BrokenSpeedShowsAFiniteNumber) {
  VornHudState hud;
  hud.update(10, 0.0f, NAN);
  VornTextQueue queue;
  hud.queueTexts(HudView::kSingle, queue);
  EXPECT_NE(findText(queue, "0"), nullptr);
  queue.begin();
  hud.update(10, 0.0f, 1e30f);
  hud.queueTexts(HudView::kSingle, queue);
  EXPECT_NE(findText(queue, "99999"), nullptr);
}

}  // namespace
}  // namespace vorn
