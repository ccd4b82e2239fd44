// The value rules of the sound layer: gains, pitches and the volume keys.
#include "sound/sound_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace vorn;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(SoundRules, GainsStayInTheUnitRangeAndOnlyPositivePitchesAreTaken) {
  const float gains[][2] = {{1.5f, 1.0f}, {-1.0f, 0.0f}, {0.25f, 0.25f}, {kNaN, 0.0f},
                            {std::numeric_limits<float>::infinity(), 1.0f}};
  for (const auto& g : gains) {
    EXPECT_EQ(clampEffectGain(g[0]), g[1]) << g[0];
    EXPECT_EQ(clampMusicGain(g[0]), g[1]) << g[0];
  }
  for (float p : {0.0f, -1.0f, kNaN}) EXPECT_FALSE(pitchAccepted(p)) << p;
  for (float p : {0.01f, 2.0f}) EXPECT_TRUE(pitchAccepted(p)) << p;
}

TEST(SoundRules, VolumeKeysScaleTheMusicGainAndClamp) {
  EXPECT_FLOAT_EQ(musicGainAfterKey(0.5f, '+'), 0.665f);
  EXPECT_FLOAT_EQ(musicGainAfterKey(0.5f, '-'), 0.165f);
  EXPECT_EQ(musicGainAfterKey(0.9f, '+'), 1.0f);
  EXPECT_EQ(musicGainAfterKey(0.5f, 'x'), 0.5f);
}

}  // namespace
