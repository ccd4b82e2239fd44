// The generated font pictures of the game data through the game's own image
// readers: the glyph grid in the layout the font draws from and the mask under
// every glyph. (The HUD pictures are checked where the HUD draws them.)
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assetgen/font.h"
#include "assets/bmp_codec.h"
#include "assets/image_files.h"
#include "assets/tga_reader.h"

namespace vorn {
namespace {

using assetgen::kFontCell;

class GeneratedTextTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    glyphs_ = read("Font.tga");
    mask_ = read("Font_mask.bmp");
  }

  // Through the reader the game uses for the file.
  static VornImage read(const std::string& name) {
    std::vector<uint8_t> bytes;
    VornImage image;
    std::string detail;
    EXPECT_TRUE(readFileBytes(VORN_TEST_DATA_ROOT "/data/textures/" + name, bytes)) << name;
    const bool ok = name.find(".tga") != std::string::npos ? decodeTGA(bytes.data(), bytes.size(), name, image, detail)
                                                           : decodeBMP(bytes.data(), bytes.size(), name, image, detail);
    EXPECT_TRUE(ok) << detail;
    return image;
  }

  // A channel of pixel (x, yFromTop) of a bottom-first image.
  static int value(const VornImage& image, uint32_t x, uint32_t yFromTop, uint32_t channel = 0) {
    const uint32_t row = image.height - 1 - yFromTop;
    return image.pixels[(static_cast<size_t>(row) * image.width + x) * image.bytesPerPixel() + channel];
  }

  // The bounding box of a glyph's pixels above `threshold`, in its cell.
  struct Ink {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    bool empty() const { return right < 0; }
  };
  static Ink inkOf(int code, int threshold = 100) {
    const uint32_t cx = (code - 32) % 16 * kFontCell, cy = (code - 32) / 16 * kFontCell;
    Ink ink;
    for (uint32_t y = 0; y < kFontCell; ++y)
      for (uint32_t x = 0; x < kFontCell; ++x)
        if (value(glyphs_, cx + x, cy + y) > threshold) {
          ink.left = std::min<int>(ink.left, x);
          ink.right = std::max<int>(ink.right, x);
          ink.top = std::min<int>(ink.top, y);
          ink.bottom = std::max<int>(ink.bottom, y);
        }
    return ink;
  }

  static VornImage glyphs_, mask_;
};

VornImage GeneratedTextTest::glyphs_, GeneratedTextTest::mask_;

TEST_F(GeneratedTextTest, GlyphsStandUprightWithinTheAdvanceOverADarkMask) {
  ASSERT_EQ(glyphs_.width, 16 * kFontCell);
  ASSERT_EQ(glyphs_.height, 16 * kFontCell);
  // Capitals and digits stand upright on one baseline, about two thirds of a
  // cell high; 'g' reaches below it.
  const int baselineRow = static_cast<int>(kFontCell) - assetgen::kFontBaseline - 1;
  for (int code : {'A', 'H', 'Z', '0', '7'}) EXPECT_NEAR(inkOf(code).bottom, baselineRow, 1) << char(code);
  EXPECT_GT(inkOf('g').bottom, baselineRow + 8);
  EXPECT_NEAR(inkOf('H').bottom - inkOf('H').top, 0.66 * kFontCell, 3);
  // Glyphs follow each other at 0.8 of a cell, so the ink must stay in that
  // part of its cell; blank and control cells stay empty.
  int drawn = 0;
  for (int code = 33; code < 256; ++code) {
    const Ink ink = inkOf(code, 20);
    if (ink.empty()) continue;
    ++drawn;
    EXPECT_GE(ink.left, 1) << code;
    EXPECT_LT(ink.right, static_cast<int>(0.8 * kFontCell)) << code;
  }
  EXPECT_GT(drawn, 180);
  for (int code : {32, 127, 130, 159}) EXPECT_TRUE(inkOf(code, 0).empty()) << code;

  // The mask: dark under and around every glyph, white in the blank's cell.
  ASSERT_EQ(mask_.width, glyphs_.width);
  ASSERT_EQ(mask_.height, glyphs_.height);
  size_t ink = 0, outline = 0;
  for (uint32_t y = 0; y < glyphs_.height; ++y) {
    for (uint32_t x = 0; x < glyphs_.width; ++x) {
      const int m = value(mask_, x, y);
      if (value(glyphs_, x, y) > 128) {
        ++ink;
        ASSERT_LT(m, 40) << x << "," << y;
        ASSERT_EQ(value(glyphs_, x, y, 0), value(glyphs_, x, y, 2)) << "white glyphs";
      } else if (m < 40) {
        ++outline;
      }
    }
  }
  EXPECT_GT(ink, 50000u);
  EXPECT_GT(outline, ink / 4) << "an outline around the glyphs";
  for (uint32_t y = 0; y < kFontCell; y += 3)
    for (uint32_t x = 0; x < kFontCell; x += 3) ASSERT_EQ(value(mask_, x, y), 255);
}

}  // namespace
}  // namespace vorn
