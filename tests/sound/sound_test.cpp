// VornSound on OpenAL Soft's null device (set by the test environment).
#include "sound/sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "assetgen/wav_writer.h"
#include "sound/audio_device.h"
#include "sound_test_support.h"

namespace {

using vorn::VornSound;

class SoundTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = vorn_test::scratchDir("sound");
    log = vorn_test::privateErrorLog(dir);
    ASSERT_TRUE(vorn::startAudio());
  }
  std::string writeTone(const char* name, double seconds) {
    const std::vector<uint8_t> wav =
        assetgen::encodeWav16(assetgen::toPcm16(vorn_test::tone(440.0, seconds, 0.7f)), 1, 44100);
    const std::string path = dir + "/" + name;
    vorn_test::writeBytes(path, wav.data(), wav.size());
    return path;
  }
  float sourceFloat(const VornSound& s, ALenum what) {
    float v = -1.0f;
    alGetSourcef(s.sourceName(), what, &v);
    return v;
  }
  ALint sourceInt(const VornSound& s, ALenum what) {
    ALint v = -1;
    alGetSourcei(s.sourceName(), what, &v);
    return v;
  }
  std::string dir, log;
};

TEST_F(SoundTest, InitSetsUpASourceAtTheListenerWithUnitGainAndPitch) {
  VornSound sound;
  const ALuint buffer = vorn::loadSoundBuffer(writeTone("a.wav", 0.2));
  ASSERT_NE(buffer, 0u);
  ALint size = 0;
  alGetBufferi(buffer, AL_SIZE, &size);
  EXPECT_EQ(size, ALint(0.2 * 44100) * 2);
  sound.init(buffer);
  ASSERT_NE(sound.sourceName(), 0u);
  EXPECT_EQ(sourceInt(sound, AL_BUFFER), ALint(buffer));
  EXPECT_EQ(sourceFloat(sound, AL_GAIN), 1.0f);
  EXPECT_EQ(sourceFloat(sound, AL_PITCH), 1.0f);
  EXPECT_EQ(sourceInt(sound, AL_LOOPING), AL_FALSE);
  EXPECT_FALSE(sound.isPlaying());
  EXPECT_EQ(sound.getPitch(), 1.0f);
  sound.setLooping(true);
  EXPECT_EQ(sourceInt(sound, AL_LOOPING), AL_TRUE);
  sound.release();
  EXPECT_EQ(sound.sourceName(), 0u);
  EXPECT_EQ(vorn_test::readText(log), "");
}

TEST_F(SoundTest, GainIsClampedToTheUnitRange) {
  VornSound sound;
  sound.init(vorn::loadSoundBuffer(writeTone("g.wav", 0.1)));
  sound.setGain(1.5f);
  EXPECT_EQ(sourceFloat(sound, AL_GAIN), 1.0f);
  sound.setGain(-1.0f);
  EXPECT_EQ(sourceFloat(sound, AL_GAIN), 0.0f);
  sound.setGain(0.3f);
  EXPECT_FLOAT_EQ(sourceFloat(sound, AL_GAIN), 0.3f);
  sound.setGain(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(sourceFloat(sound, AL_GAIN), 0.0f);
  sound.release();
}

TEST_F(SoundTest, PitchZeroIsIgnoredPitchTwoIsTakenAndARejectedPitchRollsBack) {
  VornSound sound;
  sound.init(vorn::loadSoundBuffer(writeTone("p.wav", 0.1)));
  sound.setPitch(0.0f);
  EXPECT_EQ(sound.getPitch(), 1.0f);
  EXPECT_EQ(sourceFloat(sound, AL_PITCH), 1.0f);
  sound.setPitch(2.0f);
  EXPECT_EQ(sound.getPitch(), 2.0f);
  EXPECT_EQ(sourceFloat(sound, AL_PITCH), 2.0f);
  // A pitch the device refuses (here: its source vanished behind our back)
  // leaves the last good pitch in place.
  ALuint source = sound.sourceName();
  alDeleteSources(1, &source);
  sound.setPitch(1.5f);
  EXPECT_EQ(sound.getPitch(), 2.0f);
  sound.release();
}

TEST_F(SoundTest, AFinishedOneShotStillReadsAsPlayingUntilStopped) {
  VornSound sound;
  sound.init(vorn::loadSoundBuffer(writeTone("short.wav", 0.05)));
  sound.play();
  EXPECT_TRUE(sound.isPlaying());
  EXPECT_EQ(sourceInt(sound, AL_SOURCE_STATE), AL_PLAYING);
  for (int i = 0; i < 100 && sourceInt(sound, AL_SOURCE_STATE) == AL_PLAYING; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(sourceInt(sound, AL_SOURCE_STATE), AL_STOPPED);
  EXPECT_TRUE(sound.isPlaying());
  sound.stop();
  EXPECT_FALSE(sound.isPlaying());
  sound.play();
  sound.pause();
  EXPECT_FALSE(sound.isPlaying());
  EXPECT_EQ(sourceInt(sound, AL_SOURCE_STATE), AL_PAUSED);
  sound.release();
}

TEST_F(SoundTest, MissingOrDamagedFilesGiveASilentSoundAndOneLineEach) {
  EXPECT_EQ(vorn::loadSoundBuffer(dir + "/missing.wav"), 0u);
  const std::string junk(300, 'x');
  vorn_test::writeBytes(dir + "/junk.wav", junk.data(), junk.size());
  EXPECT_EQ(vorn::loadSoundBuffer(dir + "/junk.wav"), 0u);
  const std::string text = vorn_test::readText(log);
  EXPECT_EQ(text, "Error VornSound::loadSoundBuffer \n\tfile not found: " + dir + "/missing.wav\n"
                  "Error VornSound::loadSoundBuffer \n\tnot a RIFF/WAVE file: " + dir + "/junk.wav\n");
  // The silent sound takes every call without complaint.
  VornSound sound;
  sound.init(0);
  sound.setLooping(true);
  sound.play();
  sound.setGain(0.5f);
  sound.setPitch(1.5f);
  EXPECT_TRUE(sound.isPlaying());
  sound.stop();
  sound.release();
}

}  // namespace
