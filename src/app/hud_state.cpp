#include "app/hud_state.h"

#include <cmath>
#include <cstdio>

namespace vorn {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr VornRgb kGreen{0.0f, 1.0f, 0.0f};
constexpr VornRgb kYellow{1.0f, 1.0f, 0.0f};
constexpr VornRgb kRed{1.0f, 0.0f, 0.0f};
constexpr VornRgb kBlue{0.0f, 0.0f, 1.0f};
constexpr VornRgb kBlack{0.0f, 0.0f, 0.0f};

struct HudTextLayout {
  int bigX, bigY, bigSize;      // result or clock
  int speedX, speedY, speedSize;
  int unitX, unitY, unitSize;   // "km/h"
};

constexpr HudTextLayout kSingleLayout{120, 500, 80, 705, 60, 30, 705, 43, 15};
constexpr HudTextLayout kSplitBottomLayout{300, 250, 40, 738, 37, 17, 738, 20, 12};
constexpr HudTextLayout kSplitTopLayout{300, 550, 40, 738, 337, 17, 738, 320, 12};
// In the single view the clock sits further right than the result texts.
constexpr int kSingleClockX = 300;

}  // namespace

void needleRotation(float speed, float needle[2][2]) {
  const double a = 2.0 * kPi - speed * kPi / kHudKmhPerHalfTurn;
  const float c = static_cast<float>(std::cos(a));
  const float s = static_cast<float>(std::sin(a));
  needle[0][0] = c;
  needle[0][1] = -s;
  needle[1][0] = s;
  needle[1][1] = c;
}

std::string clockText(int timeLeft) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%2.02d:%2.02d", timeLeft / 60, timeLeft % 60);
  return buffer;
}

void VornHudState::reset() {
  timeLeft = kHudResetTime;
  awake = kHudResetAwake;
  speed = 0.0f;
  needleRotation(speed, needle);
  result = kHudRacing;
}

bool VornHudState::update(int newTimeLeft, float awakeDelta, float newSpeed) {
  timeLeft = newTimeLeft;
  awake += awakeDelta;
  speed = newSpeed;
  needleRotation(speed, needle);
  if (awake < 0.0f) {
    awake = kHudAwakeFloor;
    return true;
  }
  return false;
}

VornRgb VornHudState::gaugeColor() const {
  if (awake > 50.0f) return kGreen;
  if (awake > 25.0f) return kYellow;
  return kRed;
}

void VornHudState::queueTexts(HudView view, VornTextQueue& queue) const {
  const HudTextLayout& l = view == HudView::kSingle        ? kSingleLayout
                           : view == HudView::kSplitBottom ? kSplitBottomLayout
                                                           : kSplitTopLayout;
  if (result == kHudWon) {
    queue.add(l.bigX, l.bigY, l.bigSize, kGreen, "You win!");
  } else if (result == kHudLost) {
    queue.add(l.bigX, l.bigY, l.bigSize, kBlack, "You Loose!");
  } else if (timeLeft >= 0) {
    const int x = view == HudView::kSingle ? kSingleClockX : l.bigX;
    queue.add(x, l.bigY, l.bigSize, timeLeft > kHudRedSeconds ? kBlue : kRed, clockText(timeLeft));
  }
  // A broken speed must not reach the integer conversion.
  const float shown = std::isfinite(speed) ? std::fmax(-99999.0f, std::fmin(speed, 99999.0f)) : 0.0f;
  queue.print(l.speedX, l.speedY, l.speedSize, kYellow, "%d", static_cast<int>(shown));
  queue.add(l.unitX, l.unitY, l.unitSize, kYellow, "km/h");
}

}  // namespace vorn
