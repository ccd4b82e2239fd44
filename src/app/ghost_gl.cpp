// The recorded run's one device call: placing the ghost for drawing.
#include <GL/glew.h>

#include "app/ghost.h"

namespace vorn {

void VornGhost::applyTransform() const {
  if (const float* matrix = currentTransform()) glMultMatrixf(matrix);
}

}  // namespace vorn
