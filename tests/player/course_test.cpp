// The sliding simulation on the shipped course: the real height map, its
// ODE collision mesh and its material map, driven frame by frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "player/autopilot.h"
#include "player/race.h"
#include "player/rider.h"
#include "world/terrain.h"

namespace vorn {
namespace {

const std::string kRoot = VORN_TEST_DATA_ROOT;

class CourseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    terrain_ = new VornTerrain();
    const int heights = terrain_->loadHeightMap(kRoot + "/data/maps/twin_paths.rgb");
    const int materials = heights == 0 ? terrain_->loadMatMap(kRoot + "/data/maps/twin_paths_conv.bmp") : 1;
    ASSERT_EQ(heights, 0) << "the generated course is missing under " << kRoot;
    ASSERT_EQ(materials, 0);
  }
  static void TearDownTestSuite() {
    delete terrain_;
    terrain_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(terrain_ && terrain_->usable()); }

  // A player as the race start leaves it: beside the start, speed 10,
  // heading (-1, 0, 1).
  static void placeAtStart(VornPlayer& p, VornRider& rider) {
    p.setPosition(terrain_->startPosition() + VornVector(5.0f, 0.0f, 0.0f));
    p.speed = 10.0f;
    p.direction = VornVector(-1.0f, 0.0f, 1.0f).normalized();
    rider.reset(p.position());
  }
  static float endZ() { return static_cast<float>(terrain_->height() - 2) * terrain_->scale().z - 5.0f; }

  // Race time (seconds) until the autopilot crosses the finish, or -1.
  static double autopilotRun(double fps, double limitSeconds) {
    const VornAutopilot pilot = makePilot();
    VornPlayer p;
    VornRider rider(0, kPlayer1Keys);
    placeAtStart(p, rider);
    VornRaceHooks none;
    uint8_t keys[256] = {};
    const int64_t step = static_cast<int64_t>(1000000.0 / fps + 0.5);
    const float dt = static_cast<float>(static_cast<double>(step) / 100000.0);
    int64_t now = 0;
    while (now < static_cast<int64_t>(limitSeconds * 1e6)) {
      now += step;
      pilot.drive(p, keys);
      rider.race(p, *terrain_, none, keys, dt, now);
      if (rider.endOfTrack) return static_cast<double>(now) / 1e6;
    }
    return -1.0;
  }
  static VornAutopilot makePilot() {
    VornAutopilot::Course course;
    course.columns = terrain_->width();
    course.rows = terrain_->height();
    course.spacingX = terrain_->scale().x;
    course.spacingZ = terrain_->scale().z;
    course.startX = terrain_->startPosition().x;
    return VornAutopilot(
        VornAutopilot::findCentreLine([](float x, float z) { return terrain_->getHeight(x, z); }, course),
        course.spacingZ);
  }

  static VornTerrain* terrain_;
};

VornTerrain* CourseTest::terrain_ = nullptr;

TEST_F(CourseTest, StartIsOnTheGroundOfTheCourse) {
  const VornVector& s = terrain_->startPosition();
  EXPECT_EQ(s.x, 2000.0f);
  EXPECT_EQ(s.z, 90.0f);
  EXPECT_NEAR(s.y, terrain_->getHeight(2000.0f, 90.0f) + 1.0f, 1e-4f);
}

// Released at the start with no key held, the player slides downhill, stays
// on or above the ground (never through the mesh) and inside the barrier
// walls, whatever the frame step.
TEST_F(CourseTest, ReleasedPlayerSlidesDownhillWithoutTunnelling) {
  const float wallLeft = 2.0f * terrain_->scale().x;
  const float wallRight = static_cast<float>(terrain_->width() - 3) * terrain_->scale().x;
  for (const int stepMs : {1, 5, 10, 17, 33, 50, 100}) {
    SCOPED_TRACE("frame step " + std::to_string(stepMs) + " ms");
    VornPlayer p;
    VornRider rider(0, kPlayer1Keys);
    placeAtStart(p, rider);
    VornRaceHooks none;
    const uint8_t keys[256] = {};
    const float startHeight = p.position().y;
    const float dt = static_cast<float>(stepMs) / 100.0f;
    int64_t now = 0;
    int groundFrames = 0;
    int frames = 0;
    float deepest = 1e9f;
    float lowest = startHeight;
    for (; now < 12000000; ++frames) {
      now += stepMs * 1000;
      rider.race(p, *terrain_, none, keys, dt, now);
      const VornVector& q = p.position();
      ASSERT_TRUE(std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z));
      // The centre of the sphere stays above the surface under it.
      const float above = q.y - terrain_->getHeight(q.x, q.z);
      deepest = std::fmin(deepest, above);
      lowest = std::fmin(lowest, q.y);
      ASSERT_GT(above, 0.0f) << "through the ground at frame " << frames << " z " << q.z;
      ASSERT_GT(q.x, wallLeft);
      ASSERT_LT(q.x, wallRight);
      if (rider.onGround) ++groundFrames;
      if (rider.endOfTrack) break;
    }
    std::printf("%3d ms: %d frames, z %.0f, y %.1f, speed %.1f, lowest centre %.2f above the ground\n", stepMs,
                frames, static_cast<double>(p.position().z), static_cast<double>(p.position().y),
                static_cast<double>(p.speed), static_cast<double>(deepest));
    EXPECT_GT(p.position().z, terrain_->startPosition().z + 1500.0f);
    // Down the fall line; without steering it may end up on a bank later.
    EXPECT_LT(lowest, startHeight - 80.0f);
    EXPECT_GT(p.speed, 10.0f);
    // Mostly on the ground: kickers give short flights only.
    EXPECT_GT(groundFrames, frames * 7 / 10) << groundFrames << " of " << frames;
    // Landings may press the sphere a little into the mesh, never deep.
    EXPECT_GT(deepest, 1.0f);
  }
}

TEST_F(CourseTest, TheCentreLineRunsFromTheStartToTheFinishInsideTheWalls) {
  const VornAutopilot pilot = makePilot();
  ASSERT_EQ(pilot.line().size(), static_cast<size_t>(terrain_->height()));
  EXPECT_NEAR(pilot.centreAt(terrain_->startPosition().z), 2000.0f, 200.0f);
  for (float x : pilot.line()) {
    EXPECT_GT(x, 3.0f * terrain_->scale().x);
    EXPECT_LT(x, static_cast<float>(terrain_->width() - 4) * terrain_->scale().x);
  }
}

// The course can be finished: the autopilot reaches the finish within 25 s
// at 60 and at 1000 frames a second, and the frame rate changes the run by
// less than 15 %.
TEST_F(CourseTest, AutopilotFinishesAtSixtyAndAThousandFramesASecond) {
  const double at60 = autopilotRun(60.0, 40.0);
  const double at1000 = autopilotRun(1000.0, 40.0);
  std::printf("autopilot run: %.3f s at 60 fps, %.3f s at 1000 fps\n", at60, at1000);
  ASSERT_GT(at60, 0.0) << "no finish at 60 fps";
  ASSERT_GT(at1000, 0.0) << "no finish at 1000 fps";
  EXPECT_LT(at60, 25.0);
  EXPECT_LT(at1000, 25.0);
  EXPECT_LT(std::fabs(at60 - at1000) / std::fmin(at60, at1000), 0.15);
}

// The whole race update with its rules: countdown, the autopilot riding,
// the finish handed over with the seconds left.
TEST_F(CourseTest, ASingleRaceCountsDownRidesAndFinishes) {
  VornRaceHooks hooks;
  VornRace race(hooks);
  VornPlayer player;
  VornCamera camera;
  race.attach(0, &player, &camera);
  int64_t lastFrameTime = 0, deadline = 0, deadline2 = 0;
  int stage = 0;
  float splitCountdown = 0.0f;
  VornRaceClock clock{lastFrameTime, deadline, deadline2, stage, splitCountdown, nullptr, nullptr};
  int64_t now = 1000000;
  VornRace::startClock(clock, now);
  race.placeAtStart(0, terrain_->startPosition(), 5.0f);
  const VornAutopilot pilot = makePilot();
  uint8_t keys[256] = {};
  VornRaceResult result;
  int64_t go = 0;
  bool sawFinish = false;
  for (int frame = 0; frame < 60 * 60 && result.request == RaceRequest::kNone; ++frame) {
    now += 16667;
    pilot.drive(player, keys);
    result = race.updateSingle(*terrain_, clock, VornRaceInput{now, keys, 400.0f, 380.0f, false});
    if (!go && player.racing) go = now;
    sawFinish = sawFinish || stage == 2;
    // The camera never goes below the ground.
    const VornVector& eye = camera.eyePosition();
    ASSERT_GE(eye.y, terrain_->getHeight(eye.x, eye.z) + 9.9f) << "frame " << frame;
    // Extra time keeps the race going to the finish: the course takes
    // longer than the bare 15 s without beer bottles.
    if (player.racing && VornRace::secondsLeft(deadline, now) < 5) deadline += 5000000;
  }
  EXPECT_TRUE(sawFinish);
  ASSERT_EQ(result.request, RaceRequest::kFinished);
  EXPECT_GT(result.secondsLeft, 0);
  EXPECT_GT(go, 3000000);
  EXPECT_GT(player.position().z, endZ() - 100.0f);
}

}  // namespace
}  // namespace vorn
