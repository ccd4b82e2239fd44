// Helpers of the file reader tests: little files built byte by byte with an
// explicit byte order per field, and whole files written and read back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace vorn::test {

struct Bytes {
  std::vector<uint8_t> data;
  Bytes& u8(uint32_t v) {
    data.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  Bytes& le16(uint32_t v) { return u8(v & 0xFF).u8(v >> 8); }
  Bytes& le32(uint32_t v) { return le16(v & 0xFFFF).le16(v >> 16); }
  Bytes& be16(uint32_t v) { return u8(v >> 8).u8(v & 0xFF); }
  Bytes& be32(uint32_t v) { return be16(v >> 16).be16(v & 0xFFFF); }
  // The characters without a terminating zero.
  Bytes& str(const char* s) {
    while (*s) u8(static_cast<uint8_t>(*s++));
    return *this;
  }
  Bytes& list(std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) u8(v);
    return *this;
  }
  Bytes& zeros(size_t n) {
    data.insert(data.end(), n, 0);
    return *this;
  }
  Bytes& append(const std::vector<uint8_t>& more) {
    data.insert(data.end(), more.begin(), more.end());
    return *this;
  }
  size_t size() const { return data.size(); }
};

// The whole file, or "" when it cannot be read.
inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// True when every byte reached the file.
inline bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  // fwrite must not see the null data() of an empty vector.
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace vorn::test
