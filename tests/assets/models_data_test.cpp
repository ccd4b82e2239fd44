// The generated models: the sizes and axes the game's numbers imply, closed
// outward-facing surfaces, clips that end at rest, and the round trip through
// the game's own loader (which also checks every chunk length).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "assetgen/mesh_builder.h"
#include "assetgen/models.h"
#include "assetgen/tds_writer.h"
#include "assets/model_build.h"
#include "assets/model_loader.h"
#include "math/matrix.h"
#include "math/transform.h"

namespace {

using assetgen::GeneratedModel;
using assetgen::TdsMesh;
using assetgen::TdsModel;
using assetgen::Vec3;

constexpr int kCow = 0, kBeer = 2, kTree = 4, kRiderFront = 5, kRiderBack = 6, kGhost = 9;
constexpr float kDegrees = 180.0f / 3.14159265f;

const std::vector<GeneratedModel>& models() {
  static const std::vector<GeneratedModel> all = assetgen::buildModels();
  return all;
}

struct Box {
  Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
  void add(const Vec3& v) {
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], v[i]);
      hi[i] = std::max(hi[i], v[i]);
    }
  }
  float extent(int axis) const { return hi[axis] - lo[axis]; }
  Vec3 center() const { return {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2}; }
};

Box boundsOf(int model) {
  Box b;
  for (const TdsMesh& mesh : models()[model].model.meshes)
    for (const Vec3& v : mesh.vertices) b.add(v);
  return b;
}

TEST(ModelsData, SizesFollowTheWorldScale) {
  const Box cow = boundsOf(kCow);
  EXPECT_GE(cow.extent(0), 125.0f);  // nose to tail
  EXPECT_LE(cow.extent(0), 175.0f);
  EXPECT_GE(cow.extent(2), 110.0f);  // hooves to horns
  EXPECT_LE(cow.extent(2), 140.0f);
  EXPECT_LE(cow.extent(1), cow.extent(0) * 0.6f);
  EXPECT_NEAR(boundsOf(kBeer).extent(2), 90.0f, 10.0f);
  EXPECT_NEAR(boundsOf(kTree).extent(2), 800.0f, 200.0f);
  // The ghost is a cow at the cow's own scale.
  for (int axis = 0; axis < 3; ++axis)
    EXPECT_NEAR(boundsOf(kGhost).extent(axis), cow.extent(axis), cow.extent(axis) * 0.15f);
  // Scenery stands z-up on the ground plane.
  for (const int i : {1, 2, 3, 4, 8}) EXPECT_NEAR(boundsOf(i).lo[2], 0.0f, 1.0f) << models()[i].fileName;
}

// Placed as the game places it (oriented to the direction of travel, roll
// 90): head ahead of the tail, the back (file -z) up, hooves 5 below the centre.
TEST(ModelsData, CowStandsUprightFacingTheDirectionOfTravelAfterOrient) {
  const Box box = boundsOf(kCow);
  const Vec3 c = box.center();
  vorn::VornVector d(0.8f, -0.3f, 0.5f);
  d.normalize();
  vorn::VornTransform t;
  t.scaleBy(0.08f);
  t.orient(d, 90.0f);
  const auto world = [&](const Vec3& p) {
    vorn::VornVector v(p[0] - c[0], p[1] - c[1], p[2] - c[2]);
    t.transformPoint(v);
    return v;
  };
  float lowest = 1e9f;
  const auto mean = [&](const std::string& meshName) {
    vorn::VornVector sum;
    float n = 0;
    for (const TdsMesh& mesh : models()[kCow].model.meshes)
      for (const Vec3& p : mesh.vertices) {
        lowest = std::min(lowest, world(p).dot(d.up()));
        if (mesh.name == meshName) {
          sum += world(p);
          ++n;
        }
      }
    return sum * (1.0f / n);
  };
  EXPECT_GT((mean("cow_head") - mean("cow_tail")).dot(d), 6.0f);
  EXPECT_LT(mean("cow_leg_fl").dot(d.up()), -0.8f);
  vorn::VornVector back = world({c[0], c[1], box.lo[2]}) - world({c[0], c[1], box.hi[2]});
  back.normalize();
  EXPECT_GT(back.dot(d.up()), std::cos(11.0f / kDegrees));
  EXPECT_NEAR(lowest, -5.0f, 0.8f);
}

// Shadow volumes need closed surfaces: after welding by position every edge
// of a caster's part is shared by two faces in opposite directions. Faces
// wind counter-clockwise seen from outside (the game culls back faces).
TEST(ModelsData, CastersAreClosedAndClosedPartsFaceOutwards) {
  for (const int index : {kCow, kBeer, 3, kRiderFront, kRiderBack, kGhost}) {
    const bool caster = index == kCow || index == kRiderFront || index == kRiderBack;
    for (const TdsMesh& mesh : models()[index].model.meshes) {
      SCOPED_TRACE(models()[index].fileName + " " + mesh.name);
      std::map<std::array<float, 3>, size_t> first;
      std::map<std::pair<size_t, size_t>, int> directed;
      double volume = 0.0;
      Box box;
      for (const Vec3& v : mesh.vertices) box.add(v);
      for (const auto& f : mesh.faces) {
        const size_t v[3] = {first.emplace(mesh.vertices[f.a], f.a).first->second,
                             first.emplace(mesh.vertices[f.b], f.b).first->second,
                             first.emplace(mesh.vertices[f.c], f.c).first->second};
        for (int e = 0; e < 3; ++e) ++directed[{v[e], v[(e + 1) % 3]}];
        volume += assetgen::dot(mesh.vertices[f.a], assetgen::cross(mesh.vertices[f.b], mesh.vertices[f.c])) / 6.0;
      }
      size_t open = 0;
      for (const auto& [edge, count] : directed) {
        const auto back = directed.find({edge.second, edge.first});
        open += count != 1 || back == directed.end() || back->second != 1;
      }
      EXPECT_TRUE(!caster || open == 0) << open << " open edges";
      // Clearly positive (limbs fill little of their box): not turned inside out.
      EXPECT_GT(volume, 0.05 * box.extent(0) * box.extent(1) * box.extent(2));
    }
  }
}

struct Loaded {
  vorn::VornModelTables tables;
  vorn::VornLoadedModel model;
};

std::unique_ptr<Loaded> load(const GeneratedModel& m) {
  auto out = std::make_unique<Loaded>();
  const std::vector<uint8_t> bytes = assetgen::writeTds(m.model);
  std::map<std::string, int> cache;
  const auto lookup = [&](const std::string& path) { return cache.emplace(path, cache.size() + 1).first->second; };
  out->model = vorn::buildModelFromBytes(bytes.data(), bytes.size(), "data/models/" + m.fileName, lookup, out->tables);
  return out;
}

TEST(ModelsData, EveryModelReadsBackThroughTheGameLoaderAsWritten) {
  for (const GeneratedModel& m : models()) {
    SCOPED_TRACE(m.fileName);
    const auto loaded = load(m);
    const vorn::VornLoadedModel& l = loaded->model;
    EXPECT_TRUE(l.faults.empty()) << (l.faults.empty() ? "" : l.faults[0]);
    ASSERT_EQ(l.parts.size(), m.model.meshes.size());
    size_t faces = 0, textured = 0;
    for (size_t i = 0; i < l.parts.size(); ++i) {
      const TdsMesh& mesh = m.model.meshes[i];
      EXPECT_EQ(std::make_tuple(l.parts[i]->name, l.parts[i]->vertexCount(), l.parts[i]->faceCount()),
                std::make_tuple(mesh.name, mesh.vertices.size(), mesh.faces.size()));
      if (!m.model.nodes.empty()) {  // every animated part bound
        EXPECT_NE(l.parts[i]->node, nullptr) << mesh.name;
      }
      // Every face in exactly one material group: none drawn twice or with "default".
      std::vector<int> owners(mesh.faces.size(), 0);
      for (const auto& g : mesh.groups)
        for (const uint16_t f : g.faces) ++owners[f];
      EXPECT_EQ(owners, std::vector<int>(mesh.faces.size(), 1)) << mesh.name;
      faces += mesh.faces.size();
      for (const auto& g : mesh.groups)
        for (const auto& mat : m.model.materials)
          textured += mat.name == g.material && !mat.textureMap.empty() ? g.faces.size() : 0;
    }
    EXPECT_EQ(l.layout.faceCount, faces);
    EXPECT_EQ(l.layout.texturedFaceCount, textured);
    EXPECT_GE(faces, 300u);  // hundreds to a few thousand triangles, not millions
    EXPECT_LE(faces, 12000u);
    ASSERT_EQ(l.nodes.size(), m.model.nodes.size());
    for (size_t i = 0; i < l.nodes.size(); ++i) {
      const assetgen::TdsNode& w = m.model.nodes[i];
      const vorn::VornKeyNode& r = *l.nodes[i];
      EXPECT_EQ(std::make_tuple(r.name, r.parentId, r.pivot.x), std::make_tuple(w.name, w.parent, w.pivot[0]));
      ASSERT_LT(w.parent, static_cast<int>(i));  // parents first, so evaluation can rely on them
      if (w.parent >= 0) {
        EXPECT_EQ(r.parent, l.nodes[w.parent].get()) << r.name;
      }
      ASSERT_EQ(r.positionFrames.size(), w.position.size()) << r.name;
      for (size_t k = 0; k < w.position.size(); ++k)
        EXPECT_EQ(std::make_pair(r.positionFrames[k], r.positionValues[k * 3 + 2]),
                  std::make_pair(w.position[k].frame, w.position[k].value[2]));
      EXPECT_EQ(r.scaleFrames.size(), w.scale.size()) << r.name;
      // The file's relative rotation keys accumulate back to the absolute orientations.
      ASSERT_EQ(r.rotationMatrices.size(), w.rotation.size()) << r.name;
      for (size_t k = 0; k < w.rotation.size(); ++k) {
        const Vec3 a = assetgen::normalized(w.rotation[k].axis);
        vorn::VornMatrix expected;
        expected.rotate(w.rotation[k].angle * kDegrees, a[0], a[1], a[2]);
        for (int e = 0; e < 16; ++e)
          EXPECT_NEAR(r.rotationMatrices[k].m[e], expected.m[e], 1e-3f) << r.name << " " << k;
      }
    }
  }
  for (const auto& t : assetgen::buildModelTextures()) EXPECT_LE(t.fileName.size(), 12u) << t.fileName;  // 8.3 names
  bool eased = false;  // a track carries spline values the reader must skip
  for (const auto& n : models()[kCow].model.nodes) eased = eased || n.splineFlags != 0;
  EXPECT_TRUE(eased);
}

// Node transform at a frame, pivot applied, as the model pass does it.
bool atRest(const vorn::VornKeyNode& node, float frame) {
  vorn::VornMatrix m;
  node.evaluate(frame, m);
  node.applyPivot(m);
  const vorn::VornMatrix id;
  for (int k = 0; k < 16; ++k)
    if (std::fabs(m.m[k] - id.m[k]) > 1e-3f) return false;
  return true;
}

TEST(ModelsData, ClipsStartAndEndInTheRestPoseAndEveryNodeMoves) {
  for (const int index : {kCow, kRiderFront, kRiderBack, kGhost}) {
    const GeneratedModel& m = models()[index];
    SCOPED_TRACE(m.fileName);
    const auto loaded = load(m);
    ASSERT_GE(loaded->model.nodes.size(), 4u);
    const std::vector<vorn::VornClip> clips = vorn::parseClips(m.clips);
    // The keys start the front rider's clips 0 to 3, the horn starts the back rider's clip 1.
    EXPECT_GE(clips.size(), index == kRiderFront ? 4u : index == kRiderBack ? 2u : 0u);
    std::vector<float> restFrames = {0.0f};
    for (size_t c = 0; c < clips.size(); ++c) {
      EXPECT_TRUE(clips[c].length > 0 && clips[c].duration > 0.0f) << "clip " << c;
      // A clip holds its last frame; all but the front rider's brace end at rest.
      if (!(index == kRiderFront && c == 0)) restFrames.push_back(static_cast<float>(clips[c].start + clips[c].length));
    }
    for (const auto& node : loaded->model.nodes) {
      for (const float f : restFrames) EXPECT_TRUE(atRest(*node, f)) << node->name << " frame " << f;
      bool moves = false;
      for (float f = 1.0f; f < 80.0f && !moves; f += 1.0f) moves = !atRest(*node, f);
      EXPECT_TRUE(moves) << node->name << " never moves";
      EXPECT_GE(node->rotationFrames.size() + node->positionFrames.size() + node->scaleFrames.size(), 4u);
    }
    EXPECT_TRUE(index != kRiderFront || !atRest(*loaded->model.nodes[0], 10.0f)) << "the brace ends leaning back";
  }
}

}  // namespace
