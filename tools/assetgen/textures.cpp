// The "textures" generator kind, the snow particles' sprite and the
// loading-screen picture: a mountain view in the same sky as the sky box, a
// snowy slope with two sliding tracks, and the game's name set in DejaVu Sans
// Bold through FreeType with an outline and a soft shadow so it reads on the
// bright picture.
#include "assetgen/textures.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "assetgen/generator.h"
#include "assetgen/sky_textures.h"
#include "assetgen/texture_noise.h"

namespace assetgen {
namespace {

constexpr const char* kTitle = "VORN";
constexpr float kTitleWidthShare = 0.8f;  // of the picture's width
constexpr int kOutlinePixels = 5;
constexpr int kShadowBlur = 6;

// Coverage (0..1) of the title text rasterised into a size x size field,
// centred horizontally with its baseline at `baseline` (pixels from the top).
bool rasteriseTitle(const std::string& fontPath, uint32_t size, float baseline, std::vector<float>& coverage) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "assetgen: FreeType did not start\n");
    return false;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
    std::fprintf(stderr, "assetgen: cannot read font %s\n", fontPath.c_str());
    FT_Done_FreeType(library);
    return false;
  }
  // Walks the title's glyphs from pen position `penX` with kerning, calls
  // `onGlyph(penX, slot)` for each glyph that loads and returns the end pen.
  auto layTitle = [&](long penX, FT_Int32 loadFlags, auto&& onGlyph) {
    FT_UInt previous = 0;
    for (const char* c = kTitle; *c; ++c) {
      const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<FT_ULong>(*c));
      if (previous) {
        FT_Vector kern{};
        FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
        penX += kern.x >> 6;
      }
      if (FT_Load_Glyph(face, glyph, loadFlags) != 0) continue;
      onGlyph(penX, face->glyph);
      penX += face->glyph->advance.x >> 6;
      previous = glyph;
    }
    return penX;
  };
  // Measure at a reference size, then scale so the word fills its share.
  auto measure = [&](FT_UInt pixels) {
    FT_Set_Pixel_Sizes(face, 0, pixels);
    return layTitle(0, FT_LOAD_DEFAULT, [](long, FT_GlyphSlot) {});
  };
  const long reference = measure(100);
  const FT_UInt pixels = static_cast<FT_UInt>(100.0f * kTitleWidthShare * size / static_cast<float>(reference));
  const long width = measure(pixels);

  coverage.assign(size_t{size} * size, 0.0f);
  layTitle((static_cast<long>(size) - width) / 2, FT_LOAD_RENDER, [&](long penX, FT_GlyphSlot slot) {
    const FT_Bitmap& bitmap = slot->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const long x = penX + slot->bitmap_left + static_cast<long>(col);
        const long y = static_cast<long>(baseline) - slot->bitmap_top + static_cast<long>(row);
        if (x < 0 || y < 0 || x >= static_cast<long>(size) || y >= static_cast<long>(size)) continue;
        const float value = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
        float& cell = coverage[static_cast<size_t>(y) * size + static_cast<size_t>(x)];
        cell = std::max(cell, value);
      }
    }
  });
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return true;
}

// Largest value within `radius` pixels (a round brush), for the outline.
std::vector<float> dilate(const std::vector<float>& field, uint32_t size, int radius) {
  std::vector<float> out(field.size(), 0.0f);
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      float best = 0;
      for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
          const float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          if (d > radius + 0.5f) continue;
          const int sx = static_cast<int>(x) + dx, sy = static_cast<int>(y) + dy;
          if (sx < 0 || sy < 0 || sx >= static_cast<int>(size) || sy >= static_cast<int>(size)) continue;
          const float edge = clamp01(radius + 0.5f - d);
          best = std::max(best, field[static_cast<size_t>(sy) * size + static_cast<size_t>(sx)] * edge);
        }
      }
      out[size_t{y} * size + x] = best;
    }
  }
  return out;
}

// Box blur, three passes (close to a Gaussian), clamped at the borders.
std::vector<float> blur(std::vector<float> field, uint32_t size, int radius) {
  std::vector<float> tmp(field.size());
  for (int pass = 0; pass < 3; ++pass) {
    for (int axis = 0; axis < 2; ++axis) {
      for (uint32_t a = 0; a < size; ++a) {
        for (uint32_t b = 0; b < size; ++b) {
          float sum = 0;
          for (int k = -radius; k <= radius; ++k) {
            const int c = std::min(std::max(static_cast<int>(b) + k, 0), static_cast<int>(size) - 1);
            sum += axis == 0 ? field[size_t{a} * size + static_cast<size_t>(c)]
                             : field[static_cast<size_t>(c) * size + a];
          }
          (axis == 0 ? tmp[size_t{a} * size + b] : tmp[size_t{b} * size + a]) = sum / (2 * radius + 1);
        }
      }
      field.swap(tmp);
    }
  }
  return field;
}

using Colour = std::array<float, 3>;
Colour mixC(const Colour& a, const Colour& b, float t) {
  return {mix(a[0], b[0], t), mix(a[1], b[1], t), mix(a[2], b[2], t)};
}

// Coverage of a snowy fir at screen position (tx, base) of height h:
// three stacked triangles and a trunk; `lit` tells the sunny (left) side.
float firCoverage(float sx, float sy, float tx, float base, float h, float pixel, bool& lit, bool& snowy) {
  float cover = 0;
  const float trunk = h * 0.12f;
  if (sy > base - pixel && sy < base + trunk && std::fabs(sx - tx) < h * 0.05f) cover = 1;
  for (int k = 0; k < 3; ++k) {
    const float bottom = base + trunk + h * (0.28f * k);
    const float top = bottom + h * (0.5f - 0.08f * k);
    const float halfWidth = h * (0.34f - 0.07f * k);
    if (sy < bottom - pixel || sy > top + pixel) continue;
    const float width = halfWidth * clamp01((top - sy) / (top - bottom));
    const float inside = width - std::fabs(sx - tx);
    const float c = clamp01(inside / pixel + 0.5f) * clamp01((sy - bottom) / pixel + 0.5f);
    if (c > cover) {
      cover = c;
      snowy = (top - sy) / (top - bottom) > 0.25f && inside < h * 0.05f && ((sx - tx) < 0);
    }
  }
  lit = sx < tx;
  return cover;
}

// The view behind the title: looking down the valley, a little upwards,
// with a snowy slope, two sliding tracks and a few firs in front.
Colour scenery(uint32_t x, uint32_t y, uint32_t size) {
  const float sx = 2 * (x + 0.5f) / size - 1;
  const float sy = 1 - 2 * (y + 0.5f) / size;
  const float pixel = 2.0f / size;
  const float tanHalf = 0.62f;
  const float pitch = 0.2f;
  // Forward +z, right -x (so the sun of the sky sits on the left), up +y.
  Colour c = skyColour(-sx * tanHalf, sy * tanHalf + pitch, 1.0f);
  auto hillAt = [](float hx) { return -0.48f + 0.14f * hx + 0.05f * std::sin(hx * 3.1f + 0.6f); };
  const float hill = hillAt(sx);
  if (sy < hill) {
    const float depth = hill - sy;
    const float drift = fbm3(sx * 3.0f, sy * 7.0f, 0.5f, 4, 0.5f, 77);
    Colour snow = mixC(Colour{0.98f, 0.99f, 1.0f}, Colour{0.76f, 0.84f, 0.96f}, clamp01(0.2f + drift * 0.9f));
    // A shaded rim along the crest separates the slope from the far snowfield.
    snow = mixC(snow, Colour{0.70f, 0.79f, 0.94f}, (1 - smoothstep(0.0f, 0.04f, depth)) * 0.55f);
    // Two sliding tracks converging towards the valley.
    for (float lane : {-0.07f, 0.09f}) {
      const float track = lane * (1 + depth * 9.0f) - 0.15f * depth;
      const float width = 0.004f + depth * 0.03f;
      const float on = 1 - smoothstep(width * 0.5f, width, std::fabs(sx - track));
      snow = mixC(snow, Colour{0.64f, 0.73f, 0.90f}, on * 0.6f);
    }
    c = snow;
  }
  // Firs along the slope, larger towards the edges (nearer the viewer).
  const float firs[][2] = {{-0.93f, 0.34f}, {-0.78f, 0.26f}, {-0.66f, 0.18f}, {0.62f, 0.2f}, {0.75f, 0.27f},
                           {0.9f, 0.36f}, {-0.55f, 0.12f}, {0.52f, 0.13f}};
  for (const auto& fir : firs) {
    const float base = hillAt(fir[0]) - fir[1] * 0.55f;
    bool lit = false, snowy = false;
    const float cover = firCoverage(sx, sy, fir[0], base, fir[1], pixel, lit, snowy);
    if (cover <= 0) continue;
    Colour green = lit ? Colour{0.16f, 0.33f, 0.24f} : Colour{0.08f, 0.18f, 0.16f};
    if (snowy) green = mixC(green, Colour{0.93f, 0.96f, 1.0f}, 0.75f);
    c = mixC(c, green, cover);
  }
  return c;
}

// The snow particles' sprite: a soft white blob on black. The game takes the
// opacity from the red channel, so the falloff is the blob's edge; a smooth
// (1 - r^2)^2 bell leaves no visible rim at any point size.
constexpr uint32_t kSnowflakeSize = 64;

Pixels paintSnowflake(uint32_t size) {
  Pixels p(size, size, 3);
  const float centre = size * 0.5f;
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const float dx = (x + 0.5f - centre) / centre, dy = (y + 0.5f - centre) / centre;
      const float fall = clamp01(1.0f - (dx * dx + dy * dy));
      const uint8_t v = static_cast<uint8_t>(std::lround(fall * fall * 255.0f));
      uint8_t* out = p.at(x, y);
      out[0] = out[1] = out[2] = v;
    }
  }
  return p;
}

}  // namespace

Pixels paintLoadScreen(uint32_t size, const std::string& fontPath) {
  std::vector<float> text;
  const float baseline = size * 0.42f;
  if (!rasteriseTitle(fontPath, size, baseline, text)) return Pixels();
  const std::vector<float> outline = dilate(text, size, kOutlinePixels);
  std::vector<float> shadowSource(outline.size(), 0.0f);
  const int offsetX = 7, offsetY = 9;
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x) {
      const int sx = static_cast<int>(x) - offsetX, sy = static_cast<int>(y) - offsetY;
      if (sx >= 0 && sy >= 0) shadowSource[size_t{y} * size + x] = outline[static_cast<size_t>(sy) * size + sx];
    }
  const std::vector<float> shadow = blur(shadowSource, size, kShadowBlur / 2);

  Pixels p(size, size, 3);
  const float textTop = baseline - size * 0.24f;
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const size_t i = size_t{y} * size + x;
      Colour c = scenery(x, y, size);
      // A gentle vignette keeps the eye on the middle.
      const float vx = (x + 0.5f) / size - 0.5f, vy = (y + 0.5f) / size - 0.5f;
      const float vignette = 1 - 0.35f * smoothstep(0.25f, 0.75f, std::sqrt(vx * vx + vy * vy));
      c = {c[0] * vignette, c[1] * vignette, c[2] * vignette};
      c = mixC(c, Colour{0.02f, 0.05f, 0.16f}, shadow[i] * 0.55f);
      c = mixC(c, Colour{0.06f, 0.13f, 0.32f}, outline[i]);
      // Letters: white at the top shading into ice blue, with a bright rim.
      const float t = clamp01((y - textTop) / (baseline - textTop));
      const Colour fill = mixC(Colour{1.0f, 1.0f, 1.0f}, Colour{0.62f, 0.82f, 1.0f}, t * t);
      c = mixC(c, fill, text[i]);
      uint8_t* out = p.at(x, y);
      for (int k = 0; k < 3; ++k) out[k] = static_cast<uint8_t>(std::lround(clamp01(c[k]) * 255.0f));
    }
  }
  return p;
}

int generateTextures(const std::string& root) {
  const std::string dir = root + "/data/textures/";
  struct Ground {
    const char* name;
    Pixels (*paint)(uint32_t);
  };
  for (const Ground& g : {Ground{"snow4.tga", paintSnow}, Ground{"grass11.tga", paintGrass},
                          Ground{"ice8.tga", paintIce}}) {
    const auto bytes = writeTGA(g.paint(kGroundTextureSize));
    if (!writeFile(dir + g.name, bytes.data(), bytes.size())) return 1;
  }
  for (int face = 0; face < static_cast<int>(kSkyFaces.size()); ++face) {
    const auto bytes = writeTGA(paintSkyFace(face, kSkyFaceSize));
    if (!writeFile(dir + "sky3/" + kSkyFaces[face] + ".tga", bytes.data(), bytes.size())) return 1;
  }
  const auto flake = writeBMP24(paintSnowflake(kSnowflakeSize));
  if (!writeFile(dir + "snowflake.bmp", flake.data(), flake.size())) return 1;
  const Pixels title = paintLoadScreen(kLoadScreenSize, kTitleFont);
  if (title.data.empty()) return 1;
  const auto bytes = writeBMP24(title);
  return writeFile(dir + "load_screen.bmp", bytes.data(), bytes.size()) ? 0 : 1;
}

}  // namespace assetgen
