// VornSound on OpenAL Soft's null device (set by the test environment).
#include "sound/sound.h"

#include <gtest/gtest.h>

#include <chrono>
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
    EXPECT_TRUE(vorn_test::writeBytes(path, wav));
    return path;
  }
  static float sourceFloat(const VornSound& s, ALenum what) {
    float v = -1.0f;
    alGetSourcef(s.sourceName(), what, &v);
    return v;
  }
  static ALint sourceInt(const VornSound& s, ALenum what) {
    ALint v = -1;
    alGetSourcei(s.sourceName(), what, &v);
    return v;
  }
  std::string dir, log;
};

// What the game relies on at the device: the buffer really holds the samples,
// gains are clamped (NaN silences), and a pitch the device refuses leaves the
// last good one in place.
TEST_F(SoundTest, SourceTakesTheBufferClampedGainsAndOnlyPitchesTheDeviceAccepts) {
  VornSound sound;
  const ALuint buffer = vorn::loadSoundBuffer(writeTone("a.wav", 0.2));
  ASSERT_NE(buffer, 0u);
  ALint size = 0;
  alGetBufferi(buffer, AL_SIZE, &size);
  EXPECT_EQ(size, ALint(0.2 * 44100) * 2);
  sound.init(buffer);
  ASSERT_NE(sound.sourceName(), 0u);
  EXPECT_EQ(sourceInt(sound, AL_BUFFER), ALint(buffer));
  EXPECT_EQ(sourceInt(sound, AL_LOOPING), AL_FALSE);
  sound.setLooping(true);
  EXPECT_EQ(sourceInt(sound, AL_LOOPING), AL_TRUE);

  const struct { float in, out; } gains[] = {
      {1.5f, 1.0f}, {-1.0f, 0.0f}, {0.3f, 0.3f}, {std::numeric_limits<float>::quiet_NaN(), 0.0f}};
  for (const auto& g : gains) {
    sound.setGain(g.in);
    EXPECT_FLOAT_EQ(sourceFloat(sound, AL_GAIN), g.out) << g.in;
  }

  sound.setPitch(0.0f);
  EXPECT_EQ(sourceFloat(sound, AL_PITCH), 1.0f);
  sound.setPitch(2.0f);
  EXPECT_EQ(sourceFloat(sound, AL_PITCH), 2.0f);
  ALuint source = sound.sourceName();
  alDeleteSources(1, &source);  // the device now refuses every call on it
  sound.setPitch(1.5f);
  EXPECT_EQ(sound.getPitch(), 2.0f);
  sound.release();
  EXPECT_EQ(sound.sourceName(), 0u);
  EXPECT_EQ(vorn_test::readText(log), "");
}

TEST_F(SoundTest, AFinishedOneShotStillReadsAsPlayingUntilStopped) {
  VornSound sound;
  sound.init(vorn::loadSoundBuffer(writeTone("short.wav", 0.05)));
  sound.play();
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
  ASSERT_TRUE(vorn_test::writeBytes(dir + "/junk.wav", std::vector<uint8_t>(300, 'x')));
  EXPECT_EQ(vorn::loadSoundBuffer(dir + "/junk.wav"), 0u);
  EXPECT_EQ(vorn_test::readText(log),
            "Error VornSound::loadSoundBuffer \n\tfile not found: " + dir + "/missing.wav\n"
            "Error VornSound::loadSoundBuffer \n\tnot a RIFF/WAVE file: " + dir + "/junk.wav\n");
  VornSound silent;
  silent.init(0);
  silent.setLooping(true);
  silent.play();
  silent.setGain(0.5f);
  silent.setPitch(1.5f);
  EXPECT_TRUE(silent.isPlaying());
  silent.release();
}

}  // namespace
