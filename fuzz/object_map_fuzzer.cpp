// Feeds arbitrary bytes to the object-map reader with a model lookup like the
// game's (a path asked for again keeps its index), then places objects from a
// picture holding every kind's key colour and builds their boxes: the caps
// hold, kinds that scanned have their model, and every record that shapes an
// object leaves it finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error_log.h"
#include "world/object_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorn;
  static const bool quiet = [] {
    setErrorLogPath("/dev/null");
    return true;
  }();
  (void)quiet;

  std::vector<std::string> paths;
  const VornModelLookup lookup = [&paths](const std::string& path) {
    for (size_t i = 0; i < paths.size(); ++i) {
      if (paths[i] == path) return static_cast<int>(i);
    }
    paths.push_back(path);
    return static_cast<int>(paths.size()) - 1;
  };
  VornKindList kinds;
  readObjectMap(data, size, lookup, kinds);
  if (kinds.size() > kMaxObjectKinds || paths.size() > kinds.size()) std::abort();
  size_t records = 0;
  for (const VornAddObject& kind : kinds) {
    records += kind.records.size();
    if (kind.scanned != (kind.modelIndex >= 0)) std::abort();
    if (kind.scanned && (kind.modelPath.rfind(kObjectModelFolder, 0) != 0 ||
                         static_cast<size_t>(kind.modelIndex) >= paths.size() ||
                         paths[static_cast<size_t>(kind.modelIndex)] != kind.modelPath)) {
      std::abort();
    }
    for (const VornPlacementRecord& r : kind.records) {
      for (float v : {r.scale, r.rotateX, r.rotateZ, r.rotateY, r.offsetX, r.offsetY, r.offsetZ}) {
        if (!std::isfinite(v)) std::abort();
      }
    }
  }
  if (records > kMaxPlacementRecords) std::abort();

  // Each kind's colour on a row of its own, two pixels wide.
  VornPlacementImage image;
  image.width = 2;
  image.height = static_cast<int>(kinds.size());
  for (const VornAddObject& kind : kinds) {
    for (int c = 0; c < 2; ++c) image.pixels.insert(image.pixels.end(), {kind.blue, kind.green, kind.red});
  }
  const VornPlacementPlan plan = planPlacements(image, kinds, paths.size(), 72, 80, 50.0f, 50.0f);
  VornActionObjectList objects;
  placeAll(plan, kinds, [](float x, float z) { return x * 0.01f + z * 0.02f; }, objects);
  if (objects.size() != plan.placements.size()) std::abort();
  buildObjectBoxes(objects, [](int) { return 120.0f; });
  for (const auto& object : objects) {
    const float* m = object->modelMatrix();
    for (int i = 12; i < 15; ++i) {
      if (!std::isfinite(m[i])) std::abort();
    }
  }
  return 0;
}
