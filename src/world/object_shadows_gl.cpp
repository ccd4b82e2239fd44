#include "world/object_shadows_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "assets/model_loader.h"
#include "assets/texture.h"
#include "world/terrain.h"

namespace vorn {
namespace {

// The beer's shadow image: the model turned twice about x, scaled and put in
// front of a square 45-degree view.
constexpr float kImageFirstTurn = -70.0f;
constexpr float kImageSecondTurn = -80.0f;
constexpr float kImageScale = 0.1f;
constexpr float kImageDistance = 30.0f;
constexpr double kImageFieldOfView = 45.0;
constexpr double kImageNear = 1.0;
constexpr double kImageFar = 2000.0;
// Cut-outs: a first map's texel casts a shadow when it is opaque; an overlay
// texel when it is clear, since the model pass draws overlays where their
// alpha is 0 (the game's alpha function).
constexpr float kCutoutThreshold = 0.5f;
constexpr float kFlatDepthPerHeight = 1e-4f;

// The part of a shadow image the silhouette fills (texture coordinates
// s0, t0, s1, t1), so that drawing spreads the silhouette, not the white
// around it, over each quad.
struct ImageFrame {
  unsigned texture = 0;
  float s0 = 0.0f, t0 = 0.0f, s1 = 1.0f, t1 = 1.0f;
};

std::vector<ImageFrame>& imageFrames() {
  static std::vector<ImageFrame> frames;
  return frames;
}

// A texel darker than this belongs to the silhouette.
constexpr int kSilhouetteLevel = 250;

// The silhouette's bounding rectangle in the bound size x size RGB texture,
// one texel of margin around it; the whole image when it is all white.
ImageFrame silhouetteFrame(unsigned texture, int size) {
  std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  int x0 = size, y0 = size, x1 = -1, y1 = -1;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (rgb[(static_cast<size_t>(y) * size + x) * 3] >= kSilhouetteLevel) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  ImageFrame frame;
  frame.texture = texture;
  if (x1 < 0) return frame;
  const float texel = 1.0f / static_cast<float>(size);
  frame.s0 = std::max(0, x0 - 1) * texel;
  frame.t0 = std::max(0, y0 - 1) * texel;
  frame.s1 = std::min(size, x1 + 2) * texel;
  frame.t1 = std::min(size, y1 + 2) * texel;
  return frame;
}

const ImageFrame* frameOf(unsigned texture) {
  for (const ImageFrame& f : imageFrames()) {
    if (f.texture == texture) return &f;
  }
  return nullptr;
}

bool& framebuffersAllowed() {
  static bool allowed = true;
  return allowed;
}

// The framebuffer-object entry points of whichever flavour the driver has;
// GL 3.0, ARB and EXT share the signatures and the enum values used here.
struct FramebufferApi {
  PFNGLGENFRAMEBUFFERSPROC gen = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bind = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DPROC attach = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC status = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC remove = nullptr;
  bool usable() const { return gen && bind && attach && status && remove; }
};

FramebufferApi framebufferApi() {
  FramebufferApi api;
  if (!framebuffersAllowed()) return api;
  if (GLEW_VERSION_3_0 || GLEW_ARB_framebuffer_object) {
    api = {glGenFramebuffers, glBindFramebuffer, glFramebufferTexture2D, glCheckFramebufferStatus,
           glDeleteFramebuffers};
  } else if (GLEW_EXT_framebuffer_object) {
    api = {glGenFramebuffersEXT, glBindFramebufferEXT, glFramebufferTexture2DEXT, glCheckFramebufferStatusEXT,
           glDeleteFramebuffersEXT};
  }
  return api;
}

// Where a bake draws: a framebuffer object with the target texture as its
// colour buffer, or (without one) the window's back buffer, copied out tile
// by tile.
class BakeTarget {
 public:
  // Attaches `texture`; false (and the window is used) when no framebuffer
  // object can be had or it is incomplete.
  bool attach(GLuint texture) {
    api_ = framebufferApi();
    if (!api_.usable()) return false;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous_);
    api_.gen(1, &framebuffer_);
    api_.bind(GL_FRAMEBUFFER, framebuffer_);
    api_.attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (api_.status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
    release();
    return false;
  }
  bool offscreen() const { return framebuffer_ != 0; }
  void release() {
    if (framebuffer_ == 0) return;
    api_.bind(GL_FRAMEBUFFER, static_cast<GLuint>(previous_));
    api_.remove(1, &framebuffer_);
    framebuffer_ = 0;
  }
  ~BakeTarget() { release(); }

 private:
  FramebufferApi api_;
  GLuint framebuffer_ = 0;
  GLint previous_ = 0;
};

// Largest power of two not above `limit` (at least 1).
int powerOfTwoBelow(int limit) {
  int n = 1;
  while (n * 2 <= limit) n *= 2;
  return n;
}

// Tile side in texels: the full size off screen, else what the window holds.
int tileTexels(bool offscreen, int viewportWidth, int viewportHeight) {
  if (offscreen) return kShadowTileTexels;
  return powerOfTwoBelow(std::min({kShadowTileTexels, viewportWidth, viewportHeight}));
}

GLuint newShadowTexture(int width, int height) {
  const GLuint texture = newClampedTexture();
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  return texture;
}

// Everything a bake changes is saved here and put back by the destructor.
class SavedState {
 public:
  SavedState() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
  }
  ~SavedState() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
    // The arrays point elsewhere again: the next model pass must rebind.
    VornObject::resetBoundObject();
  }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;
};

// Flat grey silhouettes on white: no texture, light, blending, culling,
// depth or stencil.
void silhouetteState() {
  glActiveTexture(GL_TEXTURE0);
  glClientActiveTexture(GL_TEXTURE0);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  for (GLenum cap : {GL_TEXTURE_2D, GL_LIGHTING, GL_BLEND, GL_CULL_FACE, GL_DEPTH_TEST, GL_ALPHA_TEST,
                     GL_STENCIL_TEST, GL_FOG, GL_SCISSOR_TEST}) {
    glDisable(cap);
  }
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glColor3f(kShadowGrey, kShadowGrey, kShadowGrey);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

std::string lowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

GLuint cachedTextureNamed(const VornTextureCache& cache, const std::string& name) {
  for (const auto& t : cache) {
    if (t && t->name && *t->name == name) return t->getId();
  }
  return 0;
}

GLuint cachedTextureAt(const VornTextureCache& cache, int index) {
  if (index < 0 || static_cast<size_t>(index) >= cache.size() || !cache[static_cast<size_t>(index)]) return 0;
  return cache[static_cast<size_t>(index)]->getId();
}

// One material group as the bake draws it: plain, or cut out by a texture's
// alpha (`texture` non-zero) passing `alphaFunc` against the threshold.
struct GroupCut {
  int start = 0;
  GLsizei count = 0;
  GLuint texture = 0;
  GLenum alphaFunc = GL_GREATER;
};

struct PartCut {
  VornMatrix matrix;
  std::vector<GroupCut> groups;
};

// The part's drawing matrix: the rest matrix of a static model, else its
// frame about the model's centre.
VornMatrix partMatrix(const VornObject& model, const VornObjectPart& part) {
  if (part.matrixReady) return part.matrix;
  VornMatrix m;
  m.translate(-model.center.x, -model.center.y, -model.center.z);
  m.multiply(part.matrix);
  return m;
}

std::vector<PartCut> silhouetteParts(const VornObject& model) {
  std::vector<PartCut> parts;
  for (const auto& part : model.parts) {
    PartCut cut;
    cut.matrix = partMatrix(model, *part);
    for (const VornMaterialGroup& g : part->groups) {
      if (g.size() == 0) continue;
      GroupCut group;
      group.start = g.start;
      group.count = static_cast<GLsizei>(g.size() * 3);
      const VornMaterial* m = g.material;
      const bool textured = m && m->map1Group != 0 && model.texCoordBuffer != 0 && model.textureCache;
      if (textured && m->hasOverlay) {
        group.texture = cachedTextureAt(*model.textureCache, m->overlayTexture);
        group.alphaFunc = GL_LESS;
      } else if (textured) {
        group.texture = cachedTextureNamed(*model.textureCache, lowerCase(kModelTextureFolder + m->map1.fileName));
        group.alphaFunc = GL_GREATER;
      }
      cut.groups.push_back(group);
    }
    parts.push_back(std::move(cut));
  }
  return parts;
}

void bindModelArrays(const VornObject& model) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, model.vertexBuffer);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  if (model.texCoordBuffer != 0) {
    glBindBuffer(GL_ARRAY_BUFFER, model.texCoordBuffer);
    glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void drawGroupCut(const GroupCut& g) {
  if (g.texture == 0) {
    glDrawArrays(GL_TRIANGLES, g.start * 3, g.count);
    return;
  }
  // The grey stays, the texture gives only the alpha that is tested.
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, g.texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PREVIOUS);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
  glAlphaFunc(g.alphaFunc, kCutoutThreshold);
  glEnable(GL_ALPHA_TEST);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glDrawArrays(GL_TRIANGLES, g.start * 3, g.count);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void drawParts(const std::vector<PartCut>& parts) {
  for (const PartCut& part : parts) {
    glPushMatrix();
    glMultMatrixf(part.matrix.data());
    for (const GroupCut& g : part.groups) drawGroupCut(g);
    glPopMatrix();
  }
}

// Every caster of every model, each lowered onto height 0 from its ground,
// under the current (flattening) model-view matrix.
struct CasterModel {
  const VornObject* model = nullptr;
  std::vector<PartCut> parts;
  std::vector<const ShadowCaster*> casters;
  std::vector<ShadowFootprint> footprints;  // one a caster
};

ShadowFootprint casterFootprint(const VornObject& model, const std::vector<PartCut>& parts,
                                const ShadowCaster& caster, const VornVector& light) {
  VornMatrix lowered;
  lowered.translate(0.0f, -caster.groundHeight, 0.0f);
  lowered.multiply(caster.modelMatrix);
  ShadowFootprint footprint;
  for (size_t i = 0; i < parts.size() && i < model.parts.size(); ++i) {
    VornMatrix m = lowered;
    m.multiply(parts[i].matrix);
    footprint.add(boxCorners(model.parts[i]->boundsMin, model.parts[i]->boundsMax, m), light);
  }
  return footprint;
}

std::vector<CasterModel> groupCasters(const VornModelList& models, const std::vector<ShadowCaster>& casters,
                                      const VornVector& light) {
  std::vector<CasterModel> grouped(models.size());
  for (const ShadowCaster& c : casters) {
    if (c.modelIndex < 0 || static_cast<size_t>(c.modelIndex) >= models.size()) continue;
    const VornObject* model = models[static_cast<size_t>(c.modelIndex)].get();
    if (!model || model->vertexBuffer == 0) continue;
    CasterModel& entry = grouped[static_cast<size_t>(c.modelIndex)];
    if (!entry.model) {
      entry.model = model;
      entry.parts = silhouetteParts(*model);
    }
    entry.casters.push_back(&c);
    entry.footprints.push_back(casterFootprint(*model, entry.parts, c, light));
  }
  return grouped;
}

// The casters whose shadow can reach the tile [x0, x1] x [z0, z1].
void drawCasters(const std::vector<CasterModel>& grouped, float x0, float z0, float x1, float z1) {
  for (const CasterModel& entry : grouped) {
    bool bound = false;
    for (size_t i = 0; i < entry.casters.size(); ++i) {
      if (!entry.footprints[i].touches(x0, z0, x1, z1)) continue;
      if (!bound) bindModelArrays(*entry.model);
      bound = true;
      const ShadowCaster* c = entry.casters[i];
      glPushMatrix();
      glTranslatef(0.0f, -c->groundHeight, 0.0f);
      glMultMatrixf(c->modelMatrix.data());
      drawParts(entry.parts);
      glPopMatrix();
    }
    // A software renderer queues everything drawn until a flush; handing
    // each model's casters over keeps that queue (tens of MiB when a tile
    // holds many casters) to one model's worth.
    if (bound) glFlush();
  }
}

}  // namespace

void allowShadowFramebuffers(bool allowed) { framebuffersAllowed() = allowed; }

std::vector<ShadowCaster> shadowCasters(const VornActionObjectList& objects) {
  std::vector<ShadowCaster> casters;
  casters.reserve(objects.size());
  for (const auto& object : objects) {
    if (!object) continue;
    ShadowCaster c;
    c.modelIndex = object->modelIndex;
    c.groundHeight = object->groundHeight;
    c.modelMatrix = VornMatrix(object->modelMatrix());
    casters.push_back(c);
  }
  return casters;
}

unsigned createShadowTexture(const VornModelList& models, const std::vector<ShadowCaster>& casters,
                             const VornVector& light, const VornTerrain& terrain, int viewportWidth,
                             int viewportHeight) {
  if (!shadowLightUsable(light) || terrain.grid().empty()) return 0;
  const SavedState saved;
  GLint maxTextureSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);

  // The layout depends on the tile size, the tile size on where we can draw:
  // try a framebuffer object on the full-size layout first.
  ShadowTextureLayout layout = shadowTextureLayout(terrain.width(), terrain.height(), terrain.scale().x,
                                                   terrain.scale().z, maxTextureSize, kShadowTileTexels);
  GLuint texture = newShadowTexture(layout.textureWidth(), layout.textureHeight());
  BakeTarget target;
  if (!target.attach(texture)) {
    const int tile = tileTexels(false, viewportWidth, viewportHeight);
    if (tile != layout.tileTexels) {
      layout = shadowTextureLayout(terrain.width(), terrain.height(), terrain.scale().x, terrain.scale().z,
                                   maxTextureSize, tile);
      glDeleteTextures(1, &texture);
      texture = newShadowTexture(layout.textureWidth(), layout.textureHeight());
    }
  }

  silhouetteState();
  const std::vector<CasterModel> grouped = groupCasters(models, casters, light);
  if (target.offscreen()) {
    glViewport(0, 0, layout.textureWidth(), layout.textureHeight());
    glClear(GL_COLOR_BUFFER_BIT);
  }
  const int tile = layout.tileTexels;
  // The flattening leaves no depth; a trace of height in it keeps the
  // projection invertible, which drivers need to carry the clip plane into
  // clip space (all depths stay near -999, inside the depth range).
  VornMatrix flatten = shadowProjectionMatrix(light);
  flatten[6] = kFlatDepthPerHeight;
  const GLdouble kAboveGround[4] = {0.0, 1.0, 0.0, 0.0};
  for (int row = 0; row < layout.nz; ++row) {
    for (int column = 0; column < layout.nx; ++column) {
      if (target.offscreen()) {
        glViewport(column * tile, row * tile, tile, tile);
      } else {
        glViewport(0, 0, tile, tile);
        glClear(GL_COLOR_BUFFER_BIT);
      }
      // The flattening sits on the projection side so that eye space is
      // still the world lowered onto each object's ground, where the clip
      // plane y = 0 can drop what is buried: below the ground nothing casts
      // a shadow, and flattened it would fall towards the light.
      glMatrixMode(GL_PROJECTION);
      glLoadIdentity();
      const double x0 = column * static_cast<double>(layout.tileWidth);
      const double z0 = row * static_cast<double>(layout.tileDepth);
      glOrtho(x0, x0 + layout.tileWidth, z0, z0 + layout.tileDepth, kShadowOrthoNear, kShadowOrthoFar);
      glMultMatrixf(flatten.data());
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      glClipPlane(GL_CLIP_PLANE0, kAboveGround);
      glEnable(GL_CLIP_PLANE0);
      // Two texels of slack round the tile for the filtering at its edges.
      const float slackX = 2.0f * layout.tileWidth / static_cast<float>(tile);
      const float slackZ = 2.0f * layout.tileDepth / static_cast<float>(tile);
      drawCasters(grouped, static_cast<float>(x0) - slackX, static_cast<float>(z0) - slackZ,
                  static_cast<float>(x0) + layout.tileWidth + slackX, static_cast<float>(z0) + layout.tileDepth + slackZ);
      glDisable(GL_CLIP_PLANE0);
      if (!target.offscreen()) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, column * tile, row * tile, 0, 0, tile, tile);
      }
    }
  }
  target.release();
  return texture;
}

unsigned createShadowTexture(const VornModelList& models, const VornActionObjectList& objects,
                             const VornVector& light, const VornTerrain& terrain, int viewportWidth,
                             int viewportHeight) {
  return createShadowTexture(models, shadowCasters(objects), light, terrain, viewportWidth, viewportHeight);
}

unsigned makeShadowImage(const VornObject& model, int viewportWidth, int viewportHeight) {
  const SavedState saved;
  GLuint texture = newShadowTexture(kShadowTileTexels, kShadowTileTexels);
  BakeTarget target;
  int size = kShadowTileTexels;
  if (!target.attach(texture)) {
    size = tileTexels(false, viewportWidth, viewportHeight);
    if (size != kShadowTileTexels) {
      glDeleteTextures(1, &texture);
      texture = newShadowTexture(size, size);
    }
  }
  silhouetteState();
  glViewport(0, 0, size, size);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kImageFieldOfView, 1.0, kImageNear, kImageFar);
  glMatrixMode(GL_MODELVIEW);
  VornTransform pose;
  pose.rotateLocalX(kImageFirstTurn);
  pose.rotateLocalX(kImageSecondTurn);
  pose.setScale(kImageScale);
  pose.setPosition(0.0f, 0.0f, -kImageDistance);
  glLoadMatrixf(pose.modelMatrix().data());
  if (model.vertexBuffer != 0) {
    bindModelArrays(model);
    for (const auto& part : model.parts) {
      glPushMatrix();
      glMultMatrixf(partMatrix(model, *part).data());
      for (const VornMaterialGroup& g : part->groups) {
        glDrawArrays(GL_TRIANGLES, g.start * 3, static_cast<GLsizei>(g.size() * 3));
      }
      glPopMatrix();
    }
  }
  glBindTexture(GL_TEXTURE_2D, texture);
  if (!target.offscreen()) glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, size, size);
  target.release();
  std::vector<ImageFrame>& frames = imageFrames();
  frames.erase(std::remove_if(frames.begin(), frames.end(), [&](const ImageFrame& f) { return f.texture == texture; }),
               frames.end());
  frames.push_back(silhouetteFrame(texture, size));
  return texture;
}

std::array<VornVector, 8> modelBoxCorners(const VornObject& model, const VornMatrix& transform) {
  VornVector lo = model.boundsMin - model.center, hi = model.boundsMax - model.center;
  bool first = true;
  for (const auto& part : model.parts) {
    if (part->vertices.empty()) continue;
    for (const VornVector& p : boxCorners(part->boundsMin, part->boundsMax, partMatrix(model, *part))) {
      if (first) {
        lo = hi = p;
        first = false;
      }
      lo.set(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
      hi.set(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
  }
  return boxCorners(lo, hi, transform);
}

VornShadowMesh makeProjectionShadow(const VornObject& model, const VornTransform& transform,
                                    const VornVector& light, const VornTerrain& terrain,
                                    std::string& diagnostics) {
  return makeProjectionShadow(modelBoxCorners(model, transform.modelMatrix()), light, terrain, diagnostics);
}

void uploadShadowMeshes(std::vector<VornShadowMesh>& meshes) {
  releaseShadowMeshes(meshes);
  for (VornShadowMesh& mesh : meshes) {
    if (mesh.empty()) continue;
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.vertices.size() * sizeof(float)),
                 mesh.vertices.data(), GL_STATIC_DRAW);
    mesh.buffer = buffer;
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void releaseShadowMeshes(std::vector<VornShadowMesh>& meshes) {
  for (VornShadowMesh& mesh : meshes) {
    if (mesh.buffer == 0) continue;
    const GLuint buffer = mesh.buffer;
    glDeleteBuffers(1, &buffer);
    mesh.buffer = 0;
  }
}

void drawShadowMeshes(const std::vector<VornShadowMesh>& meshes, const std::vector<uint8_t>& flags,
                      unsigned texture) {
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glActiveTexture(GL_TEXTURE0);
  glClientActiveTexture(GL_TEXTURE0);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glDisable(GL_ALPHA_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glColor3f(1.0f, 1.0f, 1.0f);
  // The ground times the image: its white leaves the ground as it is.
  glEnable(GL_BLEND);
  glBlendFunc(GL_ZERO, GL_SRC_COLOR);
  glBlendEquation(GL_FUNC_ADD);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_FALSE);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  // An image of makeShadowImage: its silhouette spans each quad.
  const ImageFrame* frame = frameOf(texture);
  if (frame) {
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(frame->s0, frame->t0, 0.0f);
    glScalef(frame->s1 - frame->s0, frame->t1 - frame->t0, 1.0f);
    glMatrixMode(GL_MODELVIEW);
  }
  constexpr GLsizei kStride = kShadowVertexFloats * sizeof(float);
  for (size_t i = 0; i < meshes.size(); ++i) {
    const VornShadowMesh& mesh = meshes[i];
    if (mesh.empty() || (i < flags.size() && flags[i] == 0)) continue;
    glBindBuffer(GL_ARRAY_BUFFER, mesh.buffer);
    const float* base = mesh.buffer != 0 ? nullptr : mesh.vertices.data();
    glVertexPointer(3, GL_FLOAT, kStride, base);
    glTexCoordPointer(2, GL_FLOAT, kStride, mesh.buffer != 0 ? reinterpret_cast<const void*>(3 * sizeof(float))
                                                             : static_cast<const void*>(base + 3));
    glDrawArrays(GL_TRIANGLES, 0, mesh.vertexCount());
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  if (frame) {
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
  }
  glPopClientAttrib();
  glPopAttrib();
  VornObject::resetBoundObject();
}

}  // namespace vorn
