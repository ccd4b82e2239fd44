#include "sound/sound_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace vorn;

TEST(SoundRules, EffectAndMusicGainsStayInTheUnitRange) {
  EXPECT_EQ(clampEffectGain(1.5f), 1.0f);
  EXPECT_EQ(clampEffectGain(-1.0f), 0.0f);
  EXPECT_EQ(clampEffectGain(0.25f), 0.25f);
  EXPECT_EQ(clampEffectGain(std::numeric_limits<float>::quiet_NaN()), 0.0f);
  EXPECT_EQ(clampEffectGain(std::numeric_limits<float>::infinity()), 1.0f);
  EXPECT_EQ(clampMusicGain(7.0f), 1.0f);
  EXPECT_EQ(clampMusicGain(-0.1f), 0.0f);
  EXPECT_EQ(clampMusicGain(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST(SoundRules, OnlyPositivePitchesAreTaken) {
  EXPECT_FALSE(pitchAccepted(0.0f));
  EXPECT_FALSE(pitchAccepted(-1.0f));
  EXPECT_FALSE(pitchAccepted(std::numeric_limits<float>::quiet_NaN()));
  EXPECT_TRUE(pitchAccepted(2.0f));
  EXPECT_TRUE(pitchAccepted(0.01f));
}

TEST(SoundRules, VolumeKeysScaleTheMusicGainAndClamp) {
  EXPECT_FLOAT_EQ(musicGainAfterKey(0.5f, '+'), 0.665f);
  EXPECT_FLOAT_EQ(musicGainAfterKey(0.5f, '-'), 0.165f);
  EXPECT_EQ(musicGainAfterKey(0.9f, '+'), 1.0f);
  EXPECT_EQ(musicGainAfterKey(0.5f, 'x'), 0.5f);
  float gain = kMusicStartGain;
  for (int i = 0; i < 10; ++i) gain = musicGainAfterKey(gain, kVolumeUpKey);
  EXPECT_EQ(gain, 1.0f);
  gain = musicGainAfterKey(gain, kVolumeDownKey);
  EXPECT_FLOAT_EQ(gain, 0.33f);
}

TEST(SoundRules, OggResultCodesHaveTheirTexts) {
  EXPECT_STREQ(oggErrorText(-128), "Read from media.");
  EXPECT_STREQ(oggErrorText(-129), "Internal logic fault (bug or heap/stack corruption.");
  EXPECT_STREQ(oggErrorText(-130), "Unknown Ogg error.");
  EXPECT_STREQ(oggErrorText(-131), "Unknown Ogg error.");
  EXPECT_STREQ(oggErrorText(-132), "Not Vorbis data.");
  EXPECT_STREQ(oggErrorText(-133), "Invalid Vorbis header.");
  EXPECT_STREQ(oggErrorText(-134), "Vorbis version mismatch.");
  EXPECT_STREQ(oggErrorText(-3), "Unknown Ogg error.");
  EXPECT_STREQ(oggErrorText(0), "Unknown Ogg error.");
}

TEST(SoundRules, SampleFormatsMatchTheDeviceValues) {
  EXPECT_EQ(streamFormatForChannels(1), 0x1101);
  EXPECT_EQ(streamFormatForChannels(2), 0x1103);
  EXPECT_EQ(pcmFormat(1, 8), 0x1100);
  EXPECT_EQ(pcmFormat(2, 8), 0x1102);
  EXPECT_EQ(pcmFormat(2, 16), 0x1103);
  EXPECT_EQ(pcmFormat(3, 16), 0);
  EXPECT_EQ(pcmFormat(1, 24), 0);
}

}  // namespace
