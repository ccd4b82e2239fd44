// Feeds arbitrary bytes to the terrain's SGI height-map reader, then builds
// the mesh and samples the surface of whatever it accepted: no step may read
// or write out of bounds, and a failure carries one detail line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "world/height_map.h"
#include "world/terrain_mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vorn::HeightGrid grid;
  std::string detail;
  if (!vorn::decodeSgiHeightMap(data, size, "fuzz.rgb", 1.0f, grid, detail)) {
    if (detail.empty() || detail.back() != '\n' || !grid.empty()) std::abort();
    return 0;
  }
  if (grid.heights.size() != static_cast<size_t>(grid.width) * grid.height) std::abort();
  const vorn::TerrainMesh mesh = vorn::buildTerrainMesh(grid, 50.0f, 50.0f);
  for (int32_t index : mesh.indices) {
    if (index < 0 || index >= mesh.pointCount()) std::abort();
  }
  for (float x : {-10.0f, 0.0f, 77.7f, 1e6f}) {
    for (float z : {-3.0f, 0.0f, 123.4f, 1e6f}) {
      const vorn::SurfacePoint s = vorn::locateOnSurface(grid.width, grid.height, 50.0f, 50.0f, x, z);
      float h = 0.0f;
      for (int k = 0; k < 3; ++k) h += s.weight[k] * grid.heights.at(static_cast<size_t>(s.point[k]));
      if (!std::isfinite(h)) std::abort();
    }
  }
  return 0;
}
