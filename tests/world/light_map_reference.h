// The light-map blur written the plain way: for every texel of the blur block
// and channel, the whole clipped window in single-precision floats; each channel
// sum truncated after every addition, the weight sum not. The game's fast blur
// must give these bytes exactly (tests and benchmark compare against this).
#pragma once

#include <cstdint>
#include <vector>

#include "assets/image.h"
#include "world/light_map.h"

namespace vorn::test {

inline void referenceBlurLightMap(VornImage& image, int gridWidth, int gridHeight, int f, int passes, int radius) {
  if (f <= 1) return;
  const std::vector<float> w = lightMapBlurKernel(radius);
  const int k = 2 * radius + 1;
  const int rows = lightMapBlurRows(gridHeight, f);
  const int columns = lightMapBlurColumns(gridWidth, f);
  const int stride = static_cast<int>(image.width) * 3;
  for (int pass = 0; pass < passes; ++pass) {
    const std::vector<uint8_t> source = image.pixels;
    for (int z = 0; z < rows; ++z) {
      for (int x = 0; x < columns; ++x) {
        int sum[3] = {0, 0, 0};
        float weightSum = 0.0f;
        for (int zz = z - radius; zz <= z + radius; ++zz) {
          if (zz < 0 || zz >= rows) continue;
          for (int xx = x - radius; xx <= x + radius; ++xx) {
            if (xx < 0 || xx >= columns) continue;
            const float weight = w[static_cast<size_t>(zz - z + radius) * k + (xx - x + radius)];
            const uint8_t* s = &source[static_cast<size_t>(zz) * stride + xx * 3];
            for (int ch = 0; ch < 3; ++ch) {
              const float product = static_cast<float>(s[ch]) * weight;
              sum[ch] = static_cast<int>(product + static_cast<float>(sum[ch]));
            }
            weightSum += weight;
          }
        }
        uint8_t* out = &image.pixels[static_cast<size_t>(z) * stride + x * 3];
        for (int ch = 0; ch < 3; ++ch) {
          const float v = static_cast<float>(sum[ch]) / weightSum;
          out[ch] = static_cast<uint8_t>(v <= 255.0f ? static_cast<int>(v) : 255);
        }
      }
    }
  }
}

}  // namespace vorn::test
