// BMP files: the reader (24-bit and 1/4/8-bit palette, uncompressed), its two alpha variants and
// the 24-bit writer of the game's cached images. Units: pixels, rows bottom first, 4-byte padded.
// Cost: one pass over the file, one allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/image.h"

namespace vorn {

// The readers take the whole file in memory; `name` only appears in detail
// lines. On failure they return false and set `detail` to the one
// tab-indented line for err.txt; `image` is then left empty.

// Any supported depth into an RGB image.
bool decodeBMP(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits = {});

// 24-bit only, into RGBA with alpha = red (textures whose alpha is their own
// red channel).
bool decodeBMPAlpha(const uint8_t* data, size_t size, const std::string& name, VornImage& image,
                    std::string& detail, const ImageLimits& limits = {});

// Colour file and "mask" file, both 24-bit and of the same size, into RGBA
// with alpha = the mask's red.
bool decodeBMPMasked(const uint8_t* colour, size_t colourSize, const std::string& colourName, const uint8_t* mask,
                     size_t maskSize, const std::string& maskName, VornImage& image, std::string& detail,
                     const ImageLimits& limits = {});

// A 24-bit uncompressed BMP of the image (RGB as is, RGBA without its alpha,
// luminance as grey); empty when the image has no pixels of a known format.
std::vector<uint8_t> encodeBMP(const VornImage& image);

// Writes encodeBMP(image) to `fileName`; returns 0, or 1 after logging
// "Error saveBMP \n" and a detail line.
int saveBMP(const char* fileName, const VornImage& image);

}  // namespace vorn
