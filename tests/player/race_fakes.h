// Stand-ins for the player tests: a tilted plane answering the terrain queries
// as the terrain mesh does (sphere of radius 5, step shortened by |k| * depth,
// direction projected onto the contact plane, end of track beyond a given z),
// and race hooks that record what the update hands over.
#pragma once

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "player/ground.h"
#include "player/player.h"
#include "player/race_hooks.h"

namespace vorn::testing_support {

class PlaneGround : public VornGround {
 public:
  // y = slopeX * x + slopeZ * z + base.
  PlaneGround(float slopeX, float slopeZ, float base)
      : slopeX_(slopeX), slopeZ_(slopeZ), base_(base), normal_(VornVector(-slopeX, 1.0f, -slopeZ).normalized()) {}

  float heightAt(float x, float z) const { return slopeX_ * x + slopeZ_ * z + base_; }

  int collidePlayer(const VornVector& position, const VornVector& direction, VornVector& newDirection,
                    float& step, VornVector& normal, float& depth, bool& endOfTrack) override {
    const VornVector p = position + direction * step;
    if (p.z > endZ) endOfTrack = true;
    depth = 0.0f;
    // Distance of the centre above the plane, measured along its normal.
    const float above = (p.y - heightAt(p.x, p.z)) * normal_.y;
    if (above >= VornPlayer::kCollisionRadius) return 1;
    depth = VornPlayer::kCollisionRadius - above;
    normal = normal_;
    const float k = normal_.dot(direction);
    step = k <= 0.0f ? step + k * depth : step - k * depth;
    newDirection = (direction - normal_ * direction.dot(normal_)).normalized();
    return 0;
  }
  float getMaterial(float, float, int channel) const override { return material[channel]; }
  int keepAboveGround(VornVector& position) override {
    const float h = heightAt(position.x, position.z);
    if (h < position.y - 10.0f) return 0;
    position.y = h + 10.0f;
    return 1;
  }

  float material[3] = {1.0f, 0.0f, 0.0f};
  float endZ = 1e9f;

 private:
  float slopeX_, slopeZ_, base_;
  VornVector normal_;
};

class RecordingHooks : public VornRaceHooks {
 public:
  void playSound(RaceSound s) override { sounds.push_back(s); }
  void showMessage(RaceText, int player, const char* text) override {
    messages.push_back(text);
    messagePlayers.push_back(player);
  }
  void showWinText() override { ++winTexts; }
  void setHudWon(int p) override { shown[p] = 1; }
  void setHudLost(int p) override { shown[p] = 2; }
  void muteLoopingSounds() override { ++mutes; }
  void setSlidingSounds(int, const SlidingSoundLevels& l) override { levels = l; }
  void silenceSlidingSounds(int) override { ++silenced; }
  void emitTakeOff(const VornVector&, const VornVector&, float) override { ++takeOffs; }
  bool updateBeers(int player, const VornVector&) override { return beerFor[player]; }
  bool updateHud(int player, int64_t, float awake, float) override {
    awakeChanges[player] = awake;
    return exhausted[player];
  }
  void recordFrame(float, const VornMatrix&) override { ++recordedFrames; }
  bool advanceReplay(float) override { return replayDone; }
  void closeRecording() override { ++recordingsClosed; }
  void advanceAnimations(float dt) override { animationTime += dt; }

  int count(RaceSound s) const { return static_cast<int>(std::count(sounds.begin(), sounds.end(), s)); }
  // The cues that end a race, in the order played.
  std::vector<RaceSound> endCues() const {
    std::vector<RaceSound> cues;
    std::copy_if(sounds.begin(), sounds.end(), std::back_inserter(cues),
                 [](RaceSound s) { return s == RaceSound::kWin || s == RaceSound::kLost || s == RaceSound::kLose; });
    return cues;
  }

  std::vector<RaceSound> sounds;
  std::vector<std::string> messages;
  std::vector<int> messagePlayers;
  SlidingSoundLevels levels;
  int shown[2] = {0, 0};  // what each HUD shows last: 0 racing, 1 won, 2 lost
  int winTexts = 0, mutes = 0, silenced = 0, takeOffs = 0, recordingsClosed = 0, recordedFrames = 0;
  bool beerFor[2] = {false, false}, exhausted[2] = {false, false}, replayDone = false;
  float animationTime = 0.0f, awakeChanges[2] = {0.0f, 0.0f};
};

}  // namespace vorn::testing_support
