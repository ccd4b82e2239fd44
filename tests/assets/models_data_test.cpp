// The generated models: the cow's axes, and the round trip through the game's
// own loader (which also checks every chunk length).
#include <gtest/gtest.h>

#include <algorithm>
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
using assetgen::Vec3;

constexpr int kCow = 0, kBeer = 2, kRiderFront = 5, kRiderBack = 6, kGhost = 9;
constexpr float kDegrees = 180.0f / 3.14159265f;

const std::vector<GeneratedModel>& models() {
  static const std::vector<GeneratedModel> all = assetgen::buildModels();
  return all;
}

struct Box {
  Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
  void add(const Vec3& v) {
    for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], v[i]), hi[i] = std::max(hi[i], v[i]);
  }
  float extent(int axis) const { return hi[axis] - lo[axis]; }
};

// Placed as the game places it (oriented to the direction of travel, roll
// 90): head ahead of the tail, the back (file -z) up, hooves 5 below the centre.
TEST(ModelsData, CowStandsUprightFacingTheDirectionOfTravelAfterOrient) {
  Box box;
  for (const TdsMesh& mesh : models()[kCow].model.meshes)
    for (const Vec3& v : mesh.vertices) box.add(v);
  const vorn::VornVector d = vorn::VornVector(0.8f, -0.3f, 0.5f).normalized();
  vorn::VornTransform t;
  t.scaleBy(0.08f);
  t.orient(d, 90.0f);
  const auto world = [&](const Vec3& p) {
    vorn::VornVector v(p[0] - (box.lo[0] + box.hi[0]) / 2, p[1] - (box.lo[1] + box.hi[1]) / 2,
                       p[2] - (box.lo[2] + box.hi[2]) / 2);
    t.transformPoint(v);
    return v;
  };
  float lowest = 1e9f;
  std::map<std::string, vorn::VornVector> mean;  // of each part's vertices
  for (const TdsMesh& mesh : models()[kCow].model.meshes)
    for (const Vec3& p : mesh.vertices) {
      lowest = std::min(lowest, world(p).dot(d.up()));
      mean[mesh.name] += world(p) * (1.0f / static_cast<float>(mesh.vertices.size()));
    }
  EXPECT_GT((mean["cow_head"] - mean["cow_tail"]).dot(d), 6.0f);
  EXPECT_LT(mean["cow_leg_fl"].dot(d.up()), -0.8f);
  const vorn::VornVector back = (world({0, 0, box.lo[2]}) - world({0, 0, box.hi[2]})).normalized();
  EXPECT_GT(back.dot(d.up()), std::cos(11.0f / kDegrees));
  EXPECT_NEAR(lowest, -5.0f, 0.8f);
}

// Node transform at a frame, pivot applied, as the model pass does it.
bool atRest(const vorn::VornKeyNode& node, float frame) {
  vorn::VornMatrix m;
  node.evaluate(frame, m);
  node.applyPivot(m);
  return std::equal(m.m, m.m + 16, vorn::VornMatrix().m, [](float a, float b) { return std::fabs(a - b) <= 1e-3f; });
}

// Parts, faces, material groups, nodes and their keys as written (the file's
// relative rotation keys accumulate back to the absolute orientations). Shadow
// volumes need closed surfaces: on the welded faces every edge of a caster's
// part is shared by two faces in opposite directions, and closed parts wind
// counter-clockwise seen from outside (the game culls back faces). The clips
// start and end in the rest pose, and every node moves.
TEST(ModelsData, EveryModelReadsBackAsWrittenClosedWhereItCastsWithClipsEndingAtRest) {
  for (int index = 0; index < static_cast<int>(models().size()); ++index) {
    const GeneratedModel& m = models()[index];
    SCOPED_TRACE(m.fileName);
    const std::vector<uint8_t> bytes = assetgen::writeTds(m.model);
    std::map<std::string, int> cache;
    const auto lookup = [&](const std::string& path) { return cache.emplace(path, cache.size() + 1).first->second; };
    vorn::VornModelTables tables;
    const vorn::VornLoadedModel l =
        vorn::buildModelFromBytes(bytes.data(), bytes.size(), "data/models/" + m.fileName, lookup, tables);
    EXPECT_TRUE(l.faults.empty()) << (l.faults.empty() ? "" : l.faults[0]);
    ASSERT_EQ(l.parts.size(), m.model.meshes.size());
    const bool caster = index == kCow || index == kRiderFront || index == kRiderBack;
    const bool closed = caster || index == kBeer || index == 3 || index == kGhost;
    size_t faces = 0, textured = 0;
    for (size_t i = 0; i < l.parts.size(); ++i) {
      const TdsMesh& mesh = m.model.meshes[i];
      const vorn::VornObjectPart& part = *l.parts[i];
      EXPECT_EQ(std::make_tuple(part.name, part.vertexCount(), part.faceCount()),
                std::make_tuple(mesh.name, mesh.vertices.size(), mesh.faces.size()));
      EXPECT_TRUE(m.model.nodes.empty() || part.node) << "animated part " << mesh.name << " unbound";
      // Every face in exactly one material group: none drawn twice or with "default".
      std::vector<int> owners(mesh.faces.size(), 0);
      for (const auto& g : mesh.groups) {
        for (const uint16_t f : g.faces) ++owners[f];
        for (const auto& mat : m.model.materials)
          textured += mat.name == g.material && !mat.textureMap.empty() ? g.faces.size() : 0;
      }
      EXPECT_EQ(owners, std::vector<int>(mesh.faces.size(), 1)) << mesh.name;
      faces += mesh.faces.size();
      if (!closed) continue;
      std::map<std::pair<uint16_t, uint16_t>, int> directed;
      double volume = 0.0;
      const auto corner = [&](size_t k) { return vorn::VornVector(&part.vertices[part.faces[k] * 3u]); };
      for (size_t k = 0; k < part.faces.size(); k += 4) {
        for (size_t e = 0; e < 3; ++e) ++directed[{part.faces[k + e], part.faces[k + (e + 1) % 3]}];
        volume += corner(k).dot(corner(k + 1).cross(corner(k + 2))) / 6.0;
      }
      size_t open = 0;
      for (const auto& [edge, count] : directed) {
        const auto back = directed.find({edge.second, edge.first});
        open += count != 1 || back == directed.end() || back->second != 1;
      }
      EXPECT_TRUE(!caster || open == 0) << mesh.name << ": " << open << " open edges";
      // Clearly positive (limbs fill little of their box): not turned inside out.
      Box box;
      for (const Vec3& v : mesh.vertices) box.add(v);
      EXPECT_GT(volume, 0.05 * box.extent(0) * box.extent(1) * box.extent(2)) << mesh.name;
    }
    EXPECT_EQ(std::make_tuple(l.layout.faceCount, l.layout.texturedFaceCount), std::make_tuple(faces, textured));
    EXPECT_TRUE(faces >= 300u && faces <= 12000u) << faces << " triangles";
    ASSERT_EQ(l.nodes.size(), m.model.nodes.size());
    for (size_t i = 0; i < l.nodes.size(); ++i) {
      const assetgen::TdsNode& w = m.model.nodes[i];
      const vorn::VornKeyNode& r = *l.nodes[i];
      ASSERT_LT(w.parent, static_cast<int>(i));  // parents first, so evaluation can rely on them
      EXPECT_EQ(std::make_tuple(r.name, r.parentId, r.pivot.x, r.parent, r.scaleFrames.size()),
                std::make_tuple(w.name, w.parent, w.pivot[0], w.parent >= 0 ? l.nodes[w.parent].get() : nullptr,
                                w.scale.size()));
      ASSERT_EQ(r.positionFrames.size(), w.position.size()) << r.name;
      for (size_t k = 0; k < w.position.size(); ++k)
        EXPECT_EQ(std::make_pair(r.positionFrames[k], r.positionValues[k * 3 + 2]),
                  std::make_pair(w.position[k].frame, w.position[k].value[2]));
      ASSERT_EQ(r.rotationMatrices.size(), w.rotation.size()) << r.name;
      for (size_t k = 0; k < w.rotation.size(); ++k) {
        const Vec3 a = assetgen::normalized(w.rotation[k].axis);
        vorn::VornMatrix expected;
        expected.rotate(w.rotation[k].angle * kDegrees, a[0], a[1], a[2]);
        for (int e = 0; e < 16; ++e) EXPECT_NEAR(r.rotationMatrices[k].m[e], expected.m[e], 1e-3f) << r.name << k;
      }
    }
    if (l.nodes.empty()) continue;
    // The keys start the front rider's clips 0 to 3, the horn starts the back
    // rider's clip 1. A clip holds its last frame: all but the front rider's
    // brace end at rest.
    const std::vector<vorn::VornClip> clips = vorn::parseClips(m.clips);
    EXPECT_GE(clips.size(), index == kRiderFront ? 4u : index == kRiderBack ? 2u : 0u);
    std::vector<float> restFrames = {0.0f};
    for (size_t c = 0; c < clips.size(); ++c) {
      EXPECT_TRUE(clips[c].length > 0 && clips[c].duration > 0.0f) << "clip " << c;
      if (!(index == kRiderFront && c == 0)) restFrames.push_back(static_cast<float>(clips[c].start + clips[c].length));
    }
    for (const auto& node : l.nodes) {
      for (const float f : restFrames) EXPECT_TRUE(atRest(*node, f)) << node->name << " frame " << f;
      bool moves = false;
      for (float f = 1.0f; f < 80.0f && !moves; f += 1.0f) moves = !atRest(*node, f);
      EXPECT_TRUE(moves) << node->name << " never moves";
    }
    EXPECT_TRUE(index != kRiderFront || !atRest(*l.nodes[0], 10.0f)) << "the brace ends leaning back";
  }
  const auto& cowNodes = models()[kCow].model.nodes;  // a track carries spline values the reader must skip
  EXPECT_TRUE(std::any_of(cowNodes.begin(), cowNodes.end(), [](const auto& n) { return n.splineFlags != 0; }));
}

}  // namespace
