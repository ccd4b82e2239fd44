// The sound layer's value rules without a device: gains, pitch, volume keys, Ogg result texts,
// sample formats. Units: gains 0..1, pitch factors, AL format values. Cost: all O(1).
#pragma once

#include <cstdint>

namespace vorn {

// Effect gain: below 0 (or not a number) becomes 0, above 1 becomes 1.
float clampEffectGain(float gain);
// Music gain: the same 0..1 range.
float clampMusicGain(float gain);
// A pitch is taken only when it is a positive number.
bool pitchAccepted(float pitch);

// The volume keys scale the music gain; the result is clamped like any gain.
constexpr float kVolumeUpFactor = 1.33f;
constexpr float kVolumeDownFactor = 0.33f;
constexpr unsigned char kVolumeUpKey = '+';
constexpr unsigned char kVolumeDownKey = '-';
// New music gain after a key; any other key leaves the gain as it is.
float musicGainAfterKey(float gain, unsigned char key);

// The snore loop follows the sleepiness gauge (awake 100 is rested, below 0
// knocked out): silent from kSnoreFromAwake up, rising to full gain at 0. A
// cow that fell asleep snores at full gain.
constexpr float kSnoreFromAwake = 50.0f;
constexpr float kSnoreFullGain = 1.0f;
float snoreGain(float awake);

// Gain every music stream gets right after opening and at every race start.
constexpr float kMusicStartGain = 0.5f;

// Text for a libvorbisfile result code ("Not Vorbis data." for -132, ...).
const char* oggErrorText(int code);

// OpenAL's sample formats, same numeric values, for code that must not see AL.
constexpr int32_t kFormatMono8 = 0x1100;
constexpr int32_t kFormatMono16 = 0x1101;
constexpr int32_t kFormatStereo8 = 0x1102;
constexpr int32_t kFormatStereo16 = 0x1103;
// 16-bit mono for one channel, else 16-bit stereo (the stream decodes to 16 bit).
int32_t streamFormatForChannels(int channels);
// Format of a PCM block with this layout; 0 when the device cannot take it.
int32_t pcmFormat(int channels, int bitsPerSample);

}  // namespace vorn
