// Screen text without a device: what the menus, the HUD texts and the race
// messages cost each frame, and the highscore table's operations.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/ghost.h"
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

// One recorded frame of a ghost race: the line opened, appended and closed
// (a crash loses at most that line), in a scratch folder. The file is emptied
// every 1,000 frames so it stays the size of a race.
void BM_RecordGhostFrame(benchmark::State& state) {
  char dir[] = "/tmp/vorn_bench_ghost.XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const float matrix[16] = {-0.055f, 0, 0.058f, 0, -0.05f, 0.04f, -0.048f, 0, -0.029f, -0.069f, -0.028f, 0,
                            2003.845f, 234.877f, 91.283f, 1};
  vorn::VornGhost recorder;
  recorder.open("data/maps/twin_paths.rgb");
  int frames = 0;
  for (auto _ : state) {
    recorder.record(0.16667f, matrix);
    if (++frames % 1000 == 0) recorder.clear();
  }
  std::system((std::string("rm -rf ") + dir).c_str());
}
BENCHMARK(BM_RecordGhostFrame);

// Parsing a whole race's run (900 frames), as a ghost race start does.
void BM_ParseGhostRun(benchmark::State& state) {
  std::string text;
  const float matrix[16] = {-0.055f, 0, 0.058f, 0, -0.05f, 0.04f, -0.048f, 0, -0.029f, -0.069f, -0.028f, 0,
                            2003.845f, 234.877f, 91.283f, 1};
  for (int i = 0; i < 900; ++i) text += vorn::formatRunLine(0.16667f, matrix);
  for (auto _ : state) {
    const auto frames = vorn::parseRun(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    benchmark::DoNotOptimize(frames.data());
  }
}
BENCHMARK(BM_ParseGhostRun);

}  // namespace

BENCHMARK_MAIN();
