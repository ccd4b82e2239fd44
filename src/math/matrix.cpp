#include "math/matrix.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace vorn {

namespace {

// out := a * b (column-major); out may alias neither input.
void product(const float* a, const float* b, float* out) {
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      out[c * 4 + r] = a[r] * b[c * 4] + a[4 + r] * b[c * 4 + 1] + a[8 + r] * b[c * 4 + 2] +
                       a[12 + r] * b[c * 4 + 3];
    }
  }
}

}  // namespace

VornMatrix::VornMatrix() { identity(); }

VornMatrix::VornMatrix(const float* values) { std::memcpy(m, values, sizeof m); }

float& VornMatrix::operator[](int i) {
  assert(i >= 0 && i < 16 && "VornMatrix index out of range");
  return m[i];
}

float VornMatrix::operator[](int i) const {
  assert(i >= 0 && i < 16 && "VornMatrix index out of range");
  return m[i];
}

void VornMatrix::identity() {
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void VornMatrix::fromAxes(const VornVector& xAxis, const VornVector& yAxis,
                          const VornVector& zAxis, const VornVector& origin) {
  const VornVector* columns[4] = {&xAxis, &yAxis, &zAxis, &origin};
  for (int c = 0; c < 4; ++c) {
    m[c * 4 + 0] = columns[c]->x;
    m[c * 4 + 1] = columns[c]->y;
    m[c * 4 + 2] = columns[c]->z;
    m[c * 4 + 3] = c == 3 ? 1.0f : 0.0f;
  }
}

void VornMatrix::fromAxesInverse(const VornVector& xAxis, const VornVector& yAxis,
                                 const VornVector& zAxis, const VornVector& origin) {
  fromAxes(xAxis, yAxis, zAxis, origin);
  invert();
}

bool VornMatrix::invert() {
  // a(r, c) addresses the column-major storage by row and column.
  auto a = [this](int r, int c) -> float& { return m[c * 4 + r]; };
  int pivotRow[4];
  int pivotColumn[4];
  int used[4] = {0, 0, 0, 0};
  float determinant = 1.0f;

  for (int i = 0; i < 4; ++i) {
    // Largest remaining element of the block not yet pivoted on.
    float biggest = 0.0f;
    int row = 0;
    int column = 0;
    for (int j = 0; j < 4; ++j) {
      if (used[j]) continue;
      for (int k = 0; k < 4; ++k) {
        if (used[k]) continue;
        const float v = std::fabs(a(j, k));
        if (v >= biggest) {
          biggest = v;
          row = j;
          column = k;
        }
      }
    }
    used[column] = 1;
    // Move the pivot onto the diagonal; the column order is restored below.
    if (row != column) {
      for (int l = 0; l < 4; ++l) std::swap(a(row, l), a(column, l));
    }
    pivotRow[i] = row;
    pivotColumn[i] = column;

    const float pivot = a(column, column);
    determinant *= pivot;
    if (determinant == 0.0f) return false;

    const float inverse = 1.0f / pivot;
    a(column, column) = 1.0f;
    for (int l = 0; l < 4; ++l) a(column, l) *= inverse;
    for (int r = 0; r < 4; ++r) {
      if (r == column) continue;
      const float factor = a(r, column);
      a(r, column) = 0.0f;
      for (int l = 0; l < 4; ++l) a(r, l) -= a(column, l) * factor;
    }
  }
  for (int i = 3; i >= 0; --i) {
    if (pivotRow[i] != pivotColumn[i]) {
      for (int k = 0; k < 4; ++k) std::swap(a(k, pivotRow[i]), a(k, pivotColumn[i]));
    }
  }
  return true;
}

void VornMatrix::transformPoint(VornVector& v) const {
  const float x = m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12];
  const float y = m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13];
  const float z = m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14];
  v.set(x, y, z);
}

void VornMatrix::transformDirection(VornVector& v) const {
  const float x = m[0] * v.x + m[4] * v.y + m[8] * v.z;
  const float y = m[1] * v.x + m[5] * v.y + m[9] * v.z;
  const float z = m[2] * v.x + m[6] * v.y + m[10] * v.z;
  v.set(x, y, z);
  v.normalize();
}

void VornMatrix::multiply(const VornMatrix& b) {
  float out[16];
  product(m, b.m, out);
  std::memcpy(m, out, sizeof m);
}

void VornMatrix::preMultiply(const VornMatrix& b) {
  float out[16];
  product(b.m, m, out);
  std::memcpy(m, out, sizeof m);
}

void VornMatrix::multiplyInto(VornMatrix& c) const {
  float out[16];
  product(c.m, m, out);
  std::memcpy(c.m, out, sizeof out);
}

VornMatrix rotationMatrix(float angleRad, float x, float y, float z) {
  const float c = std::cos(angleRad);
  const float s = std::sin(angleRad);
  const float t = 1.0f - c;
  VornMatrix r;
  r.m[0] = t * x * x + c;
  r.m[1] = t * x * y + s * z;
  r.m[2] = t * x * z - s * y;
  r.m[3] = 0.0f;
  r.m[4] = t * x * y - s * z;
  r.m[5] = t * y * y + c;
  r.m[6] = t * y * z + s * x;
  r.m[7] = 0.0f;
  r.m[8] = t * x * z + s * y;
  r.m[9] = t * y * z - s * x;
  r.m[10] = t * z * z + c;
  r.m[11] = 0.0f;
  r.m[12] = r.m[13] = r.m[14] = 0.0f;
  r.m[15] = 1.0f;
  return r;
}

void VornMatrix::rotateRadians(const VornVector& axis, float angleRad) {
  VornVector unit(axis.x, axis.y, axis.z);
  if (unit.normalizeAndLength() == 0.0f) return;
  preMultiply(rotationMatrix(angleRad, unit.x, unit.y, unit.z));
}

void VornMatrix::rotate(float angleDeg, float x, float y, float z) {
  const float angleRad = static_cast<float>(angleDeg * kMatrixDegToRad);
  multiply(rotationMatrix(angleRad, x, y, z));
}

void VornMatrix::translate(float x, float y, float z) {
  for (int r = 0; r < 4; ++r) m[12 + r] += m[r] * x + m[4 + r] * y + m[8 + r] * z;
}

void VornMatrix::scale(float sx, float sy, float sz) {
  for (int r = 0; r < 4; ++r) {
    m[r] *= sx;
    m[4 + r] *= sy;
    m[8 + r] *= sz;
  }
}

void VornMatrix::dump(const char* path) const {
  std::FILE* file = std::fopen(path, "a");
  if (!file) return;
  for (int r = 0; r < 4; ++r) {
    std::fprintf(file, "%f, %f, %f, %f\n", m[r], m[r + 4], m[r + 8], m[r + 12]);
  }
  std::fclose(file);
}

VornPlanes viewPlanes(const VornMatrix& clip) {
  VornPlanes planes{};
  for (int i = 0; i < 6; ++i) {
    const int axis = i / 2;
    const float sign = (i % 2 == 0) ? 1.0f : -1.0f;
    std::array<float, 4>& plane = planes[static_cast<size_t>(i)];
    // Row 3 plus or minus row `axis` of the column-major matrix.
    for (int c = 0; c < 4; ++c) plane[static_cast<size_t>(c)] = clip[c * 4 + 3] + sign * clip[c * 4 + axis];
    const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    if (length > 0.0f) {
      for (float& v : plane) v /= length;
    }
  }
  return planes;
}

bool boxOutside(const VornPlanes& planes, const VornVector& min, const VornVector& max) {
  for (const auto& p : planes) {
    // The box corner furthest along the plane's normal.
    const float x = p[0] >= 0.0f ? max.x : min.x;
    const float y = p[1] >= 0.0f ? max.y : min.y;
    const float z = p[2] >= 0.0f ? max.z : min.z;
    if (p[0] * x + p[1] * y + p[2] * z + p[3] < 0.0f) return true;
  }
  return false;
}

}  // namespace vorn
