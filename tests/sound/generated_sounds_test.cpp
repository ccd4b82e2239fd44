// The generated effects, read with the game's own WAV reader.
#include <gtest/gtest.h>

#include <cmath>

#include "sound/sound_slots.h"
#include "sound/wav_reader.h"
#include "sound_test_support.h"

namespace {

using vorn::VornWav;

VornWav loadSlot(size_t slot) {
  VornWav wav;
  const std::string path = vorn_test::dataRoot() + "/" + vorn::soundSlotInfo(slot).path;
  EXPECT_TRUE(vorn::readWavFile(path, wav, "test")) << path;
  return wav;
}

float peakOf(const VornWav& wav) {
  float peak = 0.0f;
  for (size_t i = 0; i < wav.frameCount(); ++i) peak = std::fmax(peak, std::fabs(wav.sample(i, 0)));
  return peak;
}

TEST(GeneratedSounds, EveryEffectIsMono16BitAt44kHzPeakingNearMinus3dB) {
  const std::string log = vorn_test::privateErrorLog(vorn_test::scratchDir("gen"));
  for (size_t slot = 0; slot < vorn::kSoundSlotCount; ++slot) {
    const VornWav wav = loadSlot(slot);
    const char* name = vorn::soundSlotInfo(slot).name;
    EXPECT_EQ(wav.channels, 1) << name;
    EXPECT_EQ(wav.bitsPerSample, 16) << name;
    EXPECT_EQ(wav.sampleRate, 44100u) << name;
    EXPECT_GT(wav.seconds(), 0.3) << name;
    EXPECT_LT(wav.seconds(), 4.0) << name;
    const double peakDb = 20.0 * std::log10(std::fmax(peakOf(wav), 1e-9f));
    EXPECT_NEAR(peakDb, -3.0, 0.2) << name;
  }
  EXPECT_EQ(vorn_test::readText(log), "");
}

TEST(GeneratedSounds, LoopsStartAndEndAtZeroCrossingsAndJoinSmoothly) {
  for (size_t slot = 0; slot < vorn::kSoundSlotCount; ++slot) {
    if (!vorn::soundSlotInfo(slot).looping) continue;
    const VornWav wav = loadSlot(slot);
    const char* name = vorn::soundSlotInfo(slot).name;
    ASSERT_GT(wav.frameCount(), 1000u) << name;
    const float first = wav.sample(0, 0), last = wav.sample(wav.frameCount() - 1, 0);
    // Both ends sit on a crossing: tiny, and not on the same side of zero.
    EXPECT_LT(std::fabs(first), 0.02f) << name;
    EXPECT_LT(std::fabs(last), 0.02f) << name;
    EXPECT_FALSE(first > 0.0f && last > 0.0f) << name;
    EXPECT_FALSE(first < 0.0f && last < 0.0f) << name;
    // The jump across the seam is no bigger than the steps inside the sound.
    double meanStep = 0.0;
    for (size_t i = 1; i < wav.frameCount(); ++i) meanStep += std::fabs(wav.sample(i, 0) - wav.sample(i - 1, 0));
    meanStep /= double(wav.frameCount() - 1);
    EXPECT_LE(std::fabs(first - last), std::fmax(3.0 * meanStep, 1e-4)) << name;
  }
}

TEST(GeneratedSounds, OneShotsAreShortAndEndInSilence) {
  for (size_t slot = 0; slot < vorn::kSoundSlotCount; ++slot) {
    if (vorn::soundSlotInfo(slot).looping) continue;
    const VornWav wav = loadSlot(slot);
    const char* name = vorn::soundSlotInfo(slot).name;
    EXPECT_LT(wav.seconds(), 2.5) << name;
    // No click at the end: the last few milliseconds have faded out.
    float tail = 0.0f;
    for (size_t i = wav.frameCount() - 44; i < wav.frameCount(); ++i) tail = std::fmax(tail, std::fabs(wav.sample(i, 0)));
    EXPECT_LT(tail, 0.05f) << name;
  }
}

}  // namespace
