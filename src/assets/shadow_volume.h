// Shadow volumes on the CPU: the edge neighbours of a part's faces, its silhouette for a light
// direction and the extruded quads and caps as plain vertex lists. Units: the part's own
// coordinates. Cost: neighbours O(E log E) once per part; a silhouette one dot product a face.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/model_part.h"
#include "math/matrix.h"
#include "math/vector.h"

namespace vorn {

// How far the silhouette is pulled away from the light at most, in world
// units when the light is a unit vector in the world (the part's transform
// carries it through). The ground's heights span 0 to 255; 600 along a light
// 45 degrees up drops 424, enough to reach the ground from the highest jump.
// The game asks for less, just enough to end under the ground: a volume's
// length is all fill, and on a software renderer fill is most of its cost.
constexpr float kShadowExtrusion = 600.0f;

// Three edge records a face in the order (a, b), (b, c), (c, a), each with the
// face across it: among the other faces that share the edge (either
// direction, welded indices) the last one in face order, else -1.
void calcBrothers(VornObjectPart& part);

// The geometry of one part's volume, 3 floats a corner.
struct VornSilhouette {
  std::vector<uint32_t> edges;  // indices into part.edges
  std::vector<float> quads;     // 4 corners a silhouette edge: second, first, and both extruded
  std::vector<float> caps;      // the lit faces if asked for, then their extruded copies turned round
  uint32_t quadCount() const { return static_cast<uint32_t>(quads.size() / 12); }
  uint32_t capTriangleCount() const { return static_cast<uint32_t>(caps.size() / 9); }
};

// Sets part.facesLit from part.lightInPart (a face is lit when its normal
// points at the light or across it) and fills `out` with the edges of lit
// faces whose neighbour is unlit or missing. Edges that name vertices beyond
// the part's vertex array, or of zero length, are left out. The volume ends
// `extrusion` away, so its far cap is always emitted; the near cap (the lit
// faces themselves) only with `nearCap`, which depth-fail counting needs and
// depth-pass must not have (it would shadow the lit faces).
void findSilhouette(VornObjectPart& part, VornSilhouette& out, bool nearCap, float extrusion = kShadowExtrusion);

// The transform a part of an animated instance is drawn with: the instance's
// model matrix, T(-center), the node at `frame` with its pivot, the part's matrix.
VornMatrix shadowPartTransform(const float* instanceMatrix, const VornVector& center, const VornObjectPart& part,
                               float frame);

// out := m * v for a 4-component vector.
void transformVector4(const VornMatrix& m, const float v[4], float out[4]);

// Whether the ball of `radius` around `eye` (both in the part's frame) may
// touch the part's volume for part.lightInPart, judged by the part's bounds
// swept `extrusion` away from the light. Conservative: false only when it cannot.
bool volumeMayReachEye(const VornObjectPart& part, const VornVector& eye, float radius,
                       float extrusion = kShadowExtrusion);

}  // namespace vorn
