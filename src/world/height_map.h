// Height map reader: the terrain's SGI RGB image (verbatim or run-length, channel 0) into a grid
// of float heights. Units: one grid point per pixel; heights are the 8-bit samples times the
// height scale. Cost: one pass over the file; one allocation of W*H floats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

constexpr uint16_t kSgiMagic = 474;
constexpr size_t kSgiHeaderSize = 512;
// Largest grid the terrain accepts. The shipped course is 72 x 100; the
// light map of a grid grows with its point count, so the cap keeps a hostile
// but well-formed file from costing minutes and hundreds of megabytes.
constexpr int kMaxGridSide = 1024;
constexpr int kMaxGridPoints = 65536;
// Smallest grid that still has one cell.
constexpr int kMinGridSide = 2;

// Row r of the grid is the r-th stored line (the image's bottom line is grid
// row 0, the start of the track).
struct HeightGrid {
  int width = 0;   // grid columns, along x
  int height = 0;  // grid rows, along z
  std::vector<float> heights;  // row-major: index r * width + c

  float at(int column, int row) const { return heights[static_cast<size_t>(row) * width + column]; }
  bool empty() const { return heights.empty(); }
};

// Decodes an SGI height map; heights are the samples (0..255) times
// `heightScale` (kHeightScale, 1.0, in the game). Every size is checked
// against the buffer before it is used, run-length rows are cut at the grid
// width and may not read past the end of the file, and the grid is limited to
// kMaxGridSide per side and kMaxGridPoints in all, so a tiny file cannot
// claim gigabytes. On failure `out` is left empty and `detail` holds the
// detail line that goes under "Error VornWorld::loadRGB \n" in err.txt
// (tab-led, or backspace-led for the two-bytes-per-channel refusal, ending in
// a line feed); `fileName` only appears in the messages.
bool decodeSgiHeightMap(const uint8_t* data, size_t size, const std::string& fileName,
                        float heightScale, HeightGrid& out, std::string& detail);

}  // namespace vorn
