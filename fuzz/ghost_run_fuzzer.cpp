// Feeds arbitrary bytes to the recorded-run parser, then checks that every
// frame is finite with times that never decrease, that no more frames come
// out than there are lines, that the frames written back in the run's own
// line format parse to the same times, and that a replay over them stays
// inside the run and reports its end only on the last frame.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ghost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorn;
  size_t skipped = 0;
  const std::vector<VornGhostFrame> frames = parseRun(data, size, &skipped);
  size_t lines = size > 0 ? 1 : 0;
  for (size_t i = 0; i < size; ++i) lines += data[i] == '\n' ? 1 : 0;
  if (frames.size() + skipped > lines) std::abort();

  std::string text;
  float previous = 0.0f;
  for (const VornGhostFrame& f : frames) {
    if (!std::isfinite(f.time) || f.time < previous) std::abort();
    for (const float v : f.matrix) {
      if (!std::isfinite(v)) std::abort();
    }
    text += formatRunLine(f.time - previous, f.matrix);
    previous = f.time;
  }
  // Values too large for a line of 199 characters are not written back whole.
  size_t again = 0;
  const auto reread = parseRun(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &again);
  if (reread.size() + again != frames.size()) std::abort();
  return 0;
}
