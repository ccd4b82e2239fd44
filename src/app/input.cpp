#include "app/input.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vorn {
namespace {

struct Box {
  int left, right, bottom, top;  // exclusive bounds, y upward
  bool contains(int x, int yUp) const { return x > left && x < right && yUp > bottom && yUp < top; }
};

constexpr Box kSingleBox{200, 600, 500, 550};
constexpr Box kGhostBox{200, 600, 400, 450};
constexpr Box kSplitBox{200, 600, 300, 350};
constexpr Box kHighscoresBox{200, 600, 200, 250};
constexpr Box kQuitBox{320, 480, 100, 150};
constexpr Box kBackBox{50, 600, 50, 120};

}  // namespace

const char* stateName(int state) {
  switch (state) {
    case kStateMenu: return "menu";
    case kStateRace: return "race";
    case kStateSplitRace: return "split";
    case kStateLoading: return "loading";
    case kStateHighscores: return "highscores";
    case kStateNameEntry: return "nameentry";
    default: return "unknown";
  }
}

MenuItem menuItemAt(int mouseX, int mouseY) {
  const int yUp = kVirtualHeight - mouseY;
  if (kSingleBox.contains(mouseX, yUp)) return MenuItem::kSingleGame;
  if (kGhostBox.contains(mouseX, yUp)) return MenuItem::kGhostGame;
  if (kSplitBox.contains(mouseX, yUp)) return MenuItem::kSplitGame;
  if (kHighscoresBox.contains(mouseX, yUp)) return MenuItem::kHighscores;
  if (kQuitBox.contains(mouseX, yUp)) return MenuItem::kQuit;
  return MenuItem::kNone;
}

bool inBackBox(int mouseX, int mouseY) { return kBackBox.contains(mouseX, kVirtualHeight - mouseY); }

VirtualPointer scalePointer(int x, int y, int windowWidth, int windowHeight) {
  const long long w = std::max(1, windowWidth);
  const long long h = std::max(1, windowHeight);
  return {static_cast<int>(x * static_cast<long long>(kVirtualWidth) / w),
          static_cast<int>(y * static_cast<long long>(kVirtualHeight) / h)};
}

void applyNameKey(std::string& name, int code, size_t maxLength) {
  if (code == key::kBackspace) {
    if (!name.empty()) name.pop_back();
    return;
  }
  if (code >= 0 && code < 256 && std::isprint(code) && name.size() < maxLength) {
    name.push_back(static_cast<char>(code));
  }
}

bool hasExtensionToken(const char* extensions, const char* name) {
  if (!extensions || !name || !*name) return false;
  const size_t length = std::strlen(name);
  const char* p = extensions;
  while (*p) {
    while (*p == ' ') ++p;
    const char* end = p;
    while (*end && *end != ' ') ++end;
    if (static_cast<size_t>(end - p) == length && std::strncmp(p, name, length) == 0) return true;
    p = end;
  }
  return false;
}

}  // namespace vorn
