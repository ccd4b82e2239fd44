#include "world/particles.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

namespace vorn {

namespace {

// Gravity on thrown snow and the share of the velocity covered per step.
constexpr float kGravityPerStep = 0.5f;
constexpr float kMotionPerStep = 0.05f;
// Below this a particle is dead; dead slots are marked with kDeadLife so the
// walks can tell them from the never-used slots.
constexpr float kDyingLife = 0.01f;
constexpr float kDeadLife = -20.0f;

// The spray and trail leave behind the cow, a little further back at low speed.
constexpr float kTrailBack = 10.0f + 3.5f;
constexpr float kTrailSide = 12.0f;
constexpr float kPuffsPerSpeed = 7.0f;
constexpr float kFlakesPerSpeed = 10.0f;
constexpr float kBurstBack = 30.0f;
constexpr float kBurstDrop = 8.0f;

// The snowfall: nothing in the race makes it, so the system spawns it itself
// in a box above and ahead of each camera that looked this frame — only
// there is it seen, so a few hundred flakes give a dense enough fall.
// Flakes drift down at a steady speed (no gravity: they float) and die
// before the camera has left them far behind.
constexpr float kSnowfallPerStep = 2.5f;
constexpr float kSnowAhead = 160.0f;
constexpr float kSnowAbove = 10.0f;
constexpr float kSnowHalfWidth = 180.0f;
constexpr float kSnowDepth = 60.0f;
constexpr float kSnowFallSpeed = 20.0f;
constexpr float kSnowDrift = 3.0f;

float randomOffset(int range, int centre, float scale) {
  return static_cast<float>(std::rand() % range - centre) * scale;
}

// One live slot with its life, position, velocity and colour.
void fill(VornParticleRing& ring, int slot, const VornVector& p, const VornVector& v, const float (&rgba)[4]) {
  const size_t i = static_cast<size_t>(slot);
  ring.life[i] = ring.startLife;
  for (int k = 0; k < 3; ++k) {
    ring.position[i * 3 + k] = p[k];
    ring.velocity[i * 3 + k] = v[k];
  }
  for (int k = 0; k < 4; ++k) ring.colour[i * 4 + k] = rgba[k];
}

// Up to `count` new particles from `make(slot)`; a ring whose next slot is
// still alive is full and drops the rest.
template <typename Make>
void emit(VornParticleRing& ring, int count, Make&& make) {
  while (count > 0 && ring.life[static_cast<size_t>(ring.next)] <= 0.0f) {
    make(ring.next);
    ring.next = ring.next + 1 == ring.capacity ? 0 : ring.next + 1;
    --count;
  }
}

// Ages the live run [from, end) and moves its survivors; stops at the first
// dead slot. Returns the slot where it stopped.
int age(VornParticleRing& ring, int from, int end, float step, float gravity) {
  int i = from;
  for (; i < end && ring.life[static_cast<size_t>(i)] >= 0.0f; ++i) {
    float& life = ring.life[static_cast<size_t>(i)];
    life -= step;
    if (life < kDyingLife) {
      life = kDeadLife;
      ring.oldest = i + 1;
      continue;
    }
    float* p = &ring.position[static_cast<size_t>(i) * 3];
    float* v = &ring.velocity[static_cast<size_t>(i) * 3];
    v[1] -= gravity * step;
    for (int k = 0; k < 3; ++k) p[k] += v[k] * step * kMotionPerStep;
  }
  return i;
}

void ageRing(VornParticleRing& ring, float step, float gravity) {
  const int oldestBefore = ring.oldest;
  if (age(ring, ring.oldest, ring.capacity, step, gravity) == ring.capacity && ring.life[0] >= 0.0f) {
    age(ring, 0, oldestBefore, step, gravity);
  }
  if (ring.oldest == ring.capacity) ring.oldest = 0;
}

VornVector trailOrigin(const VornVector& position, const VornVector& direction, float s) {
  return position - direction * (kTrailBack - s);
}

VornVector trailVelocity(const VornVector& d, float s) {
  return VornVector(-d.x * s - d.z * 5.0f, 8.0f * s - d.y * s, d.x * 5.0f - d.z * s);
}

void shiftSideways(VornVector& p, const VornVector& d, float drop) {
  p.x += kTrailSide * d.x;
  p.y -= drop;
  p.z += kTrailSide * d.z;
}

}  // namespace

VornParticleRing::VornParticleRing(int slots, float life)
    : capacity(slots),
      startLife(life),
      life(static_cast<size_t>(slots), 0.0f),
      position(static_cast<size_t>(slots) * 3, 0.0f),
      velocity(static_cast<size_t>(slots) * 3, 0.0f),
      colour(static_cast<size_t>(slots) * 4, 0.0f) {
  assert(slots > 0 && "a particle ring needs slots");
}

VornBillboard billboardBasis(const VornVector& view, const VornVector& up) {
  VornBillboard b;
  const VornVector d = view.normalized();
  VornVector right = up.cross(d);
  VornVector u = up;
  if (right.lengthSquared() < 1e-8f) {
    // Up along the view: any up across it will do; one in the ground plane
    // keeps a camera looking straight down showing the puffs upright.
    u = std::fabs(d.z) < 0.9f ? VornVector(0.0f, 0.0f, 1.0f) : VornVector(1.0f, 0.0f, 0.0f);
    right = u.cross(d);
    u = d.cross(right);
    u.normalize();
  }
  right.normalize();
  b.right = right;
  b.up = u;
  b.back = d * -1.0f;
  const float horizontal = std::sqrt(d.x * d.x + d.z * d.z);
  if (horizontal > 1e-4f) {
    b.shiftX = -d.x / horizontal;
    b.shiftZ = -d.z / horizontal;
  }
  return b;
}

VornParticleSystem::VornParticleSystem()
    : flakes_(kFlakeSlots, kFlakeLife),
      puffs_(kPuffSlots, kPuffLife),
      snowfall_(kSnowfallSlots, kSnowfallLife),
      flakeBudget_(kFlakeSlots),
      puffBudget_(kPuffSlots) {}

void VornParticleSystem::emitPuffs(int count, const VornVector& origin, const VornVector& velocity) {
  const float rgba[4] = {1.0f - 0.5f * tint_, 1.0f - 0.75f * tint_, 1.0f - tint_, alpha_};
  emit(puffs_, std::min(count, puffBudget_), [&](int slot) {
    const VornVector p = origin + VornVector(randomOffset(30, 15, 0.1f), -randomOffset(80, 0, 0.1f),
                                             randomOffset(30, 15, 0.1f));
    const VornVector v = velocity + VornVector(randomOffset(300, 150, 0.1f), randomOffset(100, 0, 0.1f),
                                               randomOffset(300, 150, 0.1f));
    fill(puffs_, slot, p, v, rgba);
  });
}

void VornParticleSystem::emitTrail(const VornVector& position, const VornVector& direction, float speed) {
  const float s = speed * 0.05f;
  VornVector p = trailOrigin(position, direction, s);
  shiftSideways(p, direction, 3.0f);
  emitPuffs(static_cast<int>(speed * kPuffsPerSpeed), p, trailVelocity(direction, s));
}

void VornParticleSystem::emitBurst(const VornVector& position, const VornVector& direction, float strength) {
  const float g = strength;
  VornVector p = position - direction * kBurstBack;
  shiftSideways(p, direction, kBurstDrop);
  // Only the across and up parts scale with the strength: the burst rises
  // and spreads but does not fly off along the direction.
  emitPuffs(static_cast<int>(g * kPuffsPerSpeed), p, VornVector(-direction.x * g, -direction.y * g, -direction.z));
  bigPuffs_ = true;
}

void VornParticleSystem::emitSpray(const VornVector& position, const VornVector& direction, float speed) {
  const float s = speed * 0.05f;
  VornVector p = trailOrigin(position, direction, s);
  p.y -= 3.0f;
  const VornVector v = trailVelocity(direction, s);
  const float rgba[4] = {1.0f - 0.25f * tint_, 1.0f - 0.5f * tint_, 1.0f - tint_, alpha_};
  emit(flakes_, std::min(static_cast<int>(speed * kFlakesPerSpeed), flakeBudget_), [&](int slot) {
    const VornVector at = p + VornVector(randomOffset(80, 40, 0.1f), randomOffset(80, 10, 0.1f),
                                         randomOffset(80, 40, 0.1f));
    const VornVector moving = v + VornVector(randomOffset(600, 300, 0.1f), randomOffset(100, 0, 0.1f),
                                             randomOffset(600, 300, 0.1f));
    fill(flakes_, slot, at, moving, rgba);
  });
  shiftSideways(p, direction, 5.0f);
  emitPuffs(static_cast<int>(speed * kPuffsPerSpeed + 1.0f), p, v);
}

void VornParticleSystem::followCamera(int view, const VornVector& eye, const VornVector& viewDirection) {
  assert(view >= 0 && view < kMaxViews && "camera index out of range");
  View& v = views_[view];
  v.seen = true;
  v.eye = eye;
  v.ahead = VornVector(viewDirection.x, 0.0f, viewDirection.z);
  if (v.ahead.lengthSquared() < 1e-8f) v.ahead = VornVector(0.0f, 0.0f, 1.0f);
  v.ahead.normalize();
}

void VornParticleSystem::letSnowFall(float step) {
  ageRing(snowfall_, step, 0.0f);
  int seen[kMaxViews];
  int seenCount = 0;
  for (int i = 0; i < kMaxViews; ++i) {
    if (views_[i].seen) seen[seenCount++] = i;
    views_[i].seen = false;
  }
  if (seenCount == 0 || step <= 0.0f) return;
  snowfallDue_ += kSnowfallPerStep * step * static_cast<float>(seenCount);
  const int count = static_cast<int>(snowfallDue_);
  snowfallDue_ -= static_cast<float>(count);
  // Its own small generator: the snowfall must not shift the spray's
  // sequence of std::rand values.
  auto unit = [this] {
    snowfallSeed_ = snowfallSeed_ * 1664525u + 1013904223u;
    return static_cast<float>(snowfallSeed_ >> 8) / static_cast<float>(1u << 24) * 2.0f - 1.0f;
  };
  const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  int k = 0;
  emit(snowfall_, count, [&](int slot) {
    const View& v = views_[seen[k++ % seenCount]];
    const VornVector centre = v.eye + v.ahead * kSnowAhead;
    const VornVector p(centre.x + unit() * kSnowHalfWidth, v.eye.y + kSnowAbove + (unit() + 1.0f) * 0.5f * kSnowDepth,
                       centre.z + unit() * kSnowHalfWidth);
    const VornVector fall(unit() * kSnowDrift, -kSnowFallSpeed + unit() * kSnowDrift * 0.5f, unit() * kSnowDrift);
    fill(snowfall_, slot, p, fall, white);
  });
}

void VornParticleSystem::update(float step, float tint, float transparency) {
  ageRing(flakes_, step, kGravityPerStep);
  ageRing(puffs_, step, kGravityPerStep);
  letSnowFall(step);
  // The emitters' counts grow with the speed alone, so at racing speed they
  // ask for a hundred and more particles every frame at any frame rate: a
  // ring would fill in two frames, stand full until its particles all die
  // together and fill again, and the stacked puffs would make one opaque
  // wall that hides the cow. Each call may add only what the ring loses per
  // step (its capacity over the particles' life), times its share.
  auto budget = [step](const VornParticleRing& ring, float share) {
    return std::max(1, static_cast<int>(std::ceil(static_cast<float>(ring.capacity) * step / ring.startLife * share)));
  };
  flakeBudget_ = budget(flakes_, kFlakeShare);
  puffBudget_ = budget(puffs_, kPuffShare);
  tint_ = tint;
  alpha_ = 1.0f - transparency;
}

}  // namespace vorn
