// GIF87a reader: the first image of the file into RGB. Units: pixels, rows bottom first.
// Cost: one pass; memory grows only with the pixels the data produces, then one RGB allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/image.h"

namespace vorn {

// Uses the image's local colour table, or else the global one. LZW decoding
// runs on an explicit stack (no recursion, bounded by the 4096-entry table);
// interlaced images are put back in row order. On failure returns false and
// sets `detail` (one err.txt line).
bool decodeGIF(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits = {});

}  // namespace vorn
