// VornImage: one decoded picture, made by every image reader and consumed by the texture upload;
// also the readers' size limits. Units: pixels, bottom row first.
// Cost: one heap block of width x height x bytes-per-pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

// Same values as GL_RGB, GL_RGBA, GL_LUMINANCE, GL_LUMINANCE8, GL_UNSIGNED_BYTE:
// the format fields carry our own constants so this record needs no graphics header.
constexpr uint32_t kImageRGB = 0x1907;
constexpr uint32_t kImageRGBA = 0x1908;
constexpr uint32_t kImageLuminance = 0x1909;
constexpr uint32_t kImageLuminance8 = 0x8040;
constexpr uint32_t kImageUnsignedByte = 0x1401;

// Largest width or height a reader accepts; larger claims are refused before
// anything is allocated (16384 x 16384 RGBA is already 1 GiB).
constexpr uint32_t kMaxImageDimension = 16384;

// What a reader may allocate. The game uses the defaults; fuzzing narrows
// them so that a tiny file cannot make every run allocate a gigabyte.
struct ImageLimits {
  uint32_t maxDimension = kMaxImageDimension;
};

// Pixels are stored bottom row first (the order OpenGL expects), left to
// right, without row padding.
struct VornImage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t internalFormat = 0;
  uint32_t format = 0;
  uint32_t type = kImageUnsignedByte;
  std::vector<uint8_t> pixels;

  // Bytes a pixel for `format`: 3, 4 or 1; 0 for an unset format.
  uint32_t bytesPerPixel() const;

  // Sets the header fields and sizes `pixels` (zeroed) for the format.
  void reset(uint32_t w, uint32_t h, uint32_t internal, uint32_t fmt);

  // Becomes a copy of `source` with its rows in reverse order (row y of the
  // copy is row height-1-y of the source). Used to turn top-first readers'
  // output into the bottom-first order. `source` must not be *this.
  void copyFlipped(const VornImage& source);
};

// Exchange byte 0 and byte 2 of `count` pixels of 3 or 4 bytes
// (blue-green-red to red-green-blue and back).
void swapRedBlue3(uint8_t* pixels, size_t count);
void swapRedBlue4(uint8_t* pixels, size_t count);

}  // namespace vorn
