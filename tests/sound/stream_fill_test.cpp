#include "sound/stream_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using vorn::VornFillResult;
using vorn::kStreamBlockBytes;

// A track of numbered bytes (i % 251), handed out in small reads like a decoder.
class FakeTrack : public vorn::VornStreamReader {
 public:
  explicit FakeTrack(size_t length, size_t chunk = 4096) : length(length), chunk(chunk) {}
  long read(uint8_t* dst, size_t capacity) override {
    ++reads;
    if (errorsBeforeData > 0) {
      --errorsBeforeData;
      return -3;
    }
    if (alwaysFail) return -128;
    if (overclaim) return long(capacity) + 100;
    if (position >= length) return 0;
    size_t n = std::min({capacity, chunk, length - position});
    for (size_t i = 0; i < n; ++i) dst[i] = uint8_t((position + i) % 251);
    position += n;
    return long(n);
  }
  bool rewind() override {
    ++rewinds;
    if (!seekable) return false;
    position = 0;
    return true;
  }

  size_t length, chunk, position = 0;
  int reads = 0, rewinds = 0, errorsBeforeData = 0;
  bool alwaysFail = false, seekable = true, overclaim = false;
};

TEST(StreamFill, ShortTrackLoopsInsideOneFillWithoutAGap) {
  FakeTrack track(10000);  // far shorter than one block
  std::vector<uint8_t> block(kStreamBlockBytes);
  const VornFillResult fill = vorn::fillStreamBlock(track, block.data(), block.size());
  EXPECT_EQ(fill.bytes, kStreamBlockBytes);
  EXPECT_EQ(fill.rewinds, 6);
  EXPECT_FALSE(fill.gaveUp);
  for (size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block[i], uint8_t((i % 10000) % 251)) << i;
}

TEST(StreamFill, ConsecutiveFillsContinueWhereTheLastStopped) {
  FakeTrack track(100000);
  std::vector<uint8_t> first(kStreamBlockBytes), second(kStreamBlockBytes);
  vorn::fillStreamBlock(track, first.data(), first.size());
  const VornFillResult fill = vorn::fillStreamBlock(track, second.data(), second.size());
  EXPECT_EQ(fill.bytes, kStreamBlockBytes);
  EXPECT_EQ(fill.rewinds, 1);
  for (size_t i = 0; i < second.size(); ++i)
    ASSERT_EQ(second[i], uint8_t(((kStreamBlockBytes + i) % 100000) % 251)) << i;
}

TEST(StreamFill, AStreamThatOnlyFailsGivesUpAfterABoundedNumberOfReads) {
  FakeTrack track(100000);
  track.alwaysFail = true;
  std::vector<uint8_t> block(kStreamBlockBytes);
  testing::internal::CaptureStdout();
  const VornFillResult fill = vorn::fillStreamBlock(track, block.data(), block.size());
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(fill.gaveUp);
  EXPECT_EQ(fill.bytes, 0u);
  EXPECT_EQ(track.reads, vorn::kMaxFailedReadsPerFill);
  EXPECT_EQ(fill.failedReads, vorn::kMaxFailedReadsPerFill);
  EXPECT_EQ(printed.substr(0, 30), " ogg error: Read from media.\n ");
}

TEST(StreamFill, AFewErrorsAreReportedAndTheFillGoesOn) {
  FakeTrack track(100000);
  track.errorsBeforeData = 3;
  std::vector<uint8_t> block(kStreamBlockBytes);
  testing::internal::CaptureStdout();
  const VornFillResult fill = vorn::fillStreamBlock(track, block.data(), block.size());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " ogg error: Unknown Ogg error.\n ogg error: Unknown Ogg error.\n ogg error: Unknown Ogg error.\n");
  EXPECT_EQ(fill.bytes, kStreamBlockBytes);
  EXPECT_EQ(fill.failedReads, 3);
  EXPECT_FALSE(fill.gaveUp);
}

TEST(StreamFill, EmptyOrUnseekableTracksEndTheFillInsteadOfSpinning) {
  std::vector<uint8_t> block(kStreamBlockBytes);
  FakeTrack empty(0);
  VornFillResult fill = vorn::fillStreamBlock(empty, block.data(), block.size());
  EXPECT_TRUE(fill.gaveUp);
  EXPECT_EQ(fill.bytes, 0u);
  EXPECT_LE(empty.reads, 3);

  FakeTrack stuck(1000);
  stuck.seekable = false;
  fill = vorn::fillStreamBlock(stuck, block.data(), block.size());
  EXPECT_TRUE(fill.gaveUp);
  EXPECT_EQ(fill.bytes, 1000u);  // what was decoded before the end is kept
}

TEST(StreamFill, ADecoderClaimingMoreThanItWasGivenCannotOverrunTheBlock) {
  FakeTrack liar(100000);
  liar.overclaim = true;
  std::vector<uint8_t> block(kStreamBlockBytes);
  const VornFillResult fill = vorn::fillStreamBlock(liar, block.data(), block.size());
  EXPECT_EQ(fill.bytes, kStreamBlockBytes);
  EXPECT_EQ(liar.reads, 1);
}

}  // namespace
