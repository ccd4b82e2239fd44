// VornMusic: one streamed Ogg Vorbis track on two alternating 64 KiB buffers and one source.
// Units: gain 0..1, 16-bit PCM. Cost: one buffer decoded (about 0.37 s of 44.1 kHz stereo) per
// refilled buffer; 128 KiB of device buffers plus a 64 KiB decode block.
#pragma once

#include <AL/al.h>

#include <memory>
#include <string>
#include <vector>

struct OggVorbis_File;
struct vorbis_info;
struct vorbis_comment;

namespace vorn {

// libvorbisfile decodes the track; at its end the stream wraps to the start
// inside the fill, so the loop has no gap. The source is relative to the
// listener with no rolloff: music is heard at full level wherever the camera
// is. Without an audio device, or after a failed open, every call does nothing.
class VornMusic {
 public:
  VornMusic();
  ~VornMusic();
  VornMusic(const VornMusic&) = delete;
  VornMusic& operator=(const VornMusic&) = delete;

  // Opens the track and creates buffers and source; gain becomes 1.0. A file
  // that cannot be opened or is not Ogg Vorbis is reported in err.txt
  // ("Could not open Ogg file." or "Could not open Ogg stream. <reason>")
  // and leaves the track closed: false.
  bool open(const std::string& path);
  bool isOpen() const { return oggFile != nullptr; }

  // Starts the stream unless it already plays: false when no data came.
  bool play();
  // The device's own state.
  bool isPlaying() const;
  // Refills and requeues every finished buffer; true while the source plays.
  // Music keeps playing only while frames call it.
  bool update();
  // Drops the queued buffers of a stopped stream (nothing while it plays).
  void empty();
  // Clamped to 0..1 and remembered.
  void setGain(float g);
  float getGain() const { return gain; }
  // Stops, frees the device objects and closes the track.
  void release();

  // Device sample format of the stream (16-bit mono or stereo); 0 when closed.
  ALenum sampleFormat() const { return format; }
  ALuint sourceName() const { return source; }
  const ALuint* bufferNames() const { return buffers; }

 private:
  struct OggCloser {
    void operator()(OggVorbis_File* file) const;
  };
  bool stream(ALuint buffer);
  bool live() const;

  float gain = 1.0f;
  std::unique_ptr<OggVorbis_File, OggCloser> oggFile;
  vorbis_info* info = nullptr;
  vorbis_comment* comment = nullptr;
  ALuint buffers[2] = {0, 0};
  ALuint source = 0;
  ALenum format = 0;
  std::vector<uint8_t> block;  // decode target, one stream buffer long
};

}  // namespace vorn
