// The shadow pass on a real (Xvfb, Mesa) context: the generated cow above a
// grey floor, seen from high up and from inside its own shadow, through both
// stencil paths.
#include "assets/shadow_volume.h"
#include "assets/shadow_volume_gl.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "support/gl_window.h"

namespace vorn {
namespace {

constexpr int kSize = 96;

struct Cow : VornAnimatedInstance {
  VornMatrix matrix;
  const float* modelMatrix() const override { return matrix.data(); }
  float animationFrame() const override { return 0.0f; }
};

// The state the pass touches, as numbers, to compare before and after.
std::vector<float> stateSnapshot() {
  std::vector<float> s;
  for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_BLEND,
                     GL_STENCIL_TEST_TWO_SIDE_EXT, GL_DEPTH_CLAMP}) {
    s.push_back(glIsEnabled(cap));
  }
  for (GLenum name : {GL_DEPTH_WRITEMASK, GL_DEPTH_FUNC, GL_FRONT_FACE, GL_CULL_FACE_MODE, GL_BLEND_SRC, GL_BLEND_DST,
                      GL_STENCIL_FUNC, GL_STENCIL_REF, GL_STENCIL_PASS_DEPTH_PASS, GL_STENCIL_PASS_DEPTH_FAIL,
                      GL_ACTIVE_STENCIL_FACE_EXT, GL_COLOR_WRITEMASK, GL_CURRENT_COLOR, GL_MODELVIEW_MATRIX}) {
    float v[16] = {};
    glGetFloatv(name, v);
    s.insert(s.end(), v, v + 16);
  }
  return s;
}

// The 0.8 grey floor (204) lies 70 % as bright in the cow's shadow with the
// pass, untouched far beside it. On the two-sided path the eye is high above
// with the light from +x (depth-pass counting; the shadow falls 2.5 to -x,
// pixel column 27, clear of the cow, which the test does not draw); on the
// two-pass path it is under the belly with the light straight above, inside
// the shadow (depth-fail with caps; depth-pass would lose the shadow). The
// pass leaves the GL state as it found it.
TEST(ShadowVolumeGl, CowDarkensTheFloorBelowOnBothPathsAndRestoresTheState) {
  ASSERT_TRUE(test::openTestWindow("shadow test", kSize, kSize));
  ASSERT_EQ(chdir(VORN_TEST_DATA_ROOT), 0);
  VornTextureCache textures;
  VornModelTables tables;
  VornModelList models(7);
  models[0] = std::make_unique<VornObject>();
  ASSERT_EQ(models[0]->load3ds("data/models/cow_without_ht.3DS", textures, tables), 0);
  calcBrothers(*models[0]);
  const VornVector extent = models[0]->boundsMax - models[0]->boundsMin;
  const float scale = 2.0f / std::max({extent.x, extent.y, extent.z});
  Cow cow;  // about 2 long, its back up, its belly over y = 2
  cow.matrix.translate(0, 2.5f, 0);
  cow.matrix.rotate(90, 1, 0, 0);
  cow.matrix.scale(scale, scale, scale);
  models[0]->animatedInstances.push_back(&cow);
  const struct { bool twoPass; float eyeY, nearPlane, lightX; int probeX; } views[] = {
      {false, 14.0f, 1.0f, 1.0f, 27}, {true, 1.2f, 0.1f, 0.0f, kSize / 2}};
  for (const auto& v : views) {
    SCOPED_TRACE(v.twoPass ? "two-pass, inside" : "two-sided, above");
    setenv("VORN_STENCIL_TWO_PASS", v.twoPass ? "1" : "0", 1);
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, v.nearPlane, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, v.eyeY, 0, 0, 0, 0, 0, 0, -1);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_LIGHTING);
    glColor3f(0.8f, 0.8f, 0.8f);
    glBegin(GL_QUADS);  // the floor, facing up
    for (const auto& [x, z] : {std::pair{-50.0f, -50.0f}, {-50.0f, 50.0f}, {50.0f, 50.0f}, {50.0f, -50.0f}})
      glVertex3f(x, 0, z);
    glEnd();
    for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE}) glEnable(cap);
    const std::vector<float> before = stateSnapshot();
    const float light[4] = {v.lightX, 1, 0, 0}, reach[1] = {kShadowExtrusion};
    drawShadows(models, light, reach, 1, true, false);
    EXPECT_EQ(stateSnapshot(), before);
    for (GLenum cap : {GL_TEXTURE_2D, GL_CULL_FACE}) glDisable(cap);
    std::vector<uint8_t> rgb(kSize * kSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    EXPECT_NEAR(rgb[(kSize / 2 * kSize + v.probeX) * 3], 143, 2);
    EXPECT_TRUE(v.twoPass || rgb[(2 * kSize + 2) * 3] == 204) << "the floor far beside the shadow";
  }
  unsetenv("VORN_STENCIL_TWO_PASS");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace vorn
