// The "textures" kind of the data generator: the ground textures (snow,
// grass, ice; 512 x 512, tiling seamlessly), the sky-box faces and the
// loading-screen title picture, painted procedurally and written with our
// own TGA/BMP writers. Deterministic: fixed seeds, no clock.
// Cost: a few seconds of CPU for the whole set.
#pragma once

#include <array>
#include <string>

#include "assetgen/image_write.h"

namespace assetgen {

constexpr uint32_t kGroundTextureSize = 512;
constexpr uint32_t kSkyFaceSize = 512;
constexpr uint32_t kLoadScreenSize = 512;

// Face names in the sky's loading order, and the font for the title.
constexpr std::array<const char*, 6> kSkyFaces = {"up", "lt", "ft", "rt", "bk", "dn"};
constexpr const char* kTitleFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

Pixels paintSnow(uint32_t size);
Pixels paintGrass(uint32_t size);
Pixels paintIce(uint32_t size);

// Face index into kSkyFaces; every pixel is the sky seen in its direction,
// so neighbouring faces agree along their shared edges.
Pixels paintSkyFace(int face, uint32_t size);
// The direction (not normalised) that pixel centre (x, y) of a face shows,
// y counted from the top row, matching how the sky box maps the face.
std::array<float, 3> skyFaceDirection(int face, float x, float y, uint32_t size);

// Loading-screen picture with the game's name; an empty Pixels when the
// font cannot be read (a line on stderr says why).
Pixels paintLoadScreen(uint32_t size, const std::string& fontPath);

int generateTextures(const std::string& root);

}  // namespace assetgen
