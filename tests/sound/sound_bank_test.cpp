// VornSoundBank and its VornSounds through the game's sequences, on the
// generated data and OpenAL Soft's null device (the test environment's default).
#include "sound/sound_bank.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "sound/wav_reader.h"
#include "sound_test_support.h"

namespace {

using namespace vorn;
using vorn_test::sourceFloat;
using vorn_test::sourceInt;

TEST(SoundBank, LoadMenuRaceAndEscapeDriveTheEffectsAndMusic) {
  const std::string log = vorn_test::privateErrorLog(vorn_test::scratchDir("bank"));
  ASSERT_EQ(chdir(vorn_test::dataRoot().c_str()), 0);
  VornSoundBank bank;
  bank.load();
  for (size_t slot = 0; slot < kSoundSlotCount; ++slot) {
    const VornSoundSlotInfo& info = soundSlotInfo(slot);
    SCOPED_TRACE(info.name);
    VornWav wav;
    ASSERT_TRUE(readWavFile(info.path, wav, "test"));
    ALint bytes = 0;
    alGetBufferi(ALuint(sourceInt(bank.sounds[slot].sourceName(), AL_BUFFER)), AL_SIZE, &bytes);
    EXPECT_EQ(size_t(bytes), wav.pcm.size());
    EXPECT_EQ(sourceInt(bank.sounds[slot].sourceName(), AL_LOOPING) == AL_TRUE, info.looping);
    // Every loop must fall silent when a race ends.
    EXPECT_EQ(std::count(std::begin(kRaceLoopSlots), std::end(kRaceLoopSlots), slot) == 1, info.looping);
  }

  bank.menuFrame();
  EXPECT_TRUE(bank.music.isPlaying() && !bank.highscoreMusic.isPlaying());
  EXPECT_TRUE(bank.volumeKey('+') && !bank.volumeKey('a'));
  EXPECT_FLOAT_EQ(bank.music.getGain(), 0.665f);

  bank[kSoundSnore].setGain(1.0f);  // the last race ended asleep
  bank.raceStart();
  EXPECT_EQ(sourceFloat(bank[kSoundSnore].sourceName(), AL_GAIN), 0.0f) << "a new race starts rested";
  EXPECT_EQ(sourceInt(bank[kSoundStart].sourceName(), AL_SOURCE_STATE), AL_PLAYING);
  EXPECT_EQ(bank.music.getGain(), 0.5f);
  bank.raceFrame();
  EXPECT_TRUE(bank.music.isPlaying() && sourceInt(bank[kSoundSnore].sourceName(), AL_SOURCE_STATE) == AL_PLAYING);
  // The device refuses a NaN gain and keeps the old one, so the clamp must
  // come first; a pitch it refuses leaves the last good one in place.
  VornSound& grass = bank[kSoundGrass];
  ALuint grassSource = grass.sourceName();
  grass.setGain(0.3f);
  grass.setGain(NAN);
  EXPECT_EQ(sourceFloat(grassSource, AL_GAIN), 0.0f);
  grass.setPitch(2.0f);
  grass.setPitch(0.0f);
  EXPECT_EQ(sourceFloat(grassSource, AL_PITCH), 2.0f);
  bank.raceEnd(false);
  EXPECT_FALSE(bank[kSoundWin].isPlaying());
  for (VornSoundSlot slot : kRaceLoopSlots) EXPECT_EQ(sourceFloat(bank[slot].sourceName(), AL_GAIN), 0.0f) << slot;
  EXPECT_EQ(bank.music.getGain(), 0.0f);
  bank.raceEnd(true);
  EXPECT_TRUE(bank[kSoundWin].isPlaying());
  bank.highscoreFrame();
  EXPECT_TRUE(bank.highscoreMusic.isPlaying());

  for (VornSound& sound : bank.sounds) sound.play();
  bank.cleanup();
  for (VornSoundSlot slot : kCleanupStopSlots) {
    EXPECT_TRUE(!bank[slot].isPlaying() && sourceInt(bank[slot].sourceName(), AL_SOURCE_STATE) == AL_STOPPED) << slot;
  }
  EXPECT_TRUE(bank[kSoundSnore].isPlaying() && !bank.music.isOpen() && bank.highscoreMusic.isOpen());
  alDeleteSources(1, &grassSource);  // the device now refuses every call on it
  grass.setPitch(1.5f);
  EXPECT_EQ(grass.getPitch(), 2.0f);
  grass.release();
  EXPECT_EQ(vorn_test::readText(log), "");
}

}  // namespace
