#include "assetgen/hud.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "assetgen/font.h"
#include "assetgen/generator.h"
#include "assetgen/glyph_raster.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kCentre = kDialSize / 2.0f;
constexpr float kRimInner = 116.0f;

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Coverage of a pixel by a shape whose edge is `distance` away (negative
// inside), with a one-pixel antialiased edge.
float edgeCoverage(float distance) { return clamp01(0.5f - distance); }

uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); }

void setGrey(Pixels& p, uint32_t x, uint32_t y, float v) {
  uint8_t* px = p.at(x, y);
  px[0] = px[1] = px[2] = toByte(v);
}

void blend(float colour[3], const float over[3], float amount) {
  for (int i = 0; i < 3; ++i) colour[i] = colour[i] * (1.0f - amount) + over[i] * amount;
}

float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  const float vx = bx - ax, vy = by - ay;
  const float t = clamp01(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy));
  const float dx = px - (ax + t * vx), dy = py - (ay + t * vy);
  return std::sqrt(dx * dx + dy * dy);
}

// Direction of `kmh` on the dial in picture coordinates (y down): 0 at the
// bottom, turning the way the game turns the needle (right, then up).
void dialDirection(float kmh, float& dx, float& dy) {
  const float a = kmh * 2.0f * kPi / kDialFullTurn;
  dx = std::sin(a);
  dy = std::cos(a);
}

Pixels paintDial() {
  Pixels dial(kDialSize, kDialSize, 3);
  Coverage numbers(kDialSize, kDialSize);
  Coverage redNumbers(kDialSize, kDialSize);
  GlyphRaster raster(kFontFace);
  if (raster.ok()) {
    for (int kmh = 0; kmh < static_cast<int>(kDialFullTurn); kmh += 20) {
      float dx, dy;
      dialDirection(static_cast<float>(kmh), dx, dy);
      const float r = 78.0f;
      Coverage& target = kmh >= 100 ? redNumbers : numbers;
      raster.drawCentred(target, std::to_string(kmh), 18, kCentre + dx * r, static_cast<int>(kCentre + dy * r + 6.5f));
    }
  }
  const float face[3] = {0.11f, 0.13f, 0.19f};
  const float white[3] = {0.95f, 0.95f, 0.97f};
  const float red[3] = {0.95f, 0.2f, 0.12f};
  for (uint32_t y = 0; y < kDialSize; ++y) {
    for (uint32_t x = 0; x < kDialSize; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      const float rx = px - kCentre, ry = py - kCentre;
      const float r = std::sqrt(rx * rx + ry * ry);
      // Face: a soft radial gradient, lighter towards the middle.
      float colour[3];
      const float shade = 1.0f + 0.35f * (1.0f - r / kRimInner);
      for (int i = 0; i < 3; ++i) colour[i] = face[i] * shade;
      // Rim: brushed metal lit from the upper left.
      const float rim = edgeCoverage(kRimInner - r);
      const float light = 0.62f + 0.3f * (-(rx + ry) / (std::max(r, 1.0f) * 1.4142f));
      const float metal[3] = {light, light, light * 1.04f};
      blend(colour, metal, rim);
      // Ticks every 10 km/h, long ones every 20, red from 100 on.
      for (int kmh = 0; kmh < static_cast<int>(kDialFullTurn); kmh += 10) {
        float dx, dy;
        dialDirection(static_cast<float>(kmh), dx, dy);
        const bool major = kmh % 20 == 0;
        const float inner = major ? 98.0f : 105.0f;
        const float half = major ? 2.2f : 1.2f;
        const float d = segmentDistance(px, py, kCentre + dx * inner, kCentre + dy * inner, kCentre + dx * 112.0f,
                                        kCentre + dy * 112.0f);
        blend(colour, kmh >= 100 ? red : white, edgeCoverage(d - half));
      }
      blend(colour, white, numbers.at(static_cast<int>(x), static_cast<int>(y)));
      blend(colour, red, redNumbers.at(static_cast<int>(x), static_cast<int>(y)));
      uint8_t* out = dial.at(x, y);
      for (int i = 0; i < 3; ++i) out[i] = toByte(colour[i]);
    }
  }
  return dial;
}

Pixels paintNeedle() {
  Pixels needle(kDialSize, kDialSize, 3);
  const float tailY = kCentre - 22.0f;
  const float tipY = kCentre + 104.0f;
  for (uint32_t y = 0; y < kDialSize; ++y) {
    for (uint32_t x = 0; x < kDialSize; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      const float t = clamp01((py - tailY) / (tipY - tailY));
      const float half = 4.8f + (1.3f - 4.8f) * t;
      const float across = std::fabs(px - kCentre) - half;
      const float along = std::max(tailY - py, py - tipY);
      float v = std::min(edgeCoverage(across), edgeCoverage(along));
      const float hub = std::sqrt((px - kCentre) * (px - kCentre) + (py - kCentre) * (py - kCentre));
      v = std::max(v, edgeCoverage(hub - 9.0f));
      setGrey(needle, x, y, v);
    }
  }
  return needle;
}

Pixels paintDialAlpha() {
  Pixels alpha(kDialSize, kDialSize, 3);
  for (uint32_t y = 0; y < kDialSize; ++y) {
    for (uint32_t x = 0; x < kDialSize; ++x) {
      const float rx = x + 0.5f - kCentre, ry = y + 0.5f - kCentre;
      setGrey(alpha, x, y, edgeCoverage(std::sqrt(rx * rx + ry * ry) - kDialRadius));
    }
  }
  return alpha;
}

// Signed distance to a vertical capsule (negative inside).
float capsuleDistance(float px, float py, float cx, float top, float bottom, float radius) {
  const float y = std::clamp(py, top + radius, bottom - radius);
  return std::sqrt((px - cx) * (px - cx) + (py - y) * (py - y)) - radius;
}

Pixels paintGauge() {
  Pixels gauge(kGaugeWidth, kGaugeHeight, 3);
  const float cx = kGaugeWidth / 2.0f;
  const float radius = 20.0f, top = 6.0f, bottom = kGaugeHeight - 6.0f;
  for (uint32_t y = 0; y < kGaugeHeight; ++y) {
    for (uint32_t x = 0; x < kGaugeWidth; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      const float d = capsuleDistance(px, py, cx, top, bottom, radius);
      const float inside = edgeCoverage(d);
      // A bright rim, a rounded-looking body and notches every tenth.
      const float across = (px - cx) / radius;
      float body = 0.72f + 0.22f * (1.0f - across * across);
      const float tenth = (bottom - top) / 10.0f;
      const float notch = std::fmod(py - top, tenth);
      if (std::min(notch, tenth - notch) < 1.0f && std::fabs(px - cx) < 13.0f) body = 0.45f;
      const float rim = edgeCoverage(-d - 3.0f);
      setGrey(gauge, x, y, inside * std::max(body, rim));
    }
  }
  return gauge;
}

Pixels paintGaugeMask() {
  Pixels mask(kGaugeWidth, kGaugeHeight, 3);
  const float empty = kGaugeEmptyLevel / 255.0f;
  for (uint32_t y = 0; y < kGaugeHeight; ++y) {
    // Upper half faint, lower half opaque, a short ramp between them.
    const float full = clamp01((y + 0.5f - kGaugeHeight / 2.0f) / 2.0f + 0.5f);
    for (uint32_t x = 0; x < kGaugeWidth; ++x) setGrey(mask, x, y, empty + (1.0f - empty) * full);
  }
  return mask;
}

}  // namespace

HudPictures paintHud() {
  HudPictures hud;
  hud.dial = paintDial();
  hud.needle = paintNeedle();
  hud.dialAlpha = paintDialAlpha();
  hud.gauge = paintGauge();
  hud.gaugeMask = paintGaugeMask();
  return hud;
}

int generateHud(const std::string& root) {
  const HudPictures hud = paintHud();
  const std::string dir = root + "/data/textures/";
  const std::pair<const char*, const Pixels*> files[] = {{"speed.bmp", &hud.dial},
                                                          {"speed_o.bmp", &hud.needle},
                                                          {"speed_a.bmp", &hud.dialAlpha},
                                                          {"zzz.bmp", &hud.gauge},
                                                          {"zzz_o.bmp", &hud.gaugeMask}};
  for (const auto& file : files) {
    const std::vector<uint8_t> bytes = writeBMP24(*file.second);
    if (!writeFile(dir + file.first, bytes.data(), bytes.size())) return 1;
  }
  return 0;
}

}  // namespace assetgen
