// Stencil shadow volumes on the device: the volumes of a model's animated instances counted into
// the stencil buffer, and the pass that darkens what they cover. Units: the light is a direction
// towards it (w = 0). Cost: per caster part a CPU silhouette and one vertex-array batch (two
// without two-sided stencil); the stencil clear and the darkening quad only inside the
// volumes' projected box.
#pragma once

#include "assets/model.h"
#include "assets/model_set.h"

namespace vorn {

// The casters: the cow and its two riders.
constexpr int kShadowCasterModels[3] = {kModelCow, kModelRiderHorn, kModelRiderHead};

// Edge neighbours of every part of the model; once after loading.
void calcBrothers(VornObject& object);

// The volumes of every part of animated instance `instance` (nothing when
// there is no such instance), for two-sided stencil counting.
void drawVolumes(VornObject& object, const float light[4], int instance);
// The same for one-sided stencil: each volume twice with opposite winding.
// The seventh and eighth parts of a model cast no volume here.
void drawVolumesTwoPass(VornObject& object, const float light[4], int instance);

// The whole pass after the scene is drawn: clears the stencil buffer where
// the volumes' projected corners fall (all of the view when one lies behind
// the eye; nothing at all when no part casts), counts
// the casters' volumes for instances 0 .. players-1 and darkens every pixel
// whose count is not zero to 70 %. `showVolumes` draws the volumes visibly.
// Every GL state it changes is restored; the model-view matrix is the view.
//
// The volumes of instance i reach reach[i] world units from their casters
// (at most kShadowExtrusion) and are closed by a far cap; the caller makes
// that just long enough to end under the ground, so they cover little of the
// screen. Counting is depth-pass, except for
// parts whose volume may reach the near plane (the chase camera inside a
// shadow on a jump), where depth-pass would invert the shadow: those are
// counted depth-fail with both caps, with depth clamping where the device
// has it so that the far cap is not clipped. VORN_NO_SHADOW_VOLUMES=1 in the
// environment (read once) leaves the pass out, for timing.
void drawShadows(VornModelList& models, const float light[4], const float* reach, int players, bool twoSided,
                 bool showVolumes);

// True when the environment sets VORN_STENCIL_TWO_PASS=1: the one-sided path
// is used even where two-sided stencil exists.
bool stencilTwoPassForced();

}  // namespace vorn
