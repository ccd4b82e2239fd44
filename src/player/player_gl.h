// The player subsystem's device layer: hands a chase camera to OpenGL
// (gluLookAt on the current model-view matrix) and draws the stand-in shape
// of a player while its model is not available: a solid sphere of the
// collision radius at the player's model transform, with a short cone
// showing the direction of travel.
// Units: world units. Cost: one gluLookAt; one sphere and cone per player.
// Needs a current GL context.
#pragma once

#include "player/camera.h"
#include "player/player.h"

namespace vorn {

// gluLookAt(eye, eye + view, up), widened to double.
void applyCamera(const VornCamera& camera);

// The stand-in shape; `tint` tells two players apart (RGB, 0..1).
void drawPlayerPlaceholder(const VornPlayer& player, const float tint[3]);

}  // namespace vorn
