// Helpers of the sound tests: scratch folders, a private err.txt, sine tones
// and the generated data root. Files go through support/test_bytes.h.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/error_log.h"
#include "support/test_bytes.h"

namespace vorn_test {

using vorn::test::readText;
using vorn::test::writeBytes;

// A fresh folder below /tmp, removed when the test binary exits.
inline std::string scratchDir(const char* tag) {
  static std::vector<std::string> made;
  if (made.empty()) {
    std::atexit([] {
      std::error_code ignored;
      for (const std::string& dir : made) std::filesystem::remove_all(dir, ignored);
    });
  }
  std::string pattern = std::string("/tmp/vorn_") + tag + "_XXXXXX";
  if (!mkdtemp(pattern.data())) return "/tmp";
  made.push_back(pattern);
  return pattern;
}

inline size_t countOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// Points err.txt at a file of its own and returns its path.
inline std::string privateErrorLog(const std::string& dir) {
  const std::string path = dir + "/err.txt";
  std::remove(path.c_str());
  vorn::setErrorLogPath(path);
  return path;
}

// A sine tone of the given length and peak (0..1), mono.
inline std::vector<float> tone(double hz, double seconds, float peak, int rate = 44100) {
  std::vector<float> samples(size_t(seconds * rate));
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = peak * float(std::sin(2.0 * 3.14159265358979 * hz * double(i) / rate));
  return samples;
}

inline std::string dataRoot() { return VORN_TEST_DATA_ROOT; }

}  // namespace vorn_test
