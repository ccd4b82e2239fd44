// The generated font pictures of the game data through the game's own image
// readers: the glyph grid in the layout the font draws from and the mask under
// every glyph. (The HUD pictures are checked where the HUD draws them.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "assetgen/font.h"
#include "assets/bmp_codec.h"
#include "assets/image_files.h"
#include "assets/tga_reader.h"

namespace vorn {
namespace {

using assetgen::kFontCell;

// Through the reader the game uses for the file.
VornImage read(const std::string& name) {
  std::vector<uint8_t> bytes;
  VornImage image;
  std::string detail;
  EXPECT_TRUE(readFileBytes(VORN_TEST_DATA_ROOT "/data/textures/" + name, bytes)) << name;
  const bool tga = name.find(".tga") != std::string::npos;
  EXPECT_TRUE(tga ? decodeTGA(bytes.data(), bytes.size(), name, image, detail)
                  : decodeBMP(bytes.data(), bytes.size(), name, image, detail)) << detail;
  return image;
}

TEST(GeneratedText, GlyphsStandUprightWithinTheAdvanceOverADarkMask) {
  const VornImage glyphs = read("Font.tga"), mask = read("Font_mask.bmp");
  ASSERT_EQ(glyphs.width, 16 * kFontCell);
  ASSERT_EQ(glyphs.height, 16 * kFontCell);
  ASSERT_EQ(mask.width, glyphs.width);
  ASSERT_EQ(mask.height, glyphs.height);
  // A channel of pixel (x, yFromTop) of a bottom-first image.
  const auto value = [](const VornImage& image, uint32_t x, uint32_t yFromTop, uint32_t channel = 0) -> int {
    const size_t row = image.height - 1 - yFromTop;
    return image.pixels[(row * image.width + x) * image.bytesPerPixel() + channel];
  };
  // The bounding box {left, right, top, bottom} of a glyph's pixels above `threshold`, in its cell.
  const auto inkOf = [&](int code, int threshold = 100) {
    const uint32_t cx = (code - 32) % 16 * kFontCell, cy = (code - 32) / 16 * kFontCell;
    std::array<int, 4> ink = {1 << 30, -1, 1 << 30, -1};
    for (uint32_t y = 0; y < kFontCell; ++y)
      for (uint32_t x = 0; x < kFontCell; ++x)
        if (value(glyphs, cx + x, cy + y) > threshold)
          ink = {std::min<int>(ink[0], x), std::max<int>(ink[1], x), std::min<int>(ink[2], y), int(y)};
    return ink;
  };
  // Capitals and digits stand upright on one baseline, about two thirds of a cell high.
  const int baselineRow = static_cast<int>(kFontCell) - assetgen::kFontBaseline - 1;
  for (int code : {'A', 'H', 'Z', '0', '7'}) EXPECT_NEAR(inkOf(code)[3], baselineRow, 1) << char(code);
  EXPECT_NEAR(inkOf('H')[3] - inkOf('H')[2], 0.66 * kFontCell, 3);
  // Glyphs follow each other at 0.8 of a cell, so the ink must stay in that
  // part of its cell; blank and control cells stay empty.
  int drawn = 0;
  for (int code = 33; code < 256; ++code) {
    const std::array<int, 4> ink = inkOf(code, 20);
    if (ink[1] < 0) continue;
    ++drawn;
    EXPECT_GE(ink[0], 1) << code;
    EXPECT_LT(ink[1], static_cast<int>(0.8 * kFontCell)) << code;
  }
  EXPECT_GT(drawn, 180);
  for (int code : {32, 127, 130, 159}) EXPECT_LT(inkOf(code, 0)[1], 0) << code;

  // The mask: dark under and around every white glyph, white in the blank's cell.
  size_t ink = 0, outline = 0;
  for (uint32_t y = 0; y < glyphs.height; ++y) {
    for (uint32_t x = 0; x < glyphs.width; ++x) {
      const int m = value(mask, x, y);
      if (value(glyphs, x, y) > 128) {
        ++ink;
        ASSERT_LT(m, 40) << x << "," << y;
        ASSERT_EQ(value(glyphs, x, y, 0), value(glyphs, x, y, 2)) << "white glyphs";
      } else if (m < 40) {
        ++outline;
      }
    }
  }
  EXPECT_GT(ink, 50000u);
  EXPECT_GT(outline, ink / 4) << "an outline around the glyphs";
  for (uint32_t y = 0; y < kFontCell; y += 3)
    for (uint32_t x = 0; x < kFontCell; x += 3) ASSERT_EQ(value(mask, x, y), 255);
}

}  // namespace
}  // namespace vorn
