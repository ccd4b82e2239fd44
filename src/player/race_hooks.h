// VornRaceHooks: where the race update hands over to sounds, particles, animation, obstacles,
// beers, HUD, messages and recorded runs. Units: steps in tenths of a second, world units, HUD
// clock in whole seconds. Cost: one virtual call a hook; the defaults do nothing.
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

// The race update calls the hooks in its fixed order. Every hook does nothing
// by default, so the simulation runs (and is tested) on its own; the game
// overrides the hooks whose subsystems exist.
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
  // `towardsCamera`: unit vector from the player to its camera's eye.
  virtual void emitSleeping(const VornVector& /*position*/, const VornVector& /*towardsCamera*/) {}

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
