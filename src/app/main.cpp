// Program entry: parse the few options, move to the data root (or, for an
// installed game, the player's folder), open the window and hand control to
// the GLUT loop for good.
#include <GL/glut.h>
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/data_root.h"
#include "app/game.h"
#include "app/platform.h"
#include "assets/texture.h"

namespace {

// The fixed-step clock's first reading (microseconds).
constexpr int64_t kFixedStepStart = 1000000000;
// The loading sequence's last step; the one after it opens the menu.
constexpr int kLastLoadingStep = 21;

void printUsage() {
  std::printf(
      "usage: vorn [--windowed] [--data DIR] [--trace] [--demo] [--ghost] [--split] [--autopilot]\n"
      "            [--timed-frames N [--pass-profile]] [--fixed-step] [--snapshot N FILE]... [--loading-snapshot STEP FILE]...\n"
      "  --windowed  open an 800 x 600 window instead of full-screen game mode\n"
      "  --data DIR  folder that holds data/ (default: found beside the program or\n"
      "              in its ../share/vorn; the player's files go to\n"
      "              $XDG_DATA_HOME/vorn when that folder cannot be written)\n"
      "  --trace     print each game state change on standard output\n"
      "  --demo      start a single race driven by the autopilot\n"
      "  --ghost     the same as a ghost race (implies --demo)\n"
      "  --split     the same as a split race, player 2 standing (implies --demo)\n"
      "  --autopilot the autopilot drives player 1 in the single and ghost races\n"
      "              started from the menu\n"
      "  --timed-frames N\n"
      "              timed replay: the demo race on a fixed 1/60 s step, the same\n"
      "              every run; prints the frame rate after N race frames and quits\n"
      "  --pass-profile\n"
      "              with --timed-frames: print the time of each drawing pass\n"
      "  --snapshot N FILE\n"
      "              with a fixed step (implied): save race frame N as a BMP\n"
      "              picture in FILE (repeatable)\n"
      "  --loading-snapshot STEP FILE\n"
      "              save the loading screen drawn after loading step STEP (0..21)\n"
      "              as a BMP picture in FILE (repeatable)\n"
      "  --fixed-step  run the game clock on a fixed 1/60 s step a frame (with\n"
      "              --demo: the same race every run, at any frame rate)\n");
}

// $HOME, or the password database's home when it is unset.
std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home && home[0] != '\0') return home;
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

}  // namespace

int main(int argc, char** argv) {
  vorn::StartOptions options;
  bool demo = false;
  bool demoGhost = false;
  bool demoSplit = false;
  bool autopilotRaces = false;
  bool passProfile = false;
  int timedFrames = 0;
  bool fixedStep = false;
  std::vector<std::pair<int, std::string>> snapshots;
  std::vector<std::pair<int, std::string>> loadingSnapshots;
  std::string requestedRoot;
  // Help needs no display, so it is answered before GLUT opens one.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      printUsage();
      return 0;
    }
  }
  // GLUT takes its own options (-display, ...) out of argv first.
  glutInit(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--windowed") == 0) {
      options.windowed = true;
    } else if (std::strcmp(argv[i], "--trace") == 0) {
      options.trace = true;
    } else if (std::strcmp(argv[i], "--demo") == 0) {
      demo = true;
    } else if (std::strcmp(argv[i], "--ghost") == 0) {
      demoGhost = true;
    } else if (std::strcmp(argv[i], "--pass-profile") == 0) {
      passProfile = true;
    } else if (std::strcmp(argv[i], "--autopilot") == 0) {
      autopilotRaces = true;
    } else if (std::strcmp(argv[i], "--split") == 0) {
      demoSplit = true;
    } else if (std::strcmp(argv[i], "--timed-frames") == 0 && i + 1 < argc) {
      timedFrames = std::atoi(argv[++i]);
      if (timedFrames <= 0) {
        std::fprintf(stderr, "vorn: --timed-frames needs a positive frame count\n");
        return 2;
      }
      demo = true;
    } else if (std::strcmp(argv[i], "--fixed-step") == 0) {
      fixedStep = true;
    } else if (std::strcmp(argv[i], "--snapshot") == 0 && i + 2 < argc) {
      const int frame = std::atoi(argv[i + 1]);
      if (frame <= 0) {
        std::fprintf(stderr, "vorn: --snapshot needs a positive race frame\n");
        return 2;
      }
      snapshots.emplace_back(frame, argv[i + 2]);
      i += 2;
      fixedStep = true;
    } else if (std::strcmp(argv[i], "--loading-snapshot") == 0 && i + 2 < argc) {
      const int step = std::atoi(argv[i + 1]);
      if (step < 0 || step > kLastLoadingStep) {
        std::fprintf(stderr, "vorn: --loading-snapshot needs a loading step from 0 to %d\n", kLastLoadingStep);
        return 2;
      }
      loadingSnapshots.emplace_back(step, argv[i + 2]);
      i += 2;
    } else if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
      requestedRoot = argv[++i];
    } else {
      std::fprintf(stderr, "vorn: unknown option %s\n", argv[i]);
      printUsage();
      return 2;
    }
  }

  char cwd[PATH_MAX];
  const std::string currentDir = getcwd(cwd, sizeof cwd) ? cwd : ".";
  const std::string exeDir = vorn::executableDirectory();
  const std::string root = vorn::findDataRoot(requestedRoot, exeDir, currentDir);
  // An installed game (or any data root it may not write) works in the
  // player's folder, whose data/ links to the shipped files, so the relative
  // paths used everywhere stay the same.
  std::string error;
  std::string folder = vorn::prepareWorkingFolder(root, !vorn::needsPlayerFolder(root, exeDir),
                                                  vorn::playerFolderPath(std::getenv("XDG_DATA_HOME"), homeFolder()),
                                                  error);
  if (folder.empty()) {
    std::fprintf(stderr, "vorn: %s; playing from %s, where nothing can be saved\n", error.c_str(), root.c_str());
    folder = root;
  }
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "vorn: cannot enter data folder %s\n", folder.c_str());
    return 1;
  }

  vorn::initGL(options);
  vorn::VornTexture::setLinear();
  vorn::VornTexture::enableMipmaps();

  // The game lives until exit() and is deliberately never destroyed: both ways
  // out end the process from inside a callback, with the GL context still current.
  // A timed replay runs the game on a clock that moves one fixed step per
  // frame, so every run simulates the same race and only the wall time varies.
  // It starts at a fixed time, so that a fixed-step run is the same every run.
  static vorn::VornManualClock replayClock(kFixedStepStart);
  fixedStep = fixedStep || timedFrames > 0;
  vorn::game = (fixedStep ? std::make_unique<vorn::VornGame>(replayClock) : std::make_unique<vorn::VornGame>())
                   .release();
  if (fixedStep) vorn::game->enableTimedReplay(&replayClock, timedFrames);
  for (const auto& [frame, file] : snapshots) vorn::game->addSnapshot(frame, file);
  for (const auto& [step, file] : loadingSnapshots) vorn::game->addLoadingSnapshot(step, file);
  vorn::game->setTrace(options.trace);
  vorn::game->demo = demo || demoGhost || demoSplit;
  vorn::game->demoGhost = demoGhost && !demoSplit;
  vorn::game->demoSplit = demoSplit;
  vorn::game->autopilotRaces = autopilotRaces;
  if (passProfile) vorn::game->enablePassProfile();
  if (options.trace) {
    std::printf("state %s\n", vorn::stateName(vorn::game->state));
    std::fflush(stdout);
  }
  glutMainLoop();
  return 0;
}
