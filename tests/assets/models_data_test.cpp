// The generated models: chunk structure of the written files, the limits of
// the format, the sizes and axes the game's numbers imply, the keyframer rigs
// and clips, and the round trip through the game's own loader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "assetgen/mesh_builder.h"
#include "assetgen/model_textures.h"
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

const std::vector<GeneratedModel>& models() {
  static const std::vector<GeneratedModel> all = assetgen::buildModels();
  return all;
}

// ---------------------------------------------------------------- chunks
uint16_t get16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t get32(const std::vector<uint8_t>& b, size_t at) { return get16(b, at) | (uint32_t{get16(b, at + 2)} << 16); }

bool isContainer(uint16_t id) {
  static const std::set<uint16_t> ids = {0x4D4D, 0x3D3D, 0xAFFF, 0xA010, 0xA020, 0xA030, 0xA040,
                                         0xA041, 0xA050, 0xA200, 0x4100, 0xB000, 0xB002};
  return ids.count(id) != 0;
}

size_t nameEnd(const std::vector<uint8_t>& b, size_t at, size_t end) {
  while (at < end && b[at] != 0) ++at;
  return at + 1;
}

struct ChunkStats {
  int vertexLists = 0, faceLists = 0, nodes = 0, tracks = 0;
};

// Walks [begin, end): every chunk must lie inside its parent, containers must
// be tiled exactly by their children, data chunks must hold exactly what
// their counts announce.
void walk(const std::vector<uint8_t>& b, size_t begin, size_t end, ChunkStats& stats, const std::string& file) {
  size_t at = begin;
  while (at < end) {
    ASSERT_LE(at + 6, end) << file << ": chunk header past its parent at " << at;
    const uint16_t id = get16(b, at);
    const uint32_t len = get32(b, at + 2);
    ASSERT_GE(len, 6u) << file << ": chunk " << std::hex << id;
    ASSERT_LE(at + len, end) << file << ": chunk " << std::hex << id << " runs past its parent";
    const size_t data = at + 6, stop = at + len;
    if (isContainer(id)) {
      walk(b, data, stop, stats, file);
    } else if (id == 0x4000) {
      walk(b, nameEnd(b, data, stop), stop, stats, file);
    } else if (id == 0x4110) {
      ++stats.vertexLists;
      EXPECT_EQ(len, 6u + 2u + 12u * get16(b, data)) << file;
    } else if (id == 0x4140) {
      EXPECT_EQ(len, 6u + 2u + 8u * get16(b, data)) << file;
    } else if (id == 0x4120) {
      ++stats.faceLists;
      walk(b, data + 2 + 8u * get16(b, data), stop, stats, file);
    } else if (id == 0x4130) {
      const size_t after = nameEnd(b, data, stop);
      EXPECT_EQ(stop, after + 2 + 2u * get16(b, after)) << file;
    } else if (id == 0x4160) {
      EXPECT_EQ(len, 6u + 48u) << file;
    } else if (id == 0xB020 || id == 0xB021 || id == 0xB022) {
      ++stats.tracks;
      const uint32_t keys = get32(b, data + 10);
      size_t p = data + 14;
      for (uint32_t k = 0; k < keys; ++k) {
        const uint16_t flags = get16(b, p + 4);
        p += 6;
        for (int bit = 0; bit < 5; ++bit) p += (flags >> bit & 1) ? 4 : 0;
        p += id == 0xB021 ? 16 : 12;
      }
      EXPECT_EQ(p, stop) << file << ": track " << std::hex << id;
    } else if (id == 0xB030) {
      ++stats.nodes;
    }
    at = stop;
  }
  EXPECT_EQ(at, end) << file;
}

TEST(ModelsData, ChunkLengthsTileEveryContainerAndMatchTheirCounts) {
  for (const GeneratedModel& m : models()) {
    const std::vector<uint8_t> bytes = assetgen::writeTds(m.model);
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(get16(bytes, 0), 0x4D4D);
    EXPECT_EQ(get32(bytes, 2), bytes.size()) << m.fileName << ": main chunk covers the file";
    ChunkStats stats;
    walk(bytes, 0, bytes.size(), stats, m.fileName);
    EXPECT_EQ(stats.vertexLists, static_cast<int>(m.model.meshes.size())) << m.fileName;
    EXPECT_EQ(stats.faceLists, static_cast<int>(m.model.meshes.size())) << m.fileName;
    EXPECT_EQ(stats.nodes, static_cast<int>(m.model.nodes.size())) << m.fileName;
  }
}

TEST(ModelsData, MeshesFitTheFormatAndEveryFaceHasOneMaterial) {
  for (const GeneratedModel& m : models()) {
    EXPECT_EQ(assetgen::validateModel(m.model), "") << m.fileName;
    size_t faces = 0;
    for (const TdsMesh& mesh : m.model.meshes) {
      std::vector<int> owners(mesh.faces.size(), 0);
      for (const auto& g : mesh.groups)
        for (const uint16_t f : g.faces) ++owners[f];
      for (size_t f = 0; f < owners.size(); ++f)
        ASSERT_EQ(owners[f], 1) << m.fileName << " " << mesh.name << " face " << f;
      for (const auto& f : mesh.faces) {
        ASSERT_LT(f.a, mesh.vertices.size());
        ASSERT_LT(f.b, mesh.vertices.size());
        ASSERT_LT(f.c, mesh.vertices.size());
      }
      faces += mesh.faces.size();
    }
    // Hundreds to a few thousand triangles, not millions.
    EXPECT_GE(faces, 300u) << m.fileName;
    EXPECT_LE(faces, 12000u) << m.fileName;
  }
}

TEST(ModelsData, GenerationIsDeterministic) {
  const std::vector<GeneratedModel> again = assetgen::buildModels();
  ASSERT_EQ(again.size(), models().size());
  for (size_t i = 0; i < again.size(); ++i) {
    EXPECT_EQ(assetgen::writeTds(again[i].model), assetgen::writeTds(models()[i].model)) << again[i].fileName;
    EXPECT_EQ(again[i].clips, models()[i].clips);
  }
}

// ----------------------------------------------------------------- sizes
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

Box boundsOf(const TdsModel& m, const std::string& meshPrefix = "") {
  Box b;
  for (const TdsMesh& mesh : m.meshes)
    if (mesh.name.compare(0, meshPrefix.size(), meshPrefix) == 0)
      for (const Vec3& v : mesh.vertices) b.add(v);
  return b;
}

TEST(ModelsData, SizesFollowTheWorldScale) {
  const Box cow = boundsOf(models()[kCow].model);
  EXPECT_GE(cow.extent(0), 125.0f);  // nose to tail
  EXPECT_LE(cow.extent(0), 175.0f);
  EXPECT_GE(cow.extent(2), 110.0f);  // hooves to horns
  EXPECT_LE(cow.extent(2), 140.0f);
  EXPECT_LE(cow.extent(1), cow.extent(0) * 0.6f);
  const Box beer = boundsOf(models()[kBeer].model);
  EXPECT_GE(beer.extent(2), 80.0f);
  EXPECT_LE(beer.extent(2), 100.0f);
  const Box tree = boundsOf(models()[kTree].model);
  EXPECT_GE(tree.extent(2), 600.0f);
  EXPECT_LE(tree.extent(2), 1000.0f);
  // The ghost is a cow at the cow's own scale.
  const Box ghost = boundsOf(models()[kGhost].model);
  for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(ghost.extent(axis), cow.extent(axis), cow.extent(axis) * 0.15f);
  // Scenery stands z-up on the ground plane.
  for (const int i : {1, 2, 3, 4, 8}) {
    EXPECT_NEAR(boundsOf(models()[i].model).lo[2], 0.0f, 1.0f) << models()[i].fileName;
  }
}

// ------------------------------------------------------------------ axes
vorn::VornVector worldOf(const vorn::VornTransform& t, const Vec3& fileCenter, const Vec3& p) {
  vorn::VornVector v(p[0] - fileCenter[0], p[1] - fileCenter[1], p[2] - fileCenter[2]);
  t.transformPoint(v);
  return v;
}

Vec3 meanOf(const TdsModel& m, const std::string& meshName) {
  Vec3 sum{0, 0, 0};
  size_t n = 0;
  for (const TdsMesh& mesh : m.meshes)
    if (mesh.name == meshName)
      for (const Vec3& v : mesh.vertices) {
        for (int i = 0; i < 3; ++i) sum[i] += v[i];
        ++n;
      }
  return {sum[0] / n, sum[1] / n, sum[2] / n};
}

TEST(ModelsData, CowStandsUprightFacingTheDirectionOfTravelAfterOrient) {
  const TdsModel& cow = models()[kCow].model;
  const Box box = boundsOf(cow);
  const Vec3 center = box.center();
  const std::vector<vorn::VornVector> directions = {vorn::VornVector(0, 0, 1), vorn::VornVector(-1, 0, 1),
                                                    vorn::VornVector(0.8f, -0.3f, 0.5f)};
  for (vorn::VornVector d : directions) {
    d.normalize();
    for (const float roll : {90.0f, 80.0f}) {  // load-time placement and race pose
      vorn::VornTransform t;
      t.scaleBy(0.08f);
      t.orient(d, roll);
      // Head ahead of the body along the direction of travel.
      const vorn::VornVector head = worldOf(t, center, meanOf(cow, "cow_head"));
      const vorn::VornVector tail = worldOf(t, center, meanOf(cow, "cow_tail"));
      EXPECT_GT((head - tail).dot(d), 6.0f) << "roll " << roll;
      // Back up, hooves down: the sphere centre is 5 above the ground.
      vorn::VornVector upish =
          worldOf(t, center, {center[0], center[1], box.lo[2]}) - worldOf(t, center, {center[0], center[1], box.hi[2]});
      upish.normalize();
      vorn::VornVector worldUp = d.up();
      EXPECT_GT(upish.dot(worldUp), std::cos(11.0f * 3.14159265f / 180.0f)) << "roll " << roll;
      const vorn::VornVector leg = worldOf(t, center, meanOf(cow, "cow_leg_fl"));
      EXPECT_LT(leg.dot(worldUp), -0.8f);
      float lowest = 1e9f;
      for (const TdsMesh& mesh : cow.meshes)
        for (const Vec3& v : mesh.vertices) lowest = std::min(lowest, worldOf(t, center, v).dot(worldUp));
      if (roll == 90.0f) {
        EXPECT_NEAR(lowest, -5.0f, 0.8f);
      }
    }
  }
}

TEST(ModelsData, RidersSitOnTheCowsBackInItsFrame) {
  const Box cow = boundsOf(models()[kCow].model);
  const Box back = boundsOf(models()[kCow].model, "cow_body");
  for (const int r : {kRiderFront, kRiderBack}) {
    const TdsModel& rider = models()[r].model;
    const Box box = boundsOf(rider);
    // The back is towards file -z: the riders' bodies are above the back's top.
    const Box seat = boundsOf(rider, rider.meshes[0].name);
    EXPECT_LT(box.center()[2], back.lo[2] + 10.0f) << models()[r].fileName;
    EXPECT_GT(box.lo[0], cow.lo[0]);
    EXPECT_LT(box.hi[0], cow.hi[0]);
    EXPECT_LT(std::fabs(box.center()[1]), 2.0f);
    // The legs hang down the sides: the lowest point is well below the back.
    EXPECT_GT(seat.hi[2], back.lo[2] + 15.0f);
  }
  // One behind the other.
  EXPECT_GT(boundsOf(models()[kRiderFront].model).center()[0], boundsOf(models()[kRiderBack].model).center()[0]);
}

// ------------------------------------------------------------- rotations
TEST(ModelsData, RelativeRotationKeysAccumulateBackToTheAbsoluteOnes) {
  std::vector<assetgen::RotationKey> absolute = {
      {0, 0.0f, {0, 0, 1}}, {10, 1.2f, {0, 1, 0}}, {20, 2.6f, {0, 1, 0}}, {30, 0.7f, {1, 0.5f, 0}}};
  const std::vector<assetgen::RotationKey> rel = assetgen::relativeRotationKeys(absolute);
  ASSERT_EQ(rel.size(), absolute.size());
  for (size_t i = 0; i < rel.size(); ++i) {
    // The reader negates the angle and turns by R(i) * R(i-1) * ... * R(0).
    vorn::VornMatrix accumulated;
    for (size_t j = i + 1; j-- > 0;)
      accumulated.rotate(-rel[j].angle * 180.0f / 3.14159265f, rel[j].axis[0], rel[j].axis[1], rel[j].axis[2]);
    vorn::VornMatrix expected;
    const Vec3 a = assetgen::normalized(absolute[i].axis);
    expected.rotate(absolute[i].angle * 180.0f / 3.14159265f, a[0], a[1], a[2]);
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(accumulated.m[k], expected.m[k], 1e-4f) << "key " << i;
    EXPECT_EQ(rel[i].frame, absolute[i].frame);
  }
}

// ------------------------------------------------------- the game's loader
struct Loaded {
  vorn::VornModelTables tables;
  vorn::VornLoadedModel model;
};

std::unique_ptr<Loaded> load(const GeneratedModel& m) {
  auto out = std::make_unique<Loaded>();
  const std::vector<uint8_t> bytes = assetgen::writeTds(m.model);
  int nextTexture = 1;
  std::map<std::string, int> cache;
  out->model = vorn::buildModelFromBytes(
      bytes.data(), bytes.size(), "data/models/" + m.fileName,
      [&](const std::string& path) {
        auto it = cache.find(path);
        if (it == cache.end()) it = cache.emplace(path, nextTexture++).first;
        return it->second;
      },
      out->tables);
  return out;
}

TEST(ModelsData, EveryModelLoadsThroughTheGameLoaderWithoutFaults) {
  std::set<std::string> textureFiles;
  for (const auto& t : assetgen::buildModelTextures()) textureFiles.insert(t.fileName);
  for (const GeneratedModel& m : models()) {
    const auto loaded = load(m);
    const vorn::VornLoadedModel& l = loaded->model;
    EXPECT_TRUE(l.faults.empty()) << m.fileName << ": " << (l.faults.empty() ? "" : l.faults[0]);
    ASSERT_EQ(l.parts.size(), m.model.meshes.size()) << m.fileName;
    size_t faces = 0, textured = 0;
    for (size_t i = 0; i < l.parts.size(); ++i) {
      const TdsMesh& mesh = m.model.meshes[i];
      EXPECT_EQ(l.parts[i]->name, mesh.name);
      EXPECT_EQ(l.parts[i]->vertexCount(), mesh.vertices.size());
      EXPECT_EQ(l.parts[i]->faceCount(), mesh.faces.size());
      EXPECT_TRUE(l.parts[i]->hadMaterialGroups) << mesh.name << " would be drawn with \"default\"";
      faces += mesh.faces.size();
      for (const auto& g : mesh.groups) {
        for (const auto& mat : m.model.materials)
          if (mat.name == g.material && !mat.textureMap.empty()) textured += g.faces.size();
      }
      // Animated models bind every part to its node.
      if (!m.model.nodes.empty()) {
        EXPECT_NE(l.parts[i]->node, nullptr) << mesh.name;
      }
    }
    EXPECT_EQ(l.layout.faceCount, faces) << m.fileName;
    EXPECT_EQ(l.layout.texturedFaceCount, textured) << m.fileName;
    EXPECT_EQ(l.nodes.size(), m.model.nodes.size()) << m.fileName;
    // Every material of the file is in the shared list, textured ones with a group.
    for (const auto& mat : m.model.materials) {
      const vorn::VornMaterial* found = vorn::findMaterialByName(loaded->tables.materials, mat.name);
      ASSERT_NE(found, nullptr) << mat.name;
      EXPECT_EQ(found->getMap1Group() > 0, !mat.textureMap.empty()) << mat.name;
      if (!mat.textureMap.empty()) {
        EXPECT_EQ(textureFiles.count(mat.textureMap), 1u) << mat.textureMap;
      }
      EXPECT_NEAR(found->diffuse[0], mat.diffuse[0] / 255.0f, 1e-6f);
    }
  }
}

// Node transform at a frame, pivot applied, as the model pass does it.
vorn::VornMatrix pose(const vorn::VornKeyNode& node, float frame) {
  vorn::VornMatrix m;
  node.evaluate(frame, m);
  node.applyPivot(m);
  return m;
}

bool isIdentity(const vorn::VornMatrix& m, float tolerance) {
  const vorn::VornMatrix id;
  for (int k = 0; k < 16; ++k)
    if (std::fabs(m.m[k] - id.m[k]) > tolerance) return false;
  return true;
}

TEST(ModelsData, ClipsStartAndEndInTheRestPoseAndEveryNodeMoves) {
  for (const int index : {kCow, kRiderFront, kRiderBack, kGhost}) {
    const GeneratedModel& m = models()[index];
    const auto loaded = load(m);
    const auto& nodes = loaded->model.nodes;
    ASSERT_GE(nodes.size(), 4u) << m.fileName;
    std::vector<vorn::VornClip> clips = vorn::parseClips(m.clips);
    if (index == kRiderFront) {  // the keys start clips 0 to 3
      EXPECT_GE(clips.size(), 4u);
    }
    if (index == kRiderBack) {  // the horn starts clip 1
      EXPECT_GE(clips.size(), 2u);
    }
    std::vector<float> restFrames = {0.0f};
    for (size_t c = 0; c < clips.size(); ++c) {
      EXPECT_GT(clips[c].length, 0);
      EXPECT_GT(clips[c].duration, 0.0f);
      // A clip holds its last frame; all but the first brace end at rest.
      if (!(index == kRiderFront && c == 0)) restFrames.push_back(static_cast<float>(clips[c].start + clips[c].length));
    }
    for (const auto& node : nodes) {
      for (const float f : restFrames) EXPECT_TRUE(isIdentity(pose(*node, f), 1e-3f)) << node->name << " frame " << f;
      bool moves = false;
      for (float f = 1.0f; f < 80.0f && !moves; f += 1.0f) moves = !isIdentity(pose(*node, f), 1e-3f);
      EXPECT_TRUE(moves) << m.fileName << ": node " << node->name << " never moves";
      EXPECT_GE(node->rotationFrames.size() + node->positionFrames.size() + node->scaleFrames.size(), 4u);
    }
  }
  // The front rider's brace clip ends leaning back, not at rest.
  const auto front = load(models()[kRiderFront]);
  EXPECT_FALSE(isIdentity(pose(*front->model.nodes[0], 10.0f), 1e-3f));
}

TEST(ModelsData, NodesAndKeysReadBackAsWritten) {
  for (const GeneratedModel& m : models()) {
    const auto loaded = load(m);
    ASSERT_EQ(loaded->model.nodes.size(), m.model.nodes.size());
    for (size_t i = 0; i < m.model.nodes.size(); ++i) {
      const assetgen::TdsNode& w = m.model.nodes[i];
      const vorn::VornKeyNode& r = *loaded->model.nodes[i];
      EXPECT_EQ(r.name, w.name);
      EXPECT_EQ(r.parentId, w.parent);
      EXPECT_EQ(r.pivot.x, w.pivot[0]);
      // Parents come first, so evaluation can rely on them.
      EXPECT_LT(w.parent, static_cast<int>(i));
      if (w.parent >= 0) {
        ASSERT_NE(r.parent, nullptr) << r.name;
        EXPECT_EQ(r.parent->name, m.model.nodes[w.parent].name);
      }
      ASSERT_EQ(r.positionFrames.size(), w.position.size()) << r.name;
      for (size_t k = 0; k < w.position.size(); ++k) {
        EXPECT_EQ(r.positionFrames[k], w.position[k].frame);
        EXPECT_EQ(r.positionValues[k * 3 + 2], w.position[k].value[2]);
      }
      const std::vector<assetgen::RotationKey> rel = assetgen::relativeRotationKeys(w.rotation);
      ASSERT_EQ(r.rotationFrames.size(), rel.size()) << r.name;
      for (size_t k = 0; k < rel.size(); ++k) {
        EXPECT_NEAR(r.rotationValues[k * 4], -rel[k].angle * 180.0f / 3.14159265f, 1e-3f);
        EXPECT_EQ(r.rotationValues[k * 4 + 3], rel[k].axis[2]);
      }
      ASSERT_EQ(r.scaleFrames.size(), w.scale.size()) << r.name;
    }
  }
  // At least one track carries spline values that the reader must skip.
  bool eased = false;
  for (const auto& n : models()[kCow].model.nodes) eased = eased || n.splineFlags != 0;
  EXPECT_TRUE(eased);
}

TEST(ModelsData, MaterialNamesAreUniqueAcrossTheSet) {
  // The game shares one material list and resolves groups by the first
  // material of a name: two different materials must never share one.
  std::map<std::string, std::string> owner;
  for (const GeneratedModel& m : models()) {
    for (const auto& mat : m.model.materials) {
      const auto inserted = owner.emplace(mat.name, m.fileName);
      EXPECT_TRUE(inserted.second) << mat.name << " in " << m.fileName << " and " << inserted.first->second;
      EXPECT_NE(mat.name, "default");
    }
  }
  // An overlay line is taken by the first material whose name is its prefix.
  for (const GeneratedModel& m : models()) {
    if (m.overlays.empty()) continue;
    const std::string key = m.overlays.substr(0, m.overlays.find('\n'));
    for (const auto& entry : owner) {
      if (entry.first != key) {
        EXPECT_NE(key.compare(0, entry.first.size(), entry.first), 0) << entry.first;
      }
    }
  }
}

// Shadow volumes need closed surfaces: after welding by position every edge
// of a caster's part is shared by exactly two faces, in opposite directions.
TEST(ModelsData, ShadowCastersAreClosedAfterWelding) {
  for (const int index : {kCow, kRiderFront, kRiderBack}) {
    for (const TdsMesh& mesh : models()[index].model.meshes) {
      std::map<std::array<float, 3>, size_t> first;
      std::vector<size_t> weld(mesh.vertices.size());
      for (size_t i = 0; i < mesh.vertices.size(); ++i) weld[i] = first.emplace(mesh.vertices[i], i).first->second;
      std::map<std::pair<size_t, size_t>, int> directed;
      for (const auto& f : mesh.faces) {
        const size_t v[3] = {weld[f.a], weld[f.b], weld[f.c]};
        for (int e = 0; e < 3; ++e) ++directed[{v[e], v[(e + 1) % 3]}];
      }
      size_t open = 0;
      for (const auto& [edge, count] : directed) {
        if (count != 1 || directed.count({edge.second, edge.first}) == 0 ||
            directed.at({edge.second, edge.first}) != 1) {
          ++open;
        }
      }
      EXPECT_EQ(open, 0u) << models()[index].fileName << " " << mesh.name;
    }
  }
}

// Faces wind counter-clockwise seen from outside (the game culls the back
// faces): the volume enclosed by a closed part comes out positive.
TEST(ModelsData, ClosedPartsFaceOutwards) {
  for (const int index : {kCow, kBeer, 3, kRiderFront, kRiderBack, kGhost}) {
    for (const TdsMesh& mesh : models()[index].model.meshes) {
      double volume = 0.0;
      for (const auto& f : mesh.faces) {
        const Vec3 &a = mesh.vertices[f.a], &b = mesh.vertices[f.b], &c = mesh.vertices[f.c];
        volume += assetgen::dot(a, assetgen::cross(b, c)) / 6.0;
      }
      Box box;
      for (const Vec3& v : mesh.vertices) box.add(v);
      // Clearly positive (limbs fill little of their box): not turned inside out.
      EXPECT_GT(volume, 0.05 * box.extent(0) * box.extent(1) * box.extent(2))
          << models()[index].fileName << " " << mesh.name;
    }
  }
}

TEST(ModelsData, TreeNeedlesGetTheirCutOutFromTheOverlayFile) {
  const GeneratedModel& tree = models()[kTree];
  const auto loaded = load(tree);
  const std::vector<vorn::VornOverlayRequest> requests = vorn::parseOverlays(tree.overlays, loaded->tables.materials);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].material->getName(), "tree_needles");
  EXPECT_EQ(requests[0].textureFile, "data/textures/firmask.bmp");
  // The game's alpha test passes alpha exactly 0 (alpha = red of the mask):
  // the needles are black, the gaps are not, and both occur.
  const assetgen::Pixels mask = assetgen::makeFirMask();
  size_t drawn = 0;
  for (uint32_t y = 0; y < mask.height; ++y)
    for (uint32_t x = 0; x < mask.width; ++x) drawn += mask.at(x, y)[0] == 0;
  EXPECT_GT(drawn, mask.width * mask.height / 8);
  EXPECT_LT(drawn, mask.width * mask.height * 7 / 8);
}

TEST(ModelsData, TexturesTileAndMapNamesFitEightDotThree) {
  for (const auto& t : assetgen::buildModelTextures()) {
    EXPECT_LE(t.fileName.size(), 12u) << t.fileName;
    EXPECT_EQ(t.pixels.width, assetgen::kModelTextureSize);
    if (t.fileName == "firmask.bmp" || t.fileName == "firneedl.bmp" || t.fileName == "beerlab.bmp") continue;
    // Opposite edges continue each other: the seam step is like any other step.
    const uint32_t w = t.pixels.width, h = t.pixels.height;
    double seamU = 0.0, seamV = 0.0, inner = 0.0;
    for (uint32_t i = 0; i < w; ++i) {
      for (int c = 0; c < 3; ++c) {
        seamU += std::abs(t.pixels.at(0, i)[c] - t.pixels.at(w - 1, i)[c]);
        seamV += std::abs(t.pixels.at(i, 0)[c] - t.pixels.at(i, h - 1)[c]);
        for (uint32_t x = 0; x + 1 < w; ++x) inner += std::abs(t.pixels.at(x, i)[c] - t.pixels.at(x + 1, i)[c]);
      }
    }
    inner /= (w - 1);  // the mean step between neighbouring columns
    EXPECT_LT(seamU, inner * 2.0 + 300.0) << t.fileName;
    EXPECT_LT(seamV, inner * 2.0 + 300.0) << t.fileName;
  }
}

}  // namespace
