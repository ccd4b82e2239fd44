// Drawing of the game object's screens: the frame dispatch, the menus and the
// race frames. A race frame draws first and simulates afterwards.
#include <GL/glew.h>
#include <GL/glut.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>
#include <cstdlib>

#include "app/game.h"
#include "app/platform.h"
#include "app/screen2d.h"
#include "assets/bmp_codec.h"

namespace vorn {

namespace {

// --pass-profile: the wall-clock time of each pass of the race frames, summed
// by name in the order the names first come. Each mark lets the renderer
// finish first (glFinish), so the passes do not overlap and the sum is
// a little above an unprofiled frame.
struct PassTotal {
  const char* pass;
  int64_t micros;
};
std::vector<PassTotal> passTotals;
int64_t lastPassMark = 0;

void timePass(const char* pass) {
  glFinish();
  const int64_t now = getTimeMicroseconds();
  auto it = std::find_if(passTotals.begin(), passTotals.end(),
                         [pass](const PassTotal& t) { return std::strcmp(t.pass, pass) == 0; });
  if (it == passTotals.end()) it = passTotals.insert(passTotals.end(), PassTotal{pass, 0});
  it->micros += now - lastPassMark;
  lastPassMark = now;
}

}  // namespace

void VornGame::enablePassProfile() { setPassMarkHandler(timePass); }

void VornGame::display() {
  // Swapping the previous picture and waiting for the next frame's event.
  if (state == kStateRace || state == kStateSplitRace) markPass("swap");
  if (replayClock_) timedReplayFrame();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();

  switch (state) {
    case kStateLoading:
      loadNextStep();
      if (!loadingSnapshots_.empty() && state == kStateLoading) saveLoadingSnapshots();
      break;
    case kStateRace:
    case kStateSplitRace:
      checkFocus();
      if (font) font->begin();
      if (wireframeMode) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    {
      const int kind = state == kStateRace ? 0 : 1;
      frameLogging_ = trace_ && !frameLogged_[kind];
      if (kind == 0) {
        drawSingleScene();
      } else {
        drawSplitScene();
      }
      if (frameLogging_) {
        std::printf("frame %s:%s\n", kind == 0 ? "single" : "split", frameLog_.c_str());
        std::fflush(stdout);
        frameLogged_[kind] = true;
        frameLogging_ = false;
        frameLog_.clear();
      }
    }
      if (wireframeMode) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
      fpsCounter.tick();
      drawDebugText();
      if (font) font->end();
      markPass("text");
      break;
    case kStateHighscores:
      if (font) font->begin();
      drawHighscores();
      if (font) font->end();
      break;
    case kStateNameEntry:
      if (font) font->begin();
      drawNameEntry();
      if (font) font->end();
      break;
    case kStateMenu:
    default:
      if (font) font->begin();
      drawMainMenu();
      fpsCounter.tick();
      if (font) font->end();
      break;
  }
  if (!snapshots_.empty()) saveSnapshots();
  glutSwapBuffers();
}

void VornGame::addSnapshot(int frame, const std::string& fileName) { snapshots_.emplace_back(frame, fileName); }

void VornGame::addLoadingSnapshot(int step, const std::string& fileName) {
  loadingSnapshots_.emplace_back(step, fileName);
}

namespace {

// The back buffer as drawn so far, as a 24-bit BMP.
void saveBackBuffer(int width, int height, const std::string& fileName, const char* what, int number) {
  VornImage image;
  image.reset(static_cast<uint32_t>(width), static_cast<uint32_t>(height), kImageRGB, kImageRGB);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
  if (saveBMP(fileName.c_str(), image) == 0) std::printf("%s %d %s\n", what, number, fileName.c_str());
  std::fflush(stdout);
}

}  // namespace

void VornGame::saveSnapshots() {
  for (const auto& [frame, fileName] : snapshots_) {
    if (frame != replayFramesDone_ || replayFramesDone_ == 0) continue;
    saveBackBuffer(viewportWidth, viewportHeight, fileName, "snapshot", frame);
  }
}

// loadStep has moved on past the step whose screen was just drawn.
void VornGame::saveLoadingSnapshots() {
  for (const auto& [step, fileName] : loadingSnapshots_) {
    if (step + 1 == loadStep) saveBackBuffer(viewportWidth, viewportHeight, fileName, "loading snapshot", step);
  }
}

void VornGame::enableTimedReplay(VornManualClock* clock, int frames) {
  replayClock_ = clock;
  replayFrames_ = frames;
}

void VornGame::timedReplayFrame() {
  replayClock_->advance(kReplayStepMicros);
  const bool racing = state == kStateRace || state == kStateSplitRace;
  if (racing && replayFramesDone_ == 0) {
    replayStartWall_ = getTimeMicroseconds();
    passTotals.clear();  // the loading and menu frames do not count
  }
  if (racing) ++replayFramesDone_;
  if (replayFrames_ <= 0) return;
  const bool raceOver = !racing && replayFramesDone_ > 0;
  if (replayFramesDone_ < replayFrames_ && !raceOver) return;
  const double seconds = static_cast<double>(getTimeMicroseconds() - replayStartWall_) / 1e6;
  const int frames = replayFramesDone_;
  std::printf("timed replay: %d race frames in %.3f s: %.1f frames a second, %.2f ms a frame\n", frames, seconds,
              seconds > 0.0 ? frames / seconds : 0.0, frames > 0 ? 1000.0 * seconds / frames : 0.0);
  // Where the replay ended: the same on every run of the same build and data.
  if (players[0]) {
    const VornVector& p = players[0]->position();
    std::printf("replay end: position %.3f %.3f %.3f speed %.3f\n", p.x, p.y, p.z, players[0]->speed);
  }
  for (const PassTotal& t : passTotals) {
    std::printf("pass %s: %.2f ms a frame\n", t.pass, frames > 0 ? t.micros / 1000.0 / frames : 0.0);
  }
  std::fflush(stdout);
  cleanup();
  std::exit(0);
}

void VornGame::drawDebugText() {
  if (!showDebugInfo || !font) return;
  font->print(0, 0, "mouse pos: %d %d,  fps: %d\n", mouseX, mouseY, fpsCounter.getFps());
  if (cameras[0]) {
    const VornVector& d = cameras[0]->viewVector();
    font->print(0, 10, "direction: %f, %f, %f", d.x, d.y, d.z);
  }
  if (players[0]) {
    const VornVector& p = players[0]->position();
    font->print(0, 20, "position: %f, %f, %f", p.x, p.y, p.z);
    font->print(0, 30, "speed: %f,  frame: %f", players[0]->speed, players[0]->frame);
  }
  // Model 0 is drawn centred on its bounds: this is the centre it moves by.
  if (const VornObject* cow = models.model(kModelCow)) {
    font->print(0, 40, "movecenter: %f, %f, %f", cow->center.x, cow->center.y, cow->center.z);
  }
}

}  // namespace vorn
