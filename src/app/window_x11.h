// The game window as the X server sees it: its class hint (so desktops group the window and
// match it to its desktop entry) and whether it holds the keyboard focus. Units: none.
// Cost: setting the class is one request; a focus query is one round trip to the server.
#pragma once

namespace vorn {

// WM_CLASS "vorn" / "Vorn" on the current GL window.
void setWindowClass();

enum class WindowFocus { kUnknown, kFocused, kElsewhere };
// kElsewhere when another window holds the keyboard focus; kUnknown when no
// window does (no window manager: the focus follows the pointer) or X
// cannot be asked.
WindowFocus windowFocus();

}  // namespace vorn
