#include "player/autopilot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace vorn {

namespace {
constexpr float kRadToDeg = 57.2957795f;
// The barrier walls stand two columns in from each side.
constexpr int kWallColumns = 2;
// A bottle closer ahead than this is taken or missed already: swerving at it
// would only throw the line away.
constexpr float kBottleLeastAhead = 15.0f;

bool byZ(const VornVector& a, const VornVector& b) { return a.z < b.z; }
}  // namespace

std::vector<float> VornAutopilot::findCentreLine(const HeightFn& height, const Course& course) {
  std::vector<float> raw;
  if (course.columns <= 2 * kWallColumns + 1 || course.rows <= 0) return raw;
  const int first = kWallColumns + 1;
  const int last = course.columns - kWallColumns - 2;
  float previous = course.startX;
  raw.reserve(static_cast<size_t>(course.rows));
  for (int r = 0; r < course.rows; ++r) {
    const float z = static_cast<float>(r) * course.spacingZ;
    float bestX = previous;
    float bestCost = std::numeric_limits<float>::max();
    for (int c = first; c <= last; ++c) {
      const float x = static_cast<float>(c) * course.spacingX;
      const float cost = height(x, z) + kSideCost * std::fabs(x - previous);
      if (cost < bestCost) {
        bestCost = cost;
        bestX = x;
      }
    }
    raw.push_back(bestX);
    previous = bestX;
  }
  std::vector<float> smooth(raw.size());
  const int n = static_cast<int>(raw.size());
  for (int r = 0; r < n; ++r) {
    float sum = 0.0f;
    int count = 0;
    for (int k = std::max(0, r - kSmoothRows); k <= std::min(n - 1, r + kSmoothRows); ++k) {
      sum += raw[static_cast<size_t>(k)];
      ++count;
    }
    smooth[static_cast<size_t>(r)] = sum / static_cast<float>(count);
  }
  return smooth;
}

VornAutopilot::VornAutopilot(std::vector<float> centreX, float spacingZ, const VornRaceKeys& keys)
    : centreX_(std::move(centreX)), spacingZ_(spacingZ > 0.0f ? spacingZ : 1.0f), keys_(keys) {}

void VornAutopilot::setObjects(std::vector<VornVector> bottles, std::vector<VornVector> trees) {
  bottles_ = std::move(bottles);
  trees_ = std::move(trees);
  std::sort(bottles_.begin(), bottles_.end(), byZ);
  std::sort(trees_.begin(), trees_.end(), byZ);
}

float VornAutopilot::centreAt(float z) const {
  if (centreX_.empty()) return 0.0f;
  const float u = z / spacingZ_;
  if (!(u > 0.0f)) return centreX_.front();
  const size_t r = static_cast<size_t>(u);
  if (r + 1 >= centreX_.size()) return centreX_.back();
  const float f = u - static_cast<float>(r);
  return centreX_[r] * (1.0f - f) + centreX_[r + 1] * f;
}

void VornAutopilot::drive(const VornPlayer& player, uint8_t* keys) const {
  keys[keys_.accelerate] = 1;
  keys[keys_.brake] = 0;
  keys[keys_.jump] = 0;
  keys[keys_.left] = 0;
  keys[keys_.right] = 0;
  if (centreX_.empty()) return;

  const VornVector& p = player.position();
  const VornVector t = target(p, kLookBase + kLookPerSpeed * player.speed);
  const float targetX = t.x, targetZ = t.z;
  // Headings as angles from +z towards +x: "a" (left) turns towards +x.
  const float want = std::atan2(targetX - p.x, targetZ - p.z) * kRadToDeg;
  const float have = std::atan2(player.direction.x, player.direction.z) * kRadToDeg;
  float error = want - have;
  while (error > 180.0f) error -= 360.0f;
  while (error < -180.0f) error += 360.0f;
  if (error > kDeadBandDeg) keys[keys_.left] = 1;
  if (error < -kDeadBandDeg) keys[keys_.right] = 1;
}

VornVector VornAutopilot::target(const VornVector& p, float ahead) const {
  VornVector t(centreAt(p.z + ahead), 0.0f, p.z + ahead);
  // The next bottle ahead that lies near the line and within sight.
  VornVector probe(0.0f, 0.0f, p.z + kBottleLeastAhead);
  for (auto b = std::upper_bound(bottles_.begin(), bottles_.end(), probe, byZ);
       b != bottles_.end() && b->z - p.z < ahead * kBottleSightFactor; ++b) {
    if (std::fabs(b->x - centreAt(b->z)) < kBottleReach) {
      t = VornVector(b->x, 0.0f, b->z);
      break;
    }
  }
  // Each tree between here and the target that stands near the straight way
  // moves the target sideways, to the side the way already passes it on,
  // until the way clears the trunk; in z order, so nearer trees count first.
  probe.z = p.z;
  for (auto tree = std::upper_bound(trees_.begin(), trees_.end(), probe, byZ);
       tree != trees_.end() && tree->z <= t.z; ++tree) {
    const float u = (tree->z - p.z) / (t.z - p.z);
    const float gap = tree->x - (p.x + (t.x - p.x) * u);
    if (!(std::fabs(gap) < kTreeClearance) || !(u > 0.0f)) continue;
    const float shift = (kTreeClearance - std::fabs(gap)) / u;
    const float limit = t.z - p.z;  // no more than 45 degrees off
    t.x += (gap > 0.0f ? -1.0f : 1.0f) * std::min(shift, limit);
  }
  return t;
}

}  // namespace vorn
