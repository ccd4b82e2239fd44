// VornHud: draws one player's overlay at the lower right of the 3D view: the
// "zzz" sleepiness gauge, the speedometer and its texts. Units: view units, 13
// in front of the camera. Cost: two multitextured quads a frame (four texture units).
#pragma once

#include "app/hud_state.h"
#include "assets/texture.h"

namespace vorn {

class VornFont;

class VornHud : public VornHudState {
 public:
  // Full-screen overlay of a single race.
  void drawSingle();
  // Overlay of split-race player 0 (bottom half) or 1 (top half); the split
  // projection is twice as wide, so the overlay sits further right.
  void drawSplit(int player);

  // Once, shared by every HUD: loads speed.bmp (through the cache) and the
  // four alpha images speed_o, speed_a, zzz and zzz_o, clamped to their edges
  // so the turned needle does not wrap around; remembers the cache and font.
  static void loadHudImages(VornTextureCache& textures, VornFont* font);

 private:
  void draw(float offsetX, HudView view);
};

}  // namespace vorn
