// Feeds arbitrary text to the flip-book list and step-file readers: every name they return
// must be a single line within the length limit, every record finite and within its count
// limit, and the steps and clips built from a file must give finite texture-matrix values.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/texture_layers.h"

namespace {

bool finite(const vorn::VornStepOp& op) {
  return std::isfinite(op.a) && std::isfinite(op.b) && std::isfinite(op.c) && std::isfinite(op.d);
}

// Checked by hand: the fuzz build compiles asserts away.
void check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorn;
  const VornFlipBookList list = parseFlipBookList(data, size);
  check(list.names.size() <= kMaxFlipBookFrames);
  for (const std::string& name : list.names) {
    check(!name.empty() && name.size() <= kMaxLayerLineChars);
    for (const char c : name) check(c != '\n' && c != '\r' && c != '\0');
  }
  VornTextureAnimation book;
  book.frames.assign(list.names.size(), 0);
  for (size_t bind = 0; bind < 3 * 10 * book.frames.size() + 1; ++bind) {
    const int slot = book.advanceFrame();
    check(book.frames.empty() ? slot == -1 : slot >= 0 && static_cast<size_t>(slot) < book.frames.size());
  }

  const VornStepFile file = parseStepFile(data, size);
  check(file.textureName.size() <= kMaxLayerLineChars);
  check(file.translations.size() <= kMaxTextureSteps && file.rotations.size() <= kMaxTextureSteps &&
        file.scales.size() <= kMaxTextureSteps && file.clips.size() <= kMaxTextureSteps);
  VornTextureAnimation a;
  a.translations = file.translations;
  a.rotations = file.rotations;
  a.scales = file.scales;
  for (const VornStepClip& clip : file.clips) {
    check(std::isfinite(clip.duration));
    a.clipStart.push_back(clip.start);
    a.clipLength.push_back(clip.length);
    a.clipDuration.push_back(clip.duration);
  }
  const size_t longest = std::max({a.translations.size(), a.rotations.size(), a.scales.size()});
  for (unsigned c = 0; c <= a.clipStart.size(); ++c) {
    a.startClip(c);
    for (const float seconds : {0.0f, 0.3f, 1.0f, 1e6f}) {
      a.update(seconds);
      const std::vector<VornStepOp> ops = a.stepOps();
      check(ops.size() <= 3 * (longest + 1));
      for (const VornStepOp& op : ops) check(finite(op));
    }
  }
  return 0;
}
