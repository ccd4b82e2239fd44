// The desktop icon: a cow's head before a snowy peak in a rounded square,
// painted at any size from one resolution-free description (4 x 4 samples
// a pixel) and written as RGBA PNG files outside data/, since the game never
// reads them: <root>/icons/vorn_64.png and vorn_128.png. Cost: 16 shape
// tests per sample, well under a millisecond at 128 x 128.
#pragma once

#include <cstdint>
#include <string>

#include "assetgen/image_write.h"

namespace assetgen {

// Icon sizes written, in pixels (square).
constexpr uint32_t kIconSizes[] = {64, 128};

// The icon at `size` x `size`, RGBA, transparent outside the rounded square.
Pixels paintIcon(uint32_t size);

int generateIcon(const std::string& root);

}  // namespace assetgen
