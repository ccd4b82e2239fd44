// Device side of VornTransform: hands its model matrix to OpenGL; only drawing code includes it,
// so the math core never touches the graphics API. Units: world units. Cost: one glMultMatrixf.
#pragma once

#include <GL/gl.h>

#include "math/transform.h"

namespace vorn {

// Current matrix := current matrix * model matrix.
inline void applyTransform(const VornTransform& transform) {
  glMultMatrixf(transform.modelMatrix().data());
}

}  // namespace vorn
