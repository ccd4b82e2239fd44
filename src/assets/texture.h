// VornTexture: one GL 2D texture from an image file (BMP, GIF87a, TGA, SGI RGB) or a VornImage,
// and the texture cache. Units: texels, cache indices. Cost: a load decodes the whole file, then
// one glTexImage2D or gluBuild2DMipmaps; only bind() runs per frame. Needs a current GL context.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "assets/image.h"
#include "assets/texture_settings.h"

namespace vorn {

class VornTextureAnimation;

// Uploaded with the class-wide filter, wrap and mipmap settings of
// texture_settings.h.
class VornTexture {
 public:
  // The flip-book's "advance and give me the current frame's texture name";
  // installed by the texture-layer module. While null, bind() binds `id`.
  using FlipBookFrame = unsigned (*)(VornTextureAnimation* animation);
  static FlipBookFrame flipBookFrame;

  VornTexture() = default;
  explicit VornTexture(const char* fileName);
  explicit VornTexture(const VornImage& image);
  virtual ~VornTexture();
  VornTexture(const VornTexture&) = delete;
  VornTexture& operator=(const VornTexture&) = delete;

  // Deletes the GL texture (id back to 0) and forgets the name.
  void release();

  // Releases, sets `name` to the lower-case file name and reads the file
  // with the reader its extension selects (see chooseImageReader). 0 on
  // success; 1 after an err.txt report (the texture then has id 0).
  int load(const char* fileName);
  int loadBMP(const char* fileName);
  int loadGIF(const char* fileName);
  int loadTGA(const char* fileName);
  int loadRGB(const char* fileName);
  // 24-bit BMP whose alpha is its own red channel (grey pictures become
  // opacity); used for HUD icons, overlays and particles.
  int loadAlphaBMP(const char* fileName);
  // 24-bit colour BMP with alpha from the red channel of a mask BMP.
  int loadBMP(const char* fileName, const char* maskName);
  // The two-file load with nearest filtering and repeat wrap; leaves the
  // class-wide filters linear afterwards and sets `masked`.
  void loadWithMask(const char* fileName, const char* maskName);
  // Writes the JPEG marker listing to rep.txt; makes no texture.
  int loadJPG(const char* fileName);

  // Uploads `image` as a new GL texture into `id` with the class-wide
  // settings (an earlier texture of this object is deleted first). 0, or 1
  // after an err.txt report when the image has no pixels of a known format.
  virtual int createTexture(const VornImage& image);

  // Binds the flip-book's current frame if this texture is one, else `id`.
  void bind();
  unsigned getId() const { return id; }
  static void resetTextureMatrix();

  // Class-wide settings; they affect textures created afterwards.
  static void setNearest() { textureSettings().setNearest(); }
  static void setLinear() { textureSettings().setLinear(); }
  static void enableMipmaps() { textureSettings().enableMipmaps(); }
  static void disableMipmaps() { textureSettings().disableMipmaps(); }
  static void setRepeat() { textureSettings().setRepeat(); }
  static void setClamp() { textureSettings().setClamp(); }
  static void setMirroredRepeat() { textureSettings().setMirroredRepeat(); }
  static void setClampToEdge() { textureSettings().setClampToEdge(); }

  VornTextureAnimation* animation = nullptr;  // not owned
  int32_t masked = 0;
  uint32_t id = 0;
  std::optional<std::string> name;  // lower-case file name; empty until load()

 private:
  int uploadOrFail(int readResult, const VornImage& image);
};

// The game owns one cache and hands it to every loader (terrain, sky, font,
// models, HUD, particles). Textures are addressed everywhere by INDEX; entries
// are only ever appended, never removed or reordered, so an index (and the
// texture it points at, which never moves) stays valid for the whole run.
using VornTextureCache = std::vector<std::unique_ptr<VornTexture>>;

// Index of the entry named exactly `fileName`, else a new entry loaded from
// the file. Names are compared exactly and case-sensitively with the entries'
// lower-case names, so "Photo.BMP" never matches its own entry ("photo.bmp")
// and is loaded again. A failed load stays in the cache (id 0), so a missing
// file is reported once per name.
int findOrLoadTexture(const std::string& fileName, VornTextureCache& cache);

// Always a new entry (no lookup, no name) loaded with loadAlphaBMP and built
// without mipmaps; the mipmap setting is restored afterwards.
int loadAlphaTexture(const std::string& fileName, VornTextureCache& cache);

// Reloads the entry named `cachedName` from `newFileName` (its name becomes
// the new file's); the load's result, or 0 when no entry has that name.
int reloadTexture(const std::string& cachedName, const std::string& newFileName, VornTextureCache& cache);

// Copies the framebuffer rectangle into a new RGB texture (clamp to edge,
// linear filters, class-wide settings not used), then presents the frame
// (GLUT buffer swap). Returns the texture name.
unsigned renderToTexture(int x, int y, int width, int height);
// A new texture, bound, clamped to its edges and filtered linearly without
// mipmaps (pictures made at run time: screen copies, baked shadows).
unsigned newClampedTexture();

}  // namespace vorn
