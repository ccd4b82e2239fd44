#include "assets/model.h"

#include <GL/glew.h>

#include <cassert>
#include <cmath>
#include <cstdio>

#include "base/error_log.h"
#include "assets/material_gl.h"
#include "math/transform_gl.h"

namespace vorn {
namespace {

constexpr const char* kChunkTraceFile = "3ds.txt";
constexpr const char* kMaterialReportFile = "materials.txt";

// The ghost: a yellow, 40 % opaque screen-wide quad through the stencil.
constexpr GLfloat kGhostColor[4] = {1.0f, 1.0f, 0.0f, 0.4f};
// The cover quad: 2.1 in front of the eye, just beyond the game's near plane
// at 1, and wide enough to fill any field of view the game uses there.
constexpr GLfloat kCoverQuadHalf = 100.1f;
constexpr GLfloat kCoverQuadDepth = -2.1f;

uint32_t& serialCounter() {
  static uint32_t counter = 0;
  return counter;
}

bool& texCoordArrayEnabled() {
  static bool enabled = true;
  return enabled;
}

uint32_t& lastBoundObject() {
  static uint32_t serial = 0;
  return serial;
}

void writeTextFile(const char* path, const std::string& text) {
  std::FILE* f = std::fopen(path, "w");
  if (!f) return;  // diagnostics only
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

void drawTriangles(int start, uint32_t size) {
  glDrawArrays(GL_TRIANGLES, start * 3, static_cast<GLsizei>(size * 3));
}

// The node's transform at `frame` with its pivot, as one matrix product.
void applyNode(const VornKeyNode& node, float frame) {
  VornMatrix m;
  node.evaluate(frame, m);
  node.applyPivot(m);
  glMultMatrixf(m.data());
}

// The view volume of the model pass in world space (planes a*x + b*y + c*z +
// d >= 0 inside), taken from the GL matrices when the pass begins. Placed
// objects outside it are skipped: on a software renderer every tree behind
// the camera would otherwise cost its full vertex work.
struct CullVolume {
  bool active = false;
  VornPlanes planes{};
};

CullVolume& cullVolume() {
  static CullVolume volume;
  return volume;
}

// Bounding spheres are loose (a part's node may move it a little).
constexpr float kCullRadiusMargin = 1.5f;

}  // namespace

VornObject::VornObject() : serial(++serialCounter()) {}

VornObject::~VornObject() { releaseBuffers(); }

void VornObject::releaseBuffers() {
  // Without a context (tests that never drew) there is nothing to delete.
  if (!glDeleteBuffersARB) return;
  const GLuint names[3] = {vertexBuffer, normalBuffer, texCoordBuffer};
  for (GLuint name : names) {
    if (name) glDeleteBuffersARB(1, &name);
  }
  vertexBuffer = normalBuffer = texCoordBuffer = 0;
}

int VornObject::load3ds(const std::string& name, VornTextureCache& cache, VornTextureGroupList& textureGroups,
                        VornUntexturedList& untexturedMaterials, VornMaterialList& materials) {
  assert(parts.empty() && "a VornObject is loaded once: materials keep pointers to its parts");
  textureCache = &cache;
  fileName = name;
  std::vector<uint8_t> bytes;
  if (!readWholeFile(name, bytes, kMaxModelFileBytes)) {
    // A file that exists but is too large is reported as such.
    std::FILE* probe = std::fopen(name.c_str(), "rb");
    appendErrorLog("Error VornObject::load3ds" + name + "\n",
                   probe ? "\tfile too large\n" : "\tfile not found\n");
    if (probe) std::fclose(probe);
    return 1;
  }
  const VornTextureLookup lookup = [&cache](const std::string& path) { return findOrLoadTexture(path, cache); };
  VornLoadedModel loaded = buildModelFromBytes(bytes.data(), bytes.size(), name, lookup, materials,
                                               textureGroups, untexturedMaterials);

  for (const std::string& fault : loaded.faults) logError("VornObject::load3ds", "\t%s\n", fault.c_str());
  writeTextFile(kChunkTraceFile, loaded.trace);
  writeTextFile(kMaterialReportFile, loaded.materialReport);

  parts = std::move(loaded.parts);
  nodes = std::move(loaded.nodes);
  for (auto& part : parts) part->owner = this;
  for (VornMaterial* m : loaded.newlyPlaced) compileMaterial(*m);
  faceCount = loaded.layout.faceCount;
  texturedFaceCount = loaded.layout.texturedFaceCount;
  uploadLayout(loaded.layout);
  computeBounds();
  loadClips(name);
  loadOverlayTextures(name, materials, cache);
  return 0;
}

int VornObject::loadStatic(const std::string& name, VornTextureCache& cache, VornTextureGroupList& textureGroups,
                           VornUntexturedList& untexturedMaterials, VornMaterialList& materials) {
  const int result = load3ds(name, cache, textureGroups, untexturedMaterials, materials);
  computeRestMatrices();
  return result;
}

void VornObject::uploadLayout(const VornModelLayout& layout) {
  releaseBuffers();
  if (layout.faceCount == 0) return;
  const struct {
    GLuint* name;
    const std::vector<float>* data;
  } buffers[3] = {{&vertexBuffer, &layout.vertexData},
                  {&normalBuffer, &layout.normalData},
                  {&texCoordBuffer, &layout.texCoordData}};
  for (const auto& b : buffers) {
    if (b.data->empty()) continue;  // a model without textured triangles
    glGenBuffersARB(1, b.name);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, *b.name);
    glBufferDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(b.data->size() * sizeof(float)),
                    b.data->data(), GL_STATIC_DRAW_ARB);
  }
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

void VornObject::loadClips(const std::string& name) {
  clipStart.clear();
  clipLength.clear();
  clipDuration.clear();
  std::vector<uint8_t> bytes;
  const std::string path = sideFileName(name, "ani");
  if (path.empty() || !readWholeFile(path, bytes, kMaxModelFileBytes)) return;  // no clips
  for (const VornClip& clip : parseClips(std::string(bytes.begin(), bytes.end()))) {
    clipStart.push_back(clip.start);
    clipLength.push_back(clip.length);
    clipDuration.push_back(clip.duration);
  }
}

void VornObject::loadOverlayTextures(const std::string& name, VornMaterialList& materials,
                                     VornTextureCache& cache) {
  std::vector<uint8_t> bytes;
  const std::string path = sideFileName(name, "mat");
  if (path.empty() || !readWholeFile(path, bytes, kMaxModelFileBytes)) return;  // no overlays
  for (const VornOverlayRequest& r : parseOverlays(std::string(bytes.begin(), bytes.end()), materials)) {
    r.material->setOverlay(loadAlphaTexture(r.textureFile, cache));
  }
}

void VornObject::bindArrays() {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, vertexBuffer);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, normalBuffer);
  glNormalPointer(GL_FLOAT, 0, nullptr);
  if (texCoordArrayEnabled() && texCoordBuffer) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, texCoordBuffer);
    glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
  } else {
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
}

void VornObject::bindArraysTwoUnits() {
  bindArrays();
  glClientActiveTextureARB(GL_TEXTURE1_ARB);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, texCoordBuffer);
  glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
}

void VornObject::resetBoundObject() { lastBoundObject() = 0; }

void VornObject::beginViewCulling() {
  CullVolume& volume = cullVolume();
  volume.planes = currentViewPlanes();
  volume.active = true;
}

void VornObject::endViewCulling() { cullVolume().active = false; }

bool VornObject::inView(const float* matrix) const {
  const CullVolume& volume = cullVolume();
  if (!volume.active) return true;
  // The instance's largest axis scale stretches the model's sphere.
  float scale = 0.0f;
  for (int c = 0; c < 3; ++c) {
    const float* column = matrix + c * 4;
    scale = std::fmax(scale, std::sqrt(column[0] * column[0] + column[1] * column[1] + column[2] * column[2]));
  }
  const float radius = boundingRadius_ * scale * kCullRadiusMargin;
  for (const auto& plane : volume.planes) {
    if (plane[0] * matrix[12] + plane[1] * matrix[13] + plane[2] * matrix[14] + plane[3] < -radius) return false;
  }
  return true;
}

void VornObject::setTexCoordArrayEnabled(bool enabled) {
  texCoordArrayEnabled() = enabled;
  if (!enabled) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void VornObject::bindIfNeeded(bool twoUnits) {
  if (lastBoundObject() != serial) {
    if (twoUnits) {
      bindArraysTwoUnits();
    } else {
      bindArrays();
    }
  }
  lastBoundObject() = serial;
}

void VornObject::computeBounds() {
  computeModelBounds(parts, boundsMin, boundsMax);
  center = VornVector((boundsMin.x + boundsMax.x) / 2, (boundsMin.y + boundsMax.y) / 2,
                      (boundsMin.z + boundsMax.z) / 2);
  boundingRadius_ = std::sqrt(boundsMin.distanceSquared(boundsMax)) / 2.0f;
}

void VornObject::getBounds(VornVector& min, VornVector& max) const {
  min = boundsMin;
  max = boundsMax;
}

void VornObject::translateToCenter() const { glTranslatef(-center.x, -center.y, -center.z); }

void VornObject::translateFromCenter() const { glTranslatef(center.x, center.y, center.z); }

void VornObject::computeRestMatrices() {
  for (auto& part : parts) {
    part->matrix = restMatrix(*part, center);
    part->matrixReady = true;
  }
}

void VornObject::drawInstances(const VornObjectPart& part, int groupStart, int view, bool twoUnits) {
  const VornMaterialGroup* group = part.groupAt(groupStart);
  if (!group || group->size() == 0) return;
  for (const VornAnimatedInstance* instance : animatedInstances) {
    bindIfNeeded(twoUnits);
    glPushMatrix();
    glMultMatrixf(instance->modelMatrix());
    translateToCenter();
    if (part.node) applyNode(*part.node, instance->animationFrame());
    glMultMatrixf(part.matrix.data());
    drawTriangles(groupStart, group->size());
    glPopMatrix();
  }
  for (const auto* list : {&placedInstances, &actionInstances}) {
    for (const VornPlacedInstance* instance : *list) {
      if (!instance->visibleInView(view) || !inView(instance->modelMatrix())) continue;
      bindIfNeeded(twoUnits);
      glPushMatrix();
      glMultMatrixf(instance->modelMatrix());
      glMultMatrixf(part.matrix.data());
      drawTriangles(groupStart, group->size());
      glPopMatrix();
    }
  }
}

void VornObject::drawGroup(const VornObjectPart& part, int groupStart, int view) {
  drawInstances(part, groupStart, view, false);
}

void VornObject::drawGroupOverlay(const VornObjectPart& part, int groupStart, int view) {
  drawInstances(part, groupStart, view, true);
}

void VornObject::drawAllGroups(const VornObjectPart& part) const {
  glPushMatrix();
  for (const VornMaterialGroup& g : part.groups) drawTriangles(g.start, g.size());
  glPopMatrix();
}

void VornObject::drawAllGroupsPosed(const VornObjectPart& part) const {
  glPushMatrix();
  if (part.node) applyNode(*part.node, 0.0f);
  glMultMatrixf(part.matrix.data());
  for (const VornMaterialGroup& g : part.groups) drawTriangles(g.start, g.size());
  glPopMatrix();
}

void drawViewCoverQuad() {
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_TRIANGLE_STRIP);
  glVertex3f(-kCoverQuadHalf, kCoverQuadHalf, kCoverQuadDepth);
  glVertex3f(-kCoverQuadHalf, -kCoverQuadHalf, kCoverQuadDepth);
  glVertex3f(kCoverQuadHalf, kCoverQuadHalf, kCoverQuadDepth);
  glVertex3f(kCoverQuadHalf, -kCoverQuadHalf, kCoverQuadDepth);
  glEnd();
  glPopMatrix();
}

void VornObject::drawGhost(const std::function<void()>& applyTransform) {
  glClear(GL_STENCIL_BUFFER_BIT);
  bindArrays();
  lastBoundObject() = serial;
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_ALWAYS, 1, ~0u);
  glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);

  glPushMatrix();
  applyTransform();
  translateToCenter();
  for (const auto& part : parts) drawAllGroupsPosed(*part);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

  glColor4fv(kGhostColor);
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glStencilFunc(GL_NOTEQUAL, 0, ~0u);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glPopMatrix();
  drawViewCoverQuad();

  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
}

int findOrLoadModel(const std::string& name, VornModelList& models, VornTextureCache& textureCache,
                    VornModelTables& tables) {
  for (size_t i = 0; i < models.size(); ++i) {
    if (models[i]->fileName == name) return static_cast<int>(i);
  }
  models.push_back(std::make_unique<VornObject>());
  models.back()->loadStatic(name, textureCache, tables);
  return static_cast<int>(models.size() - 1);
}

}  // namespace vorn
