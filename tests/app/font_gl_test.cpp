// The font and the HUD on a real (Xvfb, Mesa) context with the generated
// font and HUD pictures: texts land where they are queued, in their colour,
// over a darkened outline; glyph-less characters draw nothing; the HUD's
// needle turns with the speed and its gauge fills with the awake level.
#include <GL/glew.h>
#include <GL/glut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/error_log.h"
#include "app/font.h"
#include "app/hud.h"

namespace vorn {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

using Frame = std::vector<std::array<float, 3>>;

struct Box {
  int left, right, bottom, top;  // window pixels, y upward, right/top exclusive
  bool contains(int x, int y) const { return x >= left && x < right && y >= bottom && y < top; }
};

class FontGlTest : public ::testing::Test {
 protected:
  // One window, font and HUD picture set for every test of the binary; they
  // live until the process ends.
  static void SetUpTestSuite() {
    if (font_ != nullptr) return;
    int argc = 1;
    char name[] = "app_font_gl_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowSize(kWidth, kHeight);
    glutCreateWindow("font test");
    ASSERT_EQ(glewInit(), GLEW_OK);
    ASSERT_EQ(chdir(VORN_TEST_DATA_ROOT), 0);
    setErrorLogPath("/tmp/vorn_font_gl_err.txt");
    std::remove("/tmp/vorn_font_gl_err.txt");
    VornTexture::setLinear();
    VornTexture::enableMipmaps();
    font_ = new VornFont("data/textures/Font.tga", "data/textures/Font_mask.bmp");
    textures_ = new VornTextureCache();
    VornHud::loadHudImages(*textures_, nullptr);
  }

  void SetUp() override {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    font_->begin();
  }

  static Frame drawText(float background, const std::function<void(VornFont&)>& queue) {
    glClearColor(background, background, background, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    font_->begin();
    queue(*font_);
    font_->end();
    return readFrame();
  }

  static Frame readFrame() {
    std::vector<unsigned char> bytes(static_cast<size_t>(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
    Frame frame(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < frame.size(); ++i)
      for (int c = 0; c < 3; ++c) frame[i][c] = bytes[i * 3 + c] / 255.0f;
    return frame;
  }

  // With VORN_SHOT_DIR set, keeps the frame as <dir>/<name>.ppm to look at.
  static void saveShot(const Frame& f, const std::string& name) {
    const char* dir = std::getenv("VORN_SHOT_DIR");
    if (dir == nullptr) return;
    std::FILE* out = std::fopen((std::string(dir) + "/" + name + ".ppm").c_str(), "wb");
    if (out == nullptr) return;
    std::fprintf(out, "P6 %d %d 255\n", kWidth, kHeight);
    for (int y = kHeight - 1; y >= 0; --y)
      for (int x = 0; x < kWidth; ++x)
        for (int c = 0; c < 3; ++c) std::fputc(static_cast<int>(at(f, x, y)[c] * 255.0f + 0.5f), out);
    std::fclose(out);
  }

  static const std::array<float, 3>& at(const Frame& f, int x, int y) { return f[static_cast<size_t>(y) * kWidth + x]; }

  // Pixels inside and outside `box` for which `test` holds.
  static std::pair<int, int> count(const Frame& f, const Box& box,
                                   const std::function<bool(const std::array<float, 3>&)>& test) {
    int inside = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (test(at(f, x, y))) (box.contains(x, y) ? inside : outside)++;
    return {inside, outside};
  }

  static bool isBlue(const std::array<float, 3>& p) { return p[2] > 0.5f && p[0] < 0.2f && p[1] < 0.2f; }

  static VornFont* font_;
  static VornTextureCache* textures_;
};

VornFont* FontGlTest::font_ = nullptr;
VornTextureCache* FontGlTest::textures_ = nullptr;

TEST_F(FontGlTest, TextIsDrawnInItsBoxAndColour) {
  const Frame f = drawText(0.0f, [](VornFont& font) { font.print(200, 500, 50, {0, 0, 1}, "Single Game"); });
  // 11 characters at 0.8 * 50 = 440 wide, 50 high.
  const auto blue = count(f, {200, 640, 500, 550}, isBlue);
  EXPECT_GT(blue.first, 2500);
  EXPECT_EQ(blue.second, 0);
  // Each word is there: ink in the first letter's cell and in the last one's.
  EXPECT_GT(count(f, {200, 240, 500, 550}, isBlue).first, 150);
  EXPECT_GT(count(f, {600, 640, 500, 550}, isBlue).first, 150);
  EXPECT_EQ(count(f, {440, 480, 500, 550}, isBlue).first, 0) << "the blank between the words";
}

TEST_F(FontGlTest, TheMaskOutlinesTextOnABrightBackground) {
  const Frame f = drawText(1.0f, [](VornFont& font) { font.print(100, 100, 40, "SNOW"); });
  saveShot(f, "font_on_white");
  const Box box{100, 100 + 4 * 32, 100, 140};
  const auto dark = count(f, box, [](const std::array<float, 3>& p) { return p[0] < 0.5f && p[2] < 0.5f; });
  EXPECT_GT(dark.first, 400) << "a dark outline around white text";
  EXPECT_EQ(dark.second, 0);
  const auto white = count(f, box, [](const std::array<float, 3>& p) { return p[0] > 0.95f && p[2] > 0.95f; });
  EXPECT_GT(white.second, kWidth * kHeight - 6000) << "the rest of the picture is untouched";
}

TEST_F(FontGlTest, CharactersWithoutAGlyphDrawNothing) {
  const Frame with = drawText(0.0f, [](VornFont& font) { font.print(320, 100, 50, {0, 0, 1}, "Quit\n"); });
  const Frame without = drawText(0.0f, [](VornFont& font) { font.print(320, 100, 50, {0, 0, 1}, "Quit"); });
  EXPECT_EQ(with, without);
  const Frame controls = drawText(0.3f, [](VornFont& font) { font.print(10, 10, 50, "\x01\x02\t\x1f"); });
  const auto changed =
      count(controls, {0, 0, 0, 0}, [](const std::array<float, 3>& p) { return std::abs(p[0] - 0.3f) > 0.01f; });
  EXPECT_EQ(changed.second, 0);
}

TEST_F(FontGlTest, AHoveredButtonIsLargerAndLighter) {
  int mouseX = 300, mouseY = 600 - 425;
  const Frame hovered = drawText(0.0f, [&](VornFont& font) {
    EXPECT_TRUE(font.button(mouseX, mouseY, 200, 400, 50, 60, {0, 0, 1}, {0.7f, 0.7f, 1.0f}, "Ghost Game"));
  });
  const Frame plain = drawText(0.0f, [&](VornFont& font) {
    EXPECT_FALSE(font.button(5, 5, 200, 400, 50, 60, {0, 0, 1}, {0.7f, 0.7f, 1.0f}, "Ghost Game"));
  });
  const auto light = [](const std::array<float, 3>& p) { return p[0] > 0.5f && p[2] > 0.8f; };
  const auto lit = count(hovered, {180, 660, 395, 455}, light);
  const auto blue = count(plain, {200, 600, 400, 450}, isBlue);
  EXPECT_EQ(lit.second, 0);
  EXPECT_GT(lit.first, blue.first * 5 / 4) << "60 instead of 50 units high";
}

TEST_F(FontGlTest, EndLeavesAdditiveBlendingOn) {
  drawText(0.0f, [](VornFont& font) { font.print(0, 0, "x"); });
  GLint src = 0, dst = 0, env = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(src, GL_ONE);
  EXPECT_EQ(dst, GL_ONE);
  EXPECT_EQ(env, GL_MODULATE);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FontGlTest, MissingFontFilesAreReportedAndDrawNothingHarmful) {
  VornFont missing("data/textures/none.tga", "data/textures/none.bmp");
  missing.begin();
  missing.print(10, 10, "text");
  missing.end();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  std::FILE* log = std::fopen("/tmp/vorn_font_gl_err.txt", "r");
  ASSERT_NE(log, nullptr);
  char line[256] = {};
  ASSERT_NE(std::fgets(line, sizeof line, log), nullptr);
  std::fclose(log);
  EXPECT_EQ(std::string(line), "Error VornTexture::loadTGA \n");
}

class HudGlTest : public FontGlTest {
 protected:
  static Frame drawHud(float speed, float awake) {
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    VornHud hud;
    hud.update(30, awake - hud.awake, speed);
    hud.drawSingle();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    Frame f = readFrame();
    saveShot(f, "hud_" + std::to_string(static_cast<int>(speed)) + "_" + std::to_string(static_cast<int>(awake)));
    return f;
  }
  static bool isNeedle(const std::array<float, 3>& p) { return p[0] > 0.7f && p[1] < 0.45f && p[2] < 0.45f; }
};

// The dial's centre in window pixels: (-0.2, 0.2) + (6.1, -4.3) at 13 units
// in front of a 45-degree, 4:3 camera.
constexpr int kDialX = 729;
constexpr int kDialY = 72;

TEST_F(HudGlTest, TheNeedleTurnsWithTheSpeed) {
  const Frame still = drawHud(0.0f, 100.0f);
  const Frame half = drawHud(70.0f, 100.0f);
  const Frame quarter = drawHud(35.0f, 100.0f);
  const Box below{kDialX - 6, kDialX + 6, kDialY - 50, kDialY - 15};
  const Box above{kDialX - 6, kDialX + 6, kDialY + 15, kDialY + 50};
  const Box right{kDialX + 15, kDialX + 50, kDialY - 6, kDialY + 6};
  EXPECT_GT(count(still, below, isNeedle).first, 40);
  EXPECT_EQ(count(still, above, isNeedle).first, 0);
  EXPECT_GT(count(half, above, isNeedle).first, 40);
  EXPECT_EQ(count(half, below, isNeedle).first, 0);
  EXPECT_GT(count(quarter, right, isNeedle).first, 40) << "turning towards the right first";
  // Outside the round dial the scene shows through.
  const auto& corner = at(still, 668, 10);
  EXPECT_NEAR(corner[0], 0.5f, 0.02f);
  EXPECT_NEAR(corner[2], 0.5f, 0.02f);
  // The dial face is dark.
  EXPECT_LT(at(still, kDialX + 25, kDialY + 25)[0], 0.35f);
}

TEST_F(HudGlTest, AWideWindowKeepsTheDialUnderItsDigits) {
  // The scene of a window twice as wide as high, shown in this window's
  // pixels: the dial must stay where the speed digits are queued (x 705 of
  // 800), not slide towards the middle with the wider scene camera.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 2.0, 1.0, 2000.0);
  glMatrixMode(GL_MODELVIEW);
  const Frame still = drawHud(0.0f, 100.0f);
  EXPECT_GT(count(still, {kDialX - 6, kDialX + 6, kDialY - 50, kDialY - 15}, isNeedle).first, 40);
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[0], 1.0 / (2.0 * std::tan(22.5 * 3.14159265358979 / 180.0)), 1e-6)
      << "the scene's camera is left as it was";
}

TEST_F(HudGlTest, TheGaugeFillsWithTheAwakeLevelInItsColour) {
  // The gauge spans about x 701..784 and y 172..562.
  const Box lower{705, 780, 200, 300};
  const Box upper{705, 780, 450, 540};
  const auto green = [](const std::array<float, 3>& p) { return p[1] > 0.6f && p[0] < 0.3f && p[2] < 0.3f; };
  const auto red = [](const std::array<float, 3>& p) { return p[0] > 0.6f && p[1] < 0.3f && p[2] < 0.3f; };
  const auto yellow = [](const std::array<float, 3>& p) { return p[0] > 0.6f && p[1] > 0.6f && p[2] < 0.3f; };
  const Frame full = drawHud(0.0f, 100.0f);
  EXPECT_GT(count(full, lower, green).first, 2000);
  EXPECT_GT(count(full, upper, green).first, 2000);
  const Frame third = drawHud(0.0f, 33.0f);
  EXPECT_GT(count(third, lower, yellow).first, 2000);
  EXPECT_EQ(count(third, upper, yellow).first, 0) << "the empty part is only faintly tinted";
  // A tenth: only the bottom 39 of 390 pixels are filled.
  const Frame low = drawHud(0.0f, 10.0f);
  EXPECT_EQ(count(low, {705, 780, 240, 540}, red).first, 0);
  EXPECT_GT(count(low, {705, 780, 175, 195}, red).first, 100);
}

TEST_F(HudGlTest, SplitOverlaysSitInTheirHalves) {
  glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 2.666, 1.0, 1000.0);
  glMatrixMode(GL_MODELVIEW);
  glViewport(0, kHeight / 2, kWidth, kHeight / 2);
  VornHud top;
  top.update(20, 0.0f, 0.0f);
  top.drawSplit(1);
  glViewport(0, 0, kWidth, kHeight);
  const Frame f = readFrame();
  const auto green = [](const std::array<float, 3>& p) { return p[1] > 0.6f && p[0] < 0.3f && p[2] < 0.3f; };
  // The gauge and dial of the top player in the right part of the top half.
  const auto gauge = count(f, {600, kWidth, kHeight / 2, kHeight}, green);
  EXPECT_GT(gauge.first, 1000);
  EXPECT_EQ(gauge.second, 0);
  EXPECT_GT(count(f, {600, kWidth, kHeight / 2, kHeight}, isNeedle).first, 20);
}

TEST_F(HudGlTest, HudImagesAreClampedAndTheDialIsShared) {
  ASSERT_GE(textures_->size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    ASSERT_NE((*textures_)[i]->getId(), 0u) << i;
    glBindTexture(GL_TEXTURE_2D, (*textures_)[i]->getId());
    GLint wrapS = 0, wrapT = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    EXPECT_EQ(wrapS, GL_CLAMP_TO_EDGE) << i;
    EXPECT_EQ(wrapT, GL_CLAMP_TO_EDGE) << i;
  }
  // Textures loaded afterwards repeat again.
  EXPECT_EQ(textureSettings().wrapS, kTexRepeat);
  // A second load finds the dial in the cache and adds only the four alpha images.
  const size_t before = textures_->size();
  VornHud::loadHudImages(*textures_, nullptr);
  EXPECT_EQ(textures_->size(), before + 4);
}

TEST_F(HudGlTest, DrawingLeavesTheStateTheSceneExpects) {
  drawHud(50.0f, 60.0f);
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
    glActiveTexture(unit);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  }
  glActiveTexture(GL_TEXTURE0);
}

}  // namespace
}  // namespace vorn
