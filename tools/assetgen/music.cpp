// Tunes as data (chords per half bar, melody notes by bar and beat) played by
// a handful of wavetable and FM voices into a loop-length stereo mix.
#include "assetgen/music.h"

#include <cmath>
#include <cstdio>

#include "assetgen/generator.h"
#include "assetgen/ogg_writer.h"
#include "assetgen/synth.h"

namespace assetgen {
namespace {

// One cycle of a tone from harmonic amplitudes; read with linear interpolation.
class Wavetable {
 public:
  explicit Wavetable(std::initializer_list<double> harmonics) : table(kSize + 1) {
    for (size_t i = 0; i <= kSize; ++i) {
      double v = 0.0;
      int k = 1;
      for (double a : harmonics) v += a * std::sin(kTwoPi * k++ * double(i) / kSize);
      table[i] = float(v);
    }
  }
  float at(double phase) const {
    const double x = (phase - std::floor(phase)) * kSize;
    const size_t i = size_t(x);
    const float f = float(x - double(i));
    return table[i] + (table[i + 1] - table[i]) * f;
  }

 private:
  static constexpr size_t kSize = 2048;
  std::vector<float> table;
};

// A stereo loop; everything added wraps at the end.
struct Mix {
  explicit Mix(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
  // Constant-power pan: -1 left, 0 centre, 1 right.
  void add(size_t at, const std::vector<float>& mono, float gain, float pan) {
    const double angle = (pan + 1.0) * kPi / 4.0;
    mixWrapped(left, mono, at, gain * float(std::cos(angle)));
    mixWrapped(right, mono, at, gain * float(std::sin(angle)));
  }
  std::vector<float> left, right;
};

struct Chord {
  int root;   // MIDI note of the root in octave 3 (48..59)
  bool minor;
};

struct Note {
  int bar;      // 1-based
  double beat;  // within the bar
  double beats; // length
  int midi;
};

struct Tune {
  int samplesPerBeat;
  Chord halves[32];  // one chord per half bar, 16 bars
  std::vector<Note> melody;
};

// Chord tones folded into [low, low + 12).
std::vector<int> voicing(const Chord& c, int low) {
  std::vector<int> tones;
  for (int interval : {0, c.minor ? 3 : 4, 7}) {
    int m = c.root + interval;
    while (m < low) m += 12;
    while (m >= low + 12) m -= 12;
    tones.push_back(m);
  }
  return tones;
}

std::vector<float> bassNote(double hz, double seconds) {
  static const Wavetable wave({1.0, 0.45, 0.2, 0.1, 0.05});
  std::vector<float> out(size_t((seconds + 0.08) * kSampleRate));
  Biquad warm = Biquad::lowpass(900.0, 0.8);
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    phase += hz / kSampleRate;
    const float env = adsr(t, seconds, 0.005, 0.35, 0.55, 0.07);
    out[i] = warm.process(wave.at(phase)) * env;
  }
  return out;
}

std::vector<float> padNote(double hz, double seconds, double detune) {
  static const Wavetable wave({1.0, 0.35, 0.18, 0.1, 0.06, 0.03});
  std::vector<float> out(size_t((seconds + 0.5) * kSampleRate));
  double phase = 0.0;
  const double f = hz * std::pow(2.0, detune / 1200.0);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    phase += f / kSampleRate;
    out[i] = wave.at(phase) * adsr(t, seconds, 0.25, 0.3, 0.8, 0.45);
  }
  return out;
}

// Two-operator FM: a soft electric piano whose brightness fades with the note.
std::vector<float> pianoNote(double hz, double seconds, double brightness) {
  std::vector<float> out(size_t((seconds + 0.3) * kSampleRate));
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    const double index = brightness * std::exp(-t / 0.25);
    const double v = std::sin(kTwoPi * hz * t + index * std::sin(kTwoPi * hz * t));
    const float env = adsr(t, seconds, 0.003, 0.6, 0.35, 0.25) * float(std::exp(-t / 1.5));
    out[i] = float(v) * env;
  }
  return out;
}

// Melody voice: a rounded lead with delayed vibrato and, for the cheerful
// tune, a quickly fading bell an octave up; for the calm tune a little breath.
std::vector<float> leadNote(double hz, double seconds, bool bright, Rng& rng) {
  static const Wavetable brightWave({1.0, 0.5, 0.28, 0.14, 0.07, 0.03});
  static const Wavetable fluteWave({1.0, 0.3, 0.08, 0.04});
  const Wavetable& wave = bright ? brightWave : fluteWave;
  std::vector<float> out(size_t((seconds + 0.2) * kSampleRate));
  Biquad breath = Biquad::bandpass(hz * 2.0, 1.5);
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    const double vibrato = 1.0 + 0.004 * std::sin(kTwoPi * 5.2 * t) * std::fmin(1.0, std::fmax(0.0, (t - 0.15) / 0.2));
    phase += hz * vibrato / kSampleRate;
    const float env = bright ? adsr(t, seconds, 0.012, 0.15, 0.7, 0.09) : adsr(t, seconds, 0.06, 0.2, 0.85, 0.15);
    float v = wave.at(phase);
    if (bright) v += 0.35f * float(std::sin(kTwoPi * 2.0 * phase) * std::exp(-t / 0.08));
    else v += 0.12f * breath.process(rng.bipolar());
    out[i] = v * env;
  }
  return out;
}

std::vector<float> kick() {
  std::vector<float> out(size_t(0.3 * kSampleRate));
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    phase += (45.0 + 75.0 * std::exp(-t / 0.04)) / kSampleRate;
    out[i] = float(std::sin(kTwoPi * phase) * std::exp(-t / 0.12));
  }
  return out;
}

std::vector<float> clap(Rng& rng) {
  std::vector<float> out(size_t(0.2 * kSampleRate));
  Biquad band = Biquad::bandpass(1500.0, 0.8);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    const double bursts = t < 0.025 ? std::exp(-std::fmod(t, 0.008) / 0.002) : std::exp(-(t - 0.025) / 0.06);
    out[i] = band.process(rng.bipolar()) * float(bursts);
  }
  return out;
}

std::vector<float> hat(Rng& rng) {
  std::vector<float> out(size_t(0.06 * kSampleRate));
  Biquad high = Biquad::highpass(7000.0, 0.7);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / kSampleRate;
    out[i] = high.process(rng.bipolar()) * float(std::exp(-t / 0.018));
  }
  return out;
}

// Ping-pong echo and a few short room reflections, all wrapping around the loop.
void addSpace(Mix& mix, const Mix& dry, size_t echoFrames, float echoGain, float roomGain) {
  const size_t n = mix.left.size();
  for (int repeat = 1; repeat <= 3; ++repeat) {
    const float g = echoGain * float(std::pow(0.5, repeat - 1));
    const std::vector<float>& from = repeat % 2 ? dry.left : dry.right;
    std::vector<float>& to = repeat % 2 ? mix.right : mix.left;
    const size_t shift = echoFrames * size_t(repeat);
    for (size_t i = 0; i < n; ++i) to[(i + shift) % n] += from[i] * g;
  }
  const double taps[] = {0.023, 0.031, 0.043, 0.057, 0.071, 0.089};
  for (int k = 0; k < 6; ++k) {
    const size_t shift = size_t(taps[k] * kSampleRate);
    const float g = roomGain * float(std::pow(0.8, k));
    const std::vector<float>& from = k % 2 ? dry.left : dry.right;
    std::vector<float>& to = k % 2 ? mix.right : mix.left;
    for (size_t i = 0; i < n; ++i) to[(i + shift) % n] += from[i] * g;
  }
}

std::vector<float> render(const Tune& tune, bool cheerful, uint64_t seed) {
  Rng rng(seed);
  const size_t beat = size_t(tune.samplesPerBeat);
  const size_t frames = 64 * beat;
  const double beatSeconds = double(beat) / kSampleRate;
  Mix band(frames), lead(frames);

  for (int half = 0; half < 32; ++half) {
    const Chord& chord = tune.halves[half];
    const size_t at = size_t(half) * 2 * beat;
    const bool changes = half == 0 || tune.halves[half - 1].root != chord.root;
    // Pads sustain across repeated halves; they restart only on a chord change.
    if (changes) {
      int length = 1;
      while (half + length < 32 && tune.halves[half + length].root == chord.root) ++length;
      int voice = 0;
      for (int m : voicing(chord, 55)) {
        const double seconds = 2.0 * length * beatSeconds;
        band.add(at, padNote(midiToHz(m), seconds, -7.0), cheerful ? 0.07f : 0.09f, -0.6f + 0.6f * voice);
        band.add(at, padNote(midiToHz(m), seconds, 7.0), cheerful ? 0.07f : 0.09f, 0.6f - 0.6f * voice);
        ++voice;
      }
    }
    const double root = midiToHz(chord.root - 12);
    const double fifth = midiToHz(chord.root - 5);
    if (cheerful) {
      // Bouncing bass: root, fifth on the off-beat, root an octave up.
      band.add(at, bassNote(root, beatSeconds * 0.9), 0.45f, 0.0f);
      band.add(at + beat, bassNote(fifth, beatSeconds * 0.4), 0.32f, 0.0f);
      band.add(at + beat + beat / 2, bassNote(root * 2.0, beatSeconds * 0.4), 0.3f, 0.0f);
      // Off-beat piano stabs.
      for (int k = 0; k < 2; ++k)
        for (int m : voicing(chord, 60))
          band.add(at + size_t(k) * beat + beat / 2, pianoNote(midiToHz(m), beatSeconds * 0.3, 1.2), 0.09f, 0.35f);
      // Drums: kick on the beat, clap on 2 and 4, hats on the eighths.
      band.add(at, kick(), 0.55f, 0.0f);
      band.add(at + beat, clap(rng), 0.28f, 0.1f);
      if (half % 2 == 1) band.add(at + beat + beat / 2, kick(), 0.3f, 0.0f);
      for (int e = 0; e < 4; ++e) band.add(at + size_t(e) * beat / 2, hat(rng), e % 2 ? 0.09f : 0.05f, -0.3f);
    } else {
      band.add(at, bassNote(root, beatSeconds * 1.9), 0.45f, 0.0f);
      // Rolling arpeggio in eighths over the chord.
      const std::vector<int> tones = voicing(chord, 57);
      const int pattern[] = {0, 1, 2, 1};
      for (int e = 0; e < 4; ++e) {
        const int m = tones[size_t(pattern[e])] + (e == 2 ? 12 : 0);
        band.add(at + size_t(e) * beat / 2, pianoNote(midiToHz(m), beatSeconds * 0.9, 0.8), 0.11f,
                 e % 2 ? 0.4f : -0.4f);
      }
    }
  }
  for (const Note& note : tune.melody) {
    const size_t at = size_t(((note.bar - 1) * 4 + note.beat) * double(beat));
    lead.add(at, leadNote(midiToHz(note.midi), note.beats * beatSeconds * 0.92, cheerful, rng),
             cheerful ? 0.3f : 0.32f, cheerful ? 0.1f : -0.1f);
  }
  Mix mix(frames);
  for (size_t i = 0; i < frames; ++i) {
    mix.left[i] = band.left[i] + lead.left[i];
    mix.right[i] = band.right[i] + lead.right[i];
  }
  addSpace(mix, lead, cheerful ? beat * 3 / 4 : beat, cheerful ? 0.22f : 0.3f, 0.12f);
  addSpace(mix, band, beat * 3 / 2, 0.0f, 0.08f);

  std::vector<float> interleaved(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    interleaved[2 * i] = mix.left[i];
    interleaved[2 * i + 1] = mix.right[i];
  }
  normalizePeak(interleaved, kMusicPeakDb);
  return interleaved;
}

constexpr int C3 = 48, D3 = 50, E3 = 52, F3 = 53, G3 = 55, A3 = 57, Bb3 = 58;

Tune raceTune() {
  Tune t{22050, {}, {}};
  const Chord C{C3, false}, G{G3, false}, Am{A3, true}, F{F3, false}, Em{E3, true}, Dm{D3, true};
  const Chord halves[32] = {C, C, G, G, Am, Am, F, F, C, C, G, G, F, G, C, C,
                            F, F, G, G, Em, Em, Am, Am, Dm, Dm, G, G, F, G, C, C};
  for (int i = 0; i < 32; ++i) t.halves[i] = halves[i];
  t.melody = {
      {1, 0, .5, 67},  {1, .5, .5, 72}, {1, 1, 1, 76},    {1, 2, .5, 74},  {1, 2.5, .5, 72}, {1, 3, 1, 76},
      {2, 0, 1.5, 74}, {2, 1.5, .5, 71}, {2, 2, 1, 67},   {2, 3, .5, 71},  {2, 3.5, .5, 74},
      {3, 0, .5, 72},  {3, .5, .5, 76}, {3, 1, 1, 81},    {3, 2, .5, 79},  {3, 2.5, .5, 76}, {3, 3, 1, 72},
      {4, 0, 1.5, 77}, {4, 1.5, .5, 76}, {4, 2, 1, 74},   {4, 3, 1, 72},
      {5, 0, .5, 76},  {5, .5, .5, 79}, {5, 1, 1, 84},    {5, 2, .5, 83},  {5, 2.5, .5, 81}, {5, 3, 1, 79},
      {6, 0, 1, 74},   {6, 1, 1, 79},   {6, 2, .5, 77},   {6, 2.5, .5, 76}, {6, 3, 1, 74},
      {7, 0, .5, 72},  {7, .5, .5, 74}, {7, 1, 1, 76},    {7, 2, .5, 74},  {7, 2.5, .5, 76}, {7, 3, .5, 77},
      {7, 3.5, .5, 74},
      {8, 0, 1, 76},   {8, 1, 1, 72},   {8, 2, 1, 67},
      {9, 0, .5, 69},  {9, .5, .5, 72}, {9, 1, 1.5, 77},  {9, 2.5, .5, 76}, {9, 3, 1, 77},
      {10, 0, 1, 79},  {10, 1, 1, 74},  {10, 2, .5, 71},  {10, 2.5, .5, 74}, {10, 3, 1, 79},
      {11, 0, 1.5, 76}, {11, 1.5, .5, 79}, {11, 2, 1, 83}, {11, 3, 1, 79},
      {12, 0, 1, 81},  {12, 1, 1, 76},  {12, 2, .5, 72},  {12, 2.5, .5, 76}, {12, 3, 1, 81},
      {13, 0, 1.5, 77}, {13, 1.5, .5, 76}, {13, 2, 1, 74}, {13, 3, 1, 69},
      {14, 0, .5, 71}, {14, .5, .5, 74}, {14, 1, 1, 79},  {14, 2, .5, 77}, {14, 2.5, .5, 74}, {14, 3, 1, 71},
      {15, 0, .5, 69}, {15, .5, .5, 72}, {15, 1, 1, 77},  {15, 2, .5, 76}, {15, 2.5, .5, 74}, {15, 3, 1, 71},
      {16, 0, 3, 72},
  };
  return t;
}

Tune highscoreTune() {
  Tune t{31500, {}, {}};
  const Chord F{F3, false}, Dm{D3, true}, Bb{Bb3, false}, C{C3, false}, Am{A3, true}, Gm{G3, true};
  const Chord halves[32] = {F, F, Dm, Dm, Bb, Bb, C, C, F, F, Am, Am, Bb, C, F, F,
                            Bb, Bb, C, C, Am, Am, Dm, Dm, Gm, Gm, C, C, Bb, C, F, F};
  for (int i = 0; i < 32; ++i) t.halves[i] = halves[i];
  t.melody = {
      {1, 0, 2, 69},    {1, 2, 1, 72},    {1, 3, 1, 69},
      {2, 0, 1.5, 77},  {2, 1.5, .5, 76}, {2, 2, 2, 74},
      {3, 0, 1, 74},    {3, 1, 1, 72},    {3, 2, 1, 70},    {3, 3, 1, 74},
      {4, 0, 3, 72},    {4, 3, 1, 67},
      {5, 0, 1, 69},    {5, 1, 1, 72},    {5, 2, 2, 77},
      {6, 0, 1.5, 76},  {6, 1.5, .5, 74}, {6, 2, 2, 72},
      {7, 0, 1, 74},    {7, 1, 1, 70},    {7, 2, 1, 72},    {7, 3, 1, 76},
      {8, 0, 4, 77},
      {9, 0, 1, 77},    {9, 1, 1, 74},    {9, 2, 2, 70},
      {10, 0, 1, 79},   {10, 1, 1, 76},   {10, 2, 2, 72},
      {11, 0, 1.5, 81}, {11, 1.5, .5, 79}, {11, 2, 1, 76},  {11, 3, 1, 72},
      {12, 0, 2, 74},   {12, 2, 1, 77},   {12, 3, 1, 81},
      {13, 0, 1.5, 82}, {13, 1.5, .5, 81}, {13, 2, 1, 79},  {13, 3, 1, 74},
      {14, 0, 1, 76},   {14, 1, 1, 79},   {14, 2, 2, 72},
      {15, 0, 1, 74},   {15, 1, .5, 72},  {15, 1.5, .5, 70}, {15, 2, 1, 67}, {15, 3, 1, 76},
      {16, 0, 3, 77},
  };
  return t;
}

}  // namespace

std::vector<float> synthesizeTune(int tune) {
  return tune == 1 ? render(highscoreTune(), false, 1001) : render(raceTune(), true, 2002);
}

int generateMusic(const std::string& root) {
  for (int tune : {1, 2}) {
    const std::vector<float> mix = synthesizeTune(tune);
    std::vector<uint8_t> ogg;
    if (!encodeOggVorbis(mix, 2, kSampleRate, kMusicQuality, ogg)) {
      std::fprintf(stderr, "assetgen: the Vorbis encoder refused tune %d\n", tune);
      return 1;
    }
    const std::string path = root + (tune == 1 ? "/data/music/01.ogg" : "/data/music/02.ogg");
    if (!writeFile(path, ogg.data(), ogg.size())) return 1;
  }
  return 0;
}

}  // namespace assetgen
