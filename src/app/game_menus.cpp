// The menu screens of the game object: main menu, highscore table and name
// entry. Every text is a font button that grows and brightens under the
// pointer; the clicks themselves are decided in mouseButton by fixed boxes.
#include <GL/glew.h>
#include <GL/glut.h>

#include "app/game.h"

namespace vorn {
namespace {

constexpr VornRgb kItemColour{0.0f, 0.0f, 1.0f};
constexpr VornRgb kHoverColour{0.7f, 0.7f, 1.0f};
constexpr int kItemSize = 50;
constexpr int kHoverSize = 60;
constexpr int kShownScores = 5;

}  // namespace

void VornGame::drawMainMenu() {
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  if (font) {
    font->button(mouseX, mouseY, 200, 500, kItemSize, kHoverSize, kItemColour, kHoverColour, "Single Game");
    font->button(mouseX, mouseY, 200, 400, kItemSize, kHoverSize, kItemColour, kHoverColour, "Ghost Game");
    font->button(mouseX, mouseY, 200, 300, kItemSize, kHoverSize, kItemColour, kHoverColour, "Split Game");
    font->button(mouseX, mouseY, 200, 200, kItemSize, kHoverSize, kItemColour, kHoverColour, "Highscores");
    font->button(mouseX, mouseY, 320, 100, kItemSize, kHoverSize, kItemColour, kHoverColour, "Quit\n");
  }
  sound.menuFrame();
}

void VornGame::drawHighscores() {
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  const VornHighscore::Entries entries = highscores.getEntries();
  if (font) {
    font->button(mouseX, mouseY, 20, 470, kItemSize, kHoverSize, kItemColour, kHoverColour, " No.  Time  Name ");
    int place = 1;
    for (const auto& entry : entries) {
      if (place > kShownScores) break;
      font->button(mouseX, mouseY, 90, 470 - 60 * place, kItemSize, kHoverSize, kItemColour, kHoverColour,
                   "%d %5ds %s", place, entry.first, entry.second.c_str());
      ++place;
    }
    font->button(mouseX, mouseY, 120, 60, kItemSize, kHoverSize, kItemColour, kHoverColour, "Back to Main ");
  }
  sound.highscoreFrame();
}

void VornGame::drawNameEntry() {
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  if (!font) return;
  font->button(mouseX, mouseY, 120, 500, kItemSize, kHoverSize, kItemColour, kHoverColour, "Congratulations ");
  font->button(mouseX, mouseY, 200, 400, kItemSize, kHoverSize, kItemColour, kHoverColour, "%llds left",
               static_cast<long long>(lastScore));
  font->button(mouseX, mouseY, 250, 300, kItemSize, kHoverSize, kItemColour, kHoverColour, "%d. Place",
               highscores.rank(static_cast<int32_t>(lastScore)));
  font->button(mouseX, mouseY, 120, 200, kItemSize, kHoverSize, kItemColour, kHoverColour, "Name:%s",
               playerName.c_str());
  font->button(mouseX, mouseY, 290, 60, kItemSize, kHoverSize, kItemColour, kHoverColour, "Save");
}

}  // namespace vorn
