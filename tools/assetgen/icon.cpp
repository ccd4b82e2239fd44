#include "assetgen/icon.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "assetgen/generator.h"
#include "assetgen/png_writer.h"
#include "assetgen/texture_noise.h"

namespace assetgen {
namespace {

constexpr int kSamplesPerAxis = 4;
constexpr float kPi = 3.14159265358979f;
// The rounded square, in icon units (0..1, y down).
constexpr float kSquareInset = 0.03f;
constexpr float kCornerRadius = 0.2f;
// Width of the dark rim that keeps the head readable at 64 pixels.
constexpr float kOutline = 0.022f;

constexpr Rgb kSkyTop = {0.20f, 0.45f, 0.84f};
constexpr Rgb kSkyLow = {0.64f, 0.82f, 0.97f};
constexpr Rgb kSun = {1.00f, 0.90f, 0.45f};
constexpr Rgb kFarRock = {0.55f, 0.62f, 0.76f};
constexpr Rgb kRock = {0.38f, 0.44f, 0.58f};
constexpr Rgb kSnow = {0.96f, 0.97f, 1.00f};
constexpr Rgb kSnowShade = {0.80f, 0.86f, 0.96f};
constexpr Rgb kInk = {0.10f, 0.09f, 0.10f};
constexpr Rgb kHide = {0.98f, 0.96f, 0.92f};
constexpr Rgb kMuzzle = {0.96f, 0.68f, 0.70f};
constexpr Rgb kNostril = {0.55f, 0.25f, 0.30f};
constexpr Rgb kHorn = {0.96f, 0.90f, 0.72f};
constexpr Rgb kEarInside = {0.93f, 0.62f, 0.66f};


// Inside an ellipse centred at (cx, cy) with radii (rx, ry), turned by `degrees`.
bool inEllipse(float x, float y, float cx, float cy, float rx, float ry, float degrees = 0.0f) {
  const float a = degrees * kPi / 180.0f;
  const float dx = x - cx, dy = y - cy;
  const float u = dx * std::cos(a) + dy * std::sin(a);
  const float v = -dx * std::sin(a) + dy * std::cos(a);
  return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1.0f;
}

bool inRoundedSquare(float x, float y) {
  const float lo = kSquareInset + kCornerRadius, hi = 1.0f - kSquareInset - kCornerRadius;
  const float dx = std::fmax(std::fmax(lo - x, x - hi), 0.0f);
  const float dy = std::fmax(std::fmax(lo - y, y - hi), 0.0f);
  const bool inBox = x >= kSquareInset && x <= 1.0f - kSquareInset && y >= kSquareInset && y <= 1.0f - kSquareInset;
  return inBox && dx * dx + dy * dy <= kCornerRadius * kCornerRadius;
}

// Height of a ridge line at x: the peak at (peakX, peakY), straight flanks of
// the given slope (y grows downwards, so a larger y is lower).
float ridge(float x, float peakX, float peakY, float slope) { return peakY + std::fabs(x - peakX) * slope; }

// The cow's head, centred below the middle so the peak shows above it.
struct Head {
  float cx = 0.5f, cy = 0.63f, rx = 0.2f, ry = 0.21f;
};
constexpr Head kHead;

bool inHead(float x, float y, float grow) {
  return inEllipse(x, y, kHead.cx, kHead.cy, kHead.rx + grow, kHead.ry + grow) ||
         inEllipse(x, y, kHead.cx, kHead.cy + 0.15f, 0.17f + grow, 0.105f + grow);
}

bool inEar(float x, float y, float grow, float& side) {
  for (const float s : {-1.0f, 1.0f}) {
    if (inEllipse(x, y, kHead.cx + s * 0.235f, kHead.cy - 0.09f, 0.095f + grow, 0.048f + grow, s * -18.0f)) {
      side = s;
      return true;
    }
  }
  return false;
}

bool inHorn(float x, float y, float grow) {
  for (const float s : {-1.0f, 1.0f}) {
    if (inEllipse(x, y, kHead.cx + s * 0.125f, kHead.cy - 0.22f, 0.028f + grow, 0.075f + grow, s * 28.0f)) return true;
  }
  return false;
}

Rgb background(float x, float y) {
  Rgb c = mixRgb(kSkyTop, kSkyLow, smoothstep(0.05f, 0.7f, y));
  if (inEllipse(x, y, 0.80f, 0.20f, 0.085f, 0.085f)) c = kSun;
  // A far ridge, then the main peak with its snow cap and a shaded east face.
  if (y >= ridge(x, 0.80f, 0.34f, 0.75f)) c = mixRgb(kFarRock, kSnow, y < 0.44f ? 0.8f : 0.0f);
  const float peakX = 0.36f, peakY = 0.12f;
  if (y >= ridge(x, peakX, peakY, 1.25f)) {
    const float snowLine = 0.33f + 0.03f * std::sin(x * 40.0f);
    const bool east = x > peakX + (y - peakY) * 0.25f;
    if (y < snowLine) {
      c = east ? kSnowShade : kSnow;
    } else {
      c = east ? scale(kRock, 0.8f) : kRock;
    }
  }
  // The slope the cow slides down.
  if (y >= 0.74f + 0.05f * std::sin(x * 6.0f)) c = mixRgb(kSnow, kSnowShade, smoothstep(0.75f, 1.0f, y));
  return c;
}

Rgb sample(float x, float y) {
  Rgb c = background(x, y);
  float side = 0.0f;
  if (inHead(x, y, kOutline) || inEar(x, y, kOutline, side) || inHorn(x, y, kOutline)) c = kInk;
  if (inHorn(x, y, 0.0f)) c = mixRgb(kHorn, scale(kHorn, 0.8f), smoothstep(kHead.cy - 0.3f, kHead.cy - 0.15f, y));
  if (inEar(x, y, 0.0f, side)) {
    c = kHide;
    if (inEllipse(x, y, kHead.cx + side * 0.245f, kHead.cy - 0.088f, 0.06f, 0.025f, side * -18.0f)) c = kEarInside;
  }
  if (!inHead(x, y, 0.0f)) return c;
  // Soft light from the upper left over the white hide.
  const float d = std::hypot(x - (kHead.cx - 0.07f), y - (kHead.cy - 0.1f));
  c = scale(kHide, 1.0f - 0.18f * smoothstep(0.05f, 0.3f, d));
  // The black patches: one over the right eye, one on the left cheek, one on the brow.
  if (inEllipse(x, y, kHead.cx + 0.085f, kHead.cy - 0.035f, 0.085f, 0.075f, 20.0f) ||
      inEllipse(x, y, kHead.cx - 0.16f, kHead.cy + 0.04f, 0.07f, 0.09f, -15.0f) ||
      inEllipse(x, y, kHead.cx - 0.03f, kHead.cy - 0.2f, 0.08f, 0.04f)) {
    c = kInk;
  }
  if (inEllipse(x, y, kHead.cx, kHead.cy + 0.15f, 0.17f, 0.105f)) {
    c = mixRgb(kMuzzle, scale(kMuzzle, 0.85f), smoothstep(kHead.cy + 0.1f, kHead.cy + 0.25f, y));
    for (const float s : {-1.0f, 1.0f}) {
      if (inEllipse(x, y, kHead.cx + s * 0.07f, kHead.cy + 0.155f, 0.03f, 0.042f, s * 15.0f)) c = kNostril;
    }
  }
  for (const float s : {-1.0f, 1.0f}) {
    const float ex = kHead.cx + s * 0.085f, ey = kHead.cy - 0.03f;
    if (inEllipse(x, y, ex, ey, 0.045f, 0.045f)) c = {1.0f, 1.0f, 1.0f};
    if (inEllipse(x, y, ex + 0.004f, ey + 0.006f, 0.027f, 0.03f)) c = kInk;
    if (inEllipse(x, y, ex - 0.008f, ey - 0.01f, 0.009f, 0.009f)) c = {1.0f, 1.0f, 1.0f};
  }
  return c;
}

uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); }

}  // namespace

Pixels paintIcon(uint32_t size) {
  Pixels icon(size, size, 4);
  const float step = 1.0f / (static_cast<float>(size) * kSamplesPerAxis);
  for (uint32_t py = 0; py < size; ++py) {
    for (uint32_t px = 0; px < size; ++px) {
      float r = 0.0f, g = 0.0f, b = 0.0f;
      int covered = 0;
      for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
        for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
          const float x = (static_cast<float>(px * kSamplesPerAxis + sx) + 0.5f) * step;
          const float y = (static_cast<float>(py * kSamplesPerAxis + sy) + 0.5f) * step;
          if (!inRoundedSquare(x, y)) continue;
          const Rgb c = sample(x, y);
          r += c.r;
          g += c.g;
          b += c.b;
          ++covered;
        }
      }
      uint8_t* out = icon.at(px, py);
      // Rgb is the mean of the covered samples (not premultiplied, as PNG
      // stores it); alpha is the covered share.
      const float n = covered > 0 ? static_cast<float>(covered) : 1.0f;
      out[0] = toByte(r / n);
      out[1] = toByte(g / n);
      out[2] = toByte(b / n);
      out[3] = toByte(static_cast<float>(covered) / (kSamplesPerAxis * kSamplesPerAxis));
    }
  }
  return icon;
}

int generateIcon(const std::string& root) {
  for (const uint32_t size : kIconSizes) {
    const std::vector<uint8_t> png = writePNG(paintIcon(size));
    const std::string path = root + "/icons/vorn_" + std::to_string(size) + ".png";
    if (!writeFile(path, png.data(), png.size())) return 1;
  }
  return 0;
}

}  // namespace assetgen
