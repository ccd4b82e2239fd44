#include "app/race_message.h"

#include <algorithm>
#include <utility>

namespace vorn {
namespace {

int lerpInt(int32_t from, int32_t to, double t) {
  return static_cast<int>(from * (1.0 - t) + to * t);
}

float lerpFloat(float from, float to, double t) { return static_cast<float>(from * (1.0 - t) + to * t); }

}  // namespace

bool messageLook(const VornMessage& message, int64_t now, VornMessageLook& look) {
  const int64_t age = now - message.created;
  if (age >= message.duration) return false;
  // The clock never runs backwards, but a message stamped by another clock
  // must not extrapolate before its start.
  const double t = std::max(0.0, static_cast<double>(age) / static_cast<double>(message.duration));
  look.x = lerpInt(message.startX, message.endX, t);
  look.y = lerpInt(message.startY, message.endY, t);
  look.size = lerpInt(message.startSize, message.endSize, t);
  look.color = {lerpFloat(message.startColor.r, message.endColor.r, t),
                lerpFloat(message.startColor.g, message.endColor.g, t),
                lerpFloat(message.startColor.b, message.endColor.b, t)};
  return true;
}

void VornMessageList::add(int64_t now, int startX, int endX, int startY, int endY, int startSize, int endSize,
                          const float colours[6], int durationTenths, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vadd(now, startX, endX, startY, endY, startSize, endSize, colours, durationTenths, format, args);
  va_end(args);
}

void VornMessageList::vadd(int64_t now, int startX, int endX, int startY, int endY, int startSize, int endSize,
                           const float colours[6], int durationTenths, const char* format, va_list args) {
  VornMessage message;
  message.text = formatText(format, args);
  message.startX = startX;
  message.endX = endX;
  message.startY = startY;
  message.endY = endY;
  message.startSize = startSize;
  message.endSize = endSize;
  message.startColor = {colours[0], colours[1], colours[2]};
  message.endColor = {colours[3], colours[4], colours[5]};
  message.duration = static_cast<int64_t>(durationTenths) * kMicrosPerTenth;
  message.created = now;
  messages_.push_back(std::move(message));
}

void VornMessageList::update(int64_t now, VornTextQueue& queue) {
  bool anyExpired = false;
  for (const VornMessage& message : messages_) {
    VornMessageLook look;
    if (messageLook(message, now, look)) {
      queue.add(look.x, look.y, look.size, look.color, message.text);
    } else {
      anyExpired = true;
    }
  }
  if (!anyExpired) return;
  messages_.erase(std::remove_if(messages_.begin(), messages_.end(),
                                 [now](const VornMessage& m) { return now - m.created >= m.duration; }),
                  messages_.end());
}

void addCountdownMessage(VornMessageList& list, int64_t now, const char* text) {
  static constexpr float kColours[6] = {0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f};
  list.add(now, 350, 350, 300, 600, 80, 60, kColours, kMessageTenths, "%s", text);
}

void addJumpMessage(VornMessageList& list, int64_t now, const char* text) {
  static constexpr float kColours[6] = {0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f};
  list.add(now, 100, 90, 200, 0, 60, 80, kColours, kMessageTenths, "%s", text);
}

void addBonusMessage(VornMessageList& list, int64_t now, int startY, int endY) {
  static constexpr float kColours[6] = {0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f};
  list.add(now, 350, 100, startY, endY, 20, 60, kColours, kBonusMessageTenths, "+5");
}

void addSplitBonusMessage(VornMessageList& list, int64_t now, int player) {
  if (player == 0) {
    addBonusMessage(list, now, 150, 250);
  } else {
    addBonusMessage(list, now, 450, 550);
  }
}

}  // namespace vorn
