#include "assetgen/terrain_course.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace assetgen {
namespace {

// --- The drop along the track (heights are 8-bit: the whole budget is 255).
// With no friction the speed comes only from the drop (squared speed grows by
// about 7 per unit), and the race clock is short, so most of the drop is
// spent early: a steep start run brings the speed up within a few seconds,
// the paths fall gently, and the final kicker takes what is left.
constexpr float kStartHeight = 232.0f;
constexpr float kFinishHeight = 2.0f;
constexpr int kStartFlatRows = 2;         // gentle start area
constexpr float kStartFlatDrop = 0.5f;    // per row
constexpr int kStartRunEnd = 16;          // rows 2..15: the steep start run
constexpr float kStartRunDrop = 9.0f;
constexpr int kRunOutRow = 94;            // from here on: nearly flat to the finish
constexpr float kRunOutDrop = 0.3f;

// --- Kickers: a ramp rising `rise` over the row before the lip; behind the
// lip the ground falls away. Common kickers drop the track for good (their
// landing rows are part of the drop budget); path kickers dip below the
// track and come back within `landingRows`, so both paths end at the same
// height where they join.
enum class Lane { Common, Left, Right };
struct Kicker {
  Lane lane;
  int lipRow;
  float rise;
  int landingRows;
  float landingDrop;  // per landing row
};
constexpr Kicker kKickers[] = {
    {Lane::Common, 10, 10.0f, 4, 8.0f},  // a first hop on the start run
    {Lane::Right, 38, 14.0f, 6, 32.0f},  // a medium kicker on the right path (dip depth)
    {Lane::Left, 50, 16.0f, 6, 44.0f},   // a mega jump after the ice (dip depth)
    {Lane::Common, 84, 14.0f, 6, 7.0f},  // the monster kicker above the finish
};

// --- The paths (columns). The start x = 2000 is column 40.
constexpr float kStartColumn = 40.0f;
constexpr float kTrunkColumn = 36.0f;
constexpr float kTrunkReached = 10.0f;  // row where the start run has swung over to the trunk line
constexpr float kSplitStart = 17.0f, kSplitFull = 26.0f, kJoinStart = 64.0f, kJoinEnd = 73.0f;
// Path centres 32 columns apart at full split, set so that the straight line
// down the start run has as far to swing over to either path.
constexpr float kLeftSplitOffset = 13.0f;
constexpr float kRightSplitOffset = 19.0f;
constexpr float kTrunkHalfWidth = 6.0f;
constexpr float kPathHalfWidth = 5.5f;
constexpr float kFinishColumn = 38.0f;
constexpr float kFinishLineReached = 94.0f;  // row where the final run is lined up with the finish

// --- Surface features along the paths (rows).
constexpr float kIceFrom = 27.0f, kIceTo = 39.0f;           // the left path's ice stretch
constexpr float kRollersFrom = 50.0f, kRollersTo = 62.0f;   // on the right path
constexpr float kMeadowFrom = 50.0f, kMeadowTo = 64.0f;     // grass on the right path
constexpr float kIceStripFrom = 93.0f, kIceStripTo = 97.0f;  // an icy strip before the finish

// --- Banks: height above the track as a function of the distance e (in
// cells) beyond the path edge; capped so nothing passes 255.
constexpr float kBankLinear = 5.0f;
constexpr float kBankQuadratic = 1.6f;
constexpr float kBankCap = 72.0f;
constexpr float kTopHeight = 254.0f;
constexpr float kBankNoise = 1.5f;
// Gentle swells on the track itself: they catch the light, not the skis.
constexpr float kTrackSwell = 2.0f;

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
float smoothstep(float a, float b, float v) {
  const float t = clamp01((v - a) / (b - a));
  return t * t * (3.0f - 2.0f * t);
}

// Deterministic value noise in [-1, 1] on the grid.
float hashNoise(int c, int r, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(c) * 374761393u + static_cast<uint32_t>(r) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFF) / 32767.5f - 1.0f;
}
float smoothNoise(float c, float r, float cell, uint32_t seed) {
  const float x = c / cell, y = r / cell;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = smoothstep(0.0f, 1.0f, x - x0), fy = smoothstep(0.0f, 1.0f, y - y0);
  const float a = hashNoise(x0, y0, seed), b = hashNoise(x0 + 1, y0, seed);
  const float c0 = hashNoise(x0, y0 + 1, seed), d = hashNoise(x0 + 1, y0 + 1, seed);
  return (a * (1 - fx) + b * fx) * (1 - fy) + (c0 * (1 - fx) + d * fx) * fy;
}

// How far the paths have moved apart at row r (0 joined, 1 fully split).
float splitAmount(float r) {
  if (r < kJoinStart) return smoothstep(kSplitStart, kSplitFull, r);
  return 1.0f - smoothstep(kJoinStart, kJoinEnd, r);
}

float trunkCentre(float r) {
  if (r <= kSplitStart) {
    // From the start column over to the trunk line, leaning left with the
    // player's first heading.
    const float t = smoothstep(0.0f, kTrunkReached, r);
    return kStartColumn + (kTrunkColumn - 1.0f - kStartColumn) * t + smoothstep(kTrunkReached, kSplitStart, r);
  }
  if (r >= kJoinEnd) return kTrunkColumn + (kFinishColumn - kTrunkColumn) * smoothstep(kJoinEnd, kFinishLineReached, r);
  return kTrunkColumn;
}

float leftCentre(float r) {
  const float s = splitAmount(r);
  return trunkCentre(r) - s * (kLeftSplitOffset + 2.0f * std::sin((r - kSplitStart) / 9.0f));
}
float rightCentre(float r) {
  const float s = splitAmount(r);
  return trunkCentre(r) + s * (kRightSplitOffset - 2.0f * std::sin((r - kSplitStart) / 7.0f));
}
float halfWidth(float r) { return kTrunkHalfWidth + (kPathHalfWidth - kTrunkHalfWidth) * splitAmount(r); }

// Drop of the track from row r to row r + 1.
float rowDrop(int r, float middleDrop) {
  if (r < kStartFlatRows) return kStartFlatDrop;
  float drop = r < kStartRunEnd ? kStartRunDrop : (r >= kRunOutRow ? kRunOutDrop : middleDrop);
  for (const Kicker& k : kKickers) {
    if (k.lane == Lane::Common && r >= k.lipRow + 1 && r < k.lipRow + 1 + k.landingRows) drop += k.landingDrop;
  }
  return drop;
}

std::vector<float> trackProfile(int rows) {
  // The middle rows take whatever the fixed parts leave of the budget.
  float fixed = 0.0f;
  int middleRows = 0;
  for (int r = 0; r + 1 < rows; ++r) {
    const float d = rowDrop(r, 0.0f);
    fixed += d;
    if (r >= kStartRunEnd && r < kRunOutRow) ++middleRows;
  }
  const float middle = (kStartHeight - kFinishHeight - fixed) / static_cast<float>(middleRows);
  std::vector<float> base(rows);
  base[0] = kStartHeight;
  for (int r = 1; r < rows; ++r) base[r] = base[r - 1] - rowDrop(r - 1, middle);
  return base;
}

// Height added by a kicker at row r (before the lane mask).
float kickerProfile(const Kicker& k, int r) {
  if (r == k.lipRow) return k.rise;
  if (r == k.lipRow - 1) return k.rise * 0.15f;
  if (k.lane != Lane::Common && r > k.lipRow && r <= k.lipRow + k.landingRows) {
    const float u = static_cast<float>(r - k.lipRow) / static_cast<float>(k.landingRows + 1);
    return -k.landingDrop * (1.0f - u) * (1.0f - u);
  }
  return 0.0f;
}

// 1 on a path, fading to 0 over a few cells up its bank.
float laneMask(float distance, float half) { return clamp01(1.0f - std::max(0.0f, distance - half) / 2.5f); }

}  // namespace

Course buildCourse() {
  Course course;
  const int w = course.width, h = course.height;
  course.heights.resize(static_cast<size_t>(w) * h);
  course.materials.resize(static_cast<size_t>(w) * h * 3);
  course.leftPath.resize(h);
  course.rightPath.resize(h);
  course.halfWidth.resize(h);
  const std::vector<float> base = trackProfile(h);

  for (int r = 0; r < h; ++r) {
    const float rf = static_cast<float>(r);
    const float left = leftCentre(rf), right = rightCentre(rf), half = halfWidth(rf);
    course.leftPath[r] = left;
    course.rightPath[r] = right;
    course.halfWidth[r] = half;
    const float cap = std::min(kBankCap, kTopHeight - base[r]);
    for (int c = 0; c < w; ++c) {
      const float cf = static_cast<float>(c);
      const float dLeft = std::fabs(cf - left), dRight = std::fabs(cf - right);
      const float e = std::max(0.0f, std::min(dLeft, dRight) - half);
      float bank = std::min(cap, kBankLinear * e + kBankQuadratic * e * e);
      if (e > 1.0f) bank += kBankNoise * smoothNoise(cf, rf, 3.0f, 1) * clamp01(e - 1.0f);
      bank += kTrackSwell * smoothNoise(cf, rf, 4.0f, 5);

      // Kickers across their lane.
      const float onLeft = laneMask(dLeft, half), onRight = laneMask(dRight, half);
      const float onTrack = std::max(onLeft, onRight);
      float feature = 0.0f;
      for (const Kicker& k : kKickers) {
        const float mask = k.lane == Lane::Common ? onTrack : (k.lane == Lane::Left ? onLeft : onRight);
        feature += mask * kickerProfile(k, r);
      }
      // Rollers on the right path between its kicker and the join.
      if (rf >= kRollersFrom && rf <= kRollersTo) feature += onRight * 3.0f * std::sin((rf - kRollersFrom) * 1.05f);

      const float height = std::min(255.0f, std::max(1.0f, base[r] + bank + feature));
      course.heights[static_cast<size_t>(r) * w + c] = static_cast<uint8_t>(std::lround(height));

      // Materials: ice and grass shares; snow is the rest.
      float ice = 0.0f, grass = 0.0f;
      ice = std::max(ice, onLeft * smoothstep(kIceFrom - 1.0f, kIceFrom + 2.0f, rf) *
                               (1.0f - smoothstep(kIceTo - 1.0f, kIceTo + 2.0f, rf)));
      const float finishStrip = smoothstep(kIceStripFrom - 1.0f, kIceStripFrom + 1.0f, rf) *
                                (1.0f - smoothstep(kIceStripTo, kIceStripTo + 2.0f, rf));
      ice = std::max(ice, finishStrip * clamp01(1.0f - (std::fabs(cf - kFinishColumn) - 3.0f) / 2.0f));
      // Grass on the ridge between the paths, on the right path's meadow and
      // in patches high up the outer banks; snow everywhere else.
      const bool betweenPaths = cf > left && cf < right;
      const float crest = betweenPaths ? smoothstep(30.0f, 55.0f, bank) : 0.0f;
      const float meadow = onRight * smoothstep(kMeadowFrom - 2.0f, kMeadowFrom + 1.0f, rf) *
                           (1.0f - smoothstep(kMeadowTo - 2.0f, kMeadowTo + 1.0f, rf)) *
                           smoothstep(0.05f, 0.35f, smoothNoise(cf, rf, 4.0f, 7));
      const float outer = betweenPaths ? 0.0f
                                       : smoothstep(35.0f, 60.0f, bank) * smoothstep(0.2f, 0.5f, smoothNoise(cf, rf, 5.0f, 3));
      grass = std::max({crest, meadow, outer});
      grass = std::min(grass, 1.0f - ice);
      const float snow = 1.0f - grass - ice;
      uint8_t* m = &course.materials[(static_cast<size_t>(r) * w + c) * 3];
      m[0] = static_cast<uint8_t>(std::lround(255.0f * snow));
      m[1] = static_cast<uint8_t>(std::lround(255.0f * grass));
      m[2] = static_cast<uint8_t>(std::lround(255.0f * ice));
    }
  }
  return course;
}

std::vector<uint8_t> encodeCourseHeights(const Course& course) {
  Pixels picture(static_cast<uint32_t>(course.width), static_cast<uint32_t>(course.height), 1);
  for (int r = 0; r < course.height; ++r) {
    for (int c = 0; c < course.width; ++c) {
      *picture.at(c, course.height - 1 - r) = course.heights[static_cast<size_t>(r) * course.width + c];
    }
  }
  return writeSGI(picture, true);
}

std::vector<uint8_t> encodeCourseMaterials(const Course& course) {
  Pixels picture(static_cast<uint32_t>(course.width), static_cast<uint32_t>(course.height), 3);
  for (int r = 0; r < course.height; ++r) {
    for (int c = 0; c < course.width; ++c) {
      const uint8_t* m = &course.materials[(static_cast<size_t>(r) * course.width + c) * 3];
      uint8_t* p = picture.at(c, course.height - 1 - r);
      p[0] = m[0];
      p[1] = m[1];
      p[2] = m[2];
    }
  }
  return writeBMP24(picture);
}

Pixels coursePicture(const Course& course, int scale) {
  const int w = course.width, h = course.height;
  Pixels picture(static_cast<uint32_t>(w * scale), static_cast<uint32_t>(h * scale), 3);
  auto heightAt = [&](float c, float r) {
    const int c0 = std::min(w - 2, std::max(0, static_cast<int>(c)));
    const int r0 = std::min(h - 2, std::max(0, static_cast<int>(r)));
    const float fx = clamp01(c - c0), fz = clamp01(r - r0);
    auto H = [&](int cc, int rr) { return static_cast<float>(course.heights[static_cast<size_t>(rr) * w + cc]); };
    return (H(c0, r0) * (1 - fx) + H(c0 + 1, r0) * fx) * (1 - fz) + (H(c0, r0 + 1) * (1 - fx) + H(c0 + 1, r0 + 1) * fx) * fz;
  };
  for (int y = 0; y < h * scale; ++y) {
    for (int x = 0; x < w * scale; ++x) {
      const float c = (x + 0.5f) / scale, r = (y + 0.5f) / scale;
      const int gc = std::min(w - 1, static_cast<int>(c)), gr = std::min(h - 1, static_cast<int>(r));
      const uint8_t* m = &course.materials[(static_cast<size_t>(gr) * w + gc) * 3];
      const float snow = m[0] / 255.0f, grass = m[1] / 255.0f, ice = m[2] / 255.0f;
      // Relief shading from the slope, light from the upper left of the picture.
      const float dx = heightAt(c + 0.5f, r) - heightAt(c - 0.5f, r);
      const float dz = heightAt(c, r + 0.5f) - heightAt(c, r - 0.5f);
      const float shade = std::min(1.15f, std::max(0.45f, 0.9f - 0.035f * dx - 0.035f * dz));
      float rgb[3];
      for (int k = 0; k < 3; ++k) {
        const float snowC[3] = {0.96f, 0.97f, 1.0f}, grassC[3] = {0.45f, 0.7f, 0.25f}, iceC[3] = {0.55f, 0.85f, 0.95f};
        rgb[k] = (snow * snowC[k] + grass * grassC[k] + ice * iceC[k]) * shade;
      }
      // Contour every 16 height units.
      const float hh = heightAt(c, r);
      if (std::fmod(hh, 16.0f) < 1.2f) {
        for (float& v : rgb) v *= 0.75f;
      }
      // Path centre lines, kicker lips, walls and finish.
      const bool onPath = std::fabs(c - course.leftPath[gr]) < 0.18f || std::fabs(c - course.rightPath[gr]) < 0.18f;
      bool lip = false;
      for (const Kicker& k : kKickers) {
        if (std::fabs(r - static_cast<float>(k.lipRow)) >= 0.25f) continue;
        const float half = halfWidth(r);
        const float onLeft = laneMask(std::fabs(c - course.leftPath[gr]), half);
        const float onRight = laneMask(std::fabs(c - course.rightPath[gr]), half);
        const float mask = k.lane == Lane::Common ? std::max(onLeft, onRight) : (k.lane == Lane::Left ? onLeft : onRight);
        lip = lip || mask > 0.5f;
      }
      const bool wall = (std::fabs(c - 2.0f) < 0.15f || std::fabs(c - (w - 3)) < 0.15f) && r > 1.0f && r < h - 2;
      const bool finish = std::fabs(r - static_cast<float>(h - 2)) < 0.2f;
      if (onPath) rgb[0] = 0.2f, rgb[1] = 0.3f, rgb[2] = 0.9f;
      if (lip) rgb[0] = 0.95f, rgb[1] = 0.45f, rgb[2] = 0.1f;
      if (wall) rgb[0] = rgb[1] = rgb[2] = 0.15f;
      if (finish) rgb[0] = 0.9f, rgb[1] = 0.1f, rgb[2] = 0.1f;
      uint8_t* p = picture.at(x, y);
      for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>(std::lround(255.0f * clamp01(rgb[k])));
    }
  }
  return picture;
}

}  // namespace assetgen
