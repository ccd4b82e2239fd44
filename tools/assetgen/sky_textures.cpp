#include "assetgen/sky_textures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "assetgen/texture_noise.h"
#include "assetgen/textures.h"

namespace assetgen {
namespace {

constexpr uint32_t kSeed = 3000;
constexpr float kDegrees = 3.14159265f / 180.0f;

using Colour = std::array<float, 3>;

Colour mixC(const Colour& a, const Colour& b, float t) {
  return {mix(a[0], b[0], t), mix(a[1], b[1], t), mix(a[2], b[2], t)};
}

constexpr float kTwoPi = 6.2831853f;

// Signed azimuth difference wrapped to [-pi, pi], so ranges close all round.
float azimuthDelta(float a, float b) {
  float d = std::fmod(a - b, kTwoPi);
  if (d > kTwoPi / 2) d -= kTwoPi;
  if (d < -kTwoPi / 2) d += kTwoPi;
  return d;
}

struct Peak {
  float az;     // radians
  float top;    // radians
  float slope;  // elevation lost per radian of azimuth
  float snow;   // depth of the snow cap, radians
};

struct Range {
  uint32_t seed;
  int peaks;
  float low, high;  // peak heights, degrees
  Colour rock, snow;
  float haze;  // share of the horizon colour mixed in
};

std::vector<Peak> makePeaks(const Range& range) {
  std::vector<Peak> peaks;
  for (int i = 0; i < range.peaks; ++i) {
    const float jitter = hashUnit(i, 0, 1, range.seed) - 0.5f;
    const float height = hashUnit(i, 0, 2, range.seed);
    Peak p;
    p.az = (i + 0.5f + jitter * 0.8f) * kTwoPi / range.peaks;
    p.top = (range.low + (range.high - range.low) * height * height) * kDegrees;
    p.slope = 0.45f + hashUnit(i, 0, 3, range.seed) * 0.5f;
    p.snow = p.top * (0.35f + hashUnit(i, 0, 4, range.seed) * 0.25f);
    peaks.push_back(p);
  }
  return peaks;
}

// The range's outline at `az`: the highest of its peaks there (each a
// roughened triangle), and which peak that is.
float rangeTop(const std::vector<Peak>& peaks, float az, uint32_t seed, int& which) {
  const float rough = noise3(std::cos(az) * 30, 0.3f, std::sin(az) * 30, seed) * 0.35f * kDegrees +
                      noise3(std::cos(az) * 90, 0.7f, std::sin(az) * 90, seed + 1) * 0.12f * kDegrees;
  float best = -1;
  which = 0;
  for (size_t i = 0; i < peaks.size(); ++i) {
    const float h = peaks[i].top - peaks[i].slope * std::fabs(azimuthDelta(az, peaks[i].az));
    if (h > best) {
      best = h;
      which = static_cast<int>(i);
    }
  }
  return best + rough;
}

// The colour of a peak's face at (az, elevation): the face turned to the
// sun lit, the other in blue shade, split along a wandering crest line;
// a snow cap with gullies of snow running down; haze near the foot.
Colour mountain(const Range& range, const Peak& peak, float az, float elevation, float sunAz,
                const Colour& horizon) {
  const float below = peak.top - elevation;
  const float wander = noise3(elevation * 40, peak.az * 10, 0.5f, range.seed + 2) * 0.04f * (below / kDegrees);
  const float side = azimuthDelta(az, peak.az) + wander;
  const float sunSide = std::sin(sunAz - peak.az);
  const bool facingSun = (side > 0) == (sunSide > 0);
  const float texture = noise3(std::cos(az) * 160, elevation * 120, std::sin(az) * 160, range.seed + 3);
  const float lit = facingSun ? 0.95f + texture * 0.08f : 0.62f + texture * 0.06f;
  // A jagged snow cap with tapering tongues down the gullies.
  const float gully = noise3(std::cos(az) * 70, elevation * 6, std::sin(az) * 70, range.seed + 4);
  const float capNoise = noise3(std::cos(az) * 45, 0.5f, std::sin(az) * 45, range.seed + 5);
  const float cap = peak.snow * (0.8f + capNoise * 0.45f);
  const float tongue = (below - cap) / (cap * 1.3f);
  const float snowCover = tongue <= 0 ? 1.0f : smoothstep(-0.04f, 0.04f, gully - (0.1f + 0.8f * tongue));
  const Colour shadeSnow{0.66f, 0.76f, 0.92f};
  const Colour shadeRock{range.rock[0] * 0.7f, range.rock[1] * 0.76f, range.rock[2] * 0.9f};
  const float l = clamp01(lit);
  Colour c = mixC(mixC(shadeRock, range.rock, l), mixC(shadeSnow, range.snow, l), clamp01(snowCover));
  c = {c[0] * (0.9f + 0.1f * l), c[1] * (0.9f + 0.1f * l), c[2] * (0.9f + 0.1f * l)};
  const float foot = 1 - smoothstep(0.0f, 4.0f * kDegrees, elevation);
  return mixC(c, horizon, clamp01(range.haze + foot * 0.4f));
}

}  // namespace

Colour skyColour(float dx, float dy, float dz) {
  const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
  const float x = dx / length, y = dy / length, z = dz / length;
  const float elevation = std::asin(y);
  const float az = std::atan2(z, x);

  const Colour zenith{0.13f, 0.32f, 0.72f};
  const Colour middle{0.34f, 0.57f, 0.89f};
  const Colour horizon{0.76f, 0.86f, 0.95f};
  const float h = y > 0 ? y : 0;
  Colour c = mixC(horizon, middle, smoothstep(0.0f, 0.3f, h));
  c = mixC(c, zenith, smoothstep(0.25f, 1.0f, h));

  // The sun, high over the left shoulder of a player looking down the slope.
  const float sx = -0.42f, sy = 0.62f, sz = 0.66f;
  const float sunDot = (x * sx + y * sy + z * sz) / std::sqrt(sx * sx + sy * sy + sz * sz);
  const float glow = std::pow(clamp01(sunDot), 10.0f) * 0.35f + std::pow(clamp01(sunDot), 200.0f) * 0.5f;
  c = mixC(c, Colour{1.0f, 0.97f, 0.88f}, clamp01(glow));
  if (sunDot > 0.9993f) c = Colour{1.0f, 1.0f, 0.96f};

  // Cumulus on a flat layer: project the direction onto it, so clouds shrink
  // towards the horizon, and fade them out before it.
  if (y > 0.0f) {
    const float reach = 1.0f / (y + 0.12f);
    const float px = x * reach * 1.3f, pz = z * reach * 1.3f;
    const float n = fbm3(px, 0.5f, pz, 6, 0.52f, kSeed);
    const float lumps = fbm3(px * 2.2f, 1.5f, pz * 2.2f, 3, 0.5f, kSeed + 1);
    const float density = smoothstep(0.06f, 0.34f, n + lumps * 0.18f);
    // Tops lit, bases grey-blue: sample the field a little towards the sun.
    const float toward = fbm3(px - 0.06f, 0.5f, pz + 0.09f, 6, 0.52f, kSeed);
    const float light = clamp01(0.62f + (n - toward) * 5.0f + lumps * 0.25f);
    const Colour cloud = mixC(Colour{0.66f, 0.72f, 0.82f}, Colour{1.0f, 1.0f, 1.0f}, light);
    const float fade = smoothstep(0.02f, 0.22f, y);
    c = mixC(c, cloud, density * fade * 0.95f);
  }

  // Two ranges: a far, hazy one and a nearer, clearer one in front of it;
  // below the horizon a snowy valley floor fading into haze.
  const float sunAz = std::atan2(sz, sx);
  static const Range far{kSeed + 10, 34, 6.0f, 17.0f, {0.50f, 0.58f, 0.72f}, {0.92f, 0.95f, 1.0f}, 0.35f};
  static const Range near{kSeed + 20, 22, 2.5f, 9.0f, {0.34f, 0.39f, 0.48f}, {0.97f, 0.98f, 1.0f}, 0.08f};
  static const std::vector<Peak> farPeaks = makePeaks(far);
  static const std::vector<Peak> nearPeaks = makePeaks(near);
  int which = 0;
  if (elevation < rangeTop(farPeaks, az, far.seed, which)) {
    c = mountain(far, farPeaks[which], az, elevation, sunAz, horizon);
  }
  if (elevation < rangeTop(nearPeaks, az, near.seed, which)) {
    c = mountain(near, nearPeaks[which], az, elevation, sunAz, horizon);
  }
  if (elevation < 0.0f) {
    const Colour valley = mixC(Colour{0.80f, 0.86f, 0.95f}, Colour{0.92f, 0.95f, 0.99f}, smoothstep(0.0f, 0.5f, -y));
    c = mixC(horizon, valley, smoothstep(0.0f, 0.03f, -y));
  }
  return c;
}

std::array<float, 3> skyFaceDirection(int face, float x, float y, uint32_t size) {
  // Texture s runs along the image row; t = 0 is the image's bottom row.
  const float a = 2 * ((x + 0.5f) / size) - 1;
  const float b = 2 * (1 - (y + 0.5f) / size) - 1;
  switch (face) {
    case 0: return {-a, 1, -b};   // up, y = +1
    case 1: return {1, b, a};     // lt, x = +1
    case 2: return {-a, b, 1};    // ft, z = +1
    case 3: return {-1, b, -a};   // rt, x = -1
    case 4: return {a, b, -1};    // bk, z = -1
    default: return {-a, -1, b};  // dn, y = -1
  }
}

Pixels paintSkyFace(int face, uint32_t size) {
  Pixels p(size, size, 3);
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const auto d = skyFaceDirection(face, static_cast<float>(x), static_cast<float>(y), size);
      const Colour c = skyColour(d[0], d[1], d[2]);
      uint8_t* out = p.at(x, y);
      for (int k = 0; k < 3; ++k) out[k] = static_cast<uint8_t>(std::lround(clamp01(c[k]) * 255.0f));
    }
  }
  return p;
}

}  // namespace assetgen
