// TGA reader: colour-mapped (types 1, 9) and true-colour (types 2, 10), raw or run-length.
// Units: pixels, rows bottom first whatever the file's origin.
// Cost: one pass over the file, one allocation (two for a top-first file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/image.h"

namespace vorn {

// 16/24/32-bit colours, either row origin; 16-bit colours are widened from 5
// bits to the full byte range. Output: RGB, or RGBA for 32-bit colours (type
// 9: for 32-bit map entries). On failure returns false and sets `detail` (one
// tab-indented err.txt line); `image` is then empty.
bool decodeTGA(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits = {});

}  // namespace vorn
