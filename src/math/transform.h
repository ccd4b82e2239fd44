// VornTransform: where one model instance, player or collision body stands, and its model matrix.
// Units: world units, plain scale factors, degrees. Cost: each mutator rebuilds the model matrix
// (16 multiplies); rotations add one 4x4 product. Nothing allocates.
#pragma once

#include "math/matrix.h"
#include "math/vector.h"

namespace vorn {

// Degrees to radians for the transform rotations.
constexpr double kTransformDegToRad = 3.14159265 / 180.0;

// An orientation (`rotation`), a `position`, a per-axis `scale`, and the
// combined model matrix, rebuilt after every change so readers never see a
// stale one. Handing it to OpenGL is the device layer's job (math/transform_gl.h).
class VornTransform {
 public:
  // Identity rotation, position (0,0,0), scale (1,1,1).
  VornTransform();
  // rotation: {angleDeg, axis x, y, z}.
  VornTransform(const VornVector& position, const float* rotation);
  // {position x, y, z, angleDeg, axis x, y, z}.
  explicit VornTransform(const float* placement);
  // position {x, y, z}, rotation {angleDeg, axis x, y, z}.
  VornTransform(const int* position, const int* rotation);
  VornTransform(const VornTransform&) = default;
  VornTransform& operator=(const VornTransform&) = default;

  // Position (0,0,0) and scale (1,1,1); the orientation stays.
  void reset();

  void setPosition(const VornVector& p);
  void setPosition(const float* p);
  void setPosition(float x, float y, float z);
  void translate(const VornVector& d);
  void translate(const float* d);
  void translate(float x, float y, float z);

  // Scale (s, s, s) or per axis; `scaleBy` multiplies the current scale.
  void setScale(float s);
  void setScale(const VornVector& s);
  void scaleBy(float s);

  void setRotation(const VornMatrix& r);

  // Turns about a world axis: rotation := Rot(axis, angle) * rotation.
  void rotateX(float angleDeg);
  void rotateY(float angleDeg);
  void rotateZ(float angleDeg);
  // Turns about the transform's own axes; an angle of exactly 0 does nothing.
  void rotateLocalX(float angleDeg);
  void rotateLocalY(float angleDeg);
  void rotateLocalZ(float angleDeg);

  // Turns the model's +X axis along `direction` (yaw about Y, then pitch
  // about the local Z), then rolls about the local X axis by rollDeg.
  void orient(const VornVector& direction, float rollDeg);

  // v := model * (v, 1).
  void transformPoint(VornVector& v) const;

  const VornVector& position() const { return position_; }
  const VornVector& scale() const { return scale_; }
  const VornMatrix& rotation() const { return rotation_; }
  const VornMatrix& modelMatrix() const { return model_; }

 private:
  void rotateAbout(const VornVector& axis, float angleDeg);
  void rotateLocal(VornVector axis, float angleDeg);
  // model column j = rotation column j * scale j (w unscaled), j = 0..2;
  // column 3 = position + rotation's translation, with rotation[15].
  void rebuild();

  VornMatrix rotation_;
  VornMatrix model_;
  VornVector position_;
  VornVector scale_{1.0f, 1.0f, 1.0f};
};

}  // namespace vorn
