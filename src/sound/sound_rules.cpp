#include "sound/sound_rules.h"

namespace vorn {
namespace {

float clampUnit(float value) {
  // Written so that NaN fails the first test and lands on 0.
  if (!(value >= 0.0f)) return 0.0f;
  return value > 1.0f ? 1.0f : value;
}

}  // namespace

float clampEffectGain(float gain) { return clampUnit(gain); }
float clampMusicGain(float gain) { return clampUnit(gain); }
bool pitchAccepted(float pitch) { return pitch > 0.0f; }  // false for NaN too

float musicGainAfterKey(float gain, unsigned char key) {
  if (key == kVolumeUpKey) return clampMusicGain(gain * kVolumeUpFactor);
  if (key == kVolumeDownKey) return clampMusicGain(gain * kVolumeDownFactor);
  return gain;
}

const char* oggErrorText(int code) {
  switch (code) {
    case -128: return "Read from media.";
    case -129: return "Internal logic fault (bug or heap/stack corruption.";
    case -132: return "Not Vorbis data.";
    case -133: return "Invalid Vorbis header.";
    case -134: return "Vorbis version mismatch.";
    default: return "Unknown Ogg error.";
  }
}

int32_t streamFormatForChannels(int channels) {
  return channels == 1 ? kFormatMono16 : kFormatStereo16;
}

int32_t pcmFormat(int channels, int bitsPerSample) {
  if (channels == 1 && bitsPerSample == 8) return kFormatMono8;
  if (channels == 1 && bitsPerSample == 16) return kFormatMono16;
  if (channels == 2 && bitsPerSample == 8) return kFormatStereo8;
  if (channels == 2 && bitsPerSample == 16) return kFormatStereo16;
  return 0;
}

float snoreGain(float awake) {
  if (!(awake < kSnoreFromAwake)) return 0.0f;  // rested, or not a number
  if (awake <= 0.0f) return kSnoreFullGain;
  return kSnoreFullGain * (kSnoreFromAwake - awake) / kSnoreFromAwake;
}

}  // namespace vorn
