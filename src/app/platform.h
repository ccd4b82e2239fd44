// The window and the frame loop: start-up OpenGL state, the GLUT callbacks
// into the one game object, the flags and window size the renderers read.
// Units: window pixels. Cost: one game frame per GLUT idle call.
#pragma once

#include <cstdint>

namespace vorn {

class VornGame;

// The single game object; set once by main before the main loop starts.
extern VornGame* game;

// Read and written on the GLUT thread only; nothing is locked.
extern int32_t windowWidth;
extern int32_t windowHeight;
extern int32_t viewportWidth;
extern int32_t viewportHeight;
extern bool stencilTwoSideSupported;
extern bool pointSpritesSupported;
extern bool showDebugInfo;
extern bool wireframeMode;

struct StartOptions {
  bool windowed = false;  // skip game mode and open an 800 x 600 window
  bool trace = false;     // print each state change on standard output
};

// Opens the window (game mode, or a window when game mode is refused or not
// wanted), registers the callbacks and sets the fixed OpenGL state.
void initGL(const StartOptions& options);

// True when `name` is one whole token of the OpenGL extension string.
bool isExtensionSupported(const char* name);

// Width over height of the window, for perspective projections that must not
// stretch the picture whatever the window's shape.
double windowAspect();

// Full-window viewport and the standard race projection (45 degrees,
// window aspect, near 1, far 2000).
void setStandardProjection();

// The callbacks, exposed for tests that drive the game without an X event.
void reshapeCallback(int width, int height);
void displayCallback();
void keyboardCallback(unsigned char key, int x, int y);
void specialCallback(int key, int x, int y);
void keyboardUpCallback(unsigned char key, int x, int y);
void specialUpCallback(int key, int x, int y);
void motionCallback(int x, int y);
void mouseCallback(int button, int state, int x, int y);
void windowStatusCallback(int status);

}  // namespace vorn
