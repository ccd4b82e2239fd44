#include "app/font.h"

#include <GL/glew.h>

#include <string>
#include <vector>

#include "assets/texture.h"

namespace vorn {
namespace {

// Current, point, polygon stipple, pixel mode, lighting, fog, depth buffer,
// accumulation and viewport.
constexpr GLbitfield kFontAttribs = 0x0BF3;
constexpr float kGlyphAdvance = 0.8f;
constexpr float kTextDepth = -12.0f;

// The text's glyph list offsets (code - 32); characters without a glyph
// (below 32, such as a line end) are left out.
std::string glyphOffsets(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const unsigned char code = static_cast<unsigned char>(ch);
    if (code >= VornFont::kFirstGlyph) out.push_back(static_cast<char>(code - VornFont::kFirstGlyph));
  }
  return out;
}

}  // namespace

VornFont::VornFont() = default;

VornFont::VornFont(const char* glyphFile) : fontTexture_(std::make_unique<VornTexture>(glyphFile)) { buildLists(); }

VornFont::VornFont(const char* glyphFile, const char* maskFile)
    : fontTexture_(std::make_unique<VornTexture>(glyphFile)), maskTexture_(std::make_unique<VornTexture>(maskFile)) {
  buildLists();
}

VornFont::~VornFont() {
  if (listBase_ != 0) glDeleteLists(listBase_, kGlyphLists);
}

void VornFont::buildLists() {
  listBase_ = glGenLists(kGlyphLists);
  if (listBase_ == 0) return;
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      const float s0 = c / 16.0f;
      const float s1 = (c + 1) / 16.0f;
      const float t0 = (15 - r) / 16.0f;
      const float t1 = (16 - r) / 16.0f;
      glNewList(listBase_ + 16 * r + c, GL_COMPILE);
      glBegin(GL_QUADS);
      glTexCoord2f(s0, t0);
      glVertex3f(0.0f, 0.0f, 0.0f);
      glTexCoord2f(s1, t0);
      glVertex3f(1.0f, 0.0f, 0.0f);
      glTexCoord2f(s1, t1);
      glVertex3f(1.0f, 1.0f, 0.0f);
      glTexCoord2f(s0, t1);
      glVertex3f(0.0f, 1.0f, 0.0f);
      glEnd();
      glTranslatef(kGlyphAdvance, 0.0f, 0.0f);
      glEndList();
    }
  }
}

void VornFont::end() {
  if (listBase_ == 0 || entries().empty()) return;

  std::vector<std::string> offsets;
  offsets.reserve(entries().size());
  for (const VornTextEntry& entry : entries()) offsets.push_back(glyphOffsets(entry.text));

  glPushAttrib(kFontAttribs);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 800, 0, 600, 0.1, 100);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  // Whatever the scene left switched on (culling, stencil, alpha test, other
  // texture units) must not eat the text; the enables are put back below.
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_FOG);
  glActiveTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glListBase(listBase_);

  auto drawEntries = [&](bool coloured) {
    for (size_t i = 0; i < entries().size(); ++i) {
      const VornTextEntry& entry = entries()[i];
      if (offsets[i].empty()) continue;
      if (coloured) glColor3f(entry.color.r, entry.color.g, entry.color.b);
      glLoadIdentity();
      glTranslatef(static_cast<float>(entry.x), static_cast<float>(entry.y), kTextDepth);
      const float size = static_cast<float>(entry.size);
      glScalef(size, size, size);
      glCallLists(static_cast<GLsizei>(offsets[i].size()), GL_UNSIGNED_BYTE, offsets[i].data());
    }
  };

  if (maskTexture_) {
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    maskTexture_->bind();
    drawEntries(false);
  }
  glBlendFunc(GL_ONE, GL_ONE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  if (fontTexture_) fontTexture_->bind();
  drawEntries(true);

  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
  glEnable(GL_BLEND);
  glPopAttrib();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

}  // namespace vorn
