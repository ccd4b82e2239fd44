#include "assets/shadow_volume.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "assets/animation.h"

namespace vorn {
namespace {

// Steps of the search along the swept bounds; the distance to a box along a
// line is convex, so each step keeps two thirds of the interval.
constexpr int kSweepSearchSteps = 64;

uint64_t edgeKey(uint32_t a, uint32_t b) {
  if (a > b) std::swap(a, b);
  return (static_cast<uint64_t>(a) << 32) | b;
}

void pushCorner(std::vector<float>& out, const float* v, const float* offset, float scale) {
  out.push_back(v[0] + scale * offset[0]);
  out.push_back(v[1] + scale * offset[1]);
  out.push_back(v[2] + scale * offset[2]);
}

float distanceToBox(const VornVector& p, const VornVector& lo, const VornVector& hi) {
  const float dx = std::max({lo.x - p.x, 0.0f, p.x - hi.x});
  const float dy = std::max({lo.y - p.y, 0.0f, p.y - hi.y});
  const float dz = std::max({lo.z - p.z, 0.0f, p.z - hi.z});
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

void calcBrothers(VornObjectPart& part) {
  const uint32_t faceCount = part.faceCount();
  part.edges.clear();
  part.edges.reserve(static_cast<size_t>(faceCount) * 3);
  // Every edge under its undirected key with its face; sorted, the faces that
  // share an edge sit together in face order. This gives the pairwise
  // comparison's answer without its quadratic cost.
  std::vector<std::pair<uint64_t, uint32_t>> byKey;
  byKey.reserve(static_cast<size_t>(faceCount) * 3);
  for (uint32_t f = 0; f < faceCount; ++f) {
    const uint16_t* w = &part.faces[static_cast<size_t>(f) * 4];
    const uint32_t corners[3] = {w[0], w[1], w[2]};
    for (int e = 0; e < 3; ++e) {
      VornShadowEdge edge;
      edge.first = corners[e];
      edge.second = corners[(e + 1) % 3];
      edge.face = f;
      part.edges.push_back(edge);
      byKey.emplace_back(edgeKey(edge.first, edge.second), f);
    }
  }
  std::sort(byKey.begin(), byKey.end());
  for (VornShadowEdge& edge : part.edges) {
    const uint64_t key = edgeKey(edge.first, edge.second);
    const auto begin = std::lower_bound(byKey.begin(), byKey.end(), std::make_pair(key, 0u));
    auto it = std::upper_bound(begin, byKey.end(), std::make_pair(key, UINT32_MAX));
    // The last sharing face that is not this one (a degenerate face can hold
    // the same edge twice).
    while (it != begin) {
      --it;
      if (it->second != edge.face) {
        edge.neighbour = static_cast<int32_t>(it->second);
        break;
      }
    }
  }
}

void findSilhouette(VornObjectPart& part, VornSilhouette& out, bool nearCap, float extrusion) {
  out.edges.clear();
  out.quads.clear();
  out.caps.clear();
  const uint32_t faceCount = part.faceCount();
  const uint32_t vertexCount = part.vertexCount();
  const float* light = part.lightInPart;
  part.facesLit.assign(faceCount, 0);
  for (uint32_t f = 0; f < faceCount && static_cast<size_t>(f) * 3 + 2 < part.faceNormals.size(); ++f) {
    const float* n = &part.faceNormals[static_cast<size_t>(f) * 3];
    part.facesLit[f] = n[0] * light[0] + n[1] * light[1] + n[2] * light[2] >= 0.0f;
  }
  const float* v = part.vertices.data();
  for (uint32_t i = 0; i < part.edges.size(); ++i) {
    const VornShadowEdge& e = part.edges[i];
    if (e.face >= faceCount || !part.facesLit[e.face]) continue;
    const bool open = e.neighbour < 0 || static_cast<uint32_t>(e.neighbour) >= faceCount;
    if (!open && part.facesLit[static_cast<uint32_t>(e.neighbour)]) continue;
    if (e.first >= vertexCount || e.second >= vertexCount || e.first == e.second) continue;
    out.edges.push_back(i);
    const float* a = v + static_cast<size_t>(e.first) * 3;
    const float* b = v + static_cast<size_t>(e.second) * 3;
    pushCorner(out.quads, b, light, 0.0f);
    pushCorner(out.quads, a, light, 0.0f);
    pushCorner(out.quads, a, light, -extrusion);
    pushCorner(out.quads, b, light, -extrusion);
  }
  // The far cap is the lit faces' copy rather than the unlit faces': its rim
  // is exactly the silhouette found above, so the volume stays closed on
  // open meshes too.
  for (const float scale : {0.0f, -extrusion}) {
    if (scale == 0.0f && !nearCap) continue;
    for (uint32_t f = 0; f < faceCount; ++f) {
      const uint16_t* w = &part.faces[static_cast<size_t>(f) * 4];
      if (!part.facesLit[f] || w[0] >= vertexCount || w[1] >= vertexCount || w[2] >= vertexCount) continue;
      // The far copy is turned round so that both caps face out of the volume.
      const uint16_t order[3] = {w[0], scale == 0.0f ? w[1] : w[2], scale == 0.0f ? w[2] : w[1]};
      for (uint16_t corner : order) pushCorner(out.caps, v + static_cast<size_t>(corner) * 3, light, scale);
    }
  }
}

VornMatrix shadowPartTransform(const float* instanceMatrix, const VornVector& center, const VornObjectPart& part,
                               float frame) {
  VornMatrix m(instanceMatrix);
  m.translate(-center.x, -center.y, -center.z);
  if (part.node) {
    part.node->evaluate(frame, m);
    part.node->applyPivot(m);
  }
  m.multiply(part.matrix);
  return m;
}

void transformVector4(const VornMatrix& m, const float v[4], float out[4]) {
  for (int r = 0; r < 4; ++r) {
    out[r] = m.m[r] * v[0] + m.m[4 + r] * v[1] + m.m[8 + r] * v[2] + m.m[12 + r] * v[3];
  }
}

bool volumeMayReachEye(const VornObjectPart& part, const VornVector& eye, float radius, float extrusion) {
  // A point lies in the volume when moving it towards the light reaches the
  // part; the bounds stand in for the part.
  const float* l = part.lightInPart;
  const auto at = [&](float s) {
    return distanceToBox(VornVector(eye.x + s * l[0], eye.y + s * l[1], eye.z + s * l[2]), part.boundsMin,
                         part.boundsMax);
  };
  float lo = 0.0f, hi = extrusion;
  for (int i = 0; i < kSweepSearchSteps; ++i) {
    const float a = lo + (hi - lo) / 3.0f, b = hi - (hi - lo) / 3.0f;
    if (at(a) <= at(b)) {
      hi = b;
    } else {
      lo = a;
    }
  }
  return std::min({at(0.0f), at(lo), at(extrusion)}) <= radius;
}

}  // namespace vorn
