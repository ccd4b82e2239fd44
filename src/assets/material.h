// VornMaterial: the 3DS models' materials and the shared tables that group them for drawing,
// device-free (display lists and drawing: material_gl.h). Units: colours 0..1, amounts in percent.
// Cost: adding a material walks the list once (a few dozen entries).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorn {

struct VornObjectPart;

// One texture map slot (first map, second map or bump map) as the file gives it.
struct VornMaterialMap {
  std::string fileName;  // as stored in the file; empty: no map
  uint16_t amount = 0;
  uint16_t options = 0;
  float blur = 0.0f;
  float scaleU = 0.0f;
  float scaleV = 0.0f;
  float offsetU = 0.0f;
  float offsetV = 0.0f;
  float rotation = 0.0f;
};

class VornMaterial {
 public:
  VornMaterial() = default;
  explicit VornMaterial(const std::string& materialName);
  // A copy enters the shared list: same values, the next id, no display list,
  // not placed, no parts.
  VornMaterial(const VornMaterial& other);
  VornMaterial& operator=(const VornMaterial&) = delete;

  // Parts that draw a material group with this material, and the group starts.
  std::vector<VornObjectPart*> parts;
  std::vector<int> partStarts;

  uint32_t id = 0;
  std::string name;
  std::array<float, 3> ambient{1, 1, 1}, ambient2{0, 0, 0};
  std::array<float, 3> diffuse{1, 1, 1}, diffuse2{0, 0, 0};
  std::array<float, 3> specular{1, 1, 1}, specular2{0, 0, 0};
  uint16_t shininess = 20;
  uint16_t shininessStrength = 0;
  uint16_t transparency = 0;
  uint16_t transparencyFalloff = 0;
  uint16_t reflectBlur = 0;
  uint16_t materialType = 0;
  uint16_t selfIllumination = 0;
  float wireThickness = 0.0f;

  VornMaterialMap map1, map2, bump;
  int map1Group = 0;    // texture group counted from 1; 0 = no first map
  int map2Texture = 0;  // texture-cache index
  int bumpTexture = 0;  // texture-cache index
  uint16_t bumpStrength = 0;

  uint32_t displayList = 0;  // device name, 0 = none
  bool placed = false;
  int overlayTexture = 0;
  bool hasOverlay = false;

  void addPart(VornObjectPart* part, int start);
  // Records the overlay and hands it to every part that uses the material.
  void setOverlay(int textureIndex);
  const std::string& getName() const { return name; }
  int getMap1Group() const { return map1Group; }

  // The four floats OpenGL takes for a colour: r, g, b and, as alpha, the red
  // value of the second colour.
  std::array<float, 4> ambientRgba() const { return {ambient[0], ambient[1], ambient[2], ambient2[0]}; }
  std::array<float, 4> diffuseRgba() const { return {diffuse[0], diffuse[1], diffuse[2], diffuse2[0]}; }
  std::array<float, 4> specularRgba() const { return {specular[0], specular[1], specular[2], specular2[0]}; }

  // Same name and every value read from the file equal (the id, parts,
  // display list, placement and overlay are not part of a material's identity).
  bool sameAs(const VornMaterial& other) const;

  // Ids come from one program-wide counter starting at 0.
  static uint32_t nextId();
};

// The shared tables: one material list in which equal materials are stored
// once, the texture groups (all materials whose first map is the same
// texture, so the texture is bound once a group) and the untextured materials.
struct VornTextureGroup {
  int texture = 0;                          // texture-cache index
  std::vector<VornMaterial*> materials;     // not owned
};

struct VornUntexturedMaterial {
  VornMaterial* material = nullptr;  // not owned
};

using VornMaterialList = std::vector<std::unique_ptr<VornMaterial>>;
using VornTextureGroupList = std::vector<std::unique_ptr<VornTextureGroup>>;
using VornUntexturedList = std::vector<std::unique_ptr<VornUntexturedMaterial>>;

// The index of the first entry equal to `m`; otherwise appends a copy of `m`.
int addMaterial(const VornMaterial& m, VornMaterialList& materials);

// Position (counted from 1) of the group of `textureIndex`; appends one if needed.
int findOrAddTextureGroup(VornTextureGroupList& groups, int textureIndex);

// First material of the list named exactly `name`, or null.
VornMaterial* findMaterialByName(const VornMaterialList& materials, const std::string& name);

// Puts every material not yet placed into its texture group (first map) or
// the untextured list, marks it placed and returns the newly placed ones (the
// device layer compiles their display lists). A group number that names no
// group is treated as no first map.
std::vector<VornMaterial*> placeMaterials(VornMaterialList& materials,
                                          VornTextureGroupList& groups,
                                          VornUntexturedList& untextured);

}  // namespace vorn
