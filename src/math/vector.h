// VornVector: the 3-component float vector for points, directions and normals, and point helpers.
// Units: as stored (world units, unit directions); angles in degrees.
// Cost: a handful of float operations each; nothing allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace vorn {

// Degrees to radians for the vector rotations; kept at this precision because
// recorded runs and tuned steering depend on it.
constexpr float kVectorDegToRad = 0.01745f;

struct VornVector {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  // Marks a direction that has been pitched over the vertical. Only `pitch`
  // and `up` read or change it; arithmetic carries it along (scaling keeps it,
  // a sum or difference of two vectors takes the right-hand operand's flag,
  // sums with plain arrays keep this vector's flag). Assignment (from a vector
  // or a float[3]) and `set` copy the components only and never the flag;
  // copy construction copies all four fields.
  uint8_t upsideDown = 0;

  VornVector() = default;
  VornVector(float x, float y, float z) : x(x), y(y), z(z) {}
  VornVector(float x, float y, float z, uint8_t upsideDown)
      : x(x), y(y), z(z), upsideDown(upsideDown) {}
  // Three consecutive values; the flag starts clear.
  explicit VornVector(const float* v) : x(v[0]), y(v[1]), z(v[2]) {}
  explicit VornVector(const int* v)
      : x(static_cast<float>(v[0])), y(static_cast<float>(v[1])), z(static_cast<float>(v[2])) {}

  VornVector(const VornVector&) = default;
  // Components only: the target keeps its own orientation flag.
  VornVector& operator=(const VornVector& o) {
    x = o.x;
    y = o.y;
    z = o.z;
    return *this;
  }
  VornVector& operator=(const float (&v)[3]) {
    x = v[0];
    y = v[1];
    z = v[2];
    return *this;
  }
  void set(float nx, float ny, float nz) {
    x = nx;
    y = ny;
    z = nz;
  }

  float& operator[](int i);
  float operator[](int i) const;

  VornVector operator+(const VornVector& b) const { return {x + b.x, y + b.y, z + b.z, b.upsideDown}; }
  VornVector operator-(const VornVector& b) const { return {x - b.x, y - b.y, z - b.z, b.upsideDown}; }
  VornVector operator+(const float (&b)[3]) const { return {x + b[0], y + b[1], z + b[2], upsideDown}; }
  VornVector operator-(const float (&b)[3]) const { return {x - b[0], y - b[1], z - b[2], upsideDown}; }
  VornVector operator+(const int (&b)[3]) const;
  VornVector operator-(const int (&b)[3]) const;

  VornVector& operator+=(const VornVector& b);
  VornVector& operator-=(const VornVector& b);
  VornVector& operator+=(const float (&b)[3]);
  VornVector& operator-=(const float (&b)[3]);
  VornVector& operator+=(const int (&b)[3]);
  VornVector& operator-=(const int (&b)[3]);

  // Integer scalars convert to float; a zero divisor is the caller's fault.
  VornVector operator*(float s) const { return {x * s, y * s, z * s, upsideDown}; }
  VornVector operator/(float s) const { return {x / s, y / s, z / s, upsideDown}; }
  VornVector& operator*=(float s);

  // Keeps this vector's flag.
  VornVector cross(const VornVector& b) const;
  float dot(const VornVector& b) const { return x * b.x + y * b.y + z * b.z; }
  float dot(const float (&b)[3]) const { return x * b[0] + y * b[1] + z * b[2]; }
  float dot(const int (&b)[3]) const;

  float length() const;
  float lengthSquared() const { return x * x + y * y + z * z; }
  float distanceSquared(const VornVector& p) const;

  // A vector of length exactly 0 is left as it is.
  void normalize();
  // The same; returns the length before (0 for a zero vector).
  float normalizeAndLength();
  // Normalized copy with the same flag.
  VornVector normalized() const;

  // Turns about the world Y axis; positive angles turn +X towards -Z.
  void rotateY(float angleDeg);
  // Turns towards (positive) or away from the vertical about the horizontal
  // axis perpendicular to this direction; toggles the flag when the
  // horizontal part flips sign.
  void pitch(float angleDeg);
  // The unit vector perpendicular to this direction in its vertical plane,
  // on the +Y side unless the direction is upside down.
  VornVector up() const;
};

inline VornVector operator*(float s, const VornVector& v) { return v * s; }

// normalize((b - a) x (c - a)); counter-clockwise corners seen from above
// give an upward normal.
VornVector triangleNormal(const VornVector& a, const VornVector& b, const VornVector& c);
VornVector triangleNormal(const float* a, const float* b, const float* c);
// Nine floats: the three corners one after the other.
VornVector triangleNormal(const float* corners);
VornVector triangleNormal(const int* a, const int* b, const int* c);

// Arithmetic mean of the points; (0,0,0) for an empty list. Flag clear.
VornVector average(std::initializer_list<VornVector> points);
VornVector average(const VornVector* points, std::size_t count);

}  // namespace vorn
