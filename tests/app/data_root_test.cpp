#include "app/data_root.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

namespace vorn {
namespace {

class DataRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = ::testing::TempDir() + "vorn_root_" + std::to_string(::getpid());
    mkdir(base_.c_str(), 0755);
    mkdir((base_ + "/bin").c_str(), 0755);
    mkdir((base_ + "/cwd").c_str(), 0755);
  }
  void TearDown() override {
    rmdir((base_ + "/bin/data").c_str());
    rmdir((base_ + "/data").c_str());
    rmdir((base_ + "/cwd/data").c_str());
    rmdir((base_ + "/bin").c_str());
    rmdir((base_ + "/cwd").c_str());
    rmdir(base_.c_str());
  }
  std::string base_;
};

TEST_F(DataRootTest, RequestedFolderWins) {
  mkdir((base_ + "/bin/data").c_str(), 0755);
  EXPECT_EQ(findDataRoot("/some/where", base_ + "/bin", base_ + "/cwd"), "/some/where");
}

TEST_F(DataRootTest, ExecutableFolderThenParentThenCurrent) {
  mkdir((base_ + "/cwd/data").c_str(), 0755);
  EXPECT_EQ(findDataRoot("", base_ + "/bin", base_ + "/cwd"), base_ + "/cwd");
  mkdir((base_ + "/data").c_str(), 0755);
  EXPECT_EQ(findDataRoot("", base_ + "/bin", base_ + "/cwd"), base_ + "/bin/..");
  mkdir((base_ + "/bin/data").c_str(), 0755);
  EXPECT_EQ(findDataRoot("", base_ + "/bin", base_ + "/cwd"), base_ + "/bin");
}

TEST_F(DataRootTest, NoDataAnywhereFallsBackToTheExecutableFolder) {
  EXPECT_EQ(findDataRoot("", base_ + "/bin", base_ + "/cwd"), base_ + "/bin");
  EXPECT_EQ(findDataRoot("", "", base_ + "/cwd"), base_ + "/cwd");
}

TEST(ExecutableDirectory, IsAnExistingFolder) {
  const std::string dir = executableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(isDirectory(dir));
}

}  // namespace
}  // namespace vorn
