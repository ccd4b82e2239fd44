// Models on a real (Xvfb, Mesa) context: node transforms against the matrices
// OpenGL builds itself, loading hand-made and generated files into buffers,
// drawing them through the model pass and reading the pixels back.
#include "assets/model.h"

#include <GL/glew.h>
#include <GL/glut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/error_log.h"
#include "assets/material_gl.h"
#include "assets/model_bytes.h"
#include "assets/model_set.h"

namespace vorn {
namespace {

constexpr int kSize = 128;
constexpr float kPi = 3.14159265f;

struct Placed : VornPlacedInstance {
  VornMatrix matrix;
  bool views[2] = {true, true};
  const float* modelMatrix() const override { return matrix.data(); }
  bool visibleInView(int view) const override { return views[view]; }
};

struct Animated : VornAnimatedInstance {
  VornMatrix matrix;
  float frame = 0.0f;
  const float* modelMatrix() const override { return matrix.data(); }
  float animationFrame() const override { return frame; }
};

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeBytes(const std::string& path, const test3ds::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class ModelGlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "vorn_models_gl_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowSize(kSize, kSize);
    glutCreateWindow("model test");
    ASSERT_EQ(glewInit(), static_cast<GLenum>(GLEW_OK));
  }

  void SetUp() override {
    char pattern[] = "/tmp/vorn_models_gl_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    home_ = cwd;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    setErrorLogPath(dir_ + "/err.txt");
    setTextureCache(&textures_);
    glViewport(0, 0, kSize, kSize);
    glClearColor(0, 0, 0, 0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
  }

  void TearDown() override {
    setTextureCache(nullptr);
    setErrorLogPath("err.txt");
    ASSERT_EQ(chdir(home_.c_str()), 0);
  }

  // Looks at the origin from +z with a box of half-width `half`.
  static void camera(float half) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-half, half, -half, half, -10 * half, 10 * half);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  }

  static std::vector<uint8_t> pixels() {
    std::vector<uint8_t> rgb(kSize * kSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  }

  static bool lit(const std::vector<uint8_t>& rgb, int x, int y) {
    const uint8_t* p = &rgb[(y * kSize + x) * 3];
    return p[0] || p[1] || p[2];
  }

  static double coverage(const std::vector<uint8_t>& rgb) {
    int n = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) n += lit(rgb, x, y);
    return static_cast<double>(n) / (kSize * kSize);
  }

  // A binary PPM beside the test binary, to look at.
  void screenshot(const std::string& name, const std::vector<uint8_t>& rgb) const {
    std::ofstream out(home_ + "/" + name + ".ppm", std::ios::binary);
    out << "P6\n" << kSize << " " << kSize << "\n255\n";
    for (int y = kSize - 1; y >= 0; --y) out.write(reinterpret_cast<const char*>(&rgb[y * kSize * 3]), kSize * 3);
  }

  std::string dir_;
  std::string home_;
  VornTextureCache textures_;
  VornModelTables tables_;
};

// A unit square (two triangles) in the z = 0 plane, facing +z, one material.
test3ds::Bytes squareFile(const std::string& material, uint8_t r, uint8_t g, uint8_t b) {
  using namespace test3ds;
  const std::vector<float> xyz{-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
  return file(chunks({test3ds::material(material, r, g, b),
                      object("Square", xyz, {0, 1, 2, 0, 2, 3}, faceGroup(material, {0, 1}))}));
}

TEST_F(ModelGlTest, NodeTransformsEqualTheMatricesOpenGlBuilds) {
  VornKeyNode parent, child;
  const float p0[3] = {1, 2, 3}, p1[3] = {5, -2, 0};
  parent.addPositionKey(p0, 0);
  parent.addPositionKey(p1, 10);
  const float r0[4] = {0.3f, 0, 0, 2}, r1[4] = {-0.8f, 1, 1, 0};  // axes not of unit length
  parent.addRotationKey(r0, 0);
  parent.addRotationKey(r1, 10);
  parent.finishRotationTrack();
  const float s0[3] = {1, 2, 1}, s1[3] = {3, 1, 1};
  child.addScaleKey(s0, 0);
  child.addScaleKey(s1, 8);
  const float c0[3] = {0, 4, 0};
  child.addPositionKey(c0, 0);
  child.setPivot(VornVector(0.5f, 0.25f, -1));
  child.parent = &parent;

  const float deg0 = -0.3f * 180 / kPi, deg1 = 0.8f * 180 / kPi;
  glMatrixMode(GL_MODELVIEW);
  // Frame 4: parent between its keys (s = 0.4), child's scale at s = 0.5.
  glLoadIdentity();
  glTranslatef(0.4f * 5 + 0.6f * 1, 0.4f * -2 + 0.6f * 2, 0.4f * 0 + 0.6f * 3);
  glRotatef(0.4f * deg1, 1, 1, 0);
  glRotatef(deg0, 0, 0, 2);
  glTranslatef(0, 4, 0);
  glScalef(2, 1.5f, 1);
  glTranslatef(-0.5f, -0.25f, 1);
  float expected[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, expected);
  VornMatrix mine;
  child.evaluate(4.0f, mine);
  child.applyPivot(mine);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(mine.m[i], expected[i], 1e-4) << "frame 4, element " << i;

  // Frame 12: past every key; the parent holds its accumulated orientation.
  glLoadIdentity();
  glTranslatef(5, -2, 0);
  glRotatef(deg1, 1, 1, 0);
  glRotatef(deg0, 0, 0, 2);
  glTranslatef(0, 4, 0);
  glScalef(3, 1, 1);
  glGetFloatv(GL_MODELVIEW_MATRIX, expected);
  VornMatrix late;
  child.evaluate(12.0f, late);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(late.m[i], expected[i], 1e-4) << "frame 12, element " << i;
}

TEST_F(ModelGlTest, LoadsASquareIntoBuffersAndDrawsItWhereItStands) {
  writeBytes("square.3DS", squareFile("Red", 255, 0, 0));
  VornObject model;
  ASSERT_EQ(model.load3ds("square.3DS", textures_, tables_), 0);
  EXPECT_EQ(model.faceCount, 2u);
  EXPECT_NE(model.vertexBuffer, 0u);
  EXPECT_NE(model.normalBuffer, 0u);
  EXPECT_EQ(model.texCoordBuffer, 0u);  // nothing textured
  Placed placed;
  placed.matrix.scale(0.5f, 0.5f, 0.5f);  // covers the middle half of the view
  model.placedInstances.push_back(&placed);
  camera(1.0f);
  drawModelPass(tables_);
  const auto rgb = pixels();
  screenshot("model_square", rgb);
  EXPECT_TRUE(lit(rgb, kSize / 2, kSize / 2));
  EXPECT_TRUE(lit(rgb, kSize / 4 + 2, kSize / 4 + 2));
  EXPECT_FALSE(lit(rgb, kSize / 4 - 3, kSize / 2));
  EXPECT_FALSE(lit(rgb, 2, 2));
  EXPECT_EQ(rgb[(kSize / 2 * kSize + kSize / 2) * 3], 255);  // red diffuse, lit head-on

  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(readText(dir_ + "/err.txt"), "");
  EXPECT_NE(readText("3ds.txt").find("square.3DS"), std::string::npos);
}

TEST_F(ModelGlTest, EachViewDrawsOnlyTheInstancesVisibleInIt) {
  writeBytes("square.3DS", squareFile("Green", 0, 255, 0));
  VornObject model;
  ASSERT_EQ(model.load3ds("square.3DS", textures_, tables_), 0);
  Placed left, right;
  left.matrix.translate(-0.5f, 0, 0);
  left.matrix.scale(0.4f, 0.4f, 0.4f);
  left.views[1] = false;
  right.matrix.translate(0.5f, 0, 0);
  right.matrix.scale(0.4f, 0.4f, 0.4f);
  right.views[0] = false;
  model.placedInstances = {&left, &right};
  camera(1.0f);
  drawModelPass(tables_, 0);
  auto rgb = pixels();
  EXPECT_TRUE(lit(rgb, kSize / 4, kSize / 2));
  EXPECT_FALSE(lit(rgb, 3 * kSize / 4, kSize / 2));
  camera(1.0f);
  drawModelPass(tables_, 1);
  rgb = pixels();
  EXPECT_FALSE(lit(rgb, kSize / 4, kSize / 2));
  EXPECT_TRUE(lit(rgb, 3 * kSize / 4, kSize / 2));
  // Without instances nothing is drawn, though the material is visited.
  model.placedInstances.clear();
  camera(1.0f);
  drawModelPass(tables_, 0);
  EXPECT_EQ(coverage(pixels()), 0.0);
}

TEST_F(ModelGlTest, AnimatedInstancesAreCentredAndPosedByTheirNodes) {
  using namespace test3ds;
  const std::vector<float> xyz{2, 2, 0, 4, 2, 0, 4, 4, 0, 2, 4, 0};  // centre (3, 3, 0)
  const Bytes node = chunk(0xB002, chunks({nodeHeader("Square", -1), track(0xB020, {{0, 0, 0, 0}, {10, 0.5f, 0, 0}})}));
  writeBytes("moving.3DS", file(chunks({material("Blue", 0, 0, 255),
                                        object("Square", xyz, {0, 1, 2, 0, 2, 3}, faceGroup("Blue", {0, 1}))}),
                                node));
  VornObject model;
  ASSERT_EQ(model.load3ds("moving.3DS", textures_, tables_), 0);
  ASSERT_NE(model.parts[0]->node, nullptr);
  Animated a;
  a.matrix.scale(0.5f, 0.5f, 0.5f);
  model.animatedInstances.push_back(&a);
  camera(1.0f);
  drawModelPass(tables_);
  auto rgb = pixels();
  EXPECT_TRUE(lit(rgb, kSize / 2, kSize / 2));  // centred on its bounds
  EXPECT_FALSE(lit(rgb, kSize - 20, kSize / 2));
  a.frame = 10.0f;  // moved by 0.5 model units, a quarter of the view
  camera(1.0f);
  drawModelPass(tables_);
  rgb = pixels();
  EXPECT_TRUE(lit(rgb, kSize / 2 + kSize / 4 + 4, kSize / 2));
  EXPECT_FALSE(lit(rgb, kSize / 4 + 4, kSize / 2));
}

// bindArrays leaves the last buffer it pointed an array at bound; a skipped
// bind leaves whatever was bound before.
TEST_F(ModelGlTest, ConsecutiveGroupsOfOneModelBindItsBuffersOnce) {
  writeBytes("a.3DS", squareFile("A", 255, 0, 0));
  writeBytes("b.3DS", squareFile("B", 0, 0, 255));
  VornObject a, b;
  ASSERT_EQ(a.load3ds("a.3DS", textures_, tables_), 0);
  ASSERT_EQ(b.load3ds("b.3DS", textures_, tables_), 0);
  EXPECT_NE(a.serial, b.serial);
  Placed placed;
  a.placedInstances.push_back(&placed);
  b.placedInstances.push_back(&placed);
  const VornObjectPart& pa = *a.parts[0];
  const VornObjectPart& pb = *b.parts[0];
  auto bound = [] {
    GLint name = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING_ARB, &name);
    return static_cast<GLuint>(name);
  };
  camera(1.0f);
  VornObject::resetBoundObject();
  a.drawGroup(pa, pa.groups[0].start);
  EXPECT_EQ(bound(), a.normalBuffer);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  a.drawGroup(pa, pa.groups[0].start);
  EXPECT_EQ(bound(), 0u);  // same model: not bound again
  b.drawGroup(pb, pb.groups[0].start);
  EXPECT_EQ(bound(), b.normalBuffer);
  a.drawGroup(pa, pa.groups[0].start);
  EXPECT_EQ(bound(), a.normalBuffer);  // another model in between: bound again
  VornObject::resetBoundObject();
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  a.drawGroup(pa, pa.groups[0].start);
  EXPECT_EQ(bound(), a.normalBuffer);  // a new frame's pass binds again
}

TEST_F(ModelGlTest, EqualMaterialsOfTwoModelsShareOneEntryAndOneList) {
  writeBytes("a.3DS", squareFile("Shared", 10, 20, 30));
  writeBytes("b.3DS", squareFile("Shared", 10, 20, 30));
  VornModelList models;
  EXPECT_EQ(findOrLoadModel("a.3DS", models, textures_, tables_), 0);
  EXPECT_EQ(findOrLoadModel("b.3DS", models, textures_, tables_), 1);
  EXPECT_EQ(findOrLoadModel("a.3DS", models, textures_, tables_), 0);
  int shared = 0;
  for (const auto& m : tables_.materials) shared += m->name == "Shared";
  ASSERT_EQ(shared, 1);
  const VornMaterial* m = findMaterialByName(tables_.materials, "Shared");
  EXPECT_NE(m->displayList, 0u);
  EXPECT_TRUE(glIsList(m->displayList));
  EXPECT_EQ(m->parts.size(), 2u);
  EXPECT_EQ(tables_.untexturedMaterials.size(), 2u);  // "Shared" and "default"
  EXPECT_TRUE(models[0]->parts[0]->matrixReady);
}

TEST_F(ModelGlTest, MissingAndDamagedFilesAreReportedAndDrawSafely) {
  VornObject missing;
  EXPECT_EQ(missing.load3ds("data/models/none.3DS", textures_, tables_), 1);
  EXPECT_EQ(readText(dir_ + "/err.txt"), "Error VornObject::load3dsdata/models/none.3DS\n\tfile not found\n");
  test3ds::Bytes bad = squareFile("Grey", 90, 90, 90);
  bad.b.resize(bad.size() - 5);
  writeBytes("bad.3DS", bad);
  VornObject damaged;
  EXPECT_EQ(damaged.load3ds("bad.3DS", textures_, tables_), 0);
  EXPECT_NE(readText(dir_ + "/err.txt").find("damaged file bad.3DS"), std::string::npos);
  Placed placed;
  damaged.placedInstances.push_back(&placed);
  missing.placedInstances.push_back(&placed);
  camera(1.0f);
  drawModelPass(tables_);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelGlTest, GhostIsAYellowTranslucentSilhouette) {
  writeBytes("ghost.3DS", squareFile("Grey", 90, 90, 90));
  VornObject ghost;
  ASSERT_EQ(ghost.load3ds("ghost.3DS", textures_, tables_), 0);
  camera(1.0f);
  // The quad is drawn with the identity model-view, as in the game's camera.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.0, 1.0, 100.0);
  glMatrixMode(GL_MODELVIEW);
  VornMatrix at;
  at.translate(0, 0, -5);
  ghost.drawGhost(at.data());
  const auto rgb = pixels();
  screenshot("model_ghost", rgb);
  const uint8_t* centre = &rgb[(kSize / 2 * kSize + kSize / 2) * 3];
  EXPECT_NEAR(centre[0], 102, 3);  // 0.4 of full yellow over black
  EXPECT_NEAR(centre[1], 102, 3);
  EXPECT_EQ(centre[2], 0);
  EXPECT_FALSE(lit(rgb, 2, 2));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
}

// Every generated model drawn alone from a fixed camera covers part of the
// view: not empty, not a smear over all of it.
TEST_F(ModelGlTest, EveryGeneratedModelDrawsAlone) {
  const std::string root = VORN_TEST_DATA_ROOT;
  if (readText(root + "/data/models/tree.3DS").empty()) GTEST_SKIP() << "no generated models in " << root;
  ASSERT_EQ(chdir(root.c_str()), 0);
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
    EXPECT_GT(m.faceCount, 100u);
    const float half = 0.6f * std::fmax(std::fmax(m.boundsMax.x - m.boundsMin.x, m.boundsMax.y - m.boundsMin.y),
                                         m.boundsMax.z - m.boundsMin.z);
    Placed placed;
    Animated animated;
    placed.matrix.rotate(-70, 1, 0, 0);   // scenery: the file's z up becomes the view's up
    animated.matrix.rotate(70, 1, 0, 0);  // creatures: their backs (-z) up
    if (kModelTable[i].isStatic) {
      m.placedInstances.push_back(&placed);
    } else {
      m.animatedInstances.push_back(&animated);
    }
    camera(half);
    set.drawModels(0);
    const auto rgb = pixels();
    screenshot("model_" + std::to_string(i), rgb);
    const double covered = coverage(rgb);
    EXPECT_GT(covered, 0.03);
    EXPECT_LT(covered, 0.9);
    // After the overlay materials (the tree's cut-out leaves) the state is back.
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0_ARB);
    m.placedInstances.clear();
    m.animatedInstances.clear();
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The start of a race: each player's cow carries its two riders, and the keys
// start the riders' clips.
TEST_F(ModelGlTest, CowCarriesItsRidersAndTheKeysStartTheirClips) {
  const std::string root = VORN_TEST_DATA_ROOT;
  if (readText(root + "/data/models/cow_without_ht.3DS").empty()) GTEST_SKIP() << "no generated models";
  ASSERT_EQ(chdir(root.c_str()), 0);
  VornModelSet set;
  for (int step = 2; step <= 10; ++step) set.runLoadingStep(step, textures_);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  VornPlayer body, horn, head;
  body.modelTransform.rotateX(70);
  set.attachPlayer(&body, &horn, &head);
  ASSERT_EQ(set.model(kModelRiderHorn)->animatedInstances.size(), 1u);
  EXPECT_EQ(horn.clips, set.clips(kModelRiderHorn));
  ASSERT_GE(horn.clips->size(), 4u);
  ASSERT_GE(head.clips->size(), 2u);

  const VornObject& cow = *set.model(kModelCow);
  const float half = 0.6f * std::fmax(cow.boundsMax.x - cow.boundsMin.x, cow.boundsMax.z - cow.boundsMin.z);
  glEnable(GL_TEXTURE_2D);
  camera(half);
  set.drawModels(0);
  const auto withRiders = pixels();
  screenshot("model_cow_riders", withRiders);
  auto riders = set.model(kModelRiderHorn)->animatedInstances;
  set.model(kModelRiderHorn)->animatedInstances.clear();
  set.model(kModelRiderHead)->animatedInstances.clear();
  camera(half);
  set.drawModels(0);
  const double cowAlone = coverage(pixels());
  EXPECT_GT(coverage(withRiders), cowAlone + 0.01);
  set.model(kModelRiderHorn)->animatedInstances = riders;

  EXPECT_TRUE(set.animationKeyDown(115));  // "s": clip 0 of the horn rider, player 1
  EXPECT_EQ(horn.animating, 1);
  EXPECT_EQ(horn.sequence, kRiderWaveClip);
  EXPECT_FALSE(set.animationKeyUp(115, false));  // released in a split race: nothing
  EXPECT_TRUE(set.animationKeyUp(115, true));
  EXPECT_EQ(horn.sequence, kRiderReleaseClip);
  set.startHornAnimation(0);
  EXPECT_EQ(horn.sequence, kRiderHornClip);
  EXPECT_EQ(head.sequence, kHeadHornClip);
  set.startHornAnimation(1);  // no second player: ignored
  const float before = horn.frame;
  set.advanceAnimations(0.5f);
  EXPECT_NE(horn.frame, before);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace vorn
