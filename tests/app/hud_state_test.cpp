#include "app/hud_state.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

const VornTextEntry* findText(const VornTextQueue& queue, const std::string& text) {
  for (const VornTextEntry& e : queue.entries())
    if (e.text == text) return &e;
  return nullptr;
}

TEST(HudTexts, TheClockIsBlueAboveTenRedFromTenAndHiddenBelowZero) {
  EXPECT_EQ(clockText(600), "10:00");
  EXPECT_EQ(clockText(75), "01:15");
  VornHudState hud;
  for (int timeLeft : {11, 10, -1}) {
    VornTextQueue queue;
    hud.update(timeLeft, 0.0f, 0.0f);
    hud.queueTexts(HudView::kSingle, queue);
    const VornTextEntry* clock = findText(queue, clockText(timeLeft));
    if (timeLeft < 0) {
      EXPECT_EQ(queue.entries().size(), 2u) << "only the speed and km/h";
      continue;
    }
    ASSERT_NE(clock, nullptr) << timeLeft;
    EXPECT_EQ(clock->color.r, timeLeft > 10 ? 0.0f : 1.0f) << timeLeft;
  }
}

TEST(HudTexts, TheResultReplacesTheClockAndABrokenSpeedShowsAFiniteNumber) {
  VornHudState hud;
  hud.update(30, 0.0f, NAN);
  hud.setWon();
  VornTextQueue queue;
  hud.queueTexts(HudView::kSingle, queue);
  EXPECT_NE(findText(queue, "You win!"), nullptr);
  EXPECT_EQ(findText(queue, "00:30"), nullptr);
  EXPECT_NE(findText(queue, "0"), nullptr);
  queue.begin();
  hud.setLost();
  hud.update(30, 0.0f, 1e30f);
  hud.queueTexts(HudView::kSplitBottom, queue);
  EXPECT_NE(findText(queue, "You Loose!"), nullptr);
  EXPECT_NE(findText(queue, "99999"), nullptr);
}

TEST(HudUpdate, AnExhaustedPlayerIsHeldAtPointOne) {
  VornHudState hud;
  EXPECT_FALSE(hud.update(10, -99.95f, 0.0f));
  EXPECT_NEAR(hud.awake, 0.05f, 1e-4f);
  EXPECT_TRUE(hud.update(10, -0.1f, 0.0f));
  EXPECT_FLOAT_EQ(hud.awake, 0.1f);
  EXPECT_FALSE(hud.update(10, 0.0f, 0.0f));
}

TEST(HudUpdate, GaugeGreenAboveFiftyYellowAboveTwentyFiveElseRed) {
  VornHudState hud;
  const float levels[] = {50.5f, 50.0f, 25.5f, 25.0f}, red[] = {0, 1, 1, 1}, green[] = {1, 1, 1, 0};
  for (int i = 0; i < 4; ++i) {
    hud.awake = levels[i];
    EXPECT_EQ(hud.gaugeColor().r, red[i]) << levels[i];
    EXPECT_EQ(hud.gaugeColor().g, green[i]) << levels[i];
  }
}

}  // namespace
}  // namespace vorn
