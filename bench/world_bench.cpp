// The terrain on the shipped course: light-map creation (the fast blur on
// two threads and on one, and the plain reference loop it must match), the
// height query and the player's collision probe.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/error_log.h"
#include "world/light_map_reference.h"
#include "world/object_map.h"
#include "world/particles.h"
#include "world/terrain.h"

namespace {

const std::string kDataRoot = VORN_BENCH_DATA_ROOT;

vorn::VornTerrain& course() {
  static vorn::VornTerrain terrain;
  static const bool loaded = [] {
    vorn::setErrorLogPath("/dev/null");
    return terrain.loadRGB(kDataRoot + "/data/maps/twin_paths.rgb") == 0 &&
           terrain.loadMatMap(kDataRoot + "/data/maps/twin_paths_conv.bmp") == 0;
  }();
  (void)loaded;  // usable() tells the benchmarks
  return terrain;
}

bool ready(benchmark::State& state) {
  if (course().usable()) return true;
  state.SkipWithError("no generated course: build the vorn_assets target first");
  return false;
}

void BM_LightMapFast(benchmark::State& state) {
  if (!ready(state)) return;
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(course().computeLightMap(threads).pixels.data());
}
BENCHMARK(BM_LightMapFast)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LightMapReference(benchmark::State& state) {
  if (!ready(state)) return;
  vorn::VornTerrain& t = course();
  const vorn::LightMapLayout layout = t.lightMapLayout();
  for (auto _ : state) {
    vorn::VornImage image = vorn::lightMapUnblurred(t.grid(), t.scale().x, t.scale().z, layout, t.lightDirection());
    vorn::test::referenceBlurLightMap(image, t.width(), t.height(), layout.texelsPerCell, vorn::kLightMapBlurPasses,
                                      vorn::kLightMapBlurRadius);
    benchmark::DoNotOptimize(image.pixels.data());
  }
}
BENCHMARK(BM_LightMapReference)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

std::vector<vorn::VornVector> trackPoints(int count) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> x(1200.0f, 2600.0f), z(100.0f, 5400.0f);
  std::vector<vorn::VornVector> points;
  for (int i = 0; i < count; ++i) {
    const float px = x(rng), pz = z(rng);
    points.emplace_back(px, course().getHeight(px, pz) + 4.0f, pz);
  }
  return points;
}

void BM_GetHeight(benchmark::State& state) {
  if (!ready(state)) return;
  const std::vector<vorn::VornVector> points = trackPoints(1024);
  size_t i = 0;
  for (auto _ : state) {
    const vorn::VornVector& p = points[i++ & 1023];
    benchmark::DoNotOptimize(course().getHeight(p.x, p.z));
  }
}
BENCHMARK(BM_GetHeight);

void BM_CollidePlayer(benchmark::State& state) {
  if (!ready(state)) return;
  const std::vector<vorn::VornVector> points = trackPoints(1024);
  const vorn::VornVector direction = vorn::VornVector(0.0f, -0.2f, 1.0f).normalized();
  size_t i = 0;
  int contacts = 0;
  for (auto _ : state) {
    vorn::VornVector newDirection, normal;
    float step = 0.5f, depth = 0.0f;
    bool end = false;
    contacts += course().collidePlayer(points[i++ & 1023], direction, newDirection, step, normal, depth, end) == 0;
  }
  state.counters["contact share"] = static_cast<double>(contacts) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CollidePlayer);

void BM_KeepAboveGround(benchmark::State& state) {
  if (!ready(state)) return;
  const std::vector<vorn::VornVector> points = trackPoints(1024);
  size_t i = 0;
  for (auto _ : state) {
    vorn::VornVector p = points[i++ & 1023];
    benchmark::DoNotOptimize(course().keepAboveGround(p));
  }
}
BENCHMARK(BM_KeepAboveGround);

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whole object loading of the shipped course without models: the object
// map read, the placement image decoded, every object placed on the ground
// and its collision box built.
void BM_PlaceObjects(benchmark::State& state) {
  if (!ready(state)) return;
  const std::vector<uint8_t> map = readBytes(kDataRoot + "/data/maps/twin_paths.txt");
  const std::vector<uint8_t> image = readBytes(kDataRoot + "/data/maps/twin_paths.bmp");
  size_t placed = 0;
  for (auto _ : state) {
    vorn::VornKindList kinds;
    int next = 0;
    vorn::readObjectMap(map.data(), map.size(), [&next](const std::string&) { return next++; }, kinds);
    vorn::VornPlacementImage picture;
    std::string detail;
    if (!vorn::decodePlacementImage(image.data(), image.size(), "twin_paths.bmp", picture, detail)) {
      state.SkipWithError("the placement image does not decode");
      return;
    }
    const vorn::VornPlacementPlan plan = vorn::planPlacements(picture, kinds, 10, course().width(),
                                                              course().height(), 50.0f, 50.0f);
    vorn::VornActionObjectList objects;
    placeAll(plan, kinds, [](float x, float z) { return course().getHeight(x, z); }, objects);
    vorn::buildObjectBoxes(objects, [](int) { return 800.0f; });
    placed = objects.size();
  }
  state.counters["objects"] = static_cast<double>(placed);
}
BENCHMARK(BM_PlaceObjects)->Unit(benchmark::kMillisecond);

// One frame's particle update with the flake and puff rings full (a cow
// spraying at full speed; a step of 0 keeps them full) and the snowfall
// following one camera.
void BM_ParticleUpdate(benchmark::State& state) {
  vorn::VornParticleSystem snow;
  const vorn::VornVector at(1500.0f, 300.0f, 2000.0f), along(0.0f, 0.0f, 1.0f);
  snow.update(1.0f, 0.0f, 0.0f);
  snow.emitSpray(at, along, 70.0f);
  for (auto _ : state) {
    snow.followCamera(0, at, along);
    snow.update(0.0f, 0.0f, 0.0f);
    benchmark::DoNotOptimize(snow.flakes().position.data());
  }
  int live = 0;
  snow.flakes().forEachLive([&live](int) { ++live; });
  snow.puffs().forEachLive([&live](int) { ++live; });
  state.counters["live"] = live;
}
BENCHMARK(BM_ParticleUpdate);

}  // namespace

BENCHMARK_MAIN();
