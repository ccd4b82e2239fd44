// A machine without any audio device: one err.txt line, then silence.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "sound/audio_device.h"
#include "sound/sound_bank.h"
#include "sound_test_support.h"

namespace {

using namespace vorn;

TEST(NoAudioDevice, TheGamePlaysSilentlyAfterOneErrorLine) {
  const std::string log = vorn_test::privateErrorLog(vorn_test::scratchDir("nodevice"));
  setenv("ALSOFT_DRIVERS", "no-such-backend", 1);
  ASSERT_EQ(chdir(vorn_test::dataRoot().c_str()), 0);
  VornSoundBank bank;
  bank.load();
  EXPECT_FALSE(audioAvailable());
  const std::string text = vorn_test::readText(log);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << "one report: " << text;
  EXPECT_EQ(text.rfind("Error VornSound::startAudio \n\tno audio device, the game plays silently: ", 0), 0u)
      << text;
  // Every sequence of the game runs through without touching a device.
  for (int frame = 0; frame < 3; ++frame) bank.menuFrame();
  bank.raceStart();
  bank.raceFrame();
  bank[kSoundGrass].setGain(0.7f);
  bank[kSoundGrass].setPitch(1.3f);
  EXPECT_TRUE(bank.volumeKey('+'));
  bank.raceEnd(true);
  bank.highscoreFrame();
  bank.cleanup();
  EXPECT_FALSE(bank.music.isPlaying() || bank.highscoreMusic.play());
  // Asking again does not log again.
  EXPECT_FALSE(startAudio());
  EXPECT_EQ(vorn_test::readText(log), text);
}

}  // namespace
