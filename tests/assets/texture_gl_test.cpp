// Textures on a real (Xvfb, Mesa) context: uploads drawn on a quad and read
// back, the texture cache's naming rules, alpha textures without mipmaps,
// the masked load, flip-book binding and the framebuffer copy.
#include "assets/texture.h"

#include <GL/glew.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <array>

#include "assetgen/image_write.h"
#include "assets/image_files.h"
#include "assets/image_test_util.h"

namespace vorn {
namespace {

constexpr int kSize = 64;

// The 2 x 2 picture every file shows, as the generator paints it (top row first).
assetgen::Pixels quadrants(uint32_t channels) {
  assetgen::Pixels p(2, 2, channels);
  const uint8_t colours[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 255}, {255, 255, 0, 64}};
  for (uint32_t i = 0; i < 4; ++i)
    for (uint32_t c = 0; c < channels; ++c) p.data[i * channels + c] = colours[i][c];
  return p;
}

class TextureGlTest : public test::ErrLogFixture {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "assets_texture_gl_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(kSize, kSize);
    glutCreateWindow("texture test");
  }

  void SetUp() override {
    ErrLogFixture::SetUp();
    textureSettings() = TextureSettings();
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
  }

  void TearDown() override {
    textureSettings() = TextureSettings();
    ErrLogFixture::TearDown();
  }

  // Draws the bound texture over the whole window (s, t = 0 at bottom-left).
  static void drawTexturedQuad() {
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(1, 0);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(0, 1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glFinish();
  }

  static std::array<uint8_t, 3> readPixel(int x, int y) {
    std::array<uint8_t, 4> p{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return {p[0], p[1], p[2]};
  }

  // Window quadrant centres: top-left, top-right, bottom-left, bottom-right.
  static void expectQuadrants() {
    EXPECT_EQ(readPixel(16, 48), (std::array<uint8_t, 3>{255, 0, 0}));
    EXPECT_EQ(readPixel(48, 48), (std::array<uint8_t, 3>{0, 255, 0}));
    EXPECT_EQ(readPixel(16, 16), (std::array<uint8_t, 3>{0, 0, 255}));
    EXPECT_EQ(readPixel(48, 16), (std::array<uint8_t, 3>{255, 255, 0}));
  }

  std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = tempPath(name);
    test::writeBytes(path, bytes);
    created_.push_back(path);
    return path;
  }

  ~TextureGlTest() override {
    for (const auto& path : created_) std::remove(path.c_str());
  }

  std::vector<std::string> created_;
};

TEST_F(TextureGlTest, EveryFormatDrawsTheFilesPixelsUpright) {
  assetgen::IndexedPixels indexed;
  indexed.width = indexed.height = 2;
  indexed.indices = {0, 1, 2, 3};
  indexed.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
  const std::vector<std::string> files = {
      writeFile("vorn_q.bmp", assetgen::writeBMP24(quadrants(3))),
      writeFile("vorn_q8.bmp", assetgen::writeBMPIndexed(indexed, 8)),
      writeFile("vorn_q.tga", assetgen::writeTGA(quadrants(3))),
      writeFile("vorn_qtop.tga", assetgen::writeTGA(quadrants(4), {true, true})),
      writeFile("vorn_q.rgb", assetgen::writeSGI(quadrants(3), true)),
      writeFile("vorn_q.sgi", assetgen::writeSGI(quadrants(3), false)),
      writeFile("vorn_q.gif", assetgen::writeGIF87a(indexed)),
  };
  VornTextureCache cache;
  for (const auto& file : files) {
    const int index = findOrLoadTexture(file, cache);
    ASSERT_NE(cache[index]->getId(), 0u) << file;
    cache[index]->bind();
    drawTexturedQuad();
    SCOPED_TRACE(file);
    expectQuadrants();
  }
  EXPECT_EQ(errLog(), "");
}

TEST_F(TextureGlTest, MipmappedUploadUsesTheClassWideSettings) {
  VornTexture::setLinear();
  VornTexture::enableMipmaps();
  VornTexture::setClampToEdge();
  assetgen::Pixels odd(3, 5, 3);  // rows of 9 bytes: not 4-byte aligned
  for (size_t i = 0; i < odd.data.size(); i += 3) odd.data[i] = 200;
  const std::string file = writeFile("vorn_odd.tga", assetgen::writeTGA(odd));
  VornTexture texture(file.c_str());
  ASSERT_NE(texture.getId(), 0u);
  GLint minFilter = 0, wrapS = 0, level1Width = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1Width);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(wrapS, GL_CLAMP_TO_EDGE);
  EXPECT_GT(level1Width, 0);
  texture.bind();
  drawTexturedQuad();
  EXPECT_EQ(readPixel(32, 32), (std::array<uint8_t, 3>{200, 0, 0}));
}

TEST_F(TextureGlTest, CacheMatchesTheGivenNameAgainstLowerCaseNames) {
  const std::string lower = writeFile("vorn_photo.bmp", assetgen::writeBMP24(quadrants(3)));
  const std::string mixed = writeFile("Vorn_Picture.BMP", assetgen::writeBMP24(quadrants(3)));
  VornTextureCache cache;
  const int a = findOrLoadTexture(lower, cache);
  EXPECT_EQ(findOrLoadTexture(lower, cache), a);
  EXPECT_EQ(cache.size(), 1u);

  const int b = findOrLoadTexture(mixed, cache);
  EXPECT_EQ(*cache[b]->name, textureCacheName(mixed));
  EXPECT_NE(cache[b]->getId(), 0u);
  // The mixed-case name never matches its own lower-case entry: loaded again.
  const int c = findOrLoadTexture(mixed, cache);
  EXPECT_NE(c, b);
  EXPECT_EQ(cache.size(), 3u);
  // The lower-case spelling of the mixed name matches the entry made for it.
  EXPECT_EQ(findOrLoadTexture(textureCacheName(mixed), cache), b);
}

TEST_F(TextureGlTest, FailedLoadIsKeptAndReportedOnce) {
  VornTextureCache cache;
  const std::string missing = tempPath("vorn_missing.tga");
  const int a = findOrLoadTexture(missing, cache);
  EXPECT_EQ(cache[a]->getId(), 0u);
  EXPECT_EQ(findOrLoadTexture(missing, cache), a);
  EXPECT_EQ(errLog(), "Error VornTexture::loadTGA \n\tfile not found: " + missing + "\n");
  // Binding the failed texture binds 0: the surface is drawn untextured.
  cache[a]->bind();
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
}

TEST_F(TextureGlTest, OtherExtensionsLoadTheTgaOfTheSameName) {
  writeFile("vorn_stone.tga", assetgen::writeTGA(quadrants(3)));
  VornTextureCache cache;
  const int i = findOrLoadTexture(tempPath("vorn_stone.jpg"), cache);
  EXPECT_NE(cache[i]->getId(), 0u);
  EXPECT_EQ(*cache[i]->name, tempPath("vorn_stone.jpg"));
  EXPECT_EQ(errLog(), "");
}

TEST_F(TextureGlTest, NullNameAndReload) {
  VornTexture texture;
  EXPECT_EQ(texture.load(nullptr), 1);
  EXPECT_EQ(errLog(), "Error VornTexture::load \n\tno filename\n");

  const std::string first = writeFile("vorn_first.tga", assetgen::writeTGA(quadrants(3)));
  assetgen::Pixels green(1, 1, 3);
  green.data = {0, 255, 0};
  const std::string second = writeFile("vorn_second.tga", assetgen::writeTGA(green));
  VornTextureCache cache;
  const int i = findOrLoadTexture(first, cache);
  EXPECT_EQ(reloadTexture("no such name", second, cache), 0);
  EXPECT_EQ(reloadTexture(first, second, cache), 0);
  EXPECT_EQ(*cache[i]->name, second);
  cache[i]->bind();
  drawTexturedQuad();
  EXPECT_EQ(readPixel(5, 5), (std::array<uint8_t, 3>{0, 255, 0}));
}

TEST_F(TextureGlTest, AlphaTexturesAreNewUnnamedAndWithoutMipmaps) {
  VornTexture::setLinear();
  VornTexture::enableMipmaps();
  assetgen::Pixels grey(4, 4, 1);
  for (size_t i = 0; i < grey.data.size(); ++i) grey.data[i] = static_cast<uint8_t>(i * 16);
  const std::string file = writeFile("vorn_icon.bmp", assetgen::writeBMP24(grey));
  VornTextureCache cache;
  const int a = loadAlphaTexture(file, cache);
  const int b = loadAlphaTexture(file, cache);
  EXPECT_NE(a, b);
  EXPECT_FALSE(cache[a]->name.has_value());
  ASSERT_NE(cache[a]->getId(), 0u);
  cache[a]->bind();
  GLint minFilter = 0, level1Width = -1, alphaBits = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1Width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
  EXPECT_EQ(minFilter, GL_LINEAR);
  EXPECT_EQ(level1Width, 0);
  EXPECT_GT(alphaBits, 0);
  EXPECT_TRUE(textureSettings().mipmaps);
  EXPECT_EQ(textureSettings().minFilter, kTexLinearMipmapLinear);
}

TEST_F(TextureGlTest, MaskedLoadTakesAlphaFromTheMaskAndLeavesFiltersLinear) {
  VornTexture::setMirroredRepeat();
  const std::string colour = writeFile("vorn_colour.bmp", assetgen::writeBMP24(quadrants(3)));
  assetgen::Pixels mask(2, 2, 3);
  mask.data.assign(12, 0);
  mask.data[0] = 255;  // top-left opaque
  const std::string maskFile = writeFile("vorn_mask.bmp", assetgen::writeBMP24(mask));
  VornTexture texture;
  texture.loadWithMask(colour.c_str(), maskFile.c_str());
  EXPECT_EQ(texture.masked, 1);
  ASSERT_NE(texture.getId(), 0u);
  EXPECT_EQ(textureSettings().magFilter, kTexLinear);
  EXPECT_EQ(textureSettings().wrapS, kTexMirroredRepeat);
  texture.bind();
  GLint magFilter = 0, wrapS = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
  EXPECT_EQ(magFilter, GL_NEAREST);
  EXPECT_EQ(wrapS, GL_REPEAT);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  drawTexturedQuad();
  glDisable(GL_ALPHA_TEST);
  EXPECT_EQ(readPixel(16, 48), (std::array<uint8_t, 3>{255, 0, 0}));
  const auto background = readPixel(48, 16);  // transparent: the grey clear colour shows
  EXPECT_NEAR(background[0], 128, 1);
  EXPECT_NEAR(background[2], 128, 1);
}

TEST_F(TextureGlTest, FlipBookHookDecidesWhatBindBinds) {
  const std::string file = writeFile("vorn_frame.tga", assetgen::writeTGA(quadrants(3)));
  VornTexture frame(file.c_str());
  VornTexture shown(file.c_str());
  unsigned frameId = frame.getId();
  shown.animation = reinterpret_cast<VornTextureAnimation*>(&frameId);
  GLint bound = 0;
  shown.bind();  // no hook installed yet: its own id
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<unsigned>(bound), shown.getId());
  VornTexture::flipBookFrame = [](VornTextureAnimation* a) { return *reinterpret_cast<unsigned*>(a); };
  shown.bind();
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<unsigned>(bound), frame.getId());
  VornTexture::flipBookFrame = nullptr;
}

TEST_F(TextureGlTest, RenderToTextureCapturesWhatWasDrawn) {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3ub(0, 0, 255);
  glRectf(0, 0, 1, 1);
  glColor3ub(255, 128, 0);
  glRectf(0, 0, 0.5f, 0.5f);  // bottom-left quarter orange
  glColor3ub(255, 255, 255);
  const unsigned id = renderToTexture(0, 0, 32, 32);
  ASSERT_NE(id, 0u);
  GLint width = 0;
  glBindTexture(GL_TEXTURE_2D, id);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 32);
  drawTexturedQuad();  // the captured quarter stretched over the window
  EXPECT_EQ(readPixel(32, 32), (std::array<uint8_t, 3>{255, 128, 0}));
  EXPECT_EQ(readPixel(2, 60), (std::array<uint8_t, 3>{255, 128, 0}));
  const GLuint texture = id;
  glDeleteTextures(1, &texture);
}

}  // namespace
}  // namespace vorn
