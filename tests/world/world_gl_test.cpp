// The world's drawing on a real (Xvfb, Mesa) context with the generated data:
// the shipped course's shaded ground and shadow pass, the GL state put back,
// the light-map cache recomputed byte for byte; the sky box. (A missing sky
// face and a damaged course are the end-to-end tests' part.)
#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "assets/bmp_codec.h"
#include "assets/model_set.h"
#include "base/error_log.h"
#include "support/gl_window.h"
#include "support/test_bytes.h"
#include "world/sky.h"
#include "world/world.h"

namespace vorn {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
const std::string kDataRoot = VORN_TEST_DATA_ROOT;
const char* kHeightMap = "data/maps/twin_paths.rgb";
const char* kCache = "data/maps/twin_paths_10_4_8_0.00_0.71_-0.71.bmp";

class WorldGlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(test::openTestWindow("vorn world test", kWidth, kHeight));
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    testDir_ = cwd;
    setErrorLogPath(testDir_ + "/world_gl_err.txt");
    // The game's fixed state and texture defaults.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glDepthFunc(GL_LEQUAL);
    VornTexture::setLinear();
    VornTexture::enableMipmaps();
  }
  void SetUp() override {
    std::remove(errorLogPath().c_str());
    ASSERT_EQ(0, chdir(kDataRoot.c_str()));
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0.45f, 0.65f, 0.95f, 1.0f);
  }
  void TearDown() override { ASSERT_EQ(0, chdir(testDir_.c_str())); }

  // The world seen from high over the start, looking down the track to the split.
  static VornImage frame(VornWorld& world) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    const VornVector s = world.startPosition();
    gluLookAt(s.x + 60.0f, s.y + 220.0f, s.z - 120.0f, s.x - 250.0f, s.y - 150.0f, s.z + 1000.0f, 0.0, 1.0, 0.0);
    world.draw();
    glFinish();
    VornImage image;
    image.reset(kWidth, kHeight, kImageRGB, kImageRGB);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    return image;
  }
  static const uint8_t* pixel(const VornImage& image, int x, int y) {
    return &image.pixels[(static_cast<size_t>(y) * image.width + x) * 3];
  }

  static inline std::string testDir_;
  VornTextureCache textures;
};

TEST_F(WorldGlTest, ShippedCourseDrawsTexturedShadedGroundAndTheShadowPassMultiplies) {
  VornWorld world(kHeightMap, textures);
  ASSERT_TRUE(world.usable());
  EXPECT_EQ("", test::readText(errorLogPath())) << "the shipped course loads without a report";
  const VornImage image = frame(world);
  saveBMP((testDir_ + "/terrain_view.bmp").c_str(), image);
  // The lower half of the screen is ground, not the cleared sky.
  double sum = 0.0, sumSquares = 0.0;
  int samples = 0, sky = 0, greenish = 0;
  for (int y = 0; y < kHeight; y += 2) {
    for (int x = 0; x < kWidth; x += 2) {
      const uint8_t* p = pixel(image, x, y);
      greenish += p[1] > p[0] + 15 && p[1] > p[2];
      if (y >= kHeight / 2) continue;
      sky += std::abs(p[0] - 115) < 3 && std::abs(p[1] - 166) < 3 && std::abs(p[2] - 242) < 3;
      const double grey = (p[0] + p[1] + p[2]) / 3.0;
      sum += grey;
      sumSquares += grey * grey;
      ++samples;
    }
  }
  const double mean = sum / samples;
  EXPECT_LT(sky, samples / 50) << "ground covers the lower screen";
  EXPECT_GT(mean, 90.0) << "snow is bright";
  EXPECT_LT(mean, 250.0) << "the light map shades it";
  EXPECT_GT(std::sqrt(sumSquares / samples - mean * mean), 4.0) << "textured and shaded, not a flat colour";
  EXPECT_GT(greenish, 100) << "the grass on the ridge shows";
  // Put back: unit 0 active, lighting and blending off, depth writes on, the
  // other units' texturing off, no arrays left on.
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(GL_TEXTURE0, active);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_BLEND));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
    glActiveTexture(unit);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_TEXTURE_GEN_S)) << unit - GL_TEXTURE0;
  }
  glActiveTexture(GL_TEXTURE0);
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_COLOR_ARRAY));
  EXPECT_EQ(GL_NO_ERROR, glGetError());

  // A mid-grey shadow texture halves every ground pixel.
  GLuint grey = 0;
  const GLubyte half[4] = {128, 128, 128, 255};
  glGenTextures(1, &grey);
  glBindTexture(GL_TEXTURE_2D, grey);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, half);
  world.setShadowTexture(grey);
  const VornImage shaded = frame(world);
  for (int y = 10; y < kHeight / 2; y += 17) {
    for (int x = 10; x < kWidth; x += 23) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(pixel(image, x, y)[k] * 128 / 255, pixel(shaded, x, y)[k], 2) << x << "," << y;
      }
    }
  }
  glDeleteTextures(1, &grey);
}

TEST_F(WorldGlTest, DeletedLightMapCacheIsRecomputedToTheSameFile) {
  // A private copy of the data root without the cache: the world computes
  // the map, uploads it and writes the cache, byte for byte the shipped one.
  const std::string root = testDir_ + "/world_gl_fresh";
  ASSERT_EQ(0, std::system(("rm -rf " + root + " && mkdir -p " + root + "/data/maps && cp " + kDataRoot +
                            "/data/maps/twin_paths.rgb " + kDataRoot + "/data/maps/twin_paths_conv.bmp " + root +
                            "/data/maps/ && ln -s " + kDataRoot + "/data/textures " + root + "/data/textures")
                               .c_str()));
  ASSERT_EQ(0, chdir(root.c_str()));
  EXPECT_TRUE(VornWorld(kHeightMap, textures).usable());
  EXPECT_EQ(test::readText(kDataRoot + "/" + kCache), test::readText(root + "/" + kCache));
  EXPECT_EQ("", test::readText(errorLogPath()));
  std::system(("rm -rf " + root).c_str());
}

// The objects on the game's own ten models. Without the object map and the
// placement image the world is the same, only without objects. With the
// shipped ones every kind is one of the game's models, every key-coloured
// pixel of the image (read here by the texture reader) stands one object of
// its kind on the grid with its box, and each is drawn, per view, through
// its model's action instances until the world goes. Skipped when the
// generated data has no object map yet.
TEST_F(WorldGlTest, ObjectMapPlacesObjectsOnTheGameModels) {
  VornModelSet set;
  for (int step = 2; step <= 10; ++step) set.runLoadingStep(step, textures);
  ASSERT_EQ(set.models.size(), static_cast<size_t>(kModelCount));
  std::remove(errorLogPath().c_str());

  const std::string root = testDir_ + "/world_gl_no_objects";
  ASSERT_EQ(0, std::system(("rm -rf " + root + " && mkdir -p " + root + "/data/maps && cd " + kDataRoot +
                            "/data/maps && cp twin_paths.rgb twin_paths_conv.bmp twin_paths_[0-9]*.bmp " + root +
                            "/data/maps/ && ln -s " + kDataRoot + "/data/textures " + root + "/data/textures")
                               .c_str()));
  ASSERT_EQ(0, chdir(root.c_str()));
  {
    VornWorld bare(kHeightMap, textures, set.models, set.tables);
    EXPECT_TRUE(bare.usable());
    EXPECT_TRUE(bare.kinds().empty() && bare.objects().empty());
  }
  EXPECT_EQ(test::readText(errorLogPath()),
            "Error VornWorld::loadObjects \n\tobjectmap not found: data/maps/twin_paths.txt\n"
            "Error VornWorld::placeObjects \n\tfile not found: data/maps/twin_paths.bmp\n");
  ASSERT_EQ(0, chdir(kDataRoot.c_str()));
  std::system(("rm -rf " + root).c_str());
  std::remove(errorLogPath().c_str());

  const std::string imageBytes = test::readText("data/maps/twin_paths.bmp");
  if (test::readText("data/maps/twin_paths.txt").empty() || imageBytes.empty()) {
    GTEST_SKIP() << "the generated data has no object map or placement image";
  }
  auto world = std::make_unique<VornWorld>(kHeightMap, textures, set.models, set.tables);
  ASSERT_TRUE(world->usable());
  EXPECT_EQ("", test::readText(errorLogPath())) << "the shipped object map and image read without a report";
  EXPECT_EQ(set.models.size(), static_cast<size_t>(kModelCount)) << "every kind is one of the game's models";

  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeBMP(reinterpret_cast<const uint8_t*>(imageBytes.data()), imageBytes.size(), "p", image, detail));
  std::array<size_t, kModelCount> expected{};
  ASSERT_FALSE(world->kinds().empty());
  for (const VornAddObject& kind : world->kinds()) {
    ASSERT_TRUE(kind.scanned) << kind.modelPath;
    ASSERT_GE(kind.modelIndex, 0);
    ASSERT_LT(kind.modelIndex, kModelCount);
    EXPECT_EQ(kind.modelPath, kModelTable[kind.modelIndex].path);
    for (size_t i = 0; i < image.pixels.size(); i += 3) {
      const uint8_t* p = &image.pixels[i];
      expected[kind.modelIndex] += p[0] == kind.red && p[1] == kind.green && p[2] == kind.blue && p[0] + p[1] + p[2] > 0;
    }
  }
  EXPECT_GT(expected[kModelTree], 0u) << "the course has trees";
  const VornTerrain& terrain = world->terrain();
  const float maxX = (terrain.width() - 1) * terrain.scale().x;
  const float maxZ = (terrain.height() - 1) * terrain.scale().z;
  std::array<size_t, kModelCount> placed{};
  for (const auto& object : world->objects()) {
    ASSERT_GE(object->modelIndex, 0);
    ASSERT_LT(object->modelIndex, kModelCount);
    ++placed[object->modelIndex];
    EXPECT_TRUE(object->hasBox());
    const VornVector& p = object->position;
    EXPECT_TRUE(p.x >= -terrain.scale().x && p.x <= maxX + terrain.scale().x && p.z >= -terrain.scale().z &&
                p.z <= maxZ + terrain.scale().z)
        << "on the grid: " << p.x << "," << p.z;
  }
  EXPECT_EQ(placed, expected);
  for (int m = 0; m < kModelCount; ++m) {
    ASSERT_EQ(set.models[m]->actionInstances.size(), placed[m]) << m;
  }
  // The first tree as its model draws it.
  VornActionObject* tree = nullptr;
  for (const auto& object : world->objects()) {
    if (!tree && object->modelIndex == kModelTree) tree = object.get();
  }
  ASSERT_NE(tree, nullptr);
  const VornPlacedInstance* drawn = set.models[kModelTree]->actionInstances.front();
  EXPECT_EQ(drawn->modelMatrix(), tree->modelMatrix());
  tree->visible[1] = 0;
  EXPECT_TRUE(drawn->visibleInView(0));
  EXPECT_FALSE(drawn->visibleInView(1));
  world.reset();
  for (const auto& model : set.models) EXPECT_TRUE(model->actionInstances.empty());
}

// The sky in a square view at 90 degrees, from far off the origin: the cube
// moves along.
TEST_F(WorldGlTest, SkyFacesSurroundTheViewerAndWhatFollowsCoversThem) {
  const VornSky sky("data/textures/sky3/", textures);
  ASSERT_EQ(sky.textureIndices().size(), 6u);
  for (int index : sky.textureIndices()) EXPECT_NE(textures[index]->getId(), 0u);
  EXPECT_EQ("", test::readText(errorLogPath()));
  constexpr int kSize = 256;
  glViewport(0, 0, kSize, kSize);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(90.0, 1.0, 1.0, 2000.0);
  glMatrixMode(GL_MODELVIEW);
  glClearColor(0, 0, 0, 0);
  auto render = [&sky](const VornVector& eye, const VornVector& look) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    const VornVector up = std::fabs(look.y) > 0.9f ? VornVector(0, 0, 1) : VornVector(0, 1, 0);
    gluLookAt(eye.x, eye.y, eye.z, eye.x + look.x, eye.y + look.y, eye.z + look.z, up.x, up.y, up.z);
    sky.draw(eye);
    glFinish();
  };
  auto at = [](int x, int y) {
    std::array<uint8_t, 3> rgb;
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  };
  for (const VornVector& look : {VornVector(0, 0, 1), VornVector(0, 0, -1), VornVector(1, 0, 0),
                                 VornVector(-1, 0, 0), VornVector(0, -1, 0), VornVector(0, 1, 0)}) {
    render(VornVector(2000.0f, 150.0f, 500.0f), look);
    for (int x : {2, kSize / 2, kSize - 3}) {
      for (int y : {2, kSize / 2, kSize - 3}) {
        const auto rgb = at(x, y);
        EXPECT_GT(rgb[0] + rgb[1] + rgb[2], 60) << "look " << look.x << "," << look.y << "," << look.z << " at "
                                                << x << "," << y;
      }
    }
  }
  const auto zenith = at(kSize / 2, kSize / 2);  // the last look was up
  EXPECT_GT(zenith[2], zenith[0]) << "the zenith is blue";
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_BLEND));
  // A red quad far beyond the cube's half-size of 10 covers the sky.
  render(VornVector(0, 0, 0), VornVector(0, 0, 1));
  glDisable(GL_TEXTURE_2D);
  glColor3f(1.0f, 0.0f, 0.0f);
  glTranslatef(0.0f, 0.0f, 500.0f);
  glRectf(100.0f, -100.0f, -100.0f, 100.0f);  // wound to face the viewer
  glFinish();
  glEnable(GL_TEXTURE_2D);
  EXPECT_EQ(at(kSize / 2, kSize / 2), (std::array<uint8_t, 3>{255, 0, 0}));
}

}  // namespace
}  // namespace vorn
