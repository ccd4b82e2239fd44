// VornTerrain as the player and camera see it: heights and materials on the
// mesh surface, the clamped queries, the ODE probe against the real mesh
// (ground, finish, walls), camera clearance, loading messages and the
// unusable state after a damaged map.
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "world_test_util.h"

namespace vorn {
namespace {

using test::BmpPixel;

constexpr int kW = 44;  // wide enough to hold the start at x = 2000
constexpr int kH = 12;

std::vector<std::vector<uint8_t>> bumpyRows() {
  std::vector<std::vector<uint8_t>> rows(kH, std::vector<uint8_t>(kW));
  for (int r = 0; r < kH; ++r) {
    for (int c = 0; c < kW; ++c) {
      const double h = 200.0 - 8.0 * r + 20.0 * std::sin(c * 0.7) * std::cos(r * 1.3) + (c % 3) * 4;
      rows[r][c] = static_cast<uint8_t>(std::lround(h));
    }
  }
  return rows;
}

std::vector<std::vector<uint8_t>> slopeRows() {
  std::vector<std::vector<uint8_t>> rows(kH, std::vector<uint8_t>(kW));
  for (int r = 0; r < kH; ++r) {
    for (int c = 0; c < kW; ++c) rows[r][c] = static_cast<uint8_t>(200 - 10 * r);
  }
  return rows;
}

std::vector<BmpPixel> materialPixels() {
  std::vector<BmpPixel> pixels;
  for (int r = 0; r < kH; ++r) {
    for (int c = 0; c < kW; ++c) {
      pixels.push_back({static_cast<uint8_t>((c * 37) % 256), static_cast<uint8_t>((r * 53 + c * 11) % 256),
                        static_cast<uint8_t>((c * r * 7) % 256)});
    }
  }
  return pixels;
}

class TerrainTest : public ::testing::Test {
 protected:
  void load(const std::vector<std::vector<uint8_t>>& rows, bool withMaterials = true) {
    const auto bytes = test::sgiVerbatim(rows);
    ASSERT_EQ(0, terrain.loadRGBFromBytes(bytes.data(), bytes.size(), "test.rgb"));
    if (withMaterials) {
      const auto mat = test::materialBmp(kW, kH, materialPixels());
      ASSERT_EQ(0, terrain.loadMatMapFromBytes(mat.data(), mat.size(), "test_conv.bmp"));
    }
  }

  // The mesh's own triangles: the one under (x, z) and barycentric weights of
  // its three strip points, in double precision.
  struct Hit {
    int points[3];
    double weights[3];
  };
  std::optional<Hit> meshTriangleUnder(double x, double z) const {
    const TerrainMesh& m = terrain.mesh();
    const size_t terrainIndices = m.indices.size() - kBarrierIndexCount;
    for (size_t t = 0; t < terrainIndices; t += 3) {
      const float* a = &m.vertices[m.indices[t] * 3u];
      const float* b = &m.vertices[m.indices[t + 1] * 3u];
      const float* c = &m.vertices[m.indices[t + 2] * 3u];
      const double det = (b[2] - c[2]) * (a[0] - c[0]) + (c[0] - b[0]) * (a[2] - c[2]);
      const double l0 = ((b[2] - c[2]) * (x - c[0]) + (c[0] - b[0]) * (z - c[2])) / det;
      const double l1 = ((c[2] - a[2]) * (x - c[0]) + (a[0] - c[0]) * (z - c[2])) / det;
      const double l2 = 1.0 - l0 - l1;
      if (l0 >= -1e-9 && l1 >= -1e-9 && l2 >= -1e-9) {
        return Hit{{m.indices[t], m.indices[t + 1], m.indices[t + 2]}, {l0, l1, l2}};
      }
    }
    return std::nullopt;
  }
  double meshHeight(double x, double z) const {
    const auto hit = meshTriangleUnder(x, z);
    EXPECT_TRUE(hit.has_value());
    double h = 0.0;
    for (int k = 0; k < 3; ++k) h += hit->weights[k] * terrain.mesh().vertices[hit->points[k] * 3u + 1];
    return h;
  }
  // Grid point of a strip point: (column, row).
  int gridPointOf(int stripPointIndex) const {
    const int entry = stripPointIndex / 2;
    const int column = entry % kW;
    const int row = entry / kW + (stripPointIndex % 2);
    return row * kW + column;
  }

  VornTerrain terrain;
};

TEST_F(TerrainTest, HeightIsTheMeshSurfaceAtPointsEdgesAndInsideBothTriangles) {
  load(bumpyRows());
  std::vector<std::pair<float, float>> probes;
  for (int c = 3; c < 40; c += 7) {
    for (int r = 1; r < 10; r += 3) {
      const float x = c * 50.0f, z = r * 50.0f;
      probes.insert(probes.end(), {{x, z},                  // grid point
                                   {x + 20.0f, z},          // along a row edge
                                   {x, z + 35.0f},          // along a column edge
                                   {x + 25.0f, z + 25.0f},  // on the diagonal
                                   {x + 10.0f, z + 15.0f},  // first triangle
                                   {x + 40.0f, z + 30.0f}}); // second triangle
    }
  }
  for (const auto& [x, z] : probes) EXPECT_NEAR(meshHeight(x, z), terrain.getHeight(x, z), 1e-3) << x << "," << z;
  // Grid points give the stored height exactly.
  EXPECT_EQ(static_cast<float>(bumpyRows()[4][7]), terrain.getHeight(350.0f, 200.0f));
}

TEST_F(TerrainTest, HeightAgreesWithTheCollisionMesh) {
  load(bumpyRows());
  for (float x = 130.0f; x < 2000.0f; x += 173.0f) {
    for (float z = 60.0f; z < 520.0f; z += 61.0f) {
      VornVector p(x, terrain.getHeight(x, z) - 3.0f, z);
      ASSERT_EQ(1, terrain.keepAboveGround(p));
      EXPECT_NEAR(terrain.getHeight(x, z) + kGroundClearance, p.y, 1e-2) << x << "," << z;
    }
  }
}

TEST_F(TerrainTest, MaterialsFollowTheSameTriangles) {
  load(bumpyRows());
  const MaterialMap& m = terrain.materials();
  for (const auto& [x, z] : std::vector<std::pair<float, float>>{
           {160.0f, 70.0f}, {190.0f, 95.0f}, {1234.0f, 321.0f}, {1240.0f, 349.0f}, {500.0f, 300.0f}}) {
    const auto hit = meshTriangleUnder(x, z);
    ASSERT_TRUE(hit.has_value());
    for (int channel = 0; channel < 3; ++channel) {
      double expected = 0.0;
      for (int k = 0; k < 3; ++k) expected += hit->weights[k] * m.weights[gridPointOf(hit->points[k]) * 3 + channel];
      EXPECT_NEAR(expected, terrain.getMaterial(x, z, channel), 1e-5) << x << "," << z << " ch " << channel;
      EXPECT_EQ(terrain.getMaterial(x, z, channel), terrain.getMaterial(VornVector(x, 999.0f, z), channel));
    }
    float grass = -1.0f, ice = -1.0f;
    terrain.getGrassAndIce(VornVector(x, 0.0f, z), grass, ice);
    EXPECT_EQ(terrain.getMaterial(x, z, 1), grass);
    EXPECT_EQ(terrain.getMaterial(x, z, 2), ice);
  }
  EXPECT_EQ(0.0f, terrain.getMaterial(100.0f, 100.0f, 3));
  EXPECT_EQ(0.0f, terrain.getMaterial(100.0f, 100.0f, -1));
}

TEST_F(TerrainTest, QueriesOutsideTheGridStayFiniteOnTheBorder) {
  load(bumpyRows());
  const auto rows = bumpyRows();
  EXPECT_EQ(static_cast<float>(rows[0][0]), terrain.getHeight(-500.0f, -500.0f));
  EXPECT_EQ(static_cast<float>(rows[kH - 1][kW - 1]), terrain.getHeight(1e9f, 1e9f));
  EXPECT_NEAR(meshHeight(300.0f, 0.0f), terrain.getHeight(300.0f, -80.0f), 1e-3);
  for (float v : {-1e30f, 1e30f, NAN, INFINITY}) {
    EXPECT_TRUE(std::isfinite(terrain.getHeight(v, 100.0f)));
    EXPECT_TRUE(std::isfinite(terrain.getHeight(100.0f, v)));
    EXPECT_TRUE(std::isfinite(terrain.getMaterial(v, v, 1)));
  }
}

TEST_F(TerrainTest, StartIsAboveTheGroundAtTheTrackStart) {
  load(bumpyRows());
  EXPECT_EQ(2000.0f, terrain.startPosition().x);
  EXPECT_EQ(90.0f, terrain.startPosition().z);
  EXPECT_FLOAT_EQ(terrain.getHeight(2000.0f, 90.0f) + 1.0f, terrain.startPosition().y);
  VornTransform t;
  terrain.placeAtStart(t);
  EXPECT_EQ(terrain.startPosition().y, t.position().y);
  EXPECT_EQ(2000.0f, t.position().x);
}

TEST_F(TerrainTest, SphereAboveTheGroundTouchesNothing) {
  load(slopeRows());
  const VornVector dir(0.0f, 0.0f, 1.0f);
  const VornVector pos(1000.0f, terrain.getHeight(1000.0f, 300.0f) + 8.0f, 300.0f);
  VornVector newDir(9, 9, 9), normal(9, 9, 9);
  float step = 0.5f, depth = 7.0f;
  bool end = false;
  EXPECT_EQ(1, terrain.collidePlayer(pos, dir, newDir, step, normal, depth, end));
  EXPECT_EQ(0.0f, depth);
  EXPECT_EQ(0.5f, step);
  EXPECT_FALSE(end);
  EXPECT_EQ(9.0f, newDir.x) << "outputs other than depth are left alone";
}

TEST_F(TerrainTest, SphereSunkIntoASlopeGetsNormalDepthProjectionAndShorterStep) {
  load(slopeRows());
  // The surface y = 200 - z / 5; its upward unit normal.
  const VornVector n = VornVector(0.0f, 1.0f, 0.2f).normalized();
  const float x = 1010.0f, z = 310.0f;
  const VornVector onGround(x, terrain.getHeight(x, z), z);
  const VornVector dir = VornVector(0.0f, -1.0f, 1.0f).normalized();  // diving into the slope
  const float step0 = 0.5f;
  // Probe centre 3 above the surface along its normal: 2 deep.
  const VornVector pos = onGround + n * 3.0f - dir * step0;
  VornVector newDir, normal;
  float step = step0, depth = 0.0f;
  bool end = false;
  ASSERT_EQ(0, terrain.collidePlayer(pos, dir, newDir, step, normal, depth, end));
  EXPECT_NEAR(n.x, normal.x, 1e-4);
  EXPECT_NEAR(n.y, normal.y, 1e-4);
  EXPECT_NEAR(n.z, normal.z, 1e-4);
  EXPECT_NEAR(2.0f, depth, 1e-3);
  const float k = n.dot(dir);
  ASSERT_LT(k, 0.0f);
  EXPECT_NEAR(step0 + k * depth, step, 1e-4) << "the step falls by |k| * depth";
  EXPECT_NEAR(1.0f, newDir.length(), 1e-5);
  EXPECT_NEAR(0.0f, newDir.dot(normal), 1e-5) << "direction projected onto the contact plane";
  EXPECT_GT(newDir.z, 0.0f);
  EXPECT_FALSE(end);
  // Moving away from the slope (k > 0) also shortens the step.
  const VornVector up = VornVector(0.0f, 0.3f, 1.0f).normalized();
  step = step0;
  ASSERT_EQ(0, terrain.collidePlayer(onGround + n * 3.0f - up * step0, up, newDir, step, normal, depth, end));
  EXPECT_NEAR(step0 - n.dot(up) * depth, step, 1e-4);
}

TEST_F(TerrainTest, CrossingTheFinishSetsTheEndFlagWithOrWithoutGround) {
  load(slopeRows());
  const float finish = (kH - 2) * 50.0f - 5.0f;
  const VornVector dir(0.0f, 0.0f, 1.0f);
  VornVector newDir, normal;
  float depth = 0.0f;
  auto probe = [&](float z, float above) {
    bool end = false;
    float step = 0.5f;
    const VornVector pos(1000.0f, terrain.getHeight(1000.0f, z) + above, z - 0.5f);
    const int result = terrain.collidePlayer(pos, dir, newDir, step, normal, depth, end);
    return std::make_pair(result, end);
  };
  EXPECT_EQ(std::make_pair(1, false), probe(finish - 1.0f, 30.0f));
  // Beyond the finish the sphere reaches the end wall (5 further on).
  EXPECT_EQ(std::make_pair(0, true), probe(finish + 1.0f, 30.0f));
  EXPECT_NEAR(-1.0f, normal.z, 1e-3) << "the end wall faces back up the track";
  EXPECT_EQ(std::make_pair(0, true), probe(finish + 1.0f, 3.0f)) << "touching the ground at the finish";
  // The flag is only ever set here, never cleared.
  bool end = true;
  float step = 0.5f;
  terrain.collidePlayer(VornVector(1000.0f, 500.0f, 200.0f), dir, newDir, step, normal, depth, end);
  EXPECT_TRUE(end);
}

TEST_F(TerrainTest, BarrierWallsHoldASphereInsideTheCourse) {
  load(slopeRows());
  const float x1 = 100.0f, x2 = (kW - 3) * 50.0f, z1 = 50.0f, z2 = (kH - 2) * 50.0f;
  struct Wall {
    VornVector start, heading, inward;
  };
  const float midX = (x1 + x2) / 2, midZ = (z1 + z2) / 2;
  const Wall walls[] = {
      {{x1 + 30.0f, 0, midZ}, VornVector(-1.0f, 0, 0.3f).normalized(), {1, 0, 0}},
      {{x2 - 30.0f, 0, midZ}, VornVector(1.0f, 0, -0.3f).normalized(), {-1, 0, 0}},
      {{midX, 0, z1 + 30.0f}, VornVector(0.3f, 0, -1.0f).normalized(), {0, 0, 1}},
  };
  for (const Wall& w : walls) {
    VornVector pos = w.start;
    pos.y = terrain.getHeight(pos.x, pos.z) + 100.0f;  // clear of the ground: only the wall can touch
    VornVector dir = w.heading;
    bool touched = false;
    for (int i = 0; i < 400; ++i) {
      VornVector newDir, normal;
      float step = 0.5f, depth = 0.0f;
      bool end = false;
      if (terrain.collidePlayer(pos, dir, newDir, step, normal, depth, end) == 0) {
        touched = true;
        EXPECT_NEAR(1.0f, normal.dot(w.inward), 1e-3) << "wall normal points into the course";
        pos += dir * step;
        pos += normal * depth;
        dir = newDir;
      } else {
        pos += dir * step;
      }
    }
    EXPECT_TRUE(touched);
    EXPECT_GE(pos.x, x1 + kPlayerSphereRadius - 0.6f);
    EXPECT_LE(pos.x, x2 - kPlayerSphereRadius + 0.6f);
    EXPECT_GE(pos.z, z1 + kPlayerSphereRadius - 0.6f);
  }
}

TEST_F(TerrainTest, KeepAboveGroundLiftsLowPointsToTenAbove) {
  load(bumpyRows());
  const float x = 777.0f, z = 333.0f;
  const float ground = terrain.getHeight(x, z);
  VornVector below(x, ground - 40.0f, z);
  EXPECT_EQ(1, terrain.keepAboveGround(below));
  EXPECT_NEAR(ground + 10.0f, below.y, 1e-2);
  VornVector close(x, ground + 4.0f, z);
  EXPECT_EQ(1, terrain.keepAboveGround(close));
  EXPECT_NEAR(ground + 10.0f, close.y, 1e-2);
  VornVector high(x, ground + 60.0f, z);
  EXPECT_EQ(0, terrain.keepAboveGround(high));
  EXPECT_EQ(ground + 60.0f, high.y);
}

TEST(TerrainLoading, NamesAreCheckedBeforeReading) {
  test::ScopedErrorLog log("terrain_names");
  VornTerrain terrain;
  EXPECT_EQ(1, terrain.loadHeightMap(""));
  EXPECT_EQ(1, terrain.loadHeightMap("data/maps/TWIN.RGB"));
  EXPECT_EQ(1, terrain.loadHeightMap("data/maps/missing.sgi"));
  EXPECT_EQ(
      "Error VornWorld::loadHeightMap \n\tno filename\n"
      "Error VornWorld::loadHeightMap data/maps/TWIN.RGB\n\tunknown file format: RGB\n"
      "Error VornWorld::loadRGB \n\tfile not found: data/maps/missing.sgi\n",
      log.text());
  EXPECT_FALSE(terrain.usable());
}

TEST(TerrainLoading, DamagedHeightMapLeavesAnUnusableButSafeTerrain) {
  test::ScopedErrorLog log("terrain_damaged");
  VornTerrain terrain;
  auto bytes = test::sgiVerbatim(bumpyRows());
  bytes.resize(bytes.size() - 10);
  EXPECT_EQ(1, terrain.loadRGBFromBytes(bytes.data(), bytes.size(), "cut.rgb"));
  EXPECT_EQ("Error VornWorld::loadRGB \n\tfile truncated: cut.rgb\n", log.text());
  EXPECT_FALSE(terrain.hasMesh());
  EXPECT_FALSE(terrain.usable());
  EXPECT_EQ(0.0f, terrain.getHeight(100.0f, 100.0f));
  EXPECT_EQ(0.0f, terrain.getMaterial(100.0f, 100.0f, 0));
  VornVector newDir, normal, p(2000.0f, 10.0f, 90.0f);
  float step = 0.5f, depth = 3.0f;
  bool end = false;
  EXPECT_EQ(1, terrain.collidePlayer(p, VornVector(0, 0, 1), newDir, step, normal, depth, end));
  EXPECT_EQ(0.0f, depth);
  EXPECT_EQ(0, terrain.keepAboveGround(p));
  const auto mat = test::materialBmp(kW, kH, materialPixels());
  EXPECT_EQ(1, terrain.loadMatMapFromBytes(mat.data(), mat.size(), "m.bmp"));
}

TEST(TerrainLoading, MaterialMapProblemsLeaveTheTerrainUnusable) {
  test::ScopedErrorLog log("terrain_material");
  VornTerrain terrain;
  const auto bytes = test::sgiVerbatim(bumpyRows());
  ASSERT_EQ(0, terrain.loadRGBFromBytes(bytes.data(), bytes.size(), "t.rgb"));
  EXPECT_FALSE(terrain.usable()) << "no material map yet";
  EXPECT_EQ(1, terrain.loadMatMap("no_such_conv.bmp"));
  const auto small = test::materialBmp(kW - 1, kH, std::vector<BmpPixel>((kW - 1) * kH, BmpPixel{0, 0, 255}));
  EXPECT_EQ(1, terrain.loadMatMapFromBytes(small.data(), small.size(), "small.bmp"));
  EXPECT_EQ(
      "Error loadMatMap \n\tfile not found: no_such_conv.bmp\n"
      "Error VornWorld::loadMatMap \n\tmaterial map 43 x 12 does not cover the 44 x 12 grid: small.bmp\n",
      log.text());
  EXPECT_TRUE(terrain.hasMesh());
  EXPECT_FALSE(terrain.usable());
  EXPECT_EQ(0.0f, terrain.getMaterial(500.0f, 200.0f, 0));
  const auto good = test::materialBmp(kW, kH, materialPixels());
  EXPECT_EQ(0, terrain.loadMatMapFromBytes(good.data(), good.size(), "good.bmp"));
  EXPECT_TRUE(terrain.usable());
}

TEST(TerrainLoading, FilesOnDiskLoadLikeBytes) {
  test::ScopedErrorLog log("terrain_files");
  const std::string name = "terrain_test_map.rgb";
  ASSERT_TRUE(test::writeBytes(name, test::sgiVerbatim(bumpyRows())));
  ASSERT_TRUE(test::writeBytes("terrain_test_map_conv.bmp", test::materialBmp(kW, kH, materialPixels())));
  VornTerrain terrain;
  EXPECT_EQ(0, terrain.loadHeightMap(name));
  EXPECT_EQ(0, terrain.loadMatMap("terrain_test_map_conv.bmp"));
  EXPECT_TRUE(terrain.usable());
  EXPECT_EQ("", log.text());
  std::remove(name.c_str());
  std::remove("terrain_test_map_conv.bmp");
}

}  // namespace
}  // namespace vorn
