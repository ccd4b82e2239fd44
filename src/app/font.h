// VornFont: the one text renderer; draws the texts queued in a frame once, at
// its end. Units: the 800 x 600 text overlay. Cost: 256 display lists; per
// frame two texture binds and one glCallLists per text and pass (GL context).
#pragma once

#include <memory>

#include "app/text_queue.h"

namespace vorn {

class VornTexture;

class VornFont : public VornTextQueue {
 public:
  static constexpr int kGlyphLists = 256;
  // Characters below this have no glyph and draw nothing.
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

  // Draws the queue and keeps it (the next begin() clears it): a mask pass
  // darkens the background under and around the glyphs, then a glyph pass
  // adds the texts' colours. Leaves blending on with factors (one, one) and
  // the texture environment on modulate; the parts drawn next set their own
  // blend state.
  void end();

  unsigned listBase() const { return listBase_; }

 private:
  // The glyph image is a 16 x 16 grid: code 32 + 16 r + c sits in column c,
  // row r from the top. One list a cell; each advances 0.8 of the glyph size.
  void buildLists();

  std::unique_ptr<VornTexture> fontTexture_;
  std::unique_ptr<VornTexture> maskTexture_;
  unsigned listBase_ = 0;
};

}  // namespace vorn
