// Device side of VornTransform: hands a transform's model matrix to OpenGL.
// Kept out of the math library so the core never touches the graphics API;
// only drawing code includes this header. Cost: one glMultMatrixf.
#pragma once

#include <GL/gl.h>

#include "math/transform.h"

namespace vorn {

// Current matrix := current matrix * model matrix.
inline void applyTransform(const VornTransform& transform) {
  glMultMatrixf(transform.modelMatrix().data());
}

}  // namespace vorn
