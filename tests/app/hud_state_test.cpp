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

TEST(HudTexts, TheClockIsBlueAboveTenRedFromTenAndTheResultOrANegativeTimeHidesIt) {
  EXPECT_EQ(clockText(75), "01:15");
  VornHudState hud;
  for (int timeLeft : {11, 10, -1}) {
    VornTextQueue queue;
    hud.update(timeLeft, 0.0f, 0.0f);
    hud.queueTexts(HudView::kSingle, queue);
    const VornTextEntry* clock = findText(queue, clockText(timeLeft));
    if (timeLeft < 0) {
      EXPECT_EQ(queue.entries().size(), 2u) << "only the speed and km/h";
    } else {
      ASSERT_NE(clock, nullptr) << timeLeft;
      EXPECT_EQ(clock->color.r, timeLeft > 10 ? 0.0f : 1.0f) << timeLeft;
    }
  }
  // A broken speed still shows a finite number.
  VornTextQueue queue;
  hud.update(30, 0.0f, NAN);
  hud.setWon();
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

}  // namespace
}  // namespace vorn
