// Snow, grass and ice: every feature is either periodic noise on the unit
// square or a stamp whose pixels wrap around the edges, so each texture
// tiles without a seam.
#include <cmath>
#include <vector>

#include "assetgen/texture_noise.h"
#include "assetgen/textures.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265f;

uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); }

void put(Pixels& p, uint32_t x, uint32_t y, const Rgb& c) {
  uint8_t* d = p.at(x, y);
  d[0] = toByte(c.r);
  d[1] = toByte(c.g);
  d[2] = toByte(c.b);
}

Rgb get(const Pixels& p, uint32_t x, uint32_t y) {
  const uint8_t* d = p.at(x, y);
  return {d[0] / 255.0f, d[1] / 255.0f, d[2] / 255.0f};
}

// Blends `c` into the pixel at integer coordinates that wrap around the texture.
void blendWrapped(Pixels& p, int32_t x, int32_t y, const Rgb& c, float alpha) {
  const int32_t n = static_cast<int32_t>(p.width);
  const uint32_t wx = static_cast<uint32_t>(((x % n) + n) % n);
  const uint32_t wy = static_cast<uint32_t>(((y % n) + n) % n);
  put(p, wx, wy, mixRgb(get(p, wx, wy), c, clamp01(alpha)));
}

// A soft round dab of radius r (pixels) centred at (cx, cy), wrapping.
void dab(Pixels& p, float cx, float cy, float r, const Rgb& c, float alpha) {
  const int32_t x0 = static_cast<int32_t>(std::floor(cx - r - 1)), x1 = static_cast<int32_t>(std::ceil(cx + r + 1));
  const int32_t y0 = static_cast<int32_t>(std::floor(cy - r - 1)), y1 = static_cast<int32_t>(std::ceil(cy + r + 1));
  for (int32_t y = y0; y <= y1; ++y) {
    for (int32_t x = x0; x <= x1; ++x) {
      const float d = std::sqrt((x + 0.5f - cx) * (x + 0.5f - cx) + (y + 0.5f - cy) * (y + 0.5f - cy));
      const float cover = clamp01(r + 0.5f - d);
      if (cover > 0) blendWrapped(p, x, y, c, alpha * cover);
    }
  }
}

}  // namespace

Pixels paintSnow(uint32_t size) {
  constexpr uint32_t kSeed = 4000;
  Pixels p(size, size, 3);
  // A height field of soft drifts and wind ripples, lit by a low sun so the
  // lee sides take a blue shadow; every term wraps on the unit square.
  std::vector<float> height(size_t{size} * size);
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float drift = tileFbm(u, v, 2, 6, 0.48f, kSeed);
      const float warp = tileFbm(u, v, 3, 3, 0.5f, kSeed + 1);
      const float ripple = std::sin(2 * kPi * (9 * v + 3 * u) + warp * 5.0f);
      const float rippleStrength = smoothstep(-0.3f, 0.5f, tileFbm(u, v, 2, 3, 0.5f, kSeed + 3));
      height[size_t{y} * size + x] = drift * 0.9f + ripple * 0.035f * rippleStrength;
    }
  }
  const Rgb lit{0.975f, 0.985f, 1.0f};
  const Rgb shade{0.76f, 0.84f, 0.97f};
  const float lx = -0.6f, ly = -0.45f, lz = 0.66f;  // towards the sun
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const uint32_t xl = (x + size - 1) % size, xr = (x + 1) % size;
      const uint32_t yu = (y + size - 1) % size, yd = (y + 1) % size;
      const float gx = (height[size_t{y} * size + xr] - height[size_t{y} * size + xl]) * size * 0.02f;
      const float gy = (height[size_t{yd} * size + x] - height[size_t{yu} * size + x]) * size * 0.02f;
      const float len = std::sqrt(gx * gx + gy * gy + 1);
      const float light = (-gx * lx - gy * ly + lz) / len;
      const float shadow = clamp01((0.9f - light) * 1.6f);
      Rgb c = mixRgb(lit, shade, shadow);
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      c = scale(c, 1.0f + tileFbm(u, v, 128, 2, 0.6f, kSeed + 2) * 0.02f);
      // Sparkles: sparse bright crystals, mostly on the lit faces.
      const float h = hashUnit(static_cast<int32_t>(x), static_cast<int32_t>(y), 7, kSeed);
      if (h > 0.996f + shadow * 0.003f) {
        c = Rgb{1.0f, 1.0f, 1.0f};
      } else if (h < 0.0015f) {
        c = mixRgb(c, Rgb{0.70f, 0.86f, 1.0f}, 0.8f);
      }
      put(p, x, y, c);
    }
  }
  return p;
}

Pixels paintGrass(uint32_t size) {
  constexpr uint32_t kSeed = 11000;
  Pixels p(size, size, 3);
  const Rgb soil{0.30f, 0.26f, 0.14f};
  const Rgb darkGreen{0.22f, 0.40f, 0.10f};
  const Rgb midGreen{0.40f, 0.60f, 0.16f};
  const Rgb yellowGreen{0.66f, 0.74f, 0.26f};
  // Underlayer: dense turf in the shadow between blades, patchy in colour.
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float patch = tileFbm(u, v, 4, 4, 0.5f, kSeed) * 0.5f + 0.5f;
      const float fine = tileFbm(u, v, 32, 3, 0.5f, kSeed + 1);
      Rgb c = mixRgb(darkGreen, midGreen, clamp01(patch * 0.9f + fine * 0.2f));
      c = mixRgb(c, soil, smoothstep(0.35f, 0.8f, fine) * 0.5f);
      put(p, x, y, scale(c, 0.8f));
    }
  }
  // Soil flecks and small pebbles peeking through.
  const uint32_t flecks = size * size / 160;
  for (uint32_t i = 0; i < flecks; ++i) {
    const float x = hashUnit(static_cast<int32_t>(i), 0, 1, kSeed) * size;
    const float y = hashUnit(static_cast<int32_t>(i), 0, 2, kSeed) * size;
    const float r = 0.6f + hashUnit(static_cast<int32_t>(i), 0, 3, kSeed) * 1.3f;
    const bool pebble = hashUnit(static_cast<int32_t>(i), 0, 4, kSeed) < 0.15f;
    dab(p, x, y, r, pebble ? Rgb{0.55f, 0.52f, 0.45f} : soil, 0.85f);
  }
  // Blades: tapered strokes leaning with a shared wind field, lighter at the tip.
  const uint32_t blades = size * size / 7;
  for (uint32_t i = 0; i < blades; ++i) {
    const int32_t id = static_cast<int32_t>(i);
    const float x = hashUnit(id, 1, 1, kSeed) * size;
    const float y = hashUnit(id, 1, 2, kSeed) * size;
    const float wind = tileFbm(x / size, y / size, 3, 2, 0.5f, kSeed + 5) * 0.6f;
    const float angle = -kPi / 2 + wind + (hashUnit(id, 1, 3, kSeed) - 0.5f) * 1.1f;
    const float length = 5 + hashUnit(id, 1, 4, kSeed) * 10;
    const float tone = hashUnit(id, 1, 5, kSeed);
    const float dryness = smoothstep(0.2f, 0.9f, tileFbm(x / size, y / size, 5, 3, 0.5f, kSeed + 6) * 0.5f + 0.5f);
    const Rgb base = mixRgb(mixRgb(darkGreen, midGreen, tone), yellowGreen, dryness * 0.6f + tone * 0.2f);
    const float bend = (hashUnit(id, 1, 6, kSeed) - 0.5f) * 0.04f;
    float px = x, py = y, a = angle;
    const int steps = static_cast<int>(length * 2);
    for (int s = 0; s <= steps; ++s) {
      const float t = static_cast<float>(s) / steps;
      const float width = 1.1f * (1 - t) + 0.3f;
      const Rgb c = scale(mixRgb(base, yellowGreen, t * 0.45f), 0.75f + t * 0.45f);
      dab(p, px, py, width * 0.5f, c, 0.9f);
      px += std::cos(a) * 0.5f;
      py += std::sin(a) * 0.5f;
      a += bend;
    }
  }
  return p;
}

Pixels paintIce(uint32_t size) {
  constexpr uint32_t kSeed = 8000;
  Pixels p(size, size, 3);
  const Rgb pale{0.80f, 0.93f, 0.97f};
  const Rgb cyan{0.58f, 0.82f, 0.92f};
  const Rgb deep{0.42f, 0.68f, 0.84f};
  const Rgb crack{0.95f, 0.99f, 1.0f};
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float depth = tileFbm(u, v, 3, 5, 0.55f, kSeed) * 0.5f + 0.5f;
      // Smooth streaks like a frozen surface that was polished by the wind.
      const float streak = tileFbm(u * 1.0f, v, 2, 2, 0.5f, kSeed + 1);
      Rgb c = mixRgb(pale, cyan, clamp01(depth * 1.1f));
      c = mixRgb(c, deep, smoothstep(0.6f, 1.0f, depth) * 0.6f);
      c = scale(c, 1.0f + streak * 0.05f);
      // Cracks: edges of a warped cell pattern, a coarse and a fine network.
      const float wu = u + tileFbm(u, v, 4, 3, 0.5f, kSeed + 2) * 0.025f;
      const float wv = v + tileFbm(u, v, 4, 3, 0.5f, kSeed + 3) * 0.025f;
      const float fu = wu - std::floor(wu), fv = wv - std::floor(wv);
      const CellDistances coarse = tileCells(fu, fv, 5, kSeed + 4);
      const CellDistances fine = tileCells(fu, fv, 13, kSeed + 5);
      const float tint = (coarse.cellId % 1000) / 1000.0f;
      c = mixRgb(c, deep, tint * 0.12f);
      const float edge = coarse.second - coarse.nearest;
      const float fineEdge = fine.second - fine.nearest;
      const float crackLine = 1 - smoothstep(0.0f, 0.035f, edge);
      const float crackHalo = (1 - smoothstep(0.0f, 0.12f, edge)) * 0.25f;
      const float fineLine = (1 - smoothstep(0.0f, 0.05f, fineEdge)) * 0.45f *
                             smoothstep(-0.2f, 0.4f, tileFbm(u, v, 6, 2, 0.5f, kSeed + 6));
      c = mixRgb(c, scale(deep, 0.85f), crackHalo);
      c = mixRgb(c, crack, clamp01(crackLine * 0.9f + fineLine));
      put(p, x, y, c);
    }
  }
  // Glints: small four-pointed stars.
  const uint32_t glints = size * size / 4000;
  for (uint32_t i = 0; i < glints; ++i) {
    const int32_t id = static_cast<int32_t>(i);
    const int32_t x = static_cast<int32_t>(hashUnit(id, 2, 1, kSeed) * size);
    const int32_t y = static_cast<int32_t>(hashUnit(id, 2, 2, kSeed) * size);
    const int32_t arm = 1 + static_cast<int32_t>(hashUnit(id, 2, 3, kSeed) * 3);
    const Rgb white{1, 1, 1};
    blendWrapped(p, x, y, white, 1.0f);
    for (int32_t k = 1; k <= arm; ++k) {
      const float a = 0.8f * (1 - static_cast<float>(k) / (arm + 1));
      blendWrapped(p, x + k, y, white, a);
      blendWrapped(p, x - k, y, white, a);
      blendWrapped(p, x, y + k, white, a);
      blendWrapped(p, x, y - k, white, a);
    }
  }
  return p;
}

}  // namespace assetgen
