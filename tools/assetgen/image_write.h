// Image file writers of the data generator: BMP (24-bit and 1/4/8-bit
// palette), TGA (types 2 and 10, 24/32-bit, either row origin), SGI RGB
// (1, 3 or 4 channels, verbatim or run-length) and GIF87a (palette, LZW).
// Every writer returns the complete file as bytes; writeFile() of
// generator.h puts them on disk. All multi-byte fields are written with an
// explicit byte order (little-endian BMP/TGA/GIF, big-endian SGI).
//
// Input record: `Pixels`, rows TOP TO BOTTOM (row 0 is the top of the
// picture, as a generator naturally paints it), pixels left to right, no
// padding, `channels` bytes a pixel: 1 grey, 3 red-green-blue, 4 with alpha.
// The writers turn rows into each format's own order (bottom-up BMP and SGI,
// TGA per its origin bit). Cost: one pass over the pixels, one allocation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

struct Pixels {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 3;      // 1 grey, 3 RGB, 4 RGBA
  std::vector<uint8_t> data;  // width * height * channels bytes, top row first

  Pixels() = default;
  Pixels(uint32_t w, uint32_t h, uint32_t c) : width(w), height(h), channels(c), data(size_t{w} * h * c, 0) {}

  uint8_t* at(uint32_t x, uint32_t y) { return &data[(size_t{y} * width + x) * channels]; }
  const uint8_t* at(uint32_t x, uint32_t y) const { return &data[(size_t{y} * width + x) * channels]; }
  // Red, green, blue and alpha of a pixel whatever the channel count (grey
  // repeats into r, g, b; alpha is 255 without an alpha channel).
  std::array<uint8_t, 4> rgba(uint32_t x, uint32_t y) const;
};

// Palette image for the indexed BMP and GIF writers: one index a pixel, rows
// top to bottom; palette entries are red, green, blue.
struct IndexedPixels {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> indices;
  std::vector<std::array<uint8_t, 3>> palette;
};

// 24-bit uncompressed BMP: 54-byte header, rows bottom first, blue-green-red,
// each row padded to a multiple of 4 bytes. Alpha is dropped.
std::vector<uint8_t> writeBMP24(const Pixels& image);

// 1-, 4- or 8-bit palette BMP (2, 16 or 256 palette entries, missing entries
// black), rows bottom first and padded to 4 bytes. Indices must fit the depth.
std::vector<uint8_t> writeBMPIndexed(const IndexedPixels& image, int bitsPerPixel);

struct TgaOptions {
  bool runLength = false;  // type 10 instead of type 2
  bool topOrigin = false;  // descriptor bit 5: rows stored top first
};

// True-colour TGA: 3-channel and grey images as 24-bit, 4-channel as 32-bit
// (descriptor alpha bits 8); pixels blue-green-red(-alpha).
std::vector<uint8_t> writeTGA(const Pixels& image, const TgaOptions& options = {});

// SGI RGB, one byte a channel, `channels` planes (1, 3 or 4), bottom line
// first; run-length storage writes the offset and length tables after the
// 512-byte header and one packet stream per row and channel.
std::vector<uint8_t> writeSGI(const Pixels& image, bool runLength);

// GIF87a with a global colour table (the palette, padded to a power of two of
// at least 2 entries), one image, LZW data with a clear code whenever the
// table fills, so any decoder following the format reads it.
std::vector<uint8_t> writeGIF87a(const IndexedPixels& image);

}  // namespace assetgen
