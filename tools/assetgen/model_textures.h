// Textures of the generated models: cow hide with cellular-noise spots,
// bark grain, a fir branch with its cut-out mask, the beer label with its
// lettering, weathered stone and a spotted mushroom cap. All are procedural
// and deterministic; every one but the mask tiles in both directions. Images
// are rows top to bottom (see image_write.h); in the game texture coordinate
// v = 0 is the bottom row. Cost: a few milliseconds per 256 x 256 image.
#pragma once

#include <cstdint>

#include "assetgen/image_write.h"

namespace assetgen {

// Side of every square model texture, in pixels.
constexpr uint32_t kModelTextureSize = 256;

Pixels makeCowHide();
Pixels makeBark();
// Fir branch: u along the branch (0 at the trunk), v across it (stem at 0.5).
Pixels makeFirBranch();
// The branch's cut-out: black (alpha 0, drawn) where needles and stem are,
// white (cut away) elsewhere; the game's alpha test passes only alpha 0.
Pixels makeFirMask();
// Bottle skin: u around the bottle, v from the base (0) to the top (1);
// label band between kLabelBottom and kLabelTop.
constexpr float kLabelBottom = 0.17f;
constexpr float kLabelTop = 0.50f;
Pixels makeBeerLabel();
Pixels makeStone();
Pixels makeMushroomCap();

// The cow's eye, one flip-book frame each, as seen through the eyeball's side-on planar
// mapping: u from the back (0) to the front (1) of the eye, v from its bottom (0) to its top
// (1), the eyeball's outermost point in the middle; the corners are never shown. The eyelids
// take the dark patches' colour of the hide so that a blink reads from behind the cow.
constexpr uint32_t kEyeTextureSize = 64;
enum class EyeLook { Open, Glance, HalfShut, Shut };
Pixels makeCowEye(EyeLook look);

}  // namespace assetgen
