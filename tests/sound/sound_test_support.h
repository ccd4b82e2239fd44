// Helpers of the sound tests: scratch folders, a private err.txt, the data root
// and, for the binaries on a device, source queries (files: support/test_bytes.h).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/error_log.h"
#include "support/test_bytes.h"

#ifdef VORN_TEST_AUDIO_DEVICE
#include <AL/al.h>
#endif

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

// Points err.txt at a file of its own and returns its path.
inline std::string privateErrorLog(const std::string& dir) {
  const std::string path = dir + "/err.txt";
  std::remove(path.c_str());
  vorn::setErrorLogPath(path);
  return path;
}

inline std::string dataRoot() { return VORN_TEST_DATA_ROOT; }

#ifdef VORN_TEST_AUDIO_DEVICE
// What the device itself holds for a source; -1 when it refuses the query.
inline ALint sourceInt(ALuint source, ALenum what) {
  ALint v = -1;
  alGetSourcei(source, what, &v);
  return v;
}
inline float sourceFloat(ALuint source, ALenum what) {
  float v = -1.0f;
  alGetSourcef(source, what, &v);
  return v;
}
#endif

}  // namespace vorn_test
