// What model drawing needs from the things that use a model, provided through small adapters.
// Units: 16-float column-major model matrices, animation frames, views.
// Cost: one or two virtual calls an instance and part drawn.
#pragma once

namespace vorn {

// A player or rider: its model matrix (16 floats, column-major as OpenGL takes
// it) and the animation frame to show.
class VornAnimatedInstance {
 public:
  virtual ~VornAnimatedInstance() = default;
  virtual const float* modelMatrix() const = 0;
  virtual float animationFrame() const = 0;
};

// A placed or action object: its model matrix and whether it is visible in a
// view (0 the single or bottom view, 1 the top view of the split screen).
class VornPlacedInstance {
 public:
  virtual ~VornPlacedInstance() = default;
  virtual const float* modelMatrix() const = 0;
  virtual bool visibleInView(int view) const = 0;
};

}  // namespace vorn
