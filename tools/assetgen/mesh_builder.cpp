#include "assetgen/mesh_builder.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>
#include <queue>

namespace assetgen {

namespace {
constexpr float kPi = 3.14159265358979f;
// Gradient steps that pull a surface-nets vertex onto the zero level.
constexpr int kProjectionSteps = 3;
}  // namespace

Vec3 add(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3 sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 mul(const Vec3& a, float s) { return {a[0] * s, a[1] * s, a[2] * s}; }
float dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float length(const Vec3& a) { return std::sqrt(dot(a, a)); }
Vec3 normalized(const Vec3& a) {
  const float l = length(a);
  return l > 0.0f ? mul(a, 1.0f / l) : a;
}
Vec3 lerp(const Vec3& a, const Vec3& b, float t) { return add(a, mul(sub(b, a), t)); }

float sdSphere(const Vec3& p, const Vec3& c, float r) { return length(sub(p, c)) - r; }

float sdEllipsoid(const Vec3& p, const Vec3& c, const Vec3& radii) {
  // Bounded approximation: exact on the axes, smooth everywhere.
  const Vec3 q = sub(p, c);
  const Vec3 s{q[0] / radii[0], q[1] / radii[1], q[2] / radii[2]};
  const Vec3 s2{q[0] / (radii[0] * radii[0]), q[1] / (radii[1] * radii[1]), q[2] / (radii[2] * radii[2])};
  const float k0 = length(s);
  const float k1 = length(s2);
  if (k1 <= 0.0f) return -std::min(radii[0], std::min(radii[1], radii[2]));
  return k0 * (k0 - 1.0f) / k1;
}

float sdCapsule(const Vec3& p, const Vec3& a, const Vec3& b, float ra, float rb) {
  const Vec3 ab = sub(b, a);
  const float len2 = dot(ab, ab);
  float t = len2 > 0.0f ? dot(sub(p, a), ab) / len2 : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  return length(sub(p, add(a, mul(ab, t)))) - (ra + (rb - ra) * t);
}

float smoothUnion(float d1, float d2, float k) {
  const float h = std::clamp(0.5f + 0.5f * (d2 - d1) / k, 0.0f, 1.0f);
  return d2 + (d1 - d2) * h - k * h * (1.0f - h);
}

float smoothSubtract(float d, float cut, float k) {
  const float h = std::clamp(0.5f - 0.5f * (d + cut) / k, 0.0f, 1.0f);
  return d + (-cut - d) * h + k * h * (1.0f - h);
}

void Mesh::append(const Mesh& other) {
  const uint32_t base = static_cast<uint32_t>(positions.size());
  const bool withUv = !other.uvs.empty() || !uvs.empty();
  if (withUv) {
    uvs.resize(positions.size(), {0.0f, 0.0f});
  }
  positions.insert(positions.end(), other.positions.begin(), other.positions.end());
  if (withUv) {
    if (other.uvs.empty()) {
      uvs.resize(positions.size(), {0.0f, 0.0f});
    } else {
      uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    }
  }
  for (const auto& t : other.triangles) triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
  materials.insert(materials.end(), other.materials.begin(), other.materials.end());
  materials.resize(triangles.size(), 0);
}

void Mesh::translate(const Vec3& d) {
  for (Vec3& p : positions) p = add(p, d);
}

void Mesh::scale(const Vec3& s) {
  for (Vec3& p : positions) p = {p[0] * s[0], p[1] * s[1], p[2] * s[2]};
  // A mirroring scale turns the faces inside out; keep them facing outwards.
  if (s[0] * s[1] * s[2] < 0.0f) {
    for (auto& t : triangles) std::swap(t[1], t[2]);
  }
}

void Mesh::rotate(const Vec3& axis, float degrees, const Vec3& origin) {
  const Vec3 k = normalized(axis);
  const float a = degrees * kPi / 180.0f;
  const float c = std::cos(a), s = std::sin(a);
  for (Vec3& p : positions) {
    const Vec3 v = sub(p, origin);
    // Rodrigues: v c + (k x v) s + k (k.v)(1 - c)
    const Vec3 r = add(add(mul(v, c), mul(cross(k, v), s)), mul(k, dot(k, v) * (1.0f - c)));
    p = add(r, origin);
  }
}

void Mesh::setMaterial(uint8_t material) { materials.assign(triangles.size(), material); }

void Mesh::bounds(Vec3& lo, Vec3& hi) const {
  lo = hi = positions.empty() ? Vec3{0.0f, 0.0f, 0.0f} : positions[0];
  for (const Vec3& p : positions) {
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], p[i]);
      hi[i] = std::max(hi[i], p[i]);
    }
  }
}

Mesh polygonize(const Field& field, const Vec3& lo, const Vec3& hi, float cell) {
  assert(cell > 0.0f && "polygonize: cell size must be positive");
  int n[3];
  for (int a = 0; a < 3; ++a) n[a] = std::max(2, static_cast<int>(std::ceil((hi[a] - lo[a]) / cell)) + 1);
  auto pointIndex = [&](int i, int j, int k) { return (static_cast<size_t>(k) * n[1] + j) * n[0] + i; };
  auto gridPoint = [&](int i, int j, int k) { return Vec3{lo[0] + i * cell, lo[1] + j * cell, lo[2] + k * cell}; };

  std::vector<float> values(static_cast<size_t>(n[0]) * n[1] * n[2]);
  for (int k = 0; k < n[2]; ++k)
    for (int j = 0; j < n[1]; ++j)
      for (int i = 0; i < n[0]; ++i) values[pointIndex(i, j, k)] = field(gridPoint(i, j, k));

  // One vertex per cell that the surface crosses: the mean of its edge crossings.
  const int cx = n[0] - 1, cy = n[1] - 1, cz = n[2] - 1;
  auto cellIndex = [&](int i, int j, int k) { return (static_cast<size_t>(k) * cy + j) * cx + i; };
  std::vector<int32_t> cellVertex(static_cast<size_t>(cx) * cy * cz, -1);
  Mesh mesh;
  static const int kCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0},
                                    {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
  static const int kEdge[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                   {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  for (int k = 0; k < cz; ++k) {
    for (int j = 0; j < cy; ++j) {
      for (int i = 0; i < cx; ++i) {
        float v[8];
        int inside = 0;
        for (int c = 0; c < 8; ++c) {
          v[c] = values[pointIndex(i + kCorner[c][0], j + kCorner[c][1], k + kCorner[c][2])];
          inside += v[c] < 0.0f;
        }
        if (inside == 0 || inside == 8) continue;
        Vec3 sum{0.0f, 0.0f, 0.0f};
        int count = 0;
        for (const auto& e : kEdge) {
          const float a = v[e[0]], b = v[e[1]];
          if ((a < 0.0f) == (b < 0.0f)) continue;
          const float t = a / (a - b);
          const Vec3 pa = gridPoint(i + kCorner[e[0]][0], j + kCorner[e[0]][1], k + kCorner[e[0]][2]);
          const Vec3 pb = gridPoint(i + kCorner[e[1]][0], j + kCorner[e[1]][1], k + kCorner[e[1]][2]);
          sum = add(sum, lerp(pa, pb, t));
          ++count;
        }
        cellVertex[cellIndex(i, j, k)] = static_cast<int32_t>(mesh.positions.size());
        mesh.positions.push_back(mul(sum, 1.0f / static_cast<float>(count)));
      }
    }
  }

  // Pull the vertices onto the surface so the shading is smooth.
  const float h = cell * 0.25f;
  for (Vec3& p : mesh.positions) {
    const Vec3 start = p;
    for (int step = 0; step < kProjectionSteps; ++step) {
      const float f = field(p);
      const Vec3 g{field({p[0] + h, p[1], p[2]}) - field({p[0] - h, p[1], p[2]}),
                   field({p[0], p[1] + h, p[2]}) - field({p[0], p[1] - h, p[2]}),
                   field({p[0], p[1], p[2] + h}) - field({p[0], p[1], p[2] - h})};
      const float g2 = dot(g, g) / (4.0f * h * h);
      if (g2 <= 1e-12f) break;
      p = sub(p, mul(g, f / (g2 * 2.0f * h)));
    }
    // Never let a vertex wander out of its neighbourhood (thin features).
    const Vec3 moved = sub(p, start);
    const float dist = length(moved);
    if (dist > cell) p = add(start, mul(moved, cell / dist));
  }

  // One quad per grid edge the surface crosses, joining the four cells around it.
  auto emitQuad = [&](int32_t q0, int32_t q1, int32_t q2, int32_t q3, bool flip) {
    if (q0 < 0 || q1 < 0 || q2 < 0 || q3 < 0) return;
    uint32_t a = q0, b = q1, c = q2, d = q3;
    if (flip) std::swap(b, d);
    // Split along the shorter diagonal.
    const float ac = length(sub(mesh.positions[a], mesh.positions[c]));
    const float bd = length(sub(mesh.positions[b], mesh.positions[d]));
    if (ac <= bd) {
      mesh.triangles.push_back({a, b, c});
      mesh.triangles.push_back({a, c, d});
    } else {
      mesh.triangles.push_back({a, b, d});
      mesh.triangles.push_back({b, c, d});
    }
  };
  for (int k = 0; k < n[2]; ++k) {
    for (int j = 0; j < n[1]; ++j) {
      for (int i = 0; i < n[0]; ++i) {
        const bool in0 = values[pointIndex(i, j, k)] < 0.0f;
        const bool innerJ = j >= 1 && j < cy, innerK = k >= 1 && k < cz, innerI = i >= 1 && i < cx;
        // Edge along x from (i,j,k): the quad's outward normal is +x when the start is inside.
        if (i < cx && innerJ && innerK && in0 != (values[pointIndex(i + 1, j, k)] < 0.0f)) {
          emitQuad(cellVertex[cellIndex(i, j - 1, k - 1)], cellVertex[cellIndex(i, j, k - 1)],
                   cellVertex[cellIndex(i, j, k)], cellVertex[cellIndex(i, j - 1, k)], !in0);
        }
        if (j < cy && innerI && innerK && in0 != (values[pointIndex(i, j + 1, k)] < 0.0f)) {
          emitQuad(cellVertex[cellIndex(i - 1, j, k - 1)], cellVertex[cellIndex(i - 1, j, k)],
                   cellVertex[cellIndex(i, j, k)], cellVertex[cellIndex(i, j, k - 1)], !in0);
        }
        if (k < cz && innerI && innerJ && in0 != (values[pointIndex(i, j, k + 1)] < 0.0f)) {
          emitQuad(cellVertex[cellIndex(i - 1, j - 1, k)], cellVertex[cellIndex(i, j - 1, k)],
                   cellVertex[cellIndex(i, j, k)], cellVertex[cellIndex(i - 1, j, k)], !in0);
        }
      }
    }
  }
  mesh.materials.assign(mesh.triangles.size(), 0);
  return mesh;
}

namespace {

// Symmetric 4x4 quadric of plane equations, upper triangle.
struct Quadric {
  double q[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  void addPlane(double a, double b, double c, double d) {
    const double v[4] = {a, b, c, d};
    int k = 0;
    for (int i = 0; i < 4; ++i)
      for (int j = i; j < 4; ++j) q[k++] += v[i] * v[j];
  }
  void add(const Quadric& o) {
    for (int i = 0; i < 10; ++i) q[i] += o.q[i];
  }
  double error(const Vec3& p) const {
    const double x = p[0], y = p[1], z = p[2];
    return q[0] * x * x + 2 * q[1] * x * y + 2 * q[2] * x * z + 2 * q[3] * x + q[4] * y * y + 2 * q[5] * y * z +
           2 * q[6] * y + q[7] * z * z + 2 * q[8] * z + q[9];
  }
  // The point of least error, when the quadric pins one down.
  bool optimum(Vec3& p) const {
    const double a[3][3] = {{q[0], q[1], q[2]}, {q[1], q[4], q[5]}, {q[2], q[5], q[7]}};
    const double b[3] = {-q[3], -q[6], -q[8]};
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (std::fabs(det) < 1e-9) return false;
    double r[3];
    for (int c = 0; c < 3; ++c) {
      double m[3][3];
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = j == c ? b[i] : a[i][j];
      r[c] = (m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
              m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0])) /
             det;
    }
    p = {static_cast<float>(r[0]), static_cast<float>(r[1]), static_cast<float>(r[2])};
    return true;
  }
};

struct Collapse {
  double cost;
  uint32_t u, v;
  uint32_t stampU, stampV;
  Vec3 target;
  bool operator<(const Collapse& o) const { return cost > o.cost; }  // min-heap
};

}  // namespace

Mesh simplify(const Mesh& mesh, size_t targetTriangles, float maxError) {
  std::vector<Vec3> pos = mesh.positions;
  std::vector<std::array<uint32_t, 3>> tris = mesh.triangles;
  std::vector<bool> deadTri(tris.size(), false), deadVert(pos.size(), false);
  std::vector<std::vector<uint32_t>> vertFaces(pos.size());
  std::vector<Quadric> quadrics(pos.size());
  std::vector<uint32_t> stamp(pos.size(), 0);
  // Vertices where materials meet stay where they are, so borders keep the
  // dense mesh's smooth outline.
  std::vector<bool> border(pos.size(), false);
  std::vector<int> firstMaterial(pos.size(), -1);
  const bool tagged = mesh.materials.size() == tris.size();
  for (uint32_t t = 0; t < tris.size() && tagged; ++t) {
    for (const uint32_t v : tris[t]) {
      if (firstMaterial[v] < 0) firstMaterial[v] = mesh.materials[t];
      if (firstMaterial[v] != mesh.materials[t]) border[v] = true;
    }
  }
  for (uint32_t t = 0; t < tris.size(); ++t) {
    const Vec3 n = cross(sub(pos[tris[t][1]], pos[tris[t][0]]), sub(pos[tris[t][2]], pos[tris[t][0]]));
    const Vec3 u = normalized(n);
    const float d = -dot(u, pos[tris[t][0]]);
    for (const uint32_t v : tris[t]) {
      vertFaces[v].push_back(t);
      quadrics[v].addPlane(u[0], u[1], u[2], d);
    }
  }
  auto neighbours = [&](uint32_t v) {
    std::vector<uint32_t> out;
    for (const uint32_t t : vertFaces[v])
      for (const uint32_t w : tris[t])
        if (w != v) out.push_back(w);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
  };
  auto plan = [&](uint32_t u, uint32_t v) {
    Quadric q = quadrics[u];
    q.add(quadrics[v]);
    Collapse c{0.0, u, v, stamp[u], stamp[v], lerp(pos[u], pos[v], 0.5f)};
    c.cost = q.error(c.target);
    Vec3 best;
    const float edge = length(sub(pos[u], pos[v]));
    if (q.optimum(best) && length(sub(best, c.target)) < edge) {
      const double e = q.error(best);
      if (e < c.cost) {
        c.cost = e;
        c.target = best;
      }
    }
    for (const Vec3& end : {pos[u], pos[v]}) {
      const double e = q.error(end);
      if (e < c.cost) {
        c.cost = e;
        c.target = end;
      }
    }
    return c;
  };
  std::priority_queue<Collapse> heap;
  for (uint32_t t = 0; t < tris.size(); ++t)
    for (int e = 0; e < 3; ++e) {
      const uint32_t a = tris[t][e], b = tris[t][(e + 1) % 3];
      if (a < b) heap.push(plan(a, b));
    }
  const double limit = static_cast<double>(maxError) * maxError;
  size_t alive = tris.size();
  while (alive > targetTriangles && !heap.empty()) {
    const Collapse c = heap.top();
    heap.pop();
    if (deadVert[c.u] || deadVert[c.v] || stamp[c.u] != c.stampU || stamp[c.v] != c.stampV) continue;
    if (c.cost > limit) break;
    if (border[c.u] || border[c.v]) continue;
    // Link condition: exactly the two faces of the edge share both ends.
    const std::vector<uint32_t> nu = neighbours(c.u), nv = neighbours(c.v);
    std::vector<uint32_t> common;
    std::set_intersection(nu.begin(), nu.end(), nv.begin(), nv.end(), std::back_inserter(common));
    if (common.size() != 2) continue;
    // No face may flip or collapse to a sliver.
    bool ok = true;
    for (const uint32_t end : {c.u, c.v}) {
      for (const uint32_t t : vertFaces[end]) {
        const auto& f = tris[t];
        const bool shared = (f[0] == c.u || f[1] == c.u || f[2] == c.u) && (f[0] == c.v || f[1] == c.v || f[2] == c.v);
        if (shared) continue;
        Vec3 p[3];
        for (int k = 0; k < 3; ++k) p[k] = (f[k] == c.u || f[k] == c.v) ? c.target : pos[f[k]];
        const Vec3 before = normalized(cross(sub(pos[f[1]], pos[f[0]]), sub(pos[f[2]], pos[f[0]])));
        const Vec3 afterRaw = cross(sub(p[1], p[0]), sub(p[2], p[0]));
        const Vec3 after = normalized(afterRaw);
        const float longest = std::max({length(sub(p[1], p[0])), length(sub(p[2], p[1])), length(sub(p[0], p[2]))});
        if (dot(before, after) < 0.5f || length(afterRaw) < 0.05f * longest * longest) ok = false;
      }
    }
    if (!ok) continue;
    // Collapse v into u.
    pos[c.u] = c.target;
    quadrics[c.u].add(quadrics[c.v]);
    deadVert[c.v] = true;
    for (const uint32_t t : vertFaces[c.v]) {
      if (deadTri[t]) continue;
      auto& f = tris[t];
      if (f[0] == c.u || f[1] == c.u || f[2] == c.u) {
        deadTri[t] = true;
        --alive;
        continue;
      }
      for (uint32_t& w : f)
        if (w == c.v) w = c.u;
      vertFaces[c.u].push_back(t);
    }
    vertFaces[c.v].clear();
    auto& list = vertFaces[c.u];
    list.erase(std::remove_if(list.begin(), list.end(), [&](uint32_t t) { return deadTri[t]; }), list.end());
    for (const uint32_t w : neighbours(c.u)) {
      auto& fl = vertFaces[w];
      fl.erase(std::remove_if(fl.begin(), fl.end(), [&](uint32_t t) { return deadTri[t]; }), fl.end());
    }
    ++stamp[c.u];
    for (const uint32_t w : neighbours(c.u)) heap.push(plan(std::min(c.u, w), std::max(c.u, w)));
  }
  // Keep the living vertices and faces, in their old order.
  Mesh out;
  std::vector<int64_t> remap(pos.size(), -1);
  for (uint32_t t = 0; t < tris.size(); ++t) {
    if (deadTri[t]) continue;
    std::array<uint32_t, 3> f;
    for (int k = 0; k < 3; ++k) {
      const uint32_t v = tris[t][k];
      if (remap[v] < 0) {
        remap[v] = static_cast<int64_t>(out.positions.size());
        out.positions.push_back(pos[v]);
      }
      f[k] = static_cast<uint32_t>(remap[v]);
    }
    out.triangles.push_back(f);
    out.materials.push_back(tagged ? mesh.materials[t] : 0);
  }
  return out;
}

Mesh lathe(const std::vector<std::array<float, 2>>& profile, int segments,
           const std::function<float(float angle, float z)>& radial) {
  assert(profile.size() >= 2 && segments >= 3 && "lathe: needs a profile and segments");
  Mesh mesh;
  std::vector<float> along(profile.size(), 0.0f);
  for (size_t i = 1; i < profile.size(); ++i) {
    along[i] = along[i - 1] + std::hypot(profile[i][0] - profile[i - 1][0], profile[i][1] - profile[i - 1][1]);
  }
  const float total = along.back() > 0.0f ? along.back() : 1.0f;
  const int ring = segments + 1;
  for (size_t i = 0; i < profile.size(); ++i) {
    for (int s = 0; s < ring; ++s) {
      const float angle = 2.0f * kPi * static_cast<float>(s % segments) / static_cast<float>(segments);
      float r = profile[i][0];
      if (radial && r > 0.0f) r *= radial(angle, profile[i][1]);
      mesh.positions.push_back({r * std::cos(angle), r * std::sin(angle), profile[i][1]});
      mesh.uvs.push_back({static_cast<float>(s) / static_cast<float>(segments), along[i] / total});
    }
  }
  for (size_t i = 0; i + 1 < profile.size(); ++i) {
    for (int s = 0; s < segments; ++s) {
      const uint32_t a = static_cast<uint32_t>(i * ring + s), b = a + 1;
      const uint32_t d = static_cast<uint32_t>((i + 1) * ring + s), c = d + 1;
      // A closed end (radius 0) collapses one side of the quad: keep the other.
      if (profile[i][0] > 0.0f) mesh.triangles.push_back({a, b, c});
      if (profile[i + 1][0] > 0.0f) mesh.triangles.push_back({a, c, d});
    }
  }
  mesh.materials.assign(mesh.triangles.size(), 0);
  return mesh;
}

void mapCylindrical(Mesh& mesh, const Vec3& origin, const Vec3& axis, const Vec3& zeroDir, float vScale,
                    float uRepeat) {
  const Vec3 ax = normalized(axis);
  const Vec3 e1 = normalized(sub(zeroDir, mul(ax, dot(zeroDir, ax))));
  const Vec3 e2 = cross(ax, e1);
  mesh.uvs.resize(mesh.positions.size());
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    const Vec3 d = sub(mesh.positions[i], origin);
    const float angle = std::atan2(dot(d, e2), dot(d, e1));
    mesh.uvs[i] = {(angle / (2.0f * kPi) + 0.5f) * uRepeat, dot(d, ax) * vScale};
  }
  // Triangles that straddle the wrap get their own copies of the low-u
  // corners shifted by one turn; the positions stay equal, so the game's
  // welding still shares their normals.
  const size_t original = mesh.positions.size();
  std::vector<int64_t> shifted(original, -1);
  for (auto& t : mesh.triangles) {
    float umin = 1e9f, umax = -1e9f;
    for (const uint32_t v : t) {
      umin = std::min(umin, mesh.uvs[v][0]);
      umax = std::max(umax, mesh.uvs[v][0]);
    }
    if (umax - umin <= 0.5f * uRepeat) continue;
    for (uint32_t& v : t) {
      if (mesh.uvs[v][0] >= 0.5f * uRepeat) continue;
      if (shifted[v] < 0) {
        shifted[v] = static_cast<int64_t>(mesh.positions.size());
        mesh.positions.push_back(mesh.positions[v]);
        mesh.uvs.push_back({mesh.uvs[v][0] + uRepeat, mesh.uvs[v][1]});
      }
      v = static_cast<uint32_t>(shifted[v]);
    }
  }
}

void mapPlanar(Mesh& mesh, const Vec3& uAxis, const Vec3& vAxis, float uOffset, float vOffset) {
  mesh.uvs.resize(mesh.positions.size());
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    mesh.uvs[i] = {dot(mesh.positions[i], uAxis) + uOffset, dot(mesh.positions[i], vAxis) + vOffset};
  }
}

void mapTriplanar(Mesh& mesh, float scale) {
  const size_t original = mesh.positions.size();
  std::vector<std::array<int64_t, 3>> copies(original, {-1, -1, -1});
  std::vector<std::array<float, 2>> uvs(original, {0.0f, 0.0f});
  std::vector<Vec3> positions = mesh.positions;
  for (auto& t : mesh.triangles) {
    const Vec3 n = cross(sub(positions[t[1]], positions[t[0]]), sub(positions[t[2]], positions[t[0]]));
    const float ax = std::fabs(n[0]), ay = std::fabs(n[1]), az = std::fabs(n[2]);
    const int axis = (ax >= ay && ax >= az) ? 0 : (ay >= az ? 1 : 2);
    for (uint32_t& v : t) {
      if (copies[v][axis] < 0) {
        const Vec3& p = positions[v];
        const std::array<float, 2> uv = axis == 0   ? std::array<float, 2>{p[1] * scale, p[2] * scale}
                                        : axis == 1 ? std::array<float, 2>{p[0] * scale, p[2] * scale}
                                                    : std::array<float, 2>{p[0] * scale, p[1] * scale};
        const bool firstUse = copies[v][0] < 0 && copies[v][1] < 0 && copies[v][2] < 0;
        if (firstUse) {
          copies[v][axis] = v;
          uvs[v] = uv;
        } else {
          copies[v][axis] = static_cast<int64_t>(positions.size());
          positions.push_back(p);
          uvs.push_back(uv);
        }
      }
      v = static_cast<uint32_t>(copies[v][axis]);
    }
  }
  mesh.positions = std::move(positions);
  mesh.uvs = std::move(uvs);
}

void tagMaterials(Mesh& mesh, const std::function<uint8_t(const Vec3& centroid)>& classify) {
  mesh.materials.resize(mesh.triangles.size());
  for (size_t i = 0; i < mesh.triangles.size(); ++i) {
    const auto& t = mesh.triangles[i];
    const Vec3 c = mul(add(add(mesh.positions[t[0]], mesh.positions[t[1]]), mesh.positions[t[2]]), 1.0f / 3.0f);
    mesh.materials[i] = classify(c);
  }
}

TdsMesh toTdsMesh(const Mesh& mesh, const std::string& name, const std::vector<std::string>& materialNames) {
  assert(mesh.positions.size() <= kMaxMeshElements && mesh.triangles.size() <= kMaxMeshElements &&
         "toTdsMesh: a part must fit 16-bit counts; split it");
  TdsMesh out;
  out.name = name;
  out.vertices = mesh.positions;
  if (!mesh.uvs.empty()) out.uvs = mesh.uvs;
  out.faces.reserve(mesh.triangles.size());
  for (const auto& t : mesh.triangles) {
    TdsFace f;
    f.a = static_cast<uint16_t>(t[0]);
    f.b = static_cast<uint16_t>(t[1]);
    f.c = static_cast<uint16_t>(t[2]);
    out.faces.push_back(f);
  }
  for (size_t m = 0; m < materialNames.size(); ++m) {
    TdsFaceGroup g;
    g.material = materialNames[m];
    for (size_t i = 0; i < mesh.triangles.size(); ++i) {
      if (mesh.materials[i] == m) g.faces.push_back(static_cast<uint16_t>(i));
    }
    if (!g.faces.empty()) out.groups.push_back(std::move(g));
  }
  return out;
}

}  // namespace assetgen
