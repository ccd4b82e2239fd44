// The value rules of the sound layer: gains, pitches and the volume keys.
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
  EXPECT_EQ(musicGainAfterKey(0.9f, '+'), 1.0f);
  EXPECT_EQ(musicGainAfterKey(0.5f, 'x'), 0.5f);
}

}  // namespace
