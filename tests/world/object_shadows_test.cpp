// Projected shadows without a device: the baked texture's tile layout, the
// shadow quad, and the shadow meshes on rough ground with their diagnostic
// lines. (The flattening matrix and the bake at work: world_gl_test.cpp.)
#include "world/object_shadows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

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
  for (size_t i = 0; i < mesh.vertices.size(); ++i) {
    out[i / (3 * kShadowVertexFloats)][(i / kShadowVertexFloats) % 3][i % kShadowVertexFloats] = mesh.vertices[i];
  }
  return out;
}

// Twice the signed area seen from above, positive when the normal points up.
float upArea2(const Triangle& t) {
  return (t[1][2] - t[0][2]) * (t[2][0] - t[0][0]) - (t[1][0] - t[0][0]) * (t[2][2] - t[0][2]);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(ShadowLayout, TilesCoverTheGridAndFitTheTexture) {
  struct Case {
    int w, h, maxTexture, tile, nx, nz;
  } const cases[] = {
      {72, 80, 16384, 512, 4, 4},     {40, 200, 16384, 512, 2, 8},  // the shipped course; z needs more tiles
      {72, 80, 1024, 512, 2, 2},      {40, 200, 2048, 512, 1, 4},   // halved for the width, for the height alone
      {2, 2, 16384, 512, 2, 2},       {1024, 64, 65536, 512, 32, 2},  // never fewer than two; at most 64 tiles
      {72, 80, 16384, 256, 4, 4},     {72, 80, 256, 512, 1, 1},     // a small window's tiles; one tile, never zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " max " << c.maxTexture << " tile " << c.tile);
    const ShadowTextureLayout l = shadowTextureLayout(c.w, c.h, kS, kS, c.maxTexture, c.tile);
    EXPECT_TRUE(l.nx == c.nx && l.nz == c.nz && l.tileTexels == c.tile) << l.nx << " x " << l.nz;
    EXPECT_TRUE(l.textureWidth() == l.nx * c.tile && l.textureHeight() == l.nz * c.tile);
    // The tiles end exactly where the terrain's shadow coordinates (c / W,
    // r / H) reach 1, so texel and ground agree on every course shape.
    EXPECT_FLOAT_EQ(c.w * kS, l.nx * l.tileWidth);
    EXPECT_FLOAT_EQ(c.h * kS, l.nz * l.tileDepth);
  }
}

// A 30 high pole on the ground at 10: the footprint under a vertical light;
// the game's light (0, 1, -1) throws it 30 towards +z, its foot at t = 0 and
// its top at t = 1; a light from +x throws it 30 towards -x.
TEST(ShadowQuadTest, FallsStraightUnderAVerticalLightAndAwayFromASlantedOne) {
  const std::array<VornVector, 8> pole = box(495, 10, 495, 505, 40, 505);
  struct Case {
    VornVector light;
    float minX, maxX, minZ, maxZ;
  } const cases[] = {{VornVector(0, 1, 0), 495, 505, 495, 505},
                     {unit(0, 1, -1), 495, 505, 495, 535},
                     {unit(1, 1, 0), 465, 505, 495, 505}};
  for (const Case& c : cases) {
    const ShadowQuad q = shadowQuad(pole, c.light, 10.0f);
    float x[2] = {1e9f, -1e9f}, z[2] = {1e9f, -1e9f};
    for (const VornVector& p : q.corners) {
      x[0] = std::min(x[0], p.x), x[1] = std::max(x[1], p.x), z[0] = std::min(z[0], p.z), z[1] = std::max(z[1], p.z);
      EXPECT_FLOAT_EQ(10.0f, p.y);
    }
    EXPECT_NEAR(x[0], c.minX, 1e-3f);
    EXPECT_NEAR(x[1], c.maxX, 1e-3f);
    EXPECT_NEAR(z[0], c.minZ, 1e-3f);
    EXPECT_NEAR(z[1], c.maxZ, 1e-3f);
  }
  const ShadowQuad slanted = shadowQuad(pole, unit(0, 1, -1), 10.0f);
  EXPECT_NEAR(0.0f, slanted.texCoord(500, 495)[1], 1e-4f);
  EXPECT_NEAR(1.0f, slanted.texCoord(500, 535)[1], 1e-4f);
}

// The mesh of a box on rough ground: it covers exactly the part of the quad
// over the grid, every piece lies in one terrain triangle (so it follows the
// ground), faces up and carries the quad's texture coordinates.
TEST(ProjectionShadowMesh, CoversTheQuadOnTheGround) {
  const HeightGrid rough = grid(12, 10, 7u);
  VornMatrix turned;  // about y, so the quad's sides cross cells at odd angles
  turned.translate(300, 140, 250);
  turned.rotate(33.0f, 0, 1, 0);
  const struct {
    std::array<VornVector, 8> corners;
    VornVector light;
    bool overTheEdge;  // only the part over the grid (x from 0 to 40) is meshed
  } cases[] = {
      {box(130, 100, 140, 260, 150, 190), VornVector(0, 1, 0), false},
      {box(130, 100, 140, 260, 150, 190), unit(0, 1, -1), false},
      {box(205, 80, 215, 232, 160, 226), unit(0.4f, 1, 0.7f), false},
      {boxCorners(VornVector(-40, 0, -10), VornVector(40, 30, 10), turned), unit(0.2f, 1, -0.6f), false},
      {box(-60, 130, 100, 40, 140, 160), VornVector(0, 1, 0), true},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(k);
    const auto& c = cases[k];
    std::string log;
    const VornShadowMesh mesh = makeProjectionShadow(c.corners, c.light, rough, kS, kS, log);
    ASSERT_TRUE(!mesh.empty() && mesh.vertexCount() % 3 == 0);
    EXPECT_EQ(std::string::npos, log.find("something wrong")) << log;
    // The quad as logged, and its area.
    const std::vector<std::string> text = lines(log);
    float qx[4], qz[4], qy = 0.0f;
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(3, std::sscanf(text[i].c_str(), ("edges[" + std::to_string(i) + "]: %f, %f, %f").c_str(), &qx[i],
                               &qy, &qz[i]))
          << text[i];
    }
    double quadArea = 0.0, meshArea = 0.0;
    for (int i = 0; i < 4; ++i) quadArea += 0.5 * (qz[(i + 1) % 4] - qz[i]) * (qx[(i + 1) % 4] + qx[i]);
    quadArea = c.overTheEdge ? 40.0 * 60.0 : std::fabs(quadArea);
    for (const Triangle& t : triangles(mesh)) meshArea += 0.5 * upArea2(t);
    EXPECT_NEAR(quadArea, meshArea, quadArea * 1e-4);

    const float u = 1.0f / kS;
    for (const Triangle& t : triangles(mesh)) {
      EXPECT_GT(upArea2(t), 0.0f) << "faces up";
      float cx = 0, cy = 0, cz = 0;
      for (const auto& p : t) {
        EXPECT_NEAR(groundHeightAt(rough, kS, kS, p[0], p[2]) + kShadowMeshLift, p[1], 1e-3f);
        EXPECT_TRUE(p[3] > -1e-4f && p[3] < 1.0001f && p[4] > -1e-4f && p[4] < 1.0001f) << p[3] << "," << p[4];
        cx += p[0] / 3, cy += p[1] / 3, cz += p[2] / 3;
      }
      // Flat pieces of one terrain triangle: the middle is on the ground too.
      EXPECT_NEAR(groundHeightAt(rough, kS, kS, cx, cz) + kShadowMeshLift, cy, 1e-3f);
      // No terrain border runs through the piece: all its corners lie in
      // the cell and on the side of the cell's diagonal of its middle.
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

// The diagnostic lines in order: the quad's corners (for a vertical light the
// footprint), its sides, the crossings with columns, rows and diagonals, the
// crossings sorted along each side, the grid points inside, then each piece's
// outline. A light at the horizon or from below, or no grid: only the note; a
// box without width: its corners, then the note.
TEST(ProjectionShadowMesh, DiagnosticLinesAndFailures) {
  const HeightGrid flat = grid(6, 6, 0u);
  std::string log;
  makeProjectionShadow(box(40, 20, 40, 110, 50, 60), VornVector(0, 1, 0), flat, kS, kS, log);
  size_t at = 0;
  for (const char* next : {"edges[0]: 40.000000, 20.000000, 40.000000\nedges[1]: ", "\nA: 20.000000, B: 0.000000, ",
                           "\nborder_line[1][0]: 50.000000, 20.500000, 60.000000\nborder_texture[1][0]: 0.142857, ",
                           "\n-border_line[0][0]: 40.000000, 20.500000, 50.000000\n-border_texture[0][0]: ",
                           "\n#border_line[1][0]: 90.000000, 20.500000, 60.000000\n#border_texture[1][0]: ",
                           "\nsort_border_line[0][0]: 40.000000, 20.500000, 50.000000\nsort_border_texture[0][0]: ",
                           "\ninside[0]: 50.000000, 20.500000, 50.000000\ninside[1]: 100.000000, 20.500000, 50.000000",
                           "\ninside_border[0]: ", "\ninside_border_tex[0]: ", "\ninside_border_count: "}) {
    at = log.find(next, at);
    ASSERT_NE(std::string::npos, at) << "no " << next << " in order in\n" << log;
  }
  const std::array<VornVector, 8> pole = box(60, 0, 60, 140, 50, 90);
  const struct {
    std::array<VornVector, 8> corners;
    VornVector light;
    HeightGrid grid;
    size_t lines;
  } failures[] = {{pole, VornVector(1, 0, 0), flat, 1},
                  {pole, VornVector(0, -1, 0), flat, 1},
                  {pole, VornVector(0, 1, 0), HeightGrid{}, 1},
                  {box(60, 0, 60, 60, 50, 90), VornVector(0, 1, 0), flat, 5}};
  for (const auto& f : failures) {
    std::string note;
    EXPECT_TRUE(makeProjectionShadow(f.corners, f.light, f.grid, kS, kS, note).empty());
    EXPECT_TRUE(lines(note).size() == f.lines && lines(note).back() == "something wrong here") << note;
  }
}

}  // namespace
}  // namespace vorn
