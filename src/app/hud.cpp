#include "app/hud.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include "app/font.h"

namespace vorn {
namespace {

constexpr float kSingleOffsetX = 6.1f;
constexpr float kSplitOffsetX = 13.0f;
constexpr float kOffsetY = -4.3f;
constexpr float kOffsetZ = -13.0f;
// The camera the overlay is placed for: the full 800 x 600 screen.
constexpr double kFieldOfView = 45.0;
constexpr double kScreenAspect = 800.0 / 600.0;
constexpr double kNear = 1.0;
constexpr double kFar = 1000.0;
// The needle's colour, mixed over the dial by the needle picture's brightness.
constexpr GLfloat kNeedleColour[4] = {1.0f, 0.18f, 0.1f, 1.0f};

struct HudImages {
  VornTextureCache* textures = nullptr;
  VornFont* font = nullptr;
  int dial = -1;       // speed.bmp
  int needle = -1;     // speed_o.bmp
  int dialAlpha = -1;  // speed_a.bmp
  int gauge = -1;      // zzz.bmp
  int gaugeMask = -1;  // zzz_o.bmp
};

HudImages& images() {
  static HudImages shared;
  return shared;
}

void bindImage(int index) {
  VornTextureCache* cache = images().textures;
  if (cache != nullptr && index >= 0 && static_cast<size_t>(index) < cache->size() && (*cache)[index]) {
    (*cache)[index]->bind();
  } else {
    glBindTexture(GL_TEXTURE_2D, 0);
  }
}

void useUnit(GLenum unit, int image) {
  glActiveTexture(unit);
  glEnable(GL_TEXTURE_2D);
  bindImage(image);
}

void combine(GLenum rgbMode, GLenum alphaMode) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, rgbMode);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, alphaMode);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
}

void sources(GLenum rgb0, GLenum rgb1, GLenum rgb2, GLenum alpha0, GLenum alpha1) {
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, rgb0);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, rgb1);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, rgb2);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, alpha0);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, alpha1);
}

// The gauge: the mask (unit 0) gives the coverage and slides down by the
// awake level, so only the filled part of the picture (unit 1) shows, in the
// gauge colour.
void drawGauge(float awake) {
  glEnable(GL_BLEND);
  glBlendEquation(GL_FUNC_ADD);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  useUnit(GL_TEXTURE0, images().gaugeMask);
  combine(GL_REPLACE, GL_REPLACE);
  sources(GL_PRIMARY_COLOR, GL_PRIMARY_COLOR, GL_PRIMARY_COLOR, GL_TEXTURE, GL_TEXTURE);
  useUnit(GL_TEXTURE1, images().gauge);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

  const float top = 1.0f - awake / 200.0f;
  const float bottom = 0.5f - awake / 200.0f;
  glBegin(GL_QUADS);
  glMultiTexCoord2f(GL_TEXTURE1, 1.0f, 1.0f);
  glMultiTexCoord2f(GL_TEXTURE0, 1.0f, top);
  glVertex3f(0.8f, 9.0f, 0.0f);
  glMultiTexCoord2f(GL_TEXTURE1, 0.0f, 1.0f);
  glMultiTexCoord2f(GL_TEXTURE0, 0.0f, top);
  glVertex3f(-0.7f, 9.0f, 0.0f);
  glMultiTexCoord2f(GL_TEXTURE1, 0.0f, 0.0f);
  glMultiTexCoord2f(GL_TEXTURE0, 0.0f, bottom);
  glVertex3f(-0.7f, 2.0f, 0.0f);
  glMultiTexCoord2f(GL_TEXTURE1, 1.0f, 0.0f);
  glMultiTexCoord2f(GL_TEXTURE0, 1.0f, bottom);
  glVertex3f(0.8f, 2.0f, 0.0f);
  glEnd();
}

// The speedometer: units 0 and 1 hold the needle picture, unit 1 with its
// coordinates turned by `needle`; its brightness mixes the needle colour over
// the dial (unit 3), and the alpha picture (unit 2) cuts the round dial out.
void drawSpeedometer(const float needle[2][2]) {
  glColor4f(1.0f, 1.0f, 1.0f, 0.0f);  // no coverage of its own: the alpha picture decides
  useUnit(GL_TEXTURE0, images().needle);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  useUnit(GL_TEXTURE1, images().needle);
  combine(GL_REPLACE, GL_REPLACE);
  sources(GL_TEXTURE, GL_TEXTURE, GL_TEXTURE, GL_PREVIOUS, GL_PREVIOUS);
  useUnit(GL_TEXTURE2, images().dialAlpha);
  combine(GL_REPLACE, GL_ADD);
  sources(GL_PREVIOUS, GL_PREVIOUS, GL_PREVIOUS, GL_PRIMARY_COLOR, GL_TEXTURE);
  useUnit(GL_TEXTURE3, images().dial);
  combine(GL_INTERPOLATE, GL_REPLACE);
  sources(GL_CONSTANT, GL_TEXTURE, GL_PREVIOUS, GL_PREVIOUS, GL_PREVIOUS);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, kNeedleColour);

  static constexpr float kCorners[4][2] = {{-1.4f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.4f}, {-1.4f, 1.4f}};
  static constexpr float kOffsets[4][2] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}};
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    const float s = 0.5f + kOffsets[i][0];
    const float t = 0.5f + kOffsets[i][1];
    const float turnedS = 0.5f + needle[0][0] * kOffsets[i][0] + needle[0][1] * kOffsets[i][1];
    const float turnedT = 0.5f + needle[1][0] * kOffsets[i][0] + needle[1][1] * kOffsets[i][1];
    glMultiTexCoord2f(GL_TEXTURE0, s, t);
    glMultiTexCoord2f(GL_TEXTURE1, turnedS, turnedT);
    glMultiTexCoord2f(GL_TEXTURE2, s, t);
    glMultiTexCoord2f(GL_TEXTURE3, s, t);
    glVertex3f(kCorners[i][0], kCorners[i][1], 0.0f);
  }
  glEnd();
}

void restoreState() {
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  for (GLenum unit : {GL_TEXTURE3, GL_TEXTURE2, GL_TEXTURE1}) {
    glActiveTexture(unit);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_TEXTURE_2D);
  }
  glActiveTexture(GL_TEXTURE0);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

}  // namespace

void VornHud::loadHudImages(VornTextureCache& textures, VornFont* font) {
  HudImages& shared = images();
  shared.textures = &textures;
  shared.font = font;
  VornTexture::setClampToEdge();
  shared.dial = findOrLoadTexture("data/textures/speed.bmp", textures);
  shared.needle = loadAlphaTexture("data/textures/speed_o.bmp", textures);
  shared.dialAlpha = loadAlphaTexture("data/textures/speed_a.bmp", textures);
  shared.gauge = loadAlphaTexture("data/textures/zzz.bmp", textures);
  shared.gaugeMask = loadAlphaTexture("data/textures/zzz_o.bmp", textures);
  VornTexture::setRepeat();
}

void VornHud::drawSingle() { draw(kSingleOffsetX, HudView::kSingle); }

void VornHud::drawSplit(int player) {
  draw(kSplitOffsetX, player == 0 ? HudView::kSplitBottom : HudView::kSplitTop);
}

void VornHud::draw(float offsetX, HudView view) {
  // The overlay is laid out for the 800 x 600 screen (half of it in the
  // split race). A window of another shape stretches it like the texts queued
  // below, instead of moving the dial away from its digits.
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluPerspective(kFieldOfView, view == HudView::kSingle ? kScreenAspect : 2.0 * kScreenAspect, kNear, kFar);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_DEPTH_TEST);
  glLoadIdentity();
  glTranslatef(offsetX, kOffsetY, kOffsetZ);
  glDisable(GL_LIGHTING);
  const VornRgb colour = gaugeColor();
  glColor3f(colour.r, colour.g, colour.b);
  drawGauge(awake);
  drawSpeedometer(needle);
  restoreState();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  if (images().font != nullptr) queueTexts(view, *images().font);
}

}  // namespace vorn
