// The snow particles, their rings and emitters, the snowfall, the puffs'
// frame, and the generated sprite through the game's reader.
#include "world/particles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "assets/bmp_codec.h"
#include "base/file_io.h"

namespace vorn {
namespace {

const VornVector kDown(0.0f, 0.0f, 1.0f), kAt(500.0f, 80.0f, 900.0f);

// The live slots, oldest first; every live particle lies in the run from `oldest`.
std::vector<int> liveSlots(const VornParticleRing& ring) {
  std::vector<int> slots;
  ring.forEachLive([&slots](int slot) { slots.push_back(slot); });
  int alive = 0;
  for (int i = 0; i < ring.capacity; ++i) alive += ring.alive(i) ? 1 : 0;
  EXPECT_EQ(alive, static_cast<int>(slots.size())) << "a live particle outside the live run";
  for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ((ring.oldest + static_cast<int>(i)) % ring.capacity, slots[i]);
  return slots;
}

using Emitter = void (VornParticleSystem::*)(const VornVector&, const VornVector&, float);
constexpr Emitter kEmitters[] = {&VornParticleSystem::emitTrail, &VornParticleSystem::emitSpray,
                                 &VornParticleSystem::emitBurst};

// 500 flakes, then only the 100 free slots before the ring's end are taken;
// when the first 500 die, the next call's share of them goes to slots 0, 1,
// ... and the live run wraps: 500..599, then 0 onwards. No array is ever reallocated.
TEST(ParticleSystem, RingWrapsAroundAndAFullRingDropsTheRest) {
  VornParticleSystem snow;
  const VornParticleRing& flakes = snow.flakes();
  const float* before[] = {flakes.life.data(), flakes.position.data(), flakes.velocity.data(), flakes.colour.data()};
  snow.emitSpray(kAt, kDown, 50.0f);
  EXPECT_EQ(500u, liveSlots(flakes).size());
  snow.update(20.0f, 0.0f, 0.0f);
  snow.emitSpray(kAt, kDown, 50.0f);
  EXPECT_TRUE(liveSlots(flakes).size() == 600u && flakes.next == 0);
  snow.update(10.5f, 0.0f, 0.0f);  // the first 500 reach life -0.5
  EXPECT_EQ(500, flakes.oldest);
  snow.emitSpray(kAt, kDown, 50.0f);
  ASSERT_GT(snow.flakeBudget(), 10);
  EXPECT_EQ(static_cast<size_t>(100 + snow.flakeBudget()), liveSlots(flakes).size());
  for (int i = 0; i < 40; ++i) {
    snow.emitSpray(kAt, kDown, 70.0f);
    snow.emitBurst(kAt, kDown, 100.0f);
    snow.followCamera(0, kAt, kDown);
    snow.update(3.0f, 0.5f, 0.5f);
  }
  for (const VornParticleRing* ring : {&snow.flakes(), &snow.puffs(), &snow.snowfall()})
    EXPECT_TRUE(ring->life.capacity() == size_t(ring->capacity) && ring->colour.capacity() == ring->capacity * 4u);
  const float* after[] = {flakes.life.data(), flakes.position.data(), flakes.velocity.data(), flakes.colour.data()};
  EXPECT_TRUE(std::equal(before, before + 4, after));
}

// One flake and one puff through updates: gravity and motion while alive,
// dead below life 0.01 (marked -20, no longer moved); the tint and
// transparency of an update colour the particles emitted after it.
TEST(ParticleSystem, ParticlesAgeMoveDieAndTakeTheGroundTint) {
  for (const auto& [k, transparency] : {std::pair{0.0f, 0.0f}, {1.0f, 0.0f}, {0.4f, 0.75f}}) {
    VornParticleSystem snow;
    snow.update(0.5f, k, transparency);
    snow.emitSpray(VornVector(0, 0, 0), kDown, 0.2f);  // 2 flakes, 2 puffs
    const VornParticleRing &flakes = snow.flakes(), &puffs = snow.puffs();
    const float a = 1.0f - transparency;
    const float flakeRgba[4] = {1 - 0.25f * k, 1 - 0.5f * k, 1 - k, a};
    const float puffRgba[4] = {1 - 0.5f * k, 1 - 0.75f * k, 1 - k, a};
    for (int i = 0; i < 4; ++i)
      EXPECT_TRUE(flakeRgba[i] == flakes.colourOf(0)[i] && puffRgba[i] == puffs.colourOf(0)[i]) << i;
    const VornVector p0 = flakes.positionOf(0);
    const float vy = flakes.velocity[1], vx = flakes.velocity[0];
    snow.update(2.0f, 0.0f, 0.0f);
    EXPECT_TRUE(flakes.life[0] == 28.0f && puffs.life[0] == 1.0f);
    EXPECT_FLOAT_EQ(vy - 1.0f, flakes.velocity[1]);
    EXPECT_NEAR(p0.x + vx * 0.1f, flakes.positionOf(0).x, 1e-4f);
    EXPECT_NEAR(p0.y + (vy - 1.0f) * 0.1f, flakes.positionOf(0).y, 1e-4f);
    const VornVector puffAt = puffs.positionOf(0);
    snow.update(0.995f, 0.0f, 0.0f);
    EXPECT_TRUE(puffs.life[0] == -20.0f && puffs.positionOf(0).y == puffAt.y);
    EXPECT_TRUE(liveSlots(puffs).empty() && liveSlots(flakes).size() == 2u);
  }
}

// Live flakes and puffs (fewest, most) over the second half of the frames.
// One call before any update takes all it asks for, speed 0 included; the
// burst's velocity along the direction does not scale with the strength, and
// it makes the puffs big. At racing speed each call gets only the ring's share
// per step, so the rings stay evenly filled (about a third of the flakes', a
// tenth of the puffs') instead of filling at once and emptying together.
TEST(ParticleSystem, EmittersThrowTheirCountsUpToTheRingsShare) {
  // emitter 0 trail, 1 spray, 2 burst; step 0: no update.
  const struct { int emitter; float amount; int frames; float step; size_t flakes[2], puffs[2]; } cases[] = {
      {0, 0.0f, 1, 0, {0, 0}, {0, 0}},    {1, 0.0f, 1, 0, {0, 0}, {1, 1}},     {0, 3.0f, 1, 0, {0, 0}, {21, 21}},
      {1, 3.0f, 1, 0, {30, 30}, {22, 22}}, {2, 100.0f, 1, 0, {0, 0}, {400, 400}}, {2, 2.0f, 1, 0, {0, 0}, {14, 14}},
      {1, 30.0f, 600, 7.0f / 60, {181, 600}, {31, 59}}, {1, 30.0f, 600, 0.7f, {181, 600}, {31, 59}},
      {1, 30.0f, 600, 7.0f / 30, {181, 600}, {31, 59}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.emitter << " " << c.amount << " step " << c.step);
    VornParticleSystem snow;
    size_t flakes[2] = {100000, 0}, puffs[2] = {100000, 0};
    for (int frame = 0; frame < c.frames; ++frame) {
      if (c.step > 0) snow.update(c.step, 0.0f, 0.0f);
      (snow.*kEmitters[c.emitter])(kAt, kDown, c.amount);
      if (frame < c.frames / 2) continue;
      const size_t f = liveSlots(snow.flakes()).size(), p = liveSlots(snow.puffs()).size();
      flakes[0] = std::min(flakes[0], f), flakes[1] = std::max(flakes[1], f);
      puffs[0] = std::min(puffs[0], p), puffs[1] = std::max(puffs[1], p);
    }
    EXPECT_TRUE(flakes[0] >= c.flakes[0] && flakes[1] <= c.flakes[1] && flakes[1] - flakes[0] < 40) << flakes[0];
    EXPECT_TRUE(puffs[0] >= c.puffs[0] && puffs[1] <= c.puffs[1]) << puffs[0] << " to " << puffs[1];
    EXPECT_EQ(c.emitter == 2, snow.bigPuffs());
    // -direction.z plus a spread of at most 15.
    for (int slot : liveSlots(snow.puffs()))
      EXPECT_TRUE(c.emitter != 2 || std::fabs(snow.puffs().velocity[slot * 3 + 2] + 1.0f) <= 15.0f) << slot;
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
    if (frame < 100 || (frame >= 200 && frame < 261)) continue;
    const std::vector<int> slots = liveSlots(snow.snowfall());
    EXPECT_GT(slots.size(), 100u);
    for (int slot : slots) {
      const VornVector p = snow.snowfall().positionOf(slot);
      ASSERT_TRUE(std::hypot(p.x - eye.x, p.z - eye.z) < 800.0f && std::fabs(p.y - eye.y) < 120.0f) << frame;
    }
  }
  for (int frame = 0; frame < 61; ++frame) snow.update(1.0f, 0.0f, 0.0f);
  EXPECT_TRUE(liveSlots(snow.snowfall()).empty());
}

// The puffs' frame is orthonormal and faces the viewer, also for a camera
// looking straight down, with or without an up vector along the view.
TEST(ParticleSystem, BillboardFacesTheViewerEvenLookingStraightDown) {
  const float s = 1.0f / std::sqrt(2.0f);
  const struct { VornVector view, up; float shiftX, shiftZ; } cases[] = {
      {VornVector(1, 0, 1).normalized(), VornVector(0, 1, 0), -s, -s},
      {VornVector(0, -1, 0), VornVector(0, 0, 1), 0, 0}, {VornVector(0, -1, 0), VornVector(0, 1, 0), 0, 0},
      {VornVector(0, -2, 0), VornVector(0, -1, 0), 0, 0}};
  for (const auto& c : cases) {
    const VornBillboard b = billboardBasis(c.view, c.up);
    const VornVector* axes[] = {&b.right, &b.up, &b.back};
    for (int i = 0; i < 3; ++i)  // (false for a non-finite axis too)
      EXPECT_TRUE(std::fabs(axes[i]->length() - 1) < 1e-5f && std::fabs(axes[i]->dot(*axes[(i + 1) % 3])) < 1e-5f);
    EXPECT_TRUE(std::fabs(b.back.dot(c.view.normalized()) + 1) < 1e-5f && std::fabs(c.shiftX - b.shiftX) < 1e-5f &&
                std::fabs(c.shiftZ - b.shiftZ) < 1e-5f) << "facing the viewer";
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
  EXPECT_TRUE(alpha(n / 2, n / 2) > 240 && alpha(0, 0) == 0 && alpha(n - 1, n - 1) == 0 && alpha(n * 3 / 4, n / 2) > 0);
  for (int x = n / 2; x + 1 < n; ++x) EXPECT_GE(alpha(x, n / 2), alpha(x + 1, n / 2));
}

}  // namespace
}  // namespace vorn
