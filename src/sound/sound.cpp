#include "sound/sound.h"

#include "base/error_log.h"
#include "sound/audio_device.h"
#include "sound/sound_rules.h"
#include "sound/wav_reader.h"

namespace vorn {

// sound_rules.h mirrors the device's format values for code that must not see AL.
static_assert(kFormatMono8 == AL_FORMAT_MONO8 && kFormatMono16 == AL_FORMAT_MONO16 &&
                  kFormatStereo8 == AL_FORMAT_STEREO8 && kFormatStereo16 == AL_FORMAT_STEREO16,
              "sound_rules.h format values differ from OpenAL's");

bool VornSound::live() const { return source != 0 && audioAvailable(); }

void VornSound::init(ALuint newBuffer) {
  buffer = newBuffer;
  source = 0;
  pitch = 1.0f;
  playing = false;
  if (!audioAvailable()) return;
  alGetError();
  alGenSources(1, &source);
  if (alGetError() != AL_NO_ERROR) {
    // Out of voices: this effect stays silent, the others still play.
    source = 0;
    logError("VornSound::init", "\tno free audio source\n");
    return;
  }
  if (buffer != 0) alSourcei(source, AL_BUFFER, ALint(buffer));
  alSourcef(source, AL_PITCH, 1.0f);
  alSourcef(source, AL_GAIN, 1.0f);
  alSourcefv(source, AL_POSITION, position);
  alSourcefv(source, AL_VELOCITY, velocity);
  alSourcei(source, AL_LOOPING, AL_FALSE);
  alGetError();
}

void VornSound::setLooping(bool looping) {
  if (!live()) return;
  alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
  alGetError();
}

void VornSound::play() {
  playing = true;
  if (!live()) return;
  alSourcePlay(source);
  alGetError();
}

void VornSound::stop() {
  playing = false;
  if (!live()) return;
  alSourceStop(source);
  alGetError();
}

void VornSound::pause() {
  playing = false;
  if (!live()) return;
  alSourcePause(source);
  alGetError();
}

void VornSound::setPitch(float p) {
  if (!pitchAccepted(p)) return;
  const float previous = pitch;
  pitch = p;
  if (!live()) return;
  alGetError();  // an old error must not undo this pitch
  alSourcef(source, AL_PITCH, p);
  if (alGetError() != AL_NO_ERROR) {
    pitch = previous;
    alSourcef(source, AL_PITCH, previous);
    alGetError();
  }
}

void VornSound::setGain(float g) {
  if (!live()) return;
  alSourcef(source, AL_GAIN, clampEffectGain(g));
  alGetError();
}

void VornSound::release() {
  playing = false;
  if (audioAvailable()) {
    if (source != 0) {
      alSourceStop(source);
      alDeleteSources(1, &source);
    }
    if (buffer != 0) alDeleteBuffers(1, &buffer);
    alGetError();
  }
  source = 0;
  buffer = 0;
}

ALuint loadSoundBuffer(const std::string& path) {
  if (!audioAvailable()) return 0;
  VornWav wav;
  if (!readWavFile(path, wav, "VornSound::loadSoundBuffer")) return 0;
  const ALenum format = pcmFormat(wav.channels, wav.bitsPerSample);
  if (format == 0 || wav.pcm.size() > size_t(0x7fffffff)) {
    logError("VornSound::loadSoundBuffer", "\tunsupported sample layout: %s\n", path.c_str());
    return 0;
  }
  alGetError();
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  if (alGetError() != AL_NO_ERROR) {
    logError("VornSound::loadSoundBuffer", "\tno free audio buffer: %s\n", path.c_str());
    return 0;
  }
  alBufferData(buffer, format, wav.pcm.data(), ALsizei(wav.pcm.size()), ALsizei(wav.sampleRate));
  if (alGetError() != AL_NO_ERROR) {
    alDeleteBuffers(1, &buffer);
    alGetError();
    logError("VornSound::loadSoundBuffer", "\tthe audio device refused the samples: %s\n", path.c_str());
    return 0;
  }
  return buffer;
}

}  // namespace vorn
