// Device side of the math core: hands a VornTransform's model matrix to OpenGL and reads the
// current view volume back; only drawing code includes it, so the math core never touches the
// graphics API. Units: world units. Cost: one glMultMatrixf; two matrix reads for the planes.
#pragma once

#include <GL/gl.h>

#include "math/matrix.h"
#include "math/transform.h"

namespace vorn {

// Current matrix := current matrix * model matrix.
inline void applyTransform(const VornTransform& transform) {
  glMultMatrixf(transform.modelMatrix().data());
}

// The view volume of the current projection and model-view matrices, in the
// space the model-view matrix takes in (read once a pass, not per object).
inline VornPlanes currentViewPlanes() {
  VornMatrix clip, view;
  glGetFloatv(GL_PROJECTION_MATRIX, clip.data());
  glGetFloatv(GL_MODELVIEW_MATRIX, view.data());
  clip.multiply(view);
  return viewPlanes(clip);
}

}  // namespace vorn
