// WAV output of the generator: float samples to 16-bit little-endian PCM in
// a plain RIFF/WAVE file (format tag 1, one "fmt " and one "data" chunk).
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

// Rounds to 16 bit, clamping anything outside [-1, 1].
std::vector<int16_t> toPcm16(const std::vector<float>& samples);

// A complete WAV file of interleaved samples.
std::vector<uint8_t> encodeWav16(const std::vector<int16_t>& interleaved, uint16_t channels,
                                 uint32_t sampleRate);

}  // namespace assetgen
