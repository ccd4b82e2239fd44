#include "math/transform.h"

#include <algorithm>
#include <cmath>

namespace vorn {

namespace {

float degToRad(float angleDeg) { return static_cast<float>(angleDeg * kTransformDegToRad); }

// acos that tolerates the rounding of a dot product of unit vectors.
float safeAcos(float v) { return std::acos(std::clamp(v, -1.0f, 1.0f)); }

}  // namespace

VornTransform::VornTransform() { rebuild(); }

VornTransform::VornTransform(const VornVector& position, const float* rotation)
    : position_(position.x, position.y, position.z) {
  rotation_.rotateRadians(VornVector(rotation[1], rotation[2], rotation[3]), degToRad(rotation[0]));
  rebuild();
}

VornTransform::VornTransform(const float* placement) : position_(placement) {
  rotation_.rotateRadians(VornVector(placement + 4), degToRad(placement[3]));
  rebuild();
}

VornTransform::VornTransform(const int* position, const int* rotation) : position_(position) {
  rotation_.rotateRadians(VornVector(rotation + 1), degToRad(static_cast<float>(rotation[0])));
  rebuild();
}

void VornTransform::reset() {
  position_.set(0.0f, 0.0f, 0.0f);
  scale_.set(1.0f, 1.0f, 1.0f);
  rebuild();
}

void VornTransform::setPosition(const VornVector& p) {
  position_ = p;
  rebuild();
}

void VornTransform::setPosition(const float* p) { setPosition(p[0], p[1], p[2]); }

void VornTransform::setPosition(float x, float y, float z) {
  position_.set(x, y, z);
  rebuild();
}

void VornTransform::translate(const VornVector& d) { translate(d.x, d.y, d.z); }

void VornTransform::translate(const float* d) { translate(d[0], d[1], d[2]); }

void VornTransform::translate(float x, float y, float z) {
  position_.set(position_.x + x, position_.y + y, position_.z + z);
  rebuild();
}

void VornTransform::setScale(float s) {
  scale_.set(s, s, s);
  rebuild();
}

void VornTransform::setScale(const VornVector& s) {
  scale_ = s;
  rebuild();
}

void VornTransform::scaleBy(float s) {
  scale_ *= s;
  rebuild();
}

void VornTransform::setRotation(const VornMatrix& r) {
  rotation_ = r;
  rebuild();
}

void VornTransform::rotateAbout(const VornVector& axis, float angleDeg) {
  rotation_.rotateRadians(axis, degToRad(angleDeg));
  rebuild();
}

void VornTransform::rotateX(float angleDeg) { rotateAbout(VornVector(1.0f, 0.0f, 0.0f), angleDeg); }
void VornTransform::rotateY(float angleDeg) { rotateAbout(VornVector(0.0f, 1.0f, 0.0f), angleDeg); }
void VornTransform::rotateZ(float angleDeg) { rotateAbout(VornVector(0.0f, 0.0f, 1.0f), angleDeg); }

void VornTransform::rotateLocal(VornVector axis, float angleDeg) {
  if (angleDeg == 0.0f) return;
  rotation_.transformDirection(axis);
  rotateAbout(axis, angleDeg);
}

void VornTransform::rotateLocalX(float angleDeg) { rotateLocal(VornVector(1.0f, 0.0f, 0.0f), angleDeg); }
void VornTransform::rotateLocalY(float angleDeg) { rotateLocal(VornVector(0.0f, 1.0f, 0.0f), angleDeg); }
void VornTransform::rotateLocalZ(float angleDeg) { rotateLocal(VornVector(0.0f, 0.0f, 1.0f), angleDeg); }

void VornTransform::orient(const VornVector& direction, float rollDeg) {
  VornVector flat(direction.x, 0.0f, direction.z);
  flat.normalize();
  const float heading = safeAcos(flat.x);
  const float yaw = direction.z <= 0.0f ? heading : -heading;

  VornMatrix r;
  for (float& v : r.m) v = 0.0f;
  r.m[0] = std::cos(yaw);
  r.m[2] = -std::sin(yaw);
  r.m[5] = 1.0f;
  r.m[8] = std::sin(yaw);
  r.m[10] = std::cos(yaw);
  r.m[15] = 1.0f;
  rotation_ = r;

  // The climb is measured against the unit direction: a longer vector would
  // push the cosine past 1.
  const VornVector unit = direction.normalized();
  const float climbDeg = static_cast<float>(safeAcos(flat.dot(unit)) * 180.0 / 3.14159265);
  rotateLocalZ(direction.y < 0.0f ? -climbDeg : climbDeg);
  rotateLocalX(rollDeg);
  rebuild();
}

void VornTransform::transformPoint(VornVector& v) const { model_.transformPoint(v); }

void VornTransform::rebuild() {
  const float* r = rotation_.m;
  float* out = model_.m;
  const float s[3] = {scale_.x, scale_.y, scale_.z};
  for (int c = 0; c < 3; ++c) {
    for (int row = 0; row < 3; ++row) out[c * 4 + row] = r[c * 4 + row] * s[c];
    out[c * 4 + 3] = r[c * 4 + 3];
  }
  out[12] = position_.x + r[12];
  out[13] = position_.y + r[13];
  out[14] = position_.z + r[14];
  out[15] = r[15];
}

}  // namespace vorn
