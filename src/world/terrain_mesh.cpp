#include "world/terrain_mesh.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace vorn {
namespace {

void pushPoint(std::vector<float>& v, float x, float y, float z) {
  v.push_back(x);
  v.push_back(y);
  v.push_back(z);
}

// Clamps a grid coordinate into [0, count - 1] (NaN goes to 0) and splits it
// into a cell index in [0, count - 2] and the fraction inside that cell.
void splitCoordinate(float u, int count, int& cell, float& fraction) {
  const float last = static_cast<float>(count - 1);
  if (!(u > 0.0f)) u = 0.0f;
  if (u > last) u = last;
  cell = static_cast<int>(u);
  if (cell > count - 2) cell = count - 2;
  fraction = u - static_cast<float>(cell);
}

}  // namespace

TerrainMesh buildTerrainMesh(const HeightGrid& grid, float spacingX, float spacingZ) {
  assert(grid.width >= kMinGridSide && grid.height >= kMinGridSide && "terrain mesh needs at least one cell");
  const int w = grid.width;
  const int h = grid.height;
  TerrainMesh mesh;
  mesh.width = w;
  mesh.height = h;
  mesh.stripPointCount = w * 2 * (h - 1);
  mesh.vertices.reserve(static_cast<size_t>(mesh.pointCount()) * 3);
  for (int r = 0; r + 1 < h; ++r) {
    for (int c = 0; c < w; ++c) {
      pushPoint(mesh.vertices, c * spacingX, grid.at(c, r), r * spacingZ);
      pushPoint(mesh.vertices, c * spacingX, grid.at(c, r + 1), (r + 1) * spacingZ);
    }
  }

  // Wall corners: columns at (x1, z1), (x2, z1), (x1, z2), (x2, z2), each
  // with a foot at 0 and a top at kBarrierHeight.
  const float x1 = 2.0f * spacingX;
  const float x2 = static_cast<float>(w - 3) * spacingX;
  const float z1 = spacingZ;
  const float z2 = static_cast<float>(h - 2) * spacingZ;
  const float corners[4][2] = {{x1, z1}, {x2, z1}, {x1, z2}, {x2, z2}};
  for (const auto& corner : corners) {
    pushPoint(mesh.vertices, corner[0], 0.0f, corner[1]);
    pushPoint(mesh.vertices, corner[0], kBarrierHeight, corner[1]);
  }

  mesh.indices.reserve(static_cast<size_t>(w - 1) * (h - 1) * 6 + kBarrierIndexCount);
  for (int r = 0; r + 1 < h; ++r) {
    for (int c = 0; c + 1 < w; ++c) {
      const int p = stripPoint(w, r, c);
      const int32_t cell[6] = {p, p + 1, p + 2, p + 1, p + 3, p + 2};
      mesh.indices.insert(mesh.indices.end(), cell, cell + 6);
    }
  }
  // Wall point k: 2 * corner + (0 foot, 1 top). Windings face the inside:
  // start wall +z, end wall -z, left wall +x, right wall -x.
  const int b = mesh.stripPointCount;
  const int32_t walls[kBarrierIndexCount] = {
      b + 0, b + 2, b + 1, b + 1, b + 2, b + 3,  // start, z = z1
      b + 4, b + 5, b + 6, b + 5, b + 7, b + 6,  // end, z = z2
      b + 0, b + 1, b + 4, b + 1, b + 5, b + 4,  // left, x = x1
      b + 2, b + 6, b + 3, b + 3, b + 6, b + 7,  // right, x = x2
  };
  mesh.indices.insert(mesh.indices.end(), walls, walls + kBarrierIndexCount);
  return mesh;
}

std::vector<float> groundTexCoords(int width, int height, float cells) {
  std::vector<float> coords;
  coords.reserve(static_cast<size_t>(width) * 4 * (height - 1));
  for (int r = 0; r + 1 < height; ++r) {
    for (int c = 0; c < width; ++c) {
      coords.push_back(c / cells);
      coords.push_back(r / cells);
      coords.push_back(c / cells);
      coords.push_back((r + 1) / cells);
    }
  }
  return coords;
}

std::vector<float> shadowTexCoords(int width, int height) {
  std::vector<float> coords;
  coords.reserve(static_cast<size_t>(width) * 4 * (height - 1));
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  for (int r = 0; r + 1 < height; ++r) {
    for (int c = 0; c < width; ++c) {
      coords.push_back(c / w);
      coords.push_back(r / h);
      coords.push_back(c / w);
      coords.push_back((r + 1) / h);
    }
  }
  return coords;
}

SurfacePoint locateOnSurface(int width, int height, float spacingX, float spacingZ, float x, float z) {
  int c = 0;
  int r = 0;
  float fx = 0.0f;
  float fz = 0.0f;
  splitCoordinate(x / spacingX, width, c, fx);
  splitCoordinate(z / spacingZ, height, r, fz);
  const int p00 = r * width + c;
  const int p10 = p00 + 1;
  const int p01 = p00 + width;
  const int p11 = p01 + 1;
  if (fx == 0.0f && fz == 0.0f) return {{p00, p10, p01}, {1.0f, 0.0f, 0.0f}};
  if (1.0f - fx > fz) {
    // Triangle (c, r), (c+1, r), (c, r+1).
    return {{p00, p10, p01}, {1.0f - fx - fz, fx, fz}};
  }
  // Triangle (c+1, r+1), (c+1, r), (c, r+1), measured from the far corner.
  const float a = 1.0f - fx;
  const float b = 1.0f - fz;
  return {{p11, p10, p01}, {1.0f - a - b, b, a}};
}

std::vector<StripBox> stripBoxes(const TerrainMesh& mesh) {
  std::vector<StripBox> boxes;
  const size_t perRow = 2 * static_cast<size_t>(std::max(mesh.width, 0));
  if (perRow == 0) return boxes;
  const size_t rows = static_cast<size_t>(mesh.stripPointCount) / perRow;
  for (size_t r = 0; r < rows; ++r) {
    StripBox box;
    for (size_t i = 0; i < perRow; ++i) {
      const size_t at = 3 * (r * perRow + i);
      if (at + 2 >= mesh.vertices.size()) break;
      const VornVector p(mesh.vertices[at], mesh.vertices[at + 1], mesh.vertices[at + 2]);
      box.min = i == 0 ? p : VornVector(std::fmin(box.min.x, p.x), std::fmin(box.min.y, p.y), std::fmin(box.min.z, p.z));
      box.max = i == 0 ? p : VornVector(std::fmax(box.max.x, p.x), std::fmax(box.max.y, p.y), std::fmax(box.max.z, p.z));
    }
    boxes.push_back(box);
  }
  return boxes;
}

}  // namespace vorn
