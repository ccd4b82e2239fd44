// The sliding simulation on the shipped course: the real height map, its
// ODE collision mesh and its material map, driven frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

  // The final kicker's lip: the last row where the centre line climbs
  // steeply (a ramp; the slope itself only falls).
  static int finalKickerRow(const VornAutopilot& pilot) {
    const float sz = terrain_->scale().z;
    int lip = -1;
    for (size_t r = 1; r < pilot.line().size(); ++r) {
      const float z = static_cast<float>(r) * sz;
      const float rise = terrain_->getHeight(pilot.line()[r], z) - terrain_->getHeight(pilot.line()[r - 1], z - sz);
      if (rise > 8.0f) lip = static_cast<int>(r);
    }
    return lip;
  }

  // The jump ratings of an autopilot run to the finish; with `jumpAtZ` > 0
  // the jump key is held over the last 45 units before that z.
  static std::vector<std::string> ratingsOfRun(double fps, float jumpAtZ) {
    struct RatingHooks : VornRaceHooks {
      std::vector<std::string> ratings;
      void showMessage(RaceText text, int, const char* message) override {
        if (text == RaceText::kJumpRating) ratings.push_back(message);
      }
    } hooks;
    const VornAutopilot pilot = makePilot();
    VornPlayer p;
    VornRider rider(0, kPlayer1Keys);
    placeAtStart(p, rider);
    uint8_t keys[256] = {};
    const int64_t step = static_cast<int64_t>(1000000.0 / fps + 0.5);
    const float dt = static_cast<float>(static_cast<double>(step) / 100000.0);
    for (int64_t now = step; now < 20000000 && !rider.endOfTrack; now += step) {
      pilot.drive(p, keys);
      const float z = p.position().z;
      keys[kPlayer1Keys.jump] = jumpAtZ > 0.0f && z > jumpAtZ - 45.0f && z < jumpAtZ + 5.0f;
      rider.race(p, *terrain_, hooks, keys, dt, now);
    }
    return hooks.ratings;
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

// A player whose race is over (out of time, or the first over the line in
// the split race) coasts on. Reaching the end barrier it must come to rest
// on the ground there, not slide down the barrier through the ground.
TEST_F(CourseTest, ACoastingPlayerStopsAtTheEndBarrierOnTheGround) {
  for (const float x : {300.0f, 2000.0f}) {
    SCOPED_TRACE("coasting down at x " + std::to_string(static_cast<int>(x)));
    VornPlayer p;
    VornRider rider(0, kPlayer1Keys);
    const float z = endZ() - 200.0f;
    p.setPosition(VornVector(x, terrain_->getHeight(x, z) + 6.0f, z));
    p.direction = VornVector(0.0f, 0.0f, 1.0f);
    p.speed = 30.0f;
    rider.reset(p.position());
    VornRaceHooks none;
    for (int frame = 0; frame < 3000 && p.speed > 0.0f; ++frame) {
      rider.coast(p, *terrain_, none, 0.2f);
      const VornVector& q = p.position();
      ASSERT_GT(q.y - terrain_->getHeight(q.x, q.z), 0.0f) << "through the ground at frame " << frame;
    }
    EXPECT_LE(p.speed, 0.0f) << "came to rest";
    EXPECT_GT(p.position().z, endZ() - 10.0f) << "reached the end barrier";
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

// The course can be finished: the autopilot reaches the finish within the
// 15 s race clock at 60 and at 1000 frames a second, and the frame rate
// changes the run by less than 15 %.
TEST_F(CourseTest, AutopilotFinishesAtSixtyAndAThousandFramesASecond) {
  const double at60 = autopilotRun(60.0, 40.0);
  const double at1000 = autopilotRun(1000.0, 40.0);
  std::printf("autopilot run: %.3f s at 60 fps, %.3f s at 1000 fps\n", at60, at1000);
  ASSERT_GT(at60, 0.0) << "no finish at 60 fps";
  ASSERT_GT(at1000, 0.0) << "no finish at 1000 fps";
  EXPECT_LT(at60, 15.0);
  EXPECT_LT(at1000, 15.0);
  EXPECT_LT(std::fabs(at60 - at1000) / std::fmin(at60, at1000), 0.15);
}

// The final kicker is where the MONSTERJUMP is: the jump key at its lip
// gives one at 60 and at 1000 frames a second; riding over it without the
// key does not, nor does a jump off the plain slope of the final run.
TEST_F(CourseTest, TheFinalKickerGivesAMonsterJumpOnlyWithTheJumpKey) {
  const VornAutopilot pilot = makePilot();
  const int lip = finalKickerRow(pilot);
  ASSERT_GT(lip, terrain_->height() * 2 / 3) << "no kicker on the final run";
  const float lipZ = static_cast<float>(lip) * terrain_->scale().z;
  auto count = [](const std::vector<std::string>& ratings, const std::string& which) {
    return std::count(ratings.begin(), ratings.end(), which);
  };
  for (const double fps : {60.0, 1000.0}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(fps)) + " frames a second");
    EXPECT_EQ(count(ratingsOfRun(fps, lipZ), "MONSTERJUMP"), 1);
    EXPECT_EQ(count(ratingsOfRun(fps, 0.0f), "MONSTERJUMP"), 0);
    EXPECT_EQ(count(ratingsOfRun(fps, lipZ - 600.0f), "MONSTERJUMP"), 0);
  }
}

// The whole race update with its rules at a fixed frame step: countdown,
// "GO", the autopilot riding against the bare race clock (no bonus time),
// the finish handed over with the seconds left.
struct ClockedRace {
  VornRaceResult result;
  int64_t go = 0;           // the frame "GO" started the clock
  int64_t finish = 0;       // the frame the finish was crossed
  int64_t leftAtFinish = 0;  // microseconds on the race clock then
  float endZ = 0.0f;
};

TEST_F(CourseTest, ASingleRaceCountsDownRidesAndFinishesWithTimeToSpare) {
  for (const double fps : {60.0, 1000.0}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(fps)) + " frames a second");
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
    const int64_t started = now;
    VornRace::startClock(clock, now);
    race.placeAtStart(0, terrain_->startPosition(), VornRaceTuning::kSingleStartOffset);
    const VornAutopilot pilot = makePilot();
    uint8_t keys[256] = {};
    const int64_t step = static_cast<int64_t>(1000000.0 / fps + 0.5);
    ClockedRace run;
    const int64_t limit = now + 30000000;
    while (now < limit && run.result.request == RaceRequest::kNone && !(run.go && !player.racing && stage == 1)) {
      now += step;
      pilot.drive(player, keys);
      run.result = race.updateSingle(*terrain_, clock, VornRaceInput{now, keys, 400.0f, 380.0f, false});
      if (!run.go && player.racing) run.go = now;
      // Stage 2 is a countdown step before "GO" and the finish after it.
      if (run.go && !run.finish && stage == 2) {
        run.finish = now;
        run.leftAtFinish = deadline - now;
      }
      // The camera never goes below the ground.
      const VornVector& eye = camera.eyePosition();
      ASSERT_GE(eye.y, terrain_->getHeight(eye.x, eye.z) + 9.9f) << "at " << now;
    }
    run.endZ = player.position().z;
    std::printf("%4.0f fps: GO after %.3f s, finish %.3f s after GO, %.3f s left on the clock\n", fps,
                static_cast<double>(run.go - started) / 1e6, static_cast<double>(run.finish - run.go) / 1e6,
                static_cast<double>(run.leftAtFinish) / 1e6);
    EXPECT_GT(run.go - started, 3000000) << "the countdown takes about three seconds";
    ASSERT_EQ(run.result.request, RaceRequest::kFinished) << "ended at z " << run.endZ;
    EXPECT_GT(run.endZ, endZ() - 10.0f) << "at the finish line";
    // A good line wins on the bare 15 s with a clear margin: at least 2.5 s
    // left, so the name entry is reached without any beer bottle.
    EXPECT_GE(run.leftAtFinish, 2500000);
    EXPECT_EQ(run.result.secondsLeft, VornRace::secondsLeft(deadline, now));
    EXPECT_GE(run.result.secondsLeft, 2);
  }
}

// The clock matters: a rider who lets go of every key ends on a bank or
// too slow and runs out of time before the finish.
TEST_F(CourseTest, ARunWithoutKeysDoesNotBeatTheClock) {
  VornPlayer p;
  VornRider rider(0, kPlayer1Keys);
  placeAtStart(p, rider);
  VornRaceHooks none;
  const uint8_t keys[256] = {};
  const int64_t step = 16667;
  const float dt = static_cast<float>(static_cast<double>(step) / 100000.0);
  for (int64_t now = 0; now < VornRaceTuning::kRaceClockMicros; now += step) {
    rider.race(p, *terrain_, none, keys, dt, now + step);
    ASSERT_FALSE(rider.endOfTrack) << "finished without steering at " << now / 1e6 << " s";
  }
}

}  // namespace
}  // namespace vorn
