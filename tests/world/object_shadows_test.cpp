// Projected shadows without a device: tile layout, shadow quad, shadow meshes
// on rough ground. (The bake at work: world_gl_test.cpp.)
#include "world/object_shadows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace vorn {
namespace {

constexpr float kS = 50.0f;  // grid spacing of the course

HeightGrid grid(int width, int height, unsigned seed) {
  HeightGrid g{width, height, std::vector<float>(static_cast<size_t>(width) * height, 20.0f)};
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> heights(0.0f, 120.0f);
  for (float& h : g.heights) h = seed ? heights(random) : h;
  return g;
}

std::array<VornVector, 8> box(float x0, float y0, float z0, float x1, float y1, float z1) {
  return boxCorners(VornVector(x0, y0, z0), VornVector(x1, y1, z1), VornMatrix());
}

VornVector unit(float x, float y, float z) { return VornVector(x, y, z).normalized(); }

using Triangle = std::array<std::array<float, kShadowVertexFloats>, 3>;

std::vector<Triangle> triangles(const VornShadowMesh& mesh) {
  std::vector<Triangle> out(static_cast<size_t>(mesh.vertexCount() / 3));
  for (size_t i = 0; i < mesh.vertices.size(); ++i)
    out[i / (3 * kShadowVertexFloats)][(i / kShadowVertexFloats) % 3][i % kShadowVertexFloats] = mesh.vertices[i];
  return out;
}

// Twice the signed area seen from above, positive when the normal points up.
float upArea2(const Triangle& t) {
  return (t[1][2] - t[0][2]) * (t[2][0] - t[0][0]) - (t[1][0] - t[0][0]) * (t[2][2] - t[0][2]);
}

// The tiles end exactly where the terrain's shadow coordinates (c / W, r / H)
// reach 1. Cases: w, h, texture limit, tiles nx, nz.
TEST(ShadowLayout, TilesCoverTheGridAndFitTheTexture) {
  const int cases[][5] = {{72, 100, 16384, 4, 4}, {40, 200, 16384, 2, 8},  // the shipped course; z needs more tiles
                          {72, 80, 1024, 2, 2},   {2, 2, 16384, 2, 2},     // the limit halves both; at least two
                          {1024, 64, 65536, 32, 2}, {72, 80, 256, 1, 1}};  // at most 64 tiles; at least one
  for (const auto& c : cases) {
    const ShadowTextureLayout l = shadowTextureLayout(c[0], c[1], kS, kS, c[2], 512);
    EXPECT_TRUE(l.nx == c[3] && l.nz == c[4] && l.textureWidth() == l.nx * 512 && l.textureHeight() == l.nz * 512 &&
                l.nx * l.tileWidth == c[0] * kS && l.nz * l.tileDepth == c[1] * kS)
        << c[0] << "x" << c[1] << " limit " << c[2] << ": " << l.nx << " x " << l.nz;
  }
}

// A 30 high pole on the ground at 10: the footprint under a vertical light;
// the game's light (0, 1, -1) throws it 30 towards +z, from its foot at t = 0
// to its top at t = 1; a light from +x throws it 30 towards -x.
TEST(ShadowQuadTest, FallsStraightUnderAVerticalLightAndAwayFromASlantedOne) {
  const std::array<VornVector, 8> pole = box(495, 10, 495, 505, 40, 505);
  const struct { VornVector light; std::array<float, 4> bounds; } cases[] = {  // x from, to; z from, to
      {VornVector(0, 1, 0), {495, 505, 495, 505}}, {unit(0, 1, -1), {495, 505, 495, 535}},
      {unit(1, 1, 0), {465, 505, 495, 505}}};
  for (const auto& c : cases) {
    std::array<float, 4> b = {1e9f, -1e9f, 1e9f, -1e9f};
    for (const VornVector& p : shadowQuad(pole, c.light, 10.0f).corners) {
      b = {std::min(b[0], p.x), std::max(b[1], p.x), std::min(b[2], p.z), std::max(b[3], p.z)};
      EXPECT_FLOAT_EQ(10.0f, p.y);
    }
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(b[i], c.bounds[i], 1e-3f) << c.light.x << "," << c.light.z << " " << i;
  }
  const ShadowQuad slanted = shadowQuad(pole, unit(0, 1, -1), 10.0f);
  EXPECT_TRUE(std::fabs(slanted.texCoord(500, 495)[1]) < 1e-4f && std::fabs(slanted.texCoord(500, 535)[1] - 1) < 1e-4f);
}

// The bake's per-tile culling: a box in the lowered world (ground at 0), its
// part below 0 left out, flattened along the light. Cases: box y from, to;
// light; footprint x from, to, z from, to (empty when all four are 0).
TEST(ShadowFootprintTest, BoundsTheFlattenedPartAboveTheGround) {
  const struct { float y0, y1; VornVector light; std::array<float, 4> bounds; } cases[] = {
      {0, 30, VornVector(0, 1, 0), {0, 10, 0, 10}},   {0, 30, unit(0, 1, -1), {0, 10, 0, 40}},
      {-20, 30, unit(1, 1, 0), {-30, 10, 0, 10}},     {10, 30, unit(0, 1, 1), {0, 10, -30, 0}},
      {-30, -1, unit(0, 1, -1), {0, 0, 0, 0}}};
  for (const auto& c : cases) {
    ShadowFootprint f;
    f.add(box(0, c.y0, 0, 10, c.y1, 10), c.light);
    const bool empty = c.bounds == std::array<float, 4>{0, 0, 0, 0};
    ASSERT_EQ(empty, f.empty) << c.y0 << ".." << c.y1;
    if (empty) continue;
    const std::array<float, 4> got = {f.minX, f.maxX, f.minZ, f.maxZ};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(c.bounds[i], got[i], 1e-3f) << c.y0 << ".." << c.y1 << " " << i;
  }
  ShadowFootprint two;
  two.add(box(0, 0, 0, 10, 5, 10), VornVector(0, 1, 0));
  two.add(box(100, 0, 50, 110, 5, 60), VornVector(0, 1, 0));
  // One rectangle round both; edges count.
  EXPECT_TRUE(two.touches(110, 60, 200, 200) && two.touches(-5, 20, 0, 30) && !two.touches(111, 0, 200, 200) &&
              !two.touches(0, 61, 200, 200) && !ShadowFootprint().touches(-1e9f, -1e9f, 1e9f, 1e9f));
}

// The mesh of a box on rough ground: it covers exactly the part of the quad
// over the grid, every piece lies in one terrain triangle (so it follows the
// ground), faces up and carries the quad's texture coordinates.
TEST(ProjectionShadowMesh, CoversTheQuadOnTheGround) {
  const HeightGrid rough = grid(12, 10, 7u);
  VornMatrix turned;  // about y, so the quad's sides cross cells at odd angles
  turned.translate(300, 140, 250);
  turned.rotate(33.0f, 0, 1, 0);
  // overTheEdge: only the part over the grid (x from 0 to 40) is meshed.
  const struct { std::array<VornVector, 8> corners; VornVector light; bool overTheEdge; } cases[] = {
      {box(130, 100, 140, 260, 150, 190), VornVector(0, 1, 0), false},
      {box(130, 100, 140, 260, 150, 190), unit(0, 1, -1), false},
      {box(205, 80, 215, 232, 160, 226), unit(0.4f, 1, 0.7f), false},
      {boxCorners(VornVector(-40, 0, -10), VornVector(40, 30, 10), turned), unit(0.2f, 1, -0.6f), false},
      {box(-60, 130, 100, 40, 140, 160), VornVector(0, 1, 0), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    std::string log;
    const VornShadowMesh mesh = makeProjectionShadow(c.corners, c.light, rough, kS, kS, log);
    ASSERT_TRUE(!mesh.empty() && mesh.vertexCount() % 3 == 0);
    EXPECT_EQ(std::string::npos, log.find("something wrong")) << log;
    // The quad as logged, and its area.
    float qx[4], qz[4], qy = 0.0f;
    ASSERT_EQ(12, std::sscanf(log.c_str(), "edges[0]: %f, %f, %f edges[1]: %f, %f, %f edges[2]: %f, %f, %f "
                              "edges[3]: %f, %f, %f", &qx[0], &qy, &qz[0], &qx[1], &qy, &qz[1], &qx[2], &qy, &qz[2],
                              &qx[3], &qy, &qz[3])) << log;
    double quadArea = 0.0, meshArea = 0.0;
    for (int i = 0; i < 4; ++i) quadArea += 0.5 * (qz[(i + 1) % 4] - qz[i]) * (qx[(i + 1) % 4] + qx[i]);
    quadArea = c.overTheEdge ? 40.0 * 60.0 : std::fabs(quadArea);
    for (const Triangle& t : triangles(mesh)) meshArea += 0.5 * upArea2(t);
    EXPECT_NEAR(quadArea, meshArea, quadArea * 1e-4);

    const float u = 1.0f / kS;
    for (const Triangle& t : triangles(mesh)) {
      EXPECT_GT(upArea2(t), 0.0f) << "faces up";
      float cx = 0, cz = 0;
      for (const auto& p : t) {
        EXPECT_NEAR(groundHeightAt(rough, kS, kS, p[0], p[2]) + kShadowMeshLift, p[1], 1e-3f);
        EXPECT_TRUE(p[3] > -1e-4f && p[3] < 1.0001f && p[4] > -1e-4f && p[4] < 1.0001f) << p[3] << "," << p[4];
        cx += p[0] / 3, cz += p[2] / 3;
      }
      // No terrain border runs through the piece (so, its corners on the
      // ground, all of it is): its corners lie in the cell and on the side of
      // the cell's diagonal of its middle.
      const float cellX = std::floor(cx * u), cellZ = std::floor(cz * u);
      const bool nearHalf = cx * u - cellX + cz * u - cellZ < 1.0f;
      for (const auto& p : t) {
        const float fx = p[0] * u - cellX, fz = p[2] * u - cellZ;
        EXPECT_TRUE(fx > -1e-4f && fx < 1.0001f && fz > -1e-4f && fz < 1.0001f) << fx << "," << fz;
        EXPECT_TRUE(nearHalf ? fx + fz < 1.0001f : fx + fz > 0.9999f) << fx << "," << fz;
      }
    }
  }
}

// A light at the horizon or from below, no grid, or a box without width: no
// mesh, and the diagnostics end on the note.
TEST(ProjectionShadowMesh, NothingForAnUnusableLightGridOrBox) {
  const HeightGrid flat = grid(6, 6, 0u);
  const std::array<VornVector, 8> pole = box(60, 0, 60, 140, 50, 90);
  const struct { std::array<VornVector, 8> corners; VornVector light; HeightGrid grid; } failures[] = {
      {pole, VornVector(1, 0, 0), flat}, {pole, VornVector(0, -1, 0), flat}, {pole, VornVector(0, 1, 0), HeightGrid{}},
      {box(60, 0, 60, 60, 50, 90), VornVector(0, 1, 0), flat}};
  for (const auto& f : failures) {
    std::string note;
    EXPECT_TRUE(makeProjectionShadow(f.corners, f.light, f.grid, kS, kS, note).empty());
    EXPECT_EQ(note.substr(note.size() < 21 ? 0 : note.size() - 21), "something wrong here\n") << note;
  }
}

}  // namespace
}  // namespace vorn
