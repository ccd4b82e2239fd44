// What the player hears: OpenAL Soft's wave writer records the mixed output to
// a file while effects and music play through the game's classes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "sound/audio_device.h"
#include "sound/music.h"
#include "sound/sound.h"
#include "sound/wav_reader.h"
#include "sound_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

// Per-10-ms RMS levels of the first channel of a recording.
std::vector<float> levels(const vorn::VornWav& wav) {
  std::vector<float> out;
  const size_t window = wav.sampleRate / 100;
  for (size_t start = 0; start + window <= wav.frameCount(); start += window) {
    double energy = 0.0;
    for (size_t i = start; i < start + window; ++i) energy += double(wav.sample(i, 0)) * wav.sample(i, 0);
    out.push_back(float(std::sqrt(energy / double(window))));
  }
  return out;
}

class CaptureTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = vorn_test::scratchDir("capture");
    log = vorn_test::privateErrorLog(dir);
    capture = dir + "/out.wav";
    const std::string conf = dir + "/alsoft.conf";
    const std::string text = "drivers = wave\nsample-type = int16\nchannels = stereo\nfrequency = 44100\n"
                             "[wave]\nfile = " + capture + "\n";
    vorn_test::writeBytes(conf, text.data(), text.size());
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    ASSERT_TRUE(vorn::startAudio());
  }
  // Closes the device so the writer completes the file, then reads it.
  vorn::VornWav finish() {
    vorn::stopAudio();
    vorn::VornWav wav;
    EXPECT_TRUE(vorn::readWavFile(capture, wav, "capture"));
    return wav;
  }
  std::string dir, log, capture;
};

TEST_F(CaptureTest, AnEffectAppearsInTheOutputWithItsLengthAndLevel) {
  const std::string horn = vorn_test::dataRoot() + "/data/sounds/horn.wav";
  vorn::VornWav source;
  ASSERT_TRUE(vorn::readWavFile(horn, source, "source"));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // silence before
  vorn::VornSound sound;
  sound.init(vorn::loadSoundBuffer(horn));
  sound.play();
  std::this_thread::sleep_for(std::chrono::milliseconds(int(source.seconds() * 1000) + 800));
  sound.release();
  const vorn::VornWav out = finish();
  ASSERT_GT(out.frameCount(), 0u);
  EXPECT_EQ(out.sampleRate, 44100u);
  const std::vector<float> level = levels(out);
  size_t first = level.size(), last = 0;
  float loudest = 0.0f;
  for (size_t i = 0; i < level.size(); ++i) {
    if (level[i] > 0.01f) {
      first = std::min(first, i);
      last = i;
    }
    loudest = std::max(loudest, level[i]);
  }
  ASSERT_LT(first, level.size()) << "the recording is silent";
  EXPECT_GE(first, 10u);  // the silence before the effect is there
  const double heard = double(last - first + 1) / 100.0;
  EXPECT_NEAR(heard, source.seconds(), 0.1);
  // The horn's RMS is about -9.5 dBFS; a centred mono source reaches each
  // stereo channel somewhat attenuated.
  EXPECT_GT(loudest, 0.12f);
  EXPECT_LT(loudest, 0.6f);
  EXPECT_EQ(vorn_test::readText(log), "");
}

TEST_F(CaptureTest, TheRaceMusicPlaysWithoutGapsWhileFramesUpdateIt) {
  vorn::VornMusic music;
  ASSERT_TRUE(music.open(vorn_test::dataRoot() + "/data/music/02.ogg"));
  music.setGain(0.5f);
  const auto end = Clock::now() + std::chrono::milliseconds(2500);
  while (Clock::now() < end) {
    if (!music.isPlaying()) music.play();
    music.update();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  music.release();
  const vorn::VornWav out = finish();
  const std::vector<float> level = levels(out);
  ASSERT_GT(level.size(), 200u);
  // After the first second every 10 ms window carries music: no buffer ran dry.
  size_t quiet = 0;
  for (size_t i = 100; i + 20 < level.size(); ++i) quiet += level[i] < 0.002f;
  EXPECT_EQ(quiet, 0u);
}

}  // namespace
