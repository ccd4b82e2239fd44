#include "app/text_queue.h"

#include <cstdio>
#include <utility>

#include "app/input.h"

namespace vorn {

std::string formatText(const char* format, va_list args) {
  if (format == nullptr) return std::string();
  char buffer[kMaxTextLength + 1];
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return std::string();
  return std::string(buffer, static_cast<size_t>(n < kMaxTextLength ? n : kMaxTextLength));
}

bool buttonHovered(int mouseX, int mouseY, int x, int y, int size, int length) {
  // mouseX < x + 0.8 * length * size, scaled by 10 to stay in integers.
  const long long right10 = 10LL * x + static_cast<long long>(kAdvanceTenths) * length * size;
  const int yUp = kVirtualHeight - mouseY;
  return mouseX > x && 10LL * mouseX < right10 && yUp > y && yUp < y + size;
}

VornTextPlacement hoverPlacement(int x, int y, int size, int hoverSize, int length) {
  return {x + (length * (size - hoverSize) * 2) / 10, y + (size - hoverSize) / 2, hoverSize};
}

void VornTextQueue::add(int x, int y, int size, VornRgb color, std::string text) {
  VornTextEntry entry;
  entry.text = std::move(text);
  entry.x = x;
  entry.y = y;
  entry.size = size;
  entry.color = color;
  entries_.push_back(std::move(entry));
}

void VornTextQueue::vprint(int x, int y, int size, VornRgb color, const char* format, va_list args) {
  add(x, y, size, color, formatText(format, args));
}

void VornTextQueue::print(int x, int y, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprint(x, y, kDefaultTextSize, kTextWhite, format, args);
  va_end(args);
}

void VornTextQueue::print(int x, int y, VornRgb color, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprint(x, y, kDefaultTextSize, color, format, args);
  va_end(args);
}

void VornTextQueue::print(int x, int y, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprint(x, y, size, kTextWhite, format, args);
  va_end(args);
}

void VornTextQueue::print(int x, int y, int size, VornRgb color, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprint(x, y, size, color, format, args);
  va_end(args);
}

bool VornTextQueue::button(int mouseX, int mouseY, int x, int y, int size, int hoverSize, VornRgb color,
                           VornRgb hoverColor, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatText(format, args);
  va_end(args);
  const int n = static_cast<int>(text.size());
  if (buttonHovered(mouseX, mouseY, x, y, size, n)) {
    const VornTextPlacement at = hoverPlacement(x, y, size, hoverSize, n);
    add(at.x, at.y, at.size, hoverColor, std::move(text));
    return true;
  }
  add(x, y, size, color, std::move(text));
  return false;
}

}  // namespace vorn
