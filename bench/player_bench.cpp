// The sliding simulation on the shipped course: one race update at the speed
// cap (the worst frame of 140 terrain probes), one ordinary frame, and a
// whole race of the autopilot from the start to the finish. Then the placed
// objects of a frame at the speed cap, and the bottles' update.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "player/action_object.h"
#include "player/autopilot.h"
#include "player/race.h"
#include "player/rider.h"
#include "world/terrain.h"

namespace {

using namespace vorn;

VornTerrain& course() {
  static VornTerrain* terrain = [] {
    auto* t = new VornTerrain();
    const std::string root = VORN_BENCH_DATA_ROOT;
    if (t->loadHeightMap(root + "/data/maps/twin_paths.rgb") == 0) {
      t->loadMatMap(root + "/data/maps/twin_paths_conv.bmp");
    }
    return t;
  }();
  return *terrain;
}

void placeAtStart(const VornTerrain& t, VornPlayer& p, VornRider& rider) {
  p.setPosition(t.startPosition() + VornVector(5.0f, 0.0f, 0.0f));
  p.speed = 10.0f;
  p.direction = VornVector(-1.0f, 0.0f, 1.0f).normalized();
  rider.reset(p.position());
}

// Race updates from one spot straight down the course at `speed`, `step`
// microseconds apart (`dt` in the rider's units). The player is put back at
// the same spot every time. Returns the terrain probes of the last update,
// or -1 without a course.
int rideFromOneSpot(benchmark::State& state, float speed, int64_t step, float dt) {
  VornTerrain& t = course();
  if (!t.usable()) {
    state.SkipWithError("no generated course");
    return -1;
  }
  VornPlayer p;
  VornRider rider(0, kPlayer1Keys);
  VornRaceHooks hooks;
  uint8_t keys[vorn::kKeyCodeCount] = {};
  const VornVector start(2000.0f, t.getHeight(2000.0f, 400.0f) + 5.0f, 400.0f);
  int64_t now = 0;
  for (auto _ : state) {
    p.setPosition(start);
    p.direction = VornVector(0.0f, 0.0f, 1.0f);
    p.speed = speed;
    now += step;
    rider.race(p, t, hooks, keys, dt, now);
    benchmark::DoNotOptimize(p.position());
  }
  return rider.probes;
}

// A frame of one tenth of a second at speed 70: 140 sub-steps, each with its
// terrain probe.
void BM_RaceUpdateAtSpeedCap(benchmark::State& state) {
  const int probes = rideFromOneSpot(state, VornPlayer::kSpeedCap, 100000, 1.0f);
  if (probes >= 0) state.counters["probes"] = probes;
}
BENCHMARK(BM_RaceUpdateAtSpeedCap);

// An ordinary frame at 60 frames a second and race speed.
void BM_RaceUpdateAt60Fps(benchmark::State& state) { rideFromOneSpot(state, 30.0f, 16667, 0.16667f); }
BENCHMARK(BM_RaceUpdateAt60Fps);

// A whole simulated race: the autopilot from the start to the finish at 60
// frames a second.
void BM_AutopilotRace(benchmark::State& state) {
  VornTerrain& t = course();
  if (!t.usable()) {
    state.SkipWithError("no generated course");
    return;
  }
  const VornAutopilot pilot = centreLineAutopilot(t);
  VornRaceHooks hooks;
  int frames = 0;
  double raceSeconds = 0.0;
  for (auto _ : state) {
    VornPlayer p;
    VornRider rider(0, kPlayer1Keys);
    placeAtStart(t, p, rider);
    uint8_t keys[vorn::kKeyCodeCount] = {};
    int64_t now = 0;
    frames = 0;
    while (!rider.endOfTrack && frames < 60 * 60) {
      now += 16667;
      pilot.drive(p, keys);
      rider.race(p, t, hooks, keys, 0.16667f, now);
      ++frames;
    }
    raceSeconds = static_cast<double>(now) / 1e6;
    benchmark::DoNotOptimize(p.position());
  }
  state.counters["frames"] = frames;
  state.counters["race_s"] = raceSeconds;
}
BENCHMARK(BM_AutopilotRace)->Unit(benchmark::kMillisecond);

// 300 placed objects, every third a tree, in rows 40 apart; the frame's path
// of 70 runs between two rows of trees, 20 from each, so every tree near it
// is swept sample by sample without a hit (the dearest frame there is). The
// scenery gets its visibility only.
void BM_ObjectsAtSpeedCap(benchmark::State& state) {
  VornActionObjectList objects;
  for (int i = 0; i < 300; ++i) {
    auto o = std::make_unique<VornActionObject>(i % 3 == 0 ? 4 : 7);
    o->transform.rotateX(-90.0f);
    o->transform.setPosition(static_cast<float>((i % 20) * 40), 0.0f, static_cast<float>((i / 20) * 40));
    o->buildBox(100.0f, 500.0f);
    objects.push_back(std::move(o));
  }
  const VornVector from(380.0f, 5.0f, 200.0f);
  const VornVector to = from + VornVector(0.0f, 0.0f, VornPlayer::kSpeedCap);
  VornPlayer p;
  int hits = 0;
  for (auto _ : state) {
    p.setPosition(to);
    p.direction = VornVector(0.0f, 0.0f, 1.0f);
    p.speed = VornPlayer::kSpeedCap;
    float awake = 0.0f;
    for (const auto& o : objects) {
      if (o->modelIndex == 4) {
        hits += o->collide(from, p, awake, 0) ? 1 : 0;
      } else {
        o->updateVisibility(p.position(), 0);
      }
    }
    benchmark::DoNotOptimize(awake);
  }
  state.counters["hits"] = hits;
}
BENCHMARK(BM_ObjectsAtSpeedCap);

// The bottles of a race (10) spun and tested against a path of 70 that
// passes them all out of reach.
void BM_BeerUpdate(benchmark::State& state) {
  VornManageActionObject beers;
  std::vector<VornVector> bottles;
  for (int i = 0; i < 10; ++i) bottles.emplace_back(30.0f, -5.0f, static_cast<float>(i * 100));
  beers.add(bottles, 2);
  const VornVector from(0.0f, 5.0f, 400.0f), to(0.0f, 5.0f, 470.0f);
  int taken = 0;
  for (auto _ : state) {
    beers.spinAll();
    taken += beers.update(from, to, 0);
  }
  state.counters["taken"] = taken;
}
BENCHMARK(BM_BeerUpdate);

}  // namespace

BENCHMARK_MAIN();
