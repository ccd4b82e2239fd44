// The ghost that ships: the generator races the shipped course (read from
// the built data through the game's readers) with the game's race update and
// records it with the game's recorder. The run is the shipped file, reads
// back through the ghost's reader, finishes between a good player and a
// careless one, and is fair to beat.
#include "assetgen/ghost_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ghost.h"
#include "base/error_log.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

const std::string kDataRoot = VORN_TEST_DATA_ROOT;

TEST(ShippedGhost, IsTheGeneratorsRecordingAndBeatableByAGoodPlayerButNotByACarelessOne) {
  setErrorLogPath("shipped_ghost_err.txt");
  std::remove("shipped_ghost_err.txt");
  assetgen::ShippedCourse course;
  ASSERT_TRUE(assetgen::loadShippedCourse(kDataRoot, course));
  const assetgen::RaceOutcome best = assetgen::raceShippedCourse(course, assetgen::bestDriver(course), nullptr);
  const assetgen::RaceOutcome careless =
      assetgen::raceShippedCourse(course, assetgen::carelessDriver(course), nullptr);

  char dir[] = "/tmp/vorn_shipped_ghost.XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(0, chdir(dir));
  VornGhost recorder;
  recorder.open("data/maps/twin_paths1.rgb");
  const assetgen::RaceOutcome ghost = assetgen::raceShippedCourse(course, assetgen::ghostDriver(course), &recorder);
  const std::string recorded = test::readText(kGhostRunFile);
  VornGhost replay;
  replay.load("data/maps/twin_paths1.rgb");
  ASSERT_EQ(0, chdir(cwd));
  std::system((std::string("rm -rf ") + dir).c_str());

  std::printf("best %.2f s (%d bottles, %d tree contacts), ghost %.2f s, careless %.2f s (%s, %d tree contacts)\n",
              best.seconds, best.bottles, best.treeHits, ghost.seconds, careless.seconds,
              careless.finished ? "finished" : "lost", careless.treeHits);
  EXPECT_EQ(recorded, test::readText(kDataRoot + "/" + kGhostRunFile)) << "the shipped ghost is not this run";
  EXPECT_EQ(replay.count(), ghost.frames);
  ASSERT_GT(replay.count(), 1);
  // The replay reaches its end when the recorded race did.
  for (int frame = 0; frame < 100000 && !replay.advance(1.0f / 6.0f); ++frame) {
  }
  EXPECT_NEAR(replay.time() / 10.0f, ghost.seconds, 0.1);

  EXPECT_TRUE(best.finished);
  EXPECT_EQ(best.treeHits, 0);
  EXPECT_EQ(best.bottles, 4);
  EXPECT_TRUE(ghost.finished);
  EXPECT_GT(ghost.seconds - best.seconds, 0.5) << "a good player must be able to win";
  EXPECT_LT(ghost.seconds - best.seconds, 1.5) << "the ghost must be a rival";
  EXPECT_LT(ghost.seconds, 15.0) << "the ghost beats a player who only races the clock";
  EXPECT_FALSE(careless.finished);
  EXPECT_GT(careless.treeHits, 0);
  EXPECT_EQ("", test::readText(errorLogPath())) << "the readers reported a line";
}

}  // namespace
}  // namespace vorn
