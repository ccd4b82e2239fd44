#include "sound/wav_reader.h"

#include <cassert>
#include <cstdio>
#include <cstring>

#include "base/byte_reader.h"
#include "base/error_log.h"

namespace vorn {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kPcmFormatBytes = 16;
constexpr size_t kExtensibleFormatBytes = 40;
// Files bigger than this are not sound effects; refusing them keeps a damaged
// size field from asking for gigabytes.
constexpr size_t kMaxWavBytes = size_t(256) << 20;

bool fail(std::string& error, const char* reason) {
  error = reason;
  return false;
}

}  // namespace

float VornWav::sample(size_t frame, unsigned channel) const {
  assert(frame < frameCount() && channel < channels && "VornWav::sample: index out of range");
  const size_t at = frame * frameBytes() + channel * (bitsPerSample / 8);
  if (bitsPerSample == 8) return (float(pcm[at]) - 128.0f) / 128.0f;
  return float(int16_t(loadLe16(&pcm[at]))) / 32768.0f;
}

bool parseWav(const uint8_t* bytes, size_t size, VornWav& out, std::string& error) {
  out = VornWav();
  if (!bytes || size < 12) return fail(error, "file too short for a WAV header");
  if (size > kMaxWavBytes) return fail(error, "file too large for a sound effect");
  if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
    return fail(error, "not a RIFF/WAVE file");

  bool haveFormat = false;
  uint16_t channels = 0, bits = 0;
  uint32_t rate = 0;
  size_t at = 12;
  // The RIFF size field is often wrong in the wild; the chunk walk is bounded
  // by the real byte count instead.
  while (size - at >= kChunkHeaderBytes) {
    const uint8_t* chunk = bytes + at;
    const size_t bodySize = loadLe32(chunk + 4);
    const size_t bodyAt = at + kChunkHeaderBytes;
    const size_t available = size - bodyAt;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (bodySize < kPcmFormatBytes || bodySize > available) return fail(error, "damaged format chunk");
      const uint8_t* f = bytes + bodyAt;
      uint16_t tag = loadLe16(f);
      channels = loadLe16(f + 2);
      rate = loadLe32(f + 4);
      bits = loadLe16(f + 14);
      if (tag == kFormatExtensible) {
        // The sub-format GUID starts with the plain format tag.
        if (bodySize < kExtensibleFormatBytes) return fail(error, "damaged format chunk");
        tag = loadLe16(f + 24);
      }
      if (tag != kFormatPcm) return fail(error, "not uncompressed PCM");
      if (channels != 1 && channels != 2) return fail(error, "unsupported channel count");
      if (bits != 8 && bits != 16) return fail(error, "unsupported sample size");
      if (rate == 0 || rate > kMaxWavSampleRate) return fail(error, "unsupported sample rate");
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return fail(error, "data chunk before format chunk");
      // A data size running past the end is a truncated file: keep what is there.
      const size_t usable = bodySize < available ? bodySize : available;
      const size_t frameBytes = size_t(channels) * (bits / 8);
      const size_t whole = usable - usable % frameBytes;
      if (whole == 0) return fail(error, "no samples");
      out.channels = channels;
      out.sampleRate = rate;
      out.bitsPerSample = bits;
      out.pcm.assign(bytes + bodyAt, bytes + bodyAt + whole);
      out.truncated = bodySize > available;
      return true;
    }
    if (bodySize > available) break;
    // Chunks are padded to an even size.
    const size_t step = bodySize + (bodySize & 1);
    if (step >= available) break;
    at = bodyAt + step;
  }
  return fail(error, haveFormat ? "no data chunk" : "no format chunk");
}

bool readSoundFileBytes(const std::string& path, std::vector<uint8_t>& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t block[65536];
  bool ok = true;
  for (;;) {
    const size_t n = std::fread(block, 1, sizeof block, f);
    out.insert(out.end(), block, block + n);
    if (out.size() > kMaxWavBytes) break;  // parseWav refuses it with a clear reason
    if (n < sizeof block) {
      ok = !std::ferror(f);
      break;
    }
  }
  std::fclose(f);
  return ok;
}

bool readWavFile(const std::string& path, VornWav& out, const char* where) {
  std::vector<uint8_t> bytes;
  if (!readSoundFileBytes(path, bytes)) {
    out = VornWav();
    logError(where, "\tfile not found: %s\n", path.c_str());
    return false;
  }
  std::string reason;
  if (!parseWav(bytes.data(), bytes.size(), out, reason)) {
    logError(where, "\t%s: %s\n", reason.c_str(), path.c_str());
    return false;
  }
  // A cut-off file still plays what it holds, but the damage is reported.
  if (out.truncated) logError(where, "\tfile truncated, playing what is left: %s\n", path.c_str());
  return true;
}

}  // namespace vorn
