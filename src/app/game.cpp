// The game object's state machine and input handling. Drawing is in
// game_frame.cpp, the loading sequence in game_loading.cpp.
#include "app/game.h"

#include <GL/glut.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "app/platform.h"
#include "app/window_x11.h"

namespace vorn {

bool showShadowVolumes = false;
int terrainWireframe = 0;
bool textureFilterLinearToggle = false;
bool mipmapToggle = false;
bool hornReady[2] = {true, true};
bool hornActive[2] = {false, false};
float hornTimer[2] = {0.0f, 0.0f};
unsigned int shadowTexture = 0;

namespace {
constexpr int kLeftButton = 0;
constexpr int kMiddleButton = 1;
constexpr int kButtonUp = 1;
}  // namespace

VornGame::VornGame(const VornClock& clock) : fpsCounter(clock), clock_(&clock) {
  // The highscore table has read score.txt by now (member initialiser).
}

VornGame::~VornGame() = default;

void VornGame::setState(int newState) {
  if (newState == state) return;
  setPaused(false);
  state = newState;
  if (trace_) {
    std::printf("state %s\n", stateName(state));
    std::fflush(stdout);
  }
}

void VornGame::trace(const char* line) const {
  if (!trace_) return;
  std::printf("%s\n", line);
  std::fflush(stdout);
}

void VornGame::traceSound(const char* what, const char* slot) const {
  if (!trace_) return;
  std::printf("%s %s at %.3f\n", what, slot, static_cast<double>(getTimeMicroseconds() - audioOpenedWall_) / 1e6);
  std::fflush(stdout);
}

void VornGame::keyDown(int code) {
  if (code < 0 || code >= kKeyCodeCount) return;
  keys[code] = 1;

  switch (code) {
    case key::kShadowVolumes:
    case key::kPageUp: showShadowVolumes = !showShadowVolumes; break;
    case key::kF2: showDebugInfo = !showDebugInfo; break;
    case key::kF3: wireframeMode = !wireframeMode; break;
    case key::kF4:
      // Applies to textures uploaded from now on.
      if (textureFilterLinearToggle) {
        VornTexture::setNearest();
      } else {
        VornTexture::setLinear();
      }
      textureFilterLinearToggle = !textureFilterLinearToggle;
      break;
    case key::kF5:
      if (mipmapToggle) {
        VornTexture::disableMipmaps();
      } else {
        VornTexture::enableMipmaps();
      }
      mipmapToggle = !mipmapToggle;
      break;
    default: break;
  }

  if (state == kStateRace || state == kStateSplitRace) {
    switch (code) {
      case key::kPlacier:
      case key::kEnd:
        writePlacement();
        break;
      case key::kPlus:
      case key::kMinus:
        sound.volumeKey(static_cast<unsigned char>(code));
        break;
      case key::kS:
      case key::kEight:
      case key::kT:
        models.animationKeyDown(code);
        break;
      case key::kHorn1:
        if (state == kStateRace || (splitCountdown < 0.0f && hornReady[0])) startHorn(0);
        break;
      case key::kHorn2:
        if (splitCountdown < 0.0f && hornReady[1]) startHorn(1);
        break;
      case key::kPause:
        setPaused(!paused_);
        break;
      case key::kRestart:
        if (VornTerrain* ground = raceGround()) {
          race->restart(ground->startPosition());
          objectContacts_.forget();
        }
        lastFrameTime = now();
        break;
      default: break;
    }
  }

  if (state == kStateNameEntry) applyNameKey(playerName, code);
}

void VornGame::startHorn(int player) {
  models.startHornAnimation(player);
  sound[kSoundHorn].play();
  hornReady[player] = false;
  hornActive[player] = true;
  hornTimer[player] = kHornTime;
}

void VornGame::keyUp(int code) {
  if (code < 0 || code >= kKeyCodeCount) return;
  keys[code] = 0;
  if (state == kStateRace) models.animationKeyUp(code, true);
}

void VornGame::mouseButton(int button, int buttonState) {
  if (button >= 0 && button <= 2) mouseButtons[button] = buttonState;
  const bool leftRelease = button == kLeftButton && buttonState == kButtonUp;

  switch (state) {
    case kStateMenu:
      clickX = mouseX;
      clickY = mouseY;
      if (!leftRelease) break;
      switch (menuItemAt(mouseX, mouseY)) {
        case MenuItem::kSingleGame: startRace(kStateRace, false); break;
        case MenuItem::kGhostGame: startRace(kStateRace, true); break;
        case MenuItem::kSplitGame: startRace(kStateSplitRace, false); break;
        case MenuItem::kHighscores: setState(kStateHighscores); break;
        case MenuItem::kQuit: std::exit(0);
        case MenuItem::kNone: break;
      }
      break;
    case kStateRace:
      if (button == kMiddleButton) {
        if (world) world->wireframe = !world->wireframe;
        terrainWireframe = !terrainWireframe;
      }
      break;
    case kStateHighscores:
      if (leftRelease && inBackBox(mouseX, mouseY)) {
        setState(kStateMenu);
        resetAfterRace();
      }
      break;
    case kStateNameEntry:
      if (leftRelease && inBackBox(mouseX, mouseY)) {
        highscores.insert(static_cast<int32_t>(lastScore), playerName);
        highscores.save();
        setState(kStateHighscores);
      }
      break;
    default: break;
  }
}

void VornGame::startRace(int raceState, bool withGhost) {
  // A world that failed to load has no ground to race on: the menu stays
  // (err.txt tells why).
  if (!raceGround()) return;
  setState(raceState);
  if (raceState == kStateRace) {
    ghostGame = withGhost;
    // A ghost race replays the stored run from its start and records this
    // one from an empty file.
    if (ghostGame) {
      loadGhost();
      recorder.clear();
    }
    huds[0].reset();
  } else {
    splitCountdown = kSplitCountdown;
  }
  // Each race gives both players their one horn again, and a blast still
  // pending from an earlier race (the single race never sounds it) is dropped.
  for (int i = 0; i < 2; ++i) {
    hornReady[i] = true;
    hornActive[i] = false;
    hornTimer[i] = 0.0f;
  }
  raceStage = 0;
  sound.raceStart();
  lastFrameTime = now();
  deadline = lastFrameTime + kCountdownMicros;
  deadline2 = deadline;
  glutSetCursor(GLUT_CURSOR_NONE);
  // The chase camera follows the pointer; a race starts with the (hidden)
  // pointer low in the middle, which puts the camera straight behind and a
  // little above the player, wherever the menu item was clicked.
  mouseX = kVirtualWidth / 2;
  mouseY = kRaceStartPointerY;
  glutWarpPointer(mouseX * windowWidth / kVirtualWidth, mouseY * windowHeight / kVirtualHeight);
  // Each racing player is placed at the start, offset sideways, with speed 10,
  // and its camera reset; every action object is reset.
  resetActionObjects();
  placePlayers(raceState);
}

void VornGame::resetAfterRace() {
  huds[0].reset();
  huds[1].reset();
  for (auto& camera : cameras) {
    if (camera) camera->reset();
  }
  resetActionObjects();
}

void VornGame::returnToMenu() {
  setState(kStateMenu);
  resetAfterRace();
}

void VornGame::updateMessages() {
  // Without a font the messages still age and expire.
  VornTextQueue unseen;
  messages.update(now(), font ? static_cast<VornTextQueue&>(*font) : unseen);
}

void VornGame::addMessage(int startX, int endX, int startY, int endY, int startSize, int endSize,
                          const float colours[6], int durationTenths, const char* format, ...) {
  va_list args;
  va_start(args, format);
  messages.vadd(now(), startX, endX, startY, endY, startSize, endSize, colours, durationTenths, format, args);
  va_end(args);
}

void VornGame::setPaused(bool on) {
  const bool racing = state == kStateRace || state == kStateSplitRace;
  if (on == paused_ || (on && !racing)) return;
  if (on) {
    pauseStart_ = clock_->nowMicroseconds();
    musicGainBeforePause_ = sound.music.getGain();
    sound.music.setGain(musicGainBeforePause_ * kPausedMusicFactor);
    // The sliding loops and the snore fall silent; the next update sets them again.
    for (VornSoundSlot slot : kRaceLoopSlots) sound[slot].setGain(0.0f);
  } else {
    pausedTotal_ += clock_->nowMicroseconds() - pauseStart_;
    sound.music.setGain(musicGainBeforePause_);
  }
  paused_ = on;
  trace(on ? "paused" : "resumed");
}

void VornGame::windowHidden() {
  if (state == kStateRace || state == kStateSplitRace) setPaused(true);
}

void VornGame::checkFocus() {
  if (--focusCheckCountdown_ > 0) return;
  focusCheckCountdown_ = kFocusCheckFrames;
  const WindowFocus focus = windowFocus();
  // Only a focus that moves away pauses: without a window manager nobody
  // holds the focus, and that must not pause every race.
  if (focus == WindowFocus::kElsewhere && hadFocus_) setPaused(true);
  if (focus != WindowFocus::kUnknown) hadFocus_ = focus == WindowFocus::kFocused;
}

void VornGame::cleanup() {
  // The recorder has nothing to flush: it closes its file after every line.
  sound.cleanup();
}

}  // namespace vorn
