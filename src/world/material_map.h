// Material map reader: a 24-bit BMP, one pixel a grid point, into material weights and the blend
// colours of the ground's multitexture pass. Units: weights 0..1 summing to 1, RGBA 0..1.
// Cost: one pass; W*H*3 floats of weights and W*2*(H-1)*4 floats of colours.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_reader.h"

namespace vorn {

// Channels in the order snow, grass, ice (the channel numbers of the
// ground queries).
constexpr int kMaterialChannels = 3;

struct MaterialMap {
  int width = 0;                    // grid columns W
  int height = 0;                   // grid rows H
  std::vector<float> weights;       // (r * W + c) * 3 + channel
  std::vector<float> blendColours;  // RGBA per strip point, strip layout of the mesh

  bool empty() const { return weights.empty(); }
};

// Pixel meaning (file order blue, green, red): red paints snow, green grass,
// blue ice; black is pure snow.
// Weights of one pixel given as blue, green, red bytes.
std::array<float, 3> materialWeights(uint8_t blue, uint8_t green, uint8_t red);
// Blend colour (RGBA) of one pixel given as blue, green, red bytes: grey =
// the grass share between snow and grass, alpha = the ice share.
std::array<float, 4> materialBlendColour(uint8_t blue, uint8_t green, uint8_t red);

// The BMP the map readers take (material map, placement image): "BM", a
// 14-byte file header whose pixel offset is not used, an info header of which
// size, width, height, planes and bit count are read (a longer one is skipped
// to its end), then the pixels at once: width * height * 3 bytes, blue, green,
// red, rows packed without padding, the bottom row stored first.
struct MapBmpHeader {
  int32_t width = 0;  // as stored; the format's sides are signed
  int32_t height = 0;
  uint16_t bitCount = 0;
};

// Reads the headers, leaving `in` at the first pixel, and accepts 24 bits a
// pixel only. On failure `detail` is the detail line: "\tbmp header damaged or
// unknown : <name>\n", "\tfile truncated: <name>\n" or "\tunsopported bit
// format only 24 bit supported : file pixelsize= <bits>\n".
bool readMapBmpHeader(ByteReader& in, const std::string& fileName, MapBmpHeader& header, std::string& detail);
// The packed pixel block that follows the headers; null (and `in` unmoved)
// when a side is negative or the file ends before the block does.
const uint8_t* takeMapBmpPixels(ByteReader& in, const MapBmpHeader& header);

// Decodes the material map for a grid of gridWidth x gridHeight points. Every
// field is bounds-checked, the pixel block must be in the file, and the
// picture must cover the whole grid (a smaller one would leave grid points
// without a pixel). On failure `out` is left empty and `detail` holds the detail line that goes
// under "Error VornWorld::loadMatMap \n"; `fileName` only appears in it.
bool decodeMaterialMap(const uint8_t* data, size_t size, const std::string& fileName, int gridWidth,
                       int gridHeight, MaterialMap& out, std::string& detail);

}  // namespace vorn
