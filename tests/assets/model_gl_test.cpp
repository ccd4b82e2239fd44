// Models on a real (Xvfb, Mesa) context: hand-made and generated files loaded
// into buffers, drawn through the model pass and read back as pixels.
#include "assets/model.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <tuple>

#include "assets/assets_test_util.h"
#include "assets/material_gl.h"
#include "assets/model_set.h"
#include "base/error_log.h"
#include "support/gl_window.h"

namespace vorn {
namespace {

using namespace test::tds;
using test::Bytes;
using test::readText;

constexpr int kSize = 128;

// Stands in for a placed object or an animated one.
struct Instance : VornPlacedInstance, VornAnimatedInstance {
  VornMatrix matrix;
  bool views[2] = {true, true};
  float frame = 0.0f;
  const float* modelMatrix() const override { return matrix.data(); }
  bool visibleInView(int view) const override { return views[view]; }
  float animationFrame() const override { return frame; }
};

class ModelGl : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(test::openTestWindow("model test", kSize, kSize)); }

  void SetUp() override {
    char pattern[] = "/tmp/vorn_models_gl_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    setErrorLogPath(dir_ + "/err.txt");
    setTextureCache(&textures_);
    glViewport(0, 0, kSize, kSize);
    glClearColor(0, 0, 0, 0);
    for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHT0, GL_CULL_FACE}) glEnable(cap);
  }

  void TearDown() override {
    setTextureCache(nullptr);
    setErrorLogPath("err.txt");
  }

  // Looks at the origin from +z over a box of half-width `half`, draws, and
  // returns the window's pixels.
  template <typename Draw>
  static std::vector<uint8_t> drawn(float half, Draw draw) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-half, half, -half, half, -10 * half, 10 * half);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    draw();
    std::vector<uint8_t> rgb(kSize * kSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  }
  static bool at(const std::vector<uint8_t>& rgb, int x, int y) {
    const uint8_t* p = &rgb[(y * kSize + x) * 3];
    return p[0] || p[1] || p[2];
  }

  std::string dir_;
  VornTextureCache textures_;
  VornModelTables tables_;
};

// A square of side 2 in the z = 0 plane around (x, y), facing +z, one
// material; `animated` adds a node moving it 0.5 along x over frames 0 to 10.
void writeSquare(const std::string& path, const std::string& materialName, float x, float y, bool animated = false) {
  const std::vector<float> xyz{x - 1, y - 1, 0, x + 1, y - 1, 0, x + 1, y + 1, 0, x - 1, y + 1, 0};
  const Bytes node = chunk(0xB002, chunks({nodeHeader("Square", -1), track(0xB020, {{0, 0, 0, 0}, {10, 0.5f, 0, 0}})}));
  const Bytes bytes = file(chunks({material(materialName, 255, 0, 0),
                                   object("Square", xyz, {0, 1, 2, 0, 2, 3}, faceGroup(materialName, {0, 1}))}),
                           animated ? node : Bytes());
  ASSERT_TRUE(test::writeBytes(path, bytes.data));
}

// Two files with an equal material share one entry and one display list;
// each view draws only the instances visible in it, where they stand; an
// animated instance is centred on its bounds and posed by its node.
TEST_F(ModelGl, SquaresShareMaterialsAndDrawPerViewWhereTheyStand) {
  writeSquare("a.3DS", "Red", 0, 0);
  writeSquare("b.3DS", "Red", 3, 3, true);
  VornObject still, moving;
  ASSERT_EQ(still.load3ds("a.3DS", textures_, tables_) + moving.load3ds("b.3DS", textures_, tables_), 0);
  const VornMaterial* red = findMaterialByName(tables_.materials, "Red");
  EXPECT_EQ(tables_.materials.size(), 2u);  // "Red" once, and "default"
  EXPECT_TRUE(glIsList(red->displayList));
  EXPECT_EQ(std::make_tuple(red->parts.size(), still.faceCount, still.texCoordBuffer), std::make_tuple(2u, 2u, 0u));

  Instance sides[2];  // left seen in view 0 only, right in view 1 only
  for (int i = 0; i < 2; ++i) {
    sides[i].matrix.translate(i ? 0.5f : -0.5f, 0, 0);
    sides[i].matrix.scale(0.4f, 0.4f, 0.4f);
    sides[i].views[1 - i] = false;
  }
  still.placedInstances = {&sides[0], &sides[1]};
  for (int view = 0; view < 2; ++view) {
    SCOPED_TRACE(view);
    const auto lit = drawn(1.0f, [&] { drawModelPass(tables_, view); });
    const int own = view == 0 ? kSize / 4 : 3 * kSize / 4;
    EXPECT_EQ(lit[(kSize / 2 * kSize + own) * 3], 255);  // its own square: red, lit head-on
    EXPECT_FALSE(at(lit, kSize - own, kSize / 2) || at(lit, kSize / 2, kSize / 2) || at(lit, 2, 2));
  }
  still.placedInstances.clear();

  ASSERT_NE(moving.parts[0]->node, nullptr);
  Instance a;
  a.matrix.scale(0.5f, 0.5f, 0.5f);
  moving.animatedInstances.push_back(&a);
  auto lit = drawn(1.0f, [&] { drawModelPass(tables_); });
  EXPECT_TRUE(at(lit, kSize / 2, kSize / 2) && !at(lit, kSize - 20, kSize / 2)) << "centred on its bounds";
  a.frame = 10.0f;  // moved by 0.5 model units, a quarter of the view
  lit = drawn(1.0f, [&] { drawModelPass(tables_); });
  EXPECT_TRUE(at(lit, kSize / 2 + kSize / 4 + 4, kSize / 2) && !at(lit, kSize / 4 + 4, kSize / 2));
  EXPECT_TRUE(glGetError() == GL_NO_ERROR && readText(dir_ + "/err.txt").empty());
}

// The shipped models, loaded as the game loads them: each drawn alone covers
// part of the view (not empty, not a smear) and leaves the GL state as found;
// each player's cow carries its two riders, and the keys start their clips.
TEST_F(ModelGl, GeneratedModelsDrawAloneAndTheCowCarriesItsRiders) {
  ASSERT_EQ(chdir(VORN_TEST_DATA_ROOT), 0);
  VornModelSet set;
  for (int step = 2; step <= 10; ++step) set.runLoadingStep(step, textures_);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  EXPECT_EQ(readText(dir_ + "/err.txt"), "");
  int overlays = 0;
  for (const auto& m : set.tables.materials) overlays += m->hasOverlay && m->overlayTexture > 0;
  EXPECT_GT(overlays, 0);
  glEnable(GL_TEXTURE_2D);
  for (int i = 0; i < kModelCount; ++i) {
    SCOPED_TRACE(kModelTable[i].path);
    VornObject& m = *set.model(i);
    Instance instance;  // scenery: the file's z up becomes the view's up; creatures: their backs (-z) up
    instance.matrix.rotate(kModelTable[i].isStatic ? -70 : 70, 1, 0, 0);
    if (kModelTable[i].isStatic) m.placedInstances = {&instance};
    if (!kModelTable[i].isStatic) m.animatedInstances = {&instance};
    const VornVector size = m.boundsMax - m.boundsMin;
    const auto lit = drawn(0.6f * std::fmax(std::fmax(size.x, size.y), size.z), [&] { set.drawModels(0); });
    double covered = 0.0;
    for (int p = 0; p < kSize * kSize; ++p) covered += at(lit, p % kSize, p / kSize) / double(kSize * kSize);
    EXPECT_TRUE(covered > 0.03 && covered < 0.9) << covered;
    // After the overlay materials (the tree's cut-out leaves) the state is back.
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && !glIsEnabled(GL_ALPHA_TEST) && unit == GL_TEXTURE0_ARB);
    m.placedInstances.clear();
    m.animatedInstances.clear();
  }

  VornPlayer body, horn, head;
  set.attachPlayer(&body, &horn, &head);
  ASSERT_EQ(set.model(kModelRiderHorn)->animatedInstances.size() + set.model(kModelRiderHead)->animatedInstances.size(),
            2u);
  ASSERT_TRUE(horn.clips->size() >= 4 && head.clips->size() >= 2);
  EXPECT_TRUE(set.animationKeyDown(115) && horn.sequence == kRiderWaveClip);  // "s": the horn rider's clip 0, player 1
  EXPECT_FALSE(set.animationKeyUp(115, false));  // released in a split race: nothing
  EXPECT_TRUE(set.animationKeyUp(115, true) && horn.sequence == kRiderReleaseClip);
  set.startHornAnimation(0);
  EXPECT_EQ(std::make_pair(horn.sequence, head.sequence), std::make_pair(kRiderHornClip, kHeadHornClip));
  set.startHornAnimation(1);  // no second player: ignored
  const float before = horn.frame;
  set.advanceAnimations(0.5f);
  EXPECT_TRUE(horn.frame != before && glGetError() == GL_NO_ERROR);
}

}  // namespace
}  // namespace vorn
