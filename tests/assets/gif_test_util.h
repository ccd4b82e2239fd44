// Building GIF87a files code by code for the reader tests: the codes are
// packed with the width schedule a decoder follows.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/image_test_util.h"

namespace vorn::test {

class GifCodes {
 public:
  explicit GifCodes(uint32_t minCodeSize) : minCodeSize_(minCodeSize) { restart(); }

  uint32_t clearCode() const { return 1u << minCodeSize_; }
  uint32_t endCode() const { return clearCode() + 1; }

  // Appends a code at the current width, then advances the table the way
  // the decoder does (no entry for the first code after a clear).
  void code(uint32_t c) {
    buffer_ |= uint64_t{c} << bits_;
    bits_ += width_;
    while (bits_ >= 8) {
      data_.push_back(static_cast<uint8_t>(buffer_));
      buffer_ >>= 8;
      bits_ -= 8;
    }
    if (c == clearCode()) {
      restart();
      return;
    }
    if (c == endCode()) return;
    if (havePrevious_ && next_ < 4096) {
      ++next_;
      if (next_ == (1u << width_) && width_ < 12) ++width_;
    }
    havePrevious_ = true;
  }

  // The data sub-blocks, ending with the zero-length block.
  std::vector<uint8_t> blocks() const {
    std::vector<uint8_t> all = data_;
    if (bits_ > 0) all.push_back(static_cast<uint8_t>(buffer_));
    std::vector<uint8_t> out;
    for (size_t at = 0; at < all.size(); at += 255) {
      const size_t n = all.size() - at < 255 ? all.size() - at : 255;
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), all.begin() + static_cast<long>(at), all.begin() + static_cast<long>(at + n));
    }
    out.push_back(0);
    return out;
  }

 private:
  void restart() {
    width_ = minCodeSize_ + 1;
    next_ = clearCode() + 2;
    havePrevious_ = false;
  }

  uint32_t minCodeSize_;
  uint32_t width_ = 0;
  uint32_t next_ = 0;
  bool havePrevious_ = false;
  uint64_t buffer_ = 0;
  uint32_t bits_ = 0;
  std::vector<uint8_t> data_;
};

// "GIF87a", a screen descriptor with an optional global table of 4 entries
// (index i = (i*10, i*10+1, i*10+2)), the image separator and descriptor.
inline Bytes gifHead(uint32_t width, uint32_t height, bool globalTable, uint32_t imagePacked = 0,
                     const char* signature = "GIF87a") {
  Bytes b;
  b.str(signature).le16(width).le16(height).u8(globalTable ? 0x81 : 0).u8(0).u8(0);
  if (globalTable)
    for (uint32_t i = 0; i < 4; ++i) b.list({i * 10, i * 10 + 1, i * 10 + 2});
  b.u8(',').le16(0).le16(0).le16(width).le16(height).u8(imagePacked);
  return b;
}

inline Bytes& appendCodes(Bytes& b, uint32_t minCodeSize, const GifCodes& codes) {
  b.u8(minCodeSize);
  const auto blocks = codes.blocks();
  b.data.insert(b.data.end(), blocks.begin(), blocks.end());
  b.u8(';');
  return b;
}

}  // namespace vorn::test
