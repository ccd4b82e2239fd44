// The 3DS chunk parser: model file bytes into plain parts, materials and keyframer nodes; no
// device or file access. Units: bytes in, model units out. Cost: one pass, linear in the size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/material.h"
#include "assets/model_part.h"

namespace vorn {

// Chunk ids the parser understands. The file is little-endian chunks of a
// 16-bit id and a 32-bit length that includes the 6 header bytes. Container
// chunks hold sub-chunks; the object block (0x4000) and the face list (0x4120)
// hold data first and sub-chunks after it. A keyframer node (0xB002) animates
// the part whose name equals the node's name (node header 0xB010).
namespace chunk3ds {
constexpr uint16_t kMain = 0x4D4D;
constexpr uint16_t kVersion = 0x0002;
constexpr uint16_t kColor24 = 0x0011;
constexpr uint16_t kColor24Gamma = 0x0012;
constexpr uint16_t kPercent = 0x0030;
constexpr uint16_t kMasterScale = 0x0100;
constexpr uint16_t kShadowBias = 0x1400;
constexpr uint16_t kShadowMapSize = 0x1420;
constexpr uint16_t kMeshData = 0x3D3D;
constexpr uint16_t kMeshVersion = 0x3D3E;
constexpr uint16_t kObject = 0x4000;
constexpr uint16_t kTriMesh = 0x4100;
constexpr uint16_t kVertices = 0x4110;
constexpr uint16_t kFaces = 0x4120;
constexpr uint16_t kFaceMaterial = 0x4130;
constexpr uint16_t kTexCoords = 0x4140;
constexpr uint16_t kSmoothGroups = 0x4150;
constexpr uint16_t kLocalAxes = 0x4160;
constexpr uint16_t kMaterialName = 0xA000;
constexpr uint16_t kAmbient = 0xA010;
constexpr uint16_t kDiffuse = 0xA020;
constexpr uint16_t kSpecular = 0xA030;
constexpr uint16_t kShininess = 0xA040;
constexpr uint16_t kShininessStrength = 0xA041;
constexpr uint16_t kTransparency = 0xA050;
constexpr uint16_t kTransparencyFalloff = 0xA052;
constexpr uint16_t kReflectBlur = 0xA053;
constexpr uint16_t kSelfIllumination = 0xA084;
constexpr uint16_t kWireThickness = 0xA087;
constexpr uint16_t kFlagA08A = 0xA08A;
constexpr uint16_t kFlagA08C = 0xA08C;
constexpr uint16_t kShading = 0xA100;
constexpr uint16_t kMap1 = 0xA200;
constexpr uint16_t kBumpMap = 0xA230;
constexpr uint16_t kBumpStrength = 0xA252;
constexpr uint16_t kMap2 = 0xA33A;
constexpr uint16_t kMapFile = 0xA300;
constexpr uint16_t kMapOptions = 0xA351;
constexpr uint16_t kMapBlur = 0xA353;
constexpr uint16_t kMapScaleU = 0xA354;
constexpr uint16_t kMapScaleV = 0xA356;
constexpr uint16_t kMapOffsetU = 0xA358;
constexpr uint16_t kMapOffsetV = 0xA35A;
constexpr uint16_t kMapRotation = 0xA35C;
constexpr uint16_t kMaterialBlock = 0xAFFF;
constexpr uint16_t kKeyframer = 0xB000;
constexpr uint16_t kNodeObject = 0xB002;
constexpr uint16_t kKeySegment = 0xB008;
constexpr uint16_t kKeyCurrentTime = 0xB009;
constexpr uint16_t kKeyHeader = 0xB00A;
constexpr uint16_t kNodeHeader = 0xB010;
constexpr uint16_t kNodeInstance = 0xB011;
constexpr uint16_t kNodePivot = 0xB013;
constexpr uint16_t kNodeBounds = 0xB014;
constexpr uint16_t kTrackPosition = 0xB020;
constexpr uint16_t kTrackRotation = 0xB021;
constexpr uint16_t kTrackScale = 0xB022;
constexpr uint16_t kNodeId = 0xB030;
}  // namespace chunk3ds

// Everything one file holds, before post-processing.
struct VornModelData {
  std::vector<std::unique_ptr<VornObjectPart>> parts;
  // Material blocks in file order, with map file names but no texture indices yet.
  std::vector<std::unique_ptr<VornMaterial>> materials;
  std::vector<std::unique_ptr<VornKeyNode>> nodes;
};

// More triangles than this in one model are refused (the three buffers of
// such a model would take over 70 MB).
constexpr uint32_t kMaxModelTriangles = 1000000;

struct VornParseResult {
  bool complete = true;  // false: the file was damaged; `fault` says where
  std::string fault;     // one line without a line end
};

// Parses `size` bytes into parts (vertices, faces, texture coordinates, local
// axes, material groups), material blocks (colours, amounts, map file names)
// and keyframer nodes with their tracks. Damaged input ends the parse with a
// one-line reason; the parser never reads outside the bytes, allocates only
// what the bytes can back and always advances. `log`, when given, receives the chunk trace that the
// loader writes to "3ds.txt". The model keeps everything read before a fault.
VornParseResult parse3ds(const uint8_t* data, size_t size, VornModelData& model,
                         std::string* log = nullptr);

// Checks what the chunks cannot check one by one: face corners beyond the
// part's vertices (the part loses its faces and groups) and material groups
// naming faces the part does not have (the group is dropped), and parts that
// would take the model past kMaxModelTriangles (they lose their faces).
// Returns the first fault found, or an empty string.
std::string validateModel(VornModelData& model);

// Binds every part to the first node of the same name.
void bindNodesToParts(VornModelData& model);

}  // namespace vorn
