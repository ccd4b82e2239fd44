// Game-flow rules that need no device: game states, menu click boxes, pointer
// scaling, key codes, name-entry editing. Units: the virtual 800 x 600 screen,
// y downward as the pointer reports it. Cost: a few compares a call.
#pragma once

#include <string>

#include "player/rider.h"

namespace vorn {

// The game object's states.
enum GameState : int {
  kStateMenu = 0,
  kStateRace = 1,
  kStateSplitRace = 2,
  kStateLoading = 3,
  kStateHighscores = 4,
  kStateNameEntry = 5,
};
const char* stateName(int state);

constexpr int kVirtualWidth = 800;
constexpr int kVirtualHeight = 600;

// Key codes: characters are their own codes, GLUT's special keys follow from
// kSpecialKeyBase (player/rider.h), so an arrow never reads as a letter.
namespace key {
constexpr int kBackspace = 8;
constexpr int kEscape = 27;
constexpr int kSpace = 32;
constexpr int kPlus = 43;
constexpr int kMinus = 45;
constexpr int kFive = 53;
constexpr int kEight = 56;
constexpr int kF2 = specialKeyCode(2);
constexpr int kF3 = specialKeyCode(3);
constexpr int kF4 = specialKeyCode(4);
constexpr int kF5 = specialKeyCode(5);
constexpr int kShadowVolumes = 104;  // "h"
constexpr int kPageUp = specialKeyCode(104);
constexpr int kPlacier = 107;  // "k"
constexpr int kEnd = specialKeyCode(107);
constexpr int kRestart = 110;        // "n"
constexpr int kPause = 112;          // "p"
constexpr int kS = 115;
constexpr int kT = 116;
constexpr int kHorn1 = 121;  // "y"
constexpr int kHorn2 = 127;  // Delete
}  // namespace key

enum class MenuItem { kNone, kSingleGame, kGhostGame, kSplitGame, kHighscores, kQuit };

// The main-menu item under the pointer, from virtual pointer coordinates.
// The boxes are tested with y' = 600 - y (upward), bounds exclusive.
MenuItem menuItemAt(int mouseX, int mouseY);

// The "Back to Main" box of the highscore screen, which is also the name
// entry's "Save" box.
bool inBackBox(int mouseX, int mouseY);

struct VirtualPointer {
  int x;
  int y;
};

// Scales a window pointer position to the virtual screen with integer
// arithmetic and truncation. A window reported as 0 wide or high (minimised)
// is treated as 1 so the division is always defined.
VirtualPointer scalePointer(int x, int y, int windowWidth, int windowHeight);

// Applies one key of the name-entry screen: Backspace removes the last
// character, a printable character is appended while there are fewer than
// `maxLength`; everything else is ignored.
constexpr size_t kMaxNameLength = 8;
void applyNameKey(std::string& name, int code, size_t maxLength = kMaxNameLength);

// True when `name` is one whole blank-separated token of `extensions`.
bool hasExtensionToken(const char* extensions, const char* name);

}  // namespace vorn
