// Projected shadows without a device: the baked texture's tile layout, the
// flattening matrix, and the shadow meshes on flat and rough ground with
// their diagnostic lines.
#include "world/object_shadows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <regex>
#include <sstream>

namespace vorn {
namespace {

constexpr float kS = 50.0f;  // grid spacing of the course

HeightGrid flatGrid(int width, int height, float level) {
  HeightGrid g;
  g.width = width;
  g.height = height;
  g.heights.assign(static_cast<size_t>(width) * height, level);
  return g;
}

HeightGrid roughGrid(int width, int height, unsigned seed) {
  HeightGrid g = flatGrid(width, height, 0.0f);
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> heights(0.0f, 120.0f);
  for (float& h : g.heights) h = heights(random);
  return g;
}

std::array<VornVector, 8> box(float x0, float y0, float z0, float x1, float y1, float z1) {
  return boxCorners(VornVector(x0, y0, z0), VornVector(x1, y1, z1), VornMatrix());
}

VornVector unit(float x, float y, float z) {
  VornVector v(x, y, z);
  v.normalize();
  return v;
}

struct Triangle {
  float p[3][kShadowVertexFloats];
};

std::vector<Triangle> triangles(const VornShadowMesh& mesh) {
  std::vector<Triangle> out(static_cast<size_t>(mesh.vertexCount() / 3));
  for (size_t i = 0; i < mesh.vertices.size(); ++i) {
    out[i / (3 * kShadowVertexFloats)].p[(i / kShadowVertexFloats) % 3][i % kShadowVertexFloats] = mesh.vertices[i];
  }
  return out;
}

// Twice the signed area seen from above, positive when the normal points up.
float upArea2(const Triangle& t) {
  return (t.p[1][2] - t.p[0][2]) * (t.p[2][0] - t.p[0][0]) - (t.p[1][0] - t.p[0][0]) * (t.p[2][2] - t.p[0][2]);
}

double meshArea(const VornShadowMesh& mesh) {
  double area = 0.0;
  for (const Triangle& t : triangles(mesh)) area += 0.5 * upArea2(t);
  return area;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(ShadowLayout, TilesCoverTheGridAndFitTheTexture) {
  struct Case {
    int w, h, maxTexture, tile;
    int nx, nz;
  } cases[] = {
      {72, 80, 16384, 512, 4, 4},   // the shipped course
      {40, 200, 16384, 512, 2, 8},  // long and narrow: z needs more tiles than x
      {72, 80, 1024, 512, 2, 2},    // halved until the width fits
      {40, 200, 2048, 512, 1, 4},   // halved because of the height alone
      {2, 2, 16384, 512, 2, 2},     // never fewer than two to begin with
      {1024, 64, 65536, 512, 32, 2},  // halved to at most 64 tiles
      {72, 80, 16384, 256, 4, 4},   // a window too small for 512-texel tiles
      {72, 80, 256, 512, 1, 1},     // nothing fits: one tile, never zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " max " << c.maxTexture << " tile " << c.tile);
    const ShadowTextureLayout l = shadowTextureLayout(c.w, c.h, kS, kS, c.maxTexture, c.tile);
    EXPECT_EQ(c.nx, l.nx);
    EXPECT_EQ(c.nz, l.nz);
    EXPECT_EQ(c.tile, l.tileTexels);
    EXPECT_EQ(l.nx * c.tile, l.textureWidth());
    EXPECT_EQ(l.nz * c.tile, l.textureHeight());
    // The tiles end exactly where the terrain's shadow coordinates (c / W,
    // r / H) reach 1, so texel and ground agree on every course shape.
    EXPECT_FLOAT_EQ(c.w * kS, l.nx * l.tileWidth);
    EXPECT_FLOAT_EQ(c.h * kS, l.nz * l.tileDepth);
  }
}

TEST(ShadowProjection, MovesEveryPointAlongTheLightOntoHeightZero) {
  for (const VornVector& light : {unit(0, 1, -1), unit(0.3f, 1, 0.5f), unit(0, 1, 0), unit(-2, 1, 0.2f)}) {
    SCOPED_TRACE(testing::Message() << light.x << "," << light.y << "," << light.z);
    const VornMatrix m = shadowProjectionMatrix(light);
    for (const VornVector& p : {VornVector(10, 0, 20), VornVector(-40, 35, 7), VornVector(300, 120, -80)}) {
      VornVector image = p;
      m.transformPoint(image);
      // The ray from p away from the light meets y = 0 at p - (p.y / L.y) L;
      // x stays x and z becomes the picture's vertical axis.
      EXPECT_NEAR(p.x - p.y * light.x / light.y, image.x, 1e-3f);
      EXPECT_NEAR(p.z - p.y * light.z / light.y, image.y, 1e-3f);
      EXPECT_FLOAT_EQ(kShadowDepth, image.z);
      // Every point of that ray lands on the same texel.
      VornVector further = p + light * 17.0f;
      m.transformPoint(further);
      EXPECT_NEAR(image.x, further.x, 1e-3f);
      EXPECT_NEAR(image.y, further.y, 1e-3f);
    }
  }
  EXPECT_FALSE(shadowLightUsable(VornVector(1, 0, 0)));
  EXPECT_FALSE(shadowLightUsable(VornVector(0, -1, 0)));
}

TEST(ShadowQuadTest, VerticalLightFallsStraightUnderAndSlantedLightAwayFromIt) {
  const std::array<VornVector, 8> pole = box(495, 10, 495, 505, 40, 505);
  // Straight down: the footprint.
  const ShadowQuad under = shadowQuad(pole, VornVector(0, 1, 0), 10.0f);
  for (const VornVector& c : under.corners) {
    EXPECT_TRUE(std::fabs(c.x - 495) < 1e-3f || std::fabs(c.x - 505) < 1e-3f) << c.x;
    EXPECT_TRUE(std::fabs(c.z - 495) < 1e-3f || std::fabs(c.z - 505) < 1e-3f) << c.z;
    EXPECT_FLOAT_EQ(10.0f, c.y);
  }
  // The game's light (0, 1, -1): a 30 high pole throws 30 towards +z, its
  // top's shadow at t = 1, its foot at t = 0.
  const ShadowQuad slanted = shadowQuad(pole, unit(0, 1, -1), 10.0f);
  float zMin = 1e9f, zMax = -1e9f;
  for (const VornVector& c : slanted.corners) {
    zMin = std::min(zMin, c.z);
    zMax = std::max(zMax, c.z);
  }
  EXPECT_NEAR(495.0f, zMin, 1e-3f);
  EXPECT_NEAR(535.0f, zMax, 1e-3f);
  EXPECT_NEAR(0.0f, slanted.texCoord(500, 495)[1], 1e-4f);
  EXPECT_NEAR(1.0f, slanted.texCoord(500, 535)[1], 1e-4f);
  // Sideways light from +x: the shadow goes to -x.
  const ShadowQuad side = shadowQuad(pole, unit(1, 1, 0), 10.0f);
  for (const VornVector& c : side.corners) EXPECT_LE(c.x, 505.001f);
  EXPECT_NEAR(465.0f, std::min({side.corners[0].x, side.corners[1].x, side.corners[2].x, side.corners[3].x}), 1e-3f);
}

// The mesh of a box on rough ground: it covers exactly the part of the quad
// over the grid, every piece lies in one terrain triangle (so it follows the
// ground), faces up and carries the quad's texture coordinates.
TEST(ProjectionShadowMesh, CoversTheQuadOnTheGround) {
  const HeightGrid grid = roughGrid(12, 10, 7u);
  struct Case {
    std::array<VornVector, 8> corners;
    VornVector light;
  } cases[] = {
      {box(130, 100, 140, 260, 150, 190), VornVector(0, 1, 0)},
      {box(130, 100, 140, 260, 150, 190), unit(0, 1, -1)},
      {box(205, 80, 215, 232, 160, 226), unit(0.4f, 1, 0.7f)},
      // Rotated about y, so the quad's sides cross cells at odd angles.
      {boxCorners(VornVector(-40, 0, -10), VornVector(40, 30, 10), [] {
         VornMatrix m;
         m.translate(300, 140, 250);
         m.rotate(33.0f, 0, 1, 0);
         return m;
       }()), unit(0.2f, 1, -0.6f)},
      // Hanging over the grid's edge: only the part over the grid is meshed.
      {box(-60, 130, 100, 40, 140, 160), VornVector(0, 1, 0)},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(k);
    const Case& c = cases[k];
    std::string log;
    const VornShadowMesh mesh = makeProjectionShadow(c.corners, c.light, grid, kS, kS, log);
    ASSERT_FALSE(mesh.empty());
    ASSERT_EQ(0, mesh.vertexCount() % 3);
    EXPECT_EQ(std::string::npos, log.find("something wrong")) << log;

    // The quad as logged.
    const std::vector<std::string> text = lines(log);
    float qx[4], qz[4], qy = 0.0f;
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(3, std::sscanf(text[i].c_str(), ("edges[" + std::to_string(i) + "]: %f, %f, %f").c_str(), &qx[i],
                               &qy, &qz[i]))
          << text[i];
    }
    // Area of the quad clipped to the grid rectangle (an axis-aligned quad
    // for the edge case, the full quad otherwise).
    double quadArea = 0.0;
    for (int i = 0; i < 4; ++i) quadArea += 0.5 * (qz[(i + 1) % 4] - qz[i]) * (qx[(i + 1) % 4] + qx[i]);
    quadArea = std::fabs(quadArea);
    if (k == 4) quadArea = (40.0 - 0.0) * (160.0 - 100.0);
    EXPECT_NEAR(quadArea, meshArea(mesh), quadArea * 1e-4);

    const float u = 1.0f / kS;
    for (const Triangle& t : triangles(mesh)) {
      EXPECT_GT(upArea2(t), 0.0f) << "faces up";
      float cx = 0, cy = 0, cz = 0;
      for (const auto& p : t.p) {
        EXPECT_NEAR(groundHeightAt(grid, kS, kS, p[0], p[2]) + kShadowMeshLift, p[1], 1e-3f);
        EXPECT_GE(p[3], -1e-4f);
        EXPECT_LE(p[3], 1.0001f);
        EXPECT_GE(p[4], -1e-4f);
        EXPECT_LE(p[4], 1.0001f);
        cx += p[0] / 3;
        cy += p[1] / 3;
        cz += p[2] / 3;
      }
      // Flat pieces of one terrain triangle: the middle is on the ground too.
      EXPECT_NEAR(groundHeightAt(grid, kS, kS, cx, cz) + kShadowMeshLift, cy, 1e-3f);
      // No terrain border runs through the piece: all its corners lie in
      // the cell and on the side of the cell's diagonal of its middle.
      const float cellX = std::floor(cx * u), cellZ = std::floor(cz * u);
      const bool nearHalf = cx * u - cellX + cz * u - cellZ < 1.0f;
      for (const auto& p : t.p) {
        const float fx = p[0] * u - cellX, fz = p[2] * u - cellZ;
        EXPECT_TRUE(fx > -1e-4f && fx < 1.0001f && fz > -1e-4f && fz < 1.0001f) << fx << "," << fz;
        EXPECT_TRUE(nearHalf ? fx + fz < 1.0001f : fx + fz > 0.9999f) << fx << "," << fz;
      }
    }
  }
}

TEST(ProjectionShadowMesh, DiagnosticLinesComeInOrder) {
  // Vertical light over flat ground: the quad is the footprint (60..140,
  // 60..90); the grid column x = 100 crosses two sides, no grid row lies
  // between, and the diagonals x/50 + z/50 = 3 and 4 cross one side each.
  const HeightGrid grid = flatGrid(6, 6, 20.0f);
  std::string log;
  const VornShadowMesh mesh =
      makeProjectionShadow(box(60, 20, 60, 140, 70, 90), VornVector(0, 1, 0), grid, kS, kS, log);
  const std::vector<std::string> text = lines(log);
  const std::string f = "-?[0-9]+\\.[0-9]{6}";
  struct Kind {
    const char* name;
    std::regex form;
  } kinds[] = {
      {"edges", std::regex("edges\\[[0-3]\\]: " + f + ", " + f + ", " + f)},
      {"A", std::regex("A: " + f + ", B: " + f + ", C: " + f)},
      {"border", std::regex("border_line\\[[0-3]\\]\\[[0-9]+\\]: " + f + ", " + f + ", " + f)},
      {"border_tex", std::regex("border_texture\\[[0-3]\\]\\[[0-9]+\\]: " + f + ", " + f)},
      {"-border", std::regex("-border_line\\[[0-3]\\]\\[[0-9]+\\]: " + f + ", " + f + ", " + f)},
      {"-border_tex", std::regex("-border_texture\\[[0-3]\\]\\[[0-9]+\\]: " + f + ", " + f)},
      {"#border", std::regex("#border_line\\[[0-3]\\]\\[[0-9]+\\]: " + f + ", " + f + ", " + f)},
      {"#border_tex", std::regex("#border_texture\\[[0-3]\\]\\[[0-9]+\\]: " + f + ", " + f)},
      {"sort", std::regex("sort_border_line\\[[0-3]\\]\\[[0-9]+\\]: " + f + ", " + f + ", " + f)},
      {"sort_tex", std::regex("sort_border_texture\\[[0-3]\\]\\[[0-9]+\\]: " + f + ", " + f)},
      {"inside", std::regex("inside\\[[0-9]+\\]: " + f + ", " + f + ", " + f)},
      {"outline", std::regex("inside_border\\[[0-6]\\]: " + f + ", " + f + ", " + f)},
      {"outline_tex", std::regex("inside_border_tex\\[[0-6]\\]: " + f + ", " + f)},
      {"count", std::regex("inside_border_count: [3-7]")},
  };
  std::vector<std::string> sequence;
  for (const std::string& line : text) {
    std::string kind;
    for (const Kind& k : kinds) {
      if (std::regex_match(line, k.form)) kind = k.name;
    }
    ASSERT_FALSE(kind.empty()) << "unknown line: " << line;
    if (sequence.empty() || sequence.back() != kind) sequence.push_back(kind);
  }
  // Crossing lines alternate with their texture lines; the cell outlines
  // (points with their texture, then the count) repeat once a piece.
  const std::vector<std::string> expected = {
      "edges", "A", "border", "border_tex", "border", "border_tex", "#border", "#border_tex", "#border",
      "#border_tex", "sort", "sort_tex", "sort", "sort_tex", "sort", "sort_tex", "sort", "sort_tex"};
  ASSERT_GE(sequence.size(), expected.size());
  EXPECT_EQ(expected, std::vector<std::string>(sequence.begin(), sequence.begin() + expected.size()));
  int pieces = 0, pieceTriangles = 0;
  for (size_t i = expected.size(); i < sequence.size(); ++i) {
    const std::string& k = sequence[i];
    EXPECT_TRUE(k == "outline" || k == "outline_tex" || k == "count") << k;
  }
  for (const std::string& line : text) {
    int n = 0;
    if (std::sscanf(line.c_str(), "inside_border_count: %d", &n) == 1) {
      ++pieces;
      pieceTriangles += n - 2;
    }
  }
  EXPECT_EQ(4, pieces) << "two cells, each cut by its diagonal";
  EXPECT_EQ(3 * pieceTriangles, mesh.vertexCount());
  EXPECT_EQ(0u, log.find("edges[0]: 60.000000, 20.000000, 60.000000\n")) << log;
  EXPECT_NE(std::string::npos, log.find("border_line[1][0]: 100.000000, 20.500000, 90.000000\n")) << log;

  // Grid points inside are listed before the outlines.
  std::string inner;
  makeProjectionShadow(box(40, 20, 40, 110, 50, 60), VornVector(0, 1, 0), grid, kS, kS, inner);
  const size_t inside = inner.find("inside[0]: 50.000000, 20.500000, 50.000000\n");
  EXPECT_NE(std::string::npos, inside) << inner;
  EXPECT_NE(std::string::npos, inner.find("inside[1]: 100.000000, 20.500000, 50.000000\n")) << inner;
  EXPECT_LT(inside, inner.find("inside_border[0]"));
}

TEST(ProjectionShadowMesh, UnusableLightOrFlatBoxGivesNoMesh) {
  const HeightGrid grid = flatGrid(6, 6, 0.0f);
  struct Case {
    std::array<VornVector, 8> corners;
    VornVector light;
    const char* log;
  } cases[] = {
      {box(60, 0, 60, 140, 50, 90), VornVector(1, 0, 0), "something wrong here\n"},
      {box(60, 0, 60, 140, 50, 90), VornVector(0, -1, 0), "something wrong here\n"},
  };
  for (const Case& c : cases) {
    std::string log;
    EXPECT_TRUE(makeProjectionShadow(c.corners, c.light, grid, kS, kS, log).empty());
    EXPECT_EQ(c.log, log);
  }
  // A box without width under a vertical light: the corners, then the note.
  std::string log;
  EXPECT_TRUE(makeProjectionShadow(box(60, 0, 60, 60, 50, 90), VornVector(0, 1, 0), grid, kS, kS, log).empty());
  ASSERT_EQ(5u, lines(log).size()) << log;
  EXPECT_EQ(0u, log.find("edges[0]: "));
  EXPECT_EQ("something wrong here", lines(log).back());
  std::string none;
  EXPECT_TRUE(makeProjectionShadow(box(60, 0, 60, 140, 50, 90), VornVector(0, 1, 0), HeightGrid{}, kS, kS, none)
                  .empty());
  EXPECT_EQ("something wrong here\n", none);
}

}  // namespace
}  // namespace vorn
