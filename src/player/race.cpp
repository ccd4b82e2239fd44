#include "player/race.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vorn {

namespace {
using T = VornRaceTuning;

constexpr int kSpaceKey = 32;
const char* const kCountdownTexts[] = {"1", "2", "3"};

int other(int index) { return 1 - index; }
}  // namespace

VornRace::VornRace(VornRaceHooks& hooks)
    : hooks_(hooks), riders_{VornRider(0, kPlayer1Keys), VornRider(1, kPlayer2Keys)} {}

void VornRace::attach(int index, VornPlayer* player, VornCamera* camera) {
  players_[index] = player;
  cameras_[index] = camera;
  if (camera) camera->setTarget(player);
}

void VornRace::placeAtStart(int index, const VornVector& start, float offsetX) {
  VornPlayer& p = *players_[index];
  p.setPosition(start + VornVector(offsetX, 0.0f, 0.0f));
  // A knock-out of the last race must not put this one to sleep at its end.
  p.racing = 0;
  p.countdownDone = 0;
  p.knockedOut = 0;
  p.speed = T::kStartSpeed;
  p.direction = VornVector(-1.0f, 0.0f, 1.0f).normalized();
  p.updatePose(Steering::kNone);
  riders_[index].reset(p.position());
  if (cameras_[index]) cameras_[index]->reset();
}

void VornRace::restart(const VornVector& start) {
  VornPlayer& p = *players_[0];
  p.setPosition(start);
  p.speed = T::kStartSpeed;
  // The next landing is rated from the start, not from where the player was.
  riders_[0].lastGroundPosition = start;
}

void VornRace::startClock(VornRaceClock& clock, int64_t now) {
  clock.raceStage = 0;
  clock.lastFrameTime = now;
  clock.deadline = now + T::kStartWaitMicros;
  clock.deadline2 = clock.deadline;
}

float VornRace::takeStep(VornRaceClock& clock, int64_t now) {
  // The clock never runs backwards; should one ever do, the frame stands still.
  const int64_t elapsed = now > clock.lastFrameTime ? now - clock.lastFrameTime : 0;
  clock.lastFrameTime = now;
  dt_ = std::min(static_cast<float>(static_cast<double>(elapsed) / T::kMicrosPerTenth), T::kMaxStepTenths);
  return dt_;
}

void VornRace::countdown(VornRaceClock& clock, int64_t now, int playerCount) {
  switch (clock.raceStage) {
    case 0: case 2: case 4: case 6:
      if (now > clock.deadline) ++clock.raceStage;
      break;
    case 1: case 3: case 5:
      hooks_.showMessage(RaceText::kCountdown, 0, kCountdownTexts[clock.raceStage / 2]);
      clock.deadline = now + T::kCountdownStepMicros;
      ++clock.raceStage;
      break;
    case 7:
      for (int i = 0; i < playerCount; ++i) {
        players_[i]->countdownDone = 1;
        players_[i]->racing = 1;
      }
      clock.deadline = now + T::kRaceClockMicros;
      clock.deadline2 = clock.deadline;
      clock.raceStage = 0;
      splitFinisher_ = -1;
      hooks_.showMessage(RaceText::kCountdown, 0, "GO");
      break;
    default:
      break;
  }
}

void VornRace::afterRace(int index, VornGround& ground, float dt, bool advanceShared) {
  VornPlayer& p = *players_[index];
  if (p.knockedOut) {
    VornVector towardsCamera = cameras_[index] ? cameras_[index]->eyePosition() - p.position() : p.direction * -1.0f;
    if (towardsCamera.lengthSquared() > 0.0f) towardsCamera.normalize();
    hooks_.emitSleeping(p.position(), towardsCamera);
    hooks_.advanceParticles(T::kSleepParticles, 0.0f, 0.0f);
    return;
  }
  riders_[index].coast(p, ground, hooks_, dt, advanceShared);
  if (p.speed > VornRiderTuning::kCoastPoseSpeed && cameras_[index]) cameras_[index]->update(ground);
}

bool VornRace::freshSpacePress(const uint8_t* keys) {
  if (!keys[kSpaceKey]) {
    spaceReleased_ = true;
    return false;
  }
  return spaceReleased_;
}

void VornRace::bonus(int index, int64_t& deadline) {
  if (!players_[index] || !hooks_.updateBeers(index, players_[index]->position())) return;
  hooks_.showMessage(RaceText::kBonus, index, "+5");
  hooks_.playSound(RaceSound::kPfferp);
  deadline += T::kBonusMicros;
}

VornRaceResult VornRace::updateSingle(VornGround& ground, VornRaceClock& clock, const VornRaceInput& in) {
  riders_[0].useKeys(kPlayer1SingleKeys);
  const float dt = takeStep(clock, in.now);
  VornPlayer& p = *players_[0];
  VornCamera* camera = cameras_[0];
  if (camera) camera->setMouse(in.mouseX, in.mouseY);

  VornRaceResult result;
  if (!p.racing) {
    if (!p.countdownDone) {
      countdown(clock, in.now, 1);
      if (camera) camera->update(ground);
    } else {
      afterRace(0, ground, dt);
      if (freshSpacePress(in.keys)) result.request = RaceRequest::kBackToMenu;
    }
  } else {
    spaceReleased_ = !in.keys[kSpaceKey];
    riders_[0].awakeChange = 0.0f;
    riders_[0].race(p, ground, hooks_, in.keys, dt, in.now);
    result = singleRules(ground, clock, in);
  }

  hooks_.updateMessages();
  bonus(0, clock.deadline);
  return result;
}

void VornRace::endSingleRace(VornRaceClock& clock, RaceSound cue, bool won, int stage) {
  hooks_.muteLoopingSounds();
  hooks_.stopMusic();
  hooks_.playSound(cue);
  players_[0]->racing = 0;
  if (won) {
    hooks_.setHudWon(0);
  } else {
    hooks_.setHudLost(0);
  }
  clock.raceStage = stage;
}

VornRaceResult VornRace::singleRules(VornGround& ground, VornRaceClock& clock, const VornRaceInput& in) {
  VornPlayer& p = *players_[0];
  VornRider& rider = riders_[0];
  const int64_t s = secondsLeft(clock.deadline, in.now);
  VornRaceResult result;

  // 1. Exhaustion.
  if (hooks_.updateHud(0, s, rider.awakeChange, p.speed)) {
    p.knockedOut = 1;
    endSingleRace(clock, RaceSound::kLose, false, 1);
  }

  // 2. The lean was posed with the motion. 3. The race against the recorded
  // run, while the player is still in it. Crossing the line in time beats a
  // ghost arriving in the same frame; crossing it with the clock run out is
  // the loss of step 4.
  if (in.ghostGame && p.racing) {
    hooks_.recordFrame(dt_, p.modelTransform.modelMatrix());
    const bool ghostArrived = hooks_.advanceReplay(dt_);
    if (rider.endOfTrack && s > 0) {
      hooks_.closeRecording();
      endSingleRace(clock, RaceSound::kWin, true, 3);
    } else if (ghostArrived && !rider.endOfTrack) {
      endSingleRace(clock, RaceSound::kLost, false, 1);
    }
  }

  // 4. Finish and clock. A finish is handed over one frame later, so the
  // winning frame is still drawn with its text.
  const bool finishedBefore = clock.raceStage == 2;
  if (clock.raceStage == 0) {
    if (s > T::kWinTextAbove && rider.endOfTrack) {
      hooks_.showWinText();
      hooks_.stopMusic();
      clock.raceStage = 2;
    } else if (s > 0 && rider.endOfTrack) {
      hooks_.stopMusic();
      clock.raceStage = 2;
    } else if (s <= 0) {
      endSingleRace(clock, RaceSound::kLost, false, 1);
    }
  }

  // 5. The frame after a finish goes to the highscores.
  if (finishedBefore) {
    result.request = RaceRequest::kFinished;
    result.secondsLeft = s;
  }

  // 6. Camera.
  if (cameras_[0]) cameras_[0]->update(ground);
  return result;
}

void VornRace::playerContact() {
  VornPlayer& a = *players_[0];
  VornPlayer& b = *players_[1];
  if (a.position().distanceSquared(b.position()) >= T::kPlayerContactSquared) return;
  const float change = -a.speed * b.speed * T::kContactAwake;
  const VornVector direction = a.direction;
  const float speed = a.speed;
  a.direction = b.direction;
  a.speed = b.speed;
  b.direction = direction;
  b.speed = speed;
  riders_[0].awakeChange = change;
  riders_[1].awakeChange = change;
}

void VornRace::horns(VornRaceClock& clock, float dt) {
  if (!clock.hornActive || !clock.hornTimer) return;
  for (int i = 0; i < 2; ++i) {
    if (!clock.hornActive[i]) continue;
    clock.hornTimer[i] -= dt;
    if (clock.hornTimer[i] >= 0.0f) continue;
    clock.hornActive[i] = false;
    // Two players on the same spot would make the blast infinite; closer
    // than one unit counts as one unit.
    float d = std::sqrt(players_[0]->position().distanceSquared(players_[1]->position()));
    if (d < 1.0f) d = 1.0f;
    VornRider& target = riders_[other(i)];
    target.awakeChange -= T::kHornStrength / d;
    std::printf("%f\n", static_cast<double>(target.awakeChange));
  }
}

void VornRace::splitRules(int index, VornRaceClock& clock, int64_t now) {
  VornPlayer& p = *players_[index];
  if (!p.racing) return;
  // A player who has already stopped keeps its verdict: a loss that comes
  // later (both clocks run out in the same frame) must not turn it into a win.
  const bool otherRacing = players_[other(index)]->racing != 0;
  const int64_t deadline = index == 0 ? clock.deadline : clock.deadline2;
  const int64_t s = secondsLeft(deadline, now);
  if (hooks_.updateHud(index, s, riders_[index].awakeChange, p.speed)) {
    hooks_.playSound(RaceSound::kLose);
    p.racing = 0;
    p.knockedOut = 1;
    clock.raceStage = 1;
    hooks_.setHudLost(index);
    if (otherRacing) hooks_.setHudWon(other(index));
  } else if (s <= 0) {
    // The player out of time stops: it has lost, and its clock would
    // otherwise report the loss again on every later frame.
    hooks_.setHudLost(index);
    if (otherRacing) hooks_.setHudWon(other(index));
    hooks_.playSound(RaceSound::kLost);
    p.racing = 0;
  } else if (riders_[index].endOfTrack) {
    // Only the first over the line wins; the second one arrives too late.
    if (splitFinisher_ < 0) {
      splitFinisher_ = index;
      hooks_.setHudWon(index);
      hooks_.setHudLost(other(index));
      hooks_.playSound(RaceSound::kWin);
    } else {
      hooks_.setHudLost(index);
      hooks_.playSound(RaceSound::kLost);
    }
    p.racing = 0;
  }
}

VornRaceResult VornRace::updateSplit(VornGround& ground, VornRaceClock& clock, const VornRaceInput& in) {
  riders_[0].useKeys(kPlayer1Keys);
  const float dt = takeStep(clock, in.now);
  for (VornCamera* camera : cameras_) {
    if (camera) camera->setMouse(in.mouseX, in.mouseY);
  }
  clock.splitCountdown -= dt;

  VornRaceResult result;
  if (!players_[0]->countdownDone) {
    countdown(clock, in.now, 2);
    for (VornCamera* camera : cameras_) {
      if (camera) camera->update(ground);
    }
  } else {
    riders_[0].awakeChange = 0.0f;
    riders_[1].awakeChange = 0.0f;
    playerContact();
    horns(clock, dt);

    const bool anyRacing = players_[0]->racing || players_[1]->racing;
    // The snow and the animated instances move on once a frame, with the
    // first player's update.
    for (int i = 0; i < 2; ++i) {
      if (players_[i]->racing) {
        riders_[i].race(*players_[i], ground, hooks_, in.keys, dt, in.now, i == 0);
      } else {
        afterRace(i, ground, dt, i == 0);
      }
    }
    for (int i = 0; i < 2; ++i) {
      const bool wasRacing = players_[i]->racing;
      splitRules(i, clock, in.now);
      if (wasRacing && cameras_[i]) cameras_[i]->update(ground);
    }
    const bool noneRacing = !players_[0]->racing && !players_[1]->racing;
    if (anyRacing && noneRacing) hooks_.muteLoopingSounds();
    if (!noneRacing) {
      spaceReleased_ = !in.keys[kSpaceKey];
    } else if (freshSpacePress(in.keys)) {
      result.request = RaceRequest::kBackToMenu;
    }
  }

  hooks_.updateMessages();
  bonus(0, clock.deadline);
  bonus(1, clock.deadline2);
  return result;
}

}  // namespace vorn
