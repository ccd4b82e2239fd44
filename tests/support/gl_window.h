// The one GLUT window a GL test binary draws into: double-buffered RGBA with
// depth and stencil, GLEW initialised. Call once per process (from a test
// suite's SetUpTestSuite); later calls do nothing. The window lives until the
// process ends; the tests run under the Xvfb display of the test fixture.
#pragma once

#include <GL/glew.h>
#include <GL/glut.h>

namespace vorn::test {

// False when GLEW could not be initialised.
inline bool openTestWindow(const char* title, int width, int height) {
  static bool opened = false;
  static bool ok = false;
  if (opened) return ok;
  opened = true;
  int argc = 1;
  char name[] = "vorn_gl_test";
  char* argv[] = {name, nullptr};
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL);
  glutInitWindowSize(width, height);
  glutCreateWindow(title);
  ok = glewInit() == GLEW_OK;
  return ok;
}

}  // namespace vorn::test
