// VornSoundBank and its VornSounds through the game's sequences, on the
// generated data and OpenAL Soft's null device (the test environment's default).
#include "sound/sound_bank.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "sound/wav_reader.h"
#include "sound_test_support.h"

namespace {

using namespace vorn;

ALint sourceInt(const VornSound& sound, ALenum what) {
  ALint v = -1;
  alGetSourcei(sound.sourceName(), what, &v);
  return v;
}

float sourceFloat(const VornSound& sound, ALenum what) {
  float v = -1.0f;
  alGetSourcef(sound.sourceName(), what, &v);
  return v;
}

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
    alGetBufferi(ALuint(sourceInt(bank.sounds[slot], AL_BUFFER)), AL_SIZE, &bytes);
    EXPECT_EQ(size_t(bytes), wav.pcm.size());
    EXPECT_EQ(sourceInt(bank.sounds[slot], AL_LOOPING) == AL_TRUE, info.looping);
    // Every loop must fall silent when a race ends.
    EXPECT_EQ(std::count(std::begin(kRaceLoopSlots), std::end(kRaceLoopSlots), slot) == 1, info.looping);
  }
  EXPECT_EQ(vorn_test::readText(log), "");
  EXPECT_EQ(bank.highscoreMusic.getGain(), 0.5f);

  bank.menuFrame();
  EXPECT_TRUE(bank.music.isPlaying());
  EXPECT_FALSE(bank.highscoreMusic.isPlaying());
  EXPECT_TRUE(bank.volumeKey('+'));
  EXPECT_FLOAT_EQ(bank.music.getGain(), 0.665f);
  EXPECT_FALSE(bank.volumeKey('a'));

  bank.raceStart();
  EXPECT_EQ(sourceInt(bank[kSoundStart], AL_SOURCE_STATE), AL_PLAYING);
  EXPECT_EQ(bank.music.getGain(), 0.5f);
  bank.raceFrame();
  EXPECT_TRUE(bank.music.isPlaying());
  EXPECT_EQ(sourceInt(bank[kSoundSnore], AL_SOURCE_STATE), AL_PLAYING);
  VornSound& grass = bank[kSoundGrass];
  grass.setGain(1.5f);
  EXPECT_EQ(sourceFloat(grass, AL_GAIN), 1.0f);
  grass.setPitch(2.0f);
  grass.setPitch(0.0f);  // refused: the last pitch stays
  EXPECT_EQ(sourceFloat(grass, AL_PITCH), 2.0f);
  bank.raceEnd(false);
  EXPECT_FALSE(bank[kSoundWin].isPlaying());
  for (VornSoundSlot slot : kRaceLoopSlots) EXPECT_EQ(sourceFloat(bank[slot], AL_GAIN), 0.0f) << slot;
  EXPECT_EQ(bank.music.getGain(), 0.0f);
  bank.raceEnd(true);
  EXPECT_TRUE(bank[kSoundWin].isPlaying());
  bank.highscoreFrame();
  EXPECT_TRUE(bank.highscoreMusic.isPlaying());

  for (VornSound& sound : bank.sounds) sound.play();
  bank.cleanup();
  for (VornSoundSlot slot : kCleanupStopSlots) {
    EXPECT_FALSE(bank[slot].isPlaying()) << slot;
    EXPECT_EQ(sourceInt(bank[slot], AL_SOURCE_STATE), AL_STOPPED) << slot;
  }
  EXPECT_TRUE(bank[kSoundSnore].isPlaying());
  EXPECT_FALSE(bank.music.isOpen());
  EXPECT_TRUE(bank.highscoreMusic.isOpen());
}

TEST(SoundBank, MissingDataCostsOneLinePerFileAndTheGameGoesOn) {
  const std::string dir = vorn_test::scratchDir("nodata");
  const std::string log = vorn_test::privateErrorLog(dir);
  ASSERT_EQ(chdir(dir.c_str()), 0);
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
  EXPECT_EQ(vorn_test::readText(log), text);
}

}  // namespace
