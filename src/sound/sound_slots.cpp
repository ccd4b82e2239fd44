#include "sound/sound_slots.h"

#include <cassert>

namespace vorn {
namespace {

constexpr VornSoundSlotInfo kSlots[kSoundSlotCount] = {
    {"snore", "data/sounds/snore.wav", true},   {"horn", "data/sounds/horn.wav", false},
    {"win", "data/sounds/win.wav", false},      {"lost", "data/sounds/lost.wav", false},
    {"start", "data/sounds/start.wav", false},  {"lose", "data/sounds/lose.wav", false},
    {"grass", "data/sounds/grass.wav", true},   {"pfferp", "data/sounds/pfferp.wav", false},
    {"speed", "data/sounds/speed.wav", true},   {"ice", "data/sounds/ice.wav", true},
    {"heya", "data/sounds/heya.wav", false},    {"jump", "data/sounds/jump.wav", false},
};

}  // namespace

const VornSoundSlotInfo& soundSlotInfo(size_t slot) {
  assert(slot < kSoundSlotCount && "soundSlotInfo: slot out of range");
  return kSlots[slot];
}

}  // namespace vorn
