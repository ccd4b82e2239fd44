// The game's sound sequences on the generated data, on OpenAL Soft's null device.
#include "sound/sound_bank.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "sound/audio_device.h"
#include "sound_test_support.h"

namespace {

using namespace vorn;

float sourceGain(ALuint source) {
  float gain = -1.0f;
  alGetSourcef(source, AL_GAIN, &gain);
  return gain;
}

class SoundBankTest : public testing::Test {
 protected:
  void SetUp() override {
    log = vorn_test::privateErrorLog(vorn_test::scratchDir("bank"));
    ASSERT_EQ(chdir(vorn_test::dataRoot().c_str()), 0);
  }
  std::string log;
};

TEST_F(SoundBankTest, LoadFillsTheTwelveSlotsAndOpensBothTracksAtHalfGain) {
  VornSoundBank bank;
  bank.load();
  EXPECT_EQ(vorn_test::readText(log), "");
  for (size_t slot = 0; slot < kSoundSlotCount; ++slot) {
    const VornSound& sound = bank.sounds[slot];
    EXPECT_NE(sound.bufferName(), 0u) << soundSlotInfo(slot).name;
    ALint looping = -1;
    alGetSourcei(sound.sourceName(), AL_LOOPING, &looping);
    EXPECT_EQ(looping != 0, soundSlotInfo(slot).looping) << soundSlotInfo(slot).name;
  }
  EXPECT_TRUE(bank.music.isOpen());
  EXPECT_TRUE(bank.highscoreMusic.isOpen());
  EXPECT_EQ(bank.music.getGain(), 0.5f);
  EXPECT_EQ(bank.highscoreMusic.getGain(), 0.5f);
}

TEST_F(SoundBankTest, ScreensKeepTheirTrackStreamingAndKeysSetTheVolume) {
  VornSoundBank bank;
  bank.load();
  bank.menuFrame();
  EXPECT_TRUE(bank.music.isPlaying());
  EXPECT_FALSE(bank.highscoreMusic.isPlaying());
  EXPECT_TRUE(bank.volumeKey('+'));
  EXPECT_FLOAT_EQ(bank.music.getGain(), 0.665f);
  EXPECT_TRUE(bank.volumeKey('-'));
  EXPECT_FLOAT_EQ(bank.music.getGain(), 0.665f * 0.33f);
  EXPECT_FALSE(bank.volumeKey('a'));
  bank.highscoreFrame();
  EXPECT_TRUE(bank.highscoreMusic.isPlaying());
}

TEST_F(SoundBankTest, RaceStartFrameAndEndDriveTheEffectsAndMusic) {
  VornSoundBank bank;
  bank.load();
  bank.music.setGain(0.1f);
  bank.raceStart();
  EXPECT_TRUE(bank[kSoundStart].isPlaying());
  EXPECT_EQ(bank.music.getGain(), 0.5f);
  EXPECT_TRUE(bank.music.isPlaying());
  bank.raceFrame();
  EXPECT_TRUE(bank[kSoundSnore].isPlaying());
  bank.highscoreMusic.play();
  bank.highscoreMusic.release();  // a stopped track: raceEnd empties its queue
  bank.raceEnd(true);
  for (VornSoundSlot slot : kRaceLoopSlots) EXPECT_EQ(sourceGain(bank[slot].sourceName()), 0.0f);
  EXPECT_EQ(bank.music.getGain(), 0.0f);
  EXPECT_TRUE(bank[kSoundWin].isPlaying());

  VornSoundBank lostBank;
  lostBank.load();
  lostBank.raceEnd(false);
  EXPECT_FALSE(lostBank[kSoundWin].isPlaying());
}

TEST_F(SoundBankTest, EscapeStopsTheSixEffectsAndClosesTheRaceMusic) {
  VornSoundBank bank;
  bank.load();
  for (VornSound& sound : bank.sounds) sound.play();
  bank.menuFrame();
  bank.cleanup();
  for (VornSoundSlot slot : kCleanupStopSlots) EXPECT_FALSE(bank[slot].isPlaying());
  EXPECT_TRUE(bank[kSoundSnore].isPlaying());
  EXPECT_FALSE(bank.music.isOpen());
  EXPECT_EQ(bank.music.getGain(), 0.0f);
  EXPECT_TRUE(bank.highscoreMusic.isOpen());
}

TEST_F(SoundBankTest, MissingDataCostsOneLinePerFileAndTheGameGoesOn) {
  const std::string empty = vorn_test::scratchDir("nodata");
  ASSERT_EQ(chdir(empty.c_str()), 0);
  VornSoundBank bank;
  bank.load();
  const std::string text = vorn_test::readText(log);
  EXPECT_EQ(vorn_test::countOf(text, "Error VornSound::loadSoundBuffer \n\tfile not found: data/sounds/"), 12u);
  EXPECT_EQ(vorn_test::countOf(text, "Error VornMusic::open \n\tCould not open Ogg file. (data/music/0"), 2u);
  EXPECT_EQ(vorn_test::countOf(text, "Error "), 14u);
  bank.menuFrame();
  bank.raceStart();
  bank.raceFrame();
  bank.raceEnd(true);
  bank.highscoreFrame();
  bank.cleanup();
  EXPECT_FALSE(bank.music.isPlaying());
}

}  // namespace
