// Costs of the per-frame math: transform rebuilds (every moved instance),
// matrix inversion (light and shadow set-up) and orient (player pose).
#include <benchmark/benchmark.h>

#include "math/matrix.h"
#include "math/transform.h"
#include "math/vector.h"

namespace {

void BM_TransformRebuild(benchmark::State& state) {
  vorn::VornTransform t;
  t.setScale(0.08f);
  t.rotateY(30);
  float x = 0.0f;
  for (auto _ : state) {
    x += 0.5f;
    t.setPosition(x, 1.0f, 2.0f);  // one rebuild
    benchmark::DoNotOptimize(t.modelMatrix().m[12]);
  }
}
BENCHMARK(BM_TransformRebuild);

void BM_MatrixInvert(benchmark::State& state) {
  vorn::VornMatrix m;
  m.translate(3.0f, -2.0f, 7.0f);
  m.rotate(35.0f, 0.6f, 0.0f, 0.8f);
  m.scale(2.0f, 0.5f, 3.0f);
  for (auto _ : state) {
    vorn::VornMatrix inv = m;
    benchmark::DoNotOptimize(inv.invert());
    benchmark::DoNotOptimize(inv.m[0]);
  }
}
BENCHMARK(BM_MatrixInvert);

void BM_TransformOrient(benchmark::State& state) {
  vorn::VornTransform t;
  t.setScale(0.08f);
  vorn::VornVector direction(0.3f, -0.2f, 0.9f);
  for (auto _ : state) {
    direction.rotateY(1.0f);
    t.orient(direction, 80.0f);
    benchmark::DoNotOptimize(t.modelMatrix().m[0]);
  }
}
BENCHMARK(BM_TransformOrient);

}  // namespace

BENCHMARK_MAIN();
