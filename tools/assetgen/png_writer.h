// PNG writer of the data generator (the desktop icon): 8-bit grey, RGB or
// RGBA, one IDAT chunk whose zlib stream holds stored (uncompressed) deflate
// blocks, so no compressor is needed and the bytes depend on the pixels
// alone. Chunk lengths, CRC-32 and Adler-32 are written big-endian.
// Cost: one pass over the pixels for the checksums, output about the size
// of the raw pixels plus 5 bytes per 64 KiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "assetgen/image_write.h"

namespace assetgen {

// CRC-32 as PNG chunks use it (polynomial 0xEDB88320, reflected, inverted).
uint32_t pngCrc32(const uint8_t* bytes, size_t size);

// Adler-32 of a zlib stream's uncompressed data.
uint32_t adler32(const uint8_t* bytes, size_t size);

// The complete file: signature, IHDR, IDAT, IEND. Rows are stored top first
// (PNG's own order) with filter type 0. `image.channels` must be 1, 3 or 4.
std::vector<uint8_t> writePNG(const Pixels& image);

}  // namespace assetgen
