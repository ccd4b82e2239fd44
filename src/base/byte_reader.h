// ByteReader: the bounds-checked cursor over an in-memory file that every file reader shares.
// Units: bytes; explicit byte order per call. Cost: inline, a compare and a few shifts per read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorn {

// Decode bytes the caller has already bounded.
inline uint16_t loadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t loadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline uint16_t loadBe16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t loadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// Every read reports whether the bytes were there, so a truncated file is a
// failed read, never a read outside [data, data + size); a failed read leaves
// the cursor where it was. Nothing allocates.
class ByteReader {
 public:
  // A null buffer reads as an empty one whatever size is given.
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  size_t position() const { return pos_; }
  size_t size() const { return size_; }
  size_t remaining() const { return size_ - pos_; }

  bool u8(uint8_t& v) {
    if (remaining() < 1) return false;
    v = data_[pos_++];
    return true;
  }
  bool le16(uint16_t& v) { return fixed(v, loadLe16); }
  bool le32(uint32_t& v) { return fixed(v, loadLe32); }
  bool be16(uint16_t& v) { return fixed(v, loadBe16); }
  bool be32(uint32_t& v) { return fixed(v, loadBe32); }

  bool skip(size_t n) {
    if (remaining() < n) return false;
    pos_ += n;
    return true;
  }
  // Moves to an absolute offset; false (cursor unchanged) past the end.
  bool seek(size_t at) {
    if (at > size_) return false;
    pos_ = at;
    return true;
  }
  // The next n bytes without moving, or null when fewer are left.
  const uint8_t* peek(size_t n) const { return remaining() < n ? nullptr : data_ + pos_; }
  // The next n bytes, or null (and no move) when fewer are left.
  const uint8_t* take(size_t n) {
    const uint8_t* p = peek(n);
    if (p) pos_ += n;
    return p;
  }

 private:
  template <typename T>
  bool fixed(T& v, T (*load)(const uint8_t*)) {
    if (remaining() < sizeof(T)) return false;
    v = load(data_ + pos_);
    pos_ += sizeof(T);
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace vorn
