// Where the game runs: the data root it finds, and for an installed game the
// choice between the data root and the player's folder, and the player's
// data/ of links to the shipped files, as the game leaves and refreshes it on
// temporary trees.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/data_root.h"
#include "base/file_io.h"

namespace vorn {
namespace {

void writeText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool isLinkTo(const std::string& path, const std::string& target) {
  char buffer[PATH_MAX];
  const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer);
  return n > 0 && std::string(buffer, static_cast<size_t>(n)) == target;
}

bool isLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isRealFolder(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRealFile(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Every path below `dir` with its size and contents, to see that a tree did
// not change (as root, chmod does not stop writes, so this is the check).
std::string treeListing(const std::string& dir) {
  std::string out;
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = dir + "/" + name;
    out += path + (isRealFolder(path) ? "/\n" + treeListing(path) : " " + readText(path) + "\n");
  }
  closedir(d);
  return out;
}

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

class PlayerFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorn_player_folder_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    base_ = pattern;
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(base_.c_str(), resolved), nullptr);
    base_ = resolved;
    // An installed tree: prefix/bin beside prefix/share/vorn/data.
    exeDir_ = base_ + "/prefix/bin";
    root_ = base_ + "/prefix/share/vorn";
    data_ = root_ + "/data";
    ASSERT_TRUE(makeFolders(exeDir_));
    for (const char* dir : {"models", "textures/sky3", "maps", "saves", "sounds"}) {
      ASSERT_TRUE(makeFolders(data_ + "/" + dir));
    }
    writeText(data_ + "/models/cow.3DS", "cow");
    writeText(data_ + "/textures/sky3/up.bmp", "sky");
    writeText(data_ + "/maps/course.rgb", "heights");
    writeText(data_ + "/maps/course_light.bmp", "shipped light map");
    writeText(data_ + "/saves/course1.txt", "shipped ghost");
    player_ = base_ + "/home/.local/share/vorn";
  }
  void TearDown() override { std::system(("chmod -R u+w " + base_ + " && rm -rf " + base_).c_str()); }

  std::string prepare() {
    std::string error;
    const std::string folder = prepareWorkingFolder(root_, false, player_, error);
    EXPECT_EQ(error, "");
    return folder;
  }

  std::string base_, exeDir_, root_, data_, player_;
};

TEST_F(PlayerFolder, FolderFromXdgDataHomeElseHome) {
  const struct {
    const char* xdg;
    const char* home;
    const char* folder;
  } cases[] = {
      {"/x/share", "/h", "/x/share/vorn"},        {nullptr, "/h", "/h/.local/share/vorn"},
      {"", "/h", "/h/.local/share/vorn"},         {"relative/share", "/h", "/h/.local/share/vorn"},
      {"/x/share", "", "/x/share/vorn"},          {nullptr, "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(playerFolderPath(c.xdg, c.home), c.folder) << (c.xdg ? c.xdg : "(unset)");
}

TEST_F(PlayerFolder, PlayerFolderWhenTheRootCannotBeWrittenOrIsInstalled) {
  const std::string buildTree = base_ + "/build", elsewhere = base_ + "/elsewhere";
  ASSERT_TRUE(makeFolders(buildTree + "/data") && makeFolders(elsewhere));
  const std::string readOnlyRoot = base_ + "/ro", readOnlyData = base_ + "/ro_data";
  ASSERT_TRUE(makeFolders(readOnlyRoot + "/data") && makeFolders(readOnlyData + "/data"));
  chmod(readOnlyRoot.c_str(), 0555);
  chmod((readOnlyData + "/data").c_str(), 0555);
  const struct {
    const char* what;
    std::string root, exeDir;
    bool needed;
  } cases[] = {
      {"build tree", buildTree, buildTree, false},
      {"--data, writable", buildTree, elsewhere, false},
      {"--data without data/ yet", elsewhere, buildTree, false},
      {"read-only root", readOnlyRoot, buildTree, true},
      {"read-only data/", readOnlyData, buildTree, true},
      {"installed, writable", root_, exeDir_, true},
      {"installed, read-only", root_, exeDir_, true},
      {"missing root", base_ + "/none", buildTree, true},
  };
  for (const auto& c : cases) {
    if (std::string(c.what) == "installed, read-only") std::system(("chmod -R a-w " + root_).c_str());
    EXPECT_EQ(needsPlayerFolder(c.root, c.exeDir), c.needed) << c.what;
  }
  // The install's own data wins over a data/ in the folder it was started in.
  EXPECT_EQ(findDataRoot("", exeDir_, buildTree), exeDir_ + kInstalledDataRoot);
}

TEST_F(PlayerFolder, WritableRootIsUsedAsItIs) {
  std::string error;
  EXPECT_EQ(prepareWorkingFolder(root_, true, player_, error), root_);
  EXPECT_FALSE(exists(base_ + "/home"));
}

TEST_F(PlayerFolder, LinksToShippedFilesWithRealFoldersForWhatTheGameWrites) {
  std::system(("chmod -R a-w " + root_).c_str());
  const std::string before = treeListing(root_);
  ASSERT_EQ(prepare(), player_);
  const std::string mine = player_ + "/data";
  EXPECT_TRUE(isRealFolder(mine));
  for (const char* entry : {"models", "textures", "sounds"}) {
    EXPECT_TRUE(isLinkTo(mine + "/" + entry, data_ + "/" + entry)) << entry;
  }
  for (const char* entry : {"maps/course.rgb", "maps/course_light.bmp", "saves/course1.txt"}) {
    EXPECT_TRUE(isLinkTo(mine + "/" + entry, data_ + "/" + entry)) << entry;
  }
  EXPECT_TRUE(isRealFolder(mine + "/maps") && isRealFolder(mine + "/saves"));
  EXPECT_EQ(readText(mine + "/textures/sky3/up.bmp"), "sky");
  EXPECT_EQ(readText(mine + "/saves/course1.txt"), "shipped ghost");

  // The game's own writes from the player's folder: a light-map cache beside
  // the height map, a recording, and the kept ghost replacing the shipped one.
  ASSERT_EQ(chdir(player_.c_str()), 0);
  writeText("data/maps/course_new_light.bmp", "cache");
  writeText("data/saves/course.txt", "recording");
  EXPECT_TRUE(replaceFileAtomically("data/saves/course1.txt", "the player's ghost", "test"));
  writeText("score.txt", "14");
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_TRUE(isRealFile(mine + "/saves/course1.txt"));
  EXPECT_EQ(readText(mine + "/saves/course1.txt"), "the player's ghost");
  EXPECT_EQ(treeListing(root_), before);
}

TEST_F(PlayerFolder, RefreshFixesStaleLinksAndKeepsThePlayersFiles) {
  const std::string mine = player_ + "/data", old = base_ + "/old/share/vorn/data";
  ASSERT_TRUE(makeFolders(mine + "/saves") && makeFolders(old + "/sounds") && makeFolders(old + "/maps"));
  // An older install at another prefix, partly removed since.
  ASSERT_EQ(symlink((old + "/maps").c_str(), (mine + "/maps").c_str()), 0);
  ASSERT_EQ(symlink((old + "/sounds").c_str(), (mine + "/sounds").c_str()), 0);
  ASSERT_EQ(symlink("/removed/share/vorn/data/models", (mine + "/models").c_str()), 0);
  ASSERT_EQ(symlink("/removed/share/vorn/data/music", (mine + "/music").c_str()), 0);
  ASSERT_EQ(symlink("/removed/share/vorn/data/saves/gone1.txt", (mine + "/saves/gone1.txt").c_str()), 0);
  writeText(mine + "/saves/course1.txt", "the player's ghost");
  writeText(mine + "/saves/course.txt", "recording");
  ASSERT_EQ(prepare(), player_);

  const struct {
    const char* entry;
    const char* link;  // the shipped entry it must link to, or null when it must not be a link
    bool present;
  } cases[] = {
      {"maps", nullptr, true},      {"maps/course.rgb", "maps/course.rgb", true},
      {"sounds", "sounds", true},   {"models", "models", true},
      {"textures", "textures", true}, {"music", nullptr, false},
      {"saves/gone1.txt", nullptr, false}, {"saves/course1.txt", nullptr, true},
      {"saves/course.txt", nullptr, true},
  };
  for (const auto& c : cases) {
    const std::string path = mine + "/" + c.entry;
    EXPECT_EQ(exists(path), c.present) << c.entry;
    if (c.link) {
      EXPECT_TRUE(isLinkTo(path, data_ + "/" + c.link)) << c.entry;
    } else if (c.present) {
      EXPECT_FALSE(isLink(path)) << c.entry;
    }
  }
  EXPECT_TRUE(isRealFolder(mine + "/maps"));
  EXPECT_EQ(readText(mine + "/saves/course1.txt"), "the player's ghost");
  EXPECT_EQ(readText(mine + "/saves/course.txt"), "recording");

  // A second start changes nothing.
  const std::string once = treeListing(mine);
  ASSERT_EQ(prepare(), player_);
  EXPECT_EQ(treeListing(mine), once);
}

TEST_F(PlayerFolder, FailuresAreReportedAndAnInstallInsideThePlayersFolderIsUsedDirectly) {
  std::string error;
  EXPECT_EQ(prepareWorkingFolder(root_, false, "", error), "");
  EXPECT_NE(error, "");
  error.clear();
  writeText(base_ + "/file", "not a folder");
  EXPECT_EQ(prepareWorkingFolder(root_, false, base_ + "/file/vorn", error), "");
  EXPECT_NE(error, "");
  error.clear();
  EXPECT_EQ(prepareWorkingFolder(root_, false, root_, error), root_);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(isRealFolder(data_ + "/models"));
}

}  // namespace
}  // namespace vorn
