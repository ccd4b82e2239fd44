// Textures on a real (Xvfb, Mesa) context: the generator's files of every
// format drawn upright through the reader their extension picks, the texture
// cache's naming rules and failures, the class-wide upload settings and alpha
// textures without mipmaps.
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

// The 2 x 2 picture every file shows, as the generator paints it (top row first).
assetgen::Pixels quadrants(uint32_t channels) {
  assetgen::Pixels p(2, 2, channels);
  const uint8_t colours[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 255}, {255, 255, 0, 64}};
  for (uint32_t i = 0; i < 4; ++i)
    for (uint32_t c = 0; c < channels; ++c) p.data[i * channels + c] = colours[i][c];
  return p;
}

class TextureGl : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(test::openTestWindow("texture test", kSize, kSize)); }

  void SetUp() override {
    std::remove(tempPath("vorn_texture_err.txt").c_str());
    setErrorLogPath(tempPath("vorn_texture_err.txt"));
    textureSettings() = TextureSettings();
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  void TearDown() override {
    textureSettings() = TextureSettings();
    setErrorLogPath("err.txt");
    created_.push_back(tempPath("vorn_texture_err.txt"));
    for (const auto& path : created_) std::remove(path.c_str());
  }

  static std::string tempPath(const std::string& name) { return ::testing::TempDir() + name; }
  static std::string errLog() { return test::readText(tempPath("vorn_texture_err.txt")); }

  // Draws `texture` over the whole window (s, t = 0 at bottom-left) and reads
  // back the pixel at (x, y).
  static Rgb drawnAt(VornTexture& texture, int x, int y) {
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

  // A parameter of the bound texture; level 1's width is 0 without mipmaps.
  static GLint parameter(GLenum name) {
    GLint value = -1;
    if (name == GL_TEXTURE_WIDTH) glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, name, &value);
    if (name != GL_TEXTURE_WIDTH) glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
  }

  std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    created_.push_back(tempPath(name));
    test::writeBytes(created_.back(), bytes);
    return created_.back();
  }

  std::vector<std::string> created_;
};

TEST_F(TextureGl, EveryFormatDrawsUprightAndTheCacheKeepsNamesAndFailures) {
  assetgen::IndexedPixels indexed;
  indexed.width = indexed.height = 2;
  indexed.indices = {0, 1, 2, 3};
  indexed.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
  VornTextureCache cache;
  for (const std::string& file : {writeFile("vorn_q.bmp", assetgen::writeBMP24(quadrants(3))),
                                  writeFile("vorn_q8.bmp", assetgen::writeBMPIndexed(indexed, 8)),
                                  writeFile("vorn_q.tga", assetgen::writeTGA(quadrants(3))),
                                  writeFile("vorn_qtop.tga", assetgen::writeTGA(quadrants(4), {true, true})),
                                  writeFile("vorn_q.rgb", assetgen::writeSGI(quadrants(3), true)),
                                  writeFile("vorn_q.sgi", assetgen::writeSGI(quadrants(3), false)),
                                  writeFile("vorn_q.gif", assetgen::writeGIF87a(indexed))}) {
    SCOPED_TRACE(file);
    VornTexture& texture = *cache[findOrLoadTexture(file, cache)];
    ASSERT_NE(texture.getId(), 0u);
    EXPECT_EQ(drawnAt(texture, 16, 48), (Rgb{255, 0, 0}));  // quadrant centres, top-left first
    EXPECT_EQ(drawnAt(texture, 48, 48), (Rgb{0, 255, 0}));
    EXPECT_EQ(drawnAt(texture, 16, 16), (Rgb{0, 0, 255}));
    EXPECT_EQ(drawnAt(texture, 48, 16), (Rgb{255, 255, 0}));
  }
  // Other extensions load the TGA of the same name; the cache knows it by the lower-case given name.
  writeFile("Vorn_Stone.tga", assetgen::writeTGA(quadrants(3)));
  const int stone = findOrLoadTexture(tempPath("Vorn_Stone.jpg"), cache);
  EXPECT_NE(cache[stone]->getId(), 0u);
  EXPECT_EQ(*cache[stone]->name, textureCacheName(tempPath("Vorn_Stone.jpg")));
  EXPECT_EQ(findOrLoadTexture(textureCacheName(tempPath("Vorn_Stone.jpg")), cache), stone);
  EXPECT_EQ(errLog(), "");

  // A failed load stays in the cache, is reported once and binds 0.
  const std::string missing = tempPath("vorn_missing.tga");
  const int m = findOrLoadTexture(missing, cache);
  EXPECT_EQ(std::make_pair(cache[m]->getId(), findOrLoadTexture(missing, cache)), std::make_pair(0u, m));
  cache[m]->bind();
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
  VornTexture unnamed;
  EXPECT_EQ(unnamed.load(nullptr), 1);
  EXPECT_EQ(errLog(), "Error VornTexture::loadTGA \n\tfile not found: " + missing + "\n" +
                          "Error VornTexture::load \n\tno filename\n");
}

TEST_F(TextureGl, UploadsFollowTheClassWideSettingsButAlphaTexturesHaveNoMipmaps) {
  VornTexture::setLinear();
  VornTexture::enableMipmaps();
  VornTexture::setClampToEdge();
  assetgen::Pixels odd(3, 5, 3);  // rows of 9 bytes: not 4-byte aligned
  for (size_t i = 0; i < odd.data.size(); i += 3) odd.data[i] = 200;
  VornTexture texture(writeFile("vorn_odd.tga", assetgen::writeTGA(odd)).c_str());
  ASSERT_NE(texture.getId(), 0u);
  EXPECT_EQ(drawnAt(texture, 32, 32), (Rgb{200, 0, 0}));
  EXPECT_EQ(std::make_tuple(parameter(GL_TEXTURE_MIN_FILTER), parameter(GL_TEXTURE_WRAP_S)),
            std::make_tuple(GL_LINEAR_MIPMAP_LINEAR, GL_CLAMP_TO_EDGE));
  EXPECT_GT(parameter(GL_TEXTURE_WIDTH), 0);

  assetgen::Pixels grey(4, 4, 1);
  for (size_t i = 0; i < grey.data.size(); ++i) grey.data[i] = static_cast<uint8_t>(i * 16);
  const std::string icon = writeFile("vorn_icon.bmp", assetgen::writeBMP24(grey));
  VornTextureCache cache;
  const int a = loadAlphaTexture(icon, cache);
  EXPECT_NE(loadAlphaTexture(icon, cache), a);  // never shared
  EXPECT_FALSE(cache[a]->name.has_value());
  cache[a]->bind();
  GLint alphaBits = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
  EXPECT_GT(alphaBits, 0);
  EXPECT_EQ(std::make_pair(parameter(GL_TEXTURE_MIN_FILTER), parameter(GL_TEXTURE_WIDTH)),
            std::make_pair(GL_LINEAR, 0));
  EXPECT_EQ(textureSettings().minFilter, kTexLinearMipmapLinear);  // restored for later textures
  // The filter and the mipmap flag combine, whichever was set last.
  VornTexture::setNearest();
  EXPECT_EQ(textureSettings().minFilter, kTexNearestMipmapNearest);
  VornTexture::disableMipmaps();
  EXPECT_EQ(textureSettings().minFilter, kTexNearest);
}

}  // namespace
}  // namespace vorn
