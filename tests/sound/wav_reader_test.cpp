#include "sound/wav_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "assetgen/wav_writer.h"
#include "sound_test_support.h"

namespace {

using vorn::VornWav;

std::vector<uint8_t> minimalWav() {
  return assetgen::encodeWav16({0, 1000, -1000, 32767, -32768, 5}, 1, 22050);
}

void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) bytes[at + size_t(k)] = uint8_t(v >> (8 * k));
}

bool parse(const std::vector<uint8_t>& bytes, VornWav& wav, std::string& error) {
  return vorn::parseWav(bytes.data(), bytes.size(), wav, error);
}

TEST(WavRoundTrip, GeneratorWriterReadsBackSampleForSample) {
  const std::vector<int16_t> mono = {0, 1000, -1000, 32767, -32768, 5};
  VornWav wav;
  std::string error;
  ASSERT_TRUE(parse(assetgen::encodeWav16(mono, 1, 22050), wav, error)) << error;
  EXPECT_EQ(wav.channels, 1);
  EXPECT_EQ(wav.sampleRate, 22050u);
  EXPECT_EQ(wav.bitsPerSample, 16);
  ASSERT_EQ(wav.frameCount(), mono.size());
  for (size_t i = 0; i < mono.size(); ++i) EXPECT_FLOAT_EQ(wav.sample(i, 0), mono[i] / 32768.0f) << i;

  const std::vector<int16_t> stereo = {100, -100, 200, -200};
  ASSERT_TRUE(parse(assetgen::encodeWav16(stereo, 2, 44100), wav, error)) << error;
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.frameCount(), 2u);
  EXPECT_FLOAT_EQ(wav.sample(1, 1), -200 / 32768.0f);
}

TEST(WavRoundTrip, FloatConversionRoundsAndClamps) {
  const std::vector<int16_t> pcm = assetgen::toPcm16({0.0f, 0.5f, -0.5f, 2.0f, -2.0f});
  EXPECT_EQ(pcm, (std::vector<int16_t>{0, 16384, -16384, 32767, -32767}));
}

TEST(WavReader, AcceptsExtraChunksPaddingAndExtensibleFormat) {
  // A LIST chunk of odd size (padded) before the data.
  std::vector<uint8_t> bytes = minimalWav();
  const std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  bytes.insert(bytes.begin() + 36, list.begin(), list.end());
  VornWav wav;
  std::string error;
  ASSERT_TRUE(parse(bytes, wav, error)) << error;
  EXPECT_EQ(wav.frameCount(), 6u);

  // The extensible header a recording device writes: 40-byte format with PCM sub-format.
  std::vector<uint8_t> ext = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 40, 0, 0, 0,
                              0xFE, 0xFF, 2, 0, 0x44, 0xAC, 0, 0, 0, 0, 0, 0, 4, 0, 16, 0, 22, 0, 16, 0,
                              3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71,
                              'd', 'a', 't', 'a', 8, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 0};
  ASSERT_TRUE(parse(ext, wav, error)) << error;
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.sampleRate, 44100u);
  EXPECT_EQ(wav.frameCount(), 2u);
}

TEST(WavReader, EightBitSamplesAreCentredOn128) {
  std::vector<uint8_t> bytes = minimalWav();
  bytes[34] = 8;                   // bits per sample
  VornWav wav;
  std::string error;
  ASSERT_TRUE(parse(bytes, wav, error)) << error;
  EXPECT_EQ(wav.frameCount(), 12u);
  EXPECT_FLOAT_EQ(wav.sample(0, 0), -1.0f);  // byte 0 is the lowest 8-bit level
}

TEST(WavReader, TruncatedDataKeepsTheWholeFramesThatArePresent) {
  std::vector<uint8_t> bytes = minimalWav();
  bytes.resize(bytes.size() - 3);  // cuts one and a half samples
  VornWav wav;
  std::string error;
  ASSERT_TRUE(parse(bytes, wav, error)) << error;
  EXPECT_EQ(wav.frameCount(), 4u);
  putU32(bytes, 40, 0xFFFFFFFFu);  // a data size far past the end
  ASSERT_TRUE(parse(bytes, wav, error)) << error;
  EXPECT_EQ(wav.frameCount(), 4u);
}

TEST(WavReader, DamagedFilesFailWithAReason) {
  VornWav wav;
  std::string error;
  const std::vector<uint8_t> good = minimalWav();

  EXPECT_FALSE(vorn::parseWav(nullptr, 0, wav, error));
  EXPECT_FALSE(vorn::parseWav(good.data(), 11, wav, error));
  EXPECT_EQ(error, "file too short for a WAV header");

  auto broken = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[at] = value;
    const bool ok = parse(bytes, wav, error);
    EXPECT_TRUE(wav.pcm.empty());
    return ok;
  };
  EXPECT_FALSE(broken(0, 'X'));
  EXPECT_EQ(error, "not a RIFF/WAVE file");
  EXPECT_FALSE(broken(20, 3));  // float samples
  EXPECT_EQ(error, "not uncompressed PCM");
  EXPECT_FALSE(broken(22, 0));  // no channels
  EXPECT_EQ(error, "unsupported channel count");
  EXPECT_FALSE(broken(22, 6));
  EXPECT_FALSE(broken(34, 24));
  EXPECT_EQ(error, "unsupported sample size");
  EXPECT_FALSE(broken(16, 0xF0));  // format chunk longer than the file
  EXPECT_EQ(error, "damaged format chunk");
  EXPECT_FALSE(broken(12, 'x'));   // format chunk renamed: data comes first
  EXPECT_EQ(error, "data chunk before format chunk");

  std::vector<uint8_t> zeroRate = good;
  putU32(zeroRate, 24, 0);
  EXPECT_FALSE(parse(zeroRate, wav, error));
  EXPECT_EQ(error, "unsupported sample rate");

  std::vector<uint8_t> noData(good.begin(), good.begin() + 36);
  EXPECT_FALSE(parse(noData, wav, error));
  EXPECT_EQ(error, "no data chunk");

  std::vector<uint8_t> emptyData(good.begin(), good.begin() + 44);
  EXPECT_FALSE(parse(emptyData, wav, error));
  EXPECT_EQ(error, "no samples");

  // A chunk whose size overflows the offset arithmetic ends the walk cleanly.
  std::vector<uint8_t> hugeChunk = good;
  hugeChunk.insert(hugeChunk.begin() + 12, {'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_FALSE(parse(hugeChunk, wav, error));
  EXPECT_EQ(error, "no format chunk");
}

TEST(WavReader, FileFailuresGoToTheErrorLog) {
  const std::string dir = vorn_test::scratchDir("wav");
  const std::string log = vorn_test::privateErrorLog(dir);
  VornWav wav;
  EXPECT_FALSE(vorn::readWavFile(dir + "/missing.wav", wav, "VornSound::load"));
  const std::string junk = "this is not a sound";
  vorn_test::writeBytes(dir + "/junk.wav", junk.data(), junk.size());
  EXPECT_FALSE(vorn::readWavFile(dir + "/junk.wav", wav, "VornSound::load"));
  EXPECT_EQ(vorn_test::readText(log),
            "Error VornSound::load \n\tfile not found: " + dir + "/missing.wav\n"
            "Error VornSound::load \n\tnot a RIFF/WAVE file: " + dir + "/junk.wav\n");

  const std::vector<uint8_t> good = minimalWav();
  vorn_test::writeBytes(dir + "/good.wav", good.data(), good.size());
  EXPECT_TRUE(vorn::readWavFile(dir + "/good.wav", wav, "VornSound::load"));
  EXPECT_EQ(wav.frameCount(), 6u);
  EXPECT_FALSE(wav.truncated);

  // A cut-off file plays what is left, and the damage is reported.
  const size_t before = vorn_test::readText(log).size();
  std::vector<uint8_t> cut = minimalWav();
  cut.resize(cut.size() - 4);
  vorn_test::writeBytes(dir + "/cut.wav", cut.data(), cut.size());
  EXPECT_TRUE(vorn::readWavFile(dir + "/cut.wav", wav, "VornSound::load"));
  EXPECT_TRUE(wav.truncated);
  EXPECT_EQ(wav.frameCount(), 4u);
  EXPECT_EQ(vorn_test::readText(log).substr(before),
            "Error VornSound::load \n\tfile truncated, playing what is left: " + dir + "/cut.wav\n");
}

}  // namespace
