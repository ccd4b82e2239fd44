// The value rules of the sound layer: gains, pitches, the volume keys and
// the snore loop.
#include "sound/sound_rules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace vorn;

TEST(SoundRules, GainsStayInTheUnitRangePitchesArePositiveAndVolumeKeysScale) {
  const float gains[][2] = {{1.5f, 1.0f}, {-1.0f, 0.0f}, {0.25f, 0.25f}, {NAN, 0.0f}, {INFINITY, 1.0f}};
  for (const auto& g : gains) {
    EXPECT_EQ(clampEffectGain(g[0]), g[1]) << g[0];
    EXPECT_EQ(clampMusicGain(g[0]), g[1]) << g[0];
  }
  for (float p : {0.0f, -1.0f, NAN}) EXPECT_FALSE(pitchAccepted(p)) << p;
  EXPECT_TRUE(pitchAccepted(0.01f));
  EXPECT_FLOAT_EQ(musicGainAfterKey(0.5f, '-'), 0.165f);
  EXPECT_TRUE(musicGainAfterKey(0.9f, '+') == 1.0f && musicGainAfterKey(0.5f, 'x') == 0.5f);
}

// A rested cow is silent, a tired one snores louder the lower its gauge,
// an exhausted one at full gain; nothing outside 0..1 reaches the device.
TEST(SoundRules, TheSnoreFollowsTheSleepinessGauge) {
  const float cases[][2] = {{100.0f, 0.0f}, {50.0f, 0.0f}, {25.0f, 0.5f}, {5.0f, 0.9f},
                            {0.0f, 1.0f},   {-30.0f, 1.0f}, {NAN, 0.0f},  {500.0f, 0.0f}};
  for (const auto& c : cases) EXPECT_FLOAT_EQ(snoreGain(c[0]), c[1]) << c[0];
}

}  // namespace
