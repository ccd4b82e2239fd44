// The game object's state machine and menu screens, driven frame by frame
// with a manual clock in a real (Xvfb) window with the generated data.
#include "app/game.h"

#include <GL/glut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>

#include "app/platform.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

constexpr const char* kScores = "42\nAnn Lee\n37\nbob\n30\ncid\n21\ndan\n12\neve\n3\nsixth\n";

class GameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "app_game_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    initGL(StartOptions{true, false});
    // A data root of its own whose data/ is the generated data (races need
    // the course), so the score.txt and err.txt the game writes stay here.
    char pattern[] = "/tmp/vorn_game_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    ASSERT_EQ(symlink(VORN_TEST_DATA_ROOT "/data", (root_ + "/data").c_str()), 0);
    ASSERT_EQ(chdir(root_.c_str()), 0);
  }
  static void TearDownTestSuite() {
    ASSERT_EQ(chdir("/"), 0);
    std::system(("rm -rf " + root_).c_str());
  }
  void SetUp() override {
    ASSERT_TRUE(test::writeBytes("score.txt", test::Bytes().str(kScores).data));
    game_ = std::make_unique<VornGame>(clock_);
    game = game_.get();
    loadToMenu();
  }
  // Loading takes its 22 steps, one a frame, then the menu shows.
  void loadToMenu() {
    for (int step = 0; step < VornGame::kLoadSteps; ++step) {
      ASSERT_EQ(game_->state, kStateLoading) << step;
      frames(1, 16000);
    }
    frames(1, 16000);
    ASSERT_EQ(game_->state, kStateMenu);
  }
  void frames(int count, int64_t step = 16667) {
    for (int i = 0; i < count; ++i) {
      clock_.advance(step);
      game_->display();
    }
  }
  // Frames until the countdown has shown "GO".
  void runCountdown() {
    for (int i = 0; i < 400 && !game_->players[0]->racing; ++i) frames(1);
    ASSERT_EQ(game_->players[0]->racing, 1);
  }
  // Pressed at pressX (default x) and released over (x, yUp).
  void click(int x, int yUp, int pressX = -1) {
    game_->mouseX = pressX < 0 ? x : pressX;
    game_->mouseY = 600 - yUp;
    game_->mouseButton(0, 0);
    game_->mouseX = x;
    game_->mouseButton(0, 1);
  }
  void press(std::initializer_list<int> codes) { for (int code : codes) game_->keyDown(code); }
  void type(const char* text) { for (; *text; ++text) keyboardCallback(static_cast<unsigned char>(*text), 0, 0); }
  const VornTextEntry* entry(const std::string& text) const {
    for (const VornTextEntry& e : game_->font->entries())
      if (e.text == text) return &e;
    return nullptr;
  }

  static std::string root_;
  VornManualClock clock_{1000000000};
  std::unique_ptr<VornGame> game_;
};

std::string GameTest::root_;

TEST_F(GameTest, ADrawnMenuItemGrowsUnderThePointerAndActsOnTheReleaseOverIt) {
  const struct { const char* text; int state; bool ghost; } items[] = {
      {"Single Game", kStateRace, false}, {"Ghost Game", kStateRace, true},
      {"Split Game", kStateSplitRace, false}, {"Highscores", kStateHighscores, false}};
  for (const auto& item : items) {
    SCOPED_TRACE(item.text);
    game_->setState(kStateMenu);
    game_->mouseX = game_->mouseY = 5;
    frames(1);
    const VornTextEntry* e = entry(item.text);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->size, 50);
    // The pointer on the middle of the drawn text.
    game_->mouseX = e->x + e->length() * e->size * 4 / 10;
    game_->mouseY = 600 - (e->y + e->size / 2);
    frames(1);
    EXPECT_EQ(entry(item.text)->size, 60);
    EXPECT_FLOAT_EQ(entry(item.text)->color.r, 0.7f);
    game_->mouseButton(2, 1);  // the right button
    game_->mouseButton(0, 0);
    EXPECT_EQ(game_->state, kStateMenu);
    const int64_t t = clock_.nowMicroseconds();
    game_->mouseButton(0, 1);
    EXPECT_EQ(game_->state, item.state);
    EXPECT_EQ(item.state == kStateRace && game_->ghostGame, item.ghost);
    if (item.state == kStateHighscores) continue;
    EXPECT_EQ(game_->deadline, t + 1000000) << "the countdown starts with the click";
  }
}

TEST_F(GameTest, NameEntryShowsTheTypedNameAndSaveStoresItInTheTable) {
  game_->lastScore = 33;
  game_->setState(kStateNameEntry);
  // Shift (freeglut reports it as a special key) adds nothing to the name.
  specialCallback(0x70, 0, 0);
  type("Z");
  specialUpCallback(0x70, 0, 0);
  type("oe Xx\b\bQ");
  EXPECT_EQ(game_->playerName, "Zoe Q");
  frames(1);
  for (const char* text : {"Congratulations ", "33s left", "3. Place", "Name:Zoe Q", "Save"})
    EXPECT_NE(entry(text), nullptr) << text;
  click(100, 60);
  EXPECT_EQ(game_->state, kStateHighscores);
  EXPECT_EQ(test::readText("score.txt"), "42\nAnn Lee\n37\nbob\n33\nZoe Q\n30\ncid\n21\ndan\n");
  EXPECT_EQ(game_->playerName, "Zoe Q") << "kept for the next race";
  frames(1);
  EXPECT_NE(entry("3    33s Zoe Q"), nullptr);
}

TEST_F(GameTest, ASplitRaceStartsSideBySideAndHornsSoundOnceARaceAfterItsCountdown) {
  click(400, 525);
  press({key::kHorn1, key::kHorn2});  // Delete waits for the split countdown even here
  EXPECT_EQ(std::make_pair(hornActive[0], hornActive[1]), std::make_pair(true, false));
  hornActive[0] = false;
  press({key::kHorn1});  // "y" works every time in a single race
  EXPECT_TRUE(hornActive[0]);
  // The blast pending from the single race (never sounded there) must not go
  // off in the next split race, where player 1 still has its one horn; a
  // second split race gives both players their horn again.
  for (int race = 1; race <= 2; ++race) {
    game_->setState(kStateMenu);
    click(400, 325, 10);  // a press outside and the release over "Split Game" start it too
    ASSERT_EQ(game_->state, kStateSplitRace);
    EXPECT_FLOAT_EQ(game_->splitCountdown, 30.0f);
    EXPECT_EQ(game_->deadline2, game_->deadline);
    // Both players start 15 to either side of the start.
    EXPECT_FLOAT_EQ(game_->players[0]->position().x, game_->world->startPosition().x + 15.0f);
    EXPECT_FLOAT_EQ(game_->players[1]->position().x, game_->world->startPosition().x - 15.0f);
    EXPECT_FALSE(hornActive[0]);
    press({key::kHorn1, key::kHorn2});
    EXPECT_FALSE(hornActive[0] || hornActive[1]) << "during the countdown";
    game_->splitCountdown = -0.1f;
    press({key::kHorn1, key::kHorn2});
    EXPECT_TRUE(hornActive[0] && hornActive[1]);
    hornActive[0] = hornActive[1] = false;
    press({key::kHorn1, key::kHorn2});
    EXPECT_FALSE(hornActive[0] || hornActive[1]) << "one horn a race";
  }
}

TEST_F(GameTest, ASingleRacePausesRestartsOnNAndEndsWhenTheClockRunsOutOrAtTheFinish) {
  click(400, 525);
  const VornVector start = game_->world->startPosition();
  EXPECT_FLOAT_EQ(game_->players[0]->position().x, start.x + 5.0f);
  runCountdown();
  frames(60);
  EXPECT_GT(game_->players[0]->position().z, start.z + 20.0f) << "sliding down the course";
  EXPECT_LT(game_->cameras[0]->eyePosition().z, game_->players[0]->position().z) << "the camera behind";

  game_->keyDown('n');
  EXPECT_EQ(game_->players[0]->position().z, start.z);
  EXPECT_EQ(game_->lastFrameTime, clock_.nowMicroseconds()) << "no long first frame after a restart";

  // P stops the race where it stands: the clock, the player and the messages
  // wait, "Paused" shows and the music plays on more quietly; after P again
  // the first step is measured from the resume.
  frames(20);
  const VornVector before = game_->players[0]->position();
  const int64_t left = game_->deadline - game_->lastFrameTime;
  const float music = game_->sound.music.getGain();
  game_->keyDown('p');
  game_->keyUp('p');
  frames(100, 100000);  // ten seconds
  EXPECT_TRUE(game_->paused());
  EXPECT_NE(entry("Paused"), nullptr);
  EXPECT_FLOAT_EQ(game_->sound.music.getGain(), music * VornGame::kPausedMusicFactor);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(game_->players[0]->position()[i], before[i]) << i;
  EXPECT_EQ(game_->players[0]->racing, 1);
  game_->keyDown('p');
  frames(1);
  EXPECT_FALSE(game_->paused());
  EXPECT_FLOAT_EQ(game_->sound.music.getGain(), music);
  EXPECT_EQ(game_->deadline - game_->lastFrameTime, left - 16667) << "the clock lost the pause";
  EXPECT_LT(game_->players[0]->position().distanceSquared(before), 25.0f) << "a long step after the pause";

  // The brake keeps the player on the course until the clock runs out. The
  // frames are short enough for the brake to bite (it holds back only while
  // the speed exceeds twice the step), so the course is not finished.
  game_->keyDown('s');
  for (int i = 0; i < 80 && game_->players[0]->racing; ++i) frames(1, 250000);
  EXPECT_EQ(game_->raceStage, 1);
  EXPECT_EQ(game_->state, kStateRace);
  game_->keyUp('s');
  game_->keyDown(' ');
  frames(1);
  ASSERT_EQ(game_->state, kStateMenu);

  click(400, 525);
  runCountdown();
  // Player 1 just before the finish line, heading down the track.
  VornPlayer& p = *game_->players[0];
  const VornTerrain& terrain = game_->world->terrain();
  const float z = static_cast<float>(terrain.height() - 2) * terrain.scale().z - 30.0f, x = 38.0f * terrain.scale().x;
  p.setPosition(VornVector(x, terrain.getHeight(x, z) + 5.0f, z));
  p.direction = VornVector(0.0f, 0.0f, 1.0f);
  p.speed = 30.0f;
  for (int i = 0; i < 30 && game_->raceStage != 2; ++i) frames(1);
  ASSERT_EQ(game_->raceStage, 2);
  EXPECT_EQ(game_->state, kStateRace);  // the finishing frame is still shown
  frames(1);
  EXPECT_TRUE(game_->state == kStateNameEntry || game_->state == kStateHighscores) << game_->state;
  EXPECT_GE(game_->lastScore, 13);
}

}  // namespace
}  // namespace vorn
