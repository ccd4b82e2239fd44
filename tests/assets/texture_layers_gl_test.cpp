// Texture layers on a real context: a list in another case than the model's map shares its
// cache entry, missing frames are reported, binds show the frames, steps reach the texture matrix.
#include "assets/texture_layers_gl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "assetgen/image_write.h"
#include "base/error_log.h"
#include "support/gl_window.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

std::vector<uint8_t> textBytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(TextureLayersGl, ListInAnotherCaseAnimatesTheModelsTextureAndSkipsMissingFrames) {
  ASSERT_TRUE(test::openTestWindow("texture layers test", 16, 16));
  const std::string dir = ::testing::TempDir() + "vorn_layers_gl_";
  std::remove((dir + "err.txt").c_str());
  setErrorLogPath(dir + "err.txt");
  const std::vector<uint8_t> bmp = assetgen::writeBMP24(assetgen::Pixels(4, 4, 3));
  ASSERT_TRUE(test::writeBytes(dir + "Eye0.bmp", bmp) && test::writeBytes(dir + "eye1.bmp", bmp));
  ASSERT_TRUE(test::writeBytes(dir + "list.txt", textBytes(dir + "EYE0.BMP\r\n" + dir + "gone.bmp\r\n" + dir + "eye1.bmp")));
  VornTextureCache cache;
  const int modelsEye = findOrLoadTexture(dir + "Eye0.bmp", cache);  // as the model loader asks
  installTextureLayers(cache);
  VornTextureAnimation* book = loadFlipBook(dir + "list.txt");
  ASSERT_TRUE(book && book->frames.size() == 2u);
  EXPECT_EQ(std::make_pair(book->frames[0], cache[static_cast<size_t>(modelsEye)]->animation), std::make_pair(modelsEye, book));
  const unsigned first = cache[static_cast<size_t>(book->frames[0])]->id;
  const unsigned second = cache[static_cast<size_t>(book->frames[1])]->id;
  for (int bind = 1; bind <= 20; ++bind) {
    cache[static_cast<size_t>(modelsEye)]->bind();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<unsigned>(bound), bind < 10 || bind == 20 ? first : second) << bind;
  }
  EXPECT_EQ(loadFlipBook(dir + "none.txt"), nullptr);
  const std::string log = test::readText(dir + "err.txt");
  EXPECT_NE(log.find("\tframe without a texture skipped: " + dir + "gone.bmp\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Error VornTextureAnimation::loadFlipBook \n\tfile not found: " + dir + "none.txt\n"),
            std::string::npos);

  ASSERT_TRUE(test::writeBytes(dir + "steps.txt", textBytes(dir + "eye1.bmp\ntrans 0.5 0 0\ntrans 0.5 0 0\n"
                                                                             "scale 1 1 1\nscale 3 1 1\n0 2 1\n")));
  VornTextureAnimation* steps = loadTextureSteps(dir + "steps.txt");
  ASSERT_EQ(steps, book);  // eye1 is already a frame of the book
  steps->startClip(0);
  steps->update(0.25f);  // step 0 whole, half of step 1: its translation halved, its scale x from 1 to 2
  VornTexture::resetTextureMatrix();
  applySteps(*steps);
  GLfloat m[16];
  glGetFloatv(GL_TEXTURE_MATRIX, m);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(std::make_tuple(m[0], m[12], mode), std::make_tuple(2.0f, 0.75f, GL_MODELVIEW));
}

}  // namespace
}  // namespace vorn
