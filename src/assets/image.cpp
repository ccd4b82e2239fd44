#include "assets/image.h"

#include <cassert>
#include <cstring>
#include <utility>

namespace vorn {

uint32_t VornImage::bytesPerPixel() const {
  switch (format) {
    case kImageRGB: return 3;
    case kImageRGBA: return 4;
    case kImageLuminance: return 1;
    default: return 0;
  }
}

void VornImage::reset(uint32_t w, uint32_t h, uint32_t internal, uint32_t fmt) {
  width = w;
  height = h;
  internalFormat = internal;
  format = fmt;
  type = kImageUnsignedByte;
  pixels.assign(size_t{w} * h * bytesPerPixel(), 0);
}

void VornImage::copyFlipped(const VornImage& source) {
  assert(&source != this && "copyFlipped: source and target must differ");
  width = source.width;
  height = source.height;
  internalFormat = source.internalFormat;
  format = source.format;
  type = source.type;
  pixels.assign(source.pixels.size(), 0);
  const size_t rowBytes = size_t{width} * bytesPerPixel();
  if (rowBytes == 0 || source.pixels.size() != rowBytes * height) return;
  for (uint32_t y = 0; y < height; ++y) {
    std::memcpy(&pixels[y * rowBytes], &source.pixels[(height - 1 - y) * rowBytes], rowBytes);
  }
}

void swapRedBlue3(uint8_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) std::swap(pixels[i * 3], pixels[i * 3 + 2]);
}

void swapRedBlue4(uint8_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) std::swap(pixels[i * 4], pixels[i * 4 + 2]);
}

}  // namespace vorn
