// Device side of the materials: each material's GL state as a display list, and the drawing of
// the shared tables in a race frame's model pass. Units: views (0 single or bottom, 1 top).
// Cost: one display-list call a material, one texture bind a group, then the part groups (model.h).
#pragma once

#include "assets/material.h"
#include "assets/model_loader.h"
#include "assets/texture.h"

namespace vorn {

// Records the material's colours and shininess in a (new) display list.
void compileMaterial(VornMaterial& m);
// Deletes the display list, if any.
void deleteMaterialList(VornMaterial& m);

// The display list, then every part group of the material, for one view.
void drawMaterial(const VornMaterial& m, int view = 0);
// The same with the part groups' texture coordinates on both texture units:
// the overlay texture is alpha-tested on texture unit 1.
void drawMaterialWithOverlay(const VornMaterial& m, int view = 0);

// A texture group binds its texture once (applying the texture's matrix
// steps, if the texture layer gave it any) and draws its materials, plain or
// with their overlay; an untextured material draws without a texture.
void drawTextureGroup(const VornTextureGroup& group, int view = 0);
void drawUntexturedMaterial(const VornUntexturedMaterial& entry, int view = 0);

// The texture cache the texture groups look their textures up in.
void setTextureCache(VornTextureCache* cache);

// Texture-matrix steps of an animated texture: applies them and returns true
// when the texture has any. Installed by the texture-layer module; while
// unset, groups bind their texture only.
using VornTextureStepsHook = bool (*)(VornTexture& texture);
void setTextureStepsHook(VornTextureStepsHook hook);

// The race frame's model pass for one view (0 single or bottom, 1 top):
// every texture group with lighting on, then every untextured material with
// texturing and the texture-coordinate array off; texturing back on, the
// vertex and normal arrays off and the binding cache cleared afterwards.
void drawModelPass(const VornModelTables& tables, int view = 0);

// Deletes the display lists of every material of the tables.
void releaseModelTables(VornModelTables& tables);

}  // namespace vorn
