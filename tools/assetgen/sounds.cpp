// Effect recipes. Every effect is built from a few layers (noise through
// filters, additive tones, formant filters for the voice), shaped by
// envelopes; each one has its own fixed seed.
#include "assetgen/sounds.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "assetgen/generator.h"
#include "assetgen/synth.h"
#include "assetgen/wav_writer.h"

namespace assetgen {
namespace {

size_t samplesFor(double seconds) { return size_t(seconds * kSampleRate + 0.5); }

// Looping white noise of n samples through the given filters in turn.
std::vector<float> filteredNoise(Rng& rng, size_t n, std::initializer_list<Biquad> filters) {
  std::vector<float> out(n);
  for (float& s : out) s = rng.bipolar();
  for (Biquad filter : filters) filterPeriodic(out, filter);
  return out;
}

// Additive tone with harmonics falling as 1/k^tilt, phase carried by the caller.
float harmonicTone(double& phase, double hz, int harmonics, double tilt) {
  phase += hz / kSampleRate;
  phase -= std::floor(phase);
  double sum = 0.0;
  for (int k = 1; k <= harmonics; ++k) {
    if (hz * k > 16000.0) break;
    sum += std::sin(kTwoPi * phase * k) / std::pow(k, tilt);
  }
  return float(sum);
}

// Inhaled snore with its rattling soft palate, a pause, a breathy exhale, a rest.
std::vector<float> snore() {
  Rng rng(101);
  std::vector<float> out(samplesFor(3.2));
  Biquad breath = Biquad::lowpass(700.0, 0.7), nasal = Biquad::bandpass(480.0, 2.5);
  Biquad exhale = Biquad::bandpass(900.0, 0.8), exhaleLow = Biquad::lowpass(2200.0, 0.7);
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    const float inEnv = hump(t - 0.05, 1.35);
    const float outEnv = hump(t - 1.65, 1.05);
    const double flutter = 0.5 + 0.5 * std::sin(kTwoPi * (27.0 + 3.0 * std::sin(kTwoPi * 0.7 * t)) * t);
    const float rattle = float(flutter * flutter * flutter);
    const float noise = rng.bipolar();
    const float pitched = harmonicTone(phase, 78.0 + 10.0 * inEnv, 14, 1.2);
    const float in = nasal.process(breath.process(noise) * 2.5f * rattle + pitched * 0.35f * rattle) * 2.0f +
                     pitched * 0.12f * rattle;
    const float ex = exhaleLow.process(exhale.process(noise)) * 0.45f;
    out[i] = in * inEnv + ex * outEnv;
  }
  // The rattle makes sharp peaks; rounding them off lets the snore sit as
  // loud as the other loops at the same peak level.
  normalizePeak(out, 0.0);
  for (float& s : out) s = std::tanh(2.5f * s);
  return out;
}

// Two brassy tones a major third apart, slightly overdriven, as a horn honks.
std::vector<float> horn() {
  std::vector<float> out(samplesFor(0.95));
  Biquad body = Biquad::lowpass(2600.0, 0.9);
  double phaseA = 0.0, phaseB = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    const double bend = 1.0 - 0.04 * std::exp(-t / 0.03);
    const float env = adsr(t, 0.8, 0.02, 0.1, 0.85, 0.12);
    const float tone = harmonicTone(phaseA, 370.0 * bend, 18, 0.9) + harmonicTone(phaseB, 466.2 * bend, 18, 0.9);
    out[i] = body.process(std::tanh(tone * 0.9f)) * env;
  }
  return out;
}

// A bell-like note: sine, octave and a quickly fading inharmonic partial.
void addBell(std::vector<float>& out, double start, double midi, double length, float gain) {
  const double hz = midiToHz(midi);
  const size_t from = samplesFor(start), count = samplesFor(length);
  for (size_t i = 0; i < count && from + i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    const double attack = t < 0.004 ? t / 0.004 : 1.0;
    const double body = std::exp(-t / (length * 0.35));
    const double v = std::sin(kTwoPi * hz * t) + 0.35 * std::sin(kTwoPi * 2.0 * hz * t) * std::exp(-t / 0.25) +
                     0.25 * std::sin(kTwoPi * 2.76 * hz * t) * std::exp(-t / 0.06);
    const double tail = t > length - 0.02 ? (length - t) / 0.02 : 1.0;
    out[from + i] += float(v * attack * body * tail) * gain;
  }
}

// Rising major arpeggio into a held chord: you made it.
std::vector<float> win() {
  std::vector<float> out(samplesFor(1.7));
  const double notes[] = {72, 76, 79, 84};
  for (int k = 0; k < 4; ++k) addBell(out, 0.11 * k, notes[k], 0.5, 0.6f);
  for (double m : {79.0, 84.0, 88.0}) addBell(out, 0.46, m, 1.22, 0.45f);
  return out;
}

// A brass note with a filter that opens at its start, the "wah" of a trombone.
void addWah(std::vector<float>& out, double& phase, Biquad& filter, double start, double length,
            double midi, double vibrato, float gain) {
  const size_t from = samplesFor(start), count = samplesFor(length);
  for (size_t i = 0; i < count && from + i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    const double vib = 1.0 + vibrato * std::sin(kTwoPi * 5.5 * t) * std::fmin(1.0, t / 0.3);
    const double cutoff = 300.0 + 1400.0 * (1.0 - std::exp(-t / 0.08)) * std::exp(-t / (length * 1.5));
    filter.setBandpass(cutoff, 0.9);
    const float env = adsr(t, length - 0.06, 0.03, 0.1, 0.8, 0.06);
    out[from + i] += filter.process(std::tanh(harmonicTone(phase, midiToHz(midi) * vib, 20, 0.8))) * env * gain;
  }
}

// Four falling brass notes, the last one wobbling: the race is lost.
std::vector<float> lose() {
  std::vector<float> out(samplesFor(2.1));
  double phase = 0.0;
  Biquad filter = Biquad::bandpass(600.0, 0.9);
  const double notes[] = {67, 66, 65};
  for (int k = 0; k < 3; ++k) addWah(out, phase, filter, 0.38 * k, 0.36, notes[k], 0.0, 1.0f);
  addWah(out, phase, filter, 1.14, 0.94, 64, 0.012, 1.0f);
  return out;
}

// Soft mallet notes falling through a minor chord, ending low: out of the race.
std::vector<float> lost() {
  std::vector<float> out(samplesFor(1.3));
  const double notes[] = {76, 72, 69, 57};
  const double lengths[] = {0.3, 0.3, 0.3, 0.75};
  for (int k = 0; k < 4; ++k) addBell(out, 0.17 * k, notes[k], lengths[k], k == 3 ? 0.8f : 0.55f);
  return out;
}

// Start signal: two short low beeps and a long high one.
std::vector<float> start() {
  std::vector<float> out(samplesFor(1.25));
  const struct { double at, length, hz; } beeps[] = {{0.0, 0.16, 660.0}, {0.32, 0.16, 660.0}, {0.64, 0.55, 1320.0}};
  for (const auto& b : beeps) {
    const size_t from = samplesFor(b.at), count = samplesFor(b.length);
    for (size_t i = 0; i < count && from + i < out.size(); ++i) {
      const double t = double(i) / kSampleRate;
      const float env = adsr(t, b.length - 0.03, 0.005, 0.05, 0.8, 0.03);
      const double v = std::sin(kTwoPi * b.hz * t) + 0.2 * std::sin(kTwoPi * 2.0 * b.hz * t) +
                       0.08 * std::sin(kTwoPi * 3.0 * b.hz * t);
      out[from + i] += float(v) * env;
    }
  }
  return out;
}

// A burst of air, then buzzing lips that sag in pitch: a raspberry.
std::vector<float> pfferp() {
  Rng rng(808);
  std::vector<float> out(samplesFor(0.75));
  Biquad puff = Biquad::bandpass(1800.0, 0.8), lips = Biquad::lowpass(1100.0, 1.2);
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    const float puffEnv = hump(t, 0.16);
    const double u = t - 0.12;
    float buzz = 0.0f;
    if (u > 0.0 && u < 0.6) {
      const double hz = 120.0 - 55.0 * (u / 0.6) + 6.0 * rng.bipolar();
      phase += hz / kSampleRate;
      phase -= std::floor(phase);
      const double pulse = phase < 0.35 ? std::sin(kPi * phase / 0.35) : 0.0;
      const float env = adsr(u, 0.54, 0.02, 0.1, 0.85, 0.05);
      buzz = lips.process(float(pulse * 2.0 - 0.7) + 0.15f * rng.bipolar()) * env;
    }
    out[i] = puff.process(rng.bipolar()) * puffEnv * 0.9f + buzz;
  }
  return out;
}

// A shout: breathy "h", then "e" gliding through "y" into a falling "a".
std::vector<float> heya() {
  Rng rng(4242);
  const double length = 0.72;
  std::vector<float> out(samplesFor(length));
  Biquad f1 = Biquad::bandpass(500, 6), f2 = Biquad::bandpass(1800, 8), f3 = Biquad::bandpass(2500, 9);
  double phase = 0.0;
  // Formant targets over time: (time, F1, F2, F3).
  const double track[][4] = {{0.00, 530, 1840, 2480}, {0.22, 530, 1840, 2480}, {0.29, 280, 2250, 3000},
                             {0.37, 730, 1100, 2450}, {0.72, 700, 1100, 2450}};
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    int seg = 0;
    while (seg < 3 && t > track[seg + 1][0]) ++seg;
    const double w = std::fmin(1.0, (t - track[seg][0]) / (track[seg + 1][0] - track[seg][0]));
    double f[3];
    for (int k = 0; k < 3; ++k) f[k] = track[seg][k + 1] + (track[seg + 1][k + 1] - track[seg][k + 1]) * w;
    if (i % 32 == 0) {
      f1.setBandpass(f[0], 6);
      f2.setBandpass(f[1], 8);
      f3.setBandpass(f[2], 10);
    }
    const double pitch = t < 0.3 ? 210.0 + 90.0 * (t / 0.3) : 300.0 - 110.0 * ((t - 0.3) / (length - 0.3));
    const float voiced = harmonicTone(phase, pitch * (1.0 + 0.01 * rng.bipolar()), 40, 1.0);
    const float voicing = t < 0.07 ? float(t / 0.07) : 1.0f;
    const float source = voiced * voicing * 0.5f + rng.bipolar() * (0.25f + 0.6f * (1.0f - voicing));
    const float env = adsr(t, length - 0.12, 0.04, 0.2, 0.8, 0.12);
    out[i] = (f1.process(source) * 1.0f + f2.process(source) * 0.6f + f3.process(source) * 0.3f) * env;
  }
  return out;
}

// Take-off: a rising whoosh with a springy upward blip.
std::vector<float> jump() {
  Rng rng(77);
  std::vector<float> out(samplesFor(0.55));
  Biquad sweep = Biquad::bandpass(400, 2.0);
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    if (i % 16 == 0) sweep.setBandpass(400.0 + 2600.0 * (t / 0.55), 2.0);
    const float whoosh = sweep.process(rng.bipolar()) * hump(t, 0.55);
    phase += (180.0 + 700.0 * t / 0.25) / kSampleRate;
    const float blip = float(std::sin(kTwoPi * phase) * std::exp(-t / 0.09)) * (t < 0.005 ? float(t / 0.005) : 1.0f);
    out[i] = whoosh * 1.6f + blip * 0.7f;
  }
  return out;
}

// Seamless noise textures for the ground loops. Grains (short filtered noise
// bursts) are placed around the loop, wrapping at its end.
void addGrains(std::vector<float>& out, Rng& rng, int count, double hzLow, double hzHigh,
               double minMs, double maxMs, float gain) {
  for (int g = 0; g < count; ++g) {
    const size_t at = size_t(rng.uniform() * float(out.size()));
    const double ms = minMs + (maxMs - minMs) * rng.uniform();
    Biquad band = Biquad::bandpass(hzLow + (hzHigh - hzLow) * rng.uniform(), 1.5);
    std::vector<float> grain(samplesFor(ms / 1000.0));
    const float amp = gain * (0.3f + 0.7f * rng.uniform());
    for (size_t i = 0; i < grain.size(); ++i) {
      const double t = double(i) / double(grain.size());
      grain[i] = band.process(rng.bipolar()) * float(std::exp(-5.0 * t) * std::fmin(1.0, t * 20.0));
    }
    mixWrapped(out, grain, at, amp);
  }
}

// Whole cycles of a slow swell across the loop keep the texture alive and seamless.
float swell(size_t i, size_t n, int cycles, float depth) {
  return 1.0f - depth * 0.5f * float(1.0 - std::cos(kTwoPi * cycles * double(i) / double(n)));
}

// Runners through grass: a brushy hiss with snapping blades.
std::vector<float> grass() {
  Rng rng(31);
  std::vector<float> out =
      filteredNoise(rng, samplesFor(2.0), {Biquad::bandpass(3200.0, 0.6), Biquad::lowpass(7000.0, 0.7)});
  for (size_t i = 0; i < out.size(); ++i) out[i] *= 0.8f * swell(i, out.size(), 5, 0.5f);
  addGrains(out, rng, 260, 1500.0, 6000.0, 4.0, 18.0, 1.3f);
  const std::vector<float> swish = filteredNoise(rng, out.size(), {Biquad::bandpass(900.0, 0.8)});
  for (size_t i = 0; i < out.size(); ++i) out[i] += swish[i] * 0.5f * swell(i, out.size(), 3, 0.8f);
  return out;
}

// A sled in snow: a soft low rush with crunching grains.
std::vector<float> speed() {
  Rng rng(53);
  std::vector<float> out =
      filteredNoise(rng, samplesFor(2.0), {Biquad::lowpass(1400.0, 0.6), Biquad::bandpass(600.0, 0.7)});
  for (size_t i = 0; i < out.size(); ++i) out[i] *= 1.6f * swell(i, out.size(), 4, 0.35f);
  addGrains(out, rng, 420, 500.0, 2500.0, 6.0, 25.0, 0.9f);
  return out;
}

// Runners on ice: a bright scrape that rings at a few metallic pitches.
std::vector<float> ice() {
  Rng rng(97);
  std::vector<float> out(samplesFor(2.0));
  std::vector<float> excitation = filteredNoise(rng, out.size(), {});
  for (size_t i = 0; i < out.size(); ++i) excitation[i] *= swell(i, out.size(), 6, 0.6f);
  const double modes[] = {2150.0, 3420.0, 5230.0, 7100.0};
  const float modeGain[] = {1.0f, 0.8f, 0.55f, 0.35f};
  for (int m = 0; m < 4; ++m) {
    std::vector<float> ring = excitation;
    Biquad resonator = Biquad::bandpass(modes[m], 60.0);
    filterPeriodic(ring, resonator);
    for (size_t i = 0; i < out.size(); ++i) out[i] += ring[i] * modeGain[m] * 4.0f;
  }
  const std::vector<float> hiss =
      filteredNoise(rng, out.size(), {Biquad::highpass(4000.0, 0.7), Biquad::lowpass(11000.0, 0.7)});
  for (size_t i = 0; i < out.size(); ++i) out[i] += hiss[i] * 0.35f * swell(i, out.size(), 4, 0.5f);
  return out;
}

struct EffectRecipe {
  const char* name;
  std::vector<float> (*make)();
  bool looping;
};

constexpr EffectRecipe kRecipes[] = {
    {"snore", snore, true},   {"horn", horn, false},   {"win", win, false},      {"lost", lost, false},
    {"start", start, false},  {"lose", lose, false},   {"grass", grass, true},   {"pfferp", pfferp, false},
    {"speed", speed, true},   {"ice", ice, true},      {"heya", heya, false},    {"jump", jump, false},
};

}  // namespace

std::vector<float> synthesizeEffect(const std::string& name) {
  for (const EffectRecipe& recipe : kRecipes) {
    if (name != recipe.name) continue;
    std::vector<float> samples = recipe.make();
    // Snore fades in and out of silence; the noise loops need their seam moved to a crossing.
    if (recipe.looping && name != "snore") rotateToZeroCrossing(samples);
    normalizePeak(samples, kEffectPeakDb);
    return samples;
  }
  return {};
}

int generateSounds(const std::string& root) {
  for (const EffectRecipe& recipe : kRecipes) {
    const std::vector<float> samples = synthesizeEffect(recipe.name);
    const std::vector<uint8_t> wav = encodeWav16(toPcm16(samples), 1, kSampleRate);
    const std::string path = root + "/data/sounds/" + recipe.name + ".wav";
    if (!writeFile(path, wav.data(), wav.size())) return 1;
  }
  return 0;
}

}  // namespace assetgen
