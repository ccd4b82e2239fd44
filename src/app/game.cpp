// The game object's state machine and input handling. Drawing is in
// game_frame.cpp, the loading sequence in game_loading.cpp.
#include "app/game.h"

#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>

#include "app/platform.h"

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
  // The highscore table (score.txt) is read here once it exists (waits for: highscores).
}

VornGame::~VornGame() = default;

void VornGame::setState(int newState) {
  if (newState == state) return;
  state = newState;
  if (trace_) {
    std::printf("state %s\n", stateName(state));
    std::fflush(stdout);
  }
}

void VornGame::keyDown(int code) {
  if (code < 0 || code > 255) return;
  keys[code] = 1;

  switch (code) {
    case key::kShadowVolumes: showShadowVolumes = !showShadowVolumes; break;
    case key::kF2: showDebugInfo = !showDebugInfo; break;
    case key::kF3: wireframeMode = !wireframeMode; break;
    case key::kF4:
      // Switches the class-wide texture filter (waits for: textures).
      textureFilterLinearToggle = !textureFilterLinearToggle;
      break;
    case key::kF5:
      // Switches the class-wide mipmap setting (waits for: textures).
      mipmapToggle = !mipmapToggle;
      break;
    default: break;
  }

  if (state == kStateRace || state == kStateSplitRace) {
    switch (code) {
      case key::kPlacier:
        // Appends player 1's position to placier.txt (waits for: action objects).
        break;
      case key::kPlus:
      case key::kMinus:
        // Raises or lowers the music gain (waits for: sound).
        break;
      case key::kS:
      case key::kEight:
      case key::kT:
        // Starts a clip of the riders (waits for: models).
        break;
      case key::kHorn1:
        if (state == kStateRace || (splitCountdown < 0.0f && hornReady[0])) startHorn(0);
        break;
      case key::kHorn2:
        if (splitCountdown < 0.0f && hornReady[1]) startHorn(1);
        break;
      case key::kRestart:
        // Puts player 1 back at the start with speed 10 (waits for: world and players).
        lastFrameTime = now();
        break;
      default: break;
    }
  }

  if (state == kStateNameEntry) applyNameKey(playerName, code);
}

void VornGame::startHorn(int player) {
  // The riders' horn clips and the horn sound (waits for: models, sound).
  hornReady[player] = false;
  hornActive[player] = true;
  hornTimer[player] = kHornTime;
}

void VornGame::keyUp(int code) {
  if (code < 0 || code > 255) return;
  keys[code] = 0;
  // In a single race "s" and "5" released start the riders' clips (waits for: models).
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
        // Also flips the world's debug display (waits for: world).
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
        // Inserts (lastScore, playerName) and saves the table (waits for: highscores).
        setState(kStateHighscores);
      }
      break;
    default: break;
  }
}

void VornGame::startRace(int raceState, bool withGhost) {
  setState(raceState);
  if (raceState == kStateRace) {
    ghostGame = withGhost;
    // A ghost race reloads and rewinds the recorded run (waits for: recorded runs).
    // The first HUD is reset (waits for: HUD).
  } else {
    splitCountdown = kSplitCountdown;
  }
  raceStage = 0;
  // The start sound plays and the music starts at gain 0.5 (waits for: sound).
  lastFrameTime = now();
  deadline = lastFrameTime + kCountdownMicros;
  glutSetCursor(GLUT_CURSOR_NONE);
  // Each racing player is placed at the start, offset sideways, with speed 10;
  // action objects and cameras are reset (waits for: world, players, cameras).
}

void VornGame::resetAfterRace() {
  // Both HUDs, all action objects and both cameras are reset (waits for: HUD,
  // action objects, cameras).
}

void VornGame::returnToMenu() {
  setState(kStateMenu);
  resetAfterRace();
}

void VornGame::cleanup() {
  // Stops the recorder, the six effect slots and the music (waits for:
  // recorded runs, sound).
}

}  // namespace vorn
