#include "app/window_x11.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vorn {

namespace {
constexpr char kClassName[] = "vorn";
constexpr char kClassClass[] = "Vorn";

// The window the focus sits in, walked up to its top-level ancestor below
// the root (a window manager may hand the focus to a child or a frame).
bool isInside(Display* display, Window focus, Window ours) {
  for (int depth = 0; depth < 16 && focus != 0; ++depth) {
    if (focus == ours) return true;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, focus, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    if (parent == root) return false;
    focus = parent;
  }
  return false;
}
}  // namespace

void setWindowClass() {
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable window = glXGetCurrentDrawable();
  if (!display || !window) return;
  XClassHint hint;
  char name[sizeof kClassName];
  char cls[sizeof kClassClass];
  for (size_t i = 0; i < sizeof name; ++i) name[i] = kClassName[i];
  for (size_t i = 0; i < sizeof cls; ++i) cls[i] = kClassClass[i];
  hint.res_name = name;
  hint.res_class = cls;
  XSetClassHint(display, window, &hint);
  XFlush(display);
}

WindowFocus windowFocus() {
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable window = glXGetCurrentDrawable();
  if (!display || !window) return WindowFocus::kUnknown;
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  if (focus == None || focus == PointerRoot) return WindowFocus::kUnknown;
  return isInside(display, focus, window) ? WindowFocus::kFocused : WindowFocus::kElsewhere;
}

}  // namespace vorn
