// VornParticleSystem: the snow thrown up behind the sliding cows (flakes and puffs) and the light
// snowfall around the cameras, as fixed rings of plain arrays (GL side: particles_gl.h).
// Units: world units, life and steps in the race's particle steps. Cost: all memory at
// construction; emission and update touch only the live run of each ring.
#pragma once

#include <cstdint>
#include <vector>

#include "math/vector.h"

namespace vorn {

// One ring of particles. Slots are written at `next` and die oldest first,
// so the live particles are the run from `oldest` up to `next` (wrapping).
struct VornParticleRing {
  VornParticleRing(int slots, float startLife);

  int capacity;
  float startLife;
  int next = 0;
  int oldest = 0;
  // Per slot; 0 or less is free. xyz triples and rgba quadruples.
  std::vector<float> life;
  std::vector<float> position;
  std::vector<float> velocity;
  std::vector<float> colour;

  bool alive(int slot) const { return life[static_cast<size_t>(slot)] > 0.0f; }
  VornVector positionOf(int slot) const { return VornVector(&position[static_cast<size_t>(slot) * 3]); }
  const float* colourOf(int slot) const { return &colour[static_cast<size_t>(slot) * 4]; }
  // Calls `visit(slot)` for every live slot, oldest first.
  template <typename Visit>
  void forEachLive(Visit&& visit) const;
};

// The camera-facing frame of a puff: columns right, up and back (towards the
// viewer) of the billboard matrix, and the horizontal shift of the puff
// towards the viewer per unit of distance.
struct VornBillboard {
  VornVector right;
  VornVector up;
  VornVector back;
  float shiftX = 0.0f;
  float shiftZ = 0.0f;
};

// From the view direction and the camera's up vector. A camera looking
// straight down (or an up vector along the view) still gives an orthonormal
// frame and no shift.
VornBillboard billboardBasis(const VornVector& view, const VornVector& up);

class VornParticleSystem {
 public:
  static constexpr int kFlakeSlots = 600;
  static constexpr float kFlakeLife = 30.0f;
  static constexpr int kPuffSlots = 400;
  static constexpr float kPuffLife = 3.0f;
  static constexpr int kSnowfallSlots = 400;
  // The snowfall lives longer than the spray: long enough to fall through
  // the camera's field, short enough that a fast camera does not leave most
  // of it behind.
  static constexpr float kSnowfallLife = 60.0f;
  static constexpr float kSleepStrength = 100.0f;
  static constexpr int kMaxViews = 2;
  // Shares of the ring an emitter call may fill per step of the particles'
  // life (see update): about a third of the flakes' ring, so the trail they
  // leave does not bury the camera that follows through it, and a tenth of
  // the puffs', which are as large as the cow and all stack behind it.
  static constexpr float kFlakeShare = 0.35f;
  static constexpr float kPuffShare = 0.1f;

  VornParticleSystem();

  // Puffs behind a player.
  void emitTrail(const VornVector& position, const VornVector& direction, float speed);
  // A large burst of puffs (the sleeping cow's); from then on puffs are drawn large.
  void emitBurst(const VornVector& position, const VornVector& direction, float strength);
  // Flakes and puffs of a player on the ground.
  void emitSpray(const VornVector& position, const VornVector& direction, float speed);
  // Ages and moves every particle by `step`; particles emitted afterwards are
  // tinted by `tint` (grass under the player) and get opacity 1 - `transparency`
  // (ice). Also lets the snow fall around the cameras seen since the last update.
  void update(float step, float tint, float transparency);
  // Where camera `view` (0 or 1) is this frame: the snowfall follows it.
  void followCamera(int view, const VornVector& eye, const VornVector& viewDirection);

  const VornParticleRing& flakes() const { return flakes_; }
  const VornParticleRing& puffs() const { return puffs_; }
  const VornParticleRing& snowfall() const { return snowfall_; }
  bool bigPuffs() const { return bigPuffs_; }
  // Most particles one emitter call may add to each ring until the next
  // update; no limit before the first update.
  int flakeBudget() const { return flakeBudget_; }
  int puffBudget() const { return puffBudget_; }

  // Set by the GL side's initParticleSystem: the texture's cache index and
  // the quad's vertex buffer (0 while there is none).
  int textureIndex = -1;
  uint32_t quadBuffer = 0;

 private:
  void emitPuffs(int count, const VornVector& origin, const VornVector& velocity);
  void letSnowFall(float step);

  VornParticleRing flakes_;
  VornParticleRing puffs_;
  VornParticleRing snowfall_;
  bool bigPuffs_ = false;
  int flakeBudget_;
  int puffBudget_;
  float tint_ = 0.0f;
  float alpha_ = 1.0f;
  struct View {
    bool seen = false;
    VornVector eye;
    VornVector ahead;  // horizontal unit vector of the view direction
  };
  View views_[kMaxViews];
  float snowfallDue_ = 0.0f;  // fraction of a flake carried to the next update
  uint32_t snowfallSeed_ = 1;
};

template <typename Visit>
void VornParticleRing::forEachLive(Visit&& visit) const {
  int i = oldest;
  for (; i < capacity && alive(i); ++i) visit(i);
  if (i < capacity || !alive(0)) return;
  for (i = 0; i < oldest && alive(i); ++i) visit(i);
}

}  // namespace vorn
