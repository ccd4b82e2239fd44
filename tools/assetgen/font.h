// The "font" kind of the data generator: the screen font as a 16 x 16 grid
// of glyph cells (code 32 + 16 r + c in column c, row r from the top),
// white antialiased DejaVu Sans Bold glyphs on black in "Font.tga", and the
// mask "Font_mask.bmp", black under each glyph and a small outline around
// it and white elsewhere, so text reads on bright snow and on the sky.
// Each glyph is centred on 0.4 of its cell and narrowed where needed so that
// it fits the 0.8-cell advance the game draws with.
// Cost: about a second (1024 x 1024 pictures, a small dilation per cell).
#pragma once

#include <string>

#include "assetgen/image_write.h"

namespace assetgen {

constexpr uint32_t kFontCell = 64;
constexpr uint32_t kFontImageSize = 16 * kFontCell;
constexpr const char* kFontFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
// Baseline height above the cell's bottom edge, pixels.
constexpr int kFontBaseline = 13;
// Glyph ink is at most this wide (of the 64-pixel cell) and centred here.
constexpr float kFontMaxInk = 46.0f;
constexpr float kFontInkCentre = 0.4f * kFontCell;
// Outline radius of the mask, pixels.
constexpr float kFontOutline = 4.0f;

struct FontPictures {
  Pixels glyphs;  // RGB, white on black
  Pixels mask;    // RGB, black on white
};

// Empty pictures when the face cannot be read.
FontPictures paintFont(const std::string& facePath = kFontFace);

// Writes <root>/data/textures/Font.tga and Font_mask.bmp; 0 on success.
int generateFont(const std::string& root);

}  // namespace assetgen
