#include "assets/material_gl.h"

#include <GL/glew.h>

#include "assets/model.h"

namespace vorn {
namespace {

VornTextureCache*& registeredCache() {
  static VornTextureCache* cache = nullptr;
  return cache;
}

VornTextureStepsHook& stepsHook() {
  static VornTextureStepsHook hook = nullptr;
  return hook;
}

VornTexture* textureAt(int index) {
  VornTextureCache* cache = registeredCache();
  if (!cache || index < 0 || static_cast<size_t>(index) >= cache->size()) return nullptr;
  return (*cache)[static_cast<size_t>(index)].get();
}

void bindTextureIndex(int index) {
  if (VornTexture* t = textureAt(index)) {
    t->bind();
  } else {
    glBindTexture(GL_TEXTURE_2D, 0);
  }
}

// Unit 1 shows the first map's colour with the overlay's alpha, so the alpha
// test cuts the shape out of the textured surface.
void beginOverlay(int overlayTexture) {
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);
  bindTextureIndex(overlayTexture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PREVIOUS_ARB);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA_ARB, GL_SRC_ALPHA);
  glEnable(GL_ALPHA_TEST);
  glDisable(GL_CULL_FACE);
}

void endOverlay() {
  glEnable(GL_CULL_FACE);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
}

}  // namespace

void compileMaterial(VornMaterial& m) {
  deleteMaterialList(m);
  m.displayList = glGenLists(1);
  const std::array<float, 4> ambient = m.ambientRgba();
  const std::array<float, 4> diffuse = m.diffuseRgba();
  const std::array<float, 4> specular = m.specularRgba();
  glNewList(m.displayList, GL_COMPILE);
  glMaterialfv(GL_FRONT, GL_AMBIENT, ambient.data());
  glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse.data());
  glMaterialfv(GL_FRONT, GL_SPECULAR, specular.data());
  glMateriali(GL_FRONT, GL_SHININESS, m.shininess);
  glEndList();
}

void deleteMaterialList(VornMaterial& m) {
  if (m.displayList) glDeleteLists(m.displayList, 1);
  m.displayList = 0;
}

void drawMaterial(const VornMaterial& m, int view) {
  if (m.displayList) glCallList(m.displayList);
  for (size_t i = 0; i < m.parts.size(); ++i) {
    const VornObjectPart& part = *m.parts[i];
    if (part.owner) part.owner->drawGroup(part, m.partStarts[i], view);
  }
}

void drawMaterialWithOverlay(const VornMaterial& m, int view) {
  if (m.displayList) glCallList(m.displayList);
  if (!m.parts.empty() && m.parts[0]->owner) m.parts[0]->owner->bindArraysTwoUnits();
  for (size_t i = 0; i < m.parts.size(); ++i) {
    const VornObjectPart& part = *m.parts[i];
    if (part.owner) part.owner->drawGroupOverlay(part, m.partStarts[i], view);
  }
}

void drawTextureGroup(const VornTextureGroup& group, int view) {
  bindTextureIndex(group.texture);
  VornTexture* texture = textureAt(group.texture);
  const bool steps = texture && stepsHook() && stepsHook()(*texture);
  for (const VornMaterial* m : group.materials) {
    if (!m->hasOverlay) {
      drawMaterial(*m, view);
      continue;
    }
    beginOverlay(m->overlayTexture);
    drawMaterialWithOverlay(*m, view);
    endOverlay();
  }
  if (steps) VornTexture::resetTextureMatrix();
}

void drawUntexturedMaterial(const VornUntexturedMaterial& entry, int view) {
  if (entry.material) drawMaterial(*entry.material, view);
}

void setTextureCache(VornTextureCache* cache) { registeredCache() = cache; }

void setTextureStepsHook(VornTextureStepsHook hook) { stepsHook() = hook; }

void drawModelPass(const VornModelTables& tables, int view) {
  VornObject::resetBoundObject();
  glEnable(GL_LIGHTING);
  for (const auto& group : tables.textureGroups) drawTextureGroup(*group, view);
  VornObject::setTexCoordArrayEnabled(false);
  glDisable(GL_TEXTURE_2D);
  for (const auto& entry : tables.untexturedMaterials) drawUntexturedMaterial(*entry, view);
  glEnable(GL_TEXTURE_2D);
  VornObject::setTexCoordArrayEnabled(true);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  VornObject::resetBoundObject();
}

void releaseModelTables(VornModelTables& tables) {
  for (auto& m : tables.materials) deleteMaterialList(*m);
}

}  // namespace vorn
