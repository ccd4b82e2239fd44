#include "base/error_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace vorn {
namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "vorn_err_test.txt";
    std::remove(path_.c_str());
    setErrorLogPath(path_);
  }
  void TearDown() override {
    setErrorLogPath("err.txt");
    std::remove(path_.c_str());
  }
  std::string path_;
};

TEST_F(ErrorLogTest, TwoLineFormatAppendedNeverTruncated) {
  logError("VornTexture::loadBMP", "\tfile not found: %s\n", "data/x.bmp");
  logError("VornWorld::loadObjects", "\tbad line %d\n", 7);
  EXPECT_EQ(readAll(path_),
            "Error VornTexture::loadBMP \n\tfile not found: data/x.bmp\n"
            "Error VornWorld::loadObjects \n\tbad line 7\n");
}

TEST_F(ErrorLogTest, RawHeaderKeptExactly) {
  appendErrorLog("Error initGL\n", "\terr != GLEW_OK\n");
  logErrorRaw("VornAddObject::VornAddObject(char *line) \n", "\t%s\n", "kind");
  EXPECT_EQ(readAll(path_),
            "Error initGL\n\terr != GLEW_OK\n"
            "VornAddObject::VornAddObject(char *line) \n\tkind\n");
}

TEST_F(ErrorLogTest, OverlongDetailIsCutNotOverrun) {
  const std::string huge(5000, 'a');
  logError("X::y", "\t%s\n", huge.c_str());
  const std::string text = readAll(path_);
  EXPECT_EQ(text.rfind("Error X::y \n\t", 0), 0u);
  EXPECT_LT(text.size(), 1100u);
  EXPECT_GT(text.size(), 1000u);
}

TEST_F(ErrorLogTest, UnwritableLogIsIgnored) {
  setErrorLogPath("/nonexistent-folder/err.txt");
  logError("X::y", "\tnothing\n");  // must not crash or throw
  SUCCEED();
}

}  // namespace
}  // namespace vorn
