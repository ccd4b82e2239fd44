#include "world/object_shadows.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "base/text_format.h"
#include "world/terrain.h"
#include "world/terrain_mesh.h"

namespace vorn {
namespace {

// A shadow thinner than this (world units) has no area worth a mesh.
constexpr float kMinQuadSide = 1e-3f;
// Outline points closer than this (squared world units) are one point.
constexpr float kSamePointSquared = 1e-6f;
// A convex quad cut by a triangle has at most seven corners.
constexpr int kMaxOutlinePoints = 7;
// The ground under a displaced shadow is found by a few fixed-point steps.
constexpr int kGroundSearchSteps = 3;

struct GroundPoint {
  float x, z;
};

GroundPoint lerp(const GroundPoint& a, const GroundPoint& b, float t) {
  return {a.x + (b.x - a.x) * t, a.z + (b.z - a.z) * t};
}

// Positive when a, b, c turn like the terrain's triangles, whose normals
// point up.
float turnUp(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
  return (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z);
}

using Outline = std::vector<GroundPoint>;

// Sutherland-Hodgman: the part of `subject` on the inner side of every edge
// of the up-turning convex polygon `clip`.
Outline clipConvex(const Outline& subject, const Outline& clip) {
  Outline out = subject;
  for (size_t e = 0; e < clip.size() && !out.empty(); ++e) {
    const GroundPoint& a = clip[e];
    const GroundPoint& b = clip[(e + 1) % clip.size()];
    const Outline in = std::move(out);
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
      const GroundPoint& p = in[i];
      const GroundPoint& q = in[(i + 1) % in.size()];
      const float dp = turnUp(a, b, p);
      const float dq = turnUp(a, b, q);
      if (dp >= 0.0f) out.push_back(p);
      if ((dp >= 0.0f) != (dq >= 0.0f)) out.push_back(lerp(p, q, dp / (dp - dq)));
    }
  }
  return out;
}

void dropRepeatedPoints(Outline& points) {
  Outline kept;
  for (const GroundPoint& p : points) {
    if (!kept.empty()) {
      const float dx = p.x - kept.back().x, dz = p.z - kept.back().z;
      if (dx * dx + dz * dz < kSamePointSquared) continue;
    }
    kept.push_back(p);
  }
  while (kept.size() > 1) {
    const float dx = kept.front().x - kept.back().x, dz = kept.front().z - kept.back().z;
    if (dx * dx + dz * dz >= kSamePointSquared) break;
    kept.pop_back();
  }
  points = std::move(kept);
}

float outlineArea(const Outline& points) {
  float twice = 0.0f;
  for (size_t i = 1; i + 1 < points.size(); ++i) twice += turnUp(points[0], points[i], points[i + 1]);
  return 0.5f * twice;
}

// Where a quad side crosses a terrain border, with what the mesh needs there.
struct Crossing {
  float along;  // 0 at the side's start, 1 at its end
  float x, y, z, s, t;
};

// The three kinds of border between terrain triangles: grid columns
// (x = c * sx), grid rows (z = r * sz) and the cells' diagonals
// (x / sx + z / sz = k), each with the prefix its diagnostic lines carry.
enum BorderKind { kColumnBorder = 0, kRowBorder = 1, kDiagonalBorder = 2, kBorderKinds = 3 };
constexpr const char* kBorderPrefix[kBorderKinds] = {"", "-", "#"};

struct Terrain {
  const HeightGrid& grid;
  float sx, sz;
  float surface(float x, float z) const { return groundHeightAt(grid, sx, sz, x, z) + kShadowMeshLift; }
  bool covers(float x, float z) const {
    const float slack = 1e-3f;
    return x >= -slack && z >= -slack && x <= (grid.width - 1) * sx + slack && z <= (grid.height - 1) * sz + slack;
  }
  float border(BorderKind kind, const GroundPoint& p) const {
    switch (kind) {
      case kColumnBorder: return p.x / sx;
      case kRowBorder: return p.z / sz;
      default: return p.x / sx + p.z / sz;
    }
  }
  int lastBorder(BorderKind kind) const {
    switch (kind) {
      case kColumnBorder: return grid.width - 1;
      case kRowBorder: return grid.height - 1;
      default: return grid.width + grid.height - 2;
    }
  }
};

// Crossings of side a -> b with the borders of one kind, in the side's order.
std::vector<Crossing> crossings(const Terrain& terrain, const ShadowQuad& quad, BorderKind kind,
                                const GroundPoint& a, const GroundPoint& b) {
  std::vector<Crossing> found;
  const float ga = terrain.border(kind, a);
  const float gb = terrain.border(kind, b);
  if (ga == gb) return found;
  const float lo = std::min(ga, gb), hi = std::max(ga, gb);
  const int first = std::max(0, static_cast<int>(std::floor(lo)) + 1);
  const int last = std::min(terrain.lastBorder(kind), static_cast<int>(std::ceil(hi)) - 1);
  for (int k = first; k <= last; ++k) {
    const float along = (static_cast<float>(k) - ga) / (gb - ga);
    const GroundPoint p = lerp(a, b, along);
    if (!terrain.covers(p.x, p.z)) continue;
    const std::array<float, 2> st = quad.texCoord(p.x, p.z);
    found.push_back({along, p.x, terrain.surface(p.x, p.z), p.z, st[0], st[1]});
  }
  if (ga > gb) std::reverse(found.begin(), found.end());
  return found;
}

void logPoint(std::string& log, const char* name, int i, int j, float x, float y, float z) {
  appendText(&log, "%s[%d][%d]: %f, %f, %f\n", name, i, j, x, y, z);
}

void logTexture(std::string& log, const char* name, int i, int j, float s, float t) {
  appendText(&log, "%s[%d][%d]: %f, %f\n", name, i, j, s, t);
}

void pushVertex(VornShadowMesh& mesh, const Terrain& terrain, const ShadowQuad& quad, const GroundPoint& p) {
  const std::array<float, 2> st = quad.texCoord(p.x, p.z);
  const float v[kShadowVertexFloats] = {p.x, terrain.surface(p.x, p.z), p.z, st[0], st[1]};
  mesh.vertices.insert(mesh.vertices.end(), v, v + kShadowVertexFloats);
}

int nextPowerOfTwo(int atLeast) {
  int n = 2;
  while (n < atLeast) n *= 2;
  return n;
}

}  // namespace

ShadowTextureLayout shadowTextureLayout(int gridWidth, int gridHeight, float spacingX, float spacingZ,
                                        int maxTextureSize, int tileTexels) {
  assert(gridWidth > 0 && gridHeight > 0 && tileTexels > 0 && "shadow layout needs a grid and a tile size");
  ShadowTextureLayout layout;
  layout.tileTexels = tileTexels;
  layout.nx = nextPowerOfTwo((gridWidth + kShadowCellsPerTile - 1) / kShadowCellsPerTile);
  layout.nz = nextPowerOfTwo((gridHeight + kShadowCellsPerTile - 1) / kShadowCellsPerTile);
  // 64-bit products: a hostile maximum or tile size must not overflow.
  auto tooLarge = [&] {
    const int64_t w = int64_t{layout.nx} * tileTexels, h = int64_t{layout.nz} * tileTexels;
    return w > maxTextureSize || h > maxTextureSize || int64_t{layout.nx} * layout.nz > kMaxShadowTiles;
  };
  while ((layout.nx > 1 || layout.nz > 1) && tooLarge()) {
    layout.nx = std::max(1, layout.nx / 2);
    layout.nz = std::max(1, layout.nz / 2);
  }
  layout.tileWidth = static_cast<float>(gridWidth) * spacingX / static_cast<float>(layout.nx);
  layout.tileDepth = static_cast<float>(gridHeight) * spacingZ / static_cast<float>(layout.nz);
  return layout;
}

VornMatrix shadowProjectionMatrix(const VornVector& light) {
  assert(shadowLightUsable(light) && "the shadow projection needs a light above the horizon");
  VornMatrix m;
  // Column 1 is the image of the y axis: a point rises by y, its shadow
  // slides away from the light by y / L.y times the light's horizontal part.
  m[4] = -light.x / light.y;
  m[5] = -light.z / light.y;
  m[6] = 0.0f;
  // Column 2: world z becomes the picture's vertical axis.
  m[8] = 0.0f;
  m[9] = 1.0f;
  m[10] = 0.0f;
  m[14] = kShadowDepth;
  return m;
}

void ShadowFootprint::add(const std::array<VornVector, 8>& corners, const VornVector& light) {
  assert(shadowLightUsable(light) && "a footprint needs a light above the horizon");
  float x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0, z0 = corners[0].z, z1 = z0;
  for (const VornVector& c : corners) {
    x0 = std::fmin(x0, c.x), x1 = std::fmax(x1, c.x);
    y0 = std::fmin(y0, c.y), y1 = std::fmax(y1, c.y);
    z0 = std::fmin(z0, c.z), z1 = std::fmax(z1, c.z);
  }
  if (y1 < 0.0f) return;  // wholly buried
  y0 = std::fmax(y0, 0.0f);
  // A point at height y slides by -y * L.xz / L.y; over the box's heights the
  // slide is largest at one of the two ends.
  const float slideX0 = -y0 * light.x / light.y, slideX1 = -y1 * light.x / light.y;
  const float slideZ0 = -y0 * light.z / light.y, slideZ1 = -y1 * light.z / light.y;
  const float lowX = x0 + std::fmin(slideX0, slideX1), highX = x1 + std::fmax(slideX0, slideX1);
  const float lowZ = z0 + std::fmin(slideZ0, slideZ1), highZ = z1 + std::fmax(slideZ0, slideZ1);
  if (empty) {
    minX = lowX, maxX = highX, minZ = lowZ, maxZ = highZ;
    empty = false;
    return;
  }
  minX = std::fmin(minX, lowX), maxX = std::fmax(maxX, highX);
  minZ = std::fmin(minZ, lowZ), maxZ = std::fmax(maxZ, highZ);
}

bool ShadowFootprint::touches(float x0, float z0, float x1, float z1) const {
  return !empty && minX <= x1 && maxX >= x0 && minZ <= z1 && maxZ >= z0;
}

std::array<float, 2> ShadowQuad::texCoord(float x, float z) const {
  const float u = x * ux + z * uz;
  const float v = x * uz - z * ux;
  return {(v - vMin) / (vMax - vMin), (u - uMin) / (uMax - uMin)};
}

bool ShadowQuad::degenerate() const {
  const bool finite = std::isfinite(uMin) && std::isfinite(uMax) && std::isfinite(vMin) && std::isfinite(vMax);
  return !finite || uMax - uMin < kMinQuadSide || vMax - vMin < kMinQuadSide;
}

ShadowQuad shadowQuad(const std::array<VornVector, 8>& box, const VornVector& light, float groundHeight) {
  assert(shadowLightUsable(light) && "a shadow quad needs a light above the horizon");
  ShadowQuad quad;
  quad.groundHeight = groundHeight;
  const float across = std::hypot(light.x, light.z);
  if (across > 1e-4f * std::fabs(light.y)) {
    quad.ux = -light.x / across;
    quad.uz = -light.z / across;
  }
  // v = (uz, -ux): u turned so that (u, v) corners turn up like the terrain.
  const float vx = quad.uz, vz = -quad.ux;
  bool first = true;
  for (const VornVector& p : box) {
    // Points below the plane keep their place rather than move towards the light.
    const float rise = std::max(0.0f, p.y - groundHeight) / light.y;
    const float x = p.x - rise * light.x;
    const float z = p.z - rise * light.z;
    const float u = x * quad.ux + z * quad.uz;
    const float v = x * vx + z * vz;
    if (first) {
      quad.uMin = quad.uMax = u;
      quad.vMin = quad.vMax = v;
      first = false;
    }
    quad.uMin = std::min(quad.uMin, u);
    quad.uMax = std::max(quad.uMax, u);
    quad.vMin = std::min(quad.vMin, v);
    quad.vMax = std::max(quad.vMax, v);
  }
  const float us[4] = {quad.uMin, quad.uMax, quad.uMax, quad.uMin};
  const float vs[4] = {quad.vMin, quad.vMin, quad.vMax, quad.vMax};
  for (int i = 0; i < 4; ++i) {
    quad.corners[i] = VornVector(us[i] * quad.ux + vs[i] * vx, groundHeight, us[i] * quad.uz + vs[i] * vz);
  }
  return quad;
}

std::array<VornVector, 8> boxCorners(const VornVector& min, const VornVector& max, const VornMatrix& matrix) {
  std::array<VornVector, 8> corners;
  for (int i = 0; i < 8; ++i) {
    corners[i] = VornVector(i & 1 ? max.x : min.x, i & 2 ? max.y : min.y, i & 4 ? max.z : min.z);
    matrix.transformPoint(corners[i]);
  }
  return corners;
}

float groundHeightAt(const HeightGrid& grid, float spacingX, float spacingZ, float x, float z) {
  if (grid.empty()) return 0.0f;
  const SurfacePoint s = locateOnSurface(grid.width, grid.height, spacingX, spacingZ, x, z);
  const float* h = grid.heights.data();
  return s.weight[0] * h[s.point[0]] + s.weight[1] * h[s.point[1]] + s.weight[2] * h[s.point[2]];
}

VornShadowMesh makeProjectionShadow(const std::array<VornVector, 8>& box, const VornVector& light,
                                    const HeightGrid& grid, float spacingX, float spacingZ,
                                    std::string& log) {
  VornShadowMesh mesh;
  if (!shadowLightUsable(light) || grid.width < kMinGridSide || grid.height < kMinGridSide) {
    log += "something wrong here\n";
    return mesh;
  }
  const Terrain terrain{grid, spacingX, spacingZ};

  // The ground plane: the terrain where the light ray through the box's
  // middle meets it.
  VornVector middle;
  for (const VornVector& p : box) middle += p;
  middle = middle / 8.0f;
  float ground = groundHeightAt(grid, spacingX, spacingZ, middle.x, middle.z);
  for (int i = 0; i < kGroundSearchSteps; ++i) {
    const float rise = std::max(0.0f, middle.y - ground) / light.y;
    ground = groundHeightAt(grid, spacingX, spacingZ, middle.x - rise * light.x, middle.z - rise * light.z);
  }

  // 1. The quad.
  const ShadowQuad quad = shadowQuad(box, light, ground);
  for (int i = 0; i < 4; ++i) {
    appendText(&log, "edges[%d]: %f, %f, %f\n", i, quad.corners[i].x, quad.corners[i].y, quad.corners[i].z);
  }
  if (quad.degenerate()) {
    log += "something wrong here\n";
    return mesh;
  }
  Outline corners(4);
  for (int i = 0; i < 4; ++i) corners[i] = {quad.corners[i].x, quad.corners[i].z};

  // 2. Side lines A x + B z + C = 0.
  for (int i = 0; i < 4; ++i) {
    const GroundPoint& a = corners[i];
    const GroundPoint& b = corners[(i + 1) % 4];
    const float A = b.z - a.z, B = a.x - b.x;
    appendText(&log, "A: %f, B: %f, C: %f\n", A, B, -(A * a.x + B * a.z));
  }

  // 3. Crossings with the terrain borders, one group a kind of border.
  std::array<std::vector<Crossing>, 4> sides;
  for (int kind = 0; kind < kBorderKinds; ++kind) {
    const std::string line = std::string(kBorderPrefix[kind]) + "border_line";
    const std::string texture = std::string(kBorderPrefix[kind]) + "border_texture";
    for (int i = 0; i < 4; ++i) {
      const std::vector<Crossing> found =
          crossings(terrain, quad, static_cast<BorderKind>(kind), corners[i], corners[(i + 1) % 4]);
      for (size_t j = 0; j < found.size(); ++j) {
        const Crossing& c = found[j];
        logPoint(log, line.c_str(), i, static_cast<int>(j), c.x, c.y, c.z);
        logTexture(log, texture.c_str(), i, static_cast<int>(j), c.s, c.t);
      }
      sides[i].insert(sides[i].end(), found.begin(), found.end());
    }
  }

  // 4. Each side's crossings in order along it.
  for (int i = 0; i < 4; ++i) {
    std::stable_sort(sides[i].begin(), sides[i].end(),
                     [](const Crossing& a, const Crossing& b) { return a.along < b.along; });
    for (size_t j = 0; j < sides[i].size(); ++j) {
      const Crossing& c = sides[i][j];
      logPoint(log, "sort_border_line", i, static_cast<int>(j), c.x, c.y, c.z);
      logTexture(log, "sort_border_texture", i, static_cast<int>(j), c.s, c.t);
    }
  }

  // 5. Grid points inside the quad, then the quad's piece in every terrain
  // triangle it touches.
  float minX = corners[0].x, maxX = minX, minZ = corners[0].z, maxZ = minZ;
  for (const GroundPoint& p : corners) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minZ = std::min(minZ, p.z);
    maxZ = std::max(maxZ, p.z);
  }
  const auto cellRange = [](float lo, float hi, float spacing, int count, int& first, int& last) {
    first = std::clamp(static_cast<int>(std::floor(lo / spacing)), 0, count - 2);
    last = std::clamp(static_cast<int>(std::floor(hi / spacing)), 0, count - 2);
  };
  int c0 = 0, c1 = 0, r0 = 0, r1 = 0;
  cellRange(minX, maxX, spacingX, grid.width, c0, c1);
  cellRange(minZ, maxZ, spacingZ, grid.height, r0, r1);

  int inside = 0;
  for (int r = r0; r <= r1 + 1; ++r) {
    for (int c = c0; c <= c1 + 1; ++c) {
      const GroundPoint p{c * spacingX, r * spacingZ};
      bool in = true;
      for (int i = 0; i < 4 && in; ++i) in = turnUp(corners[i], corners[(i + 1) % 4], p) >= 0.0f;
      if (in) appendText(&log, "inside[%d]: %f, %f, %f\n", inside++, p.x, terrain.surface(p.x, p.z), p.z);
    }
  }

  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      const float x0 = c * spacingX, x1 = (c + 1) * spacingX, z0 = r * spacingZ, z1 = (r + 1) * spacingZ;
      // The cell's two triangles, split along the diagonal from (c+1, r) to (c, r+1).
      const Outline triangles[2] = {{{x0, z0}, {x0, z1}, {x1, z0}}, {{x0, z1}, {x1, z1}, {x1, z0}}};
      for (const Outline& triangle : triangles) {
        Outline piece = clipConvex(corners, triangle);
        dropRepeatedPoints(piece);
        if (piece.size() < 3 || outlineArea(piece) <= 0.0f) continue;
        if (piece.size() > static_cast<size_t>(kMaxOutlinePoints)) {
          log += "something wrong here\n";
          continue;
        }
        for (size_t k = 0; k < piece.size(); ++k) {
          const GroundPoint& p = piece[k];
          const std::array<float, 2> st = quad.texCoord(p.x, p.z);
          appendText(&log, "inside_border[%d]: %f, %f, %f\n", static_cast<int>(k), p.x, terrain.surface(p.x, p.z), p.z);
          appendText(&log, "inside_border_tex[%d]: %f, %f\n", static_cast<int>(k), st[0], st[1]);
        }
        appendText(&log, "inside_border_count: %d\n", static_cast<int>(piece.size()));
        // 6. A fan over the convex piece, turning up like the terrain.
        for (size_t k = 1; k + 1 < piece.size(); ++k) {
          pushVertex(mesh, terrain, quad, piece[0]);
          pushVertex(mesh, terrain, quad, piece[k]);
          pushVertex(mesh, terrain, quad, piece[k + 1]);
        }
      }
    }
  }
  return mesh;
}

VornShadowMesh makeProjectionShadow(const std::array<VornVector, 8>& box, const VornVector& light,
                                    const VornTerrain& terrain, std::string& diagnostics) {
  return makeProjectionShadow(box, light, terrain.grid(), terrain.scale().x, terrain.scale().z, diagnostics);
}

}  // namespace vorn
