// Drawing in the virtual 800 x 600 screen (origin bottom left) on top of
// whatever the frame holds: menus, HUD and overlays push their state, draw
// with an orthographic projection and restore everything afterwards.
#pragma once

namespace vorn {

void beginScreen2D();
void endScreen2D();
// Outline of a rectangle in virtual coordinates.
void drawBoxOutline(int left, int right, int bottom, int top);

}  // namespace vorn
