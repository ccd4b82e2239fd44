#include "app/highscore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "base/error_log.h"

namespace vorn {
namespace {

class HighscoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorn_score.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/score.txt";
    savedLog_ = errorLogPath();
    setErrorLogPath(dir_ + "/err.txt");
  }
  void TearDown() override {
    setErrorLogPath(savedLog_);
    std::system(("rm -rf " + dir_).c_str());
  }

  void writeFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  static std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string errLog() const { return readFile(dir_ + "/err.txt"); }

  std::string dir_;
  std::string path_;
  std::string savedLog_;
};

TEST_F(HighscoreTest, MissingFileIsAnEmptyTableAndTheFirstScoreTakesPlaceOne) {
  VornHighscore table(path_, false, 5);
  EXPECT_TRUE(table.getEntries().empty());
  EXPECT_EQ(table.rank(3), 1);
  EXPECT_EQ(table.rank(-7), 1);
  EXPECT_TRUE(errLog().empty());
}

TEST_F(HighscoreTest, ATableWithFreePlacesFillsUp) {
  VornHighscore table(path_, false, 5);
  EXPECT_TRUE(table.insert(9, "a"));
  EXPECT_EQ(table.rank(4), 2);  // lower than every stored score, yet a free place
  EXPECT_TRUE(table.insert(4, "b"));
  EXPECT_TRUE(table.insert(2, "c"));
  EXPECT_TRUE(table.insert(1, "d"));
  EXPECT_EQ(table.rank(0), 5);
  EXPECT_TRUE(table.insert(0, "e"));
  EXPECT_EQ(table.rank(-1), 0);  // full: only better scores get in
  EXPECT_FALSE(table.insert(-1, "f"));
  EXPECT_EQ(table.getEntries().size(), 5u);
}

TEST_F(HighscoreTest, RankOfAnEqualScoreComesAfterIt) {
  writeFile("40\nann\n30\nbob\n20\ncid\n10\ndan\n5\neve\n");
  VornHighscore table(path_, false, 5);
  EXPECT_EQ(table.rank(41), 1);
  EXPECT_EQ(table.rank(40), 2);
  EXPECT_EQ(table.rank(11), 4);
  EXPECT_EQ(table.rank(10), 5);
  EXPECT_EQ(table.rank(5), 0);
  EXPECT_EQ(table.rank(1), 0);
}

TEST_F(HighscoreTest, ADuplicateWithoutAPlaceIsNotStored) {
  writeFile("40\nann\n30\nbob\n20\ncid\n10\ndan\n5\neve\n");
  VornHighscore table(path_, false, 5);
  EXPECT_FALSE(table.insert(5, "late"));
  EXPECT_EQ(table.getEntries().size(), 5u);
  EXPECT_EQ(table.getEntries().rbegin()->second, "eve");
}

TEST_F(HighscoreTest, ATieThatEarnedAPlaceIsStoredAfterTheStoredScore) {
  writeFile("40\nann\n30\nbob\n20\ncid\n");
  VornHighscore table(path_, false, 5);
  ASSERT_EQ(table.rank(30), 3);
  EXPECT_TRUE(table.insert(30, "new"));
  ASSERT_TRUE(table.save());
  EXPECT_EQ(readFile(path_), "40\nann\n30\nbob\n30\nnew\n20\ncid\n");
  VornHighscore reread(path_, false, 5);
  const auto entries = reread.getEntries();
  auto it = entries.begin();
  std::advance(it, 2);
  EXPECT_EQ(it->first, 30);
  EXPECT_EQ(it->second, "new");
}

TEST_F(HighscoreTest, SaveKeepsTheBestFiveOfSix) {
  writeFile("40\nann\n30\nbob\n20\ncid\n10\ndan\n5\neve\n");
  VornHighscore table(path_, false, 5);
  EXPECT_EQ(table.rank(25), 3);
  EXPECT_TRUE(table.insert(25, "fay"));
  ASSERT_TRUE(table.save());
  EXPECT_EQ(readFile(path_), "40\nann\n30\nbob\n25\nfay\n20\ncid\n10\ndan\n");
}

TEST_F(HighscoreTest, AFileOfSixLoadsSixButRanksAndSavesOnlyFive) {
  writeFile("60\na\n50\nb\n40\nc\n30\nd\n20\ne\n10\nf\n");
  VornHighscore table(path_, false, 5);
  EXPECT_EQ(table.getEntries().size(), 6u);
  EXPECT_EQ(table.rank(15), 0);  // beats only the sixth, which is never shown
  EXPECT_EQ(table.rank(25), 5);
  ASSERT_TRUE(table.save());
  EXPECT_EQ(readFile(path_), "60\na\n50\nb\n40\nc\n30\nd\n20\ne\n");
}

TEST_F(HighscoreTest, AscendingTablesSaveFromTheSmallestUp) {
  writeFile("3\nc\n1\na\n2\nb\n");
  VornHighscore table(path_, true, 2);
  ASSERT_TRUE(table.save());
  EXPECT_EQ(readFile(path_), "1\na\n2\nb\n");
}

TEST_F(HighscoreTest, NamesWithSpacesSurviveSaveAndLoad) {
  VornHighscore table(path_, false, 5);
  table.insert(12, "  Ann Lee ");
  table.insert(7, "");
  ASSERT_TRUE(table.save());
  VornHighscore reread(path_, false, 5);
  const auto entries = reread.getEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries.begin()->second, "  Ann Lee ");
  EXPECT_EQ(entries.rbegin()->second, "");
}

TEST_F(HighscoreTest, ASaveThatFailsHalfwayLeavesThePreviousFile) {
  const std::string previous = "40\nann\n30\nbob\n";
  writeFile(previous);
  VornHighscore table(path_, false, 5);
  table.insert(50, "zed");
  const auto halfThenFull = [](std::FILE* f, const char* data, size_t size) {
    return std::fwrite(data, 1, size / 2, f);  // the disk fills up in the middle
  };
  EXPECT_FALSE(table.save(halfThenFull));
  EXPECT_EQ(readFile(path_), previous);
  EXPECT_NE(access((path_ + ".tmp").c_str(), F_OK), 0) << "the temporary file is removed";
  EXPECT_NE(errLog().find("Error VornHighscore::save \n"), std::string::npos);
  // The table in memory is untouched and the next save succeeds.
  EXPECT_TRUE(table.save());
  EXPECT_EQ(readFile(path_), "50\nzed\n40\nann\n30\nbob\n");
}

TEST_F(HighscoreTest, ASaveIntoAMissingFolderFailsAndSaysSo) {
  VornHighscore table(dir_ + "/no/such/score.txt", false, 5);
  table.insert(1, "a");
  EXPECT_FALSE(table.save());
  EXPECT_NE(errLog().find("cannot write"), std::string::npos);
}

TEST_F(HighscoreTest, DamagedLinesAreSkippedAndTheRestLoads) {
  const std::string longName(5000, 'n');
  writeFile("40\nann\nforty\nbad\n30\r\nbob\r\n99999999999999999999\nhuge\n20\n" + longName + "\n7 x\njunk\n10");
  VornHighscore table(path_, false, 5);
  const auto entries = table.getEntries();
  ASSERT_EQ(entries.size(), 4u);
  auto it = entries.begin();
  EXPECT_EQ(it->first, 40);
  EXPECT_EQ((++it)->second, "bob");
  EXPECT_EQ((++it)->second.size(), kMaxStoredNameLength);
  EXPECT_EQ((++it)->first, 10);
  EXPECT_EQ(it->second, "");  // the name line is missing at the end of the file
  const std::string log = errLog();
  EXPECT_NE(log.find("Error VornHighscore::load \n"), std::string::npos);
  EXPECT_EQ(log.find("Error", 1), std::string::npos) << "reported once";
}

TEST_F(HighscoreTest, ACutNameSurvivesTheNextSaveUnchanged) {
  // The cut falls right before carriage returns, which must not stay in the name.
  writeFile("9\n" + std::string(kMaxStoredNameLength - 1, 'a') + "\r\r\rbbb\n");
  VornHighscore table(path_, false, 5);
  const std::string name = table.getEntries().begin()->second;
  EXPECT_EQ(name, std::string(kMaxStoredNameLength - 1, 'a'));
  ASSERT_TRUE(table.save());
  VornHighscore reread(path_, false, 5);
  EXPECT_EQ(reread.getEntries().begin()->second, name);
}

TEST_F(HighscoreTest, BinaryGarbageAndHugeFilesNeverCrash) {
  std::string junk;
  for (int i = 0; i < 200000; ++i) junk += static_cast<char>((i * 131) & 0xff);
  writeFile(junk);
  VornHighscore table(path_, false, 5);
  EXPECT_LE(table.getEntries().size(), kMaxScoreFileBytes / 2);
  EXPECT_NE(errLog().find("damaged score file"), std::string::npos);
}

}  // namespace
}  // namespace vorn
