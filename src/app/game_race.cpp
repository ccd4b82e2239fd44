// The race frames of the game object: draw the scene, then run the race update.
#include <GL/glew.h>
#include <GL/glut.h>

#include "app/game.h"
#include "app/platform.h"

namespace vorn {

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
