// The screen-text queue: every text of a frame (menus, highscores, race
// messages, HUD, debug lines) is queued here during the frame and drawn once
// at its end by the font. This part holds no device state, so formatting,
// the menu items' hover rule and the queue itself are plain data.
// Units: the 800 x 600 text overlay, origin bottom left, y upward; a text's
// size is its glyph height, and each character advances 0.8 of it.
// Cost: one small string a queued text; the queue is cleared every frame.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

namespace vorn {

struct VornRgb {
  float r = 1.0f;
  float g = 1.0f;
  float b = 1.0f;
};

constexpr VornRgb kTextWhite{1.0f, 1.0f, 1.0f};
constexpr int kDefaultTextSize = 10;
// Formatted texts are cut to this many characters.
constexpr int kMaxTextLength = 255;
// Glyph advance in tenths of the text size.
constexpr int kAdvanceTenths = 8;

// One queued text; `text` holds exactly the characters to draw.
struct VornTextEntry {
  std::string text;
  int x = 0;
  int y = 0;
  int size = kDefaultTextSize;
  VornRgb color;

  int length() const { return static_cast<int>(text.size()); }
};

// printf-style formatting that never writes past its buffer: a longer text
// is cut to kMaxTextLength characters; a formatting error gives "".
std::string formatText(const char* format, va_list args);

// True when the pointer (virtual coordinates, y downward) is strictly inside
// an item of `length` characters at (x, y) with glyph height `size`: right of
// x, left of x + 0.8 * length * size, and, with y' = 600 - mouseY, strictly
// between y and y + size. Integer arithmetic, so the edges are exact.
bool buttonHovered(int mouseX, int mouseY, int x, int y, int size, int length);

struct VornTextPlacement {
  int x;
  int y;
  int size;
};

// Where a hovered item is drawn: it grows to `hoverSize` and shifts by
// (length * (size - hoverSize) * 2) / 10 to the right and
// (size - hoverSize) / 2 up (truncating integer division), so a 50 -> 60
// item moves 2 units left per character and 5 units down.
VornTextPlacement hoverPlacement(int x, int y, int size, int hoverSize, int length);

class VornTextQueue {
 public:
  // Starts a frame: drops every queued text.
  void begin() { entries_.clear(); }

  void add(int x, int y, int size, VornRgb color, std::string text);
  void vprint(int x, int y, int size, VornRgb color, const char* format, va_list args);

  // White, size 10.
  void print(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));
  // Size 10.
  void print(int x, int y, VornRgb color, const char* format, ...) __attribute__((format(printf, 5, 6)));
  // White.
  void print(int x, int y, int size, const char* format, ...) __attribute__((format(printf, 5, 6)));
  void print(int x, int y, int size, VornRgb color, const char* format, ...)
      __attribute__((format(printf, 6, 7)));

  // A menu item: queued grown and in `hoverColor` when the pointer is over
  // it (then returns true), else at (x, y) in `size` and `color`.
  bool button(int mouseX, int mouseY, int x, int y, int size, int hoverSize, VornRgb color, VornRgb hoverColor,
              const char* format, ...) __attribute__((format(printf, 10, 11)));

  const std::vector<VornTextEntry>& entries() const { return entries_; }

 private:
  std::vector<VornTextEntry> entries_;
};

}  // namespace vorn
