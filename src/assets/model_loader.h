// The CPU half of loading one 3DS model, from bytes to the buffer layout; runs without a display.
// Units: bytes in, model units out. Cost: linear in the file size (welding through a hash).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/material.h"
#include "assets/model_build.h"
#include "assets/model_part.h"
#include "base/file_io.h"

namespace vorn {

// Folder that 3DS map file names are relative to.
constexpr const char* kModelTextureFolder = "data/textures/";
// Files above this size are refused rather than read into memory.
constexpr size_t kMaxModelFileBytes = 64u * 1024u * 1024u;

// The three tables every model load shares: the material list, the texture
// groups and the untextured materials. The game owns one set.
struct VornModelTables {
  VornMaterialList materials;
  VornTextureGroupList textureGroups;
  VornUntexturedList untexturedMaterials;
};

// Texture-cache index for a map path ("data/textures/" + the stored name).
using VornTextureLookup = std::function<int(const std::string& path)>;

struct VornLoadedModel {
  VornPartList parts;
  std::vector<std::unique_ptr<VornKeyNode>> nodes;
  VornModelLayout layout;
  std::vector<VornMaterial*> newlyPlaced;  // to be compiled by the device layer
  VornMaterial* defaultMaterial = nullptr;
  VornVector boundsMin, boundsMax, center;
  std::vector<std::string> faults;  // one err.txt detail each, without tab or line end
  std::string trace;                // the chunk trace for "3ds.txt"
  std::string materialReport;       // the buffer order for "materials.txt"
};

// Parses and checks the bytes, hands the file's materials to the shared list
// (texture maps become texture groups through `lookup`), links the keyframer
// nodes, welds, computes normals, places the new materials and lays all
// triangles out for the three buffers. The device layer (model.h) reads the
// file, uploads the layout and compiles the newly placed materials.
VornLoadedModel buildModelFromBytes(const uint8_t* data, size_t size, const std::string& fileName,
                                    const VornTextureLookup& lookup, VornMaterialList& materials,
                                    VornTextureGroupList& textureGroups, VornUntexturedList& untexturedMaterials);
inline VornLoadedModel buildModelFromBytes(const uint8_t* data, size_t size, const std::string& fileName,
                                           const VornTextureLookup& lookup, VornModelTables& tables) {
  return buildModelFromBytes(data, size, fileName, lookup, tables.materials, tables.textureGroups,
                             tables.untexturedMaterials);
}

}  // namespace vorn
