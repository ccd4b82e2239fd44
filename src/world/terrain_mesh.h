// TerrainMesh: strip vertices, triangle indices and barrier walls from a height grid, texture
// coordinates and the shared surface lookup. Units: world units (grid spacing 50, heights as read).
// Cost: W*2*(H-1)*3 floats of vertices and (W-1)*(H-1)*6 + 24 indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/vector.h"
#include "world/height_map.h"

namespace vorn {

constexpr float kGridSpacingX = 50.0f;
constexpr float kHeightScale = 1.0f;
constexpr float kGridSpacingZ = 50.0f;
// Height of the barrier walls (from 0); far above any 8-bit terrain.
constexpr float kBarrierHeight = 1000.0f;
constexpr int kBarrierPointCount = 8;
constexpr int kBarrierIndexCount = 24;
// The ground textures repeat every 12 (snow) and 3 (grass) grid cells.
constexpr float kSnowTextureCells = 12.0f;
constexpr float kGrassTextureCells = 3.0f;

// Row r of cells is one triangle strip of 2*W points starting at point
// 2*W*r; point 2*W*r + 2*c is grid point (c, r), the next one is (c, r+1).
// Each cell (c, r) is split along the diagonal from (c+1, r) to (c, r+1) into
// the triangles (c,r)(c,r+1)(c+1,r) and (c,r+1)(c+1,r+1)(c+1,r), both wound
// so that their normals point up. Eight wall points follow the strip points;
// four vertical rectangles (two triangles each, normals facing into the
// course) close the track.
struct TerrainMesh {
  int width = 0;                // grid columns W
  int height = 0;               // grid rows H
  int stripPointCount = 0;      // W * 2 * (H - 1)
  std::vector<float> vertices;  // 3 floats a point: strip points, then the wall points
  std::vector<int32_t> indices; // 6 per cell, then 24 for the walls

  int pointCount() const { return stripPointCount + kBarrierPointCount; }
  int triangleCount() const { return static_cast<int>(indices.size() / 3); }
};

// First strip point of grid point (column, row) in strip row `row`.
inline int stripPoint(int width, int row, int column) { return 2 * width * row + 2 * column; }

TerrainMesh buildTerrainMesh(const HeightGrid& grid, float spacingX, float spacingZ);

// The box round each strip row's points (H - 1 rows), for leaving rows out
// of view undrawn.
struct StripBox {
  VornVector min, max;
};
std::vector<StripBox> stripBoxes(const TerrainMesh& mesh);

// Two floats per strip point: (c / cells, r / cells) for grid point (c, r).
std::vector<float> groundTexCoords(int width, int height, float cells);

// Two floats per strip point: (c / W, r / H); the shadow texture covers the
// whole grid.
std::vector<float> shadowTexCoords(int width, int height);

// The triangle of the mesh under (x, z) and the barycentric weights of its
// three grid points (indices r * W + c). Positions outside the grid are
// clamped onto its border, so every query stays inside the arrays. At an
// exact grid point the first weight is 1 and the others 0.
struct SurfacePoint {
  int point[3];
  float weight[3];
};
SurfacePoint locateOnSurface(int width, int height, float spacingX, float spacingZ, float x, float z);

}  // namespace vorn
