// The WAV reader: the generator's files sample for sample, the variants and
// damage real files come with, its truncation report, and every generated effect.
#include "sound/wav_reader.h"

#include <gtest/gtest.h>

#include <cmath>

#include "assetgen/wav_writer.h"
#include "sound/sound_slots.h"
#include "sound_test_support.h"

namespace {

using vorn::VornWav;
using Bytes = std::vector<uint8_t>;

const std::vector<int16_t> kSamples = {0, 1000, -1000, 32767, -32768, 5};
// 44 bytes of header ("fmt " at 12, channels at 22, rate at 24, bits at 34,
// "data" at 36, its size at 40), then six 16-bit mono samples.
Bytes goodWav() { return assetgen::encodeWav16(kSamples, 1, 22050); }

Bytes le32(uint32_t v) { return vorn::test::Bytes().le32(v).data; }
Bytes patched(size_t at, const Bytes& values, Bytes bytes = goodWav()) {
  std::copy(values.begin(), values.end(), bytes.begin() + long(at));
  return bytes;
}
Bytes inserted(size_t at, const Bytes& more) {
  Bytes bytes = goodWav();
  bytes.insert(bytes.begin() + long(at), more.begin(), more.end());
  return bytes;
}
Bytes cut(size_t size, Bytes bytes = goodWav()) {
  bytes.resize(size);
  return bytes;
}
// The extensible header a recording device writes; 40 bytes of format carry
// the PCM sub-format, fewer are damaged.
Bytes extensible(uint32_t formatBytes) {
  vorn::test::Bytes b;
  b.str("RIFF").le32(0).str("WAVE").str("fmt ").le32(formatBytes);
  b.le16(0xFFFE).le16(2).le32(44100).le32(44100 * 4).le16(4).le16(16);
  if (formatBytes == 40) b.le16(22).le16(16).le32(3).le16(1).zeros(14);
  return b.str("data").le32(8).le16(1).le16(2).le16(3).le16(4).data;
}

// The generator's files read back sample for sample, and the variants real
// files come in decode (error ""); damaged files fail with a reason.
TEST(WavReader, HostileAndUnusualFilesDecodeOrFailWithAReason) {
  const struct {
    const char* name;
    Bytes bytes;
    const char* error;
    size_t frames = 0;
    float first = 0.0f;  // first sample
    bool truncated = false;
  } cases[] = {
      {"the generator's mono file", goodWav(), "", 6, 0.0f},
      {"the generator's stereo file", assetgen::encodeWav16(kSamples, 2, 22050), "", 3, 0.0f},
      {"odd LIST chunk, padded", inserted(36, {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0}), "", 6, 0.0f},
      {"extensible format", extensible(40), "", 2, 1 / 32768.0f},
      {"8-bit samples centred on 128", patched(34, {8}), "", 12, -1.0f},
      {"cut mid-sample", cut(53), "", 4, 0.0f, true},
      {"data size far past the end", patched(40, le32(0xFFFFFFFFu), cut(53)), "", 4, 0.0f, true},
      {"empty", {}, "file too short for a WAV header"},
      {"11 bytes", cut(11), "file too short for a WAV header"},
      {"not RIFF", patched(0, {'X'}), "not a RIFF/WAVE file"},
      {"float samples", patched(20, {3}), "not uncompressed PCM"},
      {"no channels", patched(22, {0}), "unsupported channel count"},
      {"six channels", patched(22, {6}), "unsupported channel count"},
      {"24-bit samples", patched(34, {24}), "unsupported sample size"},
      {"rate 0", patched(24, le32(0)), "unsupported sample rate"},
      {"rate above the limit", patched(24, le32(vorn::kMaxWavSampleRate + 1)), "unsupported sample rate"},
      {"format chunk past the end", patched(16, {0xF0}), "damaged format chunk"},
      {"extensible format too short", extensible(16), "damaged format chunk"},
      {"format chunk renamed", patched(12, {'x'}), "data chunk before format chunk"},
      {"no data chunk", cut(36), "no data chunk"},
      {"empty data chunk", cut(44), "no samples"},
      {"chunk size overflowing the walk", inserted(12, {'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0xFF}),
       "no format chunk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VornWav wav;
    std::string error;
    EXPECT_EQ(vorn::parseWav(c.bytes.data(), c.bytes.size(), wav, error), *c.error == '\0');
    EXPECT_EQ(error, c.error);
    ASSERT_EQ(wav.frameCount(), c.frames);
    EXPECT_TRUE(c.frames == 0 || wav.sample(0, 0) == c.first) << "first sample";
    EXPECT_EQ(wav.truncated, c.truncated);
    if (&c - cases < 2) {
      EXPECT_EQ(wav.sampleRate, 22050u);
      for (size_t i = 0; i < kSamples.size(); ++i)
        EXPECT_FLOAT_EQ(wav.sample(i / wav.channels, unsigned(i % wav.channels)), kSamples[i] / 32768.0f) << i;
    }
  }
}

TEST(WavReader, ATruncatedFileIsReportedAndPlaysWhatIsLeft) {
  const std::string dir = vorn_test::scratchDir("wav");
  const std::string log = vorn_test::privateErrorLog(dir);
  ASSERT_TRUE(vorn_test::writeBytes(dir + "/cut.wav", cut(52)));
  VornWav wav;
  // A cut-off file plays what is left, and the damage is reported.
  EXPECT_TRUE(vorn::readWavFile(dir + "/cut.wav", wav, "VornSound::load") && wav.frameCount() == 4u);
  EXPECT_EQ(vorn_test::readText(log),
            "Error VornSound::load \n\tfile truncated, playing what is left: " + dir + "/cut.wav\n");
}

TEST(GeneratedEffects, ReadBackAtTheirLevelLoopingOnesSeamlessOneShotsFadedOut) {
  const std::string log = vorn_test::privateErrorLog(vorn_test::scratchDir("gen"));
  for (size_t slot = 0; slot < vorn::kSoundSlotCount; ++slot) {
    const vorn::VornSoundSlotInfo& info = vorn::soundSlotInfo(slot);
    SCOPED_TRACE(info.name);
    VornWav wav;
    ASSERT_TRUE(vorn::readWavFile(vorn_test::dataRoot() + "/" + info.path, wav, "test"));
    ASSERT_TRUE(wav.channels == 1 && wav.seconds() > 0.3 && wav.seconds() < (info.looping ? 4.0 : 2.5))
        << wav.seconds() << " s";
    const size_t n = wav.frameCount();
    float peak = 0.0f, tail = 0.0f;  // tail: the last millisecond
    double meanStep = 0.0;
    for (size_t i = 0; i < n; ++i) {
      const float s = std::fabs(wav.sample(i, 0));
      peak = std::fmax(peak, s);
      if (i + 44 >= n) tail = std::fmax(tail, s);
      if (i > 0) meanStep += std::fabs(wav.sample(i, 0) - wav.sample(i - 1, 0)) / double(n - 1);
    }
    EXPECT_NEAR(20.0 * std::log10(peak), -3.0, 0.2);
    // A loop's ends near a zero crossing, its seam jumping no more than the steps
    // inside; a one-shot without a click at the end.
    const float first = wav.sample(0, 0), last = wav.sample(n - 1, 0);
    EXPECT_TRUE(!info.looping || (std::fmax(std::fabs(first), std::fabs(last)) < 0.02f &&
                                  std::fabs(first - last) <= std::fmax(3.0 * meanStep, 1e-4))) << first << " " << last;
    EXPECT_TRUE(info.looping || tail < 0.05f) << tail;
  }
  EXPECT_EQ(vorn_test::readText(log), "");
}

}  // namespace
