#include "assets/shadow_volume_gl.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/shadow_volume.h"

namespace vorn {
namespace {

// What the pass changes, all of it restored at the end: enables, colour
// mask and blending, depth and stencil state, winding and culling, lighting,
// texturing, the current colour.
constexpr GLbitfield kSavedAttributes = GL_CURRENT_BIT | GL_LINE_BIT | GL_POLYGON_BIT | GL_LIGHTING_BIT |
                                        GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_VIEWPORT_BIT |
                                        GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT;

// Each shadowed pixel keeps 70 % of its colour.
constexpr GLfloat kShadowAlpha = 0.3f;
constexpr GLfloat kDarkenQuadHalf = 100.1f;
constexpr GLfloat kDarkenQuadDepth = -2.1f;
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

void emit(const VornMatrix& transform, const VornSilhouette& s) {
  glPushMatrix();
  glMultMatrixf(transform.data());
  glBegin(GL_QUADS);
  for (size_t i = 0; i + 2 < s.quads.size(); i += 3) glVertex3fv(&s.quads[i]);
  glEnd();
  if (!s.caps.empty()) {
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i + 2 < s.caps.size(); i += 3) glVertex3fv(&s.caps[i]);
    glEnd();
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

void drawVolumesWith(VornObject& object, const float light[4], float reach, int instance, const ViewInfo& view,
                     bool twoSided) {
  if (instance < 0 || static_cast<size_t>(instance) >= object.animatedInstances.size()) return;
  const VornAnimatedInstance& inst = *object.animatedInstances[static_cast<size_t>(instance)];
  VornSilhouette silhouette;
  VornMatrix transform;
  Counting counting = Counting::kDepthPass;
  for (size_t i = 0; i < object.parts.size(); ++i) {
    if (!twoSided && (i == kTwoPassSkippedParts[0] || i == kTwoPassSkippedParts[1])) continue;
    if (!prepareVolume(object, *object.parts[i], inst, light, reach, view, transform, counting, silhouette)) continue;
    setDepthClamp(counting);
    if (twoSided) {
      setTwoSidedOps(counting);
      emit(transform, silhouette);
      continue;
    }
    // Increments first: one-sided counters saturate at zero.
    const bool fail = counting == Counting::kDepthFail;
    glFrontFace(fail ? GL_CW : GL_CCW);
    glStencilOp(GL_KEEP, fail ? GL_INCR : GL_KEEP, fail ? GL_KEEP : GL_INCR);
    emit(transform, silhouette);
    glFrontFace(fail ? GL_CCW : GL_CW);
    glStencilOp(GL_KEEP, fail ? GL_DECR : GL_KEEP, fail ? GL_KEEP : GL_DECR);
    emit(transform, silhouette);
  }
  if (depthClampAvailable()) glDisable(GL_DEPTH_CLAMP);
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
  glClear(GL_STENCIL_BUFFER_BIT);
  glPushAttrib(kSavedAttributes);
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
  const ViewInfo view = currentView();
  for (int instance = 0; instance < players; ++instance) {
    for (int index : kShadowCasterModels) {
      if (index < static_cast<int>(models.size()) && models[static_cast<size_t>(index)]) {
        drawVolumesWith(*models[static_cast<size_t>(index)], light, std::min(reach[instance], kShadowExtrusion),
                        instance, view, twoSided);
      }
    }
  }
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
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_TRIANGLE_STRIP);
  glVertex3f(-kDarkenQuadHalf, kDarkenQuadHalf, kDarkenQuadDepth);
  glVertex3f(-kDarkenQuadHalf, -kDarkenQuadHalf, kDarkenQuadDepth);
  glVertex3f(kDarkenQuadHalf, kDarkenQuadHalf, kDarkenQuadDepth);
  glVertex3f(kDarkenQuadHalf, -kDarkenQuadHalf, kDarkenQuadDepth);
  glEnd();
  glPopMatrix();
  glPopAttrib();
}

}  // namespace vorn
