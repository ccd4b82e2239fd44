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
      // font begin (waits for: font)
      if (wireframeMode) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
      if (state == kStateRace) {
        drawSingleScene();
      } else {
        drawSplitScene();
      }
      if (wireframeMode) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
      fpsCounter.tick();
      drawDebugText();
      // font end (waits for: font)
      break;
    case kStateHighscores:
      drawHighscores();
      break;
    case kStateNameEntry:
      drawNameEntry();
      break;
    case kStateMenu:
    default:
      drawMainMenu();
      fpsCounter.tick();
      break;
  }
  glutSwapBuffers();
}

void VornGame::drawDebugText() {
  // The F2 overlay of pointer, frame rate and player 1's motion (waits for: font).
}

}  // namespace vorn
