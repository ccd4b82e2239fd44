#include "assets/texture_settings.h"

namespace vorn {

void TextureSettings::setNearest() {
  magFilter = kTexNearest;
  minFilter = mipmaps ? kTexNearestMipmapNearest : kTexNearest;
}

void TextureSettings::setLinear() {
  magFilter = kTexLinear;
  minFilter = mipmaps ? kTexLinearMipmapLinear : kTexLinear;
}

void TextureSettings::enableMipmaps() {
  mipmaps = true;
  // Asking twice keeps the nearest filter nearest.
  const bool nearest = minFilter == kTexNearest || minFilter == kTexNearestMipmapNearest;
  minFilter = nearest ? kTexNearestMipmapNearest : kTexLinearMipmapLinear;
}

void TextureSettings::disableMipmaps() {
  mipmaps = false;
  const bool nearest = minFilter == kTexNearest || minFilter == kTexNearestMipmapNearest;
  minFilter = nearest ? kTexNearest : kTexLinear;
}

TextureSettings& textureSettings() {
  static TextureSettings settings;
  return settings;
}

}  // namespace vorn
