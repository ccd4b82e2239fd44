// The game's menu screens with the real font, driven frame by frame: the
// items are font buttons at their places, the one under the pointer grows,
// the highscore screen lists the best five of the score file, and name entry
// shows the typed name and saves it into the table.
#include <GL/glew.h>
#include <GL/glut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/platform.h"

namespace vorn {
namespace {

class GameMenusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "app_game_menus_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    StartOptions options;
    options.windowed = true;
    initGL(options);
    // A folder of its own whose data/ is the generated data, so the score
    // file written here touches nothing else.
    char pattern[] = "/tmp/vorn_menus.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_EQ(symlink(VORN_TEST_DATA_ROOT "/data", (folder_ + "/data").c_str()), 0);
    ASSERT_EQ(chdir(folder_.c_str()), 0);
  }
  static void TearDownTestSuite() {
    ASSERT_EQ(chdir("/"), 0);
    std::system(("rm -rf " + folder_).c_str());
  }

  void SetUp() override {
    std::ofstream("score.txt") << "42\nAnn Lee\n37\nbob\n30\ncid\n21\ndan\n12\neve\n3\nsixth\n";
    game_ = std::make_unique<VornGame>(clock_);
    game = game_.get();
    for (int i = 0; i < 40 && game_->state == kStateLoading; ++i) {
      clock_.advance(16000);
      game_->display();
    }
    ASSERT_EQ(game_->state, kStateMenu);
    ASSERT_NE(game_->font, nullptr);
  }

  const VornTextEntry* entry(const std::string& text) const {
    for (const VornTextEntry& e : game_->font->entries())
      if (e.text == text) return &e;
    return nullptr;
  }

  void frame() {
    clock_.advance(16000);
    game_->display();
  }

  // With VORN_SHOT_DIR set, draws the name-entry screen once more without
  // presenting it and keeps it as <dir>/<name>.ppm to look at.
  void saveNameEntryShot(const std::string& name) {
    const char* dir = std::getenv("VORN_SHOT_DIR");
    if (dir == nullptr) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game_->font->begin();
    game_->drawNameEntry();
    game_->font->end();
    std::vector<unsigned char> rgb(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::FILE* out = std::fopen((std::string(dir) + "/" + name + ".ppm").c_str(), "wb");
    if (out == nullptr) return;
    std::fprintf(out, "P6 800 600 255\n");
    for (int y = 599; y >= 0; --y) std::fwrite(&rgb[static_cast<size_t>(y) * 800 * 3], 1, 800 * 3, out);
    std::fclose(out);
  }

  void click(int x, int y) {
    game_->mouseX = x;
    game_->mouseY = y;
    game_->mouseButton(0, 0);
    game_->mouseButton(0, 1);
  }

  static std::string readScores() {
    std::ifstream in("score.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static std::string folder_;
  VornManualClock clock_{1000000000};
  std::unique_ptr<VornGame> game_;
};

std::string GameMenusTest::folder_;

TEST_F(GameMenusTest, MainMenuItemsAndTheHoveredOne) {
  game_->mouseX = 5;
  game_->mouseY = 5;
  frame();
  ASSERT_EQ(game_->font->entries().size(), 5u);
  const char* items[] = {"Single Game", "Ghost Game", "Split Game", "Highscores", "Quit\n"};
  const int ys[] = {500, 400, 300, 200, 100};
  for (int i = 0; i < 5; ++i) {
    const VornTextEntry* e = entry(items[i]);
    ASSERT_NE(e, nullptr) << items[i];
    EXPECT_EQ(e->y, ys[i]);
    EXPECT_EQ(e->size, 50);
    EXPECT_EQ(e->color.b, 1.0f);
    EXPECT_EQ(e->color.r, 0.0f);
  }
  EXPECT_EQ(entry("Quit\n")->x, 320);

  // Over "Split Game": larger, lighter, shifted 2 units left per character.
  game_->mouseX = 300;
  game_->mouseY = 600 - 325;
  frame();
  const VornTextEntry* split = entry("Split Game");
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(split->size, 60);
  EXPECT_EQ(split->x, 180);
  EXPECT_EQ(split->y, 295);
  EXPECT_FLOAT_EQ(split->color.r, 0.7f);
  EXPECT_EQ(entry("Single Game")->size, 50);
}

TEST_F(GameMenusTest, HighscoreScreenListsTheBestFive) {
  click(400, 600 - 225);
  ASSERT_EQ(game_->state, kStateHighscores);
  game_->mouseX = 790;
  game_->mouseY = 5;
  frame();
  ASSERT_NE(entry(" No.  Time  Name "), nullptr);
  const VornTextEntry* first = entry("1    42s Ann Lee");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->x, 90);
  EXPECT_EQ(first->y, 410);
  const VornTextEntry* fifth = entry("5    12s eve");
  ASSERT_NE(fifth, nullptr);
  EXPECT_EQ(fifth->y, 170);
  EXPECT_EQ(entry("6     3s sixth"), nullptr);
  ASSERT_NE(entry("Back to Main "), nullptr);
  EXPECT_EQ(game_->font->entries().size(), 7u);
  click(300, 600 - 85);
  EXPECT_EQ(game_->state, kStateMenu);
}

TEST_F(GameMenusTest, NameEntryShowsTheTypedNameAndSaveStoresIt) {
  game_->lastScore = 33;
  game_->setState(kStateNameEntry);
  for (const char c : std::string("Zoe Q")) game_->keyDown(static_cast<unsigned char>(c));
  frame();
  ASSERT_NE(entry("Congratulations "), nullptr);
  ASSERT_NE(entry("33s left"), nullptr);
  EXPECT_EQ(entry("33s left")->y, 400);
  ASSERT_NE(entry("3. Place"), nullptr);
  const VornTextEntry* name = entry("Name:Zoe Q");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->x, 120);
  EXPECT_EQ(name->y, 200);
  ASSERT_NE(entry("Save"), nullptr);
  saveNameEntryShot("name_entry");

  click(100, 600 - 60);
  EXPECT_EQ(game_->state, kStateHighscores);
  EXPECT_EQ(readScores(), "42\nAnn Lee\n37\nbob\n33\nZoe Q\n30\ncid\n21\ndan\n");
  frame();
  EXPECT_NE(entry("3    33s Zoe Q"), nullptr);
  EXPECT_EQ(entry("5    12s eve"), nullptr);
}

TEST_F(GameMenusTest, AFirstScoreEntersAnEmptyTable) {
  std::remove("score.txt");
  game_ = std::make_unique<VornGame>(clock_);
  game = game_.get();
  while (game_->state == kStateLoading) frame();
  game_->lastScore = 4;
  EXPECT_EQ(game_->highscores.rank(4), 1);
  game_->setState(kStateNameEntry);
  game_->keyDown('A');
  frame();
  EXPECT_NE(entry("1. Place"), nullptr);
  click(100, 600 - 60);
  EXPECT_EQ(readScores(), "4\nA\n");
}

}  // namespace
}  // namespace vorn
