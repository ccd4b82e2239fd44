// The world's GL layer on Xvfb with the generated data; every pass puts the GL
// state back. Leaves terrain_view.bmp and terrain_shadows.bmp.
#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "assets/bmp_codec.h"
#include "assets/model_set.h"
#include "base/error_log.h"
#include "support/gl_window.h"
#include "world/object_shadows_gl.h"
#include "world/world.h"
#include "world_test_util.h"

namespace vorn {
namespace {

constexpr int kWidth = 640, kHeight = 480;
// A flat course 40 x 60 points at height 10: 2 x 4 shadow tiles of 1000 x 750 units.
constexpr int kGridW = 40, kGridH = 60;
constexpr float kGround = 10.0f;

VornVector unit(float x, float y, float z) { return VornVector(x, y, z).normalized(); }

// The window's pixels (texture 0), or the texture's texels and the texture deleted.
VornImage pixels(unsigned texture = 0) {
  GLint size[2] = {kWidth, kHeight};
  glBindTexture(GL_TEXTURE_2D, texture);
  if (texture) glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
  if (texture) glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
  VornImage image;
  image.reset(size[0], size[1], kImageRGB, kImageRGB);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (texture) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
  if (!texture) glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
  glDeleteTextures(1, &texture);  // unbinds it
  return image;
}

// The texel `dx`, `dz` from (1000, 1500) of a texture spread over the flat course.
int texel(const VornImage& t, float dx, float dz) {
  const size_t s = static_cast<size_t>((1000 + dx) / (kGridW * 50.0f) * t.width);
  return t.pixels[(static_cast<size_t>((1500 + dz) / (kGridH * 50.0f) * t.height) * t.width + s) * 3];
}

// The state the game's drawing relies on, by name: what every pass must put back.
using GlState = std::map<std::string, std::array<float, 16>>;
GlState glState() {
  GlState s;
  const std::pair<const char*, GLenum> values[] = {
      {"lighting", GL_LIGHTING}, {"blend", GL_BLEND}, {"alpha test", GL_ALPHA_TEST}, {"culling", GL_CULL_FACE},
      {"depth test", GL_DEPTH_TEST}, {"vertex array", GL_VERTEX_ARRAY}, {"colour array", GL_COLOR_ARRAY},
      {"active unit", GL_ACTIVE_TEXTURE}, {"framebuffer", GL_FRAMEBUFFER_BINDING}, {"viewport", GL_VIEWPORT},
      {"array buffer", GL_ARRAY_BUFFER_BINDING}, {"alpha function", GL_ALPHA_TEST_FUNC},
      {"depth writes", GL_DEPTH_WRITEMASK}, {"projection", GL_PROJECTION_MATRIX},
      {"clear colour", GL_COLOR_CLEAR_VALUE}};
  for (const auto& [name, what] : values) glGetFloatv(what, s[name].data());
  glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, s["texture environment"].data());
  // Unit 0 last: it is the one left active.
  for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3, GL_TEXTURE4, GL_TEXTURE0}) {
    glActiveTexture(unit);
    s["unit " + std::to_string(unit - GL_TEXTURE0)][0] = glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_TEXTURE_GEN_S);
  }
  EXPECT_EQ(GL_NO_ERROR, glGetError());
  return s;
}

// The names whose values differ from the expected ones.
std::string changedFrom(const GlState& expected) {
  std::string changed;
  for (const auto& [name, value] : glState()) changed += expected.at(name) == value ? "" : name + " ";
  return changed;
}

class WorldGlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(test::openTestWindow("vorn world test", kWidth, kHeight));
    testDir_ = std::filesystem::current_path().string();
    setErrorLogPath(testDir_ + "/world_gl_err.txt");
    std::remove(errorLogPath().c_str());
    ASSERT_EQ(0, chdir(VORN_TEST_DATA_ROOT));
    VornTexture::setLinear();
    VornTexture::enableMipmaps();
    set_ = std::make_unique<VornModelSet>();
    for (int step = 2; step <= 10; ++step) set_->runLoadingStep(step, textures);
    ASSERT_EQ(set_->models.size(), static_cast<size_t>(kModelCount));
    ASSERT_EQ("", test::readText(errorLogPath()));
    const std::vector<uint8_t> map = test::sgiVerbatim(
        std::vector<std::vector<uint8_t>>(kGridH, std::vector<uint8_t>(kGridW, static_cast<uint8_t>(kGround))));
    ASSERT_EQ(0, flat_.loadRGBFromBytes(map.data(), map.size(), "flat.rgb"));
  }
  static void TearDownTestSuite() {
    set_.reset();
    textures.clear();
  }
  // The game's fixed state (and its odd global alpha function), which the
  // drawing and the bakes must leave as they found it.
  void SetUp() override {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0.45f, 0.65f, 0.95f, 1.0f);
    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0}) glEnable(cap);
    glDepthFunc(GL_LEQUAL);
    glAlphaFunc(GL_EQUAL, 0.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  }
  void TearDown() override { allowShadowFramebuffers(true); }
  // The world seen from high over the start, looking down the track to the
  // split; saved as `name` in the test folder.
  static VornImage frame(VornWorld& world, const char* name) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    const VornVector s = world.startPosition();
    gluLookAt(s.x + 60.0f, s.y + 220.0f, s.z - 120.0f, s.x - 250.0f, s.y - 150.0f, s.z + 1000.0f, 0.0, 1.0, 0.0);
    world.draw();
    const VornImage image = pixels();
    saveBMP((testDir_ + "/" + name).c_str(), image);
    return image;
  }

  static inline std::string testDir_;
  static inline VornTextureCache textures;
  static inline std::unique_ptr<VornModelSet> set_;
  static inline VornTerrain flat_;
};

// The shipped course loads without a report. Its objects stand on the game's
// own ten models: every key-coloured pixel of the image (read here by the
// texture reader) stands one object of its kind with its box, each drawn per
// view through its model's action instances until the world goes. The grass
// shows on the ground; the shadow pass multiplies the objects' baked shadows in.
TEST_F(WorldGlTest, ShippedCourseStandsItsObjectsAndDrawsShadedGroundWithTheirShadows) {
  auto world = std::make_unique<VornWorld>("data/maps/twin_paths.rgb", textures, set_->models, set_->tables);
  ASSERT_TRUE(world->usable());
  EXPECT_EQ("", test::readText(errorLogPath()));
  const std::string bytes = test::readText("data/maps/twin_paths.bmp");
  VornImage placement;
  std::string detail;
  ASSERT_TRUE(decodeBMP(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "p", placement, detail));
  std::array<size_t, kModelCount> expected{}, placed{};
  for (const VornAddObject& kind : world->kinds()) {
    ASSERT_TRUE(kind.scanned && kind.modelIndex >= 0 && kind.modelIndex < kModelCount) << kind.modelPath;
    EXPECT_EQ(kind.modelPath, kModelTable[kind.modelIndex].path);
    const uint8_t key[3] = {kind.red, kind.green, kind.blue};
    for (size_t i = 0; i < placement.pixels.size(); i += 3)
      expected[kind.modelIndex] += (key[0] | key[1] | key[2]) && std::equal(key, key + 3, &placement.pixels[i]);
  }
  const VornTerrain& terrain = world->terrain();
  const float sx = terrain.scale().x, sz = terrain.scale().z;
  VornActionObject* tree = nullptr;
  for (const auto& object : world->objects()) {
    ASSERT_TRUE(object->modelIndex >= 0 && object->modelIndex < kModelCount);
    ++placed[object->modelIndex];
    if (!tree && object->modelIndex == kModelTree) tree = object.get();
    const VornVector& p = object->position;
    EXPECT_TRUE(object->hasBox() && p.x >= -sx && p.x <= terrain.width() * sx && p.z >= -sz &&
                p.z <= terrain.height() * sz) << "with its box on the grid: " << p.x << "," << p.z;
  }
  EXPECT_EQ(placed, expected);
  for (int m = 0; m < kModelCount; ++m) ASSERT_EQ(set_->models[m]->actionInstances.size(), placed[m]) << m;
  // The first tree as its model draws it.
  ASSERT_NE(tree, nullptr) << "the course has trees";
  const VornPlacedInstance* drawn = set_->models[kModelTree]->actionInstances.front();
  tree->visible[1] = 0;
  EXPECT_TRUE(drawn->modelMatrix() == tree->modelMatrix() && drawn->visibleInView(0) && !drawn->visibleInView(1));

  // The ground leaves lighting off for what is drawn after it, nothing else
  // changed, with or without the shadow texture.
  GlState afterGround = glState();
  afterGround["lighting"] = {};
  const VornImage image = frame(*world, "terrain_view.bmp");
  EXPECT_EQ("", changedFrom(afterGround));
  int greenish = 0;
  for (size_t i = 0; i < image.pixels.size(); i += 3)
    greenish += image.pixels[i + 1] > image.pixels[i] + 15 && image.pixels[i + 1] > image.pixels[i + 2];
  EXPECT_GT(greenish, 400) << "the grass on the ridge shows";
  const unsigned baked = createShadowTexture(set_->models, world->objects(), unit(0, 1, -1), terrain, kWidth, kHeight);
  ASSERT_NE(0u, baked);
  world->setShadowTexture(baked);
  const VornImage withObjects = frame(*world, "terrain_shadows.bmp");
  EXPECT_EQ("", changedFrom(afterGround));
  // The pass multiplies the bake in: no pixel brightens, none darkens below its 0.7 grey.
  int darker = 0, wrong = 0;
  for (size_t i = 0; i < withObjects.pixels.size(); ++i) {
    darker += withObjects.pixels[i] + 20 < image.pixels[i];
    wrong += withObjects.pixels[i] > image.pixels[i] + 2 || withObjects.pixels[i] + 3 < image.pixels[i] * 0.69f;
  }
  EXPECT_TRUE(darker > 1500 && wrong == 0) << darker << " darker, " << wrong << " wrong";
  // The separate shadow pass (drivers without a fifth unit) gives the same ground.
  setenv("VORN_TERRAIN_SHADOW_PASS", "1", 1);
  const VornImage twoPasses = frame(*world, "terrain_shadows.bmp");
  unsetenv("VORN_TERRAIN_SHADOW_PASS");
  EXPECT_EQ("", changedFrom(afterGround));
  for (size_t i = 0; i < twoPasses.pixels.size(); ++i) ASSERT_NEAR(twoPasses.pixels[i], withObjects.pixels[i], 2) << i;
  glDeleteTextures(1, &baked);
  world.reset();
  for (const auto& model : set_->models) EXPECT_TRUE(model->actionInstances.empty());
}

// A slim pillar standing on the seam of the tiles under four lights and both targets.
TEST_F(WorldGlTest, BakedGreyLandsWhereTheLightThrowsItAndTheStateIsKept) {
  // The pillar's stone is a textured mesh: under the game's alpha function
  // (equal to 0) a naive alpha test would cast nothing.
  const VornObject& model = *set_->models[kModelPillar];
  bool textured = false;
  for (const auto& part : model.parts)
    for (const auto& g : part->groups) textured |= g.material && g.material->map1Group != 0;
  ASSERT_TRUE(textured);
  // On the seam of tile columns (x = 1000) and tile rows (z = 1500), turned
  // upright as the object map turns them, its box's foot on the ground; its
  // box's top above the ground and its half width.
  VornTransform t;
  t.setScale(0.1f);
  t.rotateX(-90.0f);
  float foot = 1e9f, top = -1e9f, half = 0.0f;
  for (const VornVector& p : modelBoxCorners(model, t.modelMatrix())) foot = std::min(foot, p.y);
  t.setPosition(1000.0f, kGround - foot, 1500.0f);
  const ShadowCaster pillar{kModelPillar, kGround, t.modelMatrix()};
  for (const VornVector& p : modelBoxCorners(model, pillar.modelMatrix)) {
    top = std::max(top, p.y - kGround);
    half = std::max({half, std::fabs(p.x - 1000.0f), std::fabs(p.z - 1500.0f)});
  }
  ASSERT_TRUE(top > 4.0f * half && top + half < 700.0f) << "a slim pillar";

  const GlState before = glState();
  // dx, dz: the shadow's direction per unit of height (none: look beside it).
  const struct { bool framebuffer; VornVector light; float dx, dz; bool falls; } cases[] = {
      {true, unit(0, 1, -1), 0, 1, true}, {true, VornVector(0, 1, 0), 0, 1, false}, {true, unit(1, 1, 0), -1, 0, true},
      {false, unit(0, 1, -1), 0, 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.framebuffer << " light " << c.light.x << "," << c.light.y << "," << c.light.z);
    allowShadowFramebuffers(c.framebuffer);
    const unsigned texture = createShadowTexture(set_->models, {pillar}, c.light, flat_, kWidth, kHeight);
    ASSERT_NE(0u, texture);
    // The window holds 256-texel tiles only; the framebuffer 512.
    const VornImage s = pixels(texture);
    EXPECT_TRUE(s.width == (c.framebuffer ? 1024 : 512) && s.height == (c.framebuffer ? 2048 : 1024)) << s.width;
    // The foot (both sides of both seams) and the middle of the shadow are
    // grey, 0.7 of white; nothing on the side of the light, beyond the
    // shadow's end nor far away.
    for (const float fx : {-0.4f, 0.4f})
      for (const float fz : {-0.4f, 0.4f}) EXPECT_NEAR(178, texel(s, fx * half, fz * half), 3) << fx << fz;
    const auto along = [&](float d) { return texel(s, c.dx * d, c.dz * d); };
    EXPECT_NEAR(c.falls ? 178 : 255, along(0.5f * top), 3);
    EXPECT_EQ(255, along(-half - 30.0f)) << "on the light's side";
    EXPECT_TRUE(along(top + half + 30.0f) == 255 && texel(s, -700, -1200) == 255);
    EXPECT_EQ("", changedFrom(before));
  }
  // Sunk to half its height, the pillar's buried half throws nothing
  // (flattened, it would fall towards the light).
  ShadowCaster sunk = pillar;
  sunk.modelMatrix[13] -= 0.5f * top;
  const VornImage s = pixels(createShadowTexture(set_->models, {sunk}, unit(0, 1, -1), flat_, kWidth, kHeight));
  EXPECT_TRUE(std::abs(178 - texel(s, 0, 0.25f * top)) <= 3 && texel(s, 0, -half - 0.25f * top) == 255);
  // A light at the horizon bakes nothing.
  EXPECT_EQ(0u, createShadowTexture(set_->models, {pillar}, VornVector(1, 0, 0), flat_, kWidth, kHeight));
}

// The beer's shadow image, and two bottles as the game stands them, their
// meshes drawn from straight above onto a white picture, the second one's
// flag off.
TEST_F(WorldGlTest, BeerImageAndBottleMeshesDarkenTheGround) {
  // Straight down (x to the right, z downwards) from the height at which the
  // window spans x 690 to 810 of the ground.
  glLoadIdentity();
  gluLookAt(750, kGround + 45 / std::tan(M_PI / 8), 700, 750, 0, 700, 0, 0, -1);
  glClearColor(1, 1, 1, 1);
  const GlState before = glState();
  const unsigned image = makeShadowImage(*set_->models[kModelBeer], kWidth, kHeight);
  ASSERT_NE(0u, image);
  EXPECT_EQ("", changedFrom(before));
  std::vector<VornShadowMesh> meshes;
  for (float x : {720.0f, 780.0f}) {
    VornTransform bottle;
    bottle.rotateLocalX(-70.0f);
    bottle.setScale(0.1f);
    bottle.setPosition(x, kGround + 11.5f, 700.0f);
    std::string log;
    meshes.push_back(makeProjectionShadow(*set_->models[kModelBeer], bottle, unit(0, 1, 1), flat_, log));
    ASSERT_FALSE(meshes.back().empty()) << log;
  }
  uploadShadowMeshes(meshes);
  EXPECT_NE(0u, meshes[0].buffer);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawShadowMeshes(meshes, {1, 0}, image);
  EXPECT_EQ("", changedFrom(before));
  const VornImage drawn = pixels();
  // Dark pixels over x from x0 to x1 on the light's side (z > 700, the lower
  // half) or away from it.
  auto darkIn = [&](float x0, float x1, bool lightSide) {
    int dark = 0;
    for (int y = lightSide ? 0 : kHeight / 2; y < (lightSide ? kHeight / 2 : kHeight); ++y)
      for (int x = static_cast<int>((x0 - 690) / 120 * kWidth); x < (x1 - 690) / 120 * kWidth; ++x)
        dark += drawn.pixels[(static_cast<size_t>(y) * kWidth + x) * 3] < 200;
    return dark;
  };
  EXPECT_GT(darkIn(700, 740, false), 200) << "the first bottle's shadow falls away from the light";
  EXPECT_EQ(0, darkIn(690, 810, true) + darkIn(760, 800, false)) << "the second one is flagged off";
  releaseShadowMeshes(meshes);
  EXPECT_EQ(0u, meshes[0].buffer);
  const VornImage t = pixels(image);
  ASSERT_TRUE(t.width == 512 && t.height == 512);
  int grey = 0;
  for (size_t i = 0; i < t.pixels.size(); i += 3) grey += t.pixels[i] < 200;
  EXPECT_TRUE(grey > 512 * 512 / 100 && grey < 512 * 512 / 2) << "the bottle on a white ground";
  for (int corner : {0, 511 * 3, 511 * 512 * 3, (512 * 512 - 1) * 3}) EXPECT_EQ(255, t.pixels[corner]);
}

}  // namespace
}  // namespace vorn
