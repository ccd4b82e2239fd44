// The scenery models: pillar, pillar end, beer bottle, fir tree, root and
// mushrooms. All stand z-up on z = 0 in file units.
#include <cmath>

#include "assetgen/model_rig.h"
#include "assetgen/model_textures.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265358979f;
const Vec3 kUp{0.0f, 0.0f, 1.0f};

uint32_t mix32(uint32_t h) {
  h = (h ^ (h >> 16)) * 0x7feb352du;
  h = (h ^ (h >> 15)) * 0x846ca68bu;
  return h ^ (h >> 16);
}

// Deterministic value in [0, 1) for an integer pair and a seed.
float random01(int a, int b, uint32_t seed) {
  return static_cast<float>(
             mix32(static_cast<uint32_t>(a) * 73856093u ^ static_cast<uint32_t>(b) * 19349663u ^ seed * 83492791u) &
             0xFFFFFF) /
         16777216.0f;
}

// Smooth 2D value noise, about one feature per `cell` units.
float noise2(float x, float y, float cell, uint32_t seed) {
  const float fx = x / cell, fy = y / cell;
  const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
  float tx = fx - ix, ty = fy - iy;
  tx = tx * tx * (3.0f - 2.0f * tx);
  ty = ty * ty * (3.0f - 2.0f * ty);
  const float a = random01(ix, iy, seed), b = random01(ix + 1, iy, seed);
  const float c = random01(ix, iy + 1, seed), d = random01(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) * (1.0f - ty) + (c + (d - c) * tx) * ty;
}

// Flutes of the pillar shaft: narrow grooves, 16 around.
float fluteFactor(float angle) { return 1.0f - 0.05f * std::pow(0.5f + 0.5f * std::cos(16.0f * angle), 6.0f); }

// Texture v from height, u repeated around, for lathed stone and glass.
void mapLatheUv(Mesh& m, float uRepeat, float vScale) {
  for (size_t i = 0; i < m.positions.size(); ++i) {
    m.uvs[i] = {m.uvs[i][0] * uRepeat, m.positions[i][2] * vScale};
  }
}

float sdCylinderZ(const Vec3& p, float r, float z0, float z1) {
  const float radial = std::hypot(p[0], p[1]) - r;
  const float vertical = std::max(z0 - p[2], p[2] - z1);
  return std::max(radial, vertical);
}

}  // namespace

GeneratedModel buildPillar() {
  GeneratedModel out;
  out.fileName = "saeule.3DS";
  out.model.materials = {makeMaterial("stone_pillar", {236, 236, 236}, "stone.bmp", 15)};
  std::vector<std::array<float, 2>> profile = {{0, 0},   {60, 0},  {60, 14}, {57, 17}, {57, 22},
                                               {52, 26}, {48, 30}, {46, 36}, {45, 42}};
  constexpr float kShaftBottom = 42.0f, kShaftTop = 466.0f;
  for (int i = 1; i <= 10; ++i) {
    const float t = i / 10.0f;
    profile.push_back({45.0f - 7.0f * std::pow(t, 1.6f), kShaftBottom + (kShaftTop - kShaftBottom) * t});
  }
  for (const std::array<float, 2> p : std::vector<std::array<float, 2>>{
           {40, 470}, {41, 476}, {44, 482}, {50, 489}, {56, 495}, {58, 498}, {58, 512}, {0, 512}}) {
    profile.push_back(p);
  }
  Mesh m = lathe(profile, 64, [](float angle, float z) {
    return (z > kShaftBottom + 1.0f && z < kShaftTop - 1.0f) ? fluteFactor(angle) : 1.0f;
  });
  mapLatheUv(m, 2.0f, 1.0f / 141.0f);
  out.model.meshes.push_back(toTdsMesh(m, "pillar", {"stone_pillar"}));
  return out;
}

GeneratedModel buildPillarEnd() {
  GeneratedModel out;
  out.fileName = "saule_end_2.3DS";
  out.model.materials = {makeMaterial("stone_end", {228, 226, 222}, "stone.bmp", 15)};
  // The stump of a broken pillar: base mouldings and a fluted shaft that
  // ends in a jagged, slanted break.
  auto field = [](const Vec3& p) {
    const float angle = std::atan2(p[1], p[0]);
    const float breakHeight = 135.0f + 0.22f * p[0] + 38.0f * (noise2(p[0], p[1], 22.0f, 5u) - 0.5f) +
                              14.0f * (noise2(p[0], p[1], 7.0f, 9u) - 0.5f);
    float shaft = std::hypot(p[0], p[1]) - 45.0f * fluteFactor(angle);
    shaft = std::max(shaft, std::max(-p[2], p[2] - breakHeight));
    float d = sdCylinderZ(p, 60.0f, 0.0f, 14.0f);
    d = smoothUnion(d, sdCylinderZ(p, 56.0f, 12.0f, 22.0f), 3.0f);
    d = smoothUnion(d, sdCylinderZ(p, 50.0f, 20.0f, 30.0f), 3.0f);
    return smoothUnion(d, shaft, 3.0f);
  };
  const Mesh dense = polygonize(field, {-66.0f, -66.0f, -4.0f}, {66.0f, 66.0f, 184.0f}, 5.0f);
  Mesh m = simplify(dense, dense.triangles.size() * 2 / 5, 1.5f);
  mapTriplanar(m, 1.0f / 141.0f);
  out.model.meshes.push_back(toTdsMesh(m, "pillar_end", {"stone_end"}));
  return out;
}

GeneratedModel buildBottle() {
  GeneratedModel out;
  out.fileName = "booze.3DS";
  out.model.materials = {makeMaterial("beer_bottle", {240, 240, 240}, "beerlab.bmp", 85)};
  out.model.materials[0].specular = {200, 200, 200};
  const std::vector<std::array<float, 2>> profile = {
      {0, 0},     {11, 0},     {13.5f, 0.8f}, {14.5f, 3},    {14.5f, 15}, {14.5f, 30}, {14.5f, 46},
      {14, 50},   {12.5f, 54}, {10, 58.5f},   {7.5f, 63},    {6, 67},     {5.4f, 72},  {5.2f, 82},
      {5.9f, 83}, {5.9f, 87},  {5.3f, 88.5f}, {3.5f, 89.5f}, {0, 90}};
  Mesh m = lathe(profile, 28);
  mapLatheUv(m, 1.0f, 1.0f / 90.0f);
  out.model.meshes.push_back(toTdsMesh(m, "bottle", {"beer_bottle"}));
  return out;
}

GeneratedModel buildTree() {
  GeneratedModel out;
  out.fileName = "tree.3DS";
  out.model.materials = {makeMaterial("tree_bark", {230, 230, 230}, "bark.bmp", 5),
                         makeMaterial("tree_needles", {235, 240, 235}, "firneedl.bmp", 8),
                         makeMaterial("tree_inner", {38, 74, 44}, "", 5)};
  // Trunk with a slight flare at the foot.
  Mesh trunk =
      lathe({{0, 0}, {36, 0}, {30, 20}, {25, 60}, {21, 150}, {16, 300}, {11, 480}, {6, 660}, {2.5f, 780}, {0, 800}}, 12,
            [](float angle, float z) { return 1.0f + 0.05f * std::sin(5.0f * angle + z * 0.02f); });
  mapLatheUv(trunk, 2.0f, 1.0f / 160.0f);
  out.model.meshes.push_back(toTdsMesh(trunk, "tree_trunk", {"tree_bark"}));

  // A dark core so the crown reads as one mass between the branches.
  Mesh core = lathe({{0, 70}, {120, 96}, {96, 240}, {70, 420}, {40, 600}, {0, 790}}, 14);
  core.uvs.clear();
  out.model.meshes.push_back(toTdsMesh(core, "tree_core", {"tree_inner"}));

  // Tiers of drooping branch cards, each a cross of a flat and an upright
  // card, cut out by the needle mask. The cards overlap many times over, and
  // a software renderer pays for every layer: fewer, wider cards keep the
  // crown's look at about two thirds of its fill.
  Mesh crown;
  constexpr int kTiers = 11, kBranches = 8, kSegments = 2;
  for (int t = 0; t < kTiers; ++t) {
    const float f = static_cast<float>(t) / kTiers;
    const float z = 170.0f + 640.0f * f;
    const float len = 290.0f * std::pow(1.0f - f, 0.95f) + 45.0f;
    for (int b = 0; b < kBranches; ++b) {
      const float angle = 2.0f * kPi * (b + 0.5f * (t % 2) + 0.3f * random01(t, b, 3u)) / kBranches;
      const Vec3 out3{std::cos(angle), std::sin(angle), 0.0f};
      const Vec3 side{-std::sin(angle), std::cos(angle), 0.0f};
      const float droop = 0.18f + 0.12f * random01(t, b, 5u);
      const float width = 0.38f * len;
      for (int card = 0; card < 2; ++card) {
        Mesh c;
        for (int s = 0; s <= kSegments; ++s) {
          const float u = static_cast<float>(s) / kSegments;
          const Vec3 spine = add(Vec3{0.0f, 0.0f, z}, add(mul(out3, u * len), mul(kUp, -droop * len * u * u)));
          const Vec3 across = card == 0 ? mul(add(side, mul(kUp, 0.15f)), width) : mul(kUp, width * 0.6f);
          c.positions.push_back(sub(spine, across));
          c.positions.push_back(add(spine, across));
          c.uvs.push_back({u, 0.0f});
          c.uvs.push_back({u, 1.0f});
        }
        for (uint32_t s = 0; s < kSegments; ++s) {
          const uint32_t a = 2 * s, b2 = a + 1, c2 = a + 3, d = a + 2;
          c.triangles.push_back({a, d, c2});
          c.triangles.push_back({a, c2, b2});
        }
        c.setMaterial(0);
        crown.append(c);
      }
    }
  }
  out.model.meshes.push_back(toTdsMesh(crown, "tree_crown", {"tree_needles"}));
  out.overlays = "tree_needles\ndata/textures/firmask.bmp\n";
  return out;
}

GeneratedModel buildRoot() {
  GeneratedModel out;
  out.fileName = "root_1.3DS";
  out.model.materials = {makeMaterial("root_bark", {226, 222, 216}, "bark.bmp", 5),
                         makeMaterial("root_wood", {214, 180, 128}, "", 10)};
  // A stump with five roots that arch out of the snow and dive back in.
  struct Root {
    std::array<Vec3, 4> points;
  };
  std::vector<Root> roots;
  for (int i = 0; i < 5; ++i) {
    const float a = 2.0f * kPi * (i + 0.35f * random01(i, 0, 11u)) / 5.0f;
    const float reach = 120.0f + 50.0f * random01(i, 1, 11u);
    const Vec3 dir{std::cos(a), std::sin(a), 0.0f};
    const Vec3 bend{-std::sin(a) * 0.25f, std::cos(a) * 0.25f, 0.0f};
    Root r;
    r.points = {Vec3{dir[0] * 18.0f, dir[1] * 18.0f, 34.0f}, add(mul(dir, reach * 0.4f), Vec3{0, 0, 22.0f}),
                add(add(mul(dir, reach * 0.75f), mul(bend, reach)), Vec3{0, 0, 14.0f}),
                add(add(mul(dir, reach), mul(bend, reach * 1.2f)), Vec3{0, 0, -10.0f})};
    roots.push_back(r);
  }
  auto field = [roots](const Vec3& p) {
    float d = sdCapsule(p, {0.0f, 0.0f, -10.0f}, {0.0f, 0.0f, 70.0f}, 34.0f, 26.0f);
    d += 2.5f * (noise2(std::atan2(p[1], p[0]) * 40.0f, p[2], 9.0f, 13u) - 0.5f);
    for (const Root& r : roots) {
      const float radii[4] = {17.0f, 12.0f, 8.0f, 5.0f};
      for (int k = 0; k < 3; ++k) {
        d = smoothUnion(d, sdCapsule(p, r.points[k], r.points[k + 1], radii[k], radii[k + 1]), k == 0 ? 10.0f : 4.0f);
      }
    }
    d = std::max(d, p[2] - 64.0f);  // sawn top
    return std::max(d, -p[2] - 6.0f);
  };
  Mesh m = polygonize(field, {-190.0f, -190.0f, -10.0f}, {190.0f, 190.0f, 72.0f}, 5.0f);
  tagMaterials(m, [](const Vec3& c) -> uint8_t { return c[2] > 63.0f ? 1 : 0; });
  m = simplify(m, m.triangles.size() * 2 / 5, 1.5f);
  mapTriplanar(m, 1.0f / 110.0f);
  out.model.meshes.push_back(toTdsMesh(m, "root", {"root_bark", "root_wood"}));
  return out;
}

GeneratedModel buildMushrooms() {
  GeneratedModel out;
  out.fileName = "mushrooms_1.3DS";
  out.model.materials = {makeMaterial("mush_cap", {240, 240, 240}, "mushcap.bmp", 60),
                         makeMaterial("mush_gills", {222, 206, 170}, "", 5),
                         makeMaterial("mush_stem", {238, 232, 216}, "", 10)};
  struct Shroom {
    float x, y, height, capRadius, tiltDeg, tiltAxisDeg;
  };
  const Shroom shrooms[] = {
      {0, 0, 110, 42, 4, 30}, {52, 30, 80, 31, 9, 200}, {-40, 36, 58, 24, 12, 130}, {18, -46, 44, 18, 14, 290}};
  int index = 0;
  for (const Shroom& s : shrooms) {
    const float r = s.capRadius * 0.28f, h = s.height, R = s.capRadius;
    Mesh stem = lathe({{0, 0},
                       {r * 1.35f, 0},
                       {r * 1.4f, h * 0.06f},
                       {r * 1.12f, h * 0.22f},
                       {r, h * 0.6f},
                       {r * 0.92f, h * 0.95f},
                       {0, h * 0.95f}},
                      14);
    stem.uvs.clear();
    stem.setMaterial(2);
    Mesh cap = lathe({{r * 0.8f, h - 3.0f},
                      {0.55f * R, h - 2.0f},
                      {R, h + 1.0f},
                      {1.03f * R, h + 4.0f},
                      {0.97f * R, h + 0.22f * R + 4.0f},
                      {0.78f * R, h + 0.42f * R + 4.0f},
                      {0.45f * R, h + 0.56f * R + 4.0f},
                      {0, h + 0.6f * R + 4.0f}},
                     24);
    tagMaterials(cap, [h](const Vec3& c) -> uint8_t { return c[2] < h + 2.0f ? 1 : 0; });
    const float shift = 0.37f * index;
    mapPlanar(cap, {0.5f / R, 0.0f, 0.0f}, {0.0f, 0.5f / R, 0.0f}, 0.5f + shift, 0.5f + shift);
    Mesh one = stem;
    one.append(cap);
    const float ta = s.tiltAxisDeg * kPi / 180.0f;
    one.rotate({std::cos(ta), std::sin(ta), 0.0f}, s.tiltDeg, {0.0f, 0.0f, 0.0f});
    Vec3 lo, hi;
    one.bounds(lo, hi);
    one.translate({s.x, s.y, -lo[2]});  // the lowest edge of the foot on the ground
    out.model.meshes.push_back(
        toTdsMesh(one, "mushroom_" + std::to_string(index + 1), {"mush_cap", "mush_gills", "mush_stem"}));
    ++index;
  }
  return out;
}

}  // namespace assetgen
