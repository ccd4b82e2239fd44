// Floating race messages: texts such as the countdown "1", "2", "3", "GO",
// the jump ratings and the beer bonus "+5" that move, scale and change colour
// over their lifetime, and the presets the race rules use for them.
// Units: positions and sizes in the 800 x 600 text overlay (y upward);
// times in microseconds, durations given in tenths of a second.
// Cost: one small string a message; a list walk per frame.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

#include "app/text_queue.h"

namespace vorn {

constexpr int64_t kMicrosPerTenth = 100000;

struct VornMessage {
  std::string text;
  int32_t startX = 0;
  int32_t endX = 0;
  int32_t startY = 0;
  int32_t endY = 0;
  int32_t startSize = 0;
  int32_t endSize = 0;
  VornRgb startColor;
  VornRgb endColor;
  int64_t duration = 0;  // microseconds
  int64_t created = 0;   // clock at creation, microseconds
};

// How a message looks at one moment.
struct VornMessageLook {
  int x;
  int y;
  int size;
  VornRgb color;
};

// The look of `message` at `now`; false once its duration has passed (age >=
// duration). Position and size are interpolated linearly and truncated.
bool messageLook(const VornMessage& message, int64_t now, VornMessageLook& look);

class VornMessageList {
 public:
  // Formats the text (cut like every screen text) and appends a message
  // created at `now`. `colours` holds start RGB then end RGB.
  void add(int64_t now, int startX, int endX, int startY, int endY, int startSize, int endSize,
           const float colours[6], int durationTenths, const char* format, ...)
      __attribute__((format(printf, 11, 12)));
  void vadd(int64_t now, int startX, int endX, int startY, int endY, int startSize, int endSize,
            const float colours[6], int durationTenths, const char* format, va_list args);

  // Once a frame: queues every live message on `queue` in order, then drops
  // the expired ones, so a message is drawn for the last time in the frame
  // before it expires.
  void update(int64_t now, VornTextQueue& queue);

  void clear() { messages_.clear(); }
  const std::vector<VornMessage>& messages() const { return messages_; }

 private:
  std::vector<VornMessage> messages_;
};

// The presets of the race rules.
constexpr int kMessageTenths = 8;       // countdown and jump ratings
constexpr int kBonusMessageTenths = 10;  // "+5"

// "1", "2", "3", "GO": rises from the middle of the screen and shrinks,
// green to red.
void addCountdownMessage(VornMessageList& list, int64_t now, const char* text);
// "BABY JUMP" .. "MONSTERJUMP": sinks towards the bottom while it grows,
// green to yellow.
void addJumpMessage(VornMessageList& list, int64_t now, const char* text);
// "+5" for a beer bottle: flies from the middle to the upper left and grows,
// blue to yellow. The single race uses y 300 -> 600; the split race 150 ->
// 250 for player 1 and 450 -> 550 for player 2.
void addBonusMessage(VornMessageList& list, int64_t now, int startY = 300, int endY = 600);
void addSplitBonusMessage(VornMessageList& list, int64_t now, int player);

}  // namespace vorn
