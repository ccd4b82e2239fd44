#include "assetgen/glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assetgen {

GlyphRaster::GlyphRaster(const std::string& fontPath) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "assetgen: FreeType does not start\n");
    return;
  }
  library_ = library;
  FT_Face face = nullptr;
  if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
    std::fprintf(stderr, "assetgen: cannot open font %s\n", fontPath.c_str());
    return;
  }
  face_ = face;
}

GlyphRaster::~GlyphRaster() {
  if (face_ != nullptr) FT_Done_Face(static_cast<FT_Face>(face_));
  if (library_ != nullptr) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool GlyphRaster::hasGlyph(uint32_t codePoint) const {
  return face_ != nullptr && FT_Get_Char_Index(static_cast<FT_Face>(face_), codePoint) != 0;
}

bool GlyphRaster::render(uint32_t codePoint, int pixelSize, float xScale, GlyphBitmap& out) {
  if (!hasGlyph(codePoint)) return false;
  FT_Face face = static_cast<FT_Face>(face_);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) return false;
  FT_Matrix matrix;
  matrix.xx = static_cast<FT_Fixed>(std::lround(xScale * 65536.0f));
  matrix.xy = 0;
  matrix.yx = 0;
  matrix.yy = 0x10000;
  FT_Set_Transform(face, &matrix, nullptr);
  const FT_UInt index = FT_Get_Char_Index(face, codePoint);
  const bool rendered = FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) == 0 &&
                        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
  FT_Set_Transform(face, nullptr, nullptr);
  if (!rendered) return false;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  out.width = static_cast<int>(bitmap.width);
  out.rows = static_cast<int>(bitmap.rows);
  out.left = face->glyph->bitmap_left;
  out.top = face->glyph->bitmap_top;
  out.advance = static_cast<float>(face->glyph->advance.x) / 64.0f;
  out.coverage.assign(static_cast<size_t>(out.width) * out.rows, 0);
  for (int y = 0; y < out.rows; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
    std::copy(row, row + out.width, out.coverage.begin() + static_cast<ptrdiff_t>(y) * out.width);
  }
  return true;
}

void blitGlyph(Coverage& picture, const GlyphBitmap& glyph, int x, int y, int clipX0, int clipY0, int clipX1,
               int clipY1) {
  clipX0 = std::max(clipX0, 0);
  clipY0 = std::max(clipY0, 0);
  clipX1 = std::min(clipX1, picture.width);
  clipY1 = std::min(clipY1, picture.height);
  for (int gy = 0; gy < glyph.rows; ++gy) {
    const int py = y + gy;
    if (py < clipY0 || py >= clipY1) continue;
    for (int gx = 0; gx < glyph.width; ++gx) {
      const int px = x + gx;
      if (px < clipX0 || px >= clipX1) continue;
      const float v = glyph.coverage[static_cast<size_t>(gy) * glyph.width + gx] / 255.0f;
      picture.at(px, py) = std::max(picture.at(px, py), v);
    }
  }
}

void GlyphRaster::drawCentred(Coverage& picture, const std::string& text, int pixelSize, float centreX,
                              int baselineY) {
  std::vector<GlyphBitmap> glyphs;
  float width = 0.0f;
  for (const char ch : text) {
    GlyphBitmap glyph;
    if (!render(static_cast<unsigned char>(ch), pixelSize, 1.0f, glyph)) continue;
    width += glyph.advance;
    glyphs.push_back(std::move(glyph));
  }
  float pen = centreX - width / 2.0f;
  for (const GlyphBitmap& glyph : glyphs) {
    blitGlyph(picture, glyph, static_cast<int>(std::lround(pen)) + glyph.left, baselineY - glyph.top, 0, 0,
              picture.width, picture.height);
    pen += glyph.advance;
  }
}

}  // namespace assetgen
