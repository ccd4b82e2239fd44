// The menu screens of the game object: main menu, highscore table and name entry.
#include <GL/glew.h>
#include <GL/glut.h>

#include "app/game.h"
#include "app/screen2d.h"

namespace vorn {

void VornGame::drawMainMenu() {
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  // The items are font buttons and the menu music is kept streaming (waits
  // for: font, sound). Until then the click boxes are outlined.
  beginScreen2D();
  glColor3f(0.0f, 0.0f, 1.0f);
  drawBoxOutline(200, 600, 500, 550);
  drawBoxOutline(200, 600, 400, 450);
  drawBoxOutline(200, 600, 300, 350);
  drawBoxOutline(200, 600, 200, 250);
  drawBoxOutline(320, 480, 100, 150);
  endScreen2D();
}

void VornGame::drawHighscores() {
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  // The table and its music (waits for: font, highscores, sound).
  beginScreen2D();
  glColor3f(0.0f, 0.0f, 1.0f);
  drawBoxOutline(50, 600, 50, 120);
  endScreen2D();
}

void VornGame::drawNameEntry() {
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  // The congratulation, place and name texts (waits for: font, highscores).
  beginScreen2D();
  glColor3f(0.0f, 0.0f, 1.0f);
  drawBoxOutline(50, 600, 50, 120);
  endScreen2D();
}

}  // namespace vorn
