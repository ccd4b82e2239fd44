#include "app/screen2d.h"

#include <GL/glew.h>

#include "app/input.h"

namespace vorn {

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


}  // namespace vorn
