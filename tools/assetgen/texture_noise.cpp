#include "assetgen/texture_noise.h"

#include <cmath>

namespace assetgen {
namespace {

float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

int32_t wrap(int32_t v, int32_t period) {
  const int32_t m = v % period;
  return m < 0 ? m + period : m;
}

// One of 8 unit-ish gradient directions in 2D.
float grad2(uint32_t h, float x, float y) {
  switch (h & 7) {
    case 0: return x + y;
    case 1: return x - y;
    case 2: return -x + y;
    case 3: return -x - y;
    case 4: return x * 1.4142f;
    case 5: return -x * 1.4142f;
    case 6: return y * 1.4142f;
    default: return -y * 1.4142f;
  }
}

// One of the 12 edge directions of a cube.
float grad3(uint32_t h, float x, float y, float z) {
  switch (h % 12) {
    case 0: return x + y;
    case 1: return -x + y;
    case 2: return x - y;
    case 3: return -x - y;
    case 4: return x + z;
    case 5: return -x + z;
    case 6: return x - z;
    case 7: return -x - z;
    case 8: return y + z;
    case 9: return -y + z;
    case 10: return y - z;
    default: return -y - z;
  }
}

}  // namespace

uint32_t hash3(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u;
  h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
  h = (h << 17) | (h >> 15);
  h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float hashUnit(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  return static_cast<float>(hash3(x, y, z, seed) >> 8) / 16777216.0f;
}

float tileNoise(float x, float y, int32_t period, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
  const float dx = x - fx, dy = y - fy;
  auto g = [&](int32_t cx, int32_t cy, float px, float py) {
    return grad2(hash3(wrap(ix + cx, period), wrap(iy + cy, period), 0, seed), px, py);
  };
  const float u = fade(dx), v = fade(dy);
  const float a = mix(g(0, 0, dx, dy), g(1, 0, dx - 1, dy), u);
  const float b = mix(g(0, 1, dx, dy - 1), g(1, 1, dx - 1, dy - 1), u);
  return mix(a, b, v) * 0.7071f;
}

float tileFbm(float u, float v, int32_t baseFrequency, int octaves, float gain, uint32_t seed) {
  float sum = 0, amplitude = 1, norm = 0;
  int32_t frequency = baseFrequency;
  for (int k = 0; k < octaves; ++k) {
    sum += amplitude * tileNoise(u * frequency, v * frequency, frequency, seed + static_cast<uint32_t>(k) * 101u);
    norm += amplitude;
    amplitude *= gain;
    frequency *= 2;
  }
  return sum / norm * 1.6f;
}

CellDistances tileCells(float u, float v, int32_t cells, uint32_t seed) {
  const float x = u * cells, y = v * cells;
  const int32_t cx = static_cast<int32_t>(std::floor(x)), cy = static_cast<int32_t>(std::floor(y));
  CellDistances d{1e9f, 1e9f, 0};
  for (int32_t oy = -1; oy <= 1; ++oy) {
    for (int32_t ox = -1; ox <= 1; ++ox) {
      const int32_t gx = cx + ox, gy = cy + oy;
      const int32_t wx = wrap(gx, cells), wy = wrap(gy, cells);
      const float px = gx + hashUnit(wx, wy, 1, seed);
      const float py = gy + hashUnit(wx, wy, 2, seed);
      const float dist = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
      if (dist < d.nearest) {
        d.second = d.nearest;
        d.nearest = dist;
        d.cellId = hash3(wx, wy, 3, seed);
      } else if (dist < d.second) {
        d.second = dist;
      }
    }
  }
  return d;
}

float noise3(float x, float y, float z, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy), iz = static_cast<int32_t>(fz);
  const float dx = x - fx, dy = y - fy, dz = z - fz;
  auto g = [&](int32_t cx, int32_t cy, int32_t cz) {
    return grad3(hash3(ix + cx, iy + cy, iz + cz, seed), dx - cx, dy - cy, dz - cz);
  };
  const float u = fade(dx), v = fade(dy), w = fade(dz);
  const float x00 = mix(g(0, 0, 0), g(1, 0, 0), u), x10 = mix(g(0, 1, 0), g(1, 1, 0), u);
  const float x01 = mix(g(0, 0, 1), g(1, 0, 1), u), x11 = mix(g(0, 1, 1), g(1, 1, 1), u);
  return mix(mix(x00, x10, v), mix(x01, x11, v), w);
}

float fbm3(float x, float y, float z, int octaves, float gain, uint32_t seed) {
  float sum = 0, amplitude = 1, norm = 0, frequency = 1;
  for (int k = 0; k < octaves; ++k) {
    sum += amplitude * noise3(x * frequency, y * frequency, z * frequency, seed + static_cast<uint32_t>(k) * 57u);
    norm += amplitude;
    amplitude *= gain;
    frequency *= 2.03f;
  }
  return sum / norm;
}

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float edge0, float edge1, float v) {
  const float t = clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

float mix(float a, float b, float t) { return a + (b - a) * t; }

}  // namespace assetgen
