// VornWorld on a real (Xvfb, Mesa) context: the shipped course loads without
// an err.txt line and draws textured, shaded ground from a camera over the
// start; the shadow pass multiplies; the state is put back; an unusable
// world draws nothing; a deleted light-map cache is recomputed identically.
#include "world/world.h"

#include <GL/glew.h>
#include <GL/glut.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "base/error_log.h"
#include "assets/bmp_codec.h"

namespace vorn {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
const std::string kDataRoot = VORN_TEST_DATA_ROOT;
const char* kHeightMap = "data/maps/twin_paths.rgb";
const char* kCache = "data/maps/twin_paths_12_4_8_0.00_0.71_0.71.bmp";

std::string g_testDir;

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class WorldGlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "vorn_world_gl_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowSize(kWidth, kHeight);
    glutCreateWindow("vorn world test");
    ASSERT_EQ(GLEW_OK, glewInit());
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    g_testDir = cwd;
    setErrorLogPath(g_testDir + "/world_gl_err.txt");
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
  }
  void TearDown() override { ASSERT_EQ(0, chdir(g_testDir.c_str())); }

  // Camera high over the start, looking down the track to the split.
  static void viewOverTheStart(const VornWorld& world) {
    const VornVector s = world.startPosition();
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(s.x + 60.0f, s.y + 220.0f, s.z - 120.0f, s.x - 250.0f, s.y - 150.0f, s.z + 1000.0f, 0.0, 1.0, 0.0);
  }

  static VornImage frame(VornWorld& world) {
    glClearColor(0.45f, 0.65f, 0.95f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    viewOverTheStart(world);
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

  VornTextureCache textures;
};

TEST_F(WorldGlTest, ShippedCourseDrawsTexturedShadedGroundOverTheStart) {
  VornWorld world(kHeightMap, textures);
  ASSERT_TRUE(world.usable());
  EXPECT_EQ("", readText(errorLogPath())) << "the shipped course loads without a report";
  ASSERT_EQ(4u, world.textureIndices().size());

  const VornImage image = frame(world);
  saveBMP((g_testDir + "/terrain_view.bmp").c_str(), image);

  // The lower half of the screen is ground, not the cleared sky.
  double sum = 0.0, sumSquares = 0.0;
  int samples = 0, sky = 0, greenish = 0;
  for (int y = 0; y < kHeight / 2; y += 3) {
    for (int x = 0; x < kWidth; x += 3) {
      const uint8_t* p = pixel(image, x, y);
      if (std::abs(p[0] - 115) < 3 && std::abs(p[1] - 166) < 3 && std::abs(p[2] - 242) < 3) ++sky;
      const double grey = (p[0] + p[1] + p[2]) / 3.0;
      sum += grey;
      sumSquares += grey * grey;
      ++samples;
    }
  }
  for (int y = 0; y < kHeight; y += 2) {
    for (int x = 0; x < kWidth; x += 2) {
      const uint8_t* p = pixel(image, x, y);
      if (p[1] > p[0] + 15 && p[1] > p[2]) ++greenish;
    }
  }
  const double mean = sum / samples;
  const double spread = std::sqrt(sumSquares / samples - mean * mean);
  EXPECT_LT(sky, samples / 50) << "ground covers the lower screen";
  EXPECT_GT(mean, 90.0) << "snow is bright";
  EXPECT_LT(mean, 250.0) << "the light map shades it";
  EXPECT_GT(spread, 4.0) << "textured and shaded, not a flat colour";
  EXPECT_GT(greenish, 100) << "the grass on the ridge shows";

  // Put back: unit 0 active, lighting and blending off, depth writes on,
  // the other units' texturing off.
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(GL_TEXTURE0, active);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
    glActiveTexture(unit);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  }
  glActiveTexture(GL_TEXTURE0);
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
  EXPECT_EQ(GL_NO_ERROR, glGetError());
}

TEST_F(WorldGlTest, ShadowPassMultipliesTheGroundByTheShadowTexture) {
  VornWorld world(kHeightMap, textures);
  ASSERT_TRUE(world.usable());
  const VornImage plain = frame(world);
  GLuint grey = 0;
  const GLubyte half[4] = {128, 128, 128, 255};
  glGenTextures(1, &grey);
  glBindTexture(GL_TEXTURE_2D, grey);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, half);
  world.setShadowTexture(grey);
  const VornImage shaded = frame(world);
  int checked = 0;
  for (int y = 10; y < kHeight / 2; y += 17) {
    for (int x = 10; x < kWidth; x += 23) {
      const uint8_t* a = pixel(plain, x, y);
      const uint8_t* b = pixel(shaded, x, y);
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(a[k] * 128 / 255, b[k], 2) << x << "," << y;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
  glDeleteTextures(1, &grey);
}

TEST_F(WorldGlTest, UnusableWorldReportsAndDrawsNothing) {
  VornWorld world("data/maps/no_such_course.rgb", textures);
  EXPECT_FALSE(world.usable());
  EXPECT_EQ("Error VornWorld::loadRGB \n\tfile not found: data/maps/no_such_course.rgb\n", readText(errorLogPath()));
  const VornImage image = frame(world);
  const uint8_t* p = pixel(image, kWidth / 2, kHeight / 4);
  EXPECT_NEAR(115, p[0], 2);
  EXPECT_NEAR(242, p[2], 2);
}

TEST_F(WorldGlTest, DeletedLightMapCacheIsRecomputedToTheSameFile) {
  // A private copy of the data root without the cache: the world computes
  // the map, uploads it and writes the cache, byte for byte the shipped one.
  const std::string root = g_testDir + "/world_gl_fresh";
  ASSERT_EQ(0, std::system(("rm -rf " + root + " && mkdir -p " + root + "/data/maps").c_str()));
  ASSERT_EQ(0, std::system(("cp " + kDataRoot + "/data/maps/twin_paths.rgb " + kDataRoot +
                            "/data/maps/twin_paths_conv.bmp " + root + "/data/maps/ && ln -s " + kDataRoot +
                            "/data/textures " + root + "/data/textures")
                               .c_str()));
  ASSERT_EQ(0, chdir(root.c_str()));
  {
    VornWorld world(kHeightMap, textures);
    EXPECT_TRUE(world.usable());
  }
  EXPECT_EQ(readText(kDataRoot + "/" + kCache), readText(root + "/" + kCache));
  EXPECT_FALSE(readText(root + "/" + kCache).empty());
  EXPECT_EQ("", readText(errorLogPath()));
  std::system(("rm -rf " + root).c_str());
}

}  // namespace
}  // namespace vorn
