// VornObject: one loaded 3DS model on the device: its three buffers, parts, nodes and clips.
// Units: model units; matrices column-major. Cost: load linear in the file size; a drawn group
// is a matrix push, one to three products and one glDrawArrays per instance.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/material.h"
#include "assets/model_instance.h"
#include "assets/model_loader.h"
#include "assets/model_part.h"
#include "assets/texture.h"
#include "math/matrix.h"
#include "math/vector.h"

namespace vorn {

// Loading reads the file, runs the CPU pipeline of model_loader.h, uploads
// all triangles into three static buffer objects (vertices, normals, texture
// coordinates; textured triangles first), compiles the newly placed materials
// and reads the ".ani" clips and ".mat" overlays. Drawing is per material
// group: each material (material_gl.h) draws the groups of its parts once for
// every animated, placed and action instance of the owning model.
class VornObject {
 public:
  VornObject();
  ~VornObject();
  VornObject(const VornObject&) = delete;
  VornObject& operator=(const VornObject&) = delete;

  // Returns 1 (after an err.txt line) when the file cannot be read; a damaged
  // file is reported and what was read soundly is kept.
  int load3ds(const std::string& fileName, VornTextureCache& textureCache,
              VornTextureGroupList& textureGroups, VornUntexturedList& untexturedMaterials,
              VornMaterialList& materials);
  int load3ds(const std::string& fileName, VornTextureCache& textureCache, VornModelTables& tables) {
    return load3ds(fileName, textureCache, tables.textureGroups, tables.untexturedMaterials, tables.materials);
  }
  // load3ds, then every part's rest matrix (scenery drawn by placed instances).
  int loadStatic(const std::string& fileName, VornTextureCache& textureCache,
                 VornTextureGroupList& textureGroups, VornUntexturedList& untexturedMaterials,
                 VornMaterialList& materials);
  int loadStatic(const std::string& fileName, VornTextureCache& textureCache, VornModelTables& tables) {
    return loadStatic(fileName, textureCache, tables.textureGroups, tables.untexturedMaterials, tables.materials);
  }

  void loadClips(const std::string& fileName);
  void loadOverlayTextures(const std::string& fileName, VornMaterialList& materials,
                           VornTextureCache& textureCache);

  // Points the vertex, normal and texture-coordinate arrays at this model's
  // buffers; skipped while consecutive draws use the same model.
  void bindArrays();
  // The same with texture coordinates on client units 0 and 1 (overlays).
  void bindArraysTwoUnits();
  // Forgets which model's buffers are bound; once at the start of a model pass.
  static void resetBoundObject();
  // Between these, placed and action instances whose bounding sphere lies
  // outside the current view volume (the GL projection and model-view when
  // the pass begins) are not drawn. Animated instances are always drawn.
  static void beginViewCulling();
  static void endViewCulling();
  // While off, bindArrays leaves the texture-coordinate array disabled: the
  // untextured triangles lie beyond the end of the texture-coordinate buffer.
  static void setTexCoordArrayEnabled(bool enabled);

  void computeBounds();
  void getBounds(VornVector& min, VornVector& max) const;
  void setCenter(const VornVector& v) { center = v; }
  void translateToCenter() const;
  void translateFromCenter() const;
  void computeRestMatrices();

  // One material group of `part` (its buffer start `groupStart`) for every
  // instance of this model; view 0 in single-view drawing.
  void drawGroup(const VornObjectPart& part, int groupStart, int view = 0);
  void drawGroupOverlay(const VornObjectPart& part, int groupStart, int view);
  // Every group of the part without materials: as it stands, and posed at
  // frame 0 with the part's matrix (projected shadows, shadow volumes).
  void drawAllGroups(const VornObjectPart& part) const;
  void drawAllGroupsPosed(const VornObjectPart& part) const;
  // The yellow translucent silhouette of the model, placed by
  // `applyTransform` (which multiplies the current matrix).
  void drawGhost(const std::function<void()>& applyTransform);

  VornTextureCache* textureCache = nullptr;
  uint32_t faceCount = 0;
  uint32_t texturedFaceCount = 0;
  uint32_t vertexBuffer = 0;
  uint32_t normalBuffer = 0;
  uint32_t texCoordBuffer = 0;
  VornVector boundsMin, boundsMax, center;
  std::string fileName;
  std::vector<int> clipStart;
  std::vector<int> clipLength;
  std::vector<float> clipDuration;
  VornPartList parts;
  std::vector<std::unique_ptr<VornKeyNode>> nodes;

  std::vector<VornAnimatedInstance*> animatedInstances;  // not owned
  std::vector<VornPlacedInstance*> placedInstances;      // not owned
  std::vector<VornPlacedInstance*> actionInstances;      // not owned
  uint32_t serial = 0;

 private:
  void bindIfNeeded(bool twoUnits);
  bool inView(const float* matrix) const;
  void drawInstances(const VornObjectPart& part, int groupStart, int view, bool twoUnits);
  void uploadLayout(const VornModelLayout& layout);
  void releaseBuffers();

  float boundingRadius_ = 0.0f;  // half the bounds' diagonal, model units
};

using VornModelList = std::vector<std::unique_ptr<VornObject>>;

// One quad over the whole view, drawn in eye space with the current state:
// how the ghost and the shadows colour the pixels the stencil marks.
void drawViewCoverQuad();

// Index of the model loaded from exactly `fileName`; otherwise a new model
// loaded with loadStatic and appended.
int findOrLoadModel(const std::string& fileName, VornModelList& models, VornTextureCache& textureCache,
                    VornModelTables& tables);

}  // namespace vorn
