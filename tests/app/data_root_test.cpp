#include "app/data_root.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vorn {
namespace {

TEST(DataRoot, RequestedFolderThenExecutableFolderThenParentThenCurrent) {
  const std::string base = ::testing::TempDir() + "vorn_root_" + std::to_string(::getpid());
  const std::string bin = base + "/bin", cwd = base + "/cwd";
  for (const std::string& dir : {base, bin, cwd}) mkdir(dir.c_str(), 0755);
  // Without data/ anywhere: the executable's folder, else the current one.
  EXPECT_EQ(findDataRoot("", bin, cwd), bin);
  EXPECT_EQ(findDataRoot("", "", cwd), cwd);
  mkdir((cwd + "/data").c_str(), 0755);
  EXPECT_EQ(findDataRoot("", bin, cwd), cwd);
  mkdir((base + "/data").c_str(), 0755);
  EXPECT_EQ(findDataRoot("", bin, cwd), bin + "/..");
  mkdir((bin + "/data").c_str(), 0755);
  EXPECT_EQ(findDataRoot("", bin, cwd), bin);
  EXPECT_EQ(findDataRoot("/some/where", bin, cwd), "/some/where");
  std::system(("rm -rf " + base).c_str());

  EXPECT_TRUE(isDirectory(executableDirectory()));
}

}  // namespace
}  // namespace vorn
