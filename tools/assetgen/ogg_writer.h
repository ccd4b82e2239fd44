// Ogg Vorbis output of the generator through libvorbisenc: float samples in,
// a complete .ogg file out. Deterministic (fixed stream serial number).
// Cost: roughly 1-2 % of real time per channel on one core at the quality used.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

// Encodes interleaved samples in [-1, 1] at a VBR quality in [-0.1, 1].
// False when the encoder refuses the settings.
bool encodeOggVorbis(const std::vector<float>& interleaved, int channels, long sampleRate,
                     float quality, std::vector<uint8_t>& out);

}  // namespace assetgen
