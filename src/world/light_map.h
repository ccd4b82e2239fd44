// Terrain light map: a grey RGB picture of the terrain lit by the world's light direction,
// modulated into the ground and cached on disk as a BMP. Units: f texels a grid cell.
// Cost: the blur is O(texels * (2R+1)^2 * passes); hence the cache.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/image.h"
#include "math/vector.h"
#include "world/height_map.h"

namespace vorn {

// The parameters the world computes its light map with.
constexpr int kLightMapTexelsPerCell = 8;
constexpr int kLightMapBlurPasses = 4;
constexpr int kLightMapBlurRadius = 8;
// Grey of a point whose normal faces away from the light: dark, never black.
constexpr uint8_t kLightMapShadowGrey = 10;
constexpr float kLightMapDiffuseScale = 250.0f;
constexpr int kLightMapThreads = 2;

// Texels per cell f (after fitting) and the power-of-two texture size. Grid
// point (c, r) sits at texel (c*f, r*f); texel rows run along z from texel
// row 0 (the image's first stored row).
struct LightMapLayout {
  int texelsPerCell = 0;
  int width = 0;
  int height = 0;
};

// f starts at requested + 1 and the texture is the smallest power of two
// (from 2) holding W*f - 1 by H*f - 1 texels; f then grows as long as the
// grid still fits that texture and ends one below the first value that does
// not.
LightMapLayout lightMapLayout(int gridWidth, int gridHeight, int requestedTexelsPerCell);

// The cache file's name carries every parameter, because the blur is slow:
// "<height map name without its last 4 characters>_f_P_R_x_y_z.bmp" with the
// light direction's components printed with two decimals
// (e.g. "data/maps/twin_paths_12_4_8_0.00_0.71_0.71.bmp").
std::string lightMapCacheName(const std::string& heightMapName, const LightMapLayout& layout, int passes,
                              int radius, const VornVector& lightDirection);

// (2R+1)^2 weights, row-major: w[i][j] = (cos((i*1.5/(2R) - 0.75)*pi) + 1) *
// (cos((j*1.5/(2R) - 0.75)*pi) + 1); centre 4, corners about 0.086.
std::vector<float> lightMapBlurKernel(int radius);

// Per grid point (r * W + c): the mean of the unit normals of the mesh
// triangles that touch it (up to six), not renormalised.
std::vector<VornVector> gridVertexNormals(const HeightGrid& grid, float spacingX, float spacingZ);

// Everything before the blur, lit from the grid's vertex normals: a white
// layout-sized image with the lit grid texels and, when f > 1, the texels
// between them filled row-wise then column-wise.
VornImage lightMapUnblurred(const HeightGrid& grid, float spacingX, float spacingZ, const LightMapLayout& layout,
                            const VornVector& lightDirection);

// The texel block the blur covers: rows [0, (H-1)*f), columns [0, (W-1)*f].
// Texel rows from (H-1)*f on and columns beyond (W-1)*f stay white and never
// enter the blur.
inline int lightMapBlurRows(int gridHeight, int f) { return (gridHeight - 1) * f; }
inline int lightMapBlurColumns(int gridWidth, int f) { return (gridWidth - 1) * f + 1; }

// `passes` blur passes over the blur block of an RGB image (in place), rows
// split across `threads` threads. Does nothing when f <= 1. Each texel becomes
// the window's weighted mean, the channel sum truncated after every addition,
// divided by the exact weight sum. The truncated per-term products are tabled
// (they depend only on the window position and the texel value), which gives
// exactly the bytes of the plain per-texel float loop. For the shipped 72 x 100
// course (10 texels a cell) that is about 0.71 M texels * 289 terms * 4 passes.
void blurLightMap(VornImage& image, int gridWidth, int gridHeight, int f, int passes, int radius,
                  int threads = kLightMapThreads);

// The whole computation: unblurred map, then the blur when f > 1.
VornImage computeLightMap(const HeightGrid& grid, float spacingX, float spacingZ, const LightMapLayout& layout,
                          int passes, int radius, const VornVector& lightDirection,
                          int threads = kLightMapThreads);

// Two floats per strip point: (c*f / (texW - 1), r*f / (texH + 1)) for grid
// point (c, r). The z direction divides by texH + 1 (not texH - 1), so the
// map sits a little compressed towards the start of the track; the white
// margin beyond the lit rows absorbs it.
std::vector<float> lightMapTexCoords(int gridWidth, int gridHeight, const LightMapLayout& layout);

}  // namespace vorn
