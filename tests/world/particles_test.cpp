// The snow particles: ring wrap-around and a full ring, lives, motion and
// colours, the emitters' counts, the snowfall around the camera, the puffs'
// camera-facing frame, and the generated sprite through the game's reader.
#include "world/particles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "assets/bmp_codec.h"
#include "base/file_io.h"

namespace vorn {
namespace {

const VornVector kDown(0.0f, 0.0f, 1.0f);

std::vector<int> liveSlots(const VornParticleRing& ring) {
  std::vector<int> slots;
  ring.forEachLive([&slots](int slot) { slots.push_back(slot); });
  int alive = 0;
  for (int i = 0; i < ring.capacity; ++i) alive += ring.alive(i) ? 1 : 0;
  EXPECT_EQ(alive, static_cast<int>(slots.size())) << "a live particle outside the live run";
  return slots;
}

const float* storage(const VornParticleRing& r, int k) {
  const std::vector<float>* arrays[] = {&r.life, &r.position, &r.velocity, &r.colour};
  return arrays[k]->data();
}

// 500 flakes, then only the 100 free slots before the ring's end are taken;
// when the first 500 die, the next call's share of them goes to slots 0, 1,
// ... and the live run wraps: 500..599, then 0 onwards.
// No array is ever reallocated.
TEST(ParticleSystem, RingWrapsAroundAndAFullRingDropsTheRest) {
  VornParticleSystem snow;
  const VornParticleRing& flakes = snow.flakes();
  const float* before[4];
  for (int k = 0; k < 4; ++k) before[k] = storage(flakes, k);
  const VornVector at(100.0f, 50.0f, 200.0f);
  snow.emitSpray(at, kDown, 50.0f);
  EXPECT_EQ(500u, liveSlots(flakes).size());
  snow.update(20.0f, 0.0f, 0.0f);
  snow.emitSpray(at, kDown, 50.0f);
  EXPECT_EQ(600u, liveSlots(flakes).size());
  EXPECT_EQ(0, flakes.next);
  snow.update(10.5f, 0.0f, 0.0f);  // the first 500 reach life -0.5
  EXPECT_EQ(500, flakes.oldest);
  snow.emitSpray(at, kDown, 50.0f);
  const std::vector<int> slots = liveSlots(flakes);
  ASSERT_EQ(static_cast<size_t>(100 + snow.flakeBudget()), slots.size());
  ASSERT_GT(snow.flakeBudget(), 10);
  for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(static_cast<int>((500 + i) % 600), slots[i]);
  for (int i = 0; i < 40; ++i) {
    snow.emitSpray(at, kDown, 70.0f);
    snow.emitBurst(at, kDown, 100.0f);
    snow.followCamera(0, at, kDown);
    snow.update(3.0f, 0.5f, 0.5f);
  }
  for (const VornParticleRing* ring : {&snow.flakes(), &snow.puffs(), &snow.snowfall()}) {
    EXPECT_EQ(static_cast<size_t>(ring->capacity), ring->life.capacity());
    EXPECT_EQ(static_cast<size_t>(ring->capacity) * 4, ring->colour.capacity());
  }
  for (int k = 0; k < 4; ++k) EXPECT_EQ(before[k], storage(flakes, k));
}

// One flake and one puff through updates: gravity and motion while alive,
// dead below life 0.01 (marked -20, no longer moved); the tint and
// transparency of an update colour the particles emitted after it.
TEST(ParticleSystem, ParticlesAgeMoveDieAndTakeTheGroundTint) {
  struct Case {
    float tint, transparency;
  };
  for (const Case c : {Case{0.0f, 0.0f}, Case{1.0f, 0.0f}, Case{0.4f, 0.75f}}) {
    VornParticleSystem snow;
    snow.update(0.5f, c.tint, c.transparency);
    snow.emitSpray(VornVector(0, 0, 0), kDown, 0.2f);  // 2 flakes, 2 puffs
    const VornParticleRing& flakes = snow.flakes();
    const VornParticleRing& puffs = snow.puffs();
    const float k = c.tint, a = 1.0f - c.transparency;
    const float flakeRgba[4] = {1 - 0.25f * k, 1 - 0.5f * k, 1 - k, a};
    const float puffRgba[4] = {1 - 0.5f * k, 1 - 0.75f * k, 1 - k, a};
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(flakeRgba[i], flakes.colourOf(0)[i]);
      EXPECT_FLOAT_EQ(puffRgba[i], puffs.colourOf(0)[i]);
    }
    const VornVector p0 = flakes.positionOf(0);
    const float vy = flakes.velocity[1], vx = flakes.velocity[0];
    snow.update(2.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(28.0f, flakes.life[0]);
    EXPECT_FLOAT_EQ(vy - 1.0f, flakes.velocity[1]);
    EXPECT_NEAR(p0.x + vx * 0.1f, flakes.positionOf(0).x, 1e-4f);
    EXPECT_NEAR(p0.y + (vy - 1.0f) * 0.1f, flakes.positionOf(0).y, 1e-4f);
    EXPECT_FLOAT_EQ(1.0f, puffs.life[0]);
    const VornVector puffAt = puffs.positionOf(0);
    snow.update(0.995f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(-20.0f, puffs.life[0]);
    EXPECT_EQ(puffAt.y, puffs.positionOf(0).y);
    EXPECT_TRUE(liveSlots(puffs).empty());
    EXPECT_EQ(2u, liveSlots(flakes).size());
  }
}

// Counts of each emitter, including speed 0; the burst's velocity along the
// direction does not scale with the strength, and it makes the puffs big.
TEST(ParticleSystem, EmittersThrowTheirCounts) {
  struct Case {
    int emitter;  // 0 trail, 1 spray, 2 burst
    float amount;
    size_t flakes, puffs;
  };
  for (const Case c : {Case{0, 0.0f, 0, 0}, Case{1, 0.0f, 0, 1}, Case{0, 3.0f, 0, 21}, Case{1, 3.0f, 30, 22},
                       Case{2, 100.0f, 0, 400}, Case{2, 2.0f, 0, 14}}) {
    VornParticleSystem snow;
    const VornVector at(500.0f, 80.0f, 900.0f);
    if (c.emitter == 0) snow.emitTrail(at, kDown, c.amount);
    if (c.emitter == 1) snow.emitSpray(at, kDown, c.amount);
    if (c.emitter == 2) snow.emitBurst(at, kDown, c.amount);
    EXPECT_EQ(c.flakes, liveSlots(snow.flakes()).size()) << c.emitter << " " << c.amount;
    EXPECT_EQ(c.puffs, liveSlots(snow.puffs()).size()) << c.emitter << " " << c.amount;
    EXPECT_EQ(c.emitter == 2, snow.bigPuffs());
    if (c.emitter == 2) {
      // -direction.z plus a spread of at most 15.
      for (int slot : liveSlots(snow.puffs())) EXPECT_NEAR(-1.0f, snow.puffs().velocity[slot * 3 + 2], 15.0f);
    }
  }
}

// At racing speed the emitters ask for more than a ring loses per step; each
// call gets only that share, so the rings stay evenly filled from frame to
// frame instead of filling at once and emptying together.
TEST(ParticleSystem, EmissionKeepsToTheRingsShare) {
  for (const float step : {7.0f / 60.0f, 0.7f, 7.0f / 30.0f}) {
    VornParticleSystem snow;
    const VornVector at(500.0f, 80.0f, 900.0f);
    size_t fewestFlakes = 100000, mostFlakes = 0, mostPuffs = 0;
    for (int frame = 0; frame < 600; ++frame) {
      snow.update(step, 0.0f, 0.0f);
      snow.emitSpray(at, kDown, 30.0f);
      if (frame < 300) continue;
      const size_t flakes = liveSlots(snow.flakes()).size();
      fewestFlakes = std::min(fewestFlakes, flakes);
      mostFlakes = std::max(mostFlakes, flakes);
      mostPuffs = std::max(mostPuffs, liveSlots(snow.puffs()).size());
    }
    // About a third of the flakes' ring and a tenth of the puffs', steadily.
    EXPECT_GT(fewestFlakes, 180u) << step;
    EXPECT_LT(mostFlakes - fewestFlakes, 40u) << step;
    EXPECT_LT(mostPuffs, 60u) << step;
    EXPECT_GT(mostPuffs, 30u) << step;
  }
}

// The snowfall follows a moving camera: it keeps snowing near the eye, no
// flake is left far behind, and without a camera it stops.
TEST(ParticleSystem, SnowfallStaysAroundTheCamera) {
  VornParticleSystem snow;
  VornVector eye(1000.0f, 300.0f, 0.0f);
  const VornVector look = VornVector(0.0f, -0.4f, 1.0f).normalized();
  for (int frame = 0; frame < 400; ++frame) {
    if (frame == 200) eye = VornVector(-3000.0f, 900.0f, 20000.0f);  // a jump to the other course end
    eye.z += 6.0f;
    snow.followCamera(0, eye, look);
    snow.update(1.0f, 0.0f, 0.0f);
    // Checked once the first flakes have fallen, and again once those left
    // at the old place have melted.
    const bool settled = (frame >= 100 && frame < 200) || frame >= 261;
    if (!settled) continue;
    const std::vector<int> slots = liveSlots(snow.snowfall());
    EXPECT_GT(slots.size(), 100u);
    for (int slot : slots) {
      const VornVector p = snow.snowfall().positionOf(slot);
      const float dx = p.x - eye.x, dz = p.z - eye.z;
      ASSERT_LT(std::sqrt(dx * dx + dz * dz), 800.0f) << frame;
      ASSERT_LT(std::fabs(p.y - eye.y), 120.0f) << frame;
    }
  }
  for (int frame = 0; frame < 61; ++frame) snow.update(1.0f, 0.0f, 0.0f);
  EXPECT_TRUE(liveSlots(snow.snowfall()).empty());
}

// The puffs' frame is orthonormal and faces the viewer, also for a camera
// looking straight down, with or without an up vector along the view.
TEST(ParticleSystem, BillboardFacesTheViewerEvenLookingStraightDown) {
  struct Case {
    VornVector view, up;
    float shiftX, shiftZ;
  };
  const float s = 1.0f / std::sqrt(2.0f);
  for (const Case& c : {Case{VornVector(1, 0, 1).normalized(), VornVector(0, 1, 0), -s, -s},
                        Case{VornVector(0, -1, 0), VornVector(0, 0, 1), 0, 0},
                        Case{VornVector(0, -1, 0), VornVector(0, 1, 0), 0, 0},
                        Case{VornVector(0, -2, 0), VornVector(0, -1, 0), 0, 0}}) {
    const VornBillboard b = billboardBasis(c.view, c.up);
    for (const VornVector* v : {&b.right, &b.up, &b.back}) {
      ASSERT_TRUE(std::isfinite(v->x) && std::isfinite(v->y) && std::isfinite(v->z));
      EXPECT_NEAR(1.0f, v->length(), 1e-5f);
    }
    EXPECT_NEAR(0.0f, b.right.dot(b.up), 1e-5f);
    EXPECT_NEAR(0.0f, b.right.dot(b.back), 1e-5f);
    EXPECT_NEAR(0.0f, b.up.dot(b.back), 1e-5f);
    EXPECT_NEAR(-1.0f, b.back.dot(c.view.normalized()), 1e-5f);
    EXPECT_NEAR(c.shiftX, b.shiftX, 1e-5f);
    EXPECT_NEAR(c.shiftZ, b.shiftZ, 1e-5f);
  }
}

// The generated sprite read as the game reads it: opaque white in the
// middle, fading outwards to fully clear corners.
TEST(ParticleSystem, GeneratedSnowflakeIsASoftBlob) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(readWholeFile(std::string(VORN_TEST_DATA_ROOT) + "/data/textures/snowflake.bmp", bytes, 1 << 20));
  VornImage image;
  std::string detail;
  ASSERT_TRUE(decodeBMPAlpha(bytes.data(), bytes.size(), "snowflake.bmp", image, detail)) << detail;
  ASSERT_EQ(image.width, image.height);
  const int n = static_cast<int>(image.width);
  const auto alpha = [&](int x, int y) { return image.pixels[(static_cast<size_t>(y) * n + x) * 4 + 3]; };
  EXPECT_GT(alpha(n / 2, n / 2), 240);
  EXPECT_EQ(0, alpha(0, 0));
  EXPECT_EQ(0, alpha(n - 1, n - 1));
  for (int x = n / 2; x + 1 < n; ++x) EXPECT_GE(alpha(x, n / 2), alpha(x + 1, n / 2));
  EXPECT_GT(alpha(n * 3 / 4, n / 2), 0);
}

}  // namespace
}  // namespace vorn
