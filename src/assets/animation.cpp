#include "assets/animation.h"

#include <cassert>
#include <cmath>
#include <cstdint>

namespace vorn {
namespace {

constexpr float kRadiansToDegrees = 180.0f / 3.14159265f;
// Frames beyond this are held at it (well inside the int range).
constexpr float kFrameLimit = 2.0e9f;

// glRotatef normalizes its axis; the matrix helper takes it as given, so the
// node evaluation normalizes here to compose exactly what OpenGL would.
void rotateLikeGl(VornMatrix& m, float angleDeg, float x, float y, float z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length <= 0.0f) return;
  m.rotate(angleDeg, x / length, y / length, z / length);
}

// The interpolation weight towards key k + 1; a track whose frames do not
// increase holds key k instead of dividing by zero. Frame numbers come from
// the file as any 32-bit value, so their span needs 64 bits.
float stepWeight(const std::vector<int>& frames, const VornKeySearch& at, float frame) {
  const int64_t span = int64_t{frames[at.key + 1]} - int64_t{frames[at.key]};
  if (span <= 0) return 0.0f;
  return (frame - static_cast<float>(at.frame)) / static_cast<float>(span);
}

}  // namespace

VornKeySearch searchKeys(const std::vector<int>& frames, float frame) {
  assert(!frames.empty() && "key search on an empty track");
  // Frames come from clip files; keep the truncation defined for any float.
  const float bounded = std::isnan(frame) ? 0.0f : std::fmax(std::fmin(frame, kFrameLimit), -kFrameLimit);
  const int whole = static_cast<int>(bounded);
  VornKeySearch found;
  for (size_t i = 1; i < frames.size() && frames[i] <= whole; ++i) {
    found.key = i;
    found.frame = frames[i];
  }
  return found;
}

void VornKeyNode::addPositionKey(const float values[3], int frame) {
  positionValues.insert(positionValues.end(), values, values + 3);
  positionFrames.push_back(frame);
}

void VornKeyNode::addScaleKey(const float values[3], int frame) {
  scaleValues.insert(scaleValues.end(), values, values + 3);
  scaleFrames.push_back(frame);
}

void VornKeyNode::addRotationKey(const float values[4], int frame) {
  rotationValues.push_back(-values[0] * kRadiansToDegrees);
  rotationValues.insert(rotationValues.end(), values + 1, values + 4);
  rotationFrames.push_back(frame);
}

void VornKeyNode::finishRotationTrack() {
  rotationMatrices.clear();
  rotationMatrices.reserve(rotationFrames.size());
  VornMatrix accumulated;
  for (size_t i = 0; i < rotationFrames.size(); ++i) {
    // R(i) * (R(i-1) * ... * R(0)): pre-multiply the running product.
    VornMatrix step;
    const float* r = &rotationValues[i * 4];
    rotateLikeGl(step, r[0], r[1], r[2], r[3]);
    step.multiply(accumulated);
    accumulated = step;
    rotationMatrices.push_back(accumulated);
  }
}

void VornKeyNode::evaluate(float frame, VornMatrix& m) const {
  // Walk to the root first; linkNodes guarantees the chain ends.
  std::vector<const VornKeyNode*> chain;
  for (const VornKeyNode* n = this; n != nullptr; n = n->parent) chain.push_back(n);
  for (size_t i = chain.size(); i-- > 0;) chain[i]->evaluateOwn(frame, m);
}

void VornKeyNode::evaluateOwn(float frame, VornMatrix& m) const {
  if (!positionFrames.empty()) {
    const VornKeySearch at = searchKeys(positionFrames, frame);
    const float* v = &positionValues[at.key * 3];
    if (at.key + 1 < positionFrames.size()) {
      const float s = stepWeight(positionFrames, at, frame);
      const float* w = v + 3;
      m.translate(s * w[0] + (1 - s) * v[0], s * w[1] + (1 - s) * v[1], s * w[2] + (1 - s) * v[2]);
    } else {
      m.translate(v[0], v[1], v[2]);
    }
  }
  if (!rotationFrames.empty() && rotationMatrices.size() == rotationFrames.size()) {
    const VornKeySearch at = searchKeys(rotationFrames, frame);
    if (at.key + 1 < rotationFrames.size() && frame - static_cast<float>(at.frame) > 0.0f) {
      const float s = stepWeight(rotationFrames, at, frame);
      const float* next = &rotationValues[(at.key + 1) * 4];
      rotateLikeGl(m, s * next[0], next[1], next[2], next[3]);
    }
    m.multiply(rotationMatrices[at.key]);
  }
  if (!scaleFrames.empty()) {
    const VornKeySearch at = searchKeys(scaleFrames, frame);
    const float* v = &scaleValues[at.key * 3];
    if (at.key + 1 < scaleFrames.size()) {
      const float s = stepWeight(scaleFrames, at, frame);
      const float* w = v + 3;
      m.scale(s * w[0] + (1 - s) * v[0], s * w[1] + (1 - s) * v[1], s * w[2] + (1 - s) * v[2]);
    } else {
      m.scale(v[0], v[1], v[2]);
    }
  }
}

void VornKeyNode::applyPivot(VornMatrix& m) const { m.translate(-pivot.x, -pivot.y, -pivot.z); }

std::vector<VornNodeLink> linkNodes(const std::vector<std::unique_ptr<VornKeyNode>>& nodes) {
  std::vector<VornNodeLink> links;
  for (size_t c = 0; c < nodes.size(); ++c) {
    VornKeyNode* child = nodes[c].get();
    for (size_t p = 0; p < nodes.size() && child->parent == nullptr; ++p) {
      VornKeyNode* parent = nodes[p].get();
      if (p == c || parent->id != child->parentId) continue;
      bool closesCycle = false;
      for (const VornKeyNode* up = parent; up != nullptr; up = up->parent) {
        if (up == child) {
          closesCycle = true;
          break;
        }
      }
      if (closesCycle) continue;
      child->parent = parent;
      parent->addChild(child);
      links.push_back({static_cast<int>(p), static_cast<int>(c)});
    }
  }
  return links;
}

}  // namespace vorn
