#include "assets/material.h"

#include "assets/model_part.h"

namespace vorn {
namespace {

uint32_t& idCounter() {
  static uint32_t counter = 0;
  return counter;
}

bool sameMap(const VornMaterialMap& a, const VornMaterialMap& b) {
  return a.fileName == b.fileName && a.amount == b.amount && a.options == b.options &&
         a.blur == b.blur && a.scaleU == b.scaleU && a.scaleV == b.scaleV &&
         a.offsetU == b.offsetU && a.offsetV == b.offsetV && a.rotation == b.rotation;
}

}  // namespace

uint32_t VornMaterial::nextId() { return idCounter()++; }

VornMaterial::VornMaterial(const std::string& materialName) : name(materialName) {}

VornMaterial::VornMaterial(const VornMaterial& other)
    : id(nextId()),
      name(other.name),
      ambient(other.ambient),
      ambient2(other.ambient2),
      diffuse(other.diffuse),
      diffuse2(other.diffuse2),
      specular(other.specular),
      specular2(other.specular2),
      shininess(other.shininess),
      shininessStrength(other.shininessStrength),
      transparency(other.transparency),
      transparencyFalloff(other.transparencyFalloff),
      reflectBlur(other.reflectBlur),
      materialType(other.materialType),
      selfIllumination(other.selfIllumination),
      wireThickness(other.wireThickness),
      map1(other.map1),
      map2(other.map2),
      bump(other.bump),
      map1Group(other.map1Group),
      map2Texture(other.map2Texture),
      bumpTexture(other.bumpTexture),
      bumpStrength(other.bumpStrength),
      overlayTexture(other.overlayTexture),
      hasOverlay(other.hasOverlay) {}

void VornMaterial::addPart(VornObjectPart* part, int start) {
  parts.push_back(part);
  partStarts.push_back(start);
}

void VornMaterial::setOverlay(int textureIndex) {
  overlayTexture = textureIndex;
  hasOverlay = true;
  for (VornObjectPart* part : parts) part->overlayTexture = textureIndex;
}

bool VornMaterial::sameAs(const VornMaterial& o) const {
  return name == o.name && ambient == o.ambient && ambient2 == o.ambient2 &&
         diffuse == o.diffuse && diffuse2 == o.diffuse2 && specular == o.specular &&
         specular2 == o.specular2 && shininess == o.shininess &&
         shininessStrength == o.shininessStrength && transparency == o.transparency &&
         transparencyFalloff == o.transparencyFalloff && reflectBlur == o.reflectBlur &&
         materialType == o.materialType && selfIllumination == o.selfIllumination &&
         wireThickness == o.wireThickness && sameMap(map1, o.map1) && sameMap(map2, o.map2) &&
         sameMap(bump, o.bump) && map1Group == o.map1Group && map2Texture == o.map2Texture &&
         bumpTexture == o.bumpTexture && bumpStrength == o.bumpStrength;
}

int addMaterial(const VornMaterial& m, VornMaterialList& materials) {
  for (size_t i = 0; i < materials.size(); ++i) {
    if (materials[i]->sameAs(m)) return static_cast<int>(i);
  }
  materials.push_back(std::make_unique<VornMaterial>(m));
  return static_cast<int>(materials.size() - 1);
}

int findOrAddTextureGroup(VornTextureGroupList& groups, int textureIndex) {
  for (size_t i = 0; i < groups.size(); ++i) {
    if (groups[i]->texture == textureIndex) return static_cast<int>(i + 1);
  }
  auto group = std::make_unique<VornTextureGroup>();
  group->texture = textureIndex;
  groups.push_back(std::move(group));
  return static_cast<int>(groups.size());
}

VornMaterial* findMaterialByName(const VornMaterialList& materials, const std::string& name) {
  for (const auto& m : materials) {
    if (m->name == name) return m.get();
  }
  return nullptr;
}

std::vector<VornMaterial*> placeMaterials(VornMaterialList& materials,
                                          VornTextureGroupList& groups,
                                          VornUntexturedList& untextured) {
  std::vector<VornMaterial*> placedNow;
  for (auto& m : materials) {
    if (m->placed) continue;
    const int group = m->map1Group;
    if (group >= 1 && static_cast<size_t>(group) <= groups.size()) {
      groups[static_cast<size_t>(group - 1)]->materials.push_back(m.get());
    } else {
      m->map1Group = 0;
      auto entry = std::make_unique<VornUntexturedMaterial>();
      entry->material = m.get();
      untextured.push_back(std::move(entry));
    }
    m->placed = true;
    placedNow.push_back(m.get());
  }
  return placedNow;
}

}  // namespace vorn
