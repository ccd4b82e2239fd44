// What every image reader promises, checked after each fuzz input: a success
// is a consistent image within the limits, a failure is an empty image with
// one tab- (or backspace-) led detail line. Traps by hand: the fuzz build
// compiles asserts away.
#pragma once

#include <string>

#include "assets/image.h"

namespace vorn::fuzz {

// Narrower than the game's cap so a tiny input cannot make every run
// allocate a gigabyte; the checks are the same code either way.
inline ImageLimits fuzzLimits() {
  ImageLimits limits;
  limits.maxDimension = 2048;
  return limits;
}

inline void checkResult(bool ok, const VornImage& image, const std::string& detail) {
  if (ok) {
    const uint32_t bpp = image.bytesPerPixel();
    if (bpp == 0 || image.width == 0 || image.height == 0) __builtin_trap();
    if (image.width > fuzzLimits().maxDimension || image.height > fuzzLimits().maxDimension) __builtin_trap();
    if (image.pixels.size() != size_t{image.width} * image.height * bpp) __builtin_trap();
    if (!detail.empty()) __builtin_trap();
    unsigned sum = 0;  // touch every byte so the sanitizers see uninitialised reads
    for (uint8_t b : image.pixels) sum += b;
    (void)sum;
  } else {
    if (!image.pixels.empty()) __builtin_trap();
    if (detail.size() < 2 || (detail[0] != '\t' && detail[0] != '\b') || detail.back() != '\n') __builtin_trap();
  }
}

}  // namespace vorn::fuzz
