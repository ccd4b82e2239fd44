// Placed objects against real ODE boxes: the distance rules, the hit response
// (awake, speed, direction, put-back), the sweep of long steps, the box's
// orientation; the bottles' pick-up along a path and their reset; the
// placement aid's file; the beer list against hostile bytes.
#include "player/action_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/error_log.h"
#include "player/player.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

// A tree standing upright (the model's z axis turned to world y) at `at`.
// With extent 0 its box reaches from 170 below to 30 above `at`.
std::unique_ptr<VornActionObject> tree(const VornVector& at, float s, float tiltX = -90.0f) {
  auto o = std::make_unique<VornActionObject>(4);
  o->transform.rotateX(tiltX);
  o->transform.setPosition(at);
  o->buildBox(s, 0.0f);
  return o;
}

VornPlayer playerAt(const VornVector& p, const VornVector& direction, float speed) {
  VornPlayer player;
  player.setPosition(p);
  player.direction = direction.normalized();
  player.speed = speed;
  return player;
}

// Half of the box's width is s * 0.04; the player's sphere has radius 5.
TEST(ActionObjectTest, DrawAndTestDistances) {
  // 4020 wide: the sphere touches it at every row, only the distances decide.
  const auto wide = tree(VornVector(0.0f, 0.0f, 0.0f), 50250.0f);
  VornActionObject scenery(7);
  scenery.position = VornVector(0.0f, 0.0f, 0.0f);
  struct Row {
    VornActionObject* object;
    float x;
    uint8_t visible;
    bool hit;
  } rows[] = {
      {wide.get(), 2001.0f, 0, false},   // beyond 2000: neither drawn nor tested
      {wide.get(), 1999.0f, 1, false},   // drawn, not tested
      {wide.get(), 90.0f, 1, false},     // 8100 >= 8000: not tested although inside
      {wide.get(), 89.0f, 1, true},      // 7921: tested
      {&scenery, 1.0f, 1, false},        // no box: never reaches the box test
      {&scenery, 2001.0f, 0, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.x);
    for (int view = 0; view < 2; ++view) {
      VornPlayer p = playerAt(VornVector(r.x, 0.0f, 0.0f), VornVector(0.0f, 0.0f, 1.0f), 30.0f);
      r.object->visible[view] = 1 - r.visible;
      float awake = 0.0f;
      EXPECT_EQ(r.object->collide(p.position(), p, awake, view), r.hit);
      EXPECT_EQ(r.object->visible[view], r.visible);
      if (!r.hit) {
        EXPECT_EQ(awake, 0.0f);
        EXPECT_EQ(p.speed, 30.0f);
      }
      r.object->visible[view] = 1 - r.visible;
      r.object->updateVisibility(p.position(), view);
      EXPECT_EQ(r.object->visible[view], r.visible);
    }
  }
}

TEST(ActionObjectTest, HitResponse) {
  // Front face at z = 96, side faces at x = -4 and 4.
  const auto t = tree(VornVector(0.0f, 0.0f, 100.0f), 100.0f);
  const VornVector along(0.05f, 0.0f, 1.0f), into(-0.05f, 0.0f, 1.0f);
  const float kGraze = 0.05f / along.length();
  struct Row {
    const char* name;
    VornVector from, to, direction;
    float awake, speed;
    VornVector newDirection;  // (0,0,0): any unit direction along the face
    float endZ;               // NaN: not checked
  } rows[] = {
      // k = -1 at speed 40: 40 * 1.3 = 52; put back to the last free sample (z 90).
      {"head-on", {0, 0, 80}, {0, 0, 92}, {0, 0, 1}, -52.0f, 10.0f, {0, 0, 0}, 90.0f},
      {"head-on drifting +x", {-2, 0, 80}, {0, 0, 92}, {0, 0, 1}, -52.0f, 10.0f, {1, 0, 0}, NAN},
      {"head-on drifting -x", {2, 0, 80}, {0, 0, 92}, {0, 0, 1}, -52.0f, 10.0f, {-1, 0, 0}, NAN},
      // Leaving the side face at a shallow angle: k > 0 costs k * 5 of speed.
      {"grazing", {8.5f, 0, 98}, {8.5f, 0, 100}, along, -kGraze * 52.0f, 40.0f - kGraze * 5.0f, {0, 0, 1}, NAN},
      // Into the side face at the same angle: k <= 0, the speed drops to 10.
      {"glancing in", {8.5f, 0, 98}, {8.5f, 0, 100}, into, -kGraze * 52.0f, 10.0f, {0, 0, 1}, NAN},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    VornPlayer p = playerAt(r.to, r.direction, 40.0f);
    float awake = 0.0f;
    ASSERT_TRUE(t->collide(r.from, p, awake, 0));
    EXPECT_NEAR(awake, r.awake, 1e-3f);
    EXPECT_NEAR(p.speed, r.speed, 1e-4f);
    EXPECT_NEAR(p.direction.length(), 1.0f, 1e-5f);
    if (r.newDirection.lengthSquared() == 0.0f) {
      EXPECT_NEAR(p.direction.z, 0.0f, 1e-6f);
      EXPECT_NEAR(p.direction.y, 0.0f, 1e-6f);
    } else {
      EXPECT_NEAR(p.direction.distanceSquared(r.newDirection), 0.0f, 1e-8f);
    }
    if (!std::isnan(r.endZ)) {
      EXPECT_FLOAT_EQ(p.position().z, r.endZ);
    }
  }
}

// Frames long enough to jump over a tree between two end positions.
TEST(ActionObjectTest, LongStepsAreSwept) {
  const auto t = tree(VornVector(0.0f, 0.0f, 100.0f), 100.0f);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Row {
    VornVector from, to;
    bool hit;
  } rows[] = {
      {{0, 0, 0}, {0, 0, 200}, true},        // through the trunk
      {{0, 0, -1e6f}, {0, 0, 1e6f}, true},   // absurdly long, still sampled near the tree
      {{20, 0, 0}, {20, 0, 200}, false},     // beside it
      {{0, 0, 0}, {0, 0, 85}, false},        // stops short
      {{0, 0, 120}, {0, 0, 300}, false},     // starts behind it
      {{nan, 0, 0}, {0, 0, 200}, false},     // no usable start: the end alone, which is free
      {{nan, 0, 0}, {0, 0, 93}, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.to.z);
    VornPlayer p = playerAt(r.to, VornVector(0.0f, 0.0f, 1.0f), VornPlayer::kSpeedCap);
    float awake = 0.0f;
    EXPECT_EQ(t->collide(r.from, p, awake, 0), r.hit);
    if (!r.hit) {
      EXPECT_EQ(p.position().z, r.to.z);
      continue;
    }
    // Back where the sphere is free, at most one sample before the face.
    const float freeZ = 96.0f - VornPlayer::kCollisionRadius;
    if (std::isfinite(r.from.x)) {
      EXPECT_LE(p.position().z, freeZ);
      EXPECT_GT(p.position().z, freeZ - VornActionTuning::kSweepSpacing - 1e-2f);
    }
    EXPECT_EQ(p.speed, 10.0f);
    EXPECT_NEAR(awake, -VornPlayer::kSpeedCap * 1.3f, 1e-3f);
  }
}

// The box's long side follows the transform: tilting the tree by 60 degrees
// towards +z (a transposed rotation would lean it towards -z).
TEST(ActionObjectTest, BoxFollowsTheRotation) {
  struct Row {
    float tiltX;
    VornVector point;
    bool hit;
  } rows[] = {
      {-90.0f, {0, 25, 0}, true},    // upright: reaches 30 above the position
      {-90.0f, {0, -66, 30}, false},
      {0.0f, {0, 25, 0}, false},     // unturned: lies along z, 70 down
      {0.0f, {0, -66, 30}, true},
      {-60.0f, {0, -70 + 0.866f * 80, 40}, true},
      {-60.0f, {0, -70 + 0.866f * 80, -40}, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.tiltX);
    const auto t = tree(VornVector(0.0f, 0.0f, 0.0f), 100.0f, r.tiltX);
    VornPlayer p = playerAt(r.point, VornVector(0.0f, 0.0f, 1.0f), 20.0f);
    float awake = 0.0f;
    EXPECT_EQ(t->collide(r.point, p, awake, 0), r.hit);
  }
}

TEST(ActionObjectTest, BottlesPickedUpAlongThePathAndReset) {
  VornManageActionObject beers;
  // List heights 10 below the drawn ones; the path runs at y = 5.
  beers.add({{0, -5, 100}, {3, -5, 150}, {20, -5, 120}, {0, -5, 1000}}, 2);
  ASSERT_EQ(beers.records.size(), 4u);
  ASSERT_EQ(beers.shadowFlags, std::vector<uint8_t>(4, 1));
  const float* m = beers.records[0].modelMatrix();
  EXPECT_FLOAT_EQ(m[13], 5.0f);
  EXPECT_NEAR(m[5], 0.1f * std::cos(70.0f * 3.14159265f / 180.0f), 1e-5f);
  EXPECT_NEAR(m[6], -0.1f * std::sin(70.0f * 3.14159265f / 180.0f), 1e-5f);
  EXPECT_EQ(beers.records[0].modelIndex, 2);

  const VornVector from(0, 5, 0), to(0, 5, 200);
  // Both bottles near the path are taken though neither is near its ends;
  // one at 20 across (400 > 200) stays.
  EXPECT_EQ(beers.update(from, to, 1), 2);
  for (int i : {0, 1}) {
    EXPECT_EQ(beers.records[i].active, 0);
    EXPECT_EQ(beers.records[i].visible[0], 0);
    EXPECT_EQ(beers.records[i].visible[1], 0);
    EXPECT_EQ(beers.shadowFlags[i], 0);
  }
  EXPECT_EQ(beers.records[2].active, 1);
  EXPECT_EQ(beers.records[2].visible[1], 1);
  EXPECT_EQ(beers.records[3].visible[1], 0);  // 800 away from the end
  EXPECT_EQ(beers.records[3].visible[0], 1);  // the other view is left alone

  const VornMatrix takenBefore = beers.records[0].transform.rotation();
  const VornMatrix activeBefore = beers.records[2].transform.rotation();
  beers.spinAll();
  EXPECT_EQ(beers.spin, 1);
  EXPECT_EQ(std::memcmp(takenBefore.m, beers.records[0].transform.rotation().m, sizeof takenBefore.m), 0);
  EXPECT_NE(std::memcmp(activeBefore.m, beers.records[2].transform.rotation().m, sizeof activeBefore.m), 0);
  for (int i = 0; i < 360; ++i) beers.spinAll();
  EXPECT_EQ(beers.spin, 0);

  EXPECT_EQ(beers.update(from, to, 0), 0);  // taken ones stay taken
  beers.reset();
  for (size_t i = 0; i < beers.records.size(); ++i) {
    EXPECT_EQ(beers.records[i].active, 1);
    EXPECT_EQ(beers.records[i].visible[0], 1);
    EXPECT_EQ(beers.records[i].visible[1], 1);
    EXPECT_EQ(beers.records[i].flagged, 1);
    EXPECT_EQ(beers.shadowFlags[i], 1);
  }
  // A player standing still takes only what is within reach of its spot.
  EXPECT_EQ(beers.update(VornVector(0, 5, 100), VornVector(0, 5, 100), 0), 1);
  EXPECT_EQ(beers.update(from, to, 0), 1);
}

TEST(ActionObjectTest, WritePlacementAppendsOrLogs) {
  const std::string path = ::testing::TempDir() + "vorn_placier.txt";
  const std::string errPath = ::testing::TempDir() + "vorn_placier_err.txt";
  std::remove(path.c_str());
  std::remove(errPath.c_str());
  setErrorLogPath(errPath);
  const VornManageActionObject beers;
  EXPECT_TRUE(beers.writePlacement(path, VornVector(1.0f, 2.0f, -3.25f)));
  EXPECT_TRUE(beers.writePlacement(path, VornVector(1.0f, 2.0f, -3.25f)));
  EXPECT_EQ(test::readText(path), "1.000000 -1.500000 -3.250000\n1.000000 -1.500000 -3.250000\n");
  // The line reads back as a bottle at the player's ground.
  const std::string text = test::readText(path);
  const auto back = parseBeerList(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  ASSERT_EQ(back.size(), 2u);
  EXPECT_FLOAT_EQ(back[0].y, -1.5f);

  const std::string bad = ::testing::TempDir() + "no_such_dir/placier.txt";
  EXPECT_FALSE(beers.writePlacement(bad, VornVector()));
  EXPECT_EQ(test::readText(errPath), "Error VornManageActionObject::writePlacement \n\tcannot open: " + bad + "\n");
  setErrorLogPath("err.txt");
  std::remove(path.c_str());
  std::remove(errPath.c_str());
}

TEST(ActionObjectTest, HostileBeerLists) {
  const std::string line199 = "1 2 3" + std::string(194, ' ');
  const std::string line200 = line199 + " ";
  struct Row {
    const char* name;
    std::string text;
    std::vector<VornVector> bottles;
  } rows[] = {
      {"plain", "1 2 3\n-4.5 5 6e2\n", {{1, 2, 3}, {-4.5f, 5, 600}}},
      {"no final line end", "1 2 3\n7 8 9", {{1, 2, 3}, {7, 8, 9}}},
      {"truncated", "1 2 3\n4 5", {{1, 2, 3}}},
      {"empty", "", {}},
      {"blank lines", "\n\n\r\n1 2 3\n\n", {{1, 2, 3}}},
      {"CRLF", "1 2 3\r\n4 5 6\r\n", {{1, 2, 3}, {4, 5, 6}}},
      {"extra fields", "1 2 3 4 junk\n", {{1, 2, 3}}},
      {"commas", "1,2,3\n", {}},
      {"huge", "1e39 2 3\n1 -1e39 3\n1 2 3e38\n", {{1, 2, 3e38f}}},
      {"nan and inf", "nan 1 2\n1 inf 2\n1 2 -infinity\n1 2 3\n", {{1, 2, 3}}},
      {"199 characters", line199 + "\n", {{1, 2, 3}}},
      {"199 characters and CR", line199 + "\r\n", {{1, 2, 3}}},
      {"200 characters skipped whole", line200 + "\n7 8 9\n", {{7, 8, 9}}},
      // A reader that split long lines would find a bottle in the tail.
      {"tail of a long line", std::string(300, ' ') + "1 2 3\n", {}},
      {"NUL inside", std::string("1 2\0 3\n4 5 6\n", 13), {{4, 5, 6}}},
      {"binary junk", std::string("\xff\xfe\x01 1 2 3\n\x80\x80\n\t1\t2\t3\n", 20), {{1, 2, 3}}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    // An exact-size copy, so the sanitizer build sees a read past the end.
    const std::vector<uint8_t> bytes(r.text.begin(), r.text.end());
    const auto got = parseBeerList(bytes.empty() ? nullptr : bytes.data(), bytes.size());
    ASSERT_EQ(got.size(), r.bottles.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_FLOAT_EQ(got[i].x, r.bottles[i].x);
      EXPECT_FLOAT_EQ(got[i].y, r.bottles[i].y);
      EXPECT_FLOAT_EQ(got[i].z, r.bottles[i].z);
    }
  }
}

}  // namespace
}  // namespace vorn
