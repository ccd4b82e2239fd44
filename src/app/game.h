// The game object: owns every loaded asset and runs the state machine (loading,
// menu, races, highscores, name entry); one instance for the process's life.
// Units: clock values in microseconds. Cost: one display() per GLUT frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/pass_marks.h"
#include "app/font.h"
#include "app/ghost.h"
#include "app/fps_counter.h"
#include "app/highscore.h"
#include "app/hud.h"
#include "app/input.h"
#include "app/race_message.h"
#include "assets/model_set.h"
#include "math/vector.h"
#include "player/action_object.h"
#include "player/autopilot.h"
#include "player/camera.h"
#include "player/object_contacts.h"
#include "player/player.h"
#include "player/race.h"
#include "sound/sound_bank.h"
#include "world/object_shadows.h"
#include "world/particles.h"
#include "world/sky.h"
#include "world/terrain.h"
#include "world/world.h"

namespace vorn {

// Flags read or toggled by the game's keys and read by the renderers.
extern bool showShadowVolumes;
extern int terrainWireframe;
extern bool textureFilterLinearToggle;
extern bool mipmapToggle;
extern bool hornReady[2];
extern bool hornActive[2];
extern float hornTimer[2];
extern unsigned int shadowTexture;

class VornGame {
 public:
  static constexpr int kLoadSteps = 22;           // steps 0..21, then the menu
  static constexpr int64_t kCountdownMicros = 1000000;
  static constexpr float kSplitCountdown = 30.0f;
  static constexpr float kHornTime = 8.0f;
  static constexpr float kStartSpeed = 10.0f;
  static constexpr int kRaceStartPointerY = 380;  // virtual pointer height at a race start

  // Time comes only from `clock`, so tests can drive frames with a manual
  // clock. Never destroyed: both ways out (Quit, Escape) call exit().
  explicit VornGame(const VornClock& clock = systemClock());
  ~VornGame();
  VornGame(const VornGame&) = delete;
  VornGame& operator=(const VornGame&) = delete;

  // One frame: clear, draw the current state, swap. In a race the update runs
  // after the drawing, so a picture shows the previous update; input arrives
  // through keyDown/keyUp/mouseButton between frames.
  void display();
  // One loading step plus the loading screen.
  void loadNextStep();
  void drawMainMenu();
  void drawHighscores();
  void drawNameEntry();
  void drawSingleScene();
  void drawSplitScene();

  void keyDown(int code);
  void keyUp(int code);
  void mouseButton(int button, int buttonState);
  // The Escape path: stop recording, sounds and music.
  void cleanup();

  // Pause: the race stands still (its clock, countdown, messages, replay and
  // recording with it: the game's clock stops), "Paused" is shown and the
  // music plays on more quietly. Only races pause; P toggles, and a race
  // pauses by itself when the window is hidden or loses the focus.
  void setPaused(bool on);
  bool paused() const { return paused_; }
  // The window was hidden (iconified, unmapped, fully covered).
  void windowHidden();
  static constexpr float kPausedMusicFactor = 0.35f;
  // How often a race asks X where the keyboard focus is (frames).
  static constexpr int kFocusCheckFrames = 10;

  // Fixed step: `clock` moves kReplayStepMicros before every frame. With
  // `frames` > 0 this is the timed replay: after that many race frames (or
  // when the race ends) the frame rate is printed on standard output and the
  // game quits through the Escape path; with 0 the game simply goes on.
  static constexpr int64_t kReplayStepMicros = 16667;
  // Times every pass of the race frames; the timed replay prints the totals.
  void enablePassProfile();
  void enableTimedReplay(VornManualClock* clock, int frames);
  // Fixed step only: the picture of race frame `frame` (counted from 1 like
  // the timed replay's) is saved as a 24-bit BMP to `fileName`.
  void addSnapshot(int frame, const std::string& fileName);
  // The loading screen drawn after loading step `step` (0..21) is saved the
  // same way; any clock.
  void addLoadingSnapshot(int step, const std::string& fileName);

  // Prints every state change as "state <name>" on standard output.
  void setTrace(bool on) { trace_ = on; }
  // With tracing on, prints `line` and flushes (the end-to-end tests read it live).
  void trace(const char* line) const;
  // With tracing: "sound <slot> at <s>", the wall-clock seconds since the
  // audio device opened, so a recording of the output can be matched to it.
  void traceSound(const char* what, const char* slot) const;
  bool tracing() const { return trace_; }
  void setState(int newState);

  // Queues the live race messages on the font; once every race frame.
  void updateMessages();
  // Appends a race message created now; `colours` holds start then end RGB.
  void addMessage(int startX, int endX, int startY, int endY, int startSize, int endSize, const float colours[6],
                  int durationTenths, const char* format, ...) __attribute__((format(printf, 10, 11)));

  bool ghostGame = false;
  VornHud huds[2];
  int loadScreenTexture = -1;
  VornModelSet models;  // the model table, its shared material tables and the players' instances
  VornSoundBank sound;  // the twelve effect slots and both music tracks
  VornTextureCache textures;  // every texture of the game, addressed by index
  std::string playerName;
  int64_t lastScore = 0;
  VornMessageList messages;
  VornHighscore highscores{"score.txt", false, 5};
  std::unique_ptr<VornFont> font;  // from load step 12
  // The race: the world it runs on (load step 13), the sky and the two
  // chase cameras (step 14), the two players' bodies and the two riders on
  // each (step 15), the race update and the hooks through which it reaches
  // the other subsystems.
  std::unique_ptr<VornWorld> world;
  std::unique_ptr<VornSky> sky;
  std::unique_ptr<VornCamera> cameras[2];
  std::unique_ptr<VornPlayer> players[2];
  std::unique_ptr<VornPlayer> riders[2][2];
  std::unique_ptr<VornRaceHooks> raceHooks;
  std::unique_ptr<VornRace> race;
  // --demo: player 1 is driven by the autopilot (made when the world loads);
  // with --ghost the demo race is a ghost race.
  bool demo = false;
  bool demoGhost = false;
  // --split: the demo race is a split race; the autopilot drives player 1
  // and nobody player 2.
  bool demoSplit = false;
  // --autopilot: the autopilot drives player 1 in every single and ghost
  // race started from the menu.
  bool autopilotRaces = false;
  std::unique_ptr<VornAutopilot> autopilot;
  int64_t deadline2 = 0;  // player 2's race clock in the split race
  // The beer bottles (load step 16), their drawing adapters in model 2's
  // action instances and one projected shadow mesh a bottle.
  VornManageActionObject actionObjects;
  std::vector<std::unique_ptr<VornPlacedInstance>> beerInstances;
  std::vector<VornShadowMesh> beerShadows;
  // The snow thrown up by the cows and falling around the cameras (load step 16).
  std::unique_ptr<VornParticleSystem> snow;

  // The race update's object tests (through the race hooks): trees collide
  // along the path a player travelled since its last test, the other placed
  // objects get their visibility, bottles are taken along the same path.
  float collideObjects(int player, VornPlayer& body);
  bool takeBeers(int player, const VornVector& position);

  // The run being recorded (a ghost race keeps it when it wins) and the
  // stored run replayed as the rival; the maps name their files.
  static constexpr const char* kRecordingMap = "data/maps/twin_paths.rgb";
  static constexpr const char* kGhostMap = "data/maps/twin_paths1.rgb";
  VornGhost recorder;
  VornGhost ghost;

  VornVector lightPosition;
  int state = kStateLoading;
  int raceStage = 0;
  VornVector previousPosition;  // player 1's position before the last update
  VornVector workVector;
  VornFpsCounter fpsCounter;
  int64_t lastFrameTime = 0;
  int64_t deadline = 0;
  int64_t eventTime = 0;
  float splitCountdown = 0.0f;
  unsigned int lightList = 0;
  float lightPos[4] = {0, 0, 0, 0};
  int loadStep = 0;
  int mouseX = 0;
  int mouseY = 0;
  int clickX = 0;
  int clickY = 0;
  int mouseButtons[3] = {1, 1, 1};
  unsigned char keys[kKeyCodeCount] = {};

 private:
  // The game's clock: the clock given at construction less the time spent
  // paused, standing still while paused.
  int64_t now() const { return (paused_ ? pauseStart_ : clock_->nowMicroseconds()) - pausedTotal_; }
  void checkFocus();
  void drawPausedText();
  void startRace(int raceState, bool withGhost);
  void returnToMenu();
  void resetAfterRace();
  void drawLoadingScreen();
  void drawDebugText();
  void startHorn(int player);
  // The ground of the race; null while no usable world is loaded, and then
  // no race starts.
  VornTerrain* raceGround();
  void createRace();
  void placePlayers(int raceState);
  VornRaceClock raceClock();
  void runRaceUpdate(bool split);
  void drawRaceView(int view);
  // Load steps 16, 18 and 19: the bottles and their shadow meshes, the
  // bottle's shadow image, the shadow texture of all placed objects.
  void loadBeers();
  void makeBeerShadowImage();
  void bakeObjectShadows();
  // Every bottle back and every object path forgotten (a race start or end).
  void resetActionObjects();
  // "k"/End: player 1's position appended to placier.txt.
  void writePlacement();
  void drawBeerShadows();
  // Loads (and rewinds) the ghost's run; with --trace prints its frame count.
  void loadGhost();
  // Race-frame step 7: the ghost's silhouette at its current frame.
  void drawGhost();

  void timedReplayFrame();

  // Where each player's next object and bottle test starts its path.
  VornObjectContacts objectContacts_;

  const VornClock* clock_;
  std::vector<std::pair<int, std::string>> snapshots_;
  std::vector<std::pair<int, std::string>> loadingSnapshots_;
  void saveSnapshots();
  void saveLoadingSnapshots();
  bool paused_ = false;
  int64_t pauseStart_ = 0;   // the given clock's reading at the pause
  int64_t pausedTotal_ = 0;  // time spent paused before the current pause
  float musicGainBeforePause_ = 0.0f;
  int focusCheckCountdown_ = 0;
  bool hadFocus_ = false;
  bool trace_ = false;
  // With tracing, the first single and the first split race frame print the
  // steps they ran, in order ("frame single: sky light ...").
  bool frameLogging_ = false;
  bool frameLogged_[2] = {false, false};
  std::string frameLog_;
  void logFrameStep(const char* step) {
    markPass(step);
    if (!frameLogging_) return;
    frameLog_ += ' ';
    frameLog_ += step;
  }
  VornManualClock* replayClock_ = nullptr;
  int replayFrames_ = 0;
  int replayFramesDone_ = 0;
  int64_t replayStartWall_ = 0;
  int64_t audioOpenedWall_ = 0;
};

}  // namespace vorn
