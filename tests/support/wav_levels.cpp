// vorn_wav_levels <file.wav> [window-seconds]: prints the length of a WAV
// recording and the RMS level of each window in dBFS, one "start-seconds
// level-dB" line per window.
// vorn_wav_levels <file.wav> find <effect.wav> <seconds> [radius]: prints
// "match <ncc> at <seconds>", the best normalised cross-correlation of the
// effect with the recording for a start within radius (default 0.5 s) of the
// given time, so a test can tell that this very sound was mixed in there.
// The end-to-end tests read the game's captured audio output with it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound/wav_reader.h"

namespace {

bool load(const char* path, vorn::VornWav& wav) {
  // The recorder may not have written its final sizes if the game ended
  // without closing the device; the reader then keeps what is there.
  std::vector<uint8_t> bytes;
  std::string error;
  if (vorn::readSoundFileBytes(path, bytes) && vorn::parseWav(bytes.data(), bytes.size(), wav, error) &&
      wav.sampleRate > 0) {
    return true;
  }
  std::fprintf(stderr, "vorn_wav_levels: cannot read %s %s\n", path, error.c_str());
  return false;
}

// The channels summed, resampled (linearly) to `rate`.
std::vector<float> mono(const vorn::VornWav& wav, uint32_t rate, double maxSeconds) {
  const double step = double(wav.sampleRate) / rate;
  const size_t count = std::min(size_t(wav.frameCount() / step), size_t(maxSeconds * rate));
  std::vector<float> out(count);
  for (size_t i = 0; i < count; ++i) {
    const double at = i * step;
    const size_t a = size_t(at);
    const size_t b = std::min(a + 1, wav.frameCount() - 1);
    const float t = float(at - a);
    for (unsigned c = 0; c < wav.channels; ++c) out[i] += wav.sample(a, c) * (1.0f - t) + wav.sample(b, c) * t;
  }
  return out;
}

int find(const vorn::VornWav& wav, const char* effectPath, double at, double radius) {
  vorn::VornWav effectWav;
  if (!load(effectPath, effectWav)) return 1;
  constexpr double kEffectSeconds = 0.4;  // enough of the effect to know it by
  const std::vector<float> effect = mono(effectWav, wav.sampleRate, kEffectSeconds);
  double effectEnergy = 0.0;
  for (const float e : effect) effectEnergy += double(e) * e;
  const long first = std::max(0L, long((at - radius) * wav.sampleRate));
  const long last = std::min(long(wav.frameCount()) - long(effect.size()), long((at + radius) * wav.sampleRate));
  // Only the searched stretch of the recording is mixed down.
  std::vector<float> record(last >= first ? size_t(last - first) + effect.size() : 0);
  for (size_t i = 0; i < record.size(); ++i) {
    for (unsigned c = 0; c < wav.channels; ++c) record[i] += wav.sample(size_t(first) + i, c);
  }
  double best = 0.0;
  long bestLag = first;
  for (long lag = first; lag <= last && effectEnergy > 0.0; ++lag) {
    double dot = 0.0, energy = 0.0;
    for (size_t i = 0; i < effect.size(); ++i) {
      const double r = record[size_t(lag - first) + i];
      dot += r * effect[i];
      energy += r * r;
    }
    const double ncc = energy > 0.0 ? dot / std::sqrt(energy * effectEnergy) : 0.0;
    if (ncc > best) best = ncc, bestLag = lag;
  }
  std::printf("match %.3f at %.3f\n", best, double(bestLag) / wav.sampleRate);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vorn_wav_levels <file.wav> [window-seconds | find <effect.wav> <s> [radius]]\n");
    return 2;
  }
  vorn::VornWav wav;
  if (!load(argv[1], wav)) return 1;
  if (argc > 4 && std::strcmp(argv[2], "find") == 0) {
    return find(wav, argv[3], std::atof(argv[4]), argc > 5 ? std::atof(argv[5]) : 0.5);
  }
  const double window = argc > 2 ? std::atof(argv[2]) : 0.5;
  if (window <= 0.0) return 2;
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
