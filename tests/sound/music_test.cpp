// VornMusic on OpenAL Soft's null device (set by the test environment).
#include "sound/music.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "assetgen/ogg_writer.h"
#include "sound/audio_device.h"
#include "sound/stream_fill.h"
#include "sound_test_support.h"

namespace {

using vorn::VornMusic;
using Clock = std::chrono::steady_clock;

class MusicTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = vorn_test::scratchDir("music");
    log = vorn_test::privateErrorLog(dir);
    ASSERT_TRUE(vorn::startAudio());
  }
  std::string writeOgg(const char* name, int channels, double seconds) {
    const std::vector<float> mono = vorn_test::tone(330.0, seconds, 0.5f);
    std::vector<float> interleaved;
    for (float s : mono)
      for (int c = 0; c < channels; ++c) interleaved.push_back(s);
    std::vector<uint8_t> ogg;
    EXPECT_TRUE(assetgen::encodeOggVorbis(interleaved, channels, 44100, 0.2f, ogg));
    const std::string path = dir + "/" + name;
    vorn_test::writeBytes(path, ogg.data(), ogg.size());
    return path;
  }
  static ALint bufferInt(ALuint buffer, ALenum what) {
    ALint v = -1;
    alGetBufferi(buffer, what, &v);
    return v;
  }
  static ALint sourceInt(const VornMusic& m, ALenum what) {
    ALint v = -1;
    alGetSourcei(m.sourceName(), what, &v);
    return v;
  }
  std::string dir, log;
};

TEST_F(MusicTest, OpeningErrorsAreLoggedWithTheirTextsAndLeaveTheTrackSilent) {
  VornMusic missing, random, empty;
  EXPECT_FALSE(missing.open(dir + "/none.ogg"));
  std::string noise;
  for (int i = 0; i < 20000; ++i) noise.push_back(char((i * 7919) >> 3));
  vorn_test::writeBytes(dir + "/random.ogg", noise.data(), noise.size());
  EXPECT_FALSE(random.open(dir + "/random.ogg"));
  vorn_test::writeBytes(dir + "/empty.ogg", "", 0);
  EXPECT_FALSE(empty.open(dir + "/empty.ogg"));
  const std::string text = vorn_test::readText(log);
  EXPECT_EQ(vorn_test::countOf(text, "Error VornMusic::open \n"), 3u);
  EXPECT_NE(text.find("\tCould not open Ogg file. (" + dir + "/none.ogg)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\tCould not open Ogg stream. Not Vorbis data. (" + dir + "/random.ogg)\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("\tCould not open Ogg stream. "), std::string::npos);
  for (VornMusic* m : {&missing, &random, &empty}) {
    EXPECT_FALSE(m->isOpen());
    EXPECT_FALSE(m->play());
    EXPECT_FALSE(m->update());
    EXPECT_FALSE(m->isPlaying());
    m->empty();
    m->release();
  }
}

TEST_F(MusicTest, AMonoTrackIsQueuedAs16BitMono) {
  VornMusic music;
  ASSERT_TRUE(music.open(writeOgg("mono.ogg", 1, 1.0)));
  EXPECT_EQ(music.sampleFormat(), AL_FORMAT_MONO16);
  ASSERT_TRUE(music.play());
  for (int b = 0; b < 2; ++b) {
    EXPECT_EQ(bufferInt(music.bufferNames()[b], AL_CHANNELS), 1);
    EXPECT_EQ(bufferInt(music.bufferNames()[b], AL_BITS), 16);
    EXPECT_EQ(bufferInt(music.bufferNames()[b], AL_FREQUENCY), 44100);
  }
  VornMusic stereo;
  ASSERT_TRUE(stereo.open(writeOgg("stereo.ogg", 2, 1.0)));
  EXPECT_EQ(stereo.sampleFormat(), AL_FORMAT_STEREO16);
}

TEST_F(MusicTest, ATrackShorterThanOneBufferLoopsInsideTheFill) {
  VornMusic music;
  ASSERT_TRUE(music.open(writeOgg("short.ogg", 1, 0.2)));  // 17,640 bytes of PCM
  ASSERT_TRUE(music.play());
  EXPECT_TRUE(music.isPlaying());
  EXPECT_EQ(sourceInt(music, AL_BUFFERS_QUEUED), 2);
  for (int b = 0; b < 2; ++b) EXPECT_EQ(bufferInt(music.bufferNames()[b], AL_SIZE), ALint(vorn::kStreamBlockBytes));
}

TEST_F(MusicTest, KeepsPlayingAcrossManyRefillsWhenUpdatedEveryFrame) {
  VornMusic music;
  ASSERT_TRUE(music.open(writeOgg("loop.ogg", 2, 0.5)));
  ASSERT_TRUE(music.play());
  int refills = 0;
  const auto end = Clock::now() + std::chrono::milliseconds(1700);
  while (Clock::now() < end) {
    refills += sourceInt(music, AL_BUFFERS_PROCESSED);
    ASSERT_TRUE(music.update());
    ASSERT_EQ(sourceInt(music, AL_BUFFERS_QUEUED), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // 64 KiB of 16-bit stereo lasts 0.37 s.
  EXPECT_GE(refills, 3);
  EXPECT_TRUE(music.isPlaying());
}

TEST_F(MusicTest, EmptyLeavesAPlayingStreamItsBuffers) {
  VornMusic music;
  ASSERT_TRUE(music.open(writeOgg("e.ogg", 2, 1.0)));
  ASSERT_TRUE(music.play());
  const auto end = Clock::now() + std::chrono::seconds(2);
  while (sourceInt(music, AL_BUFFERS_PROCESSED) == 0 && Clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(sourceInt(music, AL_BUFFERS_PROCESSED), 1);
  music.empty();  // the menu does this every frame
  EXPECT_EQ(sourceInt(music, AL_BUFFERS_QUEUED), 2);
  music.update();
  EXPECT_EQ(sourceInt(music, AL_BUFFERS_QUEUED), 2);
  EXPECT_TRUE(music.isPlaying());
}

TEST_F(MusicTest, AStreamThatRanDryRestartsOnTheNextPlay) {
  VornMusic music;
  ASSERT_TRUE(music.open(writeOgg("dry.ogg", 2, 0.5)));
  ASSERT_TRUE(music.play());
  const auto end = Clock::now() + std::chrono::seconds(3);
  while (music.isPlaying() && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_FALSE(music.isPlaying());  // no updates: both buffers ran out
  EXPECT_TRUE(music.play());
  EXPECT_TRUE(music.isPlaying());
  EXPECT_EQ(sourceInt(music, AL_BUFFERS_QUEUED), 2);
}

TEST_F(MusicTest, GainIsClampedRememberedAndSetOnTheSource) {
  VornMusic music;
  ASSERT_TRUE(music.open(writeOgg("g.ogg", 2, 0.3)));
  EXPECT_EQ(music.getGain(), 1.0f);
  music.setGain(1.5f);
  EXPECT_EQ(music.getGain(), 1.0f);
  music.setGain(-1.0f);
  EXPECT_EQ(music.getGain(), 0.0f);
  music.setGain(0.5f);
  float gain = 0.0f;
  alGetSourcef(music.sourceName(), AL_GAIN, &gain);
  EXPECT_EQ(gain, 0.5f);
  ALint relative = 0;
  alGetSourcei(music.sourceName(), AL_SOURCE_RELATIVE, &relative);
  EXPECT_EQ(relative, AL_TRUE);
}

TEST_F(MusicTest, ReleaseStopsAndClosesAndLaterCallsDoNothing) {
  VornMusic music;
  ASSERT_TRUE(music.open(writeOgg("r.ogg", 2, 0.3)));
  ASSERT_TRUE(music.play());
  const ALuint source = music.sourceName();
  music.release();
  EXPECT_FALSE(music.isOpen());
  EXPECT_EQ(alIsSource(source), AL_FALSE);
  EXPECT_FALSE(music.play());
  EXPECT_FALSE(music.update());
  music.release();
}

TEST_F(MusicTest, TruncatedAndDamagedTracksNeitherCrashNorStall) {
  const std::string good = vorn_test::readText(writeOgg("whole.ogg", 2, 3.0));
  struct Case { const char* name; std::string bytes; };
  std::string flipped = good;
  for (size_t i = 6000; i < flipped.size(); i += 97) flipped[i] = char(~flipped[i]);
  const Case cases[] = {{"half.ogg", good.substr(0, good.size() / 2)},
                        {"headers.ogg", good.substr(0, 5000)},
                        {"flipped.ogg", flipped}};
  for (const Case& c : cases) {
    const std::string path = dir + "/" + c.name;
    vorn_test::writeBytes(path, c.bytes.data(), c.bytes.size());
    VornMusic music;
    testing::internal::CaptureStdout();  // read errors are printed, not logged
    const auto start = Clock::now();
    if (music.open(path)) {
      for (int frame = 0; frame < 60; ++frame) {
        if (!music.isPlaying()) music.play();
        music.update();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    testing::internal::GetCapturedStdout();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << c.name;
    music.release();
  }
}

}  // namespace
