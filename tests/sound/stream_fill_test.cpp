// Filling stream blocks from a decoder that loops, fails, lies or cannot seek.
#include "sound/stream_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using vorn::kStreamBlockBytes;

struct Track {
  size_t length;
  int errorsFirst = 0;  // reads that fail (-3) before any data
  bool alwaysFail = false, seekable = true, overclaim = false;
};

// A track of numbered bytes (i % 251), handed out 4 KiB a read like a decoder.
struct FakeTrack : vorn::VornStreamReader {
  explicit FakeTrack(const Track& track) : track(track) {}
  long read(uint8_t* dst, size_t capacity) override {
    ++reads;
    if (track.errorsFirst > 0) {
      --track.errorsFirst;
      return -3;
    }
    if (track.alwaysFail) return -128;
    if (track.overclaim) return long(capacity) + 100;
    const size_t n = std::min({capacity, size_t(4096), track.length - position});
    for (size_t i = 0; i < n; ++i) dst[i] = uint8_t((position + i) % 251);
    position += n;
    return long(n);
  }
  bool rewind() override {
    if (track.seekable) position = 0;
    return track.seekable;
  }
  Track track;
  size_t position = 0;
  int reads = 0;
};

TEST(StreamFill, BlocksLoopWithoutAGapAndBadStreamsEndTheFill) {
  const size_t kBlock = kStreamBlockBytes;
  const struct {
    const char* name;
    Track track;
    int fills;  // the last one is checked
    size_t bytes;
    int rewinds, failedReads;
    bool gaveUp;
    int maxReads;         // 0: any number
    const char* printed;  // the line each failed read prints
  } cases[] = {
      {"a short track loops inside one fill", {10000}, 1, kBlock, 6, 0, false, 0, ""},
      {"the next fill goes on where the last stopped", {100000}, 2, kBlock, 1, 0, false, 0, ""},
      {"a few errors are reported and the fill goes on", {100000, 3}, 1, kBlock, 0, 3, false, 0,
       " ogg error: Unknown Ogg error.\n"},
      {"a stream that only fails gives up", {100000, 0, true}, 1, 0, 0, vorn::kMaxFailedReadsPerFill, true,
       vorn::kMaxFailedReadsPerFill, " ogg error: Read from media.\n"},
      {"an empty track does not spin", {0}, 1, 0, 1, 0, true, 3, ""},
      {"an unseekable track keeps what it decoded", {1000, 0, false, false}, 1, 1000, 0, 0, true, 0, ""},
      {"a decoder claiming too much cannot overrun", {100000, 0, false, true, true}, 1, kBlock, 0, 0, false, 1,
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTrack track(c.track);
    std::vector<uint8_t> block(kBlock);
    vorn::VornFillResult fill;
    testing::internal::CaptureStdout();
    for (int i = 0; i < c.fills; ++i) fill = vorn::fillStreamBlock(track, block.data(), block.size());
    std::string expected;
    for (int i = 0; i < c.failedReads; ++i) expected += c.printed;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
    EXPECT_TRUE(fill.bytes == c.bytes && fill.rewinds == c.rewinds && fill.failedReads == c.failedReads &&
                fill.gaveUp == c.gaveUp)
        << fill.bytes << " bytes, " << fill.rewinds << " rewinds, " << fill.failedReads << " failed reads";
    EXPECT_TRUE(c.maxReads == 0 || track.reads <= c.maxReads) << track.reads << " reads";
    const size_t start = size_t(c.fills - 1) * kBlock;
    for (size_t i = 0; i < fill.bytes && !c.track.overclaim; ++i)
      ASSERT_EQ(block[i], uint8_t(((start + i) % c.track.length) % 251)) << i;
  }
}

}  // namespace
