// The font and the HUD on a real (Xvfb, Mesa) context with the generated
// pictures, read back from the window: texts land where they are queued, in
// their colour, over a darkened outline; the HUD's needle turns with the
// speed and its gauge fills with the awake level.
#include "support/gl_window.h"  // GLEW before any other GL header

#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/font.h"
#include "app/hud.h"
#include "base/error_log.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr const char* kErrLog = "/tmp/vorn_font_gl_err.txt";

struct Box { int left, right, bottom, top; };  // window pixels, y upward, right/top exclusive
using Pixel = const uint8_t*;  // r, g, b
using Frame = std::vector<uint8_t>;

bool isBlue(Pixel p) { return p[2] > 128 && p[0] < 50 && p[1] < 50; }
bool isNeedle(Pixel p) { return p[0] > 180 && p[1] < 115 && p[2] < 115; }
bool isGreen(Pixel p) { return p[1] > 150 && p[0] < 75 && p[2] < 75; }

class FontGlTest : public ::testing::Test {
 protected:
  // One window, font and HUD picture set for every test; they live until the process ends.
  static void SetUpTestSuite() {
    ASSERT_TRUE(test::openTestWindow("font test", kWidth, kHeight));
    ASSERT_EQ(chdir(VORN_TEST_DATA_ROOT), 0);
    setErrorLogPath(kErrLog);
    std::remove(kErrLog);
    VornTexture::setLinear();
    VornTexture::enableMipmaps();
    font_ = new VornFont("data/textures/Font.tga", "data/textures/Font_mask.bmp");
    textures_ = new VornTextureCache();
    VornHud::loadHudImages(*textures_, nullptr);
  }
  void SetUp() override { project(4.0 / 3.0); }

  static void project(double aspect) {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspect, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  static void clear(float grey) {
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  static Frame drawText(float background, const std::function<void(VornFont&)>& queue, VornFont* font = font_) {
    clear(background);
    font->begin();
    queue(*font);
    font->end();
    return readFrame();
  }
  // The single-player HUD, or with `half` (1 or 2) that player's split overlay.
  static Frame drawHud(float speed, float awake, int half = 0) {
    clear(0.5f);
    VornHud hud;
    hud.update(30, awake - hud.awake, speed);
    half ? hud.drawSplit(half) : hud.drawSingle();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return readFrame();
  }
  static Frame readFrame() {
    Frame frame(static_cast<size_t>(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
    return frame;
  }
  static Pixel at(const Frame& f, int x, int y) { return &f[(static_cast<size_t>(y) * kWidth + x) * 3]; }
  // Pixels inside `box` for which `test` holds; `outside` gets those elsewhere.
  static int count(const Frame& f, const Box& box, bool (*test)(Pixel), int* outside = nullptr) {
    int in = 0, out = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (test(at(f, x, y))) ++(x >= box.left && x < box.right && y >= box.bottom && y < box.top ? in : out);
    if (outside) *outside += out;
    return in;
  }

  static inline VornFont* font_ = nullptr;
  static inline VornTextureCache* textures_ = nullptr;
};

TEST_F(FontGlTest, TextLandsInItsBoxOverADarkOutlineAHoveredButtonGrowsAndGlyphlessOrFontlessTextDrawsNothing) {
  int stray = 0;
  const Frame blue = drawText(0.0f, [](VornFont& font) { font.print(200, 500, 50, {0, 0, 1}, "Single Game"); });
  // 11 characters at 0.8 * 50 = 440 wide, 50 high; ink in the last letter's
  // cell, none in the blank between the words.
  EXPECT_GT(count(blue, {200, 640, 500, 550}, isBlue, &stray), 2500);
  EXPECT_GT(count(blue, {600, 640, 500, 550}, isBlue), 150);
  EXPECT_EQ(count(blue, {440, 480, 500, 550}, isBlue), 0);
  // White text on white: only the mask pass shows, dark around the glyphs.
  const Frame white = drawText(1.0f, [](VornFont& font) { font.print(100, 100, 40, "SNOW"); });
  const auto dark = [](Pixel p) { return p[0] < 128 && p[2] < 128; };
  EXPECT_GT(count(white, {100, 228, 100, 140}, dark, &stray), 400);
  EXPECT_EQ(stray, 0);
  // Control characters (the menu's "Quit\n" ends in one) show nothing, not
  // even a mask pass over grey.
  EXPECT_EQ(drawText(0.3f, [](VornFont& font) { font.print(10, 10, 50, "\x01\x02\t\x1f"); }),
            drawText(0.3f, [](VornFont&) {}));
  const auto button = [](int mouseX, int mouseY, bool hovered) {
    return drawText(0.0f, [=](VornFont& font) {
      EXPECT_EQ(font.button(mouseX, mouseY, 200, 400, 50, 60, {0, 0, 1}, {0.7f, 0.7f, 1.0f}, "Ghost Game"), hovered);
    });
  };
  const auto light = [](Pixel p) { return p[0] > 128 && p[2] > 200; };
  const int lit = count(button(300, 600 - 425, true), {180, 660, 395, 455}, light, &stray);
  EXPECT_EQ(stray, 0);
  EXPECT_GT(lit, count(button(5, 5, false), {200, 600, 400, 450}, isBlue) * 5 / 4) << "60 instead of 50 high";
  // Missing font files are reported and draw nothing harmful.
  VornFont missing("data/textures/none.tga", "data/textures/none.bmp");
  drawText(0.3f, [](VornFont& font) { font.print(10, 10, "text"); }, &missing);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(test::readText(kErrLog).rfind("Error VornTexture::loadTGA \n", 0), 0u);
}

// The dial's centre in window pixels: (-0.2, 0.2) + (6.1, -4.3) at 13 units
// in front of a 45-degree, 4:3 camera.
constexpr int kDialX = 729, kDialY = 72;
TEST_F(FontGlTest, TheNeedleTurnsWithTheSpeedOnARoundDialInAnyWindowShapeAndTheGaugeFillsWithTheAwakeLevel) {
  const Frame still = drawHud(0.0f, 100.0f), half = drawHud(70.0f, 100.0f);
  const Box below{kDialX - 6, kDialX + 6, kDialY - 50, kDialY - 15};
  const Box above{kDialX - 6, kDialX + 6, kDialY + 15, kDialY + 50};
  EXPECT_GT(count(still, below, isNeedle), 40);
  EXPECT_EQ(count(still, above, isNeedle), 0);
  EXPECT_GT(count(half, above, isNeedle), 40);
  EXPECT_EQ(count(half, below, isNeedle), 0);
  EXPECT_GT(count(drawHud(35.0f, 100.0f), {kDialX + 15, kDialX + 50, kDialY - 6, kDialY + 6}, isNeedle), 40)
      << "turning towards the right first";
  EXPECT_NEAR(at(still, 668, 10)[0], 128, 5) << "outside the round dial the scene shows through";
  // The gauge spans about x 701..784 and y 172..562, in green, yellow or red by the level.
  const auto yellow = [](Pixel p) { return p[0] > 150 && p[1] > 150 && p[2] < 75; };
  const auto red = [](Pixel p) { return p[0] > 150 && p[1] < 75 && p[2] < 75; };
  const Frame third = drawHud(0.0f, 33.0f), low = drawHud(0.0f, 10.0f);
  EXPECT_GT(count(still, {705, 780, 200, 300}, isGreen), 2000);
  EXPECT_GT(count(still, {705, 780, 450, 540}, isGreen), 2000);
  EXPECT_GT(count(third, {705, 780, 200, 300}, yellow), 2000);
  EXPECT_EQ(count(third, {705, 780, 450, 540}, yellow), 0) << "the empty part is only faintly tinted";
  EXPECT_EQ(count(low, {705, 780, 240, 540}, red), 0) << "a tenth fills 39 of 390 pixels";
  EXPECT_GT(count(low, {705, 780, 175, 195}, red), 100);
  // In a wide window the dial stays under the speed digits (x 705 of 800)
  // instead of sliding towards the middle, and the scene camera is kept.
  project(2.0);
  EXPECT_GT(count(drawHud(0.0f, 100.0f), below, isNeedle), 40);
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[0], 1.0 / (2.0 * std::tan(22.5 * 3.14159265358979 / 180.0)), 1e-6);
}

TEST_F(FontGlTest, SplitOverlaysSitInTheirHalvesAndLeaveTheStateTheSceneExpects) {
  project(2.666);
  glViewport(0, kHeight / 2, kWidth, kHeight / 2);
  const Frame f = drawHud(0.0f, 100.0f, 1);
  int stray = 0;
  EXPECT_GT(count(f, {600, kWidth, kHeight / 2, kHeight}, isGreen, &stray), 1000);
  EXPECT_EQ(stray, 0);
  EXPECT_GT(count(f, {600, kWidth, kHeight / 2, kHeight}, isNeedle), 20);
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(std::make_tuple(active, glIsEnabled(GL_DEPTH_TEST), glIsEnabled(GL_BLEND)),
            std::make_tuple(GL_TEXTURE0, GLboolean{GL_TRUE}, GLboolean{GL_FALSE}));
  for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
    glActiveTexture(unit);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  }
  glActiveTexture(GL_TEXTURE0);
  // The HUD pictures clamp so the turned needle never wraps; textures loaded
  // afterwards repeat again.
  ASSERT_GE(textures_->size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    GLint wrap[2] = {0, 0};
    glBindTexture(GL_TEXTURE_2D, (*textures_)[i]->getId());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap[1]);
    EXPECT_TRUE(wrap[0] == GL_CLAMP_TO_EDGE && wrap[1] == GL_CLAMP_TO_EDGE) << i;
  }
  EXPECT_EQ(textureSettings().wrapS, kTexRepeat);
}

}  // namespace
}  // namespace vorn
