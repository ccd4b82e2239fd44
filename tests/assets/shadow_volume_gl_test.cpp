// The shadow pass on a real (Xvfb, Mesa) context: the generated cow above a
// grey floor, lit from straight above, seen from high up and from inside its
// own shadow, through both stencil paths.
#include "assets/shadow_volume.h"
#include "assets/shadow_volume_gl.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
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

// Saved only when VORN_TEST_PICTURES names a folder, as binary PPM.
void savePicture(const std::vector<uint8_t>& rgb, const std::string& name) {
  const char* dir = std::getenv("VORN_TEST_PICTURES");
  if (!dir) return;
  std::FILE* f = std::fopen((std::string(dir) + "/" + name + ".ppm").c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6 %d %d 255\n", kSize, kSize);
  for (int y = kSize - 1; y >= 0; --y) std::fwrite(&rgb[y * kSize * 3], 1, kSize * 3, f);
  std::fclose(f);
}

// The floor lies 70 % as bright in the cow's shadow with the pass, untouched
// far beside it, whether the eye is high above (depth-pass counting) or inside
// the shadow (depth-fail with caps; depth-pass would lose the shadow), on
// both stencil paths; the pass leaves the GL state as it found it.
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
  std::printf("two-sided stencil: %d, depth clamp: %d\n", GLEW_EXT_stencil_two_side, GLEW_ARB_depth_clamp);

  // From above with the light from +x the shadow falls 2.5 to -x (pixel
  // column 27, clear of the cow, which the test does not draw); from under
  // the belly with the light straight above the eye is inside the shadow.
  const struct {
    const char* name;
    float eyeY, nearPlane, lightX;
    int probeX;
  } views[] = {{"above", 14.0f, 1.0f, 1.0f, 27}, {"inside", 1.2f, 0.1f, 0.0f, kSize / 2}};
  for (const bool twoPass : {false, true}) {
    setenv("VORN_STENCIL_TWO_PASS", twoPass ? "1" : "0", 1);
    for (const auto& v : views) {
      const std::string name = std::string(v.name) + (twoPass ? "_two_pass" : "_two_sided");
      SCOPED_TRACE(name);
      std::vector<uint8_t> rgb[2];
      for (int pass = 0; pass < 2; ++pass) {
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
        glVertex3f(-50, 0, -50);
        glVertex3f(-50, 0, 50);
        glVertex3f(50, 0, 50);
        glVertex3f(50, 0, -50);
        glEnd();
        glEnable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_CULL_FACE);
        const std::vector<float> before = stateSnapshot();
        const float light[4] = {v.lightX, 1, 0, 0};
        const float reach[1] = {kShadowExtrusion};
        if (pass == 1) drawShadows(models, light, reach, 1, true, false);
        EXPECT_EQ(stateSnapshot(), before);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        rgb[pass].resize(kSize * kSize * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb[pass].data());
      }
      savePicture(rgb[1], name);
      const int probe = (kSize / 2 * kSize + v.probeX) * 3, corner = (2 * kSize + 2) * 3;
      EXPECT_EQ(rgb[0][probe], 204);
      EXPECT_NEAR(rgb[1][probe], 143, 2);
      if (v.eyeY > 5) {
        EXPECT_EQ(rgb[1][corner], 204);
      }
    }
  }
  unsetenv("VORN_STENCIL_TWO_PASS");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace vorn
