// TextureSettings: the class-wide filters, wrap mode and mipmap flag every later texture upload
// uses, kept apart from GL. Units: GL enum values. Cost: plain integers; no allocation.
#pragma once

#include <cstdint>

namespace vorn {

// Same values as the GL_* names they mirror: our own constants, so the
// settings can be tested without a graphics context.
constexpr uint32_t kTexNearest = 0x2600;
constexpr uint32_t kTexLinear = 0x2601;
constexpr uint32_t kTexNearestMipmapNearest = 0x2700;
constexpr uint32_t kTexLinearMipmapLinear = 0x2703;
constexpr uint32_t kTexClamp = 0x2900;
constexpr uint32_t kTexRepeat = 0x2901;
constexpr uint32_t kTexClampToEdge = 0x812F;
constexpr uint32_t kTexMirroredRepeat = 0x8370;

struct TextureSettings {
  uint32_t magFilter = kTexNearest;
  uint32_t minFilter = kTexNearest;
  uint32_t wrapS = kTexRepeat;
  uint32_t wrapT = kTexRepeat;
  bool mipmaps = false;

  void setNearest();
  void setLinear();
  void enableMipmaps();
  void disableMipmaps();
  void setRepeat() { wrapS = wrapT = kTexRepeat; }
  void setClamp() { wrapS = wrapT = kTexClamp; }
  void setMirroredRepeat() { wrapS = wrapT = kTexMirroredRepeat; }
  void setClampToEdge() { wrapS = wrapT = kTexClampToEdge; }
};

// The one program-wide set, read by every texture upload.
TextureSettings& textureSettings();

}  // namespace vorn
