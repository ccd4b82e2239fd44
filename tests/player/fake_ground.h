// Analytic grounds for the player tests: a tilted plane with a uniform
// material, answering the terrain queries the way the terrain mesh does
// (sphere of radius 5, step shortened by |k| * depth, direction projected
// onto the contact plane, end of track beyond a given z).
#pragma once

#include <cmath>

#include "player/ground.h"
#include "player/player.h"

namespace vorn {
namespace testing_support {

class PlaneGround : public VornGround {
 public:
  // y = slopeX * x + slopeZ * z + base.
  PlaneGround(float slopeX, float slopeZ, float base) : slopeX_(slopeX), slopeZ_(slopeZ), base_(base) {
    normal_ = VornVector(-slopeX, 1.0f, -slopeZ).normalized();
  }

  float heightAt(float x, float z) const { return slopeX_ * x + slopeZ_ * z + base_; }
  const VornVector& normal() const { return normal_; }

  int collidePlayer(const VornVector& position, const VornVector& direction, VornVector& newDirection,
                    float& step, VornVector& normal, float& depth, bool& endOfTrack) override {
    ++probes;
    const VornVector p = position + direction * step;
    if (p.z > endZ) endOfTrack = true;
    depth = 0.0f;
    // Distance of the centre above the plane, measured along its normal.
    const float above = (p.y - heightAt(p.x, p.z)) * normal_.y;
    if (above >= VornPlayer::kCollisionRadius) return 1;
    depth = VornPlayer::kCollisionRadius - above;
    normal = normal_;
    const float k = normal_.dot(direction);
    step = k <= 0.0f ? step + k * depth : step - k * depth;
    newDirection = (direction - normal_ * direction.dot(normal_)).normalized();
    return 0;
  }

  float getMaterial(float, float, int channel) const override { return material[channel]; }

  int keepAboveGround(VornVector& position) override {
    const float h = heightAt(position.x, position.z);
    if (h < position.y - 10.0f) return 0;
    position.y = h + 10.0f;
    return 1;
  }

  float material[3] = {1.0f, 0.0f, 0.0f};
  float endZ = 1e9f;
  int probes = 0;

 private:
  float slopeX_;
  float slopeZ_;
  float base_;
  VornVector normal_;
};

// Rolling hills on a slope falling towards +z: h = a sin(x / 90) cos(z / 70)
// - 0.15 z. Contacts use the surface normal under the probe, which is exact
// enough for smooth ground.
class WavyGround : public VornGround {
 public:
  static constexpr float kAmplitude = 20.0f;

  static float heightAt(float x, float z) {
    return kAmplitude * std::sin(x / 90.0f) * std::cos(z / 70.0f) - 0.15f * z;
  }
  static VornVector normalAt(float x, float z) {
    const float dx = kAmplitude / 90.0f * std::cos(x / 90.0f) * std::cos(z / 70.0f);
    const float dz = -kAmplitude / 70.0f * std::sin(x / 90.0f) * std::sin(z / 70.0f) - 0.15f;
    return VornVector(-dx, 1.0f, -dz).normalized();
  }

  int collidePlayer(const VornVector& position, const VornVector& direction, VornVector& newDirection,
                    float& step, VornVector& normal, float& depth, bool& endOfTrack) override {
    const VornVector p = position + direction * step;
    if (p.z > endZ) endOfTrack = true;
    depth = 0.0f;
    const VornVector n = normalAt(p.x, p.z);
    const float above = (p.y - heightAt(p.x, p.z)) * n.y;
    if (above >= VornPlayer::kCollisionRadius) return 1;
    depth = VornPlayer::kCollisionRadius - above;
    normal = n;
    const float k = n.dot(direction);
    step = k <= 0.0f ? step + k * depth : step - k * depth;
    newDirection = (direction - n * direction.dot(n)).normalized();
    return 0;
  }
  float getMaterial(float x, float, int channel) const override {
    // Ice in bands across the course, snow elsewhere.
    const float ice = std::fmod(std::fabs(x), 400.0f) < 100.0f ? 0.8f : 0.0f;
    return channel == 2 ? ice : channel == 0 ? 1.0f - ice : 0.0f;
  }
  int keepAboveGround(VornVector& position) override {
    const float h = heightAt(position.x, position.z);
    if (h < position.y - 10.0f) return 0;
    position.y = h + 10.0f;
    return 1;
  }

  float endZ = 1e9f;
};

}  // namespace testing_support
}  // namespace vorn
