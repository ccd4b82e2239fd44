// Textures on a real (Xvfb, Mesa) context, through the reader their extension
// picks (2 x 2 RGB rows are 6 bytes: unaligned), and the cache's rules.
#include "assets/texture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "assetgen/image_write.h"
#include "assets/assets_test_util.h"
#include "assets/image_files.h"
#include "base/error_log.h"
#include "support/gl_window.h"

namespace vorn {
namespace {

constexpr int kSize = 64;
using Rgb = std::array<uint8_t, 3>;

// Draws `texture` over the whole window (s, t = 0 at bottom-left) and reads
// back the pixel at (x, y).
Rgb drawnAt(VornTexture& texture, int x, int y) {
  texture.bind();
  glClearColor(0.5f, 0.5f, 0.5f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (const auto& c : corners) {
    glTexCoord2f(c[0], c[1]);
    glVertex2f(c[0], c[1]);
  }
  glEnd();
  glDisable(GL_TEXTURE_2D);
  std::array<uint8_t, 4> p{};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  return {p[0], p[1], p[2]};
}

TEST(TextureGl, EveryFormatDrawsUprightTheCacheKeepsNamesAndFailuresAlphaTexturesHaveNoMipmaps) {
  ASSERT_TRUE(test::openTestWindow("texture test", kSize, kSize));
  const std::string dir = ::testing::TempDir() + "vorn_texture_gl_";  // lower case, as the cache's names are
  std::remove((dir + "err.txt").c_str());
  const auto write = [&dir](const std::string& name, const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(test::writeBytes(dir + name, bytes));
    return dir + name;
  };
  setErrorLogPath(dir + "err.txt");
  glViewport(0, 0, kSize, kSize);
  glMatrixMode(GL_PROJECTION);
  glOrtho(0, 1, 0, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  assetgen::Pixels quadrants(2, 2, 3);  // top row first, as the generator paints
  quadrants.data = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
  assetgen::IndexedPixels indexed;
  indexed.width = indexed.height = 2;
  indexed.indices = {0, 1, 2, 3};
  indexed.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
  VornTextureCache cache;
  for (const std::string& file : {write("q.bmp", assetgen::writeBMP24(quadrants)),
                                  write("q.tga", assetgen::writeTGA(quadrants)),
                                  write("q.rgb", assetgen::writeSGI(quadrants, true)),
                                  write("q.sgi", assetgen::writeSGI(quadrants, false)),
                                  write("q.gif", assetgen::writeGIF87a(indexed))}) {
    SCOPED_TRACE(file);
    VornTexture& texture = *cache[findOrLoadTexture(file, cache)];
    ASSERT_NE(texture.getId(), 0u);
    // The quadrant centres, top-left first.
    for (const auto& [x, y, rgb] : {std::tuple{16, 48, Rgb{255, 0, 0}}, {48, 48, Rgb{0, 255, 0}},
                                    {16, 16, Rgb{0, 0, 255}}, {48, 16, Rgb{255, 255, 0}}})
      EXPECT_EQ(drawnAt(texture, x, y), rgb) << x << "," << y;
  }
  // Other extensions load the TGA of the same name; the cache knows it by the lower-case given name.
  write("Stone.tga", assetgen::writeTGA(quadrants));
  const int stone = findOrLoadTexture(dir + "Stone.jpg", cache);
  EXPECT_NE(cache[stone]->getId(), 0u);
  EXPECT_EQ(*cache[stone]->name, textureCacheName(dir + "Stone.jpg"));
  EXPECT_EQ(findOrLoadTexture(textureCacheName(dir + "Stone.jpg"), cache), stone);
  EXPECT_EQ(test::readText(dir + "err.txt"), "");

  // A failed load stays in the cache, is reported once and binds 0.
  const int m = findOrLoadTexture(dir + "missing.tga", cache);
  EXPECT_EQ(std::make_pair(cache[m]->getId(), findOrLoadTexture(dir + "missing.tga", cache)), std::make_pair(0u, m));
  cache[m]->bind();
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
  EXPECT_EQ(test::readText(dir + "err.txt"), "Error VornTexture::loadTGA \n\tfile not found: " + dir + "missing.tga\n");

  // Alpha textures (HUD icons, overlays) are never shared and built without
  // mipmaps, which stay on for later uploads.
  VornTexture::setLinear();
  VornTexture::enableMipmaps();
  const int a = loadAlphaTexture(dir + "q.bmp", cache);
  EXPECT_NE(loadAlphaTexture(dir + "q.bmp", cache), a);
  EXPECT_EQ(textureSettings().minFilter, kTexLinearMipmapLinear);
  cache[a]->bind();
  GLint level1Width = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1Width);
  EXPECT_EQ(level1Width, 0);
}

}  // namespace
}  // namespace vorn
