// VornSky on a real (Xvfb, Mesa) context with the generated face images:
// the six faces load through the texture cache, the cube surrounds the
// viewer in every direction, and whatever is drawn after it covers it.
#include "world/sky.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <GL/glut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "base/error_log.h"

namespace vorn {
namespace {

constexpr int kSize = 256;
constexpr const char* kErrorLog = "/tmp/vorn_sky_test_err.txt";

class SkyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "vorn_sky_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(kSize, kSize);
    glutCreateWindow("sky test");
    ASSERT_EQ(glewInit(), GLEW_OK);
    ASSERT_EQ(chdir(VORN_TEST_DATA_ROOT), 0);
    setErrorLogPath(kErrorLog);
  }

  void SetUp() override {
    std::remove(kErrorLog);
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 0);
  }

  // Renders the sky around `eye` looking along `look`; returns the pixel at (x, y).
  void render(const VornSky& sky, const VornVector& eye, const VornVector& look) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    const VornVector up = std::fabs(look.y) > 0.9f ? VornVector(0, 0, 1) : VornVector(0, 1, 0);
    gluLookAt(eye.x, eye.y, eye.z, eye.x + look.x, eye.y + look.y, eye.z + look.z, up.x, up.y, up.z);
    sky.draw(eye);
    glFinish();
  }
  static void pixel(int x, int y, unsigned char rgb[3]) {
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  }
  static bool lit(const unsigned char rgb[3]) { return rgb[0] + rgb[1] + rgb[2] > 60; }
  static std::string errors() {
    std::ifstream in(kErrorLog);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(SkyTest, FaceFilesFollowTheFolder) {
  const auto files = VornSky::faceFiles("data/textures/sky3/");
  ASSERT_EQ(files.size(), 6u);
  EXPECT_EQ(files[0], "data/textures/sky3/up.tga");
  EXPECT_EQ(files[1], "data/textures/sky3/lt.tga");
  EXPECT_EQ(files[5], "data/textures/sky3/dn.tga");
}

TEST_F(SkyTest, LoadsSixFacesOnceThroughTheCache) {
  VornTextureCache cache;
  const VornSky sky("data/textures/sky3/", cache);
  ASSERT_EQ(sky.textureIndices().size(), 6u);
  EXPECT_EQ(cache.size(), 6u);
  for (int index : sky.textureIndices()) EXPECT_NE(cache[index]->getId(), 0u);
  EXPECT_NE(sky.displayList(), 0u);
  const VornSky again("data/textures/sky3/", cache);
  EXPECT_EQ(cache.size(), 6u);
  EXPECT_EQ(again.textureIndices(), sky.textureIndices());
  EXPECT_EQ(errors(), "");
}

TEST_F(SkyTest, SurroundsTheViewerInEveryDirection) {
  VornTextureCache cache;
  const VornSky sky("data/textures/sky3/", cache);
  const VornVector eye(2000.0f, 150.0f, 500.0f);  // far from the origin: the sky moves along
  const VornVector looks[] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  for (const VornVector& look : looks) {
    render(sky, eye, look);
    for (int x : {2, kSize / 2, kSize - 3}) {
      for (int y : {2, kSize / 2, kSize - 3}) {
        unsigned char rgb[3];
        pixel(x, y, rgb);
        EXPECT_TRUE(lit(rgb)) << "look " << look.x << "," << look.y << "," << look.z << " pixel " << x << "," << y;
      }
    }
  }
  // Looking up shows the zenith's blue.
  render(sky, eye, VornVector(0, 1, 0));
  unsigned char zenith[3];
  pixel(kSize / 2, kSize / 2, zenith);
  EXPECT_GT(zenith[2], zenith[0]);
  // The sky leaves lighting and blending off.
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(SkyTest, WhatIsDrawnAfterwardsCoversIt) {
  VornTextureCache cache;
  const VornSky sky("data/textures/sky3/", cache);
  render(sky, VornVector(0, 0, 0), VornVector(0, 0, 1));
  // A red quad far beyond the cube's half-size of 10.
  glDisable(GL_TEXTURE_2D);
  glColor3f(1.0f, 0.0f, 0.0f);
  glBegin(GL_QUADS);
  glVertex3f(-100.0f, -100.0f, 500.0f);
  glVertex3f(-100.0f, 100.0f, 500.0f);
  glVertex3f(100.0f, 100.0f, 500.0f);
  glVertex3f(100.0f, -100.0f, 500.0f);
  glEnd();
  glFinish();
  unsigned char rgb[3];
  pixel(kSize / 2, kSize / 2, rgb);
  EXPECT_EQ(rgb[0], 255);
  EXPECT_EQ(rgb[1], 0);
  glEnable(GL_TEXTURE_2D);
}

TEST_F(SkyTest, MissingFacesAreReportedAndTheCubeIsStillBuilt) {
  VornTextureCache cache;
  const VornSky sky("data/textures/nowhere/", cache);
  EXPECT_EQ(sky.textureIndices().size(), 6u);
  EXPECT_NE(sky.displayList(), 0u);
  render(sky, VornVector(0, 0, 0), VornVector(0, 0, 1));  // draws without textures, no crash
  const std::string log = errors();
  EXPECT_NE(log.find("data/textures/nowhere/up.tga"), std::string::npos) << log;
  EXPECT_NE(log.find("data/textures/nowhere/dn.tga"), std::string::npos) << log;
}

}  // namespace
}  // namespace vorn
