// Feeds arbitrary bytes to the terrain's material-map reader. The grid it
// must cover is taken from the last byte (2 to 17 points a side), so the
// generated 72 x 80 map and tiny hand-made files both exercise the decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "world/material_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int side = size > 0 ? 2 + data[size - 1] % 16 : 2;
  vorn::MaterialMap map;
  std::string detail;
  if (!vorn::decodeMaterialMap(data, size, "fuzz_conv.bmp", side, side, map, detail)) {
    if (detail.empty() || detail.back() != '\n' || !map.empty()) std::abort();
    return 0;
  }
  if (map.weights.size() != static_cast<size_t>(side) * side * 3) std::abort();
  if (map.blendColours.size() != static_cast<size_t>(side) * 2 * (side - 1) * 4) std::abort();
  for (size_t i = 0; i < map.weights.size(); i += 3) {
    const float sum = map.weights[i] + map.weights[i + 1] + map.weights[i + 2];
    if (sum < 0.999f || sum > 1.001f) std::abort();
  }
  return 0;
}
