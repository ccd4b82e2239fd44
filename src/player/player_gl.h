// The player subsystem's device layer: the chase camera into GL and a stand-in shape per player.
// Units: world units. Cost: one gluLookAt; one sphere and cone per player. Needs a GL context.
#pragma once

#include "player/camera.h"
#include "player/player.h"

namespace vorn {

// gluLookAt(eye, eye + view, up) on the current model-view matrix, widened to double.
void applyCamera(const VornCamera& camera);

// The stand-in shape while the player's model is not available: a solid
// sphere of the collision radius at the player's model transform, with a
// short cone showing the direction of travel. `tint` tells two players apart
// (RGB, 0..1).
void drawPlayerPlaceholder(const VornPlayer& player, const float tint[3]);

}  // namespace vorn
