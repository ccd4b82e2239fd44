// The twelve sound effects: synthesised mono float buffers, written as
// 44.1 kHz 16-bit WAV files peaking at about -3 dBFS. The looping ones (snore,
// grass, speed, ice) repeat without a seam and start and end at a zero crossing.
#pragma once

#include <string>
#include <vector>

namespace assetgen {

constexpr double kEffectPeakDb = -3.0;

// One effect by file stem ("snore", "horn", ...), normalised; empty for an unknown name.
std::vector<float> synthesizeEffect(const std::string& name);

// Writes every effect to <root>/data/sounds/<name>.wav; 0 on success.
int generateSounds(const std::string& root);

}  // namespace assetgen
