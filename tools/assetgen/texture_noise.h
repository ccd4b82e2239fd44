// Noise for the generated textures: gradient noise that tiles with an
// integer period (so ground textures wrap without seams), fractal sums of
// it, tileable cellular (Worley) distances, and plain 3D gradient noise for
// effects that are sampled on directions (sky clouds). All deterministic:
// the same seed gives the same field on every machine (integer hashing,
// no global random state). Cost: a few dozen flops per sample per octave.
#pragma once

#include <cstdint>

namespace assetgen {

// 32-bit hash of integer coordinates and a seed.
uint32_t hash3(int32_t x, int32_t y, int32_t z, uint32_t seed);
// The same as a float in [0, 1).
float hashUnit(int32_t x, int32_t y, int32_t z, uint32_t seed);

// Gradient noise in about [-1, 1] at (x, y) on a lattice that repeats every
// `period` cells in both axes.
float tileNoise(float x, float y, int32_t period, uint32_t seed);

// Fractal sum over `octaves`: octave k samples (u, v) in [0, 1) at frequency
// baseFrequency * 2^k (which is its period), amplitude gain^k; normalised to
// about [-1, 1]. Tiles on the unit square.
float tileFbm(float u, float v, int32_t baseFrequency, int octaves, float gain, uint32_t seed);

// Distances from (u, v) in [0, 1) to the nearest and second nearest of one
// random point per cell of a `cells` x `cells` grid that wraps; in cell units.
struct CellDistances {
  float nearest;
  float second;
  uint32_t cellId;  // hash of the nearest point's cell, for per-cell colour
};
CellDistances tileCells(float u, float v, int32_t cells, uint32_t seed);

// Gradient noise in about [-1, 1] in 3D (not periodic).
float noise3(float x, float y, float z, uint32_t seed);
float fbm3(float x, float y, float z, int octaves, float gain, uint32_t seed);

// Small helpers shared by the painters.
float clamp01(float v);
float smoothstep(float edge0, float edge1, float v);
float mix(float a, float b, float t);

// A linear colour (0..1 a channel) for the painters, mixed and scaled per channel.
struct Rgb {
  float r, g, b;
};
inline Rgb mixRgb(const Rgb& a, const Rgb& b, float t) { return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)}; }
inline Rgb scale(const Rgb& c, float k) { return {c.r * k, c.g * k, c.b * k}; }

}  // namespace assetgen
