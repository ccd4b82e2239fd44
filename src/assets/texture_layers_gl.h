// Animated texture layers on the device: loads flip-books and step files into the texture cache,
// gives VornTexture::bind the flip-book's current frame and puts the steps on the texture matrix
// while a texture group draws. Owns every animation (textures only point to them); they live
// until the program ends. Units as texture_layers.h. Cost: a load reads one small file and each
// frame texture once; a bind is O(1); the steps are one GL matrix call per operation.
#pragma once

#include <string>

#include "assets/texture.h"
#include "assets/texture_layers.h"

namespace vorn {

// The cache the loaders find frames in and add them to; also hooks the layers into
// VornTexture::bind and the texture-group drawing. Call once, before loading.
void installTextureLayers(VornTextureCache& cache);

// A list file of frame textures. Names are matched against the cache without regard to case
// (a model's map "EYE.BMP" and a list's "eye.bmp" share one entry); a frame whose texture has
// no GL texture is left out. Null, after one err.txt report, when the file cannot be read or
// gives no frame; skipped lines are reported once per file.
VornTextureAnimation* loadFlipBook(const std::string& fileName);

// A step file: the texture on its first line gets (or keeps) an animation with the file's
// steps and clips. Null, after one err.txt report, when the file cannot be read or names no
// usable texture.
VornTextureAnimation* loadTextureSteps(const std::string& fileName);

// Advances the flip-book and returns the GL name of its current frame (0 without frames).
unsigned currentFrameId(VornTextureAnimation& animation);

// Multiplies the texture matrix by the animation's current steps; the model-view matrix is
// selected again afterwards.
void applySteps(const VornTextureAnimation& animation);

}  // namespace vorn
