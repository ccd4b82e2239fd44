// Small synthesis toolkit shared by the sound and music generators: a seeded
// random source, RBJ biquad filters, envelopes, and the loop helpers that make
// noise textures repeat without a seam. Mono float buffers at 44.1 kHz.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// Deterministic generator (splitmix64).
class Rng {
 public:
  explicit Rng(uint64_t seed) : state(seed) {}
  uint64_t next();
  float uniform();  // [0, 1)
  float bipolar();  // [-1, 1)
 private:
  uint64_t state;
};

// Second-order filter (Robert Bristow-Johnson's cookbook forms).
class Biquad {
 public:
  static Biquad lowpass(double hz, double q);
  static Biquad highpass(double hz, double q);
  static Biquad bandpass(double hz, double q);  // 0 dB peak gain
  float process(float x);
  // Retunes a band-pass in place, keeping the state (for sweeps).
  void setBandpass(double hz, double q);

 private:
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

double midiToHz(double midi);
// Attack-decay-sustain-release amplitude at time t of a note held for `held` seconds.
float adsr(double t, double held, double attack, double decay, double sustain, double release);
// Smooth 0..1..0 bump over [0, length] (sin^2), 0 outside.
float hump(double t, double length);

// Scales so the largest magnitude is the given level in dBFS.
void normalizePeak(std::vector<float>& samples, double peakDb);
// Runs a filter over a buffer as if it repeated forever, so the result loops
// without a seam: one pass to settle the state, the second pass is kept.
template <typename Filter>
void filterPeriodic(std::vector<float>& samples, Filter& filter) {
  for (float s : samples) filter.process(s);
  for (float& s : samples) s = filter.process(s);
}
// Rotates a seamless loop so it starts at its quietest upward zero crossing:
// the first sample is >= 0, the last < 0, both near zero.
void rotateToZeroCrossing(std::vector<float>& samples);
// Adds src (scaled) into dst starting at `at`, wrapping past the end.
void mixWrapped(std::vector<float>& dst, const std::vector<float>& src, size_t at, float gain);

}  // namespace assetgen
