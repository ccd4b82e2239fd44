#include "assets/shadow_volume_gl.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/shadow_volume.h"
#include "base/pass_marks.h"

namespace vorn {
namespace {

// What the pass changes, all of it restored at the end: enables, colour
// mask and blending, depth and stencil state, winding and culling, lighting,
// texturing, the current colour.
constexpr GLbitfield kSavedAttributes = GL_CURRENT_BIT | GL_LINE_BIT | GL_POLYGON_BIT | GL_LIGHTING_BIT |
                                        GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_VIEWPORT_BIT |
                                        GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT |
                                        GL_SCISSOR_BIT;

// Each shadowed pixel keeps 70 % of its colour.
constexpr GLfloat kShadowAlpha = 0.3f;
// Visible volumes (the debug switch): see-through yellow.
constexpr GLfloat kVisibleVolumeColor[4] = {1.0f, 0.9f, 0.2f, 0.25f};
// Parts at these positions of a model's list cast nothing on the one-sided path.
constexpr size_t kTwoPassSkippedParts[2] = {6, 7};
// The near plane's corners lie a little inside this ball.
constexpr float kNearBallMargin = 1.05f;

// The camera as the volumes need it: the view matrix and the radius of a ball
// around the eye that holds the near plane (0: not a perspective projection).
struct ViewInfo {
  VornMatrix view;
  float nearRadius = 0.0f;
};

ViewInfo currentView() {
  ViewInfo info;
  glGetFloatv(GL_MODELVIEW_MATRIX, info.view.data());
  float p[16];
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  if (p[11] != 0.0f && p[10] != 1.0f && p[0] != 0.0f && p[5] != 0.0f) {
    const float n = p[14] / (p[10] - 1.0f);
    const float halfWidth = n / p[0], halfHeight = n / p[5];
    info.nearRadius = kNearBallMargin * std::sqrt(n * n + halfWidth * halfWidth + halfHeight * halfHeight);
  }
  return info;
}

enum class Counting { kDepthPass, kDepthFail };

// The part's volume for one instance: the light in its frame, how to count
// it, and its silhouette with its far cap (and the near cap when counted
// depth-fail). False when the
// part casts nothing.
bool prepareVolume(const VornObject& object, VornObjectPart& part, const VornAnimatedInstance& instance,
                   const float light[4], float reach, const ViewInfo& view, VornMatrix& transform,
                   Counting& counting, VornSilhouette& silhouette) {
  if (part.faceCount() == 0) return false;
  transform = shadowPartTransform(instance.modelMatrix(), object.center, part, instance.animationFrame());
  VornMatrix inverse = transform;
  if (!inverse.invert()) return false;
  transformVector4(inverse, light, part.lightInPart);

  counting = Counting::kDepthFail;  // without a perspective eye, the safe choice
  VornMatrix toPart = view.view;
  toPart.multiply(transform);
  if (view.nearRadius > 0.0f && toPart.invert()) {
    float stretch = 0.0f;
    for (int c = 0; c < 3; ++c) {
      const float* col = toPart.m + c * 4;
      stretch = std::max(stretch, std::sqrt(col[0] * col[0] + col[1] * col[1] + col[2] * col[2]));
    }
    const VornVector eye(toPart.m[12], toPart.m[13], toPart.m[14]);
    if (!volumeMayReachEye(part, eye, view.nearRadius * stretch, reach)) counting = Counting::kDepthPass;
  }
  findSilhouette(part, silhouette, counting == Counting::kDepthFail, reach);
  return silhouette.quadCount() > 0 || silhouette.capTriangleCount() > 0;
}

// The volumes go out as vertex arrays: a few thousand corners a frame, one
// call per batch instead of one per corner.
void emit(const VornMatrix& transform, const VornSilhouette& s) {
  glPushMatrix();
  glMultMatrixf(transform.data());
  if (!s.quads.empty()) {
    glVertexPointer(3, GL_FLOAT, 0, s.quads.data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(s.quadCount() * 4));
  }
  if (!s.caps.empty()) {
    glVertexPointer(3, GL_FLOAT, 0, s.caps.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(s.capTriangleCount() * 3));
  }
  glPopMatrix();
}

bool depthClampAvailable() { return GLEW_ARB_depth_clamp || GLEW_NV_depth_clamp; }

// Depth-fail volumes end far beyond the far plane; clamping keeps their far cap.
void setDepthClamp(Counting counting) {
  if (!depthClampAvailable()) return;
  if (counting == Counting::kDepthFail) {
    glEnable(GL_DEPTH_CLAMP);
  } else {
    glDisable(GL_DEPTH_CLAMP);
  }
}

void setTwoSidedOps(Counting counting) {
  const bool fail = counting == Counting::kDepthFail;
  glActiveStencilFaceEXT(GL_BACK);
  glStencilOp(GL_KEEP, fail ? GL_INCR_WRAP_EXT : GL_KEEP, fail ? GL_KEEP : GL_DECR_WRAP_EXT);
  glStencilMask(~0u);
  glStencilFunc(GL_ALWAYS, 0, ~0u);
  glActiveStencilFaceEXT(GL_FRONT);
  glStencilOp(GL_KEEP, fail ? GL_DECR_WRAP_EXT : GL_KEEP, fail ? GL_KEEP : GL_INCR_WRAP_EXT);
  glStencilMask(~0u);
  glStencilFunc(GL_ALWAYS, 0, ~0u);
}

// One part's volume, ready to count.
struct PreparedVolume {
  VornMatrix transform;
  Counting counting = Counting::kDepthPass;
  VornSilhouette silhouette;
};

// The casters' volumes of this pass. Kept between frames so that the
// silhouettes' vectors keep their capacity and a frame allocates nothing.
std::vector<PreparedVolume>& volumeScratch() {
  static std::vector<PreparedVolume> volumes;
  return volumes;
}

// Appends the volumes of every part of `instance` to volumes[used..], growing
// the list only when it is short; returns the new count.
size_t prepareVolumes(VornObject& object, const float light[4], float reach, int instance, const ViewInfo& view,
                      bool twoSided, std::vector<PreparedVolume>& volumes, size_t used) {
  if (instance < 0 || static_cast<size_t>(instance) >= object.animatedInstances.size()) return used;
  const VornAnimatedInstance& inst = *object.animatedInstances[static_cast<size_t>(instance)];
  for (size_t i = 0; i < object.parts.size(); ++i) {
    if (!twoSided && (i == kTwoPassSkippedParts[0] || i == kTwoPassSkippedParts[1])) continue;
    if (used == volumes.size()) volumes.emplace_back();
    PreparedVolume& v = volumes[used];
    if (prepareVolume(object, *object.parts[i], inst, light, reach, view, v.transform, v.counting, v.silhouette)) {
      ++used;
    }
  }
  return used;
}

// The vertex arrays the volumes are sent with; every other array is off, so
// a normal or texture array left on by the scene is not read past its end.
void beginVolumeArrays() {
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_INDEX_ARRAY, GL_EDGE_FLAG_ARRAY}) {
    glDisableClientState(array);
  }
  if (GLEW_VERSION_1_4) {
    glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
    glDisableClientState(GL_FOG_COORD_ARRAY);
  }
  GLint units = 1;
  if (GLEW_VERSION_1_3) glGetIntegerv(GL_MAX_TEXTURE_COORDS, &units);
  for (GLint unit = units - 1; unit >= 0; --unit) {
    if (GLEW_VERSION_1_3) glClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glEnableClientState(GL_VERTEX_ARRAY);
}

void countVolumes(const PreparedVolume* volumes, size_t count, bool twoSided) {
  beginVolumeArrays();
  for (size_t i = 0; i < count; ++i) {
    const PreparedVolume& v = volumes[i];
    setDepthClamp(v.counting);
    if (twoSided) {
      setTwoSidedOps(v.counting);
      emit(v.transform, v.silhouette);
      continue;
    }
    // Increments first: one-sided counters saturate at zero.
    const bool fail = v.counting == Counting::kDepthFail;
    glFrontFace(fail ? GL_CW : GL_CCW);
    glStencilOp(GL_KEEP, fail ? GL_INCR : GL_KEEP, fail ? GL_KEEP : GL_INCR);
    emit(v.transform, v.silhouette);
    glFrontFace(fail ? GL_CCW : GL_CW);
    glStencilOp(GL_KEEP, fail ? GL_DECR : GL_KEEP, fail ? GL_KEEP : GL_DECR);
    emit(v.transform, v.silhouette);
  }
  if (depthClampAvailable()) glDisable(GL_DEPTH_CLAMP);
  glPopClientAttrib();
}

void drawVolumesWith(VornObject& object, const float light[4], float reach, int instance, const ViewInfo& view,
                     bool twoSided) {
  std::vector<PreparedVolume>& volumes = volumeScratch();
  const size_t count = prepareVolumes(object, light, reach, instance, view, twoSided, volumes, 0);
  countVolumes(volumes.data(), count, twoSided);
}

// A window rectangle in pixels: x, y of the lower left corner, width, height.
struct PixelBox {
  GLint x = 0, y = 0, width = 0, height = 0;
};

// Pixels beyond the projected corners, for rounding and wide lines.
constexpr GLint kBoxMargin = 2;
// Corners this close to the eye plane (clip w) are taken as behind it.
constexpr float kNearW = 1e-3f;

// The part of `viewport` the volumes can touch: their projected corners'
// bounds. Volumes are closed, so every pixel they cover lies within. When a
// corner lies behind the eye the projection does not bound it, and the whole
// viewport is returned.
PixelBox volumesOnScreen(const PreparedVolume* volumes, size_t count, const VornMatrix& clipFromWorld,
                         const PixelBox& viewport) {
  float lo[2] = {1.0f, 1.0f}, hi[2] = {-1.0f, -1.0f};
  for (size_t i = 0; i < count; ++i) {
    VornMatrix m = clipFromWorld;
    m.multiply(volumes[i].transform);
    for (const std::vector<float>* corners : {&volumes[i].silhouette.quads, &volumes[i].silhouette.caps}) {
      for (size_t c = 0; c + 2 < corners->size(); c += 3) {
        const float in[4] = {(*corners)[c], (*corners)[c + 1], (*corners)[c + 2], 1.0f};
        float clip[4];
        transformVector4(m, in, clip);
        if (clip[3] < kNearW) return viewport;
        for (int a = 0; a < 2; ++a) {
          const float ndc = clip[a] / clip[3];
          lo[a] = std::min(lo[a], ndc);
          hi[a] = std::max(hi[a], ndc);
        }
      }
    }
  }
  if (lo[0] > hi[0]) return PixelBox{viewport.x, viewport.y, 0, 0};
  const auto toPixel = [](float ndc, GLint origin, GLint size) {
    return origin + static_cast<float>(size) * (0.5f * std::clamp(ndc, -1.0f, 1.0f) + 0.5f);
  };
  const GLint x0 = static_cast<GLint>(std::floor(toPixel(lo[0], viewport.x, viewport.width))) - kBoxMargin;
  const GLint y0 = static_cast<GLint>(std::floor(toPixel(lo[1], viewport.y, viewport.height))) - kBoxMargin;
  const GLint x1 = static_cast<GLint>(std::ceil(toPixel(hi[0], viewport.x, viewport.width))) + kBoxMargin;
  const GLint y1 = static_cast<GLint>(std::ceil(toPixel(hi[1], viewport.y, viewport.height))) + kBoxMargin;
  PixelBox box;
  box.x = std::max(x0, viewport.x);
  box.y = std::max(y0, viewport.y);
  box.width = std::max(0, std::min(x1, viewport.x + viewport.width) - box.x);
  box.height = std::max(0, std::min(y1, viewport.y + viewport.height) - box.y);
  return box;
}

// Where the pass may write: the volumes' box, within the scissor box already
// in force.
PixelBox passBox(const PreparedVolume* volumes, size_t count, const ViewInfo& view) {
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  VornMatrix clipFromWorld;
  glGetFloatv(GL_PROJECTION_MATRIX, clipFromWorld.data());
  clipFromWorld.multiply(view.view);
  PixelBox box = volumesOnScreen(volumes, count, clipFromWorld, PixelBox{vp[0], vp[1], vp[2], vp[3]});
  if (glIsEnabled(GL_SCISSOR_TEST)) {
    GLint s[4];
    glGetIntegerv(GL_SCISSOR_BOX, s);
    const GLint x1 = std::min(box.x + box.width, s[0] + s[2]), y1 = std::min(box.y + box.height, s[1] + s[3]);
    box.x = std::max(box.x, s[0]);
    box.y = std::max(box.y, s[1]);
    box.width = std::max(0, x1 - box.x);
    box.height = std::max(0, y1 - box.y);
  }
  return box;
}

}  // namespace

void calcBrothers(VornObject& object) {
  for (auto& part : object.parts) calcBrothers(*part);
}

void drawVolumes(VornObject& object, const float light[4], int instance) {
  drawVolumesWith(object, light, kShadowExtrusion, instance, currentView(), true);
}

void drawVolumesTwoPass(VornObject& object, const float light[4], int instance) {
  drawVolumesWith(object, light, kShadowExtrusion, instance, currentView(), false);
}

// Read once: VORN_NO_SHADOW_VOLUMES=1 leaves the pass out, for timing the
// frame without it.
bool shadowVolumesDisabled() {
  static const bool disabled = [] {
    const char* value = std::getenv("VORN_NO_SHADOW_VOLUMES");
    return value && std::strcmp(value, "1") == 0;
  }();
  return disabled;
}

bool stencilTwoPassForced() {
  const char* value = std::getenv("VORN_STENCIL_TWO_PASS");
  return value && std::strcmp(value, "1") == 0;
}

void drawShadows(VornModelList& models, const float light[4], const float* reach, int players, bool twoSided,
                 bool showVolumes) {
  if (shadowVolumesDisabled()) return;
  twoSided = twoSided && glActiveStencilFaceEXT && !stencilTwoPassForced();
  const ViewInfo view = currentView();
  std::vector<PreparedVolume>& volumes = volumeScratch();
  size_t count = 0;
  for (int instance = 0; instance < players; ++instance) {
    for (int index : kShadowCasterModels) {
      if (index < static_cast<int>(models.size()) && models[static_cast<size_t>(index)]) {
        count = prepareVolumes(*models[static_cast<size_t>(index)], light,
                               std::min(reach[instance], kShadowExtrusion), instance, view, twoSided, volumes, count);
      }
    }
  }
  // The stencil clear and the darkening quad touch only the pixels the
  // volumes can cover; on a software renderer both cost by the pixel.
  const PixelBox box = passBox(volumes.data(), count, view);
  if (box.width <= 0 || box.height <= 0) return;

  glPushAttrib(kSavedAttributes);
  glEnable(GL_SCISSOR_TEST);
  glScissor(box.x, box.y, box.width, box.height);
  glStencilMask(~0u);
  glClear(GL_STENCIL_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDepthMask(GL_FALSE);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_STENCIL_TEST);
  if (showVolumes) {
    glColor4fv(kVisibleVolumeColor);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  }
  if (twoSided) {
    glDisable(GL_CULL_FACE);
    glEnable(GL_STENCIL_TEST_TWO_SIDE_EXT);
  } else {
    // The two windings count front and back faces only while culling is on.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glStencilFunc(GL_ALWAYS, 1, ~0u);
  }
  countVolumes(volumes.data(), count, twoSided);
  markPass("shadow volumes");
  if (twoSided) {
    glDisable(GL_STENCIL_TEST_TWO_SIDE_EXT);
    glActiveStencilFaceEXT(GL_FRONT);
  } else {
    glFrontFace(GL_CCW);
  }

  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glColor4f(0.0f, 0.0f, 0.0f, kShadowAlpha);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glStencilFunc(GL_NOTEQUAL, 0, ~0u);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  drawViewCoverQuad();
  markPass("shadow darkening");
  glPopAttrib();
}

}  // namespace vorn
