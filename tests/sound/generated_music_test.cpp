// The generated music and the generator's Ogg writer, decoded with libvorbisfile.
#include <gtest/gtest.h>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cmath>

#include "assetgen/music.h"
#include "assetgen/ogg_writer.h"
#include "sound_test_support.h"

namespace {

struct Decoded {
  int channels = 0;
  long rate = 0;
  std::vector<float> samples;  // interleaved
  size_t frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

Decoded decode(const std::string& path) {
  Decoded out;
  OggVorbis_File file;
  if (ov_fopen(path.c_str(), &file) != 0) return out;
  const vorbis_info* info = ov_info(&file, -1);
  out.channels = info->channels;
  out.rate = info->rate;
  char block[8192];
  int bitstream = 0;
  long n;
  while ((n = ov_read(&file, block, sizeof block, 0, 2, 1, &bitstream)) != 0) {
    if (n < 0) continue;
    for (long i = 0; i + 1 < n; i += 2)
      out.samples.push_back(float(int16_t(uint8_t(block[i]) | (uint8_t(block[i + 1]) << 8))) / 32768.0f);
  }
  ov_clear(&file);
  return out;
}

// Largest jump from the last frame to the first, against the typical step inside.
void expectSeamless(const Decoded& d, const char* name) {
  ASSERT_GT(d.frames(), 1000u);
  for (int c = 0; c < d.channels; ++c) {
    auto at = [&](size_t frame) { return d.samples[frame * size_t(d.channels) + size_t(c)]; };
    double meanStep = 0.0;
    for (size_t i = 1; i < d.frames(); ++i) meanStep += std::fabs(at(i) - at(i - 1));
    meanStep /= double(d.frames() - 1);
    const double seam = std::fabs(at(0) - at(d.frames() - 1));
    EXPECT_LT(seam, 4.0 * meanStep + 0.01) << name << " channel " << c;
    // A loop, not a song with a fade-out: the music still plays at the seam.
    double endLevel = 0.0, startLevel = 0.0;
    for (size_t i = 0; i < 2205; ++i) {
      endLevel += std::fabs(at(d.frames() - 1 - i)) / 2205.0;
      startLevel += std::fabs(at(i)) / 2205.0;
    }
    EXPECT_GT(endLevel, 0.01) << name;
    EXPECT_GT(startLevel, 0.01) << name;
  }
}

TEST(GeneratedMusic, BothLoopsDecodeAsLongStereoAt44kHz) {
  const struct { const char* file; size_t frames; } tracks[] = {
      {"/data/music/01.ogg", assetgen::kHighscoreLoopFrames}, {"/data/music/02.ogg", assetgen::kRaceLoopFrames}};
  for (const auto& track : tracks) {
    const Decoded d = decode(vorn_test::dataRoot() + track.file);
    EXPECT_EQ(d.channels, 2) << track.file;
    EXPECT_EQ(d.rate, 44100) << track.file;
    EXPECT_EQ(d.frames(), track.frames) << track.file;
    const double seconds = double(d.frames()) / 44100.0;
    EXPECT_GE(seconds, 30.0) << track.file;
    EXPECT_LE(seconds, 60.0) << track.file;
    float peak = 0.0f;
    double energy = 0.0;
    for (float s : d.samples) {
      peak = std::fmax(peak, std::fabs(s));
      energy += double(s) * s;
    }
    const double rmsDb = 10.0 * std::log10(energy / double(d.samples.size()));
    EXPECT_LT(peak, 1.0f) << track.file;
    EXPECT_GT(rmsDb, -24.0) << track.file;
    EXPECT_LT(rmsDb, -8.0) << track.file;
    expectSeamless(d, track.file);
  }
}

TEST(GeneratedMusic, OggWriterRoundTripsLengthRateAndChannels) {
  const std::string dir = vorn_test::scratchDir("ogg");
  for (int channels : {1, 2}) {
    const std::vector<float> mono = vorn_test::tone(440.0, 0.5, 0.5f, 22050);
    std::vector<float> interleaved;
    for (float s : mono)
      for (int c = 0; c < channels; ++c) interleaved.push_back(s);
    std::vector<uint8_t> ogg;
    ASSERT_TRUE(assetgen::encodeOggVorbis(interleaved, channels, 22050, 0.3f, ogg));
    const std::string path = dir + "/tone.ogg";
    vorn_test::writeBytes(path, ogg.data(), ogg.size());
    const Decoded d = decode(path);
    EXPECT_EQ(d.channels, channels);
    EXPECT_EQ(d.rate, 22050);
    EXPECT_EQ(d.frames(), mono.size());
    // Same tone: the decoded level matches the written one.
    double energy = 0.0;
    for (float s : d.samples) energy += double(s) * s;
    EXPECT_NEAR(std::sqrt(energy / double(d.samples.size())), 0.5 / std::sqrt(2.0), 0.03);
  }
}

}  // namespace
