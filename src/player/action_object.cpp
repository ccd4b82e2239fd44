#include "player/action_object.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/error_log.h"
#include "player/ode_setup.h"
#include "player/player.h"

namespace vorn {
namespace {

using T = VornActionTuning;

// Below this squared length the motion left after removing the normal part
// is too short to give a direction (a head-on hit).
constexpr float kLeastAlongSquared = 1e-6f;
// The sweep window is at most 2 * sqrt(8000) ~ 179 long, 72 samples at 2.5;
// the cap only matters for absurd paths where doubles stop counting.
constexpr int kMaxSweepSamples = 80;
// The beer list's line reader holds 199 characters and the terminator.
constexpr size_t kBeerLineLimit = 199;

// The player's sphere, moved to each tested point; one per thread so the
// collision of the two players never shares it across threads in tests.
class ProbeSphere {
 public:
  ProbeSphere() {
    ensureOdeReady();
    geom_ = dCreateSphere(nullptr, T::kPlayerSphereRadius);
  }
  ~ProbeSphere() { dGeomDestroy(geom_); }
  ProbeSphere(const ProbeSphere&) = delete;
  ProbeSphere& operator=(const ProbeSphere&) = delete;

  dGeomID at(const VornVector& p) {
    dGeomSetPosition(geom_, p.x, p.y, p.z);
    return geom_;
  }

 private:
  dGeomID geom_;
};

ProbeSphere& probeSphere() {
  thread_local ProbeSphere sphere;
  return sphere;
}

bool finite(const VornVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The first contact's normal when the sphere at `p` touches `box`.
bool touches(dGeomID box, const VornVector& p, VornVector& normal) {
  dContactGeom contacts[T::kMaxContacts];
  const int n = dCollide(probeSphere().at(p), box, T::kMaxContacts, contacts, sizeof(dContactGeom));
  if (n <= 0) return false;
  normal.set(static_cast<float>(contacts[0].normal[0]), static_cast<float>(contacts[0].normal[1]),
             static_cast<float>(contacts[0].normal[2]));
  return finite(normal);
}

// Along the obstacle's face: horizontal and perpendicular to n, on the side
// the path drifted to (a fixed side without drift). A horizontal face (n
// vertical) leaves every horizontal direction along it; the drift picks one.
VornVector faceDirection(const VornVector& n, const VornVector& path) {
  VornVector face(-n.z, 0.0f, n.x);
  if (face.lengthSquared() < kLeastAlongSquared) {
    face.set(path.x, 0.0f, path.z);
    if (face.lengthSquared() < kLeastAlongSquared) face.set(1.0f, 0.0f, 0.0f);
    return face.normalized();
  }
  face.normalize();
  return path.dot(face) < 0.0f ? face * -1.0f : face;
}

float segmentDistanceSquared(const VornVector& p, const VornVector& a, const VornVector& b) {
  const VornVector ab = b - a;
  const float l2 = ab.lengthSquared();
  if (!(l2 > 0.0f) || !std::isfinite(l2)) return p.distanceSquared(b);
  const float t = std::clamp((p - a).dot(ab) / l2, 0.0f, 1.0f);
  return p.distanceSquared(a + ab * t);
}

}  // namespace

VornActionObject::VornActionObject(int modelIndex) : modelIndex(modelIndex) {}

VornActionObject::~VornActionObject() {
  if (box_) dGeomDestroy(box_);
}

void VornActionObject::buildBox(float s, float modelExtentZ) {
  assert(std::isfinite(s) && s > 0.0f && "box sizes come from placement's constants");
  ensureOdeReady();
  if (box_) {
    dGeomDestroy(box_);
    box_ = nullptr;
  }
  position = transform.position();
  if (!finite(position)) return;
  const float extent = std::isfinite(modelExtentZ) && modelExtentZ > 0.0f ? modelExtentZ : 0.0f;
  const float across = s * T::kBoxScale;
  box_ = dCreateBox(nullptr, across, across, extent * T::kBoxScale + T::kBoxExtraLength);
  dGeomSetPosition(box_, position.x, position.y - T::kBoxDrop, position.z);
  // ODE's rotation is row-major 3x4; the transform's is column-major 4x4.
  dMatrix3 r;
  const float* m = transform.rotation().m;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) r[row * 4 + col] = m[col * 4 + row];
    r[row * 4 + 3] = 0.0;
  }
  dGeomSetRotation(box_, r);
}

void VornActionObject::updateVisibility(const VornVector& playerPosition, int view) {
  assert((view == 0 || view == 1) && "two views at most");
  visible[view] = position.distanceSquared(playerPosition) < T::kDrawDistanceSquared ? 1 : 0;
}

bool VornActionObject::collide(const VornVector& from, VornPlayer& player, float& awakeChange, int view) {
  assert((view == 0 || view == 1) && "two views at most");
  const VornVector to = player.position();
  visible[view] = position.distanceSquared(to) < T::kDrawDistanceSquared ? 1 : 0;  // 0 for NaN
  if (box_ == nullptr) return false;
  // Whether the box is tested depends on the whole path, not on the end's
  // draw distance: a frame's step may be longer than 2000.

  // The path, in doubles so that long steps still sample evenly. A path that
  // is not finite tests its end only.
  const VornVector start = finite(from) && finite(to - from) ? from : to;
  const double px = start.x, py = start.y, pz = start.z;
  const double dx = double(to.x) - px, dy = double(to.y) - py, dz = double(to.z) - pz;
  const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
  // Only the part of the path within the test distance can hit: where the
  // line enters and leaves that sphere around the object.
  double enter = 0.0, leave = 0.0;
  if (length > 1e-9) {
    const double ux = dx / length, uy = dy / length, uz = dz / length;
    const double fx = px - position.x, fy = py - position.y, fz = pz - position.z;
    const double b = fx * ux + fy * uy + fz * uz;
    const double c = fx * fx + fy * fy + fz * fz - double(T::kTestDistanceSquared);
    const double disc = b * b - c;
    if (!(disc > 0.0)) return false;
    const double root = std::sqrt(disc);
    enter = std::max(0.0, -b - root);
    leave = std::min(length, -b + root);
    if (enter > leave) return false;
  }
  auto pointAt = [&](double s) {
    if (length <= 1e-9 || s >= length) return to;
    const double f = s / length;
    return VornVector(static_cast<float>(px + dx * f), static_cast<float>(py + dy * f),
                      static_cast<float>(pz + dz * f));
  };

  // Samples lie on a grid from the path's start, so the result does not
  // depend on where the window begins; the sample before the window is free
  // (outside the test distance, or the start itself).
  const double spacing = T::kSweepSpacing;
  const double first = std::floor(enter / spacing);
  double previous = first * spacing;
  VornVector n;
  bool hit = false;
  for (int k = 1; k <= kMaxSweepSamples; ++k) {
    const double s = std::min((first + k) * spacing, length);
    const VornVector sample = pointAt(s);
    if (position.distanceSquared(sample) < T::kTestDistanceSquared && touches(box_, sample, n)) {
      hit = true;
      break;
    }
    if (s >= length || s > leave) break;
    previous = s;
  }
  if (!hit) return false;

  const float v = player.speed;
  const float k = player.direction.dot(n);
  if (k <= 0.0f) {
    awakeChange += k * v * T::kAwakeFactor;
    player.speed = T::kSlowestAfterHit;
  } else {
    awakeChange -= k * v * T::kAwakeFactor;
    player.speed = std::max(v - k * T::kGrazeSlowdown, T::kSlowestAfterHit);
  }
  VornVector along = player.direction - n * k;
  if (along.lengthSquared() >= kLeastAlongSquared) {
    along.normalize();
  } else {
    along = faceDirection(n, to - start);
  }
  player.direction = along;
  player.setPosition(pointAt(previous));
  return true;
}

std::vector<VornVector> parseBeerList(const uint8_t* data, size_t size) {
  std::vector<VornVector> bottles;
  if (data == nullptr) return bottles;
  size_t pos = 0;
  while (pos < size) {
    const void* found = std::memchr(data + pos, '\n', size - pos);
    const size_t end = found ? static_cast<size_t>(static_cast<const uint8_t*>(found) - data) : size;
    size_t length = end - pos;
    if (length > 0 && data[pos + length - 1] == '\r') --length;
    if (length <= kBeerLineLimit) {
      char line[kBeerLineLimit + 1];
      std::memcpy(line, data + pos, length);
      line[length] = '\0';
      float x = 0.0f, y = 0.0f, z = 0.0f;
      if (std::sscanf(line, "%f %f %f", &x, &y, &z) == 3 && std::isfinite(x) && std::isfinite(y) &&
          std::isfinite(z)) {
        bottles.emplace_back(x, y, z);
      }
    }
    pos = end + 1;
  }
  return bottles;
}

void VornManageActionObject::add(const std::vector<VornVector>& bottles, int modelIndex) {
  records.reserve(records.size() + bottles.size());
  for (const VornVector& b : bottles) {
    Record r;
    r.modelIndex = modelIndex;
    r.transform.rotateLocalX(-70.0f);
    r.transform.setScale(0.1f);
    r.transform.setPosition(b.x, b.y + VornActionTuning::kBeerLift, b.z);
    records.push_back(r);
    shadowFlags.push_back(1);
  }
}

void VornManageActionObject::spinAll() {
  spin += 1;
  if (spin > 360) spin = 0;
  for (Record& r : records) {
    if (r.active) r.transform.rotateY(1.0f);
  }
}

int VornManageActionObject::update(const VornVector& from, const VornVector& to, int view) {
  assert((view == 0 || view == 1) && "two views at most");
  assert(shadowFlags.size() == records.size() && "shadow flags follow the records");
  const VornVector start = finite(from) ? from : to;
  int taken = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    Record& r = records[i];
    if (!r.active) continue;
    const VornVector& p = r.transform.position();
    if (segmentDistanceSquared(p, start, to) < pickupRadiusSquared) {
      r.active = 0;
      r.visible[0] = r.visible[1] = 0;
      shadowFlags[i] = 0;
      ++taken;
    } else {
      r.visible[view] = p.distanceSquared(to) <= T::kBeerVisibleSquared ? 1 : 0;
    }
  }
  return taken;
}

void VornManageActionObject::reset() {
  for (Record& r : records) {
    r.active = 1;
    r.visible[0] = r.visible[1] = 1;
    r.flagged = 1;
  }
  std::fill(shadowFlags.begin(), shadowFlags.end(), uint8_t{1});
}

bool VornManageActionObject::writePlacement(const std::string& path, const VornVector& playerPosition) const {
  std::FILE* f = std::fopen(path.c_str(), "a");
  if (!f) {
    logError("VornManageActionObject::writePlacement", "\tcannot open: %s\n", path.c_str());
    return false;
  }
  const int written = std::fprintf(f, "%f %f %f\n", static_cast<double>(playerPosition.x),
                                   static_cast<double>(playerPosition.y - 3.5f),
                                   static_cast<double>(playerPosition.z));
  const bool closed = std::fclose(f) == 0;
  if (written < 0 || !closed) {
    logError("VornManageActionObject::writePlacement", "\tcannot write: %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace vorn
