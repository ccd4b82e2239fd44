// VornSoundBank: the twelve effect slots, the race/menu and highscore music, and the sequences
// the game runs on them. Units: gains 0..1. Cost: loading decodes all effects (about 1.6 MB of
// samples); a frame's upkeep decodes at most the buffers the device has finished.
#pragma once

#include <array>

#include "sound/music.h"
#include "sound/sound.h"
#include "sound/sound_slots.h"

namespace vorn {

// The sequences: loading, the per-frame music upkeep of each screen, the
// volume keys, race start and end, and the Escape path.
struct VornSoundBank {
  std::array<VornSound, kSoundSlotCount> sounds;
  VornMusic music;           // menu and race music, "data/music/02.ogg"
  VornMusic highscoreMusic;  // highscore screen, "data/music/01.ogg"

  // Effects are indexed with VornSoundSlot.
  VornSound& operator[](VornSoundSlot slot) { return sounds[slot]; }

  // Opens the audio device, loads the effects in slot order with their
  // looping flags and opens both tracks with gain 0.5. A missing file costs
  // one err.txt line and leaves that sound silent; no device costs one line
  // in all and leaves everything silent.
  void load();

  // Main menu frame: drop the buffers of a stopped race track, start it when
  // it is not playing, refill it.
  void menuFrame();
  // Highscore screen frame: start the highscore track when it is not playing, refill it.
  void highscoreFrame();
  // Race frame (single and split): start the race track when it is not
  // playing, start the snore loop when it is not playing, refill the track.
  void raceFrame();

  // "+" raises and "-" lowers the race music; true when the key was one of them.
  bool volumeKey(unsigned char key);

  // Every race start: the start sound, the snore loop silent, race music back
  // to gain 0.5 and started.
  void raceStart();
  // A finished single race: the looping sounds and the race music fall
  // silent, the highscore track drops its old buffers, and the win sound
  // plays when the score reached the table.
  void raceEnd(bool placeReached);

  // Escape: stop the effects that may still run and close the race music.
  void cleanup();
};

}  // namespace vorn
