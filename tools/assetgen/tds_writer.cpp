#include "assetgen/tds_writer.h"

#include <cassert>
#include <cmath>
#include <cstring>

namespace assetgen {

void ChunkWriter::begin(uint16_t id) {
  open_.push_back(bytes_.size());
  u16(id);
  u32(0);  // patched by end()
}

void ChunkWriter::end() {
  assert(!open_.empty() && "ChunkWriter::end without begin");
  const size_t start = open_.back();
  open_.pop_back();
  const uint32_t length = static_cast<uint32_t>(bytes_.size() - start);
  for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
}

void ChunkWriter::u16(uint16_t v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void ChunkWriter::u32(uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ChunkWriter::f32(float v) {
  uint32_t bits = 0;
  static_assert(sizeof(bits) == sizeof(v), "float is 32-bit");
  std::memcpy(&bits, &v, sizeof(bits));
  u32(bits);
}

void ChunkWriter::vec3(const Vec3& v) {
  f32(v[0]);
  f32(v[1]);
  f32(v[2]);
}

void ChunkWriter::name(const std::string& s) {
  for (const char c : s) u8(static_cast<uint8_t>(c));
  u8(0);
}

namespace {

struct Quat {
  double w, x, y, z;
};

Quat fromAxisAngle(const RotationKey& k) {
  const double len =
      std::sqrt(double{k.axis[0]} * k.axis[0] + double{k.axis[1]} * k.axis[1] + double{k.axis[2]} * k.axis[2]);
  if (len <= 0.0) return {1.0, 0.0, 0.0, 0.0};
  const double h = 0.5 * k.angle;
  const double s = std::sin(h) / len;
  return {std::cos(h), k.axis[0] * s, k.axis[1] * s, k.axis[2] * s};
}

Quat multiply(const Quat& a, const Quat& b) {
  return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Quat conjugate(const Quat& q) { return {q.w, -q.x, -q.y, -q.z}; }

void writeColor(ChunkWriter& w, uint16_t id, const std::array<uint8_t, 3>& rgb) {
  w.begin(id);
  w.begin(chunk::kColor24);
  for (const uint8_t c : rgb) w.u8(c);
  w.end();
  w.end();
}

void writePercent(ChunkWriter& w, uint16_t id, uint16_t percent) {
  w.begin(id);
  w.begin(chunk::kPercent);
  w.u16(percent);
  w.end();
  w.end();
}

void writeMaterial(ChunkWriter& w, const TdsMaterial& m) {
  w.begin(chunk::kMaterial);
  w.begin(chunk::kMatName);
  w.name(m.name);
  w.end();
  writeColor(w, chunk::kMatAmbient, m.ambient);
  writeColor(w, chunk::kMatDiffuse, m.diffuse);
  writeColor(w, chunk::kMatSpecular, m.specular);
  writePercent(w, chunk::kMatShininess, m.shininessPercent);
  writePercent(w, chunk::kMatShinStrength, m.shininessStrengthPercent);
  writePercent(w, chunk::kMatTransparency, m.transparencyPercent);
  w.begin(chunk::kMatShading);
  w.u16(3);  // Phong
  w.end();
  if (!m.textureMap.empty()) {
    w.begin(chunk::kMatTexMap);
    w.begin(chunk::kPercent);
    w.u16(100);
    w.end();
    w.begin(chunk::kMapFileName);
    w.name(m.textureMap);
    w.end();
    w.begin(chunk::kMapOptions);
    w.u16(0);
    w.end();
    w.begin(chunk::kMapUScale);
    w.f32(1.0f);
    w.end();
    w.begin(chunk::kMapVScale);
    w.f32(1.0f);
    w.end();
    w.end();
  }
  w.end();
}

void writeMesh(ChunkWriter& w, const TdsMesh& mesh) {
  w.begin(chunk::kObject);
  w.name(mesh.name);
  w.begin(chunk::kTriMesh);

  w.begin(chunk::kVertexList);
  w.u16(static_cast<uint16_t>(mesh.vertices.size()));
  for (const Vec3& v : mesh.vertices) w.vec3(v);
  w.end();

  if (!mesh.uvs.empty()) {
    w.begin(chunk::kTexCoords);
    w.u16(static_cast<uint16_t>(mesh.uvs.size()));
    for (const auto& uv : mesh.uvs) {
      w.f32(uv[0]);
      w.f32(uv[1]);
    }
    w.end();
  }

  // Identity axes at the origin: the vertices are already where the part
  // sits in the model, and the reader uses these axes as the part's matrix.
  w.begin(chunk::kLocalAxes);
  w.vec3({1.0f, 0.0f, 0.0f});
  w.vec3({0.0f, 1.0f, 0.0f});
  w.vec3({0.0f, 0.0f, 1.0f});
  w.vec3({0.0f, 0.0f, 0.0f});
  w.end();

  w.begin(chunk::kFaceList);
  w.u16(static_cast<uint16_t>(mesh.faces.size()));
  for (const TdsFace& f : mesh.faces) {
    w.u16(f.a);
    w.u16(f.b);
    w.u16(f.c);
    w.u16(f.flags);
  }
  for (const TdsFaceGroup& g : mesh.groups) {
    w.begin(chunk::kFaceMaterial);
    w.name(g.material);
    w.u16(static_cast<uint16_t>(g.faces.size()));
    for (const uint16_t f : g.faces) w.u16(f);
    w.end();
  }
  w.begin(chunk::kSmoothGroups);
  for (size_t i = 0; i < mesh.faces.size(); ++i) w.u32(1);
  w.end();
  w.end();  // face list

  w.end();  // triangle mesh
  w.end();  // object
}

void writeKeyHeader(ChunkWriter& w, int32_t frame, uint16_t splineFlags) {
  w.u32(static_cast<uint32_t>(frame));
  w.u16(splineFlags);
  for (int bit = 0; bit < 5; ++bit) {
    if (splineFlags & (1u << bit)) w.f32(0.0f);
  }
}

void writeTrackHeader(ChunkWriter& w, size_t keyCount) {
  w.u16(0);  // track flags: single play
  w.u32(0);
  w.u32(0);
  w.u32(static_cast<uint32_t>(keyCount));
}

void writeVectorTrack(ChunkWriter& w, uint16_t id, const std::vector<VectorKey>& keys, uint16_t splineFlags) {
  if (keys.empty()) return;
  w.begin(id);
  writeTrackHeader(w, keys.size());
  for (const VectorKey& k : keys) {
    writeKeyHeader(w, k.frame, splineFlags);
    w.vec3(k.value);
  }
  w.end();
}

void boundsOf(const TdsMesh* mesh, Vec3& lo, Vec3& hi) {
  lo = {0.0f, 0.0f, 0.0f};
  hi = {0.0f, 0.0f, 0.0f};
  if (!mesh || mesh->vertices.empty()) return;
  lo = hi = mesh->vertices[0];
  for (const Vec3& v : mesh->vertices) {
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::fmin(lo[i], v[i]);
      hi[i] = std::fmax(hi[i], v[i]);
    }
  }
}

void writeNode(ChunkWriter& w, const TdsModel& model, size_t index) {
  const TdsNode& node = model.nodes[index];
  w.begin(chunk::kObjectNode);
  w.begin(chunk::kNodeId);
  w.i16(static_cast<int16_t>(index));
  w.end();
  w.begin(chunk::kNodeHeader);
  w.name(node.name);
  w.u16(0x4000);  // flags 1
  w.u16(0);       // flags 2
  w.i16(node.parent);
  w.end();
  w.begin(chunk::kPivot);
  w.vec3(node.pivot);
  w.end();
  const TdsMesh* mesh = nullptr;
  for (const TdsMesh& m : model.meshes) {
    if (m.name == node.name) mesh = &m;
  }
  Vec3 lo, hi;
  boundsOf(mesh, lo, hi);
  w.begin(chunk::kBoundBox);
  w.vec3(lo);
  w.vec3(hi);
  w.end();
  writeVectorTrack(w, chunk::kPositionTrack, node.position, node.splineFlags);
  if (!node.rotation.empty()) {
    const std::vector<RotationKey> relative = relativeRotationKeys(node.rotation);
    w.begin(chunk::kRotationTrack);
    writeTrackHeader(w, relative.size());
    for (const RotationKey& k : relative) {
      writeKeyHeader(w, k.frame, node.splineFlags);
      w.f32(k.angle);
      w.vec3(k.axis);
    }
    w.end();
  }
  writeVectorTrack(w, chunk::kScaleTrack, node.scale, node.splineFlags);
  w.end();
}

}  // namespace

std::vector<RotationKey> relativeRotationKeys(const std::vector<RotationKey>& absolute) {
  std::vector<RotationKey> out;
  out.reserve(absolute.size());
  Quat previous{1.0, 0.0, 0.0, 0.0};
  for (const RotationKey& key : absolute) {
    const Quat q = fromAxisAngle(key);
    Quat rel = multiply(q, conjugate(previous));
    if (rel.w < 0.0) rel = {-rel.w, -rel.x, -rel.y, -rel.z};  // the short way round
    previous = q;
    const double s = std::sqrt(rel.x * rel.x + rel.y * rel.y + rel.z * rel.z);
    RotationKey k;
    k.frame = key.frame;
    if (s < 1e-9) {
      k.angle = 0.0f;
      k.axis = {0.0f, 0.0f, 1.0f};
    } else {
      const double angle = 2.0 * std::atan2(s, rel.w);
      // The reader turns by minus the stored angle.
      k.angle = static_cast<float>(-angle);
      k.axis = {static_cast<float>(rel.x / s), static_cast<float>(rel.y / s), static_cast<float>(rel.z / s)};
    }
    out.push_back(k);
  }
  return out;
}

std::string validateModel(const TdsModel& model) {
  for (const TdsMaterial& m : model.materials) {
    if (m.name.empty() || m.name.size() > kMaxNameLength) return "material name length: " + m.name;
    if (m.textureMap.size() > kMaxMapNameLength) return "map name too long: " + m.textureMap;
  }
  for (const TdsMesh& mesh : model.meshes) {
    if (mesh.name.empty() || mesh.name.size() > kMaxNameLength) return "mesh name length: " + mesh.name;
    if (mesh.vertices.size() > kMaxMeshElements || mesh.faces.size() > kMaxMeshElements)
      return "mesh too large for 16-bit counts: " + mesh.name;
    if (!mesh.uvs.empty() && mesh.uvs.size() != mesh.vertices.size()) return "uv count differs: " + mesh.name;
    for (const TdsFace& f : mesh.faces) {
      if (f.a >= mesh.vertices.size() || f.b >= mesh.vertices.size() || f.c >= mesh.vertices.size())
        return "face index beyond vertices: " + mesh.name;
    }
    for (const TdsFaceGroup& g : mesh.groups) {
      bool known = false;
      for (const TdsMaterial& m : model.materials) known = known || m.name == g.material;
      if (!known) return "group names unknown material: " + g.material;
      for (const uint16_t f : g.faces) {
        if (f >= mesh.faces.size()) return "group names missing face: " + mesh.name;
      }
    }
  }
  for (const TdsNode& n : model.nodes) {
    if (n.name.empty() || n.name.size() > kMaxNameLength) return "node name length: " + n.name;
    if (n.parent >= static_cast<int>(model.nodes.size())) return "node parent out of range: " + n.name;
  }
  return {};
}

std::vector<uint8_t> writeTds(const TdsModel& model) {
  assert(validateModel(model).empty() && "writeTds: model violates the format's limits");
  ChunkWriter w;
  w.begin(chunk::kMain);
  w.begin(chunk::kVersion);
  w.u32(3);
  w.end();
  w.begin(chunk::kMeshData);
  w.begin(chunk::kMeshVersion);
  w.u32(3);
  w.end();
  for (const TdsMaterial& m : model.materials) writeMaterial(w, m);
  w.begin(chunk::kMasterScale);
  w.f32(1.0f);
  w.end();
  for (const TdsMesh& mesh : model.meshes) writeMesh(w, mesh);
  w.end();  // mesh data

  if (model.frameCount > 0 && !model.nodes.empty()) {
    w.begin(chunk::kKeyframer);
    w.begin(chunk::kKfHeader);
    w.u16(5);
    w.name("VORN");
    w.u32(static_cast<uint32_t>(model.frameCount));
    w.end();
    w.begin(chunk::kKfSegment);
    w.u32(0);
    w.u32(static_cast<uint32_t>(model.frameCount));
    w.end();
    w.begin(chunk::kKfCurrentTime);
    w.u32(0);
    w.end();
    for (size_t i = 0; i < model.nodes.size(); ++i) writeNode(w, model, i);
    w.end();
  }
  w.end();  // main
  assert(w.balanced() && "writeTds: unbalanced chunks");
  return w.bytes();
}

}  // namespace assetgen
