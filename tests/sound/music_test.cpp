// VornMusic on OpenAL Soft's null device (the test environment's default),
// and the generated music loops as libvorbisfile decodes them.
#include "sound/music.h"

#include <gtest/gtest.h>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "assetgen/music.h"
#include "assetgen/ogg_writer.h"
#include "sound/audio_device.h"
#include "sound_test_support.h"

namespace {

using vorn::VornMusic;
using vorn_test::sourceInt;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(GeneratedMusic, BothLoopsDecodeAtTheirLengthUnclippedAndJoinWithoutASeam) {
  const struct { const char* file; size_t frames; } tracks[] = {
      {"/data/music/01.ogg", assetgen::kHighscoreLoopFrames}, {"/data/music/02.ogg", assetgen::kRaceLoopFrames}};
  for (const auto& track : tracks) {
    SCOPED_TRACE(track.file);
    OggVorbis_File file;
    ASSERT_EQ(ov_fopen((vorn_test::dataRoot() + track.file).c_str(), &file), 0);
    ASSERT_TRUE(ov_info(&file, -1)->channels == 2 && ov_info(&file, -1)->rate == 44100);
    std::vector<float> channels[2];  // unclipped
    float** pcm = nullptr;
    int bitstream = 0;
    for (long n; (n = ov_read_float(&file, &pcm, 4096, &bitstream)) > 0;)
      for (int c = 0; c < 2; ++c) channels[c].insert(channels[c].end(), pcm[c], pcm[c] + n);
    ov_clear(&file);
    ASSERT_EQ(channels[0].size(), track.frames);
    for (const std::vector<float>& s : channels) {
      const size_t n = s.size();
      float peak = 0.0f;
      double meanStep = 0.0, startLevel = 0.0, endLevel = 0.0;
      for (size_t i = 0; i < n; ++i) {  // the levels of the first and the last 50 ms
        peak = std::fmax(peak, std::fabs(s[i]));
        if (i > 0) meanStep += std::fabs(s[i] - s[i - 1]) / double(n - 1);
        if (i < 2205) startLevel += std::fabs(s[i]) / 2205.0;
        if (i + 2205 >= n) endLevel += std::fabs(s[i]) / 2205.0;
      }
      EXPECT_TRUE(peak > 0.1f && peak < 1.0f) << peak << ": too quiet, or the game's 16-bit decode would clip";
      EXPECT_LT(std::fabs(s[0] - s[n - 1]), 4.0 * meanStep + 0.01);
      // A loop, not a song with a fade: the music still plays on both sides of the seam.
      EXPECT_GT(std::fmin(startLevel, endLevel), 0.01);
    }
  }
}

class MusicTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = vorn_test::scratchDir("music");
    log = vorn_test::privateErrorLog(dir);
    ASSERT_TRUE(vorn::startAudio());
  }
  // A 330 Hz stereo tone at half scale.
  static std::vector<uint8_t> ogg(double seconds) {
    const double step = 2.0 * 3.14159265358979 * 330.0 / 44100.0;
    std::vector<float> interleaved(size_t(seconds * 44100) * 2);
    for (size_t i = 0; i < interleaved.size(); ++i) interleaved[i] = 0.5f * float(std::sin(step * double(i / 2)));
    std::vector<uint8_t> out;
    EXPECT_TRUE(assetgen::encodeOggVorbis(interleaved, 2, 44100, 0.2f, out));
    return out;
  }
  std::string dir, log;
};

TEST_F(MusicTest, DamagedTracksAreLoggedOrPlayedWithoutStallingAFrame) {
  const std::vector<uint8_t> good = ogg(3.0);
  std::vector<uint8_t> noise, flipped = good;
  for (int i = 0; i < 20000; ++i) noise.push_back(uint8_t((i * 7919) >> 3));
  for (size_t i = 6000; i < flipped.size(); i += 97) flipped[i] = uint8_t(~flipped[i]);
  // logged: the reason when the track must not open.
  const struct { const char* name; std::vector<uint8_t> bytes; const char* logged; } cases[] = {
      {"missing.ogg", {}, "Could not open Ogg file."},
      {"empty.ogg", {}, "Could not open Ogg stream. Not Vorbis data."},
      {"random.ogg", noise, "Could not open Ogg stream. Not Vorbis data."},
      {"half.ogg", {good.begin(), good.begin() + long(good.size() / 2)}, nullptr},
      {"headers.ogg", {good.begin(), good.begin() + 5000}, nullptr},
      {"flipped.ogg", flipped, nullptr},
  };
  std::string expected;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/" + c.name;
    ASSERT_TRUE(c.name == std::string("missing.ogg") || vorn_test::writeBytes(path, c.bytes));
    if (c.logged) expected += "Error VornMusic::open \n\t" + std::string(c.logged) + " (" + path + ")\n";
    VornMusic music;
    testing::internal::CaptureStdout();  // read errors are printed, not logged
    const auto start = Clock::now();
    EXPECT_EQ(music.open(path), c.logged == nullptr);
    for (int frame = 0; frame < 60; ++frame) {
      if (!music.isPlaying()) music.play();
      music.update();
      std::this_thread::sleep_for(milliseconds(5));
    }
    testing::internal::GetCapturedStdout();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  }
  EXPECT_EQ(vorn_test::readText(log), expected);
}

// Without updates both buffers run out (the menu's audible music is the
// end-to-end sound test's part); the next play starts afresh.
TEST_F(MusicTest, ADryStreamRestartsOnTheNextPlay) {
  ASSERT_TRUE(vorn_test::writeBytes(dir + "/loop.ogg", ogg(0.5)));
  VornMusic music;
  ASSERT_TRUE(music.open(dir + "/loop.ogg") && music.play());
  for (const auto end = Clock::now() + std::chrono::seconds(3); music.isPlaying() && Clock::now() < end;)
    std::this_thread::sleep_for(milliseconds(20));
  ASSERT_FALSE(music.isPlaying());
  EXPECT_TRUE(music.play() && music.isPlaying());
  EXPECT_EQ(sourceInt(music.sourceName(), AL_BUFFERS_QUEUED), 2);
}

}  // namespace
