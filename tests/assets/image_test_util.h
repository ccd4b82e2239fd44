// Helpers of the image tests: reading back err.txt and comparing a decoded
// image with expected pixels (little files are built with support/test_bytes.h).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/error_log.h"
#include "assets/image.h"
#include "support/test_bytes.h"

namespace vorn::test {

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

// Runs one of the readers' decode functions (bytes, size, name, image, detail)
// on a little file that must decode, and returns the image.
template <typename Decode>
VornImage decodeOk(Decode decode, const Bytes& b, const std::string& name) {
  VornImage image;
  std::string detail;
  EXPECT_TRUE(decode(b.data.data(), b.size(), name, image, detail)) << detail;
  return image;
}

// The same for a file that must be refused: no pixels, and the detail line.
template <typename Decode>
std::string decodeFails(Decode decode, const Bytes& b, const std::string& name) {
  VornImage image;
  std::string detail;
  EXPECT_FALSE(decode(b.data.data(), b.size(), name, image, detail));
  EXPECT_TRUE(image.pixels.empty());
  return detail;
}

inline std::vector<uint8_t> rgb(uint8_t r, uint8_t g, uint8_t b) { return {r, g, b}; }
inline std::vector<uint8_t> rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return {r, g, b, a}; }

}  // namespace vorn::test
