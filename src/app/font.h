// VornFont: the one text renderer. Texts are queued during a frame (the
// print variants and menu buttons of VornTextQueue) and drawn once by end()
// in an 800 x 600 orthographic overlay: a mask pass that darkens the
// background under and around the glyphs, then a glyph pass that adds the
// texts' colours. Glyphs come from a 16 x 16 grid image (code 32 + 16 r + c
// in column c, row r from the top), one display list a cell, each advancing
// 0.8 of the glyph size. Characters below 32 have no glyph and draw nothing.
// Cost: 256 display lists; per frame two texture binds and one glCallLists
// per text and pass. Needs a current GL context.
#pragma once

#include <memory>

#include "app/text_queue.h"

namespace vorn {

class VornTexture;

class VornFont : public VornTextQueue {
 public:
  static constexpr int kGlyphLists = 256;
  static constexpr int kFirstGlyph = 32;

  // Loads nothing and draws nothing.
  VornFont();
  // Glyph image only (no mask pass darkening).
  explicit VornFont(const char* glyphFile);
  // Glyph image and mask image; the game's font.
  VornFont(const char* glyphFile, const char* maskFile);
  ~VornFont();
  VornFont(const VornFont&) = delete;
  VornFont& operator=(const VornFont&) = delete;

  // Draws the queue and keeps it (the next begin() clears it). Leaves
  // blending on with factors (one, one) and the texture environment on
  // modulate; the parts drawn next set their own blend state.
  void end();

  unsigned listBase() const { return listBase_; }

 private:
  void buildLists();

  std::unique_ptr<VornTexture> fontTexture_;
  std::unique_ptr<VornTexture> maskTexture_;
  unsigned listBase_ = 0;
};

}  // namespace vorn
