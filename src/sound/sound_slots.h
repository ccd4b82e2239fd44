// The game's twelve effect slots and two music tracks: slot order, files and looping flags, as
// data the loader walks in order. Units: paths relative to the data root. Cost: a static table.
#pragma once

#include <cstddef>

namespace vorn {

enum VornSoundSlot : size_t {
  kSoundSnore = 0,
  kSoundHorn,
  kSoundWin,
  kSoundLost,
  kSoundStart,
  kSoundLose,
  kSoundGrass,
  kSoundPfferp,
  kSoundSpeed,
  kSoundIce,
  kSoundHeya,
  kSoundJump,
  kSoundSlotCount
};

struct VornSoundSlotInfo {
  const char* name;  // file stem, also the slot's name in messages
  const char* path;  // "data/sounds/<name>.wav"
  bool looping;
};

// Slot table in load order; index with a VornSoundSlot.
const VornSoundSlotInfo& soundSlotInfo(size_t slot);

// The looping slots silenced at the end of a race.
constexpr VornSoundSlot kRaceLoopSlots[] = {kSoundSnore, kSoundSpeed, kSoundGrass, kSoundIce};
// The slots the Escape path stops.
constexpr VornSoundSlot kCleanupStopSlots[] = {kSoundPfferp, kSoundSpeed, kSoundIce,
                                               kSoundGrass, kSoundJump, kSoundHeya};

// Highscore-screen music and the menu and race music.
constexpr const char* kHighscoreMusicPath = "data/music/01.ogg";
constexpr const char* kRaceMusicPath = "data/music/02.ogg";

}  // namespace vorn
