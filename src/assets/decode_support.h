// Shared tools of the image readers: a bounds-checked cursor over the file's
// bytes (every read reports whether the bytes were there, so a truncated
// file is a failed read, never a read past the buffer), the size check that
// every reader applies before it allocates, and printf-style detail lines.
// Cost: inline byte access; nothing allocates except formatDetail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/image.h"

namespace vorn {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  size_t position() const { return pos_; }
  size_t size() const { return size_; }
  size_t remaining() const { return size_ - pos_; }

  bool u8(uint8_t& v) {
    if (remaining() < 1) return false;
    v = data_[pos_++];
    return true;
  }
  bool le16(uint16_t& v) {
    if (remaining() < 2) return false;
    v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool le32(uint32_t& v) {
    if (remaining() < 4) return false;
    v = uint32_t{data_[pos_]} | (uint32_t{data_[pos_ + 1]} << 8) | (uint32_t{data_[pos_ + 2]} << 16) |
        (uint32_t{data_[pos_ + 3]} << 24);
    pos_ += 4;
    return true;
  }
  bool be16(uint16_t& v) {
    if (remaining() < 2) return false;
    v = static_cast<uint16_t>((data_[pos_] << 8) | data_[pos_ + 1]);
    pos_ += 2;
    return true;
  }
  bool be32(uint32_t& v) {
    if (remaining() < 4) return false;
    v = (uint32_t{data_[pos_]} << 24) | (uint32_t{data_[pos_ + 1]} << 16) | (uint32_t{data_[pos_ + 2]} << 8) |
        uint32_t{data_[pos_ + 3]};
    pos_ += 4;
    return true;
  }
  bool skip(size_t n) {
    if (remaining() < n) return false;
    pos_ += n;
    return true;
  }
  bool seek(size_t at) {
    if (at > size_) return false;
    pos_ = at;
    return true;
  }
  // The next n bytes, or null (and no move) when fewer are left.
  const uint8_t* take(size_t n) {
    if (remaining() < n) return nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A detail line formatted like printf (the format carries its "\t" and "\n").
std::string formatDetail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// True when width and height are both in 1..limits.maxDimension; otherwise
// sets the detail "\timage size not supported: <w> x <h>\n".
bool checkImageSize(int64_t width, int64_t height, const ImageLimits& limits, std::string& detail);

// The detail of a file that ends before the data its header promises.
std::string truncatedDetail(const std::string& name);

}  // namespace vorn
