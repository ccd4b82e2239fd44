// VornSound: one sound effect, a buffer of decoded WAV samples on one source at the listener.
// Units: gain 0..1, pitch factor. Cost: a few OpenAL calls a method; the buffer holds the whole
// effect (a few hundred KiB at most).
#pragma once

#include <AL/al.h>

#include <string>

namespace vorn {

class VornSound {
 public:
  // Takes over `buffer` (0 for a sound whose file could not be read: the
  // sound is then silent) and creates the source.
  void init(ALuint buffer);
  void setLooping(bool looping);
  void play();   // restarts a playing source
  void stop();
  void pause();
  // Follows the calls (set by play, cleared by stop and pause), not the
  // device: an effect that ended by itself still reads as playing. Without an
  // audio device every call only keeps this state.
  bool isPlaying() const { return playing; }
  // Taken only when p > 0; rolled back if the device rejects it.
  void setPitch(float p);
  float getPitch() const { return pitch; }
  // Clamped to 0..1 (NaN becomes 0); not remembered here.
  void setGain(float g);
  // Deletes source and buffer; the sound is silent afterwards.
  void release();

  ALuint sourceName() const { return source; }
  ALuint bufferName() const { return buffer; }

 private:
  bool live() const;

  ALuint buffer = 0;
  ALuint source = 0;
  // At the listener: position and velocity stay zero.
  float position[3] = {0.0f, 0.0f, 0.0f};
  float velocity[3] = {0.0f, 0.0f, 0.0f};
  float pitch = 1.0f;
  bool playing = false;
};

// Decodes a WAV file into a new OpenAL buffer. Returns 0, with an err.txt
// line, when the file is missing or damaged or the device refuses it; 0
// without a line when there is no audio device.
ALuint loadSoundBuffer(const std::string& path);

}  // namespace vorn
