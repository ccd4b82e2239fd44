// Glyph rasterising for the generator's text pictures (the screen font and
// the speedometer's numbers): FreeType renders one antialiased glyph at a
// pixel size, optionally narrowed, into a grey coverage bitmap.
// Cost: one FreeType library and face per rasteriser; a render per glyph.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct GlyphBitmap {
  int width = 0;
  int rows = 0;
  int left = 0;     // pen to the bitmap's left edge, pixels
  int top = 0;      // baseline to the bitmap's top row, pixels (up)
  float advance = 0.0f;
  std::vector<uint8_t> coverage;  // rows top first, 0..255
};

// A grey picture, rows top first, coverage 0..1.
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<float> value;

  Coverage(int w, int h) : width(w), height(h), value(static_cast<size_t>(w) * h, 0.0f) {}
  float& at(int x, int y) { return value[static_cast<size_t>(y) * width + x]; }
  float at(int x, int y) const { return value[static_cast<size_t>(y) * width + x]; }
};

class GlyphRaster {
 public:
  explicit GlyphRaster(const std::string& fontPath);
  ~GlyphRaster();
  GlyphRaster(const GlyphRaster&) = delete;
  GlyphRaster& operator=(const GlyphRaster&) = delete;

  bool ok() const { return face_ != nullptr; }
  bool hasGlyph(uint32_t codePoint) const;

  // The glyph at `pixelSize`, squeezed horizontally by `xScale` (1 = as
  // designed); false when the face has no such glyph or rendering failed.
  bool render(uint32_t codePoint, int pixelSize, float xScale, GlyphBitmap& out);

  // Draws ASCII `text` with its pen starting so that the text is centred on
  // `centreX`, baseline at `baselineY` (rows top first), taking the maximum
  // with what the picture already holds.
  void drawCentred(Coverage& picture, const std::string& text, int pixelSize, float centreX, int baselineY);

 private:
  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
};

// Puts a glyph into `picture` with its top-left at (x, y); coverage is
// combined with max and clipped to the rectangle [clipX0, clipX1) x
// [clipY0, clipY1).
void blitGlyph(Coverage& picture, const GlyphBitmap& glyph, int x, int y, int clipX0, int clipY0, int clipX1,
               int clipY1);

}  // namespace assetgen
