#include "assetgen/wav_writer.h"

#include <cassert>
#include <cmath>

namespace assetgen {
namespace {

void putU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v & 0xFF));
  out.push_back(uint8_t(v >> 8));
}
void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t((v >> shift) & 0xFF));
}
void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

std::vector<int16_t> toPcm16(const std::vector<float>& samples) {
  std::vector<int16_t> pcm(samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    const float s = samples[i] > 1.0f ? 1.0f : (samples[i] < -1.0f ? -1.0f : samples[i]);
    pcm[i] = int16_t(std::lround(s * 32767.0f));
  }
  return pcm;
}

std::vector<uint8_t> encodeWav16(const std::vector<int16_t>& interleaved, uint16_t channels,
                                 uint32_t sampleRate) {
  assert(channels > 0 && interleaved.size() % channels == 0 && "encodeWav16: partial frame");
  const uint32_t dataBytes = uint32_t(interleaved.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  putTag(out, "RIFF");
  putU32(out, 36 + dataBytes);
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  putU32(out, 16);
  putU16(out, 1);  // uncompressed PCM
  putU16(out, channels);
  putU32(out, sampleRate);
  putU32(out, sampleRate * channels * 2);
  putU16(out, uint16_t(channels * 2));
  putU16(out, 16);
  putTag(out, "data");
  putU32(out, dataBytes);
  for (int16_t s : interleaved) putU16(out, uint16_t(s));
  return out;
}

}  // namespace assetgen
