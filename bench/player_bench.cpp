// The sliding simulation on the shipped course: one race update at the speed
// cap (the worst frame of 140 terrain probes), one ordinary frame, and a
// whole race of the autopilot from the start to the finish.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

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

VornAutopilot makePilot(const VornTerrain& t) {
  VornAutopilot::Course c;
  c.columns = t.width();
  c.rows = t.height();
  c.spacingX = t.scale().x;
  c.spacingZ = t.scale().z;
  c.startX = t.startPosition().x;
  return VornAutopilot(VornAutopilot::findCentreLine([&t](float x, float z) { return t.getHeight(x, z); }, c),
                       c.spacingZ);
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
  uint8_t keys[256] = {};
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
  const VornAutopilot pilot = makePilot(t);
  VornRaceHooks hooks;
  int frames = 0;
  double raceSeconds = 0.0;
  for (auto _ : state) {
    VornPlayer p;
    VornRider rider(0, kPlayer1Keys);
    placeAtStart(t, p, rider);
    uint8_t keys[256] = {};
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

}  // namespace

BENCHMARK_MAIN();
