// Placed objects against real ODE boxes: the distance rules, the hit response,
// the sweep of long steps and the box's orientation; the bottles' pick-up
// along a path and their reset; the placement aid's file; hostile beer lists.
#include "player/action_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/error_log.h"
#include "player/player.h"
#include "support/test_bytes.h"

namespace vorn {
namespace {

// A tree at (0, 0, 100), standing upright (the model's z axis turned to world
// y) by default. With extent 0 its box reaches from 170 below to 30 above the
// position and is s * 0.08 wide; with size 0 it is scenery, without a box.
std::unique_ptr<VornActionObject> tree(float s, float tiltX = -90.0f) {
  auto o = std::make_unique<VornActionObject>(4);
  o->transform.rotateX(tiltX);
  o->position = VornVector(0.0f, 0.0f, 100.0f);
  o->transform.setPosition(o->position);
  if (s > 0.0f) o->buildBox(s, 0.0f);
  return o;
}

VornPlayer playerAt(const VornVector& p, const VornVector& direction, float speed) {
  VornPlayer player;
  player.setPosition(p);
  player.direction = direction.normalized();
  player.speed = speed;
  return player;
}

// Which paths hit the tree: the draw and test distances (the player's sphere
// has radius 5), frames long enough to jump over the tree between two end
// positions, and the box's long side following the transform: tilted by 60
// degrees the tree leans towards +z (a transposed rotation would lean it
// towards -z).
TEST(ActionObjectTest, DistancesSweepsAndTheBoxsRotationDecideTheHit) {
  const float nan = NAN, up = -70 + 0.866f * 80, wide = 50250.0f;  // 4020 wide: only the distances decide
  const struct {
    float tiltX, s;
    VornVector from, to;
    bool hit, visible;
  } rows[] = {
      // Beyond 2000 neither drawn nor tested, then drawn only; 90 across
      // (8100 >= 8000) is not tested although inside, 89 (7921) is.
      {-90, wide, {2001, 0, 100}, {2001, 0, 100}, false, 0}, {-90, wide, {1999, 0, 100}, {1999, 0, 100}, false, 1},
      {-90, wide, {90, 0, 100}, {90, 0, 100}, false, 1}, {-90, wide, {89, 0, 100}, {89, 0, 100}, true, 1},
      {-90, 100, {0, 0, 0}, {0, 0, 200}, true, 1},       // through the trunk
      {-90, 100, {0, 0, -1e6f}, {0, 0, 1e6f}, true, 0},  // absurdly long, still sampled near the tree
      {-90, 100, {20, 0, 0}, {20, 0, 200}, false, 1},    // beside it
      {-90, 100, {0, 0, 0}, {0, 0, 85}, false, 1},       // stops short
      {-90, 100, {0, 0, 120}, {0, 0, 300}, false, 1},    // starts behind it
      // No usable start: the end alone decides.
      {-90, 100, {nan, 0, 0}, {0, 0, 200}, false, 1}, {-90, 100, {nan, 0, 0}, {0, 0, 93}, true, 1},
      // Upright it reaches 30 above the position; unturned it lies along z, 70 down.
      {-90, 100, {0, 25, 100}, {0, 25, 100}, true, 1}, {-90, 100, {0, -66, 130}, {0, -66, 130}, false, 1},
      {0, 100, {0, 25, 100}, {0, 25, 100}, false, 1}, {0, 100, {0, -66, 130}, {0, -66, 130}, true, 1},
      {-60, 100, {0, up, 140}, {0, up, 140}, true, 1}, {-60, 100, {0, up, 60}, {0, up, 60}, false, 1},
      // Scenery: shown by the distance, never hit.
      {-90, 0, {1, 0, 100}, {1, 0, 100}, false, 1}, {-90, 0, {2001, 0, 100}, {2001, 0, 100}, false, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "row " << &r - rows);
    const auto t = tree(r.s, r.tiltX);
    for (int view = 0; view < 2; ++view) {
      VornPlayer p = playerAt(r.to, VornVector(0.0f, 0.0f, 1.0f), VornPlayer::kSpeedCap);
      t->visible[view] = 1 - r.visible;
      float awake = 0.0f;
      EXPECT_EQ(t->collide(r.from, p, awake, view), r.hit);
      EXPECT_EQ(t->visible[view], r.visible);
      t->visible[view] = 1 - r.visible;
      t->updateVisibility(r.to, view);
      EXPECT_EQ(t->visible[view], r.visible);
      if (r.hit) continue;  // what a hit does is the next test's; a miss leaves the player alone
      EXPECT_EQ(std::make_tuple(p.position().z, p.speed, awake), std::make_tuple(r.to.z, p.kSpeedCap, 0.0f));
    }
  }
}

TEST(ActionObjectTest, HitResponse) {
  // Front face at z = 96, side faces at x = -4 and 4.
  const auto t = tree(100.0f);
  const VornVector along(0.05f, 0.0f, 1.0f), into(-0.05f, 0.0f, 1.0f);
  const float kGraze = 0.05f / along.length();
  const struct {
    const char* name;
    VornVector from, to, direction, newDirection;  // a zero newDirection: either way along the face
    float awake, speed, endZ;                      // a NaN endZ is not checked
  } rows[] = {
      // k = -1 at speed 40: 40 * 1.3 = 52; put back to the last free sample (z 90),
      // also from far away: the first sample touching the box is the hit.
      {"head-on", {0, 0, 80}, {0, 0, 92}, {0, 0, 1}, {0, 0, 0}, -52.0f, 10.0f, 90.0f},
      {"through the trunk", {0, 0, 0}, {0, 0, 200}, {0, 0, 1}, {0, 0, 0}, -52.0f, 10.0f, 90.0f},
      {"absurdly long", {0, 0, -1e6f}, {0, 0, 1e6f}, {0, 0, 1}, {0, 0, 0}, -52.0f, 10.0f, 90.0f},
      {"head-on drifting +x", {-2, 0, 80}, {0, 0, 92}, {0, 0, 1}, {1, 0, 0}, -52.0f, 10.0f, NAN},
      {"head-on drifting -x", {2, 0, 80}, {0, 0, 92}, {0, 0, 1}, {-1, 0, 0}, -52.0f, 10.0f, NAN},
      // Leaving the side face at a shallow angle: k > 0 costs k * 5 of speed;
      // into it at the same angle: k <= 0, the speed drops to 10.
      {"grazing", {8.5f, 0, 98}, {8.5f, 0, 100}, along, {0, 0, 1}, -kGraze * 52.0f, 40.0f - kGraze * 5.0f, NAN},
      {"glancing in", {8.5f, 0, 98}, {8.5f, 0, 100}, into, {0, 0, 1}, -kGraze * 52.0f, 10.0f, NAN},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    VornPlayer p = playerAt(r.to, r.direction, 40.0f);
    float awake = 0.0f;
    ASSERT_TRUE(t->collide(r.from, p, awake, 0));
    EXPECT_NEAR(awake, r.awake, 1e-3f);
    EXPECT_NEAR(p.speed, r.speed, 1e-4f);
    const VornVector alongFace(std::copysign(1.0f, p.direction.x), 0.0f, 0.0f);
    EXPECT_NEAR(p.direction.distanceSquared(r.newDirection.lengthSquared() > 0.0f ? r.newDirection : alongFace), 0.0f,
                1e-10f);
    if (std::isnan(r.endZ)) continue;
    EXPECT_FLOAT_EQ(p.position().z, r.endZ);
  }
}

TEST(ActionObjectTest, BottlesPickedUpAlongThePathAndReset) {
  VornManageActionObject beers;
  // List heights 10 below the drawn ones; the path runs at y = 5.
  beers.add({{0, -5, 100}, {3, -5, 150}, {20, -5, 120}, {0, -5, 1000}}, 2);
  ASSERT_EQ(beers.shadowFlags, std::vector<uint8_t>(4, 1));
  EXPECT_EQ(std::make_pair(beers.records[0].modelMatrix()[13], beers.records[0].modelIndex), std::make_pair(5.0f, 2));
  const VornVector from(0, 5, 0), to(0, 5, 200);
  // Both bottles near the path are taken though neither is near its ends;
  // one at 20 across (400 > 200) stays; the one 800 from the end is hidden
  // in this view only.
  EXPECT_EQ(beers.update(from, to, 1), 2);
  const auto shown = [&](size_t i) {
    const auto& r = beers.records[i];
    return std::make_tuple(r.active, r.visible[0], r.visible[1], beers.shadowFlags[i]);
  };
  for (size_t i : {0, 1}) EXPECT_EQ(shown(i), std::make_tuple(0, 0, 0, 0)) << i;
  EXPECT_EQ(shown(2), std::make_tuple(1, 1, 1, 1));
  EXPECT_EQ(shown(3), std::make_tuple(1, 1, 0, 1));
  // Only the bottles still to be collected spin.
  const VornMatrix taken = beers.records[0].transform.rotation(), active = beers.records[2].transform.rotation();
  beers.spinAll();
  EXPECT_EQ(std::memcmp(taken.m, beers.records[0].transform.rotation().m, sizeof taken.m), 0);
  EXPECT_NE(std::memcmp(active.m, beers.records[2].transform.rotation().m, sizeof active.m), 0);
  EXPECT_EQ(beers.update(from, to, 0), 0);  // taken ones stay taken
  beers.reset();
  for (size_t i = 0; i < beers.records.size(); ++i) EXPECT_EQ(shown(i), std::make_tuple(1, 1, 1, 1)) << i;
  // A player standing still takes only what is within reach of its spot.
  EXPECT_EQ(beers.update(VornVector(0, 5, 100), VornVector(0, 5, 100), 0), 1);
  EXPECT_EQ(beers.update(from, to, 0), 1);
}

// The placement aid appends lines the beer list reads, or logs why it cannot.
TEST(ActionObjectTest, WritePlacementAppendsBeerListLinesOrLogs) {
  const std::string path = ::testing::TempDir() + "vorn_placier.txt", errPath = path + ".err";
  const std::string bad = ::testing::TempDir() + "no_such_dir/placier.txt";
  for (const std::string& file : {path, errPath}) std::remove(file.c_str());
  setErrorLogPath(errPath);
  const VornManageActionObject beers;
  EXPECT_TRUE(beers.writePlacement(path, VornVector(1.0f, 2.0f, -3.25f)) && beers.writePlacement(path, VornVector()));
  const std::string text = test::readText(path);
  EXPECT_EQ(text, "1.000000 -1.500000 -3.250000\n0.000000 -3.500000 0.000000\n");
  EXPECT_EQ(parseBeerList(reinterpret_cast<const uint8_t*>(text.data()), text.size()).size(), 2u);
  EXPECT_FALSE(beers.writePlacement(bad, VornVector()));
  EXPECT_EQ(test::readText(errPath), "Error VornManageActionObject::writePlacement \n\tcannot open: " + bad + "\n");
  setErrorLogPath("err.txt");
  for (const std::string& file : {path, errPath}) std::remove(file.c_str());
}

TEST(ActionObjectTest, HostileBeerLists) {
  const std::string line199 = "1 2 3" + std::string(194, ' ');
  const struct {
    const char* name;
    std::string text;
    std::vector<VornVector> bottles;
  } rows[] = {
      {"plain", "1 2 3\n-4.5 5 6e2\n", {{1, 2, 3}, {-4.5f, 5, 600}}}, {"no final line end", "7 8 9", {{7, 8, 9}}},
      {"truncated", "1 2 3\n4 5", {{1, 2, 3}}}, {"empty", "", {}}, {"commas", "1,2,3\n", {}},
      {"blank lines", "\n\n\r\n1 2 3\n\n", {{1, 2, 3}}}, {"CRLF", "1 2 3\r\n4 5 6\r\n", {{1, 2, 3}, {4, 5, 6}}},
      {"extra fields", "1 2 3 4 junk\n", {{1, 2, 3}}}, {"huge", "1e39 2 3\n1 -1e39 3\n1 2 3e38\n", {{1, 2, 3e38f}}},
      {"nan and inf", "nan 1 2\n1 inf 2\n1 2 -infinity\n1 2 3\n", {{1, 2, 3}}},
      {"199 characters", line199 + "\n", {{1, 2, 3}}}, {"199 characters and CR", line199 + "\r\n", {{1, 2, 3}}},
      {"200 characters skipped whole", line199 + " \n7 8 9\n", {{7, 8, 9}}},
      // A reader that split long lines would find a bottle in the tail.
      {"tail of a long line", std::string(300, ' ') + "1 2 3\n", {}},
      {"NUL inside", std::string("1 2\0 3\n4 5 6\n", 13), {{4, 5, 6}}},
      {"binary junk", std::string("\xff\xfe\x01 1 2 3\n\x80\x80\n\t1\t2\t3\n", 20), {{1, 2, 3}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    // An exact-size copy, so the sanitizer build sees a read past the end.
    const std::vector<uint8_t> bytes(r.text.begin(), r.text.end());
    const auto got = parseBeerList(bytes.empty() ? nullptr : bytes.data(), bytes.size());
    ASSERT_EQ(got.size(), r.bottles.size());
    for (size_t i = 0; i < got.size(); ++i)
      for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(got[i][c], r.bottles[i][c]);
  }
}

}  // namespace
}  // namespace vorn
