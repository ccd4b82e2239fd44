// Post-processing of a parsed 3DS model on the CPU: welding, normals, material groups, the buffer
// layout, bounds, rest matrices and the ".ani"/".mat" side files. Units: model units.
// Cost: welding is one hash lookup a vertex; the rest is linear in vertices and faces.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/material.h"
#include "assets/model_part.h"

namespace vorn {

using VornPartList = std::vector<std::unique_ptr<VornObjectPart>>;

// Every reference to a vertex is replaced by the first vertex at exactly the
// same position (the vertex array itself is kept whole).
void weldVertices(VornObjectPart& part);

// Face normals and averaged, normalized vertex normals.
void computeNormals(VornObjectPart& part);

// Gives each material group the first material of the list with its name; a
// group whose name is not in the list is drawn with `fallback`. Returns the
// first name that was not found, or an empty string.
std::string resolveMaterialGroups(VornPartList& parts, const VornMaterialList& materials,
                                  VornMaterial* fallback);

// All triangles of a model in buffer order: one vertex, normal and
// texture-coordinate array, textured triangles first so that they line up with
// the texture coordinates. The device layer uploads it and draws from it.
struct VornModelLayout {
  uint32_t faceCount = 0;
  uint32_t texturedFaceCount = 0;
  std::vector<float> vertexData;    // 9 floats a triangle
  std::vector<float> normalData;    // 9 floats a triangle
  std::vector<float> texCoordData;  // 6 floats a textured triangle
};

// Three passes: textured groups, then untextured groups, then the parts without
// material groups (as one group drawn with `defaultMaterial`), records each
// group's start and registers the part with its material. `report`, when
// given, receives the buffer order for "materials.txt".
VornModelLayout buildLayout(VornPartList& parts, VornMaterial* defaultMaterial,
                            std::string* report = nullptr);

// Union of the parts' bounds; all zero without parts.
void computeModelBounds(const VornPartList& parts, VornVector& boundsMin, VornVector& boundsMax);

// The matrix a static part is drawn with: T(-center), the node at frame 0
// with its pivot, then the part's own frame.
VornMatrix restMatrix(const VornObjectPart& part, const VornVector& center);

// The model's file name with its last three characters replaced by `suffix`
// ("ani" or "mat"); empty when the name is shorter than that.
std::string sideFileName(const std::string& modelFile, const char* suffix);

// Clip lines "first last seconds"; other lines are ignored.
std::vector<VornClip> parseClips(const std::string& text);

// One overlay request of a ".mat" file: a material and its texture file.
struct VornOverlayRequest {
  VornMaterial* material = nullptr;
  std::string textureFile;
};

// Each line whose beginning is a material's name (the first such material of
// the list) takes the following line as its texture file name.
std::vector<VornOverlayRequest> parseOverlays(const std::string& text,
                                              const VornMaterialList& materials);

}  // namespace vorn
