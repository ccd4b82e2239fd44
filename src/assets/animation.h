// Keyframe animation: the 3DS keyframer nodes of model parts, their hierarchy and evaluation at a
// frame, and the ".ani" clip record. Units: frames as in the file; rotations in degrees.
// Cost: per node and ancestor a linear key search a track, at most one rotation, four products.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "math/vector.h"

namespace vorn {

// Result of a key search: the last key at or before the frame and its frame
// number (0 for the first key).
struct VornKeySearch {
  size_t key = 0;
  int frame = 0;
};

// The key search on one track's frame list; `frames` must not be empty.
VornKeySearch searchKeys(const std::vector<int>& frames, float frame);

// One keyframer node of a 3DS file: position, rotation and scale keys, a pivot and a parent.
class VornKeyNode {
 public:
  int id = 0;
  std::string name;
  int16_t parentId = -1;
  VornVector pivot;

  std::vector<float> positionValues;  // 3 a key
  std::vector<int> positionFrames;
  std::vector<float> rotationValues;  // 4 a key: degrees, axis x, y, z
  std::vector<int> rotationFrames;
  std::vector<VornMatrix> rotationMatrices;  // accumulated orientation at each key
  std::vector<float> scaleValues;  // 3 a key
  std::vector<int> scaleFrames;

  VornKeyNode* parent = nullptr;
  std::vector<VornKeyNode*> children;

  void addPositionKey(const float values[3], int frame);
  void addScaleKey(const float values[3], int frame);
  // values: angle in radians and axis, as the file stores them; the angle is
  // kept in degrees with its sign inverted.
  void addRotationKey(const float values[4], int frame);
  // Builds rotationMatrices: 3DS rotation keys turn relative to the previous
  // key, so key i's orientation is R(i) * R(i-1) * ... * R(0).
  void finishRotationTrack();

  void setPivot(const VornVector& v) { pivot = v; }
  void setId(int nodeId) { id = nodeId; }
  void setParentId(int16_t nodeId) { parentId = nodeId; }
  void addChild(VornKeyNode* node) { children.push_back(node); }
  int getId() const { return id; }
  int16_t getParentId() const { return parentId; }

  // m := m * (the node's transform at `frame`, parents first). Device-free: the
  // products compose m the way the fixed-function calls compose the current
  // matrix, so the device layer hands the result to glMultMatrixf as is.
  void evaluate(float frame, VornMatrix& m) const;
  // m := m * T(-pivot).
  void applyPivot(VornMatrix& m) const;

 private:
  void evaluateOwn(float frame, VornMatrix& m) const;
};

// One (parent, child) link made by linkNodes.
struct VornNodeLink {
  int parent = 0;  // indices into the node list
  int child = 0;
};

// Links every node whose parentId names another node's id to that node. A
// node takes the first such parent; a link that would close a cycle is not
// made (the node stays a root), so evaluation always ends.
std::vector<VornNodeLink> linkNodes(const std::vector<std::unique_ptr<VornKeyNode>>& nodes);

// One animation clip from a model's clip file: first frame, length in frames
// and duration (tenths of a second, the unit the players advance clips in).
// The instances that play clips (players and riders) own their clip state.
struct VornClip {
  int start = 0;
  int length = 0;
  float duration = 0.0f;
};

}  // namespace vorn
