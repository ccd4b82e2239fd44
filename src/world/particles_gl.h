// The snow particles on the device: the texture and quad buffer of a VornParticleSystem, the
// point-sprite parameters, and drawing the flakes as point sprites and the puffs as camera-facing
// quads. Units: world units, pixels for point sizes. Cost: one immediate-mode point a flake and
// one matrix and four-vertex strip a puff per draw.
#pragma once

#include "assets/texture.h"
#include "math/vector.h"
#include "world/particles.h"

namespace vorn {

// Loads `textureFile` (alpha from its red channel) into `textures` and
// uploads the puff quad. 0, or 1 when the texture did not load (the loader
// has reported it; the system is then never drawn).
int initParticleSystem(VornParticleSystem& system, const char* textureFile, VornTextureCache& textures);

// Distance attenuation and size limits of the flakes' point sprites, with
// texture coordinates across each sprite; needs point-sprite support.
void setParticlePointParameters();

// Both rings and the snowfall seen along `view` with the camera's `up`.
// Flakes only where `pointSprites` is true. Leaves blending off, lighting on
// and depth writes on.
void drawParticleSystem(const VornParticleSystem& system, const VornTextureCache& textures, const VornVector& view,
                        const VornVector& up, bool pointSprites);

}  // namespace vorn
