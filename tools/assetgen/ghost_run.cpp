#include "assetgen/ghost_run.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "app/ghost.h"
#include "app/hud_state.h"
#include "assetgen/course_objects.h"
#include "assetgen/terrain_course.h"
#include "assets/model_loader.h"
#include "base/file_io.h"
#include "player/autopilot.h"
#include "player/object_contacts.h"
#include "player/race.h"

namespace assetgen {

namespace {

using namespace vorn;

// The game's model table, as far as the course's object kinds go.
constexpr int kTreeModel = 4;
constexpr int kBeerModel = 2;
constexpr size_t kGameModelCount = 10;
const std::pair<const char*, int> kKindModels[] = {{"data/models/saule_end_2.3DS", 1},
                                                   {"data/models/saeule.3DS", 3},
                                                   {"data/models/tree.3DS", kTreeModel},
                                                   {"data/models/root_1.3DS", 7},
                                                   {"data/models/mushrooms_1.3DS", 8}};

// The game's fixed step (--fixed-step, the timed replay).
constexpr int64_t kStepMicros = 16667;
// Long enough for any race, with or without bottles.
constexpr int64_t kRaceLimitMicros = 120000000;

// The ghost touches the brake for this many of every kGhostBrakePeriod
// frames: it then finishes about 0.75 s behind the autopilot at its best, so
// a good player can beat it and a careless one cannot.
constexpr int kGhostBrakePeriod = 75;
constexpr int kGhostBrakeFrames = 1;

bool readFile(const std::string& path, std::vector<uint8_t>& bytes, size_t limit) {
  if (readWholeFile(path, bytes, limit)) return true;
  std::fprintf(stderr, "assetgen: cannot read %s (run the terrain, objects and models kinds first)\n", path.c_str());
  return false;
}

// A model's extent along its own z axis, which sizes its collision box.
float modelExtentZ(const std::string& root, int modelIndex) {
  for (const auto& [file, index] : kKindModels) {
    if (index != modelIndex) continue;
    std::vector<uint8_t> bytes;
    if (!readFile(root + "/" + file, bytes, kMaxModelFileBytes)) return 0.0f;
    VornModelTables tables;
    const VornLoadedModel m = buildModelFromBytes(bytes.data(), bytes.size(), file,
                                                  [](const std::string&) { return -1; }, tables);
    return m.boundsMax.z - m.boundsMin.z;
  }
  return 0.0f;
}

class CourseHooks final : public VornRaceHooks {
 public:
  CourseHooks(ShippedCourse& course, VornManageActionObject& beers, VornGhost* recorder)
      : course_(course), beers_(beers), recorder_(recorder) {}

  float collideObjects(int player, VornPlayer& body) override {
    return contacts_.collide(course_.objects, kTreeModel, player, body, [this](int, float) { ++treeHits; });
  }
  bool updateBeers(int player, const VornVector& position) override {
    const int taken = contacts_.takeBeers(beers_, player, position);
    bottles += taken;
    return taken > 0;
  }
  bool updateHud(int, int64_t secondsLeft, float awakeChange, float speed) override {
    return hud_.update(static_cast<int>(secondsLeft), awakeChange, speed);
  }
  void recordFrame(float dt, const VornMatrix& model) override {
    if (recorder_) recorder_->record(dt, model.m);
    ++frames;
  }

  int frames = 0;
  int bottles = 0;
  int treeHits = 0;

 private:
  ShippedCourse& course_;
  VornManageActionObject& beers_;
  VornGhost* recorder_;
  VornObjectContacts contacts_;
  VornHudState hud_;
};

std::vector<float> leftRacingLine(const ShippedCourse& course) {
  return racingLine(buildCourse(), [&course](float x, float z) { return course.terrain.getHeight(x, z); }, 0);
}

}  // namespace

bool loadShippedCourse(const std::string& root, ShippedCourse& course) {
  if (course.terrain.loadRGB(root + "/data/maps/twin_paths.rgb") != 0 ||
      course.terrain.loadMatMap(root + "/" + kMaterialMapFile) != 0) {
    std::fprintf(stderr, "assetgen: the course's height or material map did not load\n");
    return false;
  }
  std::vector<uint8_t> bytes;
  if (!readFile(root + "/data/maps/twin_paths.txt", bytes, kMaxObjectMapBytes)) return false;
  readObjectMap(bytes.data(), bytes.size(),
                [](const std::string& path) {
                  for (const auto& [file, index] : kKindModels) {
                    if (path == file) return index;
                  }
                  return -1;
                },
                course.kinds);
  if (!readFile(root + "/data/maps/twin_paths.bmp", bytes, kMaxMapFileBytes)) return false;
  VornPlacementImage image;
  std::string detail;
  if (!decodePlacementImage(bytes.data(), bytes.size(), "twin_paths.bmp", image, detail)) {
    std::fprintf(stderr, "assetgen: placement image: %s", detail.c_str());
    return false;
  }
  const VornTerrain& t = course.terrain;
  const VornPlacementPlan plan =
      planPlacements(image, course.kinds, kGameModelCount, t.width(), t.height(), t.scale().x, t.scale().z);
  placeAll(plan, course.kinds, [&t](float x, float z) { return t.getHeight(x, z); }, course.objects);
  buildObjectBoxes(course.objects, [&root](int model) { return modelExtentZ(root, model); });
  if (!readFile(root + "/data/maps/twin_paths_beer.txt", bytes, kMaxObjectMapBytes)) return false;
  course.bottles = parseBeerList(bytes.data(), bytes.size());
  return true;
}

RaceOutcome raceShippedCourse(ShippedCourse& course, const DriveStyle& style, VornGhost* recorder) {
  VornManageActionObject beers;
  beers.add(course.bottles, kBeerModel);
  CourseHooks hooks(course, beers, recorder);
  VornAutopilot driver(style.line, course.terrain.scale().z);
  std::vector<VornVector> trees;
  if (style.seesTrees) {
    for (const auto& o : course.objects) {
      if (o->modelIndex == kTreeModel) trees.push_back(o->position);
    }
  }
  driver.setObjects(course.bottles, std::move(trees));

  VornRace race(hooks);
  VornPlayer players[2];
  VornCamera cameras[2];
  race.attach(0, &players[0], &cameras[0]);
  race.attach(1, &players[1], &cameras[1]);
  // The model's scale and pose as the game sets them up when it loads, so
  // the recorded matrices draw the ghost at the cow's size.
  players[0].setUpModel();
  int64_t now = kStepMicros, lastFrameTime = 0, deadline = 0, deadline2 = 0;
  int stage = 0;
  float splitCountdown = 0.0f;
  VornRaceClock clock{lastFrameTime, deadline, deadline2, stage, splitCountdown, nullptr, nullptr};
  VornRace::startClock(clock, now);
  race.placeAtStart(0, course.terrain.startPosition(), VornRaceTuning::kSingleStartOffset);

  const VornPlayer& p = players[0];
  uint8_t keys[kKeyCodeCount] = {};
  int64_t go = 0;
  int racingFrames = 0;
  while ((!go || p.racing) && now < kRaceLimitMicros) {
    driver.drive(p, keys);
    if (style.brakePeriod > 0 && racingFrames % style.brakePeriod < style.brakeFrames) {
      keys[kPlayer1Keys.accelerate] = 0;
      keys[kPlayer1Keys.brake] = 1;
    }
    now += kStepMicros;
    // A ghost race without a ghost: every racing frame is recorded, and the
    // finish ends the race (no highscore hand-over).
    race.updateSingle(course.terrain, clock, VornRaceInput{now, keys, 400.0f, 300.0f, true});
    if (p.racing) {
      if (!go) go = now;
      ++racingFrames;
    }
  }
  RaceOutcome out;
  out.seconds = static_cast<double>(now - go) / 1e6;
  out.finished = stage == 3;
  out.frames = hooks.frames;
  out.bottles = hooks.bottles;
  out.treeHits = hooks.treeHits;
  return out;
}

DriveStyle bestDriver(const ShippedCourse& course) {
  DriveStyle style;
  style.line = leftRacingLine(course);
  return style;
}

DriveStyle ghostDriver(const ShippedCourse& course) {
  DriveStyle style = bestDriver(course);
  style.brakePeriod = kGhostBrakePeriod;
  style.brakeFrames = kGhostBrakeFrames;
  return style;
}

DriveStyle carelessDriver(const ShippedCourse& course) {
  DriveStyle style;
  const float spacing = course.terrain.scale().x;
  for (const float column : buildCourse().leftPath) style.line.push_back(column * spacing);
  style.seesTrees = false;
  return style;
}

int generateGhost(const std::string& root) {
  ShippedCourse course;
  if (!loadShippedCourse(root, course)) return 1;
  const RaceOutcome best = raceShippedCourse(course, bestDriver(course), nullptr);
  const RaceOutcome careless = raceShippedCourse(course, carelessDriver(course), nullptr);

  // The recorder writes below the working folder (and makes data/saves), as in the game.
  if (chdir(root.c_str()) != 0) {
    std::fprintf(stderr, "assetgen: cannot enter %s\n", root.c_str());
    return 1;
  }
  VornGhost recorder;
  recorder.open("data/maps/twin_paths1.rgb");
  const RaceOutcome ghost = raceShippedCourse(course, ghostDriver(course), &recorder);
  const auto report = [](const char* who, const RaceOutcome& r) {
    std::printf("assetgen ghost: %-9s %6.2f s, %s, %d bottles, %d tree contacts\n", who, r.seconds,
                r.finished ? "finished" : "lost", r.bottles, r.treeHits);
  };
  report("best", best);
  report("ghost", ghost);
  report("careless", careless);
  std::printf("assetgen ghost: %d frames in %s\n", ghost.frames, recorder.fileName().c_str());
  if (!ghost.finished || ghost.frames < 2) {
    std::fprintf(stderr, "assetgen: the ghost's run did not reach the finish\n");
    return 1;
  }
  return 0;
}

}  // namespace assetgen
