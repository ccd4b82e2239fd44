#include "math/vector.h"

#include <cassert>
#include <cmath>

namespace vorn {

namespace {

float f(int v) { return static_cast<float>(v); }

}  // namespace

float& VornVector::operator[](int i) {
  assert(i >= 0 && i < 3 && "VornVector index out of range");
  return i == 0 ? x : (i == 1 ? y : z);
}

float VornVector::operator[](int i) const {
  assert(i >= 0 && i < 3 && "VornVector index out of range");
  return i == 0 ? x : (i == 1 ? y : z);
}

VornVector VornVector::operator+(const int (&b)[3]) const {
  return {x + f(b[0]), y + f(b[1]), z + f(b[2]), upsideDown};
}

VornVector VornVector::operator-(const int (&b)[3]) const {
  return {x - f(b[0]), y - f(b[1]), z - f(b[2]), upsideDown};
}

VornVector& VornVector::operator+=(const VornVector& b) {
  x += b.x;
  y += b.y;
  z += b.z;
  return *this;
}

VornVector& VornVector::operator-=(const VornVector& b) {
  x -= b.x;
  y -= b.y;
  z -= b.z;
  return *this;
}

VornVector& VornVector::operator+=(const float (&b)[3]) {
  x += b[0];
  y += b[1];
  z += b[2];
  return *this;
}

VornVector& VornVector::operator-=(const float (&b)[3]) {
  x -= b[0];
  y -= b[1];
  z -= b[2];
  return *this;
}

VornVector& VornVector::operator+=(const int (&b)[3]) {
  x += f(b[0]);
  y += f(b[1]);
  z += f(b[2]);
  return *this;
}

VornVector& VornVector::operator-=(const int (&b)[3]) {
  x -= f(b[0]);
  y -= f(b[1]);
  z -= f(b[2]);
  return *this;
}

VornVector& VornVector::operator*=(float s) {
  x *= s;
  y *= s;
  z *= s;
  return *this;
}

VornVector VornVector::cross(const VornVector& b) const {
  return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x, upsideDown};
}

float VornVector::dot(const int (&b)[3]) const { return x * f(b[0]) + y * f(b[1]) + z * f(b[2]); }

float VornVector::length() const { return std::sqrt(lengthSquared()); }

float VornVector::distanceSquared(const VornVector& p) const {
  const float dx = x - p.x;
  const float dy = y - p.y;
  const float dz = z - p.z;
  return dx * dx + dy * dy + dz * dz;
}

void VornVector::normalize() { normalizeAndLength(); }

float VornVector::normalizeAndLength() {
  const float len = length();
  if (len != 0.0f) {
    x /= len;
    y /= len;
    z /= len;
  }
  return len;
}

VornVector VornVector::normalized() const {
  VornVector copy(*this);
  copy.normalize();
  return copy;
}

void VornVector::rotateY(float angleDeg) {
  const float a = angleDeg * kVectorDegToRad;
  const float c = std::cos(a);
  const float s = std::sin(a);
  const float nx = x * c + z * s;
  const float nz = -x * s + z * c;
  x = nx;
  z = nz;
}

void VornVector::pitch(float angleDeg) {
  const float a = angleDeg * kVectorDegToRad;
  // The horizontal axis at right angles to the direction. Past the vertical
  // the horizontal part points backwards and this axis would flip with it;
  // the flag flips it back so that pitching keeps turning the same way.
  VornVector k = upsideDown ? VornVector(z, 0.0f, -x) : VornVector(-z, 0.0f, x);
  k.normalize();
  const float c = std::cos(a);
  const float s = std::sin(a);
  const float t = 1.0f - c;
  const float ox = x;
  const float oy = y;
  const float oz = z;
  const float nx = (t * k.x * k.x + c) * ox - s * k.z * oy + t * k.x * k.z * oz;
  const float ny = s * k.z * ox + c * oy - s * k.x * oz;
  const float nz = t * k.x * k.z * ox + s * k.x * oy + (t * k.z * k.z + c) * oz;
  x = nx;
  y = ny;
  z = nz;
  const bool flipped = (ox > 0.0f && nx < 0.0f) || (oz > 0.0f && nz < 0.0f) ||
                       (ox < 0.0f && nx > 0.0f) || (oz < 0.0f && nz > 0.0f);
  if (flipped) upsideDown = upsideDown ? 0 : 1;
}

VornVector VornVector::up() const {
  constexpr float kHalfSqrt2 = 0.707f;
  const float h = std::sqrt(x * x + z * z);
  if (h <= 0.0f) {
    // Straight up or down: any horizontal up will do; pick a fixed diagonal.
    return y <= 0.0f ? VornVector(kHalfSqrt2, 0.0f, kHalfSqrt2, 0)
                     : VornVector(-kHalfSqrt2, 0.0f, -kHalfSqrt2, 0);
  }
  if (!upsideDown) return {-y * x / h, h, -y * z / h, upsideDown};
  return {y * x / h, -h, y * z / h, upsideDown};
}

VornVector triangleNormal(const VornVector& a, const VornVector& b, const VornVector& c) {
  const VornVector ab(b.x - a.x, b.y - a.y, b.z - a.z);
  const VornVector ac(c.x - a.x, c.y - a.y, c.z - a.z);
  VornVector n = ab.cross(ac);
  n.normalize();
  return n;
}

VornVector triangleNormal(const float* a, const float* b, const float* c) {
  return triangleNormal(VornVector(a), VornVector(b), VornVector(c));
}

VornVector triangleNormal(const float* corners) {
  return triangleNormal(VornVector(corners), VornVector(corners + 3), VornVector(corners + 6));
}

VornVector triangleNormal(const int* a, const int* b, const int* c) {
  return triangleNormal(VornVector(a), VornVector(b), VornVector(c));
}

VornVector average(std::initializer_list<VornVector> points) {
  return average(points.begin(), points.size());
}

VornVector average(const VornVector* points, std::size_t count) {
  if (count == 0) return {};
  float sx = 0.0f;
  float sy = 0.0f;
  float sz = 0.0f;
  for (std::size_t i = 0; i < count; ++i) {
    sx += points[i].x;
    sy += points[i].y;
    sz += points[i].z;
  }
  const float n = static_cast<float>(count);
  return {sx / n, sy / n, sz / n};
}

}  // namespace vorn
