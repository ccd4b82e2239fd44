// Feeds arbitrary bytes to the effects' WAV decoder: it must fail cleanly or
// return a whole number of frames that all lie inside the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sound/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vorn::VornWav wav;
  std::string error;
  if (vorn::parseWav(data, size, wav, error)) {
    // Checked by hand: the fuzz build compiles asserts away.
    if (wav.frameBytes() == 0 || wav.pcm.size() % wav.frameBytes() != 0) __builtin_trap();
    if (wav.pcm.size() > size) __builtin_trap();
    float sum = 0.0f;
    for (size_t i = 0; i < wav.frameCount(); ++i) sum += wav.sample(i, wav.channels - 1u);
    (void)sum;
  } else {
    if (error.empty() || !wav.pcm.empty()) __builtin_trap();
  }
  return 0;
}
