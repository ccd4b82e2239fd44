// VornObjectPart: one named triangle mesh of a 3DS model, plain CPU data without device access.
// Units: model units as stored in the file; matrices column-major. Cost: a few vectors per part.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "math/vector.h"

namespace vorn {

class VornObject;
class VornKeyNode;
class VornMaterial;

// Names of parts, materials and nodes are at most this many bytes.
constexpr size_t kModelNameBytes = 20;

// One material group: the faces of a part drawn with one material.
struct VornMaterialGroup {
  std::string materialName;
  std::vector<uint16_t> faces;        // face indices into the part
  int start = 0;                      // first triangle in the owner's buffers
  VornMaterial* material = nullptr;   // resolved from the shared list, not owned
  uint32_t size() const { return static_cast<uint32_t>(faces.size()); }
};

// One triangle edge for the shadow silhouette: the welded vertex indices in
// the face's winding order, the face, and the face across it (-1: open edge).
struct VornShadowEdge {
  uint32_t first = 0;
  uint32_t second = 0;
  uint32_t face = 0;
  int32_t neighbour = -1;
};

// As the chunk parser reads it and post-processing completes it (welded
// faces, normals, material groups with their buffer starts, bounds, the rest
// matrix). The device layer uploads the model-wide buffers built from the
// parts and draws them group by group.
struct VornObjectPart {
  VornMatrix matrix;  // local frame, later the rest matrix
  VornObject* owner = nullptr;
  VornKeyNode* node = nullptr;                // keyframer node, not owned
  std::string name;

  std::vector<float> vertices;       // 3 a vertex
  std::vector<float> vertexNormals;  // 3 a vertex, after computeNormals
  std::vector<float> texCoords;      // 2 a vertex (u, v)
  std::vector<uint16_t> faces;       // a, b, c, flags; welded after weldVertices
  // The face words as read, before welding: texture coordinates are looked up
  // through these so that a seam keeps both of its u, v pairs.
  std::vector<uint16_t> sourceFaces;
  std::vector<float> faceNormals;    // 3 a face

  std::vector<VornMaterialGroup> groups;
  bool hadMaterialGroups = false;    // false: the whole part was drawn with "default"

  // Local x, y and z axis and origin from the local-axes chunk.
  VornVector axes[4] = {VornVector(1, 0, 0), VornVector(0, 1, 0), VornVector(0, 0, 1),
                        VornVector(0, 0, 0)};
  VornVector boundsMin, boundsMax;
  bool matrixReady = false;
  int overlayTexture = 0;

  // Shadow volumes: three edges a face, built once after loading; the lit
  // flags and the light in this part's frame are scratch for the last volume.
  std::vector<VornShadowEdge> edges;
  std::vector<uint8_t> facesLit;
  float lightInPart[4] = {0, 0, 0, 0};

  uint32_t vertexCount() const { return static_cast<uint32_t>(vertices.size() / 3); }
  uint32_t texCoordCount() const { return static_cast<uint32_t>(texCoords.size() / 2); }
  uint32_t faceCount() const { return static_cast<uint32_t>(faces.size() / 4); }

  // The group whose buffer start is `start`, or null.
  const VornMaterialGroup* groupAt(int start) const;

  // Bounds over the vertices; all zero without vertices.
  void computeBounds();
};

}  // namespace vorn
