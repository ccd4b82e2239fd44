// Filling one block of a streamed music track behind a small decoder interface. Units: bytes of
// 16-bit PCM. Cost: at most one 64 KiB block of decoding a call plus kMaxFailedReadsPerFill
// failed reads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorn {

// Bytes of 16-bit PCM per stream buffer; two of them alternate on one source.
constexpr size_t kStreamBlockBytes = 65536;
// Failed decoder reads tolerated in one fill before the fill gives up.
constexpr int kMaxFailedReadsPerFill = 16;

// The decoder; the device layer plugs libvorbisfile into it.
class VornStreamReader {
 public:
  virtual ~VornStreamReader() = default;
  // Decodes at most `capacity` bytes into dst. Returns the byte count (> 0),
  // 0 at the end of the stream, or a negative decoder result code.
  virtual long read(uint8_t* dst, size_t capacity) = 0;
  // Goes back to the first sample; false when the stream cannot seek.
  virtual bool rewind() = 0;
};

struct VornFillResult {
  size_t bytes = 0;      // PCM bytes written to the block
  int failedReads = 0;   // negative results seen during this fill
  int rewinds = 0;       // times the track wrapped to its start
  bool gaveUp = false;   // stopped early: too many errors, an empty track or no seek
};

// Fills block[0..capacity): decodes until the block is full, wraps to the
// start at the end of the track so a loop has no gap, and gives up on a
// stream that only reports errors or holds no samples at all, so a damaged
// file can never stall a frame. Each failed read prints " ogg error: <text>" on
// standard output and the fill goes on, up to kMaxFailedReadsPerFill.
VornFillResult fillStreamBlock(VornStreamReader& reader, uint8_t* block, size_t capacity);

}  // namespace vorn
