// The generator's font and HUD pictures read back through the game's own
// image readers: the glyph grid in the layout the font draws from, the mask
// under every glyph, and HUD pictures oriented for the way the HUD turns the
// needle and slides the gauge mask.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assetgen/font.h"
#include "assetgen/generator.h"
#include "assetgen/hud.h"
#include "assets/bmp_codec.h"
#include "assets/image_files.h"
#include "assets/tga_reader.h"

// The generator's file helpers live in its main(); these stand in for them.
namespace assetgen {
bool makeDirs(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if ((i == path.size() || path[i] == '/') && !partial.empty()) mkdir(partial.c_str(), 0755);
    if (i < path.size()) partial += path[i];
  }
  return true;
}
bool writeFile(const std::string& path, const void* data, size_t size) {
  makeDirs(path.substr(0, path.rfind('/')));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}
}  // namespace assetgen

namespace vorn {
namespace {

using assetgen::kFontCell;

class GeneratedTextTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/vorn_textgen.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    ASSERT_EQ(assetgen::generateFont(root_), 0);
    ASSERT_EQ(assetgen::generateHud(root_), 0);
    glyphs_ = read("Font.tga", false);
    mask_ = read("Font_mask.bmp", false);
  }
  static void TearDownTestSuite() { std::system(("rm -rf " + root_).c_str()); }

  // Through the reader the game uses for the file: the plain readers, or the
  // alpha-from-red reader of the HUD's alpha pictures.
  static VornImage read(const std::string& name, bool alpha) {
    std::vector<uint8_t> bytes;
    VornImage image;
    std::string detail;
    const std::string path = root_ + "/data/textures/" + name;
    EXPECT_TRUE(readFileBytes(path, bytes)) << path;
    bool ok;
    if (name.size() > 4 && name.substr(name.size() - 4) == ".tga") {
      ok = decodeTGA(bytes.data(), bytes.size(), name, image, detail);
    } else if (alpha) {
      ok = decodeBMPAlpha(bytes.data(), bytes.size(), name, image, detail);
    } else {
      ok = decodeBMP(bytes.data(), bytes.size(), name, image, detail);
    }
    EXPECT_TRUE(ok) << detail;
    return image;
  }

  // Channel 0 of pixel (x, yFromTop) of a bottom-first image.
  static int value(const VornImage& image, uint32_t x, uint32_t yFromTop, uint32_t channel = 0) {
    const uint32_t row = image.height - 1 - yFromTop;
    return image.pixels[(static_cast<size_t>(row) * image.width + x) * image.bytesPerPixel() + channel];
  }

  // Glyph ink of one cell: the bounding box of pixels above `threshold`.
  struct Ink {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    bool empty() const { return right < 0; }
  };
  static Ink inkOf(int code, int threshold = 100) {
    const int index = code - 32;
    const uint32_t cx = (index % 16) * kFontCell, cy = (index / 16) * kFontCell;
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

  static std::string root_;
  static VornImage glyphs_;
  static VornImage mask_;
};

std::string GeneratedTextTest::root_;
VornImage GeneratedTextTest::glyphs_;
VornImage GeneratedTextTest::mask_;

TEST_F(GeneratedTextTest, FontPicturesAreTheSixteenBySixteenGrid) {
  EXPECT_EQ(glyphs_.width, 16 * kFontCell);
  EXPECT_EQ(glyphs_.height, 16 * kFontCell);
  EXPECT_EQ(mask_.width, glyphs_.width);
  EXPECT_EQ(mask_.height, glyphs_.height);
}

TEST_F(GeneratedTextTest, GlyphsSitInTheirCellsUprightOnOneBaseline) {
  // 'T' is row 3, column 4 from the top: its bar is at the top of its ink.
  const Ink t = inkOf('T');
  ASSERT_FALSE(t.empty());
  int topWidth = 0, bottomWidth = 0;
  const uint32_t cx = 4 * kFontCell, cy = 3 * kFontCell;
  for (uint32_t x = 0; x < kFontCell; ++x) {
    topWidth += value(glyphs_, cx + x, cy + t.top + 2) > 100;
    bottomWidth += value(glyphs_, cx + x, cy + t.bottom - 2) > 100;
  }
  EXPECT_GT(topWidth, 3 * bottomWidth);
  // Capitals and digits stand on the same baseline above the cell's bottom,
  // about two thirds of a cell high; 'g' reaches below the baseline.
  const int baselineRow = static_cast<int>(kFontCell) - assetgen::kFontBaseline - 1;
  for (int code : {'A', 'H', 'Z', '0', '7'}) EXPECT_NEAR(inkOf(code).bottom, baselineRow, 1) << char(code);
  EXPECT_GT(inkOf('g').bottom, baselineRow + 8);
  EXPECT_NEAR(inkOf('H').bottom - inkOf('H').top, 0.66 * kFontCell, 3);
}

TEST_F(GeneratedTextTest, EveryGlyphFitsTheAdvance) {
  // Glyphs follow each other at 0.8 of a cell; the ink of each must stay in
  // that part of its cell so neighbours never touch.
  int drawn = 0;
  for (int code = 33; code < 256; ++code) {
    const Ink ink = inkOf(code, 20);
    if (ink.empty()) continue;
    ++drawn;
    EXPECT_GE(ink.left, 1) << code;
    EXPECT_LT(ink.right, static_cast<int>(0.8 * kFontCell)) << code;
  }
  EXPECT_GT(drawn, 180);
  for (int code : {'M', 'W', 'm', 'w', '@'}) EXPECT_GT(inkOf(code).right - inkOf(code).left, 36) << char(code);
}

TEST_F(GeneratedTextTest, BlankAndControlCellsStayEmpty) {
  for (int code : {32, 127, 130, 159}) {
    EXPECT_TRUE(inkOf(code, 0).empty()) << code;
    const int index = code - 32;
    const uint32_t cx = (index % 16) * kFontCell, cy = (index / 16) * kFontCell;
    for (uint32_t y = 0; y < kFontCell; y += 3)
      for (uint32_t x = 0; x < kFontCell; x += 3) ASSERT_EQ(value(mask_, cx + x, cy + y), 255) << code;
  }
}

TEST_F(GeneratedTextTest, TheMaskIsDarkUnderAndAroundEveryGlyph) {
  size_t ink = 0, outline = 0;
  for (uint32_t y = 0; y < glyphs_.height; ++y) {
    for (uint32_t x = 0; x < glyphs_.width; ++x) {
      const int g = value(glyphs_, x, y);
      const int m = value(mask_, x, y);
      if (g > 128) {
        ++ink;
        ASSERT_LT(m, 40) << x << "," << y;
      } else if (m < 40) {
        ++outline;
      }
    }
  }
  EXPECT_GT(ink, 50000u);
  EXPECT_GT(outline, ink / 4) << "an outline around the glyphs";
  // White glyphs: all three channels equal.
  const Ink a = inkOf('A');
  const uint32_t x = 33 % 16 * kFontCell + (a.left + a.right) / 2, y = 33 / 16 * kFontCell + a.bottom - 1;
  EXPECT_EQ(value(glyphs_, x, y, 0), value(glyphs_, x, y, 2));
}

TEST_F(GeneratedTextTest, HudPicturesHaveTheirSizes) {
  const VornImage dial = read("speed.bmp", false);
  EXPECT_EQ(dial.width, assetgen::kDialSize);
  EXPECT_EQ(dial.height, assetgen::kDialSize);
  for (const char* name : {"speed_o.bmp", "speed_a.bmp"}) {
    const VornImage image = read(name, true);
    EXPECT_EQ(image.width, assetgen::kDialSize) << name;
    EXPECT_EQ(image.bytesPerPixel(), 4u);
  }
  for (const char* name : {"zzz.bmp", "zzz_o.bmp"}) {
    const VornImage image = read(name, true);
    EXPECT_EQ(image.width, assetgen::kGaugeWidth) << name;
    EXPECT_EQ(image.height, assetgen::kGaugeHeight) << name;
  }
}

TEST_F(GeneratedTextTest, TheNeedlePointsAtZeroOnTheDial) {
  const VornImage needle = read("speed_o.bmp", true);
  const VornImage dial = read("speed.bmp", false);
  const uint32_t c = assetgen::kDialSize / 2;
  // Alpha (channel 3) of the needle: down from the centre, not up.
  EXPECT_EQ(value(needle, c, c + 80, 3), 255);
  EXPECT_EQ(value(needle, c, c - 80, 3), 0);
  EXPECT_EQ(value(needle, c + 40, c + 80, 3), 0);
  // The edges are clear so the clamped, turned coordinates show nothing.
  for (uint32_t i = 0; i < assetgen::kDialSize; ++i) {
    ASSERT_EQ(value(needle, i, 0, 3), 0);
    ASSERT_EQ(value(needle, 0, i, 3), 0);
    ASSERT_EQ(value(needle, i, assetgen::kDialSize - 1, 3), 0);
  }
  // The zero tick of the dial is right under the needle's tip: a white mark
  // on the dark face.
  EXPECT_GT(value(dial, c, c + 106), 200);
  EXPECT_LT(value(dial, c + 20, c + 20), 80);
  // The 70 km/h mark is at the top (half a turn).
  EXPECT_GT(value(dial, c, c - 106), 200);
}

TEST_F(GeneratedTextTest, TheDialIsCutRound) {
  const VornImage alpha = read("speed_a.bmp", true);
  const uint32_t c = assetgen::kDialSize / 2;
  EXPECT_EQ(value(alpha, c, c, 3), 255);
  EXPECT_EQ(value(alpha, c, 2, 3), 255);
  EXPECT_EQ(value(alpha, 0, 0, 3), 0);
  EXPECT_EQ(value(alpha, assetgen::kDialSize - 1, assetgen::kDialSize - 1, 3), 0);
}

TEST_F(GeneratedTextTest, TheGaugeMaskIsOpaqueBelowAndFaintAbove) {
  const VornImage mask = read("zzz_o.bmp", true);
  // Texture row 0 is the picture's bottom: the HUD slides the coordinates so
  // that the part of the gauge below the awake level samples the opaque half.
  EXPECT_EQ(mask.pixels[3], 255);
  EXPECT_EQ(value(mask, 10, assetgen::kGaugeHeight / 2 + 8, 3), 255);
  EXPECT_EQ(value(mask, 10, assetgen::kGaugeHeight / 2 - 8, 3), assetgen::kGaugeEmptyLevel);
  EXPECT_EQ(value(mask, 10, 0, 3), assetgen::kGaugeEmptyLevel);
  const VornImage gauge = read("zzz.bmp", true);
  EXPECT_GT(value(gauge, assetgen::kGaugeWidth / 2, assetgen::kGaugeHeight / 2 + 5, 3), 150);
  EXPECT_EQ(value(gauge, 0, 0, 3), 0);
  EXPECT_EQ(value(gauge, assetgen::kGaugeWidth - 1, assetgen::kGaugeHeight - 1, 3), 0);
}

}  // namespace
}  // namespace vorn
