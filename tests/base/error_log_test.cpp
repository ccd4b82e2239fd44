#include "base/error_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/test_bytes.h"

namespace vorn {
namespace {

class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::remove(path_.c_str());
    setErrorLogPath(path_);
  }
  void TearDown() override {
    setErrorLogPath("err.txt");
    std::remove(path_.c_str());
  }
  const std::string path_ = ::testing::TempDir() + "vorn_err_test.txt";
};

// Every report is appended, none truncates the log; raw headers stay exactly as given.
TEST_F(ErrorLogTest, TwoLineFormatAppendedAndRawHeadersKeptExactly) {
  logError("VornTexture::loadBMP", "\tfile not found: %s\n", "data/x.bmp");
  logError("VornWorld::loadObjects", "\tbad line %d\n", 7);
  appendErrorLog("Error initGL\n", "\terr != GLEW_OK\n");
  logErrorRaw("VornAddObject::VornAddObject(char *line) \n", "\t%s\n", "kind");
  EXPECT_EQ(test::readText(path_),
            "Error VornTexture::loadBMP \n\tfile not found: data/x.bmp\n"
            "Error VornWorld::loadObjects \n\tbad line 7\n"
            "Error initGL\n\terr != GLEW_OK\n"
            "VornAddObject::VornAddObject(char *line) \n\tkind\n");
}

TEST_F(ErrorLogTest, OverlongDetailIsCutNotOverrunAndAnUnwritableLogIsIgnored) {
  logError("X::y", "\t%s\n", std::string(5000, 'a').c_str());
  const std::string text = test::readText(path_);
  EXPECT_EQ(text.rfind("Error X::y \n\t", 0), 0u);
  EXPECT_TRUE(text.size() > 1000u && text.size() < 1100u) << text.size();
  setErrorLogPath("/nonexistent-folder/err.txt");
  logError("X::y", "\tnothing\n");  // must neither crash nor throw
}

}  // namespace
}  // namespace vorn
