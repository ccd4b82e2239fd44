// Feeds arbitrary text through the readers of a model's two side files: the
// ".ani" clip list and the ".mat" overlay list. Neither may read outside its
// input, and every overlay they return must name one of the given materials.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "assets/model_build.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<vorn::VornClip> clips = vorn::parseClips(text);
  for (const vorn::VornClip& clip : clips) {
    // Checked by hand: the fuzz build compiles asserts away.
    if (clip.duration != clip.duration) __builtin_trap();  // never NaN
  }

  vorn::VornMaterialList materials;
  for (const char* name : {"Hide", "Bark", "H", ""}) {
    auto m = std::make_unique<vorn::VornMaterial>();
    m->name = name;
    materials.push_back(std::move(m));
  }
  for (const vorn::VornOverlayRequest& overlay : vorn::parseOverlays(text, materials)) {
    bool known = false;
    for (const auto& m : materials) known = known || m.get() == overlay.material;
    if (!known) __builtin_trap();
  }
  return 0;
}
