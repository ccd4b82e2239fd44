// VornTerrain as the player and camera see it: the queries on the mesh surface,
// the ODE probe against ground and walls, loading reports and the safe state.
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "base/error_log.h"
#include "world_test_util.h"

namespace vorn {
namespace {

using test::BmpPixel;

constexpr int kW = 44;  // wide enough to hold the start at x = 2000
constexpr int kH = 12;

// Bumpy ground, or a plain slope falling by 10 a row.
std::vector<std::vector<uint8_t>> rows(bool bumpy) {
  std::vector<std::vector<uint8_t>> rows(kH, std::vector<uint8_t>(kW));
  for (int r = 0; r < kH; ++r)
    for (int c = 0; c < kW; ++c) {
      const double h = 200.0 - 8.0 * r + 20.0 * std::sin(c * 0.7) * std::cos(r * 1.3) + (c % 3) * 4;
      rows[r][c] = static_cast<uint8_t>(bumpy ? std::lround(h) : 200 - 10 * r);
    }
  return rows;
}

std::vector<uint8_t> materials(int width = kW) {
  std::vector<BmpPixel> pixels;
  for (int r = 0; r < kH; ++r)
    for (int c = 0; c < width; ++c)
      pixels.push_back({static_cast<uint8_t>((c * 37) % 256), static_cast<uint8_t>((r * 53 + c * 11) % 256),
                        static_cast<uint8_t>((c * r * 7) % 256)});
  return test::materialBmp(width, kH, pixels);
}

class TerrainTest : public ::testing::Test {
 protected:
  void load(bool bumpy) {
    const auto bytes = test::sgiVerbatim(rows(bumpy)), mat = materials();
    ASSERT_EQ(0, terrain.loadRGBFromBytes(bytes.data(), bytes.size(), "test.rgb"));
    ASSERT_EQ(0, terrain.loadMatMapFromBytes(mat.data(), mat.size(), "test_conv.bmp"));
  }

  // The mesh's height and material weights under (x, z), from the barycentric
  // weights of the mesh's own triangle there, in double precision.
  std::array<double, 4> meshSurface(double x, double z) const {
    const TerrainMesh& m = terrain.mesh();
    for (size_t t = 0; t + kBarrierIndexCount < m.indices.size(); t += 3) {
      const float* v[3];
      for (int k = 0; k < 3; ++k) v[k] = &m.vertices[m.indices[t + k] * 3u];
      const double det = (v[1][2] - v[2][2]) * (v[0][0] - v[2][0]) + (v[2][0] - v[1][0]) * (v[0][2] - v[2][2]);
      const double l0 = ((v[1][2] - v[2][2]) * (x - v[2][0]) + (v[2][0] - v[1][0]) * (z - v[2][2])) / det;
      const double l1 = ((v[2][2] - v[0][2]) * (x - v[2][0]) + (v[0][0] - v[2][0]) * (z - v[2][2])) / det;
      const double weights[3] = {l0, l1, 1.0 - l0 - l1};
      if (weights[0] < -1e-9 || weights[1] < -1e-9 || weights[2] < -1e-9) continue;
      std::array<double, 4> surface{};
      for (int k = 0; k < 3; ++k) {
        const int p = m.indices[t + k];
        const int gridPoint = (p / 2 / kW + p % 2) * kW + p / 2 % kW;
        surface[0] += weights[k] * v[k][1];
        for (int ch = 0; ch < 3; ++ch) surface[1 + ch] += weights[k] * terrain.materials().weights[gridPoint * 3 + ch];
      }
      return surface;
    }
    ADD_FAILURE() << "no mesh triangle under " << x << "," << z;
    return {};
  }
  int probe(const VornVector& position, const VornVector& direction, float& step) {
    bool end = false;
    return terrain.collidePlayer(position, direction, newDirection, step, normal, depth, end);
  }

  VornTerrain terrain;
  VornVector newDirection, normal;
  float depth = 0.0f;
};

TEST_F(TerrainTest, HeightMaterialsAndCameraClearanceFollowTheMeshSurfaceEverywhere) {
  load(true);
  for (int c = 3; c < 40; c += 7)
    for (int r = 1; r < 10; r += 3)
      // A grid point, along a row edge and a column edge, on the diagonal, in each triangle.
      for (const auto& [dx, dz] : {std::pair{0.0f, 0.0f}, {20.0f, 0.0f}, {0.0f, 35.0f}, {25.0f, 25.0f},
                                   {10.0f, 15.0f}, {40.0f, 30.0f}}) {
        const float x = c * 50.0f + dx, z = r * 50.0f + dz;
        const std::array<double, 4> surface = meshSurface(x, z);
        EXPECT_NEAR(surface[0], terrain.getHeight(x, z), 1e-3) << x << "," << z;
        for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(surface[1 + ch], terrain.getMaterial(x, z, ch), 1e-5) << ch;
        // The camera's clearance ray meets the collision mesh there too (off
        // its edges, where a ray may slip between two triangles).
        for (const float above : {-40.0f, 4.0f}) {
          VornVector eye(x, terrain.getHeight(x, z) + above, z);
          if (dx == 0.0f || dz == 0.0f || dx == dz) continue;
          EXPECT_TRUE(terrain.keepAboveGround(eye) == 1 &&
                      std::fabs(terrain.getHeight(x, z) + kGroundClearance - eye.y) < 1e-2f) << x << "," << z;
        }
        float grass = -1.0f, ice = -1.0f;
        terrain.getGrassAndIce(VornVector(x, 999.0f, z), grass, ice);
        EXPECT_TRUE(grass == terrain.getMaterial(x, z, kMaterialGrass) &&
                    ice == terrain.getMaterial(x, z, kMaterialIce));
      }
  const VornVector& start = terrain.startPosition();
  EXPECT_TRUE(start.x == 2000.0f && start.z == 90.0f && start.y == terrain.getHeight(2000.0f, 90.0f) + 1.0f);
  // Outside the grid the queries clamp onto its border and stay finite.
  EXPECT_EQ(static_cast<float>(rows(true)[0][0]), terrain.getHeight(-500.0f, -500.0f));
  EXPECT_EQ(static_cast<float>(rows(true)[kH - 1][kW - 1]), terrain.getHeight(1e9f, 1e9f));
  EXPECT_NEAR(meshSurface(300.0f, 0.0f)[0], terrain.getHeight(300.0f, -80.0f), 1e-3);
  for (float v : {-1e30f, 1e30f, NAN, INFINITY})
    EXPECT_TRUE(std::isfinite(terrain.getHeight(v, 100.0f)) && std::isfinite(terrain.getHeight(100.0f, v)) &&
                std::isfinite(terrain.getMaterial(v, v, 1))) << v;
  VornVector high(777.0f, 400.0f, 333.0f);
  EXPECT_TRUE(terrain.getMaterial(100.0f, 100.0f, 3) == 0.0f && terrain.getMaterial(100.0f, 100.0f, -1) == 0.0f);
  EXPECT_TRUE(terrain.keepAboveGround(high) == 0 && high.y == 400.0f) << "high enough already";
}

TEST_F(TerrainTest, SphereSunkIntoASlopeGetsNormalDepthProjectionAndShorterStep) {
  load(false);
  const VornVector n = VornVector(0.0f, 1.0f, 0.2f).normalized();  // of the surface y = 200 - z / 5
  const float x = 1010.0f, z = 310.0f;
  const VornVector onGround(x, terrain.getHeight(x, z), z);
  // Clear of the ground: no contact.
  newDirection = normal = VornVector(9, 9, 9);
  depth = 7.0f;
  float step = 0.5f;
  EXPECT_EQ(1, probe(onGround + VornVector(0.0f, 8.0f, 0.0f), VornVector(0.0f, 0.0f, 1.0f), step));
  EXPECT_TRUE(depth == 0.0f && step == 0.5f && newDirection.x == 9.0f) << "only the depth is touched";
  // Diving into the slope from a probe centre 3 above it along its normal: 2 deep.
  const VornVector dive = VornVector(0.0f, -1.0f, 1.0f).normalized();
  ASSERT_EQ(0, probe(onGround + n * 3.0f - dive * 0.5f, dive, step));
  EXPECT_TRUE((normal - n).length() < 1e-4f && std::fabs(depth - 2.0f) < 1e-3f) << depth;
  EXPECT_NEAR(0.5f + n.dot(dive) * depth, step, 1e-4) << "the step falls by |k| * depth";
  EXPECT_TRUE(std::fabs(newDirection.length() - 1.0f) < 1e-5f && std::fabs(newDirection.dot(normal)) < 1e-5f &&
              newDirection.z > 0.0f) << "direction projected onto the contact plane";
  // Moving away from the slope (k > 0) also shortens the step.
  const VornVector up = VornVector(0.0f, 0.3f, 1.0f).normalized();
  step = 0.5f;
  ASSERT_EQ(0, probe(onGround + n * 3.0f - up * 0.5f, up, step));
  EXPECT_NEAR(0.5f - n.dot(up) * depth, step, 1e-4);
}

// Heading into each side wall and the start wall, clear of the ground: the
// sphere slides along the wall, held inside the course.
TEST_F(TerrainTest, BarrierWallsHoldASphereInsideTheCourse) {
  load(false);
  const float x1 = 100.0f, x2 = (kW - 3) * 50.0f, z1 = 50.0f;
  for (const auto& [start, heading] : {std::pair{VornVector(x1 + 30.0f, 0, 250), VornVector(-1.0f, 0, 0.3f)},
                                       {VornVector(x2 - 30.0f, 0, 250), VornVector(1.0f, 0, -0.3f)},
                                       {VornVector(1000, 0, z1 + 30.0f), VornVector(0.3f, 0, -1.0f)}}) {
    VornVector pos(start.x, terrain.getHeight(start.x, start.z) + 100.0f, start.z);
    VornVector dir = heading.normalized();
    int contacts = 0;
    for (int i = 0; i < 400; ++i) {
      float step = 0.5f;
      const bool contact = probe(pos, dir, step) == 0;
      pos += dir * step;
      if (!contact) continue;
      ++contacts;
      EXPECT_NEAR(0.0f, normal.y, 1e-3) << "a wall, not the ground";
      pos += normal * depth;
      dir = newDirection;
    }
    EXPECT_TRUE(contacts > 0 && pos.x >= x1 + 4.4f && pos.x <= x2 - 4.4f && pos.z >= z1 + 4.4f) << pos.x;
  }
}

// Each problem has its err.txt lines; a missing or damaged height map leaves
// no mesh, a missing, damaged or too small material map no materials; either
// way the terrain is unusable and its queries are safe.
TEST_F(TerrainTest, ProblemsAreReportedAndLeaveAnUnusableButSafeTerrain) {
  const std::string log = "terrain_loading.err.txt";
  std::remove(log.c_str());
  setErrorLogPath(log);
  for (const char* map : {"", "data/maps/TWIN.RGB", "data/maps/missing.sgi"}) EXPECT_EQ(1, terrain.loadHeightMap(map));
  auto bytes = test::sgiVerbatim(rows(true));
  bytes.resize(bytes.size() - 10);
  const auto good = materials();
  EXPECT_EQ(1, terrain.loadRGBFromBytes(bytes.data(), bytes.size(), "cut.rgb"));
  EXPECT_EQ(1, terrain.loadMatMapFromBytes(good.data(), good.size(), "m.bmp"));
  EXPECT_TRUE(terrain.getHeight(100.0f, 100.0f) == 0.0f && terrain.getMaterial(100.0f, 100.0f, 0) == 0.0f);
  VornVector p(2000.0f, 10.0f, 90.0f);
  float step = 0.5f;
  depth = 3.0f;
  EXPECT_EQ(1, probe(p, VornVector(0, 0, 1), step));
  EXPECT_TRUE(depth == 0.0f && terrain.keepAboveGround(p) == 0 && !terrain.hasMesh() && !terrain.usable());
  bytes = test::sgiVerbatim(rows(true));
  EXPECT_EQ(0, terrain.loadRGBFromBytes(bytes.data(), bytes.size(), "t.rgb"));
  EXPECT_FALSE(terrain.usable()) << "no material map yet";
  EXPECT_EQ(1, terrain.loadMatMap("no_such_conv.bmp"));
  const auto narrow = materials(kW - 1);
  EXPECT_EQ(1, terrain.loadMatMapFromBytes(narrow.data(), narrow.size(), "small.bmp"));
  EXPECT_TRUE(terrain.hasMesh() && !terrain.usable() && terrain.getMaterial(500.0f, 200.0f, 0) == 0.0f);
  EXPECT_EQ(
      "Error VornWorld::loadHeightMap \n\tno filename\n"
      "Error VornWorld::loadHeightMap data/maps/TWIN.RGB\n\tunknown file format: RGB\n"
      "Error VornWorld::loadRGB \n\tfile not found: data/maps/missing.sgi\n"
      "Error VornWorld::loadRGB \n\tfile truncated: cut.rgb\n"
      "Error VornWorld::loadMatMap \n\tno height map loaded for m.bmp\n"
      "Error loadMatMap \n\tfile not found: no_such_conv.bmp\n"
      "Error VornWorld::loadMatMap \n\tmaterial map 43 x 12 does not cover the 44 x 12 grid: small.bmp\n",
      test::readText(log));
  EXPECT_TRUE(terrain.loadMatMapFromBytes(good.data(), good.size(), "good.bmp") == 0 && terrain.usable());
  std::remove(log.c_str());
}

// Each strip row's box holds its two rows of grid points and nothing more.
TEST(StripBoxesTest, EachRowHoldsItsTwoRowsOfPoints) {
  const HeightGrid grid{3, 3, {0, 1, 2, 3, 4, 5, 6, 7, 90}};
  const std::vector<StripBox> boxes = stripBoxes(buildTerrainMesh(grid, 10.0f, 20.0f));
  ASSERT_EQ(2u, boxes.size());
  for (const StripBox& b : boxes) EXPECT_TRUE(b.min.x == 0 && b.max.x == 20 && b.max.z - b.min.z == 20) << b.min.z;
  EXPECT_TRUE(boxes[0].max.y < boxes[1].max.y && boxes[0].min.z < boxes[1].min.z);
}

}  // namespace
}  // namespace vorn
