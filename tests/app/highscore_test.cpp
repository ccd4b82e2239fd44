#include "app/highscore.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "base/error_log.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

const std::string kFive = "40\nann\n30\nbob\n20\ncid\n10\ndan\n5\neve\n";

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
  void writeFile(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
  std::string errLog() const { return test::readText(dir_ + "/err.txt"); }

  std::string dir_, path_, savedLog_;
};

TEST_F(HighscoreTest, RankInsertAndSaveKeepTheBestFiveWithTiesAfterTheStoredScore) {
  // rank 0 is no place; the name is stored when the score earns one; saved is the file after save().
  const struct { std::string file; int score, rank; const char* name; std::string saved; } cases[] = {
      {"", 3, 1, "  Ann Lee ", "3\n  Ann Lee \n"},  // a missing file is an empty table
      {"9\na\n", -7, 2, "", "9\na\n-7\n\n"},        // lower than every score, yet a free place
      {kFive, 25, 3, "fay", "40\nann\n30\nbob\n25\nfay\n20\ncid\n10\ndan\n"},
      {kFive, 10, 5, "tie", "40\nann\n30\nbob\n20\ncid\n10\ndan\n10\ntie\n"},
      {kFive, 5, 0, "late", kFive},
      // A sixth entry loads but is never ranked against nor saved.
      {"60\na\n50\nb\n40\nc\n30\nd\n20\ne\n10\nf\n", 15, 0, "x", "60\na\n50\nb\n40\nc\n30\nd\n20\ne\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " score " + std::to_string(c.score));
    std::remove(path_.c_str());
    if (!c.file.empty()) writeFile(c.file);
    VornHighscore table(path_, false, 5);
    EXPECT_EQ(table.rank(c.score), c.rank);
    EXPECT_EQ(table.insert(c.score, c.name), c.rank != 0);
    ASSERT_TRUE(table.save());
    EXPECT_EQ(test::readText(path_), c.saved);
    EXPECT_EQ(VornHighscore(path_, false, 5).serialize(), c.saved) << "read back unchanged";
  }
  EXPECT_EQ(errLog(), "");
}

TEST_F(HighscoreTest, DamagedFilesLoadWhatIsIntactReportOnceAndNeverCrash) {
  std::string garbage;
  for (int i = 0; i < 200000; ++i) garbage += static_cast<char>((i * 131) & 0xff);
  std::string oversized;
  while (oversized.size() <= kMaxScoreFileBytes) oversized += "1\na\n";
  const std::string a63(kMaxStoredNameLength - 1, 'a');
  // kept: serialize() of what loads (up to ten entries).
  const struct { const char* what; std::string file, kept; bool damaged; } cases[] = {
      {"words, overflow, junk and a missing last name",
       "40\nann\nforty\nbad\n30\r\nbob\r\n99999999999999999999\nhuge\n20\n" + std::string(5000, 'n') +
           "\n7 x\njunk\n10",
       "40\nann\n30\nbob\n20\n" + std::string(kMaxStoredNameLength, 'n') + "\n10\n\n", true},
      // The cut falls right before carriage returns, which must not stay in the name.
      {"a cut name", "9\n" + a63 + "\r\r\rbbb\n", "9\n" + a63 + "\n", false},
      {"a NUL in a score", std::string("5\0\nx\n7\ny\n", 9), "7\ny\n", true},
      {"only a score", "12", "12\n\n", false},
      {"empty", "", "", false},
      {"binary garbage", garbage, "", true},
      {"larger than a score file can be", oversized, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove((dir_ + "/err.txt").c_str());
    writeFile(c.file);
    VornHighscore table(path_, false, 10);
    if (!c.kept.empty() || !c.damaged) {
      EXPECT_EQ(table.serialize(), c.kept);
    }
    const std::string log = errLog();
    if (c.damaged) {
      EXPECT_EQ(log.rfind("Error VornHighscore::load \n\tdamaged score file", 0), 0u) << log;
      EXPECT_EQ(log.find("Error", 1), std::string::npos) << "reported once";
    } else {
      EXPECT_EQ(log, "");
    }
    // Whatever loaded survives the next save and load unchanged.
    ASSERT_TRUE(table.save());
    EXPECT_EQ(VornHighscore(path_, false, 10).serialize(), table.serialize());
  }
}

TEST_F(HighscoreTest, AFailedSaveKeepsThePreviousFileAndSaysSo) {
  const std::string previous = "40\nann\n30\nbob\n";
  writeFile(previous);
  VornHighscore table(path_, false, 5);
  table.insert(50, "zed");
  const auto halfThenFull = [](std::FILE* f, const char* data, size_t size) {
    return std::fwrite(data, 1, size / 2, f);  // the disk fills up in the middle
  };
  EXPECT_FALSE(table.save(halfThenFull));
  EXPECT_EQ(test::readText(path_), previous);
  EXPECT_NE(access((path_ + ".tmp").c_str(), F_OK), 0) << "the temporary file is removed";
  EXPECT_EQ(errLog().rfind("Error VornHighscore::save \n", 0), 0u);
  // The table in memory is untouched and the next save succeeds.
  EXPECT_TRUE(table.save());
  EXPECT_EQ(test::readText(path_), "50\nzed\n40\nann\n30\nbob\n");

  VornHighscore nowhere(dir_ + "/no/such/score.txt", false, 5);
  nowhere.insert(1, "a");
  EXPECT_FALSE(nowhere.save());
  EXPECT_NE(errLog().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace vorn
