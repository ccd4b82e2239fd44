// The class-wide texture upload settings (filters, wrap mode, mipmaps) that
// every texture created afterwards uses, kept apart from the upload so they
// can be reasoned about and tested without a graphics context. Values are
// our own constants equal to the OpenGL enums they stand for.
// Cost: plain integers; no allocation.
#pragma once

#include <cstdint>

namespace vorn {

// Same values as the GL_* names they mirror.
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
