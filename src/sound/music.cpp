#include "sound/music.h"

#include <climits>
#include <cstdio>

// The header's static callback tables are unused here and would warn.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "base/error_log.h"
#include "sound/audio_device.h"
#include "sound/sound_rules.h"
#include "sound/stream_fill.h"

namespace vorn {
namespace {

constexpr int kLittleEndian = 0;
constexpr int kSixteenBit = 2;
constexpr int kSigned = 1;

class OggReader final : public VornStreamReader {
 public:
  explicit OggReader(OggVorbis_File* file) : file(file) {}
  long read(uint8_t* dst, size_t capacity) override {
    const int length = capacity > size_t(INT_MAX) ? INT_MAX : int(capacity);
    int bitstream = 0;
    return ov_read(file, reinterpret_cast<char*>(dst), length, kLittleEndian, kSixteenBit, kSigned,
                   &bitstream);
  }
  bool rewind() override { return ov_raw_seek(file, 0) == 0; }

 private:
  OggVorbis_File* file;
};

}  // namespace

void VornMusic::OggCloser::operator()(OggVorbis_File* file) const {
  ov_clear(file);  // also closes the FILE handed to ov_open
  delete file;
}

VornMusic::VornMusic() = default;
VornMusic::~VornMusic() { release(); }

bool VornMusic::live() const { return oggFile && source != 0 && audioAvailable(); }

bool VornMusic::open(const std::string& path) {
  release();
  gain = 1.0f;
  if (!audioAvailable()) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    logError("VornMusic::open", "\tCould not open Ogg file. (%s)\n", path.c_str());
    return false;
  }
  std::unique_ptr<OggVorbis_File, OggCloser> ogg;
  {
    auto fresh = std::make_unique<OggVorbis_File>();
    const int result = ov_open(file, fresh.get(), nullptr, 0);
    if (result < 0) {
      std::fclose(file);
      logError("VornMusic::open", "\tCould not open Ogg stream. %s (%s)\n", oggErrorText(result),
               path.c_str());
      return false;
    }
    ogg.reset(fresh.release());
  }
  vorbis_info* streamInfo = ov_info(ogg.get(), -1);
  // The stream is decoded to 16-bit mono or stereo; anything else would be
  // played as garbage, so it is refused like a damaged header.
  if (!streamInfo || (streamInfo->channels != 1 && streamInfo->channels != 2) ||
      streamInfo->rate <= 0 || streamInfo->rate > INT_MAX) {
    logError("VornMusic::open", "\tCould not open Ogg stream. %s (%s)\n", oggErrorText(-133),
             path.c_str());
    return false;
  }
  oggFile = std::move(ogg);
  info = streamInfo;
  comment = ov_comment(oggFile.get(), -1);
  format = streamFormatForChannels(info->channels);
  block.assign(kStreamBlockBytes, 0);

  alGetError();
  alGenBuffers(2, buffers);
  const bool haveBuffers = alGetError() == AL_NO_ERROR;
  alGenSources(1, &source);
  const bool haveSource = alGetError() == AL_NO_ERROR;
  if (!haveBuffers || !haveSource) {
    logError("VornMusic::open", "\tno free audio buffers or source (%s)\n", path.c_str());
    if (!haveBuffers) buffers[0] = buffers[1] = 0;
    if (!haveSource) source = 0;
    release();
    return false;
  }
  const ALfloat zero[3] = {0.0f, 0.0f, 0.0f};
  alSourcefv(source, AL_POSITION, zero);
  alSourcefv(source, AL_VELOCITY, zero);
  alSourcefv(source, AL_DIRECTION, zero);
  alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
  alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
  alGetError();
  return true;
}

bool VornMusic::stream(ALuint buffer) {
  OggReader reader(oggFile.get());
  const VornFillResult fill = fillStreamBlock(reader, block.data(), block.size());
  if (fill.bytes == 0) return false;
  alBufferData(buffer, format, block.data(), ALsizei(fill.bytes), ALsizei(info->rate));
  alGetError();
  return true;
}

bool VornMusic::isPlaying() const {
  if (!live()) return false;
  ALint state = AL_STOPPED;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

bool VornMusic::play() {
  if (!live()) return false;
  if (isPlaying()) return true;
  // A stream that ran dry still holds its spent buffers; they must come off
  // the source before they can take new data.
  empty();
  if (!stream(buffers[0]) || !stream(buffers[1])) return false;
  alSourceQueueBuffers(source, 2, buffers);
  alSourcePlay(source);
  alGetError();
  return true;
}

bool VornMusic::update() {
  if (!live()) return false;
  ALint processed = 0;
  alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
  while (processed-- > 0) {
    ALuint buffer = 0;
    alSourceUnqueueBuffers(source, 1, &buffer);
    alGetError();
    // A stream that gives nothing more is left to run dry; requeueing the
    // old block would repeat it forever.
    if (buffer != 0 && stream(buffer)) alSourceQueueBuffers(source, 1, &buffer);
    alGetError();
  }
  return isPlaying();
}

void VornMusic::empty() {
  // On a playing source the device would hand back finished buffers that
  // update() still has to refill, leaving the stream one buffer short.
  if (!live() || isPlaying()) return;
  ALint queued = 0;
  alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
  while (queued-- > 0) {
    ALuint buffer = 0;
    alSourceUnqueueBuffers(source, 1, &buffer);
    alGetError();
  }
}

void VornMusic::setGain(float g) {
  gain = clampMusicGain(g);
  if (!live()) return;
  alSourcef(source, AL_GAIN, gain);
  alGetError();
}

void VornMusic::release() {
  if (audioAvailable()) {
    if (source != 0) {
      alSourceStop(source);
      empty();
      alDeleteSources(1, &source);
    }
    if (buffers[0] != 0 || buffers[1] != 0) alDeleteBuffers(2, buffers);
    alGetError();
  }
  source = 0;
  buffers[0] = buffers[1] = 0;
  oggFile.reset();
  info = nullptr;
  comment = nullptr;
  format = 0;
}

}  // namespace vorn
