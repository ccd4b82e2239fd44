// Helpers of the image tests: building little files byte by byte, reading
// back err.txt, and comparing a decoded image with expected pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "app/error_log.h"
#include "assets/image.h"

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
  size_t size() const { return data.size(); }
};

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Points err.txt at a fresh temporary file for the test's lifetime.
class ErrLogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir();
    errPath_ = dir_ + "vorn_assets_err_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::remove(errPath_.c_str());
    setErrorLogPath(errPath_);
  }
  void TearDown() override {
    setErrorLogPath("err.txt");
    std::remove(errPath_.c_str());
  }
  std::string errLog() const { return readText(errPath_); }
  std::string tempPath(const std::string& name) const { return dir_ + name; }

  std::string dir_;
  std::string errPath_;
};

// Pixel (x, y) of a decoded image, y counted from the BOTTOM row (the
// image's own order), as a byte vector of bytesPerPixel entries.
inline std::vector<uint8_t> pixelAt(const VornImage& image, uint32_t x, uint32_t y) {
  const uint32_t bpp = image.bytesPerPixel();
  const size_t at = (size_t{y} * image.width + x) * bpp;
  return std::vector<uint8_t>(image.pixels.begin() + static_cast<long>(at),
                              image.pixels.begin() + static_cast<long>(at + bpp));
}

inline std::vector<uint8_t> rgb(uint8_t r, uint8_t g, uint8_t b) { return {r, g, b}; }
inline std::vector<uint8_t> rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return {r, g, b, a}; }

}  // namespace vorn::test
