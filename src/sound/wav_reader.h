// WAV decoding for the sound effects: RIFF/WAVE, uncompressed 8- or 16-bit PCM, mono or stereo.
// Units: bytes, frames, frames per second. Cost: one pass over the chunks, one copy of the samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

struct VornWav {
  uint16_t channels = 0;       // 1 or 2
  uint32_t sampleRate = 0;     // frames per second
  uint16_t bitsPerSample = 0;  // 8 or 16
  std::vector<uint8_t> pcm;    // interleaved frames, a whole number of them
  bool truncated = false;      // the data chunk ran past the end of the file

  size_t frameBytes() const { return size_t(channels) * (bitsPerSample / 8); }
  size_t frameCount() const { return frameBytes() ? pcm.size() / frameBytes() : 0; }
  double seconds() const { return sampleRate ? double(frameCount()) / sampleRate : 0.0; }
  // Sample of one channel as a float in [-1, 1); frame and channel must be in range.
  float sample(size_t frame, unsigned channel) const;
};

// Highest sample rate we accept; anything above is taken as a damaged header.
constexpr uint32_t kMaxWavSampleRate = 384000;

// Decodes bytes[0..size): format tag 1, or the extensible tag with a PCM
// sub-format. `pcm` is the block exactly as stored (8-bit unsigned or 16-bit
// signed little endian), which is what the audio device takes. On failure returns false and sets error to a short
// reason ("not a RIFF/WAVE file", "no data chunk", ...); out is left empty.
bool parseWav(const uint8_t* bytes, size_t size, VornWav& out, std::string& error);

// Reads and decodes a file; failures are reported in err.txt under `where`
// ("\tfile not found: <path>" or "\t<reason>: <path>").
bool readWavFile(const std::string& path, VornWav& out, const char* where);

// Reads a whole file into memory; false when it cannot be opened or read.
bool readSoundFileBytes(const std::string& path, std::vector<uint8_t>& out);

}  // namespace vorn
