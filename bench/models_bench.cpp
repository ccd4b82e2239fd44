// Costs of loading a model on the CPU: parsing the largest generated model,
// the whole CPU load (parse, checks, weld, normals, layout), the weld through
// a hash against the pairwise loop it replaces, evaluating keyframer nodes
// as every animated part does each frame, and the shadow casters'
// silhouette search a frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "assets/model_build.h"
#include "assets/model_loader.h"
#include "assets/model_parser.h"
#include "assets/shadow_volume.h"

#ifdef VORN_BENCH_GL
#include <GL/glew.h>
#include <GL/glut.h>
#include <unistd.h>

#include <cstdlib>

#include "assets/material_gl.h"
#include "assets/model_set.h"
#endif

namespace {

const std::vector<uint8_t>& largestModel(std::string* name = nullptr) {
  static std::string largestName;
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> best;
    for (const char* file : {"cow_without_ht.3DS", "saule_end_2.3DS", "booze.3DS", "saeule.3DS", "tree.3DS",
                             "ork_3_anim.3DS", "ork_2_anim.3DS", "root_1.3DS", "mushrooms_1.3DS",
                             "reduced_ghost.3DS"}) {
      std::vector<uint8_t> b;
      const std::string path = std::string(VORN_BENCH_DATA_ROOT) + "/data/models/" + file;
      if (vorn::readWholeFile(path, b, vorn::kMaxModelFileBytes) && b.size() > best.size()) {
        best.swap(b);
        largestName = file;
      }
    }
    return best;
  }();
  if (name) *name = largestName;
  return bytes;
}

bool haveModel(benchmark::State& state) {
  if (!largestModel().empty()) return true;
  state.SkipWithError("no generated models: build the vorn_assets target first");
  return false;
}

void BM_ParseLargestModel(benchmark::State& state) {
  if (!haveModel(state)) return;
  const auto& bytes = largestModel();
  for (auto _ : state) {
    vorn::VornModelData model;
    benchmark::DoNotOptimize(vorn::parse3ds(bytes.data(), bytes.size(), model).complete);
  }
  std::string name;
  largestModel(&name);
  state.SetLabel(name + ", " + std::to_string(bytes.size()) + " bytes");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseLargestModel)->Unit(benchmark::kMicrosecond);

void BM_LoadLargestModelCpu(benchmark::State& state) {
  if (!haveModel(state)) return;
  const auto& bytes = largestModel();
  uint32_t faces = 0;
  for (auto _ : state) {
    vorn::VornModelTables tables;
    const auto model = vorn::buildModelFromBytes(bytes.data(), bytes.size(), "bench.3DS",
                                                 [](const std::string&) { return 1; }, tables);
    faces = model.layout.faceCount;
    benchmark::DoNotOptimize(model.layout.vertexData.data());
  }
  state.SetLabel(std::to_string(faces) + " triangles");
}
BENCHMARK(BM_LoadLargestModelCpu)->Unit(benchmark::kMicrosecond);

// The largest part of the largest model, unwelded.
const vorn::VornObjectPart& largestPart() {
  static const std::unique_ptr<vorn::VornObjectPart> part = [] {
    vorn::VornModelData model;
    const auto& bytes = largestModel();
    vorn::parse3ds(bytes.data(), bytes.size(), model);
    std::unique_ptr<vorn::VornObjectPart> best = std::make_unique<vorn::VornObjectPart>();
    for (auto& p : model.parts) {
      if (p->vertexCount() > best->vertexCount()) best = std::move(p);
    }
    return best;
  }();
  return *part;
}

void BM_WeldHash(benchmark::State& state) {
  if (!haveModel(state)) return;
  const vorn::VornObjectPart& source = largestPart();
  for (auto _ : state) {
    vorn::VornObjectPart p = source;
    vorn::weldVertices(p);
    benchmark::DoNotOptimize(p.faces.data());
  }
  state.SetLabel(std::to_string(source.vertexCount()) + " vertices");
}
BENCHMARK(BM_WeldHash)->Unit(benchmark::kMicrosecond);

// The quadratic loop the hash replaces, for comparison.
void BM_WeldPairwise(benchmark::State& state) {
  if (!haveModel(state)) return;
  const vorn::VornObjectPart& source = largestPart();
  for (auto _ : state) {
    vorn::VornObjectPart p = source;
    const uint32_t n = p.vertexCount();
    for (uint32_t i = 0; i < n; ++i) {
      for (uint32_t j = i + 1; j < n; ++j) {
        const float* a = &p.vertices[i * 3];
        const float* b = &p.vertices[j * 3];
        if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) continue;
        for (size_t f = 0; f < p.faces.size(); f += 4) {
          for (int c = 0; c < 3; ++c) {
            if (p.faces[f + c] == j) p.faces[f + c] = static_cast<uint16_t>(i);
          }
        }
      }
    }
    benchmark::DoNotOptimize(p.faces.data());
  }
  state.SetLabel(std::to_string(source.vertexCount()) + " vertices");
}
BENCHMARK(BM_WeldPairwise)->Unit(benchmark::kMillisecond);

// Every node of the cow at a frame between keys, as one drawn cow needs per part.
void BM_EvaluateCowNodes(benchmark::State& state) {
  std::vector<uint8_t> bytes;
  if (!vorn::readWholeFile(std::string(VORN_BENCH_DATA_ROOT) + "/data/models/cow_without_ht.3DS", bytes,
                           vorn::kMaxModelFileBytes)) {
    state.SkipWithError("no generated cow");
    return;
  }
  vorn::VornModelTables tables;
  const auto model = vorn::buildModelFromBytes(bytes.data(), bytes.size(), "cow", nullptr, tables);
  float frame = 0.0f;
  for (auto _ : state) {
    frame = frame > 90.0f ? 0.0f : frame + 0.7f;
    for (const auto& node : model.nodes) {
      vorn::VornMatrix m;
      node->evaluate(frame, m);
      node->applyPivot(m);
      benchmark::DoNotOptimize(m.m[12]);
    }
  }
  state.SetLabel(std::to_string(model.nodes.size()) + " nodes");
}
BENCHMARK(BM_EvaluateCowNodes);

// The silhouette search of one caster for a frame of the race: every part's
// light brought into its frame through its animated transform, then the lit
// faces and silhouette edges found with the far cap (depth-pass counting).
// The label gives the silhouette edges a frame for the game's light.
void BM_CasterSilhouette(benchmark::State& state, const char* file) {
  std::vector<uint8_t> bytes;
  if (!vorn::readWholeFile(std::string(VORN_BENCH_DATA_ROOT) + "/data/models/" + file, bytes,
                           vorn::kMaxModelFileBytes)) {
    state.SkipWithError("no generated caster model");
    return;
  }
  vorn::VornModelTables tables;
  auto model = vorn::buildModelFromBytes(bytes.data(), bytes.size(), file, nullptr, tables);
  for (auto& part : model.parts) vorn::calcBrothers(*part);
  // A cow standing on the slope, with the game's light (towards it, w = 0).
  vorn::VornMatrix instance;
  instance.translate(1200.0f, 40.0f, 900.0f);
  const float light[4] = {0.0f, 0.70710678f, -0.70710678f, 0.0f};
  const vorn::VornVector center(0, 0, 0);
  vorn::VornSilhouette silhouette;
  float frame = 0.0f;
  size_t edges = 0, faces = 0;
  for (auto _ : state) {
    frame = frame > 90.0f ? 0.0f : frame + 0.7f;
    edges = 0;
    for (auto& part : model.parts) {
      vorn::VornMatrix inverse = vorn::shadowPartTransform(instance.data(), center, *part, frame);
      if (!inverse.invert()) continue;
      vorn::transformVector4(inverse, light, part->lightInPart);
      vorn::findSilhouette(*part, silhouette, false);
      edges += silhouette.edges.size();
      benchmark::DoNotOptimize(silhouette.quads.data());
    }
  }
  for (const auto& part : model.parts) faces += part->faceCount();
  state.SetLabel(std::to_string(edges) + " silhouette edges, " + std::to_string(faces) + " faces, " +
                 std::to_string(model.parts.size()) + " parts");
}
BENCHMARK_CAPTURE(BM_CasterSilhouette, cow, "cow_without_ht.3DS")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CasterSilhouette, rider_horn, "ork_3_anim.3DS")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CasterSilhouette, rider_head, "ork_2_anim.3DS")->Unit(benchmark::kMicrosecond);

#ifdef VORN_BENCH_GL
// The model pass of a race frame: every texture group and untextured material
// of the ten models, for two players (cow and riders) and a slope's worth of
// placed scenery. Needs a display (run under Xvfb); skipped without one.
struct PlacedAt : vorn::VornPlacedInstance {
  vorn::VornMatrix matrix;
  const float* modelMatrix() const override { return matrix.data(); }
  bool visibleInView(int) const override { return true; }
};

constexpr int kPlacedPerModel = 30;

void BM_ModelPass(benchmark::State& state) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("no display: run under Xvfb");
    return;
  }
  static bool windowOpen = false;
  if (!windowOpen) {
    int argc = 1;
    char name[] = "vorn_bench_models";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowSize(800, 600);
    glutCreateWindow("model pass");
    glewInit();
    windowOpen = true;
  }
  if (chdir(VORN_BENCH_DATA_ROOT) != 0) {
    state.SkipWithError("no data root");
    return;
  }
  vorn::VornTextureCache textures;
  vorn::setTextureCache(&textures);
  vorn::VornModelSet set;
  for (int step = 2; step <= 10; ++step) set.runLoadingStep(step, textures);
  vorn::VornPlayer players[2][3];
  for (auto& p : players) {
    p[0].modelTransform.setScale(0.08f);
    set.attachPlayer(&p[0], &p[1], &p[2]);
  }
  std::vector<PlacedAt> placed(5 * kPlacedPerModel);
  const int scenery[5] = {vorn::kModelPillarEnd, vorn::kModelBeer, vorn::kModelPillar, vorn::kModelTree,
                          vorn::kModelMushrooms};
  for (size_t i = 0; i < placed.size(); ++i) {
    placed[i].matrix.translate(static_cast<float>(i % 15) * 20 - 150, 0, -static_cast<float>(i / 15) * 20);
    placed[i].matrix.scale(0.08f, 0.08f, 0.08f);
    set.model(scenery[i % 5])->placedInstances.push_back(&placed[i]);
  }
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.3333, 1.0, 2000.0);
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHT0);
  glEnable(GL_TEXTURE_2D);
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0, -20, -60);
    set.drawModels(0);
    glFinish();
  }
  state.SetLabel(std::to_string(placed.size()) + " placed, 2 players");
  vorn::setTextureCache(nullptr);
}
BENCHMARK(BM_ModelPass)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
