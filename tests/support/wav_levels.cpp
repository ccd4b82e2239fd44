// vorn_wav_levels <file.wav> [window-seconds]: prints the length of a WAV
// recording and the RMS level of each window in dBFS, one "start-seconds
// level-dB" line per window. The end-to-end tests read the game's captured
// audio output with it.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/wav_reader.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vorn_wav_levels <file.wav> [window-seconds]\n");
    return 2;
  }
  const double window = argc > 2 ? std::atof(argv[2]) : 0.5;
  // The recorder may not have written its final sizes if the game ended
  // without closing the device; the reader then keeps what is there.
  std::vector<uint8_t> bytes;
  vorn::VornWav wav;
  std::string error;
  if (!vorn::readSoundFileBytes(argv[1], bytes) || !vorn::parseWav(bytes.data(), bytes.size(), wav, error) ||
      wav.sampleRate == 0 || window <= 0.0) {
    std::fprintf(stderr, "vorn_wav_levels: cannot read %s %s\n", argv[1], error.c_str());
    return 1;
  }
  std::printf("length %.3f\n", wav.seconds());
  const size_t frames = static_cast<size_t>(window * wav.sampleRate);
  for (size_t start = 0; frames > 0 && start + frames <= wav.frameCount(); start += frames) {
    double energy = 0.0;
    for (size_t i = start; i < start + frames; ++i) {
      for (unsigned c = 0; c < wav.channels; ++c) {
        const double s = wav.sample(i, c);
        energy += s * s;
      }
    }
    const double rms = std::sqrt(energy / (double(frames) * wav.channels));
    const double db = rms > 0.0 ? 20.0 * std::log10(rms) : -200.0;
    std::printf("%.3f %.1f\n", double(start) / wav.sampleRate, db);
  }
  return 0;
}
