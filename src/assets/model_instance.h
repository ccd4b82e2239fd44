// What model drawing needs from the things that use a model: a model matrix
// (16 floats, column-major as OpenGL takes it) and, for animated instances,
// the frame to show; for placed and action objects, whether they are visible
// in a view (0 the single or bottom view, 1 the top view of the split
// screen). Players, placed objects and action objects provide these through
// small adapters. Cost: one or two virtual calls an instance and part drawn.
#pragma once

namespace vorn {

class VornAnimatedInstance {
 public:
  virtual ~VornAnimatedInstance() = default;
  virtual const float* modelMatrix() const = 0;
  virtual float animationFrame() const = 0;
};

class VornPlacedInstance {
 public:
  virtual ~VornPlacedInstance() = default;
  virtual const float* modelMatrix() const = 0;
  virtual bool visibleInView(int view) const = 0;
};

}  // namespace vorn
