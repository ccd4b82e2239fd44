// ByteReader: a bounds-checked cursor over a file held in memory, for the
// terrain's map readers. Every read reports whether the bytes were there;
// nothing ever reads outside [data, data + size).
//
// Units: bytes; explicit byte order per call (SGI fields are big-endian, BMP
// fields little-endian). Cost: a compare and a few shifts per read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorn {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t position() const { return pos_; }
  size_t size() const { return size_; }
  size_t remaining() const { return size_ - pos_; }

  // Moves to an absolute offset; false (cursor unchanged) past the end.
  bool seek(size_t offset) {
    if (offset > size_) return false;
    pos_ = offset;
    return true;
  }
  bool skip(size_t count) {
    if (count > remaining()) return false;
    pos_ += count;
    return true;
  }
  bool u8(uint8_t& v) {
    if (remaining() < 1) return false;
    v = data_[pos_++];
    return true;
  }
  bool u16be(uint16_t& v) {
    if (remaining() < 2) return false;
    v = static_cast<uint16_t>((data_[pos_] << 8) | data_[pos_ + 1]);
    pos_ += 2;
    return true;
  }
  bool u32be(uint32_t& v) {
    if (remaining() < 4) return false;
    v = (uint32_t{data_[pos_]} << 24) | (uint32_t{data_[pos_ + 1]} << 16) |
        (uint32_t{data_[pos_ + 2]} << 8) | uint32_t{data_[pos_ + 3]};
    pos_ += 4;
    return true;
  }
  bool u16le(uint16_t& v) {
    if (remaining() < 2) return false;
    v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool u32le(uint32_t& v) {
    if (remaining() < 4) return false;
    v = uint32_t{data_[pos_]} | (uint32_t{data_[pos_ + 1]} << 8) | (uint32_t{data_[pos_ + 2]} << 16) |
        (uint32_t{data_[pos_ + 3]} << 24);
    pos_ += 4;
    return true;
  }
  // Pointer to `count` bytes at the cursor, advancing past them; null when
  // fewer remain.
  const uint8_t* take(size_t count) {
    if (count > remaining()) return nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += count;
    return p;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace vorn
