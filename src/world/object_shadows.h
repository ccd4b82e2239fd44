// Projected object shadows, device-free: the layout of the baked shadow texture, the oblique
// matrix that flattens objects along the light, and the shadow meshes laid on the terrain.
// Units: world units, grid cells, texels. Cost: a mesh is a few clips per covered cell.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "math/vector.h"
#include "world/height_map.h"

namespace vorn {

class VornTerrain;

// The baked texture is made of square tiles, each rendered on its own.
constexpr int kShadowTileTexels = 512;
constexpr int kShadowCellsPerTile = 25;
// More tiles than this would cost hundreds of megabytes of texture on the
// largest grids the terrain accepts; the tiles then grow instead.
constexpr int kMaxShadowTiles = 64;
constexpr float kShadowGrey = 0.7f;
// The flattened geometry sits at this eye depth inside an orthographic
// depth range of 0 to 1000.
constexpr float kShadowDepth = -999.0f;
constexpr float kShadowOrthoNear = 0.0f;
constexpr float kShadowOrthoFar = 1000.0f;
// A light this close to the horizon throws no usable shadow (the oblique
// matrix divides by the light's height).
constexpr float kMinShadowLightHeight = 0.01f;
// Shadow meshes float this high over the ground so they never fight it for
// the depth buffer.
constexpr float kShadowMeshLift = 0.5f;
// Floats a shadow-mesh vertex: x, y, z, s, t.
constexpr int kShadowVertexFloats = 5;

// nx x nz tiles of tileTexels each cover x from 0 to W * sx and z from 0 to
// H * sz (one cell beyond the last grid point, as the terrain's shadow
// coordinates (c / W, r / H) run): tile column i spans x from i * tileWidth to
// (i + 1) * tileWidth, row j spans z likewise with tileDepth, so the texels
// sit exactly where the terrain looks for them on a square or non-square
// course. (Stepping both axes by W / nx cells would put tiles outside the
// texture on a long course.)
struct ShadowTextureLayout {
  int nx = 0;
  int nz = 0;
  int tileTexels = kShadowTileTexels;
  float tileWidth = 0.0f;  // world units along x
  float tileDepth = 0.0f;  // world units along z
  int textureWidth() const { return nx * tileTexels; }
  int textureHeight() const { return nz * tileTexels; }
};

// nx is the smallest power of two from 2 up not below ceil(W / 25), nz the
// same for H; both are halved together while either side of the texture
// exceeds `maxTextureSize` or there are more than kMaxShadowTiles tiles (never
// below 1). `tileTexels` is the tile size (512 unless the framebuffer is
// smaller).
ShadowTextureLayout shadowTextureLayout(int gridWidth, int gridHeight, float spacingX, float spacingZ,
                                        int maxTextureSize, int tileTexels = kShadowTileTexels);

// Maps (x, y, z) to the point where the light ray through it meets height 0,
// as (x - y * L.x / L.y, z - y * L.z / L.y, -999): the picture's horizontal
// axis is world x, its vertical axis world z. `light` points towards the
// light and needs L.y >= kMinShadowLightHeight.
VornMatrix shadowProjectionMatrix(const VornVector& light);
inline bool shadowLightUsable(const VornVector& light) { return light.y >= kMinShadowLightHeight; }

// One object's shadow on the terrain: textured triangles (GL_TRIANGLES), and
// the buffer name the device layer gives them (0 until uploaded).
struct VornShadowMesh {
  std::vector<float> vertices;  // kShadowVertexFloats a vertex
  uint32_t buffer = 0;
  int vertexCount() const { return static_cast<int>(vertices.size() / kShadowVertexFloats); }
  bool empty() const { return vertices.empty(); }
};

// The shadow quad on the ground: a rectangle around the eight box corners
// flattened along the light onto the plane `groundHeight`, its long axis u
// the direction the shadow falls (away from the light; +z for a vertical
// light) and v across it. corners[0..3] run (u min, v min), (u max, v min),
// (u max, v max), (u min, v max); seen from above they turn like the terrain
// triangles (normals up). The shadow image spreads over it: s runs along v,
// t along u from the side nearest the light.
struct ShadowQuad {
  std::array<VornVector, 4> corners;
  float ux = 0.0f, uz = 1.0f;  // unit u axis in the ground plane
  float uMin = 0.0f, uMax = 0.0f, vMin = 0.0f, vMax = 0.0f;
  float groundHeight = 0.0f;
  // Texture coordinates (s, t) of the ground point (x, z).
  std::array<float, 2> texCoord(float x, float z) const;
  bool degenerate() const;
};

ShadowQuad shadowQuad(const std::array<VornVector, 8>& boxCorners, const VornVector& light, float groundHeight);

// The eight corners of the box [min, max] through `matrix`.
std::array<VornVector, 8> boxCorners(const VornVector& min, const VornVector& max, const VornMatrix& matrix);

// The part of the baked shadow picture (world x and z) that a caster can
// darken: its boxes (corners in the world lowered onto the caster's ground)
// flattened along `light` (towards the light, kMinShadowLightHeight or
// higher), leaving out what lies below height 0, which the bake clips away.
// A tile the footprint does not touch need not draw the caster.
struct ShadowFootprint {
  float minX = 0.0f, minZ = 0.0f, maxX = 0.0f, maxZ = 0.0f;
  bool empty = true;
  void add(const std::array<VornVector, 8>& corners, const VornVector& light);
  // Whether it reaches into [x0, x1] x [z0, z1], edges included.
  bool touches(float x0, float z0, float x1, float z1) const;
};

// Ground height of the terrain surface under (x, z), clamped onto the grid.
float groundHeightAt(const HeightGrid& grid, float spacingX, float spacingZ, float x, float z);

// The shadow mesh of a box (eight world-space corners) for `light` (towards
// the light, any length): the quad on the ground under the box's middle, cut
// along the terrain's cells and their diagonals so every piece lies in one
// terrain triangle, heights on the surface plus kShadowMeshLift. Appends the
// construction's diagnostic lines to `diagnostics` (quad corners, side lines,
// border crossings, sorted crossings, inside points and cell outlines). A
// light at the horizon or a flat box gives an empty mesh and the line
// "something wrong here".
VornShadowMesh makeProjectionShadow(const std::array<VornVector, 8>& boxCorners, const VornVector& light,
                                    const HeightGrid& grid, float spacingX, float spacingZ,
                                    std::string& diagnostics);
VornShadowMesh makeProjectionShadow(const std::array<VornVector, 8>& boxCorners, const VornVector& light,
                                    const VornTerrain& terrain, std::string& diagnostics);

}  // namespace vorn
