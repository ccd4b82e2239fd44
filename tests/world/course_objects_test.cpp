// The shipped course's objects and bottles: the generator's three files are
// the shipped ones and read back through the game's readers (object map,
// placement image, beer list) to upright objects where the generator put
// them; then the autopilot races each path among them through the real race
// update, and the clock, the bottles and the trees come out as designed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "assetgen/course_objects.h"
#include "assetgen/terrain_course.h"
#include "assets/model_loader.h"
#include "base/error_log.h"
#include "player/autopilot.h"
#include "player/race.h"
#include "support/test_bytes.h"
#include "world/object_map.h"
#include "world/terrain.h"

namespace vorn {
namespace {

const std::string kDataRoot = VORN_TEST_DATA_ROOT;
constexpr int kTreeModel = 4;
// The game's model table: which model each kind's file is.
int modelIndexOf(const std::string& path) {
  const std::pair<const char*, int> table[] = {{"data/models/saule_end_2.3DS", 1},
                                               {"data/models/saeule.3DS", 3},
                                               {"data/models/tree.3DS", kTreeModel},
                                               {"data/models/root_1.3DS", 7},
                                               {"data/models/mushrooms_1.3DS", 8}};
  for (const auto& [name, index] : table) {
    if (path == name) return index;
  }
  return -1;
}
std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// The shipped course as the game loads it: terrain, placed objects with
// their boxes, and the bottles.
class CourseObjects : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setErrorLogPath("course_objects_err.txt");
    std::remove("course_objects_err.txt");
    s_ = std::make_unique<Shared>();
    Shared& s = *s_;
    const auto heights = assetgen::encodeCourseHeights(s.course);
    const auto materials = assetgen::encodeCourseMaterials(s.course);
    ASSERT_EQ(0, s.terrain.loadRGBFromBytes(heights.data(), heights.size(), "data/maps/twin_paths.rgb"));
    ASSERT_EQ(0, s.terrain.loadMatMapFromBytes(materials.data(), materials.size(), "data/maps/twin_paths_conv.bmp"));
    s.generated = assetgen::buildCourseObjects(s.course, [](float x, float z) { return s_->terrain.getHeight(x, z); });
    s.shipped[0] = test::readText(kDataRoot + "/data/maps/twin_paths.txt");
    s.shipped[1] = test::readText(kDataRoot + "/data/maps/twin_paths.bmp");
    s.shipped[2] = test::readText(kDataRoot + "/data/maps/twin_paths_beer.txt");
    s.treeExtentZ = treeExtent(test::readText(kDataRoot + "/data/models/tree.3DS"));
    // Read back from the generator's bytes, so the suite also runs before
    // the data are built; that they are the shipped bytes is its first test.
    const auto map = bytesOf(assetgen::encodeObjectMap(s.generated));
    readObjectMap(map.data(), map.size(), modelIndexOf, s.kinds);
    const auto image = assetgen::encodePlacementImage(s.course, s.generated);
    std::string detail;
    ASSERT_TRUE(decodePlacementImage(image.data(), image.size(), "twin_paths.bmp", s.image, detail)) << detail;
    const VornPlacementPlan plan =
        planPlacements(s.image, s.kinds, 10, s.terrain.width(), s.terrain.height(), 50.0f, 50.0f);
    placeAll(plan, s.kinds, [](float x, float z) { return s_->terrain.getHeight(x, z); }, s.objects);
    buildObjectBoxes(s.objects, [](int model) { return model == kTreeModel ? s_->treeExtentZ : 200.0f; });
    const auto beers = bytesOf(assetgen::encodeBeerList(s.generated));
    s.bottles = parseBeerList(beers.data(), beers.size());
  }
  static void TearDownTestSuite() { s_.reset(); }

  // The tree model's height in file units, as the game's loader sees it
  // (its bounds along the model's own z axis).
  static float treeExtent(const std::string& file) {
    VornModelTables tables;
    const VornLoadedModel m = buildModelFromBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                                  "data/models/tree.3DS", [](const std::string&) { return -1; }, tables);
    return m.boundsMax.z - m.boundsMin.z;
  }

  struct Shared {
    assetgen::Course course = assetgen::buildCourse();
    VornTerrain terrain;
    assetgen::CourseObjects generated;
    std::string shipped[3];
    float treeExtentZ = 0.0f;
    VornKindList kinds;
    VornPlacementImage image;
    VornActionObjectList objects;
    std::vector<VornVector> bottles;
  };
  static inline std::unique_ptr<Shared> s_;
};

// The three files are the generator's bytes and read back to what it
// designed: five kinds on the game's models, every object upright where the
// generator put it with its foot in the ground, trees 50 to 80 tall, the
// wide-boxed fourth tree far from the lines, bottles at ground height + 1.5.
TEST_F(CourseObjects, TheShippedFilesReadBackThroughTheGamesReadersAsDesigned) {
  const Shared& s = *s_;
  const std::string map = assetgen::encodeObjectMap(s.generated);
  const auto image = assetgen::encodePlacementImage(s.course, s.generated);
  const std::string beers = assetgen::encodeBeerList(s.generated);
  if (!s.shipped[0].empty()) {  // the data are built (the rest holds without them)
    EXPECT_EQ(map, s.shipped[0]);
    EXPECT_EQ(std::string(image.begin(), image.end()), s.shipped[1]);
    EXPECT_EQ(beers, s.shipped[2]);
  }
  EXPECT_EQ("", test::readText(errorLogPath())) << "the readers reported a line";

  const int models[] = {4, 3, 1, 7, 8};  // tree, pillar, pillar end, root, mushrooms
  ASSERT_EQ(s.kinds.size(), 5u);
  for (size_t k = 0; k < s.kinds.size(); ++k) {
    EXPECT_EQ(s.kinds[k].modelIndex, models[k]) << s.kinds[k].modelPath;
    EXPECT_EQ(s.kinds[k].records.size(), std::count_if(s.generated.objects.begin(), s.generated.objects.end(),
                                                        [&](const auto& o) { return o.kind == static_cast<int>(k); }));
  }
  EXPECT_EQ(s.image.width, s.course.width);
  EXPECT_EQ(s.image.height, s.course.height);
  ASSERT_EQ(s.objects.size(), s.generated.objects.size());
  int trees = 0;
  for (size_t i = 0; i < s.objects.size(); ++i) {
    const VornActionObject& o = *s.objects[i];
    const assetgen::CourseObject& g = s.generated.objects[i];
    SCOPED_TRACE("object " + std::to_string(i));
    ASSERT_EQ(o.modelIndex, models[g.kind]);
    const VornVector p = o.transform.position();
    EXPECT_NEAR(p.x, g.x(), 0.01f);
    EXPECT_NEAR(p.z, g.z(), 0.01f);
    // The model is drawn centred on its bounds: its foot is below p.
    const float foot = p.y - g.scale * assetgen::courseKindCentreHeight(g.kind);
    const float ground = s.terrain.getHeight(p.x, p.z);
    EXPECT_LE(foot, ground);
    EXPECT_GT(foot, ground - 5.0f);
    // The file's up axis (z) is the world's up axis.
    VornVector up(0.0f, 0.0f, 1.0f);
    o.transform.rotation().transformDirection(up);
    EXPECT_GT(up.y, 0.9999f);
    if (o.modelIndex != kTreeModel) continue;
    ++trees;
    EXPECT_GT(o.transform.scale().x * s.treeExtentZ, 50.0f);
    EXPECT_LT(o.transform.scale().x * s.treeExtentZ, 80.0f);
    for (const std::vector<float>& line : s.generated.racingLines) {
      const float lineX = line[static_cast<size_t>(std::lround(p.z / 50.0f))];
      EXPECT_GT(std::fabs(p.x - lineX), trees == 4 ? 300.0f : 50.0f) << "tree " << trees;
    }
  }

  ASSERT_EQ(s.bottles.size(), s.generated.bottles.size());
  for (size_t i = 0; i < s.bottles.size(); ++i) {
    const VornVector& b = s.bottles[i];
    EXPECT_NEAR(b.x, s.generated.bottles[i][0], 0.01f);
    EXPECT_NEAR(b.z, s.generated.bottles[i][2], 0.01f);
    EXPECT_NEAR(b.y, s.terrain.getHeight(b.x, b.z) + 1.5f, 0.01f);
  }
}

// ---------------------------------------------------------------- the race

// The game's object hooks: trees are tested along the frame's path, bottles
// picked up along it; the awake gauge starts full and knocks out below 0.
class ObjectHooks : public VornRaceHooks {
 public:
  ObjectHooks(VornActionObjectList& trees, VornManageActionObject& beers) : trees_(trees), beers_(beers) {}
  float collideObjects(int, VornPlayer& body) override {
    const VornVector from = treePathValid_ ? treePath_ : body.position();
    float awakeChange = 0.0f;
    bool hit = false;
    for (const auto& o : trees_) {
      if (o->modelIndex == kTreeModel) hit = o->collide(from, body, awakeChange) || hit;
    }
    hits += hit && !hitLastFrame_;
    hitLastFrame_ = hit;
    treePath_ = body.position();
    treePathValid_ = true;
    return awakeChange;
  }
  bool updateBeers(int, const VornVector& position) override {
    beers_.spinAll();
    const VornVector from = beerPathValid_ ? beerPath_ : position;
    beerPath_ = position;
    beerPathValid_ = true;
    const int n = beers_.update(from, position);
    taken += n;
    return n > 0;
  }
  bool updateHud(int, int64_t, float change, float) override {
    awake += change;
    return awake < 0.0f;
  }
  int hits = 0, taken = 0;
  float awake = 100.0f;

 private:
  VornActionObjectList& trees_;
  VornManageActionObject& beers_;
  VornVector treePath_, beerPath_;
  bool treePathValid_ = false, beerPathValid_ = false, hitLastFrame_ = false;
};

struct RaceRun {
  double seconds = 0.0;  // from "GO" to the finish or the end of the clock
  RaceRequest request = RaceRequest::kNone;
  int64_t secondsLeft = 0;
  int bottles = 0, treeHits = 0;
  bool knockedOut = false;
};

// What stands on the course in a race, and what the autopilot is told of.
enum class Objects { kNone, kSeen, kTreesUnseen };

// One single race at `fps`, the autopilot on `line`. Its clock is 10 s longer
// than the game's, so that a run's own time is measured even where the game
// would end it; the seconds left are the game's.
RaceRun race(const VornTerrain& t, VornActionObjectList& placed, const std::vector<VornVector>& bottles,
             const std::vector<float>& line, double fps, Objects what) {
  constexpr int64_t kLonger = 10000000;
  const bool objects = what != Objects::kNone;
  VornManageActionObject beers;
  if (objects) beers.add(bottles, 2);
  VornActionObjectList none;
  ObjectHooks hooks(objects ? placed : none, beers);
  VornAutopilot driver(line, 50.0f);
  if (objects) {
    std::vector<VornVector> trees;
    for (const auto& o : placed) {
      if (o->modelIndex == kTreeModel) trees.push_back(o->position);
    }
    driver.setObjects(bottles, what == Objects::kSeen ? trees : std::vector<VornVector>());
  }
  VornTerrain& ground = const_cast<VornTerrain&>(t);
  VornRace race(hooks);
  VornPlayer players[2];
  VornCamera cameras[2];
  race.attach(0, &players[0], &cameras[0]);
  race.attach(1, &players[1], &cameras[1]);
  int64_t now = 50000000, lastFrameTime = 0, deadline = 0, deadline2 = 0;
  int stage = 0;
  float splitCountdown = 0.0f;
  VornRaceClock clock{lastFrameTime, deadline, deadline2, stage, splitCountdown, nullptr, nullptr};
  uint8_t keys[256] = {};
  VornRace::startClock(clock, now);
  race.placeAtStart(0, t.startPosition(), VornRaceTuning::kSingleStartOffset);
  const VornPlayer& p = players[0];
  const int64_t step = static_cast<int64_t>(1000000.0 / fps + 0.5);
  int64_t go = 0;
  RaceRun run;
  VornRaceResult result;
  while (result.request == RaceRequest::kNone && (!go || p.racing) && now < 200000000) {
    driver.drive(p, keys);
    now += step;
    result = race.updateSingle(ground, clock, VornRaceInput{now, keys, 400.0f, 300.0f, false});
    if (!go && p.racing) {
      go = now;
      deadline += kLonger;
    }
  }
  run.seconds = static_cast<double>(now - go) / 1e6;
  run.request = result.request;
  run.secondsLeft = result.secondsLeft - kLonger / 1000000;
  run.bottles = hooks.taken;
  run.treeHits = hooks.hits;
  run.knockedOut = p.knockedOut != 0;
  return run;
}

// Trees leave the racing lines clear and stand where a careless line goes:
// the autopilot on each path's line, seeing bottles and trees, takes every
// bottle of its path and hits no tree, and its clean run on the bare course
// is tight on the 15 s clock; down a path's middle, blind to the trees, it
// hits some. Both paths are worth taking.
TEST_F(CourseObjects, EachPathIsTightOnTheBareClockAndWonWithItsBottlesWithoutHittingATree) {
  const Shared& s = *s_;
  int64_t left[2][2] = {};  // seconds left, per path and frame rate
  for (int path = 0; path < 2; ++path) {
    const std::vector<float>& line = s.generated.racingLines[path];
    const int pathBottles = static_cast<int>(std::count_if(s.bottles.begin(), s.bottles.end(), [&](const VornVector& b) {
      return std::fabs(b.x - line[static_cast<size_t>(b.z / 50.0f)]) < VornAutopilot::kBottleReach;
    }));
    std::vector<float> middle;
    for (const float c : path == 0 ? s.course.leftPath : s.course.rightPath) middle.push_back(c * 50.0f);
    for (const double fps : {60.0, 1000.0}) {
      SCOPED_TRACE((path == 0 ? "left path, " : "right path, ") + std::to_string(static_cast<int>(fps)) + " fps");
      const RaceRun bare = race(s.terrain, s_->objects, s.bottles, line, fps, Objects::kNone);
      const RaceRun full = race(s.terrain, s_->objects, s.bottles, line, fps, Objects::kSeen);
      const RaceRun careless = race(s.terrain, s_->objects, s.bottles, middle, fps, Objects::kTreesUnseen);
      std::printf("%s path, %4.0f fps: clean run %.2f s; with bottles %.2f s, %lld s left, %d of %d bottles, %d trees hit; "
                  "down the middle blind %d trees hit\n",
                  path == 0 ? "left " : "right", fps, bare.seconds, full.seconds,
                  static_cast<long long>(full.secondsLeft), full.bottles, pathBottles, full.treeHits, careless.treeHits);
      EXPECT_GT(bare.seconds, 13.0);
      EXPECT_LT(bare.seconds, 16.0);
      EXPECT_EQ(full.request, RaceRequest::kFinished);
      EXPECT_GT(full.secondsLeft, 10);
      EXPECT_EQ(full.bottles, pathBottles);
      EXPECT_EQ(full.treeHits, 0);
      EXPECT_GT(careless.treeHits, 0);
      left[path][fps > 60.0] = full.secondsLeft;
    }
  }
  for (int rate = 0; rate < 2; ++rate) EXPECT_LE(std::abs(left[0][rate] - left[1][rate]), 2);
}

}  // namespace
}  // namespace vorn
