// 3DS chunk writer of the data generator: turns an in-memory model (named
// triangle meshes, materials with colours and an optional texture map, and a
// keyframer node hierarchy with position, rotation and scale tracks) into the
// bytes of a .3DS file. Every chunk is a little-endian 16-bit id and a 32-bit
// length that counts its 6-byte header; lengths are patched once a chunk's
// children are written. Units are file units (the game scales models when it
// places them); rotations are given to the writer as absolute orientations
// and stored the way the file format wants them: as rotations relative to the
// previous key, angle in radians with the sign the game's reader inverts.
// Cost: one pass, output proportional to the model; no file access here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

using Vec3 = std::array<float, 3>;

// Chunk ids the writer emits (the reader's table uses the same numbers).
namespace chunk {
constexpr uint16_t kMain = 0x4D4D;
constexpr uint16_t kVersion = 0x0002;
constexpr uint16_t kMeshData = 0x3D3D;
constexpr uint16_t kMeshVersion = 0x3D3E;
constexpr uint16_t kMasterScale = 0x0100;
constexpr uint16_t kColor24 = 0x0011;
constexpr uint16_t kPercent = 0x0030;
constexpr uint16_t kMaterial = 0xAFFF;
constexpr uint16_t kMatName = 0xA000;
constexpr uint16_t kMatAmbient = 0xA010;
constexpr uint16_t kMatDiffuse = 0xA020;
constexpr uint16_t kMatSpecular = 0xA030;
constexpr uint16_t kMatShininess = 0xA040;
constexpr uint16_t kMatShinStrength = 0xA041;
constexpr uint16_t kMatTransparency = 0xA050;
constexpr uint16_t kMatShading = 0xA100;
constexpr uint16_t kMatTexMap = 0xA200;
constexpr uint16_t kMapFileName = 0xA300;
constexpr uint16_t kMapOptions = 0xA351;
constexpr uint16_t kMapUScale = 0xA354;
constexpr uint16_t kMapVScale = 0xA356;
constexpr uint16_t kObject = 0x4000;
constexpr uint16_t kTriMesh = 0x4100;
constexpr uint16_t kVertexList = 0x4110;
constexpr uint16_t kFaceList = 0x4120;
constexpr uint16_t kFaceMaterial = 0x4130;
constexpr uint16_t kTexCoords = 0x4140;
constexpr uint16_t kSmoothGroups = 0x4150;
constexpr uint16_t kLocalAxes = 0x4160;
constexpr uint16_t kKeyframer = 0xB000;
constexpr uint16_t kKfHeader = 0xB00A;
constexpr uint16_t kKfSegment = 0xB008;
constexpr uint16_t kKfCurrentTime = 0xB009;
constexpr uint16_t kObjectNode = 0xB002;
constexpr uint16_t kNodeId = 0xB030;
constexpr uint16_t kNodeHeader = 0xB010;
constexpr uint16_t kPivot = 0xB013;
constexpr uint16_t kBoundBox = 0xB014;
constexpr uint16_t kPositionTrack = 0xB020;
constexpr uint16_t kRotationTrack = 0xB021;
constexpr uint16_t kScaleTrack = 0xB022;
}  // namespace chunk

// Names in the file are zero-terminated and must fit 20 bytes with the zero.
constexpr size_t kMaxNameLength = 19;
// Map file names follow the 8.3 convention of the format.
constexpr size_t kMaxMapNameLength = 12;
// Counts in mesh chunks are 16-bit.
constexpr size_t kMaxMeshElements = 65535;

struct TdsMaterial {
  std::string name;
  std::array<uint8_t, 3> ambient{60, 60, 60};
  std::array<uint8_t, 3> diffuse{200, 200, 200};
  std::array<uint8_t, 3> specular{40, 40, 40};
  uint16_t shininessPercent = 20;
  uint16_t shininessStrengthPercent = 10;
  uint16_t transparencyPercent = 0;
  std::string textureMap;  // empty: no first texture map
};

struct TdsFace {
  uint16_t a = 0, b = 0, c = 0;
  uint16_t flags = 7;  // all three edges visible
};

struct TdsFaceGroup {
  std::string material;
  std::vector<uint16_t> faces;
};

struct TdsMesh {
  std::string name;
  std::vector<Vec3> vertices;
  std::vector<std::array<float, 2>> uvs;  // empty or one per vertex
  std::vector<TdsFace> faces;
  std::vector<TdsFaceGroup> groups;
};

// Orientation key: rotation by `angle` radians about the unit `axis`, as an
// absolute orientation of the node at `frame`.
struct RotationKey {
  int32_t frame = 0;
  float angle = 0.0f;
  Vec3 axis{0.0f, 0.0f, 1.0f};
};

struct VectorKey {
  int32_t frame = 0;
  Vec3 value{0.0f, 0.0f, 0.0f};
};

// A keyframer object node. `name` is the mesh it animates; `parent` is the
// index of the parent node in the model's node list or -1. Node ids in the
// file are the node's position in the list.
struct TdsNode {
  std::string name;
  int16_t parent = -1;
  Vec3 pivot{0.0f, 0.0f, 0.0f};
  std::vector<VectorKey> position;
  std::vector<RotationKey> rotation;
  std::vector<VectorKey> scale;
  // Spline flags written on every key (bit 0 tension .. bit 4 ease from);
  // the extra floats are written as zeros.
  uint16_t splineFlags = 0;
};

struct TdsModel {
  std::vector<TdsMaterial> materials;
  std::vector<TdsMesh> meshes;
  std::vector<TdsNode> nodes;
  int32_t frameCount = 0;  // keyframer length; 0 writes no keyframer block
};

// Little-endian chunk stream with nested chunks whose lengths are patched.
class ChunkWriter {
 public:
  void begin(uint16_t id);
  void end();
  void u8(uint8_t v) { bytes_.push_back(v); }
  void u16(uint16_t v);
  void u32(uint32_t v);
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void f32(float v);
  void vec3(const Vec3& v);
  void name(const std::string& s);  // zero-terminated
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  bool balanced() const { return open_.empty(); }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<size_t> open_;
};

// Converts absolute orientation keys into the file's relative form: key i is
// the rotation that takes key i-1's orientation to key i's (key 0 relative to
// the identity), with its angle negated as the format stores it.
std::vector<RotationKey> relativeRotationKeys(const std::vector<RotationKey>& absolute);

// Checks the model against the format's limits (names, 16-bit counts, face
// indices, groups naming existing materials and faces, uv counts); returns an
// empty string when it can be written, else the first problem found.
std::string validateModel(const TdsModel& model);

// The file bytes. Asserts that the model validates.
std::vector<uint8_t> writeTds(const TdsModel& model);

}  // namespace assetgen
