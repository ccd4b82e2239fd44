// Drawing of the game object's screens: the frame dispatch, the menus and the
// race frames. A race frame draws first and simulates afterwards.
#include <GL/glew.h>
#include <GL/glut.h>

#include "app/game.h"
#include "app/platform.h"

namespace vorn {
namespace {

// Outlines of the menu's click boxes in the virtual 800 x 600 screen. They
// stand in for the menu text until the font can draw the items.
void drawBoxOutline(int left, int right, int bottom, int top) {
  glBegin(GL_LINE_LOOP);
  glVertex2i(left, bottom);
  glVertex2i(right, bottom);
  glVertex2i(right, top);
  glVertex2i(left, top);
  glEnd();
}

void beginScreen2D() {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, kVirtualWidth, 0, kVirtualHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void endScreen2D() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

}  // namespace

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

void VornGame::drawSingleScene() {
  // Camera and sky, light, model pass, terrain, action objects, ghost, shadow
  // pass, snow, music upkeep, HUD, then the single race update (waits for:
  // camera, sky, models, world, action objects, recorded runs, shadow volumes,
  // particles, sound, HUD, player physics and race rules).
}

void VornGame::drawSplitScene() {
  // Both halves of the split race and the split update (waits for the same
  // subsystems as the single race frame).
  setStandardProjection();
}

}  // namespace vorn
