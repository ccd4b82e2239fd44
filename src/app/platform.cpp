#include "app/platform.h"

#include <GL/glew.h>
#include <GL/glut.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>

#include "base/error_log.h"
#include "app/game.h"
#include "app/input.h"
#include "app/window_x11.h"

namespace vorn {

VornGame* game = nullptr;
int32_t windowWidth = 800;
int32_t windowHeight = 600;
int32_t viewportWidth = 800;
int32_t viewportHeight = 600;
bool stencilTwoSideSupported = false;
bool pointSpritesSupported = false;
bool showDebugInfo = false;
bool wireframeMode = false;

namespace {

constexpr const char* kGameModeString = "800x600:16@100";
constexpr double kFieldOfView = 45.0;
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 2000.0;

// Game mode is refused by most current desktops and always by Xvfb; a plain
// window of the same size keeps the game playable there.
void openWindow(const StartOptions& options) {
  if (!options.windowed) {
    glutGameModeString(kGameModeString);
    if (glutGameModeGet(GLUT_GAME_MODE_POSSIBLE)) {
      glutEnterGameMode();
      if (glutGameModeGet(GLUT_GAME_MODE_ACTIVE)) return;
    }
  }
  glutInitWindowSize(800, 600);
  glutCreateWindow("Vorn");
}

}  // namespace

double windowAspect() {
  return windowHeight > 0 ? static_cast<double>(windowWidth) / windowHeight : 4.0 / 3.0;
}

void setStandardProjection() {
  glViewport(0, 0, viewportWidth, viewportHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfView, windowAspect(), kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
}

bool isExtensionSupported(const char* name) {
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return hasExtensionToken(extensions, name);
}

void initGL(const StartOptions& options) {
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL);
  openWindow(options);
  setWindowClass();

  glutReshapeFunc(reshapeCallback);
  glutDisplayFunc(displayCallback);
  glutKeyboardFunc(keyboardCallback);
  glutSpecialFunc(specialCallback);
  glutKeyboardUpFunc(keyboardUpCallback);
  glutSpecialUpFunc(specialUpCallback);
  glutMotionFunc(motionCallback);
  glutPassiveMotionFunc(motionCallback);
  glutMouseFunc(mouseCallback);
  glutWindowStatusFunc(windowStatusCallback);
  glutIgnoreKeyRepeat(1);

  const GLenum err = glewInit();
  if (err != GLEW_OK) {
    appendErrorLog("Error initGL\n", "\terr != GLEW_OK\n");
    std::exit(1);
  }
  glutIdleFunc(displayCallback);

  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_NORMALIZE);

  windowWidth = viewportWidth = glutGet(GLUT_WINDOW_WIDTH);
  windowHeight = viewportHeight = glutGet(GLUT_WINDOW_HEIGHT);
  setStandardProjection();

  glClearDepth(1.0);
  glClearColor(0, 0, 0, 0);
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

  const GLfloat lightFromAbove[4] = {0, 1, 0, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, lightFromAbove);
  glAlphaFunc(GL_EQUAL, 0.0f);

  if (isExtensionSupported("GL_EXT_stencil_two_side") && isExtensionSupported("GL_EXT_stencil_wrap")) {
    stencilTwoSideSupported = true;
  }
  if (isExtensionSupported("GL_ARB_point_sprite") && isExtensionSupported("GL_ARB_point_parameters")) {
    pointSpritesSupported = true;
  }
}

// A resized window keeps the whole picture: the viewport follows the window
// and the projection takes the window's aspect so nothing is stretched.
void reshapeCallback(int width, int height) {
  windowWidth = viewportWidth = width;
  windowHeight = viewportHeight = height;
  setStandardProjection();
}

void displayCallback() { game->display(); }

void keyboardCallback(unsigned char key, int, int) {
  if (key == key::kEscape) {
    game->cleanup();
    std::exit(0);
  }
  game->keyDown(key);
}

// Special keys get codes of their own, past the characters.
void specialCallback(int key, int, int) {
  if (key >= 0 && key < kKeyCodeCount - kSpecialKeyBase) game->keyDown(specialKeyCode(key));
}

void keyboardUpCallback(unsigned char key, int, int) { game->keyUp(key); }

void specialUpCallback(int key, int, int) {
  if (key >= 0 && key < kKeyCodeCount - kSpecialKeyBase) game->keyUp(specialKeyCode(key));
}

void motionCallback(int x, int y) {
  const VirtualPointer p = scalePointer(x, y, windowWidth, windowHeight);
  game->mouseX = p.x;
  game->mouseY = p.y;
}

void mouseCallback(int button, int state, int, int) { game->mouseButton(button, state); }

// An iconified, unmapped or fully covered window pauses the race.
void windowStatusCallback(int status) {
  if (status == GLUT_HIDDEN || status == GLUT_FULLY_COVERED) game->windowHidden();
}

}  // namespace vorn
