// Shared tools of the image readers: ByteReader (base/byte_reader.h), the size check run before
// any allocation, and detail lines (base/text_format.h). Units: pixels, bytes.
// Cost: nothing allocates except the detail lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/byte_reader.h"
#include "base/text_format.h"
#include "assets/image.h"

namespace vorn {

// True when width and height are both in 1..limits.maxDimension; otherwise
// sets the detail "\timage size not supported: <w> x <h>\n".
bool checkImageSize(int64_t width, int64_t height, const ImageLimits& limits, std::string& detail);

// The detail of a file that ends before the data its header promises.
std::string truncatedDetail(const std::string& name);

}  // namespace vorn
