// VornHud: the in-race overlay of one player, drawn in the current 3D view
// at the lower right: the "zzz" sleepiness gauge filled by the awake level
// in green, yellow or red, the speedometer dial with its needle turned by the
// speed, and the clock, speed and result texts queued on the font. The five
// HUD images are loaded once for every HUD (loadHudImages) and shared.
// Units: view units at 13 in front of the camera; see VornHudState.
// Cost: two multitextured quads and up to three queued texts a frame.
// Needs a current GL context with four texture units.
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

  // Loads speed.bmp (shared through the cache) and the four alpha images
  // speed_o, speed_a, zzz and zzz_o, clamped to their edges so the turned
  // needle does not wrap around; remembers the cache and the font.
  static void loadHudImages(VornTextureCache& textures, VornFont* font);

 private:
  void draw(float offsetX, HudView view);
};

}  // namespace vorn
