#include "assetgen/model_textures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace assetgen {
namespace {

constexpr uint32_t N = kModelTextureSize;
constexpr float kTwoPi = 6.28318530718f;

uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

float hashUnit(int32_t x, int32_t y, uint32_t seed) {
  return static_cast<float>(hash3(x, y, seed) & 0xFFFFFF) / 16777216.0f;
}

int wrap(int v, int period) { return ((v % period) + period) % period; }

float smooth(float t) { return t * t * (3.0f - 2.0f * t); }

// Value noise on a lattice of `period` cells per unit, tiling over [0,1).
float tileNoise(float u, float v, int periodU, int periodV, uint32_t seed) {
  const float x = u * periodU, y = v * periodV;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = smooth(x - x0), fy = smooth(y - y0);
  auto at = [&](int i, int j) { return hashUnit(wrap(i, periodU), wrap(j, periodV), seed); };
  const float a = at(x0, y0), b = at(x0 + 1, y0), c = at(x0, y0 + 1), d = at(x0 + 1, y0 + 1);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float fbm(float u, float v, int periodU, int periodV, int octaves, uint32_t seed) {
  float sum = 0.0f, amp = 0.5f, norm = 0.0f;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * tileNoise(u, v, periodU << o, periodV << o, seed + 17u * o);
    norm += amp;
    amp *= 0.5f;
  }
  return sum / norm;
}

// Cellular noise tiling over [0,1): distance to the nearest and second
// nearest jittered feature point of a periodic grid, and the nearest's cell.
struct Cell {
  float f1, f2;
  int cx, cy;
};

Cell cellular(float u, float v, int period, uint32_t seed) {
  const float x = u * period, y = v * period;
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  Cell best{1e9f, 1e9f, 0, 0};
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const int gx = ix + dx, gy = iy + dy;
      const int wx = wrap(gx, period), wy = wrap(gy, period);
      const float px = gx + 0.1f + 0.8f * hashUnit(wx, wy, seed);
      const float py = gy + 0.1f + 0.8f * hashUnit(wx, wy, seed + 1);
      const float d = std::hypot(px - x, py - y);
      if (d < best.f1) {
        best.f2 = best.f1;
        best.f1 = d;
        best.cx = wx;
        best.cy = wy;
      } else if (d < best.f2) {
        best.f2 = d;
      }
    }
  }
  return best;
}

void put(Pixels& img, uint32_t x, uint32_t y, float r, float g, float b) {
  uint8_t* p = img.at(x, y);
  p[0] = static_cast<uint8_t>(std::clamp(r, 0.0f, 255.0f));
  p[1] = static_cast<uint8_t>(std::clamp(g, 0.0f, 255.0f));
  p[2] = static_cast<uint8_t>(std::clamp(b, 0.0f, 255.0f));
}

float mix(float a, float b, float t) { return a + (b - a) * t; }

// 5 x 7 capitals for the label lettering, rows top to bottom.
struct Glyph {
  char letter;
  const char* rows[7];
};
const Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
};

// Whether cell (x, y) of the letter's 5 x 7 grid is inked.
bool inked(char c, int x, int y) {
  for (const Glyph& g : kGlyphs) {
    if (g.letter == c) return g.rows[y][x] == '#';
  }
  return false;
}

// Coverage (0..1) of `text` drawn with its top-left at (x0, y0) and the
// given pixel size of one glyph cell, sampled 4 x 4 per pixel.
float textCoverage(const std::string& text, float x0, float y0, float cell, float px, float py) {
  float hits = 0.0f;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) {
      const float x = (px + (sx + 0.5f) / 4.0f - x0) / cell;
      const float y = (py + (sy + 0.5f) / 4.0f - y0) / cell;
      if (x < 0.0f || y < 0.0f || y >= 7.0f) continue;
      const int letter = static_cast<int>(x / 6.0f);
      if (letter >= static_cast<int>(text.size())) continue;
      const int gx = static_cast<int>(x) - letter * 6, gy = static_cast<int>(y);
      if (gx < 5 && inked(text[letter], gx, gy)) hits += 1.0f;
    }
  }
  return hits / 16.0f;
}

// Distance from point p to segment a-b.
float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  const float dx = bx - ax, dy = by - ay;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0.0f ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  return std::hypot(px - (ax + dx * t), py - (ay + dy * t));
}

// The fir branch drawn as a coverage field: one stem along u at v = 0.5,
// side twigs, and needles on both; returns per-pixel coverage and a shade.
struct BranchField {
  std::vector<float> cover;  // 0..1
  std::vector<float> shade;  // 0 dark .. 1 light
  std::vector<float> stem;   // 1 on the woody stem
};

void stroke(BranchField& f, float ax, float ay, float bx, float by, float width, float shade, bool woody) {
  const int x0 = std::max(0, static_cast<int>(std::min(ax, bx) - width - 1));
  const int x1 = std::min(static_cast<int>(N) - 1, static_cast<int>(std::max(ax, bx) + width + 1));
  const int y0 = std::max(0, static_cast<int>(std::min(ay, by) - width - 1));
  const int y1 = std::min(static_cast<int>(N) - 1, static_cast<int>(std::max(ay, by) + width + 1));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float d = segmentDistance(x + 0.5f, y + 0.5f, ax, ay, bx, by);
      const float c = std::clamp(width * 0.5f + 0.5f - d, 0.0f, 1.0f);
      if (c <= 0.0f) continue;
      const size_t i = static_cast<size_t>(y) * N + x;
      if (c >= f.cover[i]) {
        f.shade[i] = shade;
        f.stem[i] = woody ? 1.0f : 0.0f;
      }
      f.cover[i] = std::max(f.cover[i], c);
    }
  }
}

void needlesAlong(BranchField& f, float ax, float ay, float bx, float by, float needleLen, uint32_t seed) {
  const float len = std::hypot(bx - ax, by - ay);
  const float dirx = (bx - ax) / len, diry = (by - ay) / len;
  const int count = static_cast<int>(len / 2.2f);
  for (int i = 0; i < count; ++i) {
    const float t = (i + 0.5f) / count;
    const float taper = 1.0f - 0.55f * t;
    const float px = ax + (bx - ax) * t, py = ay + (by - ay) * t;
    for (int side = -1; side <= 1; side += 2) {
      const float jitter = hashUnit(i, side, seed);
      // Needles point forward at about 50 degrees from the stem.
      const float angle = (0.75f + 0.25f * jitter) * side;
      const float c = std::cos(angle), s = std::sin(angle);
      const float nx = dirx * c - diry * s, ny = dirx * s + diry * c;
      const float l = needleLen * taper * (0.8f + 0.4f * hashUnit(i, side + 5, seed));
      stroke(f, px, py, px + nx * l, py + ny * l, 2.6f, 0.3f + 0.7f * hashUnit(i, side + 9, seed), false);
    }
  }
}

const BranchField& firBranch() {
  static const BranchField field = [] {
    BranchField f;
    f.cover.assign(size_t{N} * N, 0.0f);
    f.shade.assign(size_t{N} * N, 0.0f);
    f.stem.assign(size_t{N} * N, 0.0f);
    const float mid = N * 0.5f;
    // Side twigs leave the stem towards the tip, alternating sides.
    for (int k = 0; k < 7; ++k) {
      const float t = 0.12f + 0.11f * k;
      const float side = (k % 2 == 0) ? 1.0f : -1.0f;
      const float sx = t * N, sy = mid;
      const float reach = (1.0f - t) * 0.55f * N;
      const float ex = sx + reach * 0.75f, ey = mid + side * std::min(reach * 0.55f, N * 0.38f);
      needlesAlong(f, sx, sy, ex, ey, 16.0f * (1.0f - 0.5f * t), 100u + k);
      stroke(f, sx, sy, ex, ey, 2.5f, 0.2f, true);
    }
    needlesAlong(f, 2.0f, mid, N - 6.0f, mid, 22.0f, 7u);
    stroke(f, 0.0f, mid, N - 8.0f, mid, 4.0f, 0.2f, true);
    return f;
  }();
  return field;
}

}  // namespace

Pixels makeCowHide() {
  Pixels img(N, N, 3);
  for (uint32_t y = 0; y < N; ++y) {
    for (uint32_t x = 0; x < N; ++x) {
      const float u = (x + 0.5f) / N, v = (y + 0.5f) / N;
      // Warp the lookup so the patches get ragged, blotchy outlines.
      const float wu = u + 0.22f * (fbm(u, v, 4, 4, 4, 11u) - 0.5f);
      const float wv = v + 0.22f * (fbm(u, v, 4, 4, 4, 23u) - 0.5f);
      // Round patches around some of the cellular feature points, their
      // radius per point, the outline roughened by the warp above.
      float nearest = 1e9f;
      const int period = 5;
      const float gx = wu * period, gy = wv * period;
      const int ix = static_cast<int>(std::floor(gx)), iy = static_cast<int>(std::floor(gy));
      for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
          const int cx = wrap(ix + dx, period), cy = wrap(iy + dy, period);
          if (hashUnit(cx, cy, 77u) >= 0.36f) continue;
          const float px = ix + dx + 0.1f + 0.8f * hashUnit(cx, cy, 3u);
          const float py = iy + dy + 0.1f + 0.8f * hashUnit(cx, cy, 4u);
          const float radius = 0.45f + 0.35f * hashUnit(cx, cy, 79u);
          nearest = std::min(nearest, std::hypot(px - gx, py - gy) / radius);
        }
      }
      const float black = std::clamp((1.0f - nearest) / 0.05f + 0.5f, 0.0f, 1.0f);
      const float fur = 0.9f + 0.1f * fbm(u, v, 32, 32, 2, 5u);
      const float r = mix(242.0f, 28.0f, black) * fur;
      const float g = mix(238.0f, 24.0f, black) * fur;
      const float b = mix(228.0f, 22.0f, black) * fur;
      put(img, x, y, r, g, b);
    }
  }
  return img;
}

Pixels makeBark() {
  Pixels img(N, N, 3);
  for (uint32_t y = 0; y < N; ++y) {
    for (uint32_t x = 0; x < N; ++x) {
      const float u = (x + 0.5f) / N, v = (y + 0.5f) / N;
      // Grain runs along v (up the trunk): stretched noise, ridged into furrows.
      const float warp = 0.05f * (fbm(u, v, 4, 2, 3, 41u) - 0.5f);
      const float grain = fbm(u + warp, v, 16, 3, 4, 43u);
      const float ridge = 1.0f - std::fabs(2.0f * grain - 1.0f);
      const float furrow = std::pow(ridge, 3.0f);
      const float plates = fbm(u, v, 8, 8, 2, 47u);
      const float light = 0.35f + 0.65f * (1.0f - furrow) * (0.7f + 0.3f * plates);
      put(img, x, y, 120.0f * light + 12.0f, 86.0f * light + 8.0f, 60.0f * light + 6.0f);
    }
  }
  return img;
}

Pixels makeFirBranch() {
  const BranchField& f = firBranch();
  Pixels img(N, N, 3);
  for (uint32_t y = 0; y < N; ++y) {
    for (uint32_t x = 0; x < N; ++x) {
      const size_t i = size_t{y} * N + x;
      const float s = f.shade[i];
      // Needle greens; the stem brown. Empty texels keep a dark green so
      // filtering at the cut-out's edge never pulls in a stray colour.
      float r = 26.0f + 40.0f * s, g = 70.0f + 75.0f * s, b = 36.0f + 30.0f * s;
      if (f.stem[i] > 0.5f) {
        r = 92.0f;
        g = 66.0f;
        b = 40.0f;
      }
      const float c = f.cover[i];
      put(img, x, y, mix(24.0f, r, c), mix(58.0f, g, c), mix(30.0f, b, c));
    }
  }
  return img;
}

Pixels makeFirMask() {
  const BranchField& f = firBranch();
  Pixels img(N, N, 3);
  for (uint32_t y = 0; y < N; ++y) {
    for (uint32_t x = 0; x < N; ++x) {
      const float c = f.cover[size_t{y} * N + x];
      const float value = c > 0.35f ? 0.0f : 255.0f;
      put(img, x, y, value, value, value);
    }
  }
  return img;
}

Pixels makeBeerLabel() {
  Pixels img(N, N, 3);
  const float labelY0 = (1.0f - kLabelTop) * N, labelY1 = (1.0f - kLabelBottom) * N;
  for (uint32_t y = 0; y < N; ++y) {
    for (uint32_t x = 0; x < N; ++x) {
      const float u = (x + 0.5f) / N, v = 1.0f - (y + 0.5f) / N;
      // Brown glass with a faint vertical sheen, gold foil on the neck.
      const float sheen = 0.85f + 0.15f * std::cos(u * kTwoPi * 2.0f);
      float r = 104.0f * sheen, g = 64.0f * sheen, b = 22.0f * sheen;
      if (v > 0.80f) {
        const float crinkle = 0.8f + 0.2f * fbm(u, v, 32, 8, 2, 61u);
        r = 222.0f * crinkle;
        g = 182.0f * crinkle;
        b = 70.0f * crinkle;
      }
      const float py = static_cast<float>(y);
      if (py >= labelY0 && py < labelY1 && u > 0.04f && u < 0.62f) {
        // Cream paper with a red frame and the brewery's lettering.
        const float paper = 0.93f + 0.07f * fbm(u, v, 16, 16, 3, 67u);
        r = 240.0f * paper;
        g = 228.0f * paper;
        b = 196.0f * paper;
        const float lx = (u - 0.04f) * N, ly = py - labelY0, lw = 0.58f * N, lh = labelY1 - labelY0;
        const bool frame = lx < 5.0f || ly < 5.0f || lx > lw - 5.0f || ly > lh - 5.0f;
        const bool inner = (lx > 8.0f && lx < 10.0f) || (ly > 8.0f && ly < 10.0f) ||
                           (lx > lw - 10.0f && lx < lw - 8.0f) || (ly > lh - 10.0f && ly < lh - 8.0f);
        if (frame || inner) {
          r = 178.0f;
          g = 26.0f;
          b = 30.0f;
        }
        const float big = textCoverage("VORN", 18.0f, 18.0f, 4.6f, lx, ly);
        const float small = textCoverage("ALPENBIER", 16.0f, 62.0f, 2.2f, lx, ly);
        r = mix(r, 150.0f, big);
        g = mix(g, 20.0f, big);
        b = mix(b, 24.0f, big);
        r = mix(r, 30.0f, small);
        g = mix(g, 40.0f, small);
        b = mix(b, 90.0f, small);
      }
      put(img, x, y, r, g, b);
    }
  }
  return img;
}

Pixels makeStone() {
  Pixels img(N, N, 3);
  for (uint32_t y = 0; y < N; ++y) {
    for (uint32_t x = 0; x < N; ++x) {
      const float u = (x + 0.5f) / N, v = (y + 0.5f) / N;
      const float base = fbm(u, v, 4, 4, 5, 81u);
      const float grain = fbm(u, v, 64, 64, 1, 83u);
      const float vein = std::pow(1.0f - std::fabs(2.0f * fbm(u, v, 3, 3, 4, 87u) - 1.0f), 10.0f);
      const float light = (0.72f + 0.28f * base) * (0.93f + 0.07f * grain) - 0.25f * vein;
      put(img, x, y, 206.0f * light, 200.0f * light, 188.0f * light);
    }
  }
  return img;
}

Pixels makeMushroomCap() {
  Pixels img(N, N, 3);
  for (uint32_t y = 0; y < N; ++y) {
    for (uint32_t x = 0; x < N; ++x) {
      const float u = (x + 0.5f) / N, v = (y + 0.5f) / N;
      const Cell c = cellular(u, v, 6, 91u);
      const float size = 0.16f + 0.14f * hashUnit(c.cx, c.cy, 93u);
      const float wart = std::clamp((size - c.f1) / 0.04f, 0.0f, 1.0f);
      const float tone = 0.85f + 0.15f * fbm(u, v, 8, 8, 3, 95u);
      put(img, x, y, mix(205.0f * tone, 246.0f, wart), mix(32.0f * tone, 240.0f, wart),
          mix(24.0f * tone, 226.0f, wart));
    }
  }
  return img;
}

namespace {

// 0 outside, 1 inside a signed distance (negative inside), blended over about one texel.
float inside(float distance) { return std::clamp(0.5f - distance * kEyeTextureSize, 0.0f, 1.0f); }

struct EyePose {
  float irisU, irisV;  // iris centre offset from the middle
  float lid;           // height of the upper lid's edge at the middle; above 1: none
};

EyePose poseOf(EyeLook look) {
  switch (look) {
    case EyeLook::Open: return {0.07f, 0.0f, 0.86f};
    case EyeLook::Glance: return {-0.17f, 0.03f, 0.86f};  // towards the back: at the chase camera
    case EyeLook::HalfShut: return {0.07f, -0.02f, 0.50f};
    case EyeLook::Shut: break;
  }
  return {0.07f, -0.02f, -1.0f};
}

}  // namespace

Pixels makeCowEye(EyeLook look) {
  constexpr uint32_t S = kEyeTextureSize;
  constexpr float kIris = 0.21f, kPupil = 0.11f, kGlint = 0.035f, kLash = 0.035f;
  const EyePose pose = poseOf(look);
  Pixels img(S, S, 3);
  for (uint32_t y = 0; y < S; ++y) {
    for (uint32_t x = 0; x < S; ++x) {
      const float u = (x + 0.5f) / S, v = 1.0f - (y + 0.5f) / S;  // row 0 is the top
      const float du = u - 0.5f, dv = v - 0.5f;
      const float r = std::hypot(du, dv);
      // The white, a little shaded towards the rim so the ball looks round even unlit.
      const float shade = 1.0f - 0.22f * std::pow(std::min(r / 0.5f, 1.0f), 3.0f);
      std::array<float, 3> c = {248.0f * shade, 246.0f * shade, 238.0f * shade};
      const auto paint = [&c](float red, float green, float blue, float amount) {
        c = {mix(c[0], red, amount), mix(c[1], green, amount), mix(c[2], blue, amount)};
      };
      const float iu = u - 0.5f - pose.irisU, iv = v - 0.5f - pose.irisV;
      const float ir = std::hypot(iu, iv);
      const float ring = 0.65f + 0.35f * std::min(ir / kIris, 1.0f);
      paint(104.0f * ring, 64.0f * ring, 34.0f * ring, inside(ir - kIris));
      paint(14.0f, 12.0f, 12.0f, inside(ir - kPupil));
      paint(255.0f, 255.0f, 255.0f, inside(std::hypot(iu - 0.055f, iv - 0.065f) - kGlint));
      // The upper lid comes down from the top with a rounded edge and a darker lash line. The
      // rim of the disc is the back of the ball, all the chase camera sees of it: it stays white
      // while the eye is open, so that the lid coming down there shows as a blink.
      const float curve = 1.0f - 4.0f * du * du;
      const float edge = pose.lid - 0.10f * curve;
      const float fur = 0.9f + 0.1f * fbm(u, v, 8, 8, 2, 97u);
      const float lid = inside(edge - v);
      const float outside = 1.0f - inside(r - 0.5f);
      paint(54.0f * fur, 44.0f * fur, 38.0f * fur, std::max(lid, outside));
      // Shut, the lids meet in a smiling line across the middle.
      const float line = look == EyeLook::Shut ? 0.44f - 0.08f * curve : edge - 0.5f * kLash;
      paint(18.0f, 14.0f, 12.0f, inside(std::fabs(v - line) - 0.5f * kLash));
      put(img, x, y, c[0], c[1], c[2]);
    }
  }
  return img;
}

}  // namespace assetgen
