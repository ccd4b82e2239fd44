// The game object's state machine, driven frame by frame with a manual clock
// in a real (Xvfb) window.
#include "app/game.h"

#include <GL/glew.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/platform.h"

namespace vorn {
namespace {

class GameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "app_game_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    StartOptions options;
    options.windowed = true;
    initGL(options);
    // The game runs in a data root of its own whose data/ is the generated
    // data (races need the course), so the score.txt and err.txt it writes
    // stay out of the build folder.
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
  static std::string root_;

  void SetUp() override {
    hornReady[0] = hornReady[1] = true;
    hornActive[0] = hornActive[1] = false;
    game_ = std::make_unique<VornGame>(clock_);
    game = game_.get();
  }

  void loadToMenu() {
    for (int i = 0; i < 40 && game_->state == kStateLoading; ++i) {
      clock_.advance(16000);
      game_->display();
    }
  }

  void click(int x, int y) {
    game_->mouseX = x;
    game_->mouseY = y;
    game_->mouseButton(0, 0);
    game_->mouseButton(0, 1);
  }

  VornManualClock clock_{1000000000};
  std::unique_ptr<VornGame> game_;
};

std::string GameTest::root_;

TEST_F(GameTest, StartsLoadingAndReachesTheMenuAfterTwentyTwoSteps) {
  EXPECT_EQ(game_->state, kStateLoading);
  EXPECT_EQ(game_->loadStep, 0);
  for (int i = 0; i < VornGame::kLoadSteps; ++i) {
    game_->display();
    EXPECT_EQ(game_->state, kStateLoading);
  }
  EXPECT_EQ(game_->loadStep, 22);
  game_->display();
  EXPECT_EQ(game_->state, kStateMenu);
  EXPECT_EQ(game_->loadStep, 22);
  // The light direction is (0, 1, -1) normalised.
  EXPECT_NEAR(game_->lightPos[1], 0.7071f, 1e-3f);
  EXPECT_NEAR(game_->lightPos[2], -0.7071f, 1e-3f);
  EXPECT_EQ(game_->lightPos[3], 0.0f);
  EXPECT_NE(game_->lightList, 0u);
}

TEST_F(GameTest, MenuActsOnReleaseNotOnPress) {
  loadToMenu();
  game_->mouseX = 400;
  game_->mouseY = 600 - 525;
  game_->mouseButton(0, 0);
  EXPECT_EQ(game_->state, kStateMenu);
  game_->mouseButton(0, 1);
  EXPECT_EQ(game_->state, kStateRace);
  EXPECT_FALSE(game_->ghostGame);
}

TEST_F(GameTest, PressOutsideReleaseInsideStartsTheItem) {
  loadToMenu();
  game_->mouseX = 10;
  game_->mouseY = 10;
  game_->mouseButton(0, 0);
  game_->mouseX = 400;
  game_->mouseY = 600 - 325;
  game_->mouseButton(0, 1);
  EXPECT_EQ(game_->state, kStateSplitRace);
  EXPECT_FLOAT_EQ(game_->splitCountdown, 30.0f);
}

TEST_F(GameTest, BoxEdgesAndOtherButtonsDoNothing) {
  loadToMenu();
  click(400, 600 - 500);
  click(400, 600 - 550);
  EXPECT_EQ(game_->state, kStateMenu);
  game_->mouseX = 400;
  game_->mouseY = 600 - 525;
  game_->mouseButton(2, 1);  // right button release
  EXPECT_EQ(game_->state, kStateMenu);
  EXPECT_EQ(game_->mouseButtons[2], 1);
  EXPECT_EQ(game_->clickX, 400);
}

TEST_F(GameTest, RaceStartSetsTheClocks) {
  loadToMenu();
  const int64_t t = clock_.nowMicroseconds();
  click(400, 600 - 425);
  EXPECT_EQ(game_->state, kStateRace);
  EXPECT_TRUE(game_->ghostGame);
  EXPECT_EQ(game_->raceStage, 0);
  EXPECT_EQ(game_->lastFrameTime, t);
  EXPECT_EQ(game_->deadline, t + 1000000);
}

TEST_F(GameTest, HighscoresAndBack) {
  loadToMenu();
  click(400, 600 - 225);
  EXPECT_EQ(game_->state, kStateHighscores);
  game_->display();
  click(100, 600 - 125);  // just above the back box
  EXPECT_EQ(game_->state, kStateHighscores);
  click(100, 600 - 60);
  EXPECT_EQ(game_->state, kStateMenu);
}

TEST_F(GameTest, NameEntryTypingAndSave) {
  loadToMenu();
  game_->setState(kStateNameEntry);
  for (int c : {int('M'), int('o'), int('o'), 8, int('h')}) {
    game_->keyDown(c);
    game_->keyUp(c);
  }
  EXPECT_EQ(game_->playerName, "Moh");
  game_->display();
  click(100, 600 - 60);
  EXPECT_EQ(game_->state, kStateHighscores);
  EXPECT_EQ(game_->playerName, "Moh");  // kept for the next race
}

TEST_F(GameTest, HeldKeysTable) {
  loadToMenu();
  game_->keyDown('w');
  game_->keyDown(100);  // Left arrow and "d" share the code
  EXPECT_EQ(game_->keys['w'], 1);
  EXPECT_EQ(game_->keys['d'], 1);
  game_->keyUp('w');
  EXPECT_EQ(game_->keys['w'], 0);
  EXPECT_EQ(game_->keys['d'], 1);
}

TEST_F(GameTest, ToggleKeysWorkInEveryState) {
  loadToMenu();
  const bool debug = showDebugInfo;
  const bool wire = wireframeMode;
  const bool volumes = showShadowVolumes;
  game_->keyDown(key::kF2);
  game_->keyDown(key::kF3);
  game_->keyDown(key::kShadowVolumes);
  EXPECT_NE(showDebugInfo, debug);
  EXPECT_NE(wireframeMode, wire);
  EXPECT_NE(showShadowVolumes, volumes);
  game_->keyDown(key::kF2);
  game_->keyDown(key::kF3);
  game_->keyDown(key::kShadowVolumes);
  EXPECT_EQ(showDebugInfo, debug);
  EXPECT_EQ(wireframeMode, wire);
}

TEST_F(GameTest, HornsInTheSingleRace) {
  loadToMenu();
  click(400, 600 - 525);
  ASSERT_EQ(game_->state, kStateRace);
  game_->keyDown(key::kHorn1);
  EXPECT_TRUE(hornActive[0]);
  EXPECT_FLOAT_EQ(hornTimer[0], 8.0f);
  hornActive[0] = false;
  game_->keyUp(key::kHorn1);
  game_->keyDown(key::kHorn1);  // "y" works every time in a single race
  EXPECT_TRUE(hornActive[0]);
  // Delete needs the split countdown below zero even here.
  game_->keyDown(key::kHorn2);
  EXPECT_FALSE(hornActive[1]);
}

TEST_F(GameTest, HornsInTheSplitRaceWaitForTheCountdownAndWorkOnce) {
  loadToMenu();
  click(400, 600 - 325);
  ASSERT_EQ(game_->state, kStateSplitRace);
  game_->keyDown(key::kHorn1);
  game_->keyDown(key::kHorn2);
  EXPECT_FALSE(hornActive[0]);
  EXPECT_FALSE(hornActive[1]);
  game_->splitCountdown = -0.1f;
  game_->keyDown(key::kHorn1);
  game_->keyDown(key::kHorn2);
  EXPECT_TRUE(hornActive[0]);
  EXPECT_TRUE(hornActive[1]);
  EXPECT_FALSE(hornReady[0]);
  hornActive[0] = hornActive[1] = false;
  game_->keyDown(key::kHorn1);
  game_->keyDown(key::kHorn2);
  EXPECT_FALSE(hornActive[0]);
  EXPECT_FALSE(hornActive[1]);
}

TEST_F(GameTest, EveryRaceStartsWithBothHornsReadyAndNoBlastPending) {
  loadToMenu();
  // A horn blown in a single race is never sounded there...
  click(400, 600 - 525);
  ASSERT_EQ(game_->state, kStateRace);
  game_->keyDown(key::kHorn1);
  ASSERT_TRUE(hornActive[0]);
  game_->setState(kStateMenu);
  // ...and must not go off in the next split race, where player 1 still has
  // its one horn.
  click(400, 600 - 325);
  ASSERT_EQ(game_->state, kStateSplitRace);
  EXPECT_FALSE(hornActive[0]);
  EXPECT_TRUE(hornReady[0]);
  game_->splitCountdown = -0.1f;
  game_->keyDown(key::kHorn1);
  game_->keyDown(key::kHorn2);
  EXPECT_FALSE(hornReady[1]);
  // A second split race gives both players their horn again.
  game_->setState(kStateMenu);
  click(400, 600 - 325);
  ASSERT_EQ(game_->state, kStateSplitRace);
  EXPECT_TRUE(hornReady[0]);
  EXPECT_TRUE(hornReady[1]);
  game_->splitCountdown = -0.1f;
  hornActive[0] = hornActive[1] = false;
  game_->keyDown(key::kHorn1);
  game_->keyDown(key::kHorn2);
  EXPECT_TRUE(hornActive[0]);
  EXPECT_TRUE(hornActive[1]);
}

TEST_F(GameTest, ResizedWindowKeepsViewportAndPointerScaling) {
  reshapeCallback(1024, 768);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1024);
  EXPECT_EQ(viewport[3], 768);
  motionCallback(512, 384);
  EXPECT_EQ(game_->mouseX, 400);
  EXPECT_EQ(game_->mouseY, 300);
  reshapeCallback(800, 600);
}

TEST_F(GameTest, SpecialKeysAboveTheCodeRangeAreIgnored) {
  loadToMenu();
  specialCallback(300, 0, 0);
  specialUpCallback(300, 0, 0);
  specialCallback(100, 0, 0);  // Left arrow
  EXPECT_EQ(game_->keys[100], 1);
  specialUpCallback(100, 0, 0);
  EXPECT_EQ(game_->keys[100], 0);
}

TEST_F(GameTest, ShiftWhileTypingANameAddsNothing) {
  loadToMenu();
  game_->setState(kStateNameEntry);
  game_->playerName.clear();
  specialCallback(0x70, 0, 0);  // freeglut's left Shift
  keyboardCallback('B', 0, 0);
  keyboardUpCallback('B', 0, 0);
  specialUpCallback(0x70, 0, 0);
  keyboardCallback('o', 0, 0);
  EXPECT_EQ(game_->playerName, "Bo");
}

// Frames of `stepMicros` until the countdown has shown "GO".
void runCountdown(VornGame& game, VornManualClock& clock) {
  for (int i = 0; i < 400 && !game.players[0]->racing; ++i) {
    clock.advance(16667);
    game.display();
  }
}

TEST_F(GameTest, SingleRaceCountsDownAndTheHeldKeyMovesThePlayer) {
  loadToMenu();
  click(400, 600 - 525);
  ASSERT_EQ(game_->state, kStateRace);
  const VornVector start = game_->world->startPosition();
  EXPECT_FLOAT_EQ(game_->players[0]->position().x, start.x + 5.0f);
  EXPECT_FLOAT_EQ(game_->players[0]->speed, 10.0f);
  runCountdown(*game_, clock_);
  ASSERT_EQ(game_->players[0]->racing, 1);
  EXPECT_EQ(game_->raceStage, 0);
  EXPECT_EQ(game_->deadline, clock_.nowMicroseconds() + 15000000);
  game_->keyDown('w');
  for (int i = 0; i < 120; ++i) {
    clock_.advance(16667);
    game_->display();
  }
  game_->keyUp('w');
  EXPECT_GT(game_->players[0]->position().z, start.z + 200.0f);
  EXPECT_GT(game_->players[0]->speed, 10.0f);
  // The camera follows from behind and above.
  EXPECT_LT(game_->cameras[0]->eyePosition().z, game_->players[0]->position().z);
}

TEST_F(GameTest, RestartKeyPutsPlayerOneBackAtTheStart) {
  loadToMenu();
  click(400, 600 - 525);
  runCountdown(*game_, clock_);
  for (int i = 0; i < 60; ++i) {
    clock_.advance(16667);
    game_->display();
  }
  game_->keyDown('n');
  game_->keyUp('n');
  EXPECT_EQ(game_->players[0]->position().z, game_->world->startPosition().z);
  EXPECT_EQ(game_->players[0]->speed, 10.0f);
  EXPECT_EQ(game_->lastFrameTime, clock_.nowMicroseconds());
}

TEST_F(GameTest, TimeOutThenSpaceReturnsToTheMenu) {
  loadToMenu();
  click(400, 600 - 525);
  runCountdown(*game_, clock_);
  // The brake keeps the player on the course until the clock runs out. The
  // frames are short enough for the brake to bite (it holds back only while
  // the speed exceeds twice the step), so the course is not finished.
  game_->keyDown('s');
  for (int i = 0; i < 80 && game_->players[0]->racing; ++i) {
    clock_.advance(250000);
    game_->display();
  }
  EXPECT_EQ(game_->players[0]->racing, 0);
  EXPECT_EQ(game_->raceStage, 1);
  EXPECT_EQ(game_->state, kStateRace);
  game_->keyDown(' ');
  clock_.advance(16667);
  game_->display();
  EXPECT_EQ(game_->state, kStateMenu);
}

TEST_F(GameTest, CrossingTheFinishLeadsToTheHighscoresOrTheNameEntry) {
  loadToMenu();
  click(400, 600 - 525);
  runCountdown(*game_, clock_);
  // Put player 1 just before the finish line, heading down the track.
  VornPlayer& p = *game_->players[0];
  const VornTerrain& terrain = game_->world->terrain();
  const float z = static_cast<float>(terrain.height() - 2) * terrain.scale().z - 30.0f;
  const float x = 38.0f * terrain.scale().x;
  p.setPosition(VornVector(x, terrain.getHeight(x, z) + 5.0f, z));
  p.direction = VornVector(0.0f, 0.0f, 1.0f);
  p.speed = 30.0f;
  for (int i = 0; i < 30 && game_->raceStage != 2; ++i) {
    clock_.advance(16667);
    game_->display();
  }
  ASSERT_EQ(game_->raceStage, 2);
  EXPECT_EQ(game_->state, kStateRace);  // the finishing frame is still shown
  clock_.advance(16667);
  game_->display();
  EXPECT_TRUE(game_->state == kStateNameEntry || game_->state == kStateHighscores) << game_->state;
  EXPECT_GE(game_->lastScore, 13);
}

TEST_F(GameTest, SplitRacePlacesBothPlayersApart) {
  loadToMenu();
  click(400, 600 - 325);
  ASSERT_EQ(game_->state, kStateSplitRace);
  const VornVector start = game_->world->startPosition();
  EXPECT_FLOAT_EQ(game_->players[0]->position().x, start.x + 15.0f);
  EXPECT_FLOAT_EQ(game_->players[1]->position().x, start.x - 15.0f);
  runCountdown(*game_, clock_);
  EXPECT_EQ(game_->players[1]->racing, 1);
  EXPECT_EQ(game_->deadline2, game_->deadline);
  game_->keyDown('8');  // player 2 accelerates
  for (int i = 0; i < 60; ++i) {
    clock_.advance(16667);
    game_->display();
  }
  EXPECT_GT(game_->players[1]->position().z, start.z + 50.0f);
  EXPECT_GT(game_->players[0]->position().z, start.z + 50.0f);
}

TEST_F(GameTest, WithoutACourseTheMenuStays) {
  char folder[] = "/tmp/vorn_nocourse.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  ASSERT_EQ(chdir(folder), 0);
  loadToMenu();
  click(400, 600 - 525);
  EXPECT_EQ(game_->state, kStateMenu);
  click(400, 600 - 325);
  EXPECT_EQ(game_->state, kStateMenu);
  ASSERT_EQ(chdir(GameTest::root_.c_str()), 0);
  std::system((std::string("rm -rf ") + folder).c_str());
}

}  // namespace
}  // namespace vorn
