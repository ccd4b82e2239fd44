// Screen text without a device: what the menus, the HUD texts and the race
// messages cost each frame, and the highscore table's operations.
#include <benchmark/benchmark.h>

#include <string>

#include "app/highscore.h"
#include "app/hud_state.h"
#include "app/race_message.h"
#include "app/text_queue.h"

namespace {

constexpr vorn::VornRgb kBlue{0.0f, 0.0f, 1.0f};
constexpr vorn::VornRgb kLight{0.7f, 0.7f, 1.0f};

// One main-menu frame: the queue cleared and five buttons formatted and tested.
void BM_MenuFrame(benchmark::State& state) {
  vorn::VornTextQueue queue;
  int mouseY = 0;
  for (auto _ : state) {
    queue.begin();
    mouseY = (mouseY + 7) % 600;
    queue.button(300, mouseY, 200, 500, 50, 60, kBlue, kLight, "Single Game");
    queue.button(300, mouseY, 200, 400, 50, 60, kBlue, kLight, "Ghost Game");
    queue.button(300, mouseY, 200, 300, 50, 60, kBlue, kLight, "Split Game");
    queue.button(300, mouseY, 200, 200, 50, 60, kBlue, kLight, "Highscores");
    queue.button(300, mouseY, 320, 100, 50, 60, kBlue, kLight, "Quit\n");
    benchmark::DoNotOptimize(queue.entries().data());
  }
}
BENCHMARK(BM_MenuFrame);

// One race frame's text: both HUDs of a split race and `range(0)` live messages.
void BM_RaceFrameTexts(benchmark::State& state) {
  vorn::VornTextQueue queue;
  vorn::VornMessageList messages;
  vorn::VornHudState huds[2];
  const int live = static_cast<int>(state.range(0));
  for (int i = 0; i < live; ++i) vorn::addJumpMessage(messages, 0, "MONSTERJUMP");
  int64_t now = 0;
  for (auto _ : state) {
    queue.begin();
    now = (now + 1000) % 700000;  // the messages stay alive
    huds[0].update(12, -0.01f, 87.0f);
    huds[1].update(12, -0.01f, 64.0f);
    huds[0].queueTexts(vorn::HudView::kSplitBottom, queue);
    huds[1].queueTexts(vorn::HudView::kSplitTop, queue);
    messages.update(now, queue);
    benchmark::DoNotOptimize(queue.entries().data());
  }
}
BENCHMARK(BM_RaceFrameTexts)->Arg(0)->Arg(4)->Arg(16);

// Rank, insert and the text a save writes, on a table of five.
void BM_HighscoreRankInsertSerialize(benchmark::State& state) {
  vorn::VornHighscore table("/nonexistent/score.txt", false, 5);
  for (int s : {50, 40, 30, 20, 10}) table.insert(s, "player");
  int score = 0;
  for (auto _ : state) {
    score = (score + 13) % 60;
    vorn::VornHighscore copy = table;
    benchmark::DoNotOptimize(copy.rank(score));
    copy.insert(score, "new one");
    benchmark::DoNotOptimize(copy.serialize());
  }
}
BENCHMARK(BM_HighscoreRankInsertSerialize);

}  // namespace

BENCHMARK_MAIN();
