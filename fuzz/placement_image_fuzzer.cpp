// Feeds arbitrary bytes to the placement-image reader and plans the objects
// of three kinds (two sharing a colour) on a grid taken from the last byte:
// a refusal leaves the image empty with one detail line, and every planned
// object stands within the grid's span, in pixel order, under the cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "world/object_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorn;
  VornPlacementImage image;
  std::string detail;
  if (!decodePlacementImage(data, size, "fuzz.bmp", image, detail)) {
    if (detail.empty() || detail.back() != '\n' || !image.pixels.empty()) std::abort();
    return 0;
  }
  if (image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3) std::abort();

  VornKindList kinds;
  for (const char* line : {"1 a 255 0 0", "2 b 255 0 0", "3 c 0 255 0"}) {
    kinds.emplace_back(line, [](const std::string&) { return 0; });
  }
  const int side = size > 0 ? 2 + data[size - 1] % 64 : 2;
  const VornPlacementPlan plan = planPlacements(image, kinds, 1, side, side, 50.0f, 50.0f);
  if (plan.placements.size() > kMaxPlacedObjects) std::abort();
  const float span = side * 50.0f;
  float lastZ = 0.0f;
  for (const VornPlacement& p : plan.placements) {
    if (p.kind >= kinds.size() || !(p.x >= 0.0f && p.x <= span) || !(p.z >= lastZ && p.z < span)) std::abort();
    lastZ = p.z;
  }
  return 0;
}
