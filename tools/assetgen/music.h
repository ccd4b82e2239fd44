// The two music loops, synthesised as stereo float mixes and encoded as Ogg
// Vorbis: "data/music/01.ogg", the calm highscore tune (F major, 84 BPM, 16
// bars), and "data/music/02.ogg", the cheerful menu and race tune (C major,
// 120 BPM, 16 bars). Every note, tail and echo is mixed modulo the loop
// length, so the end runs into the start without a seam.
// Cost: about a second of synthesis and encoding per track on one core.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace assetgen {

constexpr size_t kHighscoreLoopFrames = 64 * 31500;  // 64 beats at 84 BPM: 45.7 s
constexpr size_t kRaceLoopFrames = 64 * 22050;       // 64 beats at 120 BPM: 32.0 s
constexpr float kMusicQuality = 0.3f;                // libvorbisenc VBR quality
constexpr double kMusicPeakDb = -1.5;

// Interleaved stereo mix of one tune (1 = highscore, 2 = race), normalised.
std::vector<float> synthesizeTune(int tune);

// Writes both tunes to <root>/data/music/; 0 on success.
int generateMusic(const std::string& root);

}  // namespace assetgen
