// The "hud" kind of the data generator: the five pictures of the race
// overlay, all 24-bit BMPs (the game takes the alpha of the last four from
// their red channel):
//   speed.bmp   the speedometer dial, 0 to 140 km/h over one full turn,
//               0 at the bottom and counting the way the needle turns;
//   speed_o.bmp the needle pointing at 0 (white on black, its brightness
//               mixes the needle colour over the dial);
//   speed_a.bmp the round cut-out of the dial;
//   zzz.bmp     the sleepiness gauge, a rounded tube with notches;
//   zzz_o.bmp   the gauge's sliding mask: opaque lower half, faint upper half.
// Cost: a few milliseconds; analytic antialiasing, no randomness.
#pragma once

#include <string>

#include "assetgen/image_write.h"

namespace assetgen {

constexpr uint32_t kDialSize = 256;
constexpr uint32_t kGaugeWidth = 64;
constexpr uint32_t kGaugeHeight = 256;
constexpr float kDialRadius = 126.0f;
// Speed shown by a full turn of the needle, km/h.
constexpr float kDialFullTurn = 140.0f;
// Brightness of the gauge mask's upper (empty) half.
constexpr uint8_t kGaugeEmptyLevel = 70;

struct HudPictures {
  Pixels dial;
  Pixels needle;
  Pixels dialAlpha;
  Pixels gauge;
  Pixels gaugeMask;
};

HudPictures paintHud();

// Writes the five files to <root>/data/textures/; 0 on success.
int generateHud(const std::string& root);

}  // namespace assetgen
