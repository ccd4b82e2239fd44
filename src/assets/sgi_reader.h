// SGI RGB reader: one byte a channel, 1, 3 or 4 channels, verbatim or run-length.
// Units: pixels, rows bottom first; big-endian file. Cost: one pass over the file, one allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/image.h"

namespace vorn {

constexpr uint32_t kSgiHeaderBytes = 512;
constexpr uint16_t kSgiMagic = 474;

// Verbatim planes, or run-length rows found through the offset table after
// the 512-byte header. Verbatim grey becomes RGB with equal channels;
// run-length grey stays one channel (luminance). On failure returns false
// and sets `detail` (one err.txt line; "\bpc==2 not supported\n" really starts
// with a backspace, as the game has always logged).
bool decodeSGI(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits = {});

}  // namespace vorn
