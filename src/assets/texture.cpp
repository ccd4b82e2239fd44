#include "assets/texture.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include "base/error_log.h"
#include "assets/image_files.h"

namespace vorn {

static_assert(kImageRGB == GL_RGB && kImageRGBA == GL_RGBA && kImageLuminance == GL_LUMINANCE &&
                  kImageLuminance8 == GL_LUMINANCE8 && kImageUnsignedByte == GL_UNSIGNED_BYTE,
              "image format constants must equal the GL enums");
static_assert(kTexNearest == GL_NEAREST && kTexLinear == GL_LINEAR &&
                  kTexNearestMipmapNearest == GL_NEAREST_MIPMAP_NEAREST &&
                  kTexLinearMipmapLinear == GL_LINEAR_MIPMAP_LINEAR && kTexClamp == GL_CLAMP &&
                  kTexRepeat == GL_REPEAT && kTexClampToEdge == GL_CLAMP_TO_EDGE &&
                  kTexMirroredRepeat == GL_MIRRORED_REPEAT,
              "texture setting constants must equal the GL enums");

VornTexture::FlipBookFrame VornTexture::flipBookFrame = nullptr;

namespace {
// Readers are handed "" for a null name, which is then simply not found.
const char* orEmpty(const char* s) { return s ? s : ""; }
}  // namespace

VornTexture::VornTexture(const char* fileName) { load(fileName); }

VornTexture::VornTexture(const VornImage& image) { createTexture(image); }

VornTexture::~VornTexture() { release(); }

void VornTexture::release() {
  if (id != 0) {
    const GLuint texture = id;
    glDeleteTextures(1, &texture);
    id = 0;
  }
  name.reset();
}

int VornTexture::load(const char* fileName) {
  if (!fileName) {
    logError("VornTexture::load", "\tno filename\n");
    return 1;
  }
  release();
  name = textureCacheName(fileName);
  const ReaderChoice choice = chooseImageReader(fileName);
  switch (choice.format) {
    case ImageFormat::BMP: return loadBMP(choice.path.c_str());
    case ImageFormat::GIF: return loadGIF(choice.path.c_str());
    case ImageFormat::SGI: return loadRGB(choice.path.c_str());
    case ImageFormat::TGA: break;
  }
  return loadTGA(choice.path.c_str());
}

int VornTexture::uploadOrFail(int readResult, const VornImage& image) {
  return readResult != 0 ? readResult : createTexture(image);
}

int VornTexture::loadBMP(const char* fileName) {
  VornImage image;
  return uploadOrFail(readImageFile(ImageFormat::BMP, orEmpty(fileName), image), image);
}

int VornTexture::loadGIF(const char* fileName) {
  VornImage image;
  return uploadOrFail(readImageFile(ImageFormat::GIF, orEmpty(fileName), image), image);
}

int VornTexture::loadTGA(const char* fileName) {
  VornImage image;
  return uploadOrFail(readImageFile(ImageFormat::TGA, orEmpty(fileName), image), image);
}

int VornTexture::loadRGB(const char* fileName) {
  VornImage image;
  return uploadOrFail(readImageFile(ImageFormat::SGI, orEmpty(fileName), image), image);
}

int VornTexture::loadAlphaBMP(const char* fileName) {
  VornImage image;
  return uploadOrFail(readBMPAlphaFile(orEmpty(fileName), image), image);
}

int VornTexture::loadBMP(const char* fileName, const char* maskName) {
  VornImage image;
  return uploadOrFail(readBMPMaskedFiles(orEmpty(fileName), orEmpty(maskName), image), image);
}

void VornTexture::loadWithMask(const char* fileName, const char* maskName) {
  if (id != 0) {
    const GLuint texture = id;
    glDeleteTextures(1, &texture);
    id = 0;
  }
  TextureSettings& settings = textureSettings();
  const uint32_t wrapS = settings.wrapS;
  const uint32_t wrapT = settings.wrapT;
  settings.setRepeat();
  settings.setNearest();
  loadBMP(fileName, maskName);
  settings.setLinear();
  settings.wrapS = wrapS;
  settings.wrapT = wrapT;
  masked = 1;
}

int VornTexture::loadJPG(const char* fileName) { return dumpJPGMarkers(orEmpty(fileName)); }

int VornTexture::createTexture(const VornImage& image) {
  const size_t expected = size_t{image.width} * image.height * image.bytesPerPixel();
  if (expected == 0 || image.pixels.size() != expected) {
    logError("VornTexture::createTexture", "\timage has no pixels to upload\n");
    return 1;
  }
  if (id != 0) {
    const GLuint old = id;
    glDeleteTextures(1, &old);
    id = 0;
  }
  const TextureSettings& settings = textureSettings();
  GLuint texture = 0;
  glGenTextures(1, &texture);
  id = texture;
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(settings.wrapS));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(settings.wrapT));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(settings.magFilter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(settings.minFilter));
  // Our rows are tightly packed; the default 4-byte alignment would read
  // past the end of rows whose length is not a multiple of 4.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (settings.mipmaps) {
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(image.internalFormat), static_cast<GLsizei>(image.width),
                      static_cast<GLsizei>(image.height), image.format, image.type, image.pixels.data());
  } else {
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(image.internalFormat), static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, image.format, image.type, image.pixels.data());
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return 0;
}

void VornTexture::bind() {
  if (animation && flipBookFrame) {
    glBindTexture(GL_TEXTURE_2D, flipBookFrame(animation));
    return;
  }
  glBindTexture(GL_TEXTURE_2D, id);
}

void VornTexture::resetTextureMatrix() {
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

int findOrLoadTexture(const std::string& fileName, VornTextureCache& cache) {
  for (size_t i = 0; i < cache.size(); ++i) {
    if (cache[i] && cache[i]->name && *cache[i]->name == fileName) return static_cast<int>(i);
  }
  cache.push_back(std::make_unique<VornTexture>(fileName.c_str()));
  return static_cast<int>(cache.size() - 1);
}

int loadAlphaTexture(const std::string& fileName, VornTextureCache& cache) {
  cache.push_back(std::make_unique<VornTexture>());
  TextureSettings& settings = textureSettings();
  const bool mipmaps = settings.mipmaps;
  if (mipmaps) settings.disableMipmaps();
  cache.back()->loadAlphaBMP(fileName.c_str());
  if (mipmaps) settings.enableMipmaps();
  return static_cast<int>(cache.size() - 1);
}

int reloadTexture(const std::string& cachedName, const std::string& newFileName, VornTextureCache& cache) {
  for (auto& texture : cache) {
    if (texture && texture->name && *texture->name == cachedName) return texture->load(newFileName.c_str());
  }
  return 0;
}

unsigned newClampedTexture() {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  return texture;
}

unsigned renderToTexture(int x, int y, int width, int height) {
  const GLuint texture = newClampedTexture();
  // Copy before presenting: after a buffer swap the back buffer's contents
  // are undefined, so copying afterwards could capture anything.
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, x, y, width, height, 0);
  glutSwapBuffers();
  return texture;
}

}  // namespace vorn
