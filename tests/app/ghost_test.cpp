#include "app/ghost.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/error_log.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

const float kMatrix[16] = {0.08f, 0, 0, 0, 0, 0.04f, -0.069282f, 0, 0, 0.069282f, 0.04f, 0, 2003.845215f, 234.5f, -91.25f, 1};

std::string line(float step) { return formatRunLine(step, kMatrix); }

std::vector<VornGhostFrame> parse(const std::string& text, size_t* skipped = nullptr) {
  return parseRun(reinterpret_cast<const uint8_t*>(text.data()), text.size(), skipped);
}

// A fresh temporary folder as the current one, with its own err.txt.
class GhostFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(cwd_, sizeof cwd_), nullptr);
    ASSERT_NE(mkdtemp(root_), nullptr);
    ASSERT_EQ(0, chdir(root_));
    savedLog_ = errorLogPath();
    setErrorLogPath(std::string(root_) + "/err.txt");
  }
  void TearDown() override {
    EXPECT_EQ(0, chdir(cwd_));
    setErrorLogPath(savedLog_);
    std::system((std::string("rm -rf ") + root_).c_str());
  }
  std::string errLog() const { return test::readText(std::string(root_) + "/err.txt"); }

  char root_[32] = "/tmp/vorn_ghost.XXXXXX", cwd_[PATH_MAX] = {};
  std::string savedLog_;
};

TEST(GhostRun, FileNamesKeepOnlyTheMapsNameWithTheEndingTxt) {
  const struct {
    const char* map;
    const char* file;
  } cases[] = {
      {"data/maps/twin_paths1.rgb", "data/saves/twin_paths1.txt"}, {"a/b/track.rgb", "data/saves/track.txt"},
      {"track.rgb", "data/saves/track.txt"},           {"maps/no_ending", "data/saves/no_ending.txt"},
      {"dir.d/course.sgi", "data/saves/course.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(ghostFileName(c.map), c.file) << c.map;
}

// Every damaged line is skipped and counted; whole lines still load.
TEST(GhostRun, DamagedLinesAreSkippedAndGoodOnesLoad) {
  const std::string good = line(0.5f);
  std::string sixteen = good.substr(good.find(' ') + 1);
  const std::string eighteen = "1.0 " + good;
  const std::string padded = std::string(200, ' ') + good;
  const struct {
    const char* what;
    std::string text;
    size_t frames, skipped;
  } cases[] = {
      {"empty file", "", 0, 0},
      {"one line", good, 1, 0},
      {"no line end at the end", good.substr(0, good.size() - 1), 1, 0},
      {"line ends with CR LF", good.substr(0, good.size() - 1) + "\r\n", 1, 0},
      {"blank lines", "\n\n" + good + "\n", 1, 0},
      {"16 numbers", sixteen, 0, 1},
      {"18 numbers", eighteen, 0, 1},
      {"negative step", line(-0.1f), 0, 1},
      {"step not a number", "nan" + good.substr(good.find(' ')), 0, 1},
      {"infinite matrix value", good.substr(0, good.rfind(' ', good.size() - 3)) + " inf \n", 0, 1},
      {"line over 199 characters", padded, 0, 1},
      {"binary junk", std::string("\x01\xff\x00\x7f junk\n", 10), 0, 1},
      {"clock past a day", line(3e38f) + line(0.5f) + line(3e38f), 1, 2},
      {"truncated line", good.substr(0, 40) + "\n" + good, 1, 1},
  };
  for (const auto& c : cases) {
    size_t skipped = 99;
    EXPECT_EQ(parse(c.text, &skipped).size(), c.frames) << c.what;
    EXPECT_EQ(skipped, c.skipped) << c.what;
  }
  // A written line reads back as written, six decimals each.
  const auto frames = parse(good);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_FLOAT_EQ(frames[0].time, 0.5f);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(frames[0].matrix[i], kMatrix[i], 1e-3) << i;
}

// Steps 0, 0.5, 0.5 end at 0, 0.5 and 1.0; the replay goes to the first frame
// not earlier than its clock and stays on the last one. A single frame has no
// end, so it never finishes a race.
TEST_F(GhostFiles, TheReplayStepsToTheFirstFrameNotEarlierThanItsClock) {
  const std::string three = line(0.0f) + line(0.5f) + line(0.5f);
  const auto frames = parse(three);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(std::make_pair(frames[1].time, frames[2].time), std::make_pair(0.5f, 1.0f));
  ASSERT_EQ(0, std::system("mkdir -p data/saves"));
  std::ofstream("data/saves/three.txt") << three;
  std::ofstream("data/saves/one.txt") << line(0.2f);
  VornGhost ghost;
  EXPECT_FALSE(ghost.advance(1.0f)) << "no frames";
  EXPECT_EQ(ghost.currentTransform(), nullptr);

  ghost.load("maps/three.rgb");
  EXPECT_EQ(ghost.count(), 3);
  EXPECT_FALSE(ghost.advance(0.3f));
  EXPECT_EQ(ghost.index(), 1);
  EXPECT_TRUE(ghost.advance(0.4f));
  EXPECT_EQ(ghost.index(), 2);
  EXPECT_TRUE(ghost.advance(10.0f));
  EXPECT_EQ(ghost.index(), 2);
  ASSERT_NE(ghost.currentTransform(), nullptr);
  EXPECT_NEAR(ghost.currentTransform()[12], kMatrix[12], 1e-3);

  // A missing file keeps the frames but rewinds the replay.
  ghost.load("maps/missing.rgb");
  EXPECT_EQ(ghost.count(), 3);
  EXPECT_EQ(ghost.index(), 0);
  EXPECT_FLOAT_EQ(ghost.time(), 0.0f);

  ghost.load("one.rgb");
  EXPECT_EQ(ghost.count(), 1);
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(ghost.advance(1.0f));
  EXPECT_EQ("", errLog());
}

// The recorder and the ghost on disk: open empties the recording, record
// appends (creating data/saves when it is missing), keepAsGhost replaces the
// ghost with the recording's whole lines, and a failed replacement or an
// unwritable folder costs one err.txt line and keeps the old files.
TEST_F(GhostFiles, RecordingAndKeepingTheGhostSurviveMissingAndUnwritableFolders) {
  VornGhost recorder;
  recorder.open("data/maps/twin_paths.rgb");  // creates data/saves
  EXPECT_EQ(recorder.fileName(), "data/saves/twin_paths.txt");
  EXPECT_EQ("", test::readText("data/saves/twin_paths.txt"));
  recorder.record(0.0f, kMatrix);
  recorder.record(0.25f, kMatrix);
  EXPECT_EQ(line(0.0f) + line(0.25f), test::readText("data/saves/twin_paths.txt"));

  // A crash in the middle of a line leaves half a line: it is not kept.
  std::ofstream("data/saves/twin_paths.txt", std::ios::app) << "0.166670 -0.05";
  ASSERT_TRUE(recorder.keepAsGhost());
  EXPECT_EQ(line(0.0f) + line(0.25f), test::readText(kGhostRunFile));

  // The replacement cannot be written: the old ghost stays whole.
  ASSERT_EQ(0, mkdir((std::string(kGhostRunFile) + ".tmp").c_str(), 0755));
  recorder.clear();
  recorder.record(0.5f, kMatrix);
  EXPECT_FALSE(recorder.keepAsGhost());
  EXPECT_EQ(line(0.0f) + line(0.25f), test::readText(kGhostRunFile));
  EXPECT_NE(std::string::npos, errLog().find("Error VornGhost::keepAsGhost"));

  // data/saves is a file: no recording can be written, and err.txt says so once.
  std::system("rm -rf data/saves && touch data/saves");
  const size_t logBefore = errLog().size();
  recorder.clear();
  for (int i = 0; i < 3; ++i) recorder.record(0.5f, kMatrix);
  const std::string log = errLog().substr(logBefore);
  EXPECT_EQ(2u, static_cast<size_t>(std::count(log.begin(), log.end(), '\n'))) << log;
}

}  // namespace
}  // namespace vorn
