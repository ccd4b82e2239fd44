#include "assets/model_loader.h"

#include <cstdio>

#include "assets/model_parser.h"

namespace vorn {
namespace {

// Turns the file's map names into texture indices and hands the material to
// the shared list.
void addFileMaterial(VornMaterial& m, const VornTextureLookup& lookup, VornMaterialList& materials,
                     VornTextureGroupList& textureGroups) {
  if (!m.map1.fileName.empty()) {
    const int texture = lookup ? lookup(kModelTextureFolder + m.map1.fileName) : 0;
    m.map1Group = findOrAddTextureGroup(textureGroups, texture);
  }
  if (!m.map2.fileName.empty() && lookup) m.map2Texture = lookup(kModelTextureFolder + m.map2.fileName);
  if (!m.bump.fileName.empty() && lookup) m.bumpTexture = lookup(kModelTextureFolder + m.bump.fileName);
  addMaterial(m, materials);
}

}  // namespace

VornLoadedModel buildModelFromBytes(const uint8_t* data, size_t size, const std::string& fileName,
                                    const VornTextureLookup& lookup, VornMaterialList& materials,
                                    VornTextureGroupList& textureGroups, VornUntexturedList& untexturedMaterials) {
  VornLoadedModel out;
  VornModelData model;
  out.trace = fileName + "\n";
  const VornParseResult parsed = parse3ds(data, size, model, &out.trace);
  if (!parsed.complete) out.faults.push_back("damaged file " + fileName + ": " + parsed.fault);
  const std::string invalid = validateModel(model);
  if (!invalid.empty()) out.faults.push_back("damaged file " + fileName + ": " + invalid);

  for (auto& m : model.materials) addFileMaterial(*m, lookup, materials, textureGroups);
  out.defaultMaterial = materials[addMaterial(VornMaterial("default"), materials)].get();

  for (const VornNodeLink& link : linkNodes(model.nodes)) {
    char line[64];
    std::snprintf(line, sizeof line, "connected nodes: %d %d\n", model.nodes[link.parent]->getId(),
                  model.nodes[link.child]->getId());
    out.trace += line;
  }
  bindNodesToParts(model);

  for (auto& part : model.parts) {
    weldVertices(*part);
    computeNormals(*part);
  }
  const std::string missing = resolveMaterialGroups(model.parts, materials, out.defaultMaterial);
  if (!missing.empty()) out.faults.push_back("material " + missing + " of " + fileName + " not found");
  out.newlyPlaced = placeMaterials(materials, textureGroups, untexturedMaterials);

  for (const auto& m : materials) {
    out.materialReport += "material " + std::to_string(m->id) + ": " + m->name + " group " +
                          std::to_string(m->map1Group) + "\n";
  }
  out.layout = buildLayout(model.parts, out.defaultMaterial, &out.materialReport);
  char totals[96];
  std::snprintf(totals, sizeof totals, "\nobject faces: %u\n\n\nobject size: %u\n\n", out.layout.faceCount,
                out.layout.faceCount * 9);
  out.trace += totals;

  computeModelBounds(model.parts, out.boundsMin, out.boundsMax);
  out.center = VornVector((out.boundsMin.x + out.boundsMax.x) / 2, (out.boundsMin.y + out.boundsMax.y) / 2,
                          (out.boundsMin.z + out.boundsMax.z) / 2);
  out.parts = std::move(model.parts);
  out.nodes = std::move(model.nodes);
  return out;
}


}  // namespace vorn
