// Helpers shared by the sound tests: scratch folders, a private err.txt,
// generated tones, and the generated data root.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/error_log.h"

namespace vorn_test {

// A fresh folder below /tmp, unique per process, removed when the test exits.
inline std::string scratchDir(const char* tag) {
  static std::vector<std::string> made;
  if (made.empty()) {
    std::atexit([] {
      std::error_code ignored;
      for (const std::string& dir : made) std::filesystem::remove_all(dir, ignored);
    });
  }
  std::string pattern = std::string("/tmp/vorn_") + tag + "_XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) return "/tmp";
  made.emplace_back(buffer.data());
  return made.back();
}

inline std::string readText(const std::string& path) {
  std::string text;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) text.append(block, n);
    std::fclose(f);
  }
  return text;
}

inline void writeBytes(const std::string& path, const void* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
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
