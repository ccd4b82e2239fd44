#include "assetgen/synth.h"

#include <cmath>

namespace assetgen {

uint64_t Rng::next() {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
float Rng::uniform() { return float(next() >> 40) / float(1u << 24); }
float Rng::bipolar() { return uniform() * 2.0f - 1.0f; }

namespace {

struct Coefficients {
  double b0, b1, b2, a0, a1, a2;
};

Coefficients rbj(int kind, double hz, double q) {
  const double w = kTwoPi * hz / kSampleRate;
  const double cw = std::cos(w), alpha = std::sin(w) / (2.0 * q);
  switch (kind) {
    case 0: return {(1 - cw) / 2, 1 - cw, (1 - cw) / 2, 1 + alpha, -2 * cw, 1 - alpha};
    case 1: return {(1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha};
    default: return {alpha, 0, -alpha, 1 + alpha, -2 * cw, 1 - alpha};
  }
}

}  // namespace

Biquad Biquad::lowpass(double hz, double q) {
  Biquad f;
  const Coefficients c = rbj(0, hz, q);
  f.b0 = c.b0 / c.a0; f.b1 = c.b1 / c.a0; f.b2 = c.b2 / c.a0; f.a1 = c.a1 / c.a0; f.a2 = c.a2 / c.a0;
  return f;
}
Biquad Biquad::highpass(double hz, double q) {
  Biquad f;
  const Coefficients c = rbj(1, hz, q);
  f.b0 = c.b0 / c.a0; f.b1 = c.b1 / c.a0; f.b2 = c.b2 / c.a0; f.a1 = c.a1 / c.a0; f.a2 = c.a2 / c.a0;
  return f;
}
Biquad Biquad::bandpass(double hz, double q) {
  Biquad f;
  f.setBandpass(hz, q);
  return f;
}
void Biquad::setBandpass(double hz, double q) {
  const Coefficients c = rbj(2, hz, q);
  b0 = c.b0 / c.a0; b1 = c.b1 / c.a0; b2 = c.b2 / c.a0; a1 = c.a1 / c.a0; a2 = c.a2 / c.a0;
}
float Biquad::process(float x) {
  const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
  x2 = x1; x1 = x; y2 = y1; y1 = y;
  return float(y);
}

double midiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

float adsr(double t, double held, double attack, double decay, double sustain, double release) {
  if (t < 0) return 0.0f;
  auto level = [&](double u) {
    if (u < attack) return u / attack;
    if (u < attack + decay) return 1.0 - (1.0 - sustain) * (u - attack) / decay;
    return sustain;
  };
  if (t < held) return float(level(t));
  const double r = (t - held) / release;
  return r >= 1.0 ? 0.0f : float(level(held) * (1.0 - r));
}

float hump(double t, double length) {
  if (t <= 0 || t >= length) return 0.0f;
  const double s = std::sin(kPi * t / length);
  return float(s * s);
}

void normalizePeak(std::vector<float>& samples, double peakDb) {
  float peak = 0.0f;
  for (float s : samples) peak = std::fmax(peak, std::fabs(s));
  if (peak <= 0.0f) return;
  const float scale = float(std::pow(10.0, peakDb / 20.0)) / peak;
  for (float& s : samples) s *= scale;
}

void rotateToZeroCrossing(std::vector<float>& samples) {
  const size_t n = samples.size();
  if (n < 2) return;
  size_t best = 0;
  float bestCost = 1e30f;
  for (size_t i = 0; i < n; ++i) {
    const float before = samples[(i + n - 1) % n], here = samples[i];
    if (before < 0.0f && here >= 0.0f) {
      const float cost = here - before;
      if (cost < bestCost) {
        bestCost = cost;
        best = i;
      }
    }
  }
  std::vector<float> rotated(n);
  for (size_t i = 0; i < n; ++i) rotated[i] = samples[(best + i) % n];
  samples.swap(rotated);
}

void mixWrapped(std::vector<float>& dst, const std::vector<float>& src, size_t at, float gain) {
  const size_t n = dst.size();
  if (n == 0) return;
  for (size_t i = 0; i < src.size(); ++i) dst[(at + i) % n] += src[i] * gain;
}

}  // namespace assetgen
