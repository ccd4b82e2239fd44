// One player's in-race overlay without its drawing: clock, sleepiness, speed
// and needle, result, and the texts it queues. Units: whole seconds, km/h,
// awake level, the 800 x 600 text overlay. Cost: a few floats; three texts a frame.
#pragma once

#include <string>

#include "app/text_queue.h"

namespace vorn {

enum HudResult : int { kHudRacing = 0, kHudWon = 1, kHudLost = 2 };

// Which part of the screen the overlay belongs to.
enum class HudView { kSingle, kSplitBottom, kSplitTop };

constexpr int kHudResetTime = 60;
constexpr float kHudResetAwake = 100.0f;
// The level an exhausted player is held at.
constexpr float kHudAwakeFloor = 0.1f;
// The needle turns half a turn per 70 km/h.
constexpr float kHudKmhPerHalfTurn = 70.0f;
// The clock turns red at this many seconds left.
constexpr int kHudRedSeconds = 10;

// The needle's texture rotation for `speed`: a = 2 pi - speed * pi / 70,
// m = [cos a, -sin a; sin a, cos a].
void needleRotation(float speed, float needle[2][2]);

// The race clock as minutes and seconds ("%2.02d:%2.02d": 75 s is "01:15").
std::string clockText(int timeLeft);

class VornHudState {
 public:
  VornHudState() { reset(); }

  void reset();
  // Stores the time and speed, adds the awake delta and turns the needle.
  // True when the level fell below 0; it is then held at 0.1.
  bool update(int timeLeft, float awakeDelta, float speed);
  void setWon() { result = kHudWon; }
  void setLost() { result = kHudLost; }

  // Green above 50, yellow above 25, else red.
  VornRgb gaugeColor() const;
  // Result or clock, speed and "km/h" for the view.
  void queueTexts(HudView view, VornTextQueue& queue) const;

  int timeLeft = kHudResetTime;
  float awake = kHudResetAwake;  // 0..100, may go above
  float speed = 0.0f;
  float needle[2][2] = {{1.0f, 0.0f}, {0.0f, 1.0f}};
  int result = kHudRacing;
};

}  // namespace vorn
