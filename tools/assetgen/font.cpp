#include "assetgen/font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assetgen/generator.h"
#include "assetgen/glyph_raster.h"

namespace assetgen {
namespace {

// Pixel size of the face: cap height about two thirds of the cell.
constexpr int kFacePixels = 58;

// The outline: every pixel takes the strongest glyph coverage within the
// outline radius, fading over the last pixel, limited to the glyph's cell.
void dilateCell(const Coverage& glyphs, Coverage& outline, int cellX, int cellY) {
  const int r = static_cast<int>(std::ceil(kFontOutline));
  for (int y = cellY; y < cellY + static_cast<int>(kFontCell); ++y) {
    for (int x = cellX; x < cellX + static_cast<int>(kFontCell); ++x) {
      float best = 0.0f;
      for (int dy = -r; dy <= r; ++dy) {
        const int qy = y + dy;
        if (qy < cellY || qy >= cellY + static_cast<int>(kFontCell)) continue;
        for (int dx = -r; dx <= r; ++dx) {
          const int qx = x + dx;
          if (qx < cellX || qx >= cellX + static_cast<int>(kFontCell)) continue;
          const float weight = std::clamp(kFontOutline + 0.5f - std::sqrt(float(dx * dx + dy * dy)), 0.0f, 1.0f);
          best = std::max(best, glyphs.at(qx, qy) * weight);
        }
      }
      outline.at(x, y) = best;
    }
  }
}

}  // namespace

FontPictures paintFont(const std::string& facePath) {
  FontPictures out;
  GlyphRaster raster(facePath);
  if (!raster.ok()) return out;

  const int size = static_cast<int>(kFontImageSize);
  Coverage glyphs(size, size);
  Coverage outline(size, size);
  for (int code = 33; code < 256; ++code) {
    const int index = code - 32;
    const int cellX = (index % 16) * static_cast<int>(kFontCell);
    const int cellY = (index / 16) * static_cast<int>(kFontCell);
    // Codes 127..159 are control characters in Latin-1: no glyph.
    if (code >= 127 && code < 160) continue;
    GlyphBitmap glyph;
    if (!raster.render(static_cast<uint32_t>(code), kFacePixels, 1.0f, glyph)) continue;
    if (glyph.width > kFontMaxInk) {
      const float squeeze = kFontMaxInk / static_cast<float>(glyph.width);
      if (!raster.render(static_cast<uint32_t>(code), kFacePixels, squeeze, glyph)) continue;
    }
    const int x = cellX + static_cast<int>(std::lround(kFontInkCentre - glyph.width / 2.0f));
    const int baseline = cellY + static_cast<int>(kFontCell) - kFontBaseline;
    blitGlyph(glyphs, glyph, x, baseline - glyph.top, cellX, cellY, cellX + static_cast<int>(kFontCell),
              cellY + static_cast<int>(kFontCell));
    dilateCell(glyphs, outline, cellX, cellY);
  }

  out.glyphs = Pixels(kFontImageSize, kFontImageSize, 3);
  out.mask = Pixels(kFontImageSize, kFontImageSize, 3);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const uint8_t ink = static_cast<uint8_t>(std::lround(glyphs.at(x, y) * 255.0f));
      const uint8_t clear = static_cast<uint8_t>(std::lround((1.0f - outline.at(x, y)) * 255.0f));
      uint8_t* g = out.glyphs.at(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
      uint8_t* m = out.mask.at(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
      g[0] = g[1] = g[2] = ink;
      m[0] = m[1] = m[2] = clear;
    }
  }
  return out;
}

int generateFont(const std::string& root) {
  const FontPictures font = paintFont();
  if (font.glyphs.data.empty()) return 1;
  const std::vector<uint8_t> tga = writeTGA(font.glyphs);
  const std::vector<uint8_t> bmp = writeBMP24(font.mask);
  const std::string dir = root + "/data/textures/";
  return writeFile(dir + "Font.tga", tga.data(), tga.size()) && writeFile(dir + "Font_mask.bmp", bmp.data(), bmp.size())
             ? 0
             : 1;
}

}  // namespace assetgen
