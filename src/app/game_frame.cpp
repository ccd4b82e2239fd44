// Drawing of the game object's screens: the frame dispatch, the menus and the
// race frames. A race frame draws first and simulates afterwards.
#include <GL/glew.h>
#include <GL/glut.h>

#include "app/game.h"
#include "app/platform.h"
#include "app/screen2d.h"

namespace vorn {

void VornGame::display() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();

  switch (state) {
    case kStateLoading:
      loadNextStep();
      break;
    case kStateRace:
    case kStateSplitRace:
      if (font) font->begin();
      if (wireframeMode) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
      if (state == kStateRace) {
        drawSingleScene();
      } else {
        drawSplitScene();
      }
      if (wireframeMode) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
      fpsCounter.tick();
      drawDebugText();
      if (font) font->end();
      break;
    case kStateHighscores:
      if (font) font->begin();
      drawHighscores();
      if (font) font->end();
      break;
    case kStateNameEntry:
      if (font) font->begin();
      drawNameEntry();
      if (font) font->end();
      break;
    case kStateMenu:
    default:
      if (font) font->begin();
      drawMainMenu();
      fpsCounter.tick();
      if (font) font->end();
      break;
  }
  glutSwapBuffers();
}

void VornGame::drawDebugText() {
  if (!showDebugInfo || !font) return;
  font->print(0, 0, "mouse pos: %d %d,  fps: %d\n", mouseX, mouseY, fpsCounter.getFps());
  // Player 1's camera direction, position, speed and animation frame and the
  // move centre of model 0 at (0, 10) .. (0, 40) (waits for: cameras, players, animation).
}

}  // namespace vorn
