// Where the game runs: the data root it finds, and for an installed game the
// choice between the data root and the player's folder, and the player's
// data/ of links to the shipped files, as the game leaves and refreshes it on
// temporary trees.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/data_root.h"
#include "base/file_io.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

using test::readText;

void writeText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

bool isLinkTo(const std::string& path, const std::string& target) {
  std::error_code notALink;
  return std::filesystem::read_symlink(path, notALink).string() == target;
}

// What the path itself is, links not followed: 'l'ink, 'd'irectory, 'f'ile,
// '?' for anything else, 0 when there is nothing.
char kindOf(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return 0;
  return S_ISLNK(st.st_mode) ? 'l' : S_ISDIR(st.st_mode) ? 'd' : S_ISREG(st.st_mode) ? 'f' : '?';
}

// Every path below `dir` with its contents, to see that a tree did not
// change (as root, chmod does not stop writes, so this is the check).
std::string treeListing(const std::string& dir) {
  std::string out;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    const std::string path = entry.path();
    out += path + (kindOf(path) == 'd' ? "/\n" : " " + readText(path) + "\n");
  }
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
    char pattern[] = "/tmp/vorn_player_folder_XXXXXX", resolved[PATH_MAX];
    ASSERT_NE(mkdtemp(pattern), nullptr);
    ASSERT_NE(realpath(pattern, resolved), nullptr);
    base_ = resolved;
    // An installed tree: prefix/bin beside prefix/share/vorn/data.
    exeDir_ = base_ + "/prefix/bin";
    root_ = base_ + "/prefix/share/vorn";
    data_ = root_ + "/data";
    ASSERT_TRUE(makeFolders(exeDir_));
    for (const char* dir : {"models", "textures/sky3", "maps", "saves", "sounds"})
      ASSERT_TRUE(makeFolders(data_ + "/" + dir));
    for (const auto& [file, text] : {std::pair{"models/cow.3DS", "cow"}, {"textures/sky3/up.bmp", "sky"},
                                     {"maps/course.rgb", "heights"}, {"maps/course_light.bmp", "shipped light map"},
                                     {"saves/course1.txt", "shipped ghost"}})
      writeText(data_ + "/" + file, text);
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

TEST(PlayerFolderPath, FromXdgDataHomeElseHome) {
  const struct { const char* xdg, *home, *folder; } cases[] = {
      {"/x/share", "/h", "/x/share/vorn"}, {nullptr, "/h", "/h/.local/share/vorn"}, {"", "/h", "/h/.local/share/vorn"},
      {"relative/share", "/h", "/h/.local/share/vorn"}, {"/x/share", "", "/x/share/vorn"}, {nullptr, "", ""}};
  for (const auto& c : cases) EXPECT_EQ(playerFolderPath(c.xdg, c.home), c.folder) << (c.xdg ? c.xdg : "(unset)");
}

TEST_F(PlayerFolder, PlayerFolderWhenTheRootCannotBeWrittenOrIsInstalled) {
  const std::string buildTree = base_ + "/build", elsewhere = base_ + "/elsewhere";
  ASSERT_TRUE(makeFolders(buildTree + "/data") && makeFolders(elsewhere));
  const std::string readOnlyRoot = base_ + "/ro", readOnlyData = base_ + "/ro_data";
  ASSERT_TRUE(makeFolders(readOnlyRoot + "/data") && makeFolders(readOnlyData + "/data"));
  chmod(readOnlyRoot.c_str(), 0555);
  chmod((readOnlyData + "/data").c_str(), 0555);
  const struct { const char* what; std::string root, exeDir; bool needed; } cases[] = {
      {"build tree", buildTree, buildTree, false},      {"--data, writable", buildTree, elsewhere, false},
      {"--data without data/ yet", elsewhere, buildTree, false}, {"read-only root", readOnlyRoot, buildTree, true},
      {"read-only data/", readOnlyData, buildTree, true}, {"installed", root_, exeDir_, true},
      {"missing root", base_ + "/none", buildTree, true}};
  for (const auto& c : cases) EXPECT_EQ(needsPlayerFolder(c.root, c.exeDir), c.needed) << c.what;
  // The install's own data wins over a data/ in the folder it was started in.
  EXPECT_EQ(findDataRoot("", exeDir_, buildTree), exeDir_ + kInstalledDataRoot);
}

TEST_F(PlayerFolder, LinksToShippedFilesWithRealFoldersForWhatTheGameWrites) {
  std::system(("chmod -R a-w " + root_).c_str());
  const std::string before = treeListing(root_);
  ASSERT_EQ(prepare(), player_);
  const std::string mine = player_ + "/data";
  for (const char* entry :
       {"models", "textures", "sounds", "maps/course.rgb", "maps/course_light.bmp", "saves/course1.txt"})
    EXPECT_TRUE(isLinkTo(mine + "/" + entry, data_ + "/" + entry)) << entry;
  for (const char* folder : {"", "/maps", "/saves"}) EXPECT_EQ(kindOf(mine + folder), 'd') << folder;

  // The game's own writes from the player's folder: a light-map cache beside
  // the height map, a recording, and the kept ghost replacing the shipped one.
  ASSERT_EQ(chdir(player_.c_str()), 0);
  writeText("data/maps/course_new_light.bmp", "cache");
  writeText("data/saves/course.txt", "recording");
  EXPECT_TRUE(replaceFileAtomically("data/saves/course1.txt", "the player's ghost", "test"));
  writeText("score.txt", "14");
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(kindOf(mine + "/saves/course1.txt"), 'f');
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

  // What each entry is afterwards (0: gone); a link must point at the shipped entry of its name.
  const struct { const char* entry; char kind; } cases[] = {
      {"maps", 'd'},   {"maps/course.rgb", 'l'}, {"sounds", 'l'},          {"models", 'l'},           {"textures", 'l'},
      {"music", 0},    {"saves/gone1.txt", 0},   {"saves/course1.txt", 'f'}, {"saves/course.txt", 'f'},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kindOf(mine + "/" + c.entry), c.kind) << c.entry;
    EXPECT_TRUE(c.kind != 'l' || isLinkTo(mine + "/" + c.entry, data_ + "/" + c.entry)) << c.entry;
  }
  EXPECT_EQ(readText(mine + "/saves/course1.txt"), "the player's ghost");
  EXPECT_EQ(readText(mine + "/saves/course.txt"), "recording");

  // A second start changes nothing.
  const std::string once = treeListing(mine);
  ASSERT_EQ(prepare(), player_);
  EXPECT_EQ(treeListing(mine), once);
}

TEST_F(PlayerFolder, AWritableRootOrAnInstallInsideThePlayersFolderIsUsedDirectlyAndFailuresAreReported) {
  std::string error;
  EXPECT_EQ(prepareWorkingFolder(root_, true, player_, error), root_);
  EXPECT_EQ(kindOf(base_ + "/home"), 0);
  writeText(base_ + "/file", "not a folder");
  for (const std::string& folder : {std::string(), base_ + "/file/vorn"}) {
    EXPECT_EQ(prepareWorkingFolder(root_, false, folder, error), "") << folder;
    EXPECT_NE(error, "") << folder;
    error.clear();
  }
  player_ = root_;
  EXPECT_EQ(prepare(), root_);
  EXPECT_EQ(kindOf(data_ + "/models"), 'd');
}

}  // namespace
}  // namespace vorn
