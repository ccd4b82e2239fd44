// The race frames of the game object: draw the scene, then run the race
// update; and the race's set-up — the players, cameras and the hooks through
// which the race update reaches the HUD, the messages and the sounds.
#include <GL/glew.h>
#include <GL/glut.h>

#include <cstdio>

#include "app/game.h"
#include "app/platform.h"
#include "assets/shadow_volume.h"
#include "assets/shadow_volume_gl.h"
#include "player/player_gl.h"
#include "sound/sound_rules.h"
#include "world/particles_gl.h"

namespace vorn {

namespace {

// The split frame's half-height views: twice the aspect, far plane 1000.
constexpr double kSplitFieldOfView = 45.0;
constexpr double kSplitNear = 1.0;
constexpr double kSplitFar = 1000.0;

// The players' stand-in colours when the cow model could not be loaded.
constexpr float kPlayerTint[2][3] = {{0.95f, 0.9f, 0.8f}, {0.85f, 0.35f, 0.25f}};

// "You Win!": queued for one frame at (100, 500), size 80, green.
constexpr int kWinTextX = 100;
constexpr int kWinTextY = 500;
constexpr int kWinTextSize = 80;
// "Paused": in the middle of the screen, over the frozen race.
constexpr int kPausedTextX = 260;
constexpr int kPausedTextY = 280;
constexpr int kPausedTextSize = 60;

// A ball around the cow's centre that holds the cow and both riders, for the
// length of their shadow volumes.
constexpr float kCasterRadius = 16.0f;

// The race update's calls into the game's other parts.
class GameRaceHooks final : public VornRaceHooks {
 public:
  explicit GameRaceHooks(VornGame& game) : game_(game) {}

  // The clock reading of the frame being updated.
  void setNow(int64_t now) { now_ = now; }

  bool updateHud(int player, int64_t secondsLeft, float awakeChange, float speed) override {
    const bool exhausted = game_.huds[player].update(static_cast<int>(secondsLeft), awakeChange, speed);
    // One snore loop for both players: the sleepier one is heard.
    float awake = game_.huds[0].awake;
    if (game_.state == kStateSplitRace && game_.huds[1].awake < awake) awake = game_.huds[1].awake;
    game_.sound[kSoundSnore].setGain(snoreGain(awake));
    return exhausted;
  }
  void setHudWon(int player) override { game_.huds[player].setWon(); }
  void setHudLost(int player) override { game_.huds[player].setLost(); }

  void showMessage(RaceText kind, int player, const char* text) override {
    if (game_.tracing()) {
      std::printf("message %s\n", text);
      std::fflush(stdout);
    }
    switch (kind) {
      case RaceText::kCountdown: addCountdownMessage(game_.messages, now_, text); break;
      case RaceText::kJumpRating: addJumpMessage(game_.messages, now_, text); break;
      case RaceText::kBonus:
        if (game_.state == kStateSplitRace) {
          addSplitBonusMessage(game_.messages, now_, player);
        } else {
          addBonusMessage(game_.messages, now_);
        }
        break;
    }
  }
  void showWinText() override {
    if (game_.font) game_.font->print(kWinTextX, kWinTextY, kWinTextSize, VornRgb{0.0f, 1.0f, 0.0f}, "You Win!");
  }
  void updateMessages() override { game_.updateMessages(); }

  void playSound(RaceSound cue) override {
    const VornSoundSlot slot = soundSlot(cue);
    game_.sound[slot].play();
    game_.traceSound("sound", soundSlotInfo(slot).name);
  }
  void startSlidingSounds(int) override {
    for (VornSoundSlot slot : kSlidingSlots) {
      if (!game_.sound[slot].isPlaying()) game_.sound[slot].play();
    }
  }
  void setSlidingSounds(int player, const SlidingSoundLevels& levels) override {
    game_.sound[kSoundSpeed].setGain(levels.snowGain);
    game_.sound[kSoundIce].setGain(levels.iceGain);
    game_.sound[kSoundGrass].setGain(levels.grassGain);
    for (VornSoundSlot slot : kSlidingSlots) game_.sound[slot].setPitch(levels.pitch);
    // The trace names the loop heard loudest whenever player 1's ground changes it.
    const VornSoundSlot loudest = levels.grassGain > levels.snowGain && levels.grassGain > levels.iceGain
                                      ? kSoundGrass
                                      : (levels.iceGain > levels.snowGain ? kSoundIce : kSoundSpeed);
    if (player == 0 && loudest != loudestSliding_) {
      loudestSliding_ = loudest;
      game_.traceSound("sliding", soundSlotInfo(loudest).name);
    }
  }
  void silenceSlidingSounds(int) override {
    for (VornSoundSlot slot : kSlidingSlots) game_.sound[slot].setGain(0.0f);
  }
  void muteLoopingSounds() override {
    for (VornSoundSlot slot : kRaceLoopSlots) game_.sound[slot].setGain(0.0f);
  }
  void stopMusic() override { game_.sound.music.setGain(0.0f); }

  void advanceAnimations(float dt) override { game_.models.advanceAnimations(dt); }
  // A knocked-out cow sleeps where it fell, under a cloud of snow thrown
  // away from its camera.
  void emitSleeping(const VornVector& position, const VornVector& towardsCamera) override {
    game_.sound[kSoundSnore].setGain(kSnoreFullGain);
    if (game_.snow) game_.snow->emitBurst(position, towardsCamera, VornParticleSystem::kSleepStrength);
  }
  // The snow: grass under the cow browns it, ice makes it clear.
  void advanceParticles(float amount, float grass, float ice) override {
    if (game_.snow) game_.snow->update(amount, grass, ice);
  }
  void emitSpray(const VornVector& position, const VornVector& direction, float speed) override {
    if (game_.snow) game_.snow->emitSpray(position, direction, speed);
  }
  void emitTakeOff(const VornVector& position, const VornVector& direction, float speed) override {
    if (game_.snow) game_.snow->emitTrail(position, direction, speed);
  }

  float collideObjects(int player, VornPlayer& body) override { return game_.collideObjects(player, body); }
  // In the split race both players test the bottles each frame, player 1
  // first: a bottle both reach in the same frame goes to player 1.
  bool updateBeers(int player, const VornVector& position) override { return game_.takeBeers(player, position); }

  // The ghost race: this run is recorded while the stored one is replayed;
  // the run that beats the ghost becomes the next ghost.
  void recordFrame(float dt, const VornMatrix& model) override { game_.recorder.record(dt, model.m); }
  bool advanceReplay(float dt) override {
    const bool arrived = game_.ghost.advance(dt);
    if (arrived) game_.trace("ghost finished");
    return arrived;
  }
  void closeRecording() override {
    if (game_.recorder.keepAsGhost()) game_.trace("ghost kept");
  }

 private:
  static constexpr VornSoundSlot kSlidingSlots[] = {kSoundSpeed, kSoundGrass, kSoundIce};
  static VornSoundSlot soundSlot(RaceSound cue) {
    switch (cue) {
      case RaceSound::kJump: return kSoundJump;
      case RaceSound::kHeya: return kSoundHeya;
      case RaceSound::kWin: return kSoundWin;
      case RaceSound::kLost: return kSoundLost;
      case RaceSound::kLose: return kSoundLose;
      case RaceSound::kPfferp: return kSoundPfferp;
    }
    return kSoundJump;
  }

  VornGame& game_;
  int64_t now_ = 0;
  VornSoundSlot loudestSliding_ = kSoundSlotCount;
};

}  // namespace

VornTerrain* VornGame::raceGround() {
  return world && world->usable() && race ? &world->terrain() : nullptr;
}

void VornGame::createRace() {
  raceHooks = std::make_unique<GameRaceHooks>(*this);
  race = std::make_unique<VornRace>(*raceHooks);
  for (int i = 0; i < 2; ++i) {
    players[i] = std::make_unique<VornPlayer>();
    riders[i][0] = std::make_unique<VornPlayer>();
    riders[i][1] = std::make_unique<VornPlayer>();
    race->attach(i, players[i].get(), cameras[i].get());
  }
}

VornRaceClock VornGame::raceClock() {
  return VornRaceClock{lastFrameTime, deadline, deadline2, raceStage, splitCountdown, hornActive, hornTimer};
}

void VornGame::placePlayers(int raceState) {
  VornTerrain* ground = raceGround();
  if (!ground) return;
  if (raceState == kStateRace) {
    race->placeAtStart(0, ground->startPosition(), VornRaceTuning::kSingleStartOffset);
  } else {
    race->placeAtStart(0, ground->startPosition(), VornRaceTuning::kSplitStartOffset);
    race->placeAtStart(1, ground->startPosition(), -VornRaceTuning::kSplitStartOffset);
  }
  // The cameras look at their players from the first picture on.
  for (int i = 0; i < (raceState == kStateRace ? 1 : 2); ++i) {
    if (cameras[i]) cameras[i]->update(*ground);
  }
}

void VornGame::runRaceUpdate(bool split) {
  VornTerrain* ground = raceGround();
  if (!ground) return;
  const int64_t t = now();
  static_cast<GameRaceHooks*>(raceHooks.get())->setNow(t);
  // The demo driver holds the keys only until the race ends, so Space after
  // it is the player's.
  const VornPlayer& driven = *players[0];
  if (autopilot && (!split || demoSplit) && (driven.racing || !driven.countdownDone)) autopilot->drive(driven, keys);
  previousPosition = players[0]->position();

  VornRaceClock clock = raceClock();
  VornRaceInput in;
  in.now = t;
  in.keys = keys;
  in.mouseX = static_cast<float>(mouseX);
  in.mouseY = static_cast<float>(mouseY);
  in.ghostGame = ghostGame && !split;
  const VornRaceResult result = split ? race->updateSplit(*ground, clock, in) : race->updateSingle(*ground, clock, in);

  switch (result.request) {
    case RaceRequest::kNone:
      break;
    case RaceRequest::kFinished: {
      resetAfterRace();
      lastScore = result.secondsLeft;
      const int place = highscores.rank(static_cast<int32_t>(lastScore));
      sound.raceEnd(place > 0);
      if (place > 0) traceSound("sound", soundSlotInfo(kSoundWin).name);
      setState(place > 0 ? kStateNameEntry : kStateHighscores);
      break;
    }
    case RaceRequest::kBackToMenu:
      returnToMenu();
      break;
  }
}

void VornGame::drawRaceView(int view) {
  VornCamera* camera = cameras[view].get();
  // 1. Camera and sky.
  if (camera) {
    applyCamera(*camera);
    if (sky) sky->draw(camera->eyePosition());
    logFrameStep("sky");
  }
  // 2. Light.
  glCallList(lightList);
  glEnable(GL_LIGHTING);
  logFrameStep("light");
  // 3. Model pass: every material group of the textured and untextured
  // tables, for this view's instances. A player whose cow model failed to
  // load is shown as a plain stand-in so the race stays playable.
  models.drawModels(view);
  const VornObject* cow = models.model(kModelCow);
  if (!cow || cow->faceCount == 0) {
    const int shown = state == kStateSplitRace ? 2 : 1;
    for (int i = 0; i < shown; ++i) {
      if (players[i]) drawPlayerPlaceholder(*players[i], kPlayerTint[i]);
    }
  }
  glEnable(GL_TEXTURE_2D);
  logFrameStep("models");
  // 4. and 5. The terrain.
  if (terrainWireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  if (world) world->draw();
  logFrameStep("terrain");
  // 6. The bottles' shadows on the ground (the bottles themselves and the
  // other placed objects are drawn by the model pass, per view).
  drawBeerShadows();
  logFrameStep("objects");
  // 7. The ghost, in the single race only.
  if (state == kStateRace && ghostGame) {
    drawGhost();
    logFrameStep("ghost");
  }
  // 8. The stencil shadows of the cows and riders: player 1's, and player
  // 2's too in the split race (in both halves).
  // Each volume reaches just under the ground below its cow.
  const int casters = state == kStateSplitRace ? 2 : 1;
  float reach[2] = {kShadowExtrusion, kShadowExtrusion};
  for (int i = 0; i < casters; ++i) {
    if (players[i] && world) {
      reach[i] = world->terrain().shadowReach(players[i]->position(), lightPosition, kCasterRadius, kShadowExtrusion);
    }
  }
  drawShadows(models.models, lightPos, reach, casters, stencilTwoSideSupported, showShadowVolumes);
  logFrameStep("shadows");
  // 9. The snow seen from this view's camera, which the snowfall follows.
  if (snow && camera) {
    snow->followCamera(view, camera->eyePosition(), camera->viewVector());
    drawParticleSystem(*snow, textures, camera->viewVector(), camera->upVector(), pointSpritesSupported);
    logFrameStep("snow");
  }
}

void VornGame::drawPausedText() {
  updateMessages();
  if (font) font->print(kPausedTextX, kPausedTextY, kPausedTextSize, VornRgb{1.0f, 1.0f, 0.6f}, "Paused");
}

void VornGame::loadGhost() {
  ghost.load(kGhostMap);
  if (trace_) {
    std::printf("ghost: %d frames\n", ghost.count());
    std::fflush(stdout);
  }
}

void VornGame::drawGhost() {
  if (ghost.count() > 0) models.drawGhost([this] { ghost.applyTransform(); });
}

void VornGame::drawSingleScene() {
  drawRaceView(0);
  // 10. Music upkeep.
  sound.raceFrame();
  logFrameStep("music");
  // 11. The HUD.
  huds[0].drawSingle();
  logFrameStep("hud");
  // 12. The single race update; a paused race only shows its messages.
  if (paused_) {
    drawPausedText();
  } else {
    runRaceUpdate(false);
    logFrameStep("update");
  }
}

void VornGame::drawSplitScene() {
  if (terrainWireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kSplitFieldOfView, 2.0 * windowAspect(), kSplitNear, kSplitFar);
  glMatrixMode(GL_MODELVIEW);
  logFrameStep("projection");

  // Player 1 in the bottom half, player 2 in the top half.
  for (int view = 0; view < 2; ++view) {
    glViewport(0, view == 0 ? 0 : viewportHeight / 2, viewportWidth, viewportHeight / 2);
    glLoadIdentity();
    logFrameStep(view == 0 ? "bottom" : "top");
    drawRaceView(view);
    huds[view].drawSplit(view);
    logFrameStep("hud");
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
  }

  setStandardProjection();
  logFrameStep("full-view");
  sound.raceFrame();
  logFrameStep("music");
  if (paused_) {
    drawPausedText();
  } else {
    runRaceUpdate(true);
    logFrameStep("update");
  }
  if (terrainWireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

}  // namespace vorn
