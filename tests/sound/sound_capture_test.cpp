// What the player hears: OpenAL Soft's wave writer records the mixed output
// to a file while effects and music play through the game's classes.
#include <gtest/gtest.h>

#include <algorithm>
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

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

class CaptureTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string dir = vorn_test::scratchDir("capture");
    log = vorn_test::privateErrorLog(dir);
    capture = dir + "/out.wav";
    const std::string conf = "drivers = wave\nsample-type = int16\nchannels = stereo\nfrequency = 44100\n"
                             "[wave]\nfile = " + capture + "\n";
    ASSERT_TRUE(vorn_test::writeBytes(dir + "/alsoft.conf", {conf.begin(), conf.end()}));
    setenv("ALSOFT_CONF", (dir + "/alsoft.conf").c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    ASSERT_TRUE(vorn::startAudio());
  }
  // Closes the device so the writer completes the file, then reads the RMS
  // level of every 10 ms of its first channel.
  std::vector<float> recordedLevels() {
    vorn::stopAudio();
    vorn::VornWav wav;
    EXPECT_TRUE(vorn::readWavFile(capture, wav, "capture"));
    EXPECT_EQ(wav.sampleRate, 44100u);
    std::vector<float> levels;
    for (size_t start = 0; start + 441 <= wav.frameCount(); start += 441) {
      double energy = 0.0;
      for (size_t i = start; i < start + 441; ++i) energy += double(wav.sample(i, 0)) * wav.sample(i, 0);
      levels.push_back(float(std::sqrt(energy / 441.0)));
    }
    return levels;
  }
  std::string log, capture;
};

TEST_F(CaptureTest, AnEffectIsHeardForItsLengthAtItsLevel) {
  const std::string horn = vorn_test::dataRoot() + "/data/sounds/horn.wav";
  vorn::VornWav source;
  ASSERT_TRUE(vorn::readWavFile(horn, source, "source"));
  std::this_thread::sleep_for(milliseconds(200));  // silence before
  vorn::VornSound sound;
  sound.init(vorn::loadSoundBuffer(horn));
  sound.play();
  std::this_thread::sleep_for(milliseconds(int(source.seconds() * 1000) + 800));
  sound.release();
  const std::vector<float> level = recordedLevels();
  const auto audible = [](float l) { return l > 0.01f; };
  const auto first = std::find_if(level.begin(), level.end(), audible);
  ASSERT_NE(first, level.end()) << "the recording is silent";
  EXPECT_GE(first - level.begin(), 10);  // the silence before the effect is there
  const auto end = std::find_if(level.rbegin(), level.rend(), audible).base();
  EXPECT_NEAR(double(end - first) / 100.0, source.seconds(), 0.1);
  // The horn's RMS is about -9.5 dBFS; a centred mono source reaches each
  // stereo channel somewhat attenuated.
  const float loudest = *std::max_element(level.begin(), level.end());
  EXPECT_TRUE(loudest > 0.12f && loudest < 0.6f) << loudest;
  EXPECT_EQ(vorn_test::readText(log), "");
}

TEST_F(CaptureTest, TheRaceMusicPlaysWithoutGapsWhileFramesUpdateIt) {
  vorn::VornMusic music;
  ASSERT_TRUE(music.open(vorn_test::dataRoot() + "/data/music/02.ogg"));
  music.setGain(0.5f);
  for (const auto end = Clock::now() + milliseconds(2500); Clock::now() < end;) {
    if (!music.isPlaying()) music.play();
    music.update();
    std::this_thread::sleep_for(milliseconds(10));
  }
  music.release();
  const std::vector<float> level = recordedLevels();
  ASSERT_GT(level.size(), 200u);
  // After the first second every 10 ms window carries music: no buffer ran dry.
  EXPECT_EQ(std::count_if(level.begin() + 100, level.end() - 20, [](float l) { return l < 0.002f; }), 0);
}

}  // namespace
