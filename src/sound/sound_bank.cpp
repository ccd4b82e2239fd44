#include "sound/sound_bank.h"

#include "sound/audio_device.h"
#include "sound/sound_rules.h"

namespace vorn {

void VornSoundBank::load() {
  if (!startAudio()) return;
  for (size_t slot = 0; slot < kSoundSlotCount; ++slot) {
    const VornSoundSlotInfo& info = soundSlotInfo(slot);
    sounds[slot].init(loadSoundBuffer(info.path));
    sounds[slot].setLooping(info.looping);
  }
  highscoreMusic.open(kHighscoreMusicPath);
  highscoreMusic.setGain(kMusicStartGain);
  music.open(kRaceMusicPath);
  music.setGain(kMusicStartGain);
}

void VornSoundBank::menuFrame() {
  music.empty();
  if (!music.isPlaying()) music.play();
  music.update();
}

void VornSoundBank::highscoreFrame() {
  if (!highscoreMusic.isPlaying()) highscoreMusic.play();
  highscoreMusic.update();
}

void VornSoundBank::raceFrame() {
  if (!music.isPlaying()) music.play();
  if (!sounds[kSoundSnore].isPlaying()) sounds[kSoundSnore].play();
  music.update();
}

bool VornSoundBank::volumeKey(unsigned char key) {
  if (key != kVolumeUpKey && key != kVolumeDownKey) return false;
  music.setGain(musicGainAfterKey(music.getGain(), key));
  return true;
}

void VornSoundBank::raceStart() {
  sounds[kSoundStart].play();
  // A rested cow does not snore; the race rules raise the loop as it tires.
  sounds[kSoundSnore].setGain(snoreGain(kSnoreFromAwake));
  music.setGain(kMusicStartGain);
  music.play();
}

void VornSoundBank::raceEnd(bool placeReached) {
  for (VornSoundSlot slot : kRaceLoopSlots) sounds[slot].setGain(0.0f);
  music.setGain(0.0f);
  highscoreMusic.empty();
  if (placeReached) sounds[kSoundWin].play();
}

void VornSoundBank::cleanup() {
  for (VornSoundSlot slot : kCleanupStopSlots) sounds[slot].stop();
  music.setGain(0.0f);
  music.release();
}

}  // namespace vorn
