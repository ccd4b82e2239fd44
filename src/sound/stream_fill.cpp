#include "sound/stream_fill.h"

#include <cassert>
#include <cstdio>

#include "sound/sound_rules.h"

namespace vorn {

VornFillResult fillStreamBlock(VornStreamReader& reader, uint8_t* block, size_t capacity) {
  assert(block && "fillStreamBlock: no block");
  VornFillResult result;
  // Bytes decoded since the last wrap: a track that ends again before giving
  // any sample is empty, and wrapping it once more would spin forever.
  size_t sinceWrap = 0;
  bool wrapped = false;
  while (result.bytes < capacity) {
    const long got = reader.read(block + result.bytes, capacity - result.bytes);
    if (got > 0) {
      // A decoder that claims more than it was given would overrun the block.
      const size_t n = size_t(got) <= capacity - result.bytes ? size_t(got) : capacity - result.bytes;
      result.bytes += n;
      sinceWrap += n;
    } else if (got < 0) {
      std::printf(" ogg error: %s\n", oggErrorText(int(got)));
      if (++result.failedReads >= kMaxFailedReadsPerFill) {
        result.gaveUp = true;
        break;
      }
    } else {
      if ((wrapped && sinceWrap == 0) || !reader.rewind()) {
        result.gaveUp = true;
        break;
      }
      wrapped = true;
      sinceWrap = 0;
      ++result.rewinds;
    }
  }
  return result;
}

}  // namespace vorn
