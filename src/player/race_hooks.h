// VornRaceHooks: the call sites where the race update hands over to the
// subsystems around it — sounds, particles, the riders' animation, obstacles
// and beer bottles, the HUD, race messages and recorded runs. The race update
// calls them in its fixed order; every hook does nothing by default, so the
// simulation runs (and is tested) on its own, and the game overrides the
// hooks whose subsystems exist.
//
// Units: time steps in tenths of a second, positions in world units, clock
// values in whole seconds where a HUD shows them.
#pragma once

#include <cstdint>

#include "math/matrix.h"
#include "math/vector.h"

namespace vorn {

class VornPlayer;

enum class RaceSound { kJump, kHeya, kWin, kLost, kLose, kPfferp };

// What a race message shows; the message module knows each kind's path,
// size and colours.
enum class RaceText { kCountdown, kJumpRating, kBonus };

// Gains (0..) of the three sliding loops and their common pitch.
struct SlidingSoundLevels {
  float snowGain = 0.0f;   // speed.wav
  float grassGain = 0.0f;  // grass.wav
  float iceGain = 0.0f;    // ice.wav
  float pitch = 1.0f;
};

class VornRaceHooks {
 public:
  virtual ~VornRaceHooks() = default;

  // Sounds and music.
  virtual void playSound(RaceSound) {}
  // Starts each sliding loop of the player that is not playing.
  virtual void startSlidingSounds(int /*player*/) {}
  virtual void setSlidingSounds(int /*player*/, const SlidingSoundLevels&) {}
  // The three sliding loops of a player in the air for a while.
  virtual void silenceSlidingSounds(int /*player*/) {}
  // All looping sounds (sliding loops and snore) at gain 0.
  virtual void muteLoopingSounds() {}
  // The race music silenced and stopped.
  virtual void stopMusic() {}

  // Particles and animation.
  virtual void advanceParticles(float /*amount*/, float /*grass*/, float /*ice*/) {}
  virtual void advanceAnimations(float /*dt*/) {}
  virtual void emitSpray(const VornVector& /*position*/, const VornVector& /*direction*/, float /*speed*/) {}
  virtual void emitTakeOff(const VornVector& /*position*/, const VornVector& /*direction*/, float /*speed*/) {}
  virtual void emitSleeping(const VornVector& /*position*/) {}

  // Placed objects: visibility of the scenery and the obstacle hits, which
  // may change the player's direction and speed. Returns the awake change.
  virtual float collideObjects(int /*player*/, VornPlayer& /*player*/) { return 0.0f; }
  // Spins the beer bottles and picks up those in reach; true on a pick-up.
  virtual bool updateBeers(int /*player*/, const VornVector& /*position*/) { return false; }

  // HUD: true when the awake gauge fell below 0.
  virtual bool updateHud(int /*player*/, int64_t /*secondsLeft*/, float /*awakeChange*/, float /*speed*/) {
    return false;
  }
  virtual void setHudWon(int /*player*/) {}
  virtual void setHudLost(int /*player*/) {}

  // Race messages.
  virtual void showMessage(RaceText, int /*player*/, const char* /*text*/) {}
  virtual void showWinText() {}
  virtual void updateMessages() {}

  // Recorded runs (ghost race only). advanceReplay is true once the
  // recorded run reached its end.
  virtual void recordFrame(float /*dt*/, const VornMatrix& /*model*/) {}
  virtual bool advanceReplay(float /*dt*/) { return false; }
  virtual void closeRecording() {}
};

}  // namespace vorn
