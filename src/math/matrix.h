// VornMatrix: a 4x4 single-precision matrix in OpenGL's column-major order, composed like the
// fixed-function pipeline. Units: degrees for `rotate`, radians for `rotateRadians`.
// Cost: 64 multiplies per product, a 4x4 Gauss-Jordan for `invert`; nothing allocates.
#pragma once

#include <array>

#include "math/vector.h"

namespace vorn {

// Degrees to radians for `rotate` with separate axis arguments.
constexpr double kMatrixDegToRad = 0.0174532925;
// The diagnostic file `dump` appends to.
constexpr const char* kMatrixDumpFile = "rep.txt";

// Row r, column c at index c*4 + r (the translation at 12, 13, 14), so `m` can
// go straight to glMultMatrixf or be filled by glGetFloatv. `multiply`,
// `rotate`, `translate` and `scale` post-multiply (M := M * B, like
// glMultMatrixf, glRotatef, glTranslatef, glScalef); `rotateRadians` and
// `preMultiply` pre-multiply (M := B * M, a turn about a world axis).
class VornMatrix {
 public:
  // Identity.
  VornMatrix();
  // Sixteen values in column-major order.
  explicit VornMatrix(const float* values);

  float m[16];

  float& operator[](int i);
  float operator[](int i) const;
  const float* data() const { return m; }
  float* data() { return m; }

  void identity();

  // Columns 0..2 are the axes, column 3 the origin, bottom row (0,0,0,1).
  void fromAxes(const VornVector& xAxis, const VornVector& yAxis, const VornVector& zAxis,
                const VornVector& origin);
  // The same, inverted: maps world points into that frame.
  void fromAxesInverse(const VornVector& xAxis, const VornVector& yAxis, const VornVector& zAxis,
                       const VornVector& origin);

  // In-place inverse by Gauss-Jordan elimination with full pivoting. Returns
  // false for a singular matrix; the matrix is then left part-way through the
  // elimination and must not be used.
  bool invert();

  // v := M * (v, 1), translation included.
  void transformPoint(VornVector& v) const;
  // v := upper 3x3 of M times v, normalized (a transform's local axes).
  void transformDirection(VornVector& v) const;

  // M := M * b.
  void multiply(const VornMatrix& b);
  // M := b * M.
  void preMultiply(const VornMatrix& b);
  // c := c * M.
  void multiplyInto(VornMatrix& c) const;

  // M := R * M, R the turn by angleRad about the axis (normalized here; a
  // zero axis leaves M unchanged).
  void rotateRadians(const VornVector& axis, float angleRad);
  // M := M * R like glRotatef, but the axis enters the formula as given: an
  // axis that is not of unit length gives a rotation mixed with a scale.
  void rotate(float angleDeg, float x, float y, float z);
  // M := M * T(v).
  void translate(float x, float y, float z);
  void translate(const VornVector& v) { translate(v.x, v.y, v.z); }
  // M := M * S.
  void scale(float sx, float sy, float sz);

  // Appends the matrix as four rows "%f, %f, %f, %f\n"; never truncates. Opens
  // and closes the file each call (diagnostics only).
  void dump(const char* path = kMatrixDumpFile) const;
};

// The rotation matrix about a unit axis (x, y, z) by angleRad, as the
// post-multiplying and pre-multiplying rotations use it.
VornMatrix rotationMatrix(float angleRad, float x, float y, float z);

// The view volume of `clip` (projection * modelview) as six planes a, b, c,
// d, a x + b y + c z + d >= 0 inside and (a, b, c) of unit length, in the
// space the modelview takes in: left, right, bottom, top, near, far.
using VornPlanes = std::array<std::array<float, 4>, 6>;
VornPlanes viewPlanes(const VornMatrix& clip);

// Whether the box [min, max] lies wholly on the outer side of one plane, so
// nothing in it can be seen (conservative: a box outside near a corner of
// the volume may still count as inside).
bool boxOutside(const VornPlanes& planes, const VornVector& min, const VornVector& max);

}  // namespace vorn
