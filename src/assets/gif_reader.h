// GIF87a reader: the first image of the file, its local colour table or else
// the global one, LZW-decoded with an explicit stack (no recursion, bounded
// by the 4096-entry table); interlaced images are put back in row order.
// Output: RGB, rows bottom first. On failure returns false and sets `detail`
// (one err.txt line). Cost: one pass; memory grows only with the pixels the
// data actually produces, then one RGB allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/image.h"

namespace vorn {

bool decodeGIF(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits = {});

}  // namespace vorn
