// The projected shadows on a real (Xvfb, Mesa) context with the generated
// models: pillars and a tree baked into the shadow texture on a flat,
// non-square course (the grey lands where the light says, across tile seams,
// in a framebuffer object and in the window alike, cut out by the tree's
// overlay, buried parts left out, the GL state put back), the beer's shadow
// image, the bottle meshes multiplied into the picture, and the shipped course
// with its baked shadows (leaves shadow_texture.bmp, shadow_top.bmp,
// shadow_race.bmp, shadow_back.bmp and shadow_closeup.bmp in the test folder).
#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>

#include "assets/bmp_codec.h"
#include "assets/material_gl.h"
#include "base/error_log.h"
#include "support/gl_window.h"
#include "support/test_bytes.h"
#include "world/object_shadows_gl.h"
#include "world/world.h"
#include "world/world_test_util.h"

namespace vorn {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
const std::string kDataRoot = VORN_TEST_DATA_ROOT;
// A flat course 40 x 60 points at height 10: 2 x 4 tiles of 1000 x 750 units.
constexpr int kGridW = 40;
constexpr int kGridH = 60;
constexpr float kGround = 10.0f;

VornVector unit(float x, float y, float z) {
  VornVector v(x, y, z);
  v.normalize();
  return v;
}

struct Texels {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  // The texel over world (x, z) of a texture spread over the whole grid.
  int at(float x, float z) const {
    const int s = static_cast<int>(x / (kGridW * 50.0f) * width);
    const int t = static_cast<int>(z / (kGridH * 50.0f) * height);
    return rgb[(static_cast<size_t>(t) * width + s) * 3];
  }
  int greyCount() const {
    int n = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) n += rgb[i] < 200;
    return n;
  }
};

Texels readTexture(unsigned texture) {
  Texels t;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
  t.rgb.resize(static_cast<size_t>(t.width) * t.height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, t.rgb.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return t;
}

VornImage screen() {
  VornImage image;
  image.reset(kWidth, kHeight, kImageRGB, kImageRGB);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
  return image;
}

const uint8_t* pixel(const VornImage& image, int x, int y) {
  return &image.pixels[(static_cast<size_t>(y) * image.width + x) * 3];
}

// The game's fixed state (and its odd global alpha function), which the
// bakes must leave as they found it.
void gameState() {
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.3333, 1.0, 2000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glDisable(GL_BLEND);
  glAlphaFunc(GL_EQUAL, 0.0f);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

class ObjectShadowsGlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(test::openTestWindow("vorn shadow test", kWidth, kHeight));
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    testDir_ = cwd;
    setErrorLogPath(testDir_ + "/object_shadows_gl_err.txt");
    std::remove(errorLogPath().c_str());
    ASSERT_EQ(0, chdir(kDataRoot.c_str()));
    VornTexture::setLinear();
    VornTexture::enableMipmaps();
    pillar_ = findOrLoadModel("data/models/saeule.3DS", models_, textures_, tables_);
    tree_ = findOrLoadModel("data/models/tree.3DS", models_, textures_, tables_);
    beer_ = findOrLoadModel("data/models/booze.3DS", models_, textures_, tables_);
    ASSERT_EQ("", test::readText(errorLogPath()));
    std::vector<std::vector<uint8_t>> rows(kGridH, std::vector<uint8_t>(kGridW, static_cast<uint8_t>(kGround)));
    const std::vector<uint8_t> map = test::sgiVerbatim(rows);
    ASSERT_EQ(0, flat_.loadRGBFromBytes(map.data(), map.size(), "flat.rgb"));
    ASSERT_EQ(0, chdir(testDir_.c_str()));
  }
  static void TearDownTestSuite() {
    models_.clear();
    textures_.clear();
  }
  void SetUp() override { gameState(); }
  void TearDown() override { allowShadowFramebuffers(true); }

  // A model standing on the flat ground at (x, z): turned upright as the
  // object map turns them, scaled, its box's foot on the ground.
  static ShadowCaster standing(int model, float x, float z, float scale) {
    VornTransform t;
    t.setScale(scale);
    t.rotateX(-90.0f);
    t.setPosition(x, kGround, z);
    float foot = 1e9f;
    for (const VornVector& p : modelBoxCorners(*models_[model], t.modelMatrix())) foot = std::min(foot, p.y);
    t.setPosition(x, 2.0f * kGround - foot, z);
    return {model, kGround, t.modelMatrix()};
  }
  // Height of a caster's box top above the ground and the box's half width.
  static void extent(const ShadowCaster& c, float& top, float& half) {
    top = -1e9f;
    half = 0.0f;
    const VornVector at(c.modelMatrix[12], 0, c.modelMatrix[14]);
    for (const VornVector& p : modelBoxCorners(*models_[c.modelIndex], c.modelMatrix)) {
      top = std::max(top, p.y - kGround);
      half = std::max({half, std::fabs(p.x - at.x), std::fabs(p.z - at.z)});
    }
  }

  static inline std::string testDir_;
  static inline VornTextureCache textures_;
  static inline VornModelList models_;
  static inline VornModelTables tables_;
  static inline VornTerrain flat_;
  static inline int pillar_ = -1, tree_ = -1, beer_ = -1;
};

TEST_F(ObjectShadowsGlTest, BakedGreyLandsWhereTheLightThrowsItAndTheStateIsKept) {
  // The pillar's stone is a textured mesh: under the game's alpha function
  // (equal to 0) a naive alpha test would cast nothing.
  bool textured = false;
  for (const auto& part : models_[pillar_]->parts) {
    for (const auto& g : part->groups) textured |= g.material && g.material->map1Group != 0;
  }
  ASSERT_TRUE(textured);
  // On the seam of tile columns (x = 1000) and tile rows (z = 1500).
  const ShadowCaster pillar = standing(pillar_, 1000.0f, 1500.0f, 0.1f);
  float top = 0.0f, half = 0.0f;
  extent(pillar, top, half);
  ASSERT_GT(top, 4.0f * half) << "a slim pillar";
  ASSERT_LT(top + half, 700.0f);

  GLfloat projection[16], projectionAfter[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  struct Case {
    bool framebuffer;
    VornVector light;
    float shadowX, shadowZ;  // the shadow's direction per unit of height
  } cases[] = {
      {true, unit(0, 1, -1), 0.0f, 1.0f},  {true, VornVector(0, 1, 0), 0.0f, 0.0f},
      {true, unit(1, 1, 0), -1.0f, 0.0f},  {false, unit(0, 1, -1), 0.0f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.framebuffer ? "framebuffer" : "window") << " light " << c.light.x << ","
                                    << c.light.y << "," << c.light.z);
    allowShadowFramebuffers(c.framebuffer);
    const unsigned texture = createShadowTexture(models_, {pillar}, c.light, flat_, kWidth, kHeight);
    ASSERT_NE(0u, texture);
    // The window holds 256-texel tiles only; the framebuffer 512.
    const Texels t = readTexture(texture);
    EXPECT_EQ(c.framebuffer ? 1024 : 512, t.width);
    EXPECT_EQ(c.framebuffer ? 2048 : 1024, t.height);
    // Along the shadow (beside the pillar for a vertical light).
    const bool falls = c.shadowX != 0.0f || c.shadowZ != 0.0f;
    const float dx = falls ? c.shadowX : 0.0f, dz = falls ? c.shadowZ : 1.0f;
    // The foot (both sides of both seams) and the middle of the shadow are
    // grey, 0.7 of white.
    for (float fx : {-0.4f, 0.4f}) {
      for (float fz : {-0.4f, 0.4f}) {
        EXPECT_NEAR(178, t.at(1000 + fx * half, 1500 + fz * half), 3) << fx << "," << fz;
      }
    }
    const float mid = 0.5f * top;
    EXPECT_NEAR(falls ? 178 : 255, t.at(1000 + dx * mid, 1500 + dz * mid), 3);
    // Nothing on the side of the light, nor beyond the shadow's end.
    const float clear = half + 30.0f;
    EXPECT_EQ(255, t.at(1000 - dx * clear, 1500 - dz * clear));
    EXPECT_EQ(255, t.at(1000 + dx * (top + clear), 1500 + dz * (top + clear)));
    EXPECT_EQ(255, t.at(300, 300));
    glDeleteTextures(1, &texture);

    // Everything as it was.
    GLint viewport[4], framebuffer = -1, buffer = -1, alphaFunc = 0, envMode = 0, active = 0;
    GLfloat clearColour[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::array<GLint, 4>{0, 0, kWidth, kHeight}), (std::array<GLint, 4>{viewport[0], viewport[1],
                                                                                   viewport[2], viewport[3]}));
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(projection[i], projectionAfter[i]) << i;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    EXPECT_EQ(0.0f, clearColour[0] + clearColour[1] + clearColour[2]);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(0, framebuffer);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    EXPECT_EQ(0, buffer);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunc);
    EXPECT_EQ(GL_EQUAL, alphaFunc);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(GL_MODULATE, envMode);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(GL_TEXTURE0, active);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_CULL_FACE) &&
                glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST) || glIsEnabled(GL_BLEND) || glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_EQ(GL_NO_ERROR, glGetError());
  }
  // Sunk to half its height, the pillar's buried half throws nothing
  // (flattened, it would fall towards the light).
  ShadowCaster sunk = pillar;
  sunk.modelMatrix[13] -= 0.5f * top;
  const unsigned texture = createShadowTexture(models_, {sunk}, unit(0, 1, -1), flat_, kWidth, kHeight);
  const Texels t = readTexture(texture);
  EXPECT_NEAR(178, t.at(1000, 1500 + 0.25f * top), 3);
  EXPECT_EQ(255, t.at(1000, 1500 - half - 0.25f * top));
  glDeleteTextures(1, &texture);
  // A light at the horizon bakes nothing.
  EXPECT_EQ(0u, createShadowTexture(models_, {pillar}, VornVector(1, 0, 0), flat_, kWidth, kHeight));
}

TEST_F(ObjectShadowsGlTest, TreeNeedlesCastCutOutShadows) {
  std::vector<VornMaterial*> overlays;
  for (const auto& m : tables_.materials) {
    if (m->hasOverlay) overlays.push_back(m.get());
  }
  ASSERT_FALSE(overlays.empty()) << "the tree's needles carry a mask";
  const std::vector<ShadowCaster> trees = {standing(tree_, 500, 500, 0.085f), standing(tree_, 1500, 2200, 0.085f)};
  auto grey = [&] {
    const unsigned texture = createShadowTexture(models_, trees, unit(0, 1, -1), flat_, kWidth, kHeight);
    const int n = readTexture(texture).greyCount();
    glDeleteTextures(1, &texture);
    return n;
  };
  const int cut = grey();
  for (VornMaterial* m : overlays) m->hasOverlay = false;
  const int solid = grey();
  for (VornMaterial* m : overlays) m->hasOverlay = true;
  EXPECT_GT(cut, 1000) << "the tree casts a shadow";
  EXPECT_LT(cut, solid * 9 / 10) << "the mask's gaps let light through";
}

TEST_F(ObjectShadowsGlTest, BeerImageAndBottleMeshesDarkenTheGround) {
  const unsigned image = makeShadowImage(*models_[beer_], kWidth, kHeight);
  ASSERT_NE(0u, image);
  const Texels t = readTexture(image);
  ASSERT_EQ(512, t.width);
  ASSERT_EQ(512, t.height);
  const int grey = t.greyCount();
  EXPECT_GT(grey, 512 * 512 / 100) << "the bottle shows";
  EXPECT_LT(grey, 512 * 512 / 2) << "on a white ground";
  for (int corner : {0, 511 * 3, 511 * 512 * 3, (512 * 512 - 1) * 3}) EXPECT_EQ(255, t.rgb[corner]);
  VornImage picture;
  picture.reset(512, 512, kImageRGB, kImageRGB);
  picture.pixels = t.rgb;
  saveBMP((testDir_ + "/beer_shadow_image.bmp").c_str(), picture);

  // Two bottles as the game stands them, their meshes drawn from straight
  // above onto a white picture; the second one's flag is off.
  std::vector<VornShadowMesh> meshes;
  for (float x : {720.0f, 780.0f}) {
    VornTransform bottle;
    bottle.rotateLocalX(-70.0f);
    bottle.setScale(0.1f);
    bottle.setPosition(x, kGround + 11.5f, 700.0f);
    std::string log;
    meshes.push_back(makeProjectionShadow(*models_[beer_], bottle, unit(0, 1, 1), flat_, log));
    ASSERT_FALSE(meshes.back().empty()) << log;
  }
  uploadShadowMeshes(meshes);
  EXPECT_NE(0u, meshes[0].buffer);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-60.0, 60.0, -45.0, 45.0, 1.0, 1000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(750, 500, 700, 750, 0, 700, 0, 0, -1);  // x to the right, z downwards
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawShadowMeshes(meshes, {1, 0}, image);
  glFinish();
  const VornImage drawn = screen();
  saveBMP((testDir_ + "/beer_shadow_meshes.bmp").c_str(), drawn);
  auto darkIn = [&](float x0, float x1) {
    int dark = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = static_cast<int>((x0 - 690) / 120 * kWidth); x < (x1 - 690) / 120 * kWidth; ++x) {
        dark += pixel(drawn, x, y)[0] < 200;
      }
    }
    return dark;
  };
  EXPECT_GT(darkIn(700, 740), 200) << "the first bottle's shadow";
  EXPECT_EQ(0, darkIn(760, 800)) << "the second one is flagged off";
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(GL_NO_ERROR, glGetError());
  releaseShadowMeshes(meshes);
  EXPECT_EQ(0u, meshes[0].buffer);
  glDeleteTextures(1, &image);
}

// The shipped course with its objects: the baked shadows darken the ground
// beside the trees. The pictures are for looking at.
TEST_F(ObjectShadowsGlTest, ShippedCourseShowsItsBakedShadows) {
  ASSERT_EQ(0, chdir(kDataRoot.c_str()));
  VornWorld world("data/maps/twin_paths.rgb", textures_, models_, tables_);
  ASSERT_EQ(0, chdir(testDir_.c_str()));
  ASSERT_TRUE(world.usable());
  ASSERT_FALSE(world.objects().empty());
  const unsigned texture = createShadowTexture(models_, world.objects(), unit(0, 1, -1), world.terrain(), kWidth,
                                               kHeight);
  ASSERT_NE(0u, texture);
  {
    const Texels baked = readTexture(texture);
    VornImage picture;
    picture.reset(static_cast<uint32_t>(baked.width), static_cast<uint32_t>(baked.height), kImageRGB, kImageRGB);
    picture.pixels = baked.rgb;
    saveBMP((testDir_ + "/shadow_texture.bmp").c_str(), picture);
  }
  setTextureCache(&textures_);
  const GLfloat light[4] = {0.0f, 0.70710677f, -0.70710677f, 0.0f};
  auto render = [&](bool shadows, const VornVector& eye, const VornVector& look, bool top) {
    world.setShadowTexture(shadows ? texture : 0);
    glClearColor(0.45f, 0.65f, 0.95f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (top) {
      // The whole course, z (down the track) to the right, x upwards.
      const double half = 0.55 * world.terrain().width() * 50.0;
      glOrtho(-half * kWidth / kHeight, half * kWidth / kHeight, -half, half, 1.0, 5000.0);
    } else {
      gluPerspective(45.0, 1.3333, 1.0, 2000.0);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, look.x, look.y, look.z, top ? 1.0 : 0.0, top ? 0.0 : 1.0, 0.0);
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glEnable(GL_LIGHTING);
    drawModelPass(tables_);
    world.draw();
    glFinish();
    return screen();
  };
  const float w = world.terrain().width() * 50.0f, h = world.terrain().height() * 50.0f;
  // From above: the start on the left, the finish on the right.
  const VornVector above(0.5f * w, 3000.0f, 0.5f * h), centre(0.5f * w, 0.0f, 0.5f * h);
  const VornImage plainTop = render(false, above, centre, true);
  const VornImage top = render(true, above, centre, true);
  saveBMP((testDir_ + "/shadow_top.bmp").c_str(), top);
  int darker = 0;
  for (size_t i = 0; i < top.pixels.size(); i += 3) darker += top.pixels[i] + 20 < plainTop.pixels[i];
  EXPECT_GT(darker, 500) << "the shadows show from above";
  const VornVector start = world.startPosition();
  const VornImage race = render(true, start + VornVector(0, 60, -120), start + VornVector(0, 0, 400), false);
  saveBMP((testDir_ + "/shadow_race.bmp").c_str(), race);
  // Looking back up the track: the shadows fall towards the viewer.
  const VornVector back = start + VornVector(-200.0f, 90.0f, 1500.0f);
  saveBMP((testDir_ + "/shadow_back.bmp").c_str(), render(true, back, back + VornVector(0, -80, -400), false));
  // Straight down, close over the first object: z to the right, x upwards.
  const VornVector at = world.objects().front()->transform.position();
  world.setShadowTexture(texture);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-80.0, 80.0, -60.0, 60.0, 1.0, 5000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(at.x, at.y + 1000, at.z, at.x, at.y, at.z, 1.0, 0.0, 0.0);
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  drawModelPass(tables_);
  world.draw();
  glFinish();
  saveBMP((testDir_ + "/shadow_closeup.bmp").c_str(), screen());
  setTextureCache(nullptr);
  world.setShadowTexture(0);
  glDeleteTextures(1, &texture);
  EXPECT_EQ(GL_NO_ERROR, glGetError());
}

}  // namespace
}  // namespace vorn
