#include "assets/animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "assets/model_loader.h"

namespace vorn {
namespace {

// Frame numbers are whatever 32-bit values a file holds: repeated, falling or
// at the ends of the int range, every pair must give a finite pose.
TEST(KeyNode, AnyPairOfKeyFramesGivesAFinitePose) {
  const struct { int first, second; float at, expectX; } cases[] = {
      {10, 10, 3.0f, 1.0f},                   // no span: hold key 0
      {20, 10, 15.0f, 9.0f},                  // falling: key 1 is current from frame 10
      {INT32_MIN, INT32_MAX, 0.0f, 1.0f},     // span beyond int: weight ~0 from frame 0
      {-1090518913, 1065353216, 7.5f, 1.0f},  // the pair a fuzzed model held
      {INT32_MAX, INT32_MIN, 1e9f, 9.0f},
  };
  const float a[3] = {1, 0, 0}, b[3] = {9, 0, 0};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first << " -> " << c.second << " at " << c.at);
    VornKeyNode n;
    for (const auto& [value, frame] : {std::pair{a, c.first}, {b, c.second}}) {
      n.addPositionKey(value, frame);
      n.addScaleKey(value, frame);
    }
    VornMatrix m;
    n.evaluate(c.at, m);
    for (float v : m.m) ASSERT_TRUE(std::isfinite(v));
    EXPECT_NEAR(m.m[12], c.expectX, 1e-3f);
  }
}

// A child under a parent with every kind of track, against the same products
// built by hand: frame 4 lies between the parent's keys (s = 0.4) and the
// child's scale keys (s = 0.5); at frame 12, past every key, the parent holds
// its accumulated orientation.
TEST(KeyNode, ChildComposesParentKeysScaleAndPivotInTheFixedFunctionOrder) {
  VornKeyNode parent, child;
  const float p0[3] = {1, 2, 3}, p1[3] = {5, -2, 0}, s0[3] = {1, 2, 1}, s1[3] = {3, 1, 1}, c0[3] = {0, 4, 0};
  const float r0[4] = {0.3f, 0, 0, 2}, r1[4] = {-0.8f, 1, 1, 0};  // axes not of unit length
  parent.addPositionKey(p0, 0);
  parent.addPositionKey(p1, 10);
  parent.addRotationKey(r0, 0);
  parent.addRotationKey(r1, 10);
  parent.finishRotationTrack();
  child.addScaleKey(s0, 0);
  child.addScaleKey(s1, 8);
  child.addPositionKey(c0, 0);
  child.setPivot(VornVector(0.5f, 0.25f, -1));
  child.parent = &parent;
  const float deg0 = -0.3f * 180 / 3.14159265f, deg1 = 0.8f * 180 / 3.14159265f, h = std::sqrt(0.5f);
  for (const float s : {0.4f, 1.0f}) {
    const bool early = s < 1;
    VornMatrix expected, mine;
    expected.translate(s * 5 + (1 - s) * 1, s * -2 + (1 - s) * 2, (1 - s) * 3);
    expected.rotate(s * deg1, h, h, 0);
    expected.rotate(deg0, 0, 0, 1);
    expected.translate(0, 4, 0);
    expected.scale(early ? 2 : 3, early ? 1.5f : 1, 1);
    expected.translate(-0.5f, -0.25f, 1);
    child.evaluate(early ? 4.0f : 12.0f, mine);
    child.applyPivot(mine);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(mine.m[i], expected.m[i], 1e-4) << "s " << s << ", element " << i;
  }
}

// The minimised fuzzer input that found the 32-bit span overflow, through the
// whole model load and the frames the game evaluates.
TEST(KeyNode, TheFuzzedModelWithExtremeKeyFramesLoadsAndEvaluates) {
  std::ifstream in(VORN_SOURCE_ROOT "/fuzz/seeds/3ds/keyframe_span_overflow.3ds", std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_EQ(bytes.size(), 246u);
  VornModelTables tables;
  const VornLoadedModel model = buildModelFromBytes(
      bytes.data(), bytes.size(), "fuzz.3DS", [](const std::string&) { return 0; }, tables);
  ASSERT_FALSE(model.nodes.empty());
  for (const auto& node : model.nodes)
    for (float frame : {0.0f, 7.5f, 1e9f}) {
      VornMatrix m;
      node->evaluate(frame, m);
      for (float v : m.m) ASSERT_TRUE(std::isfinite(v)) << frame;
    }
}

}  // namespace
}  // namespace vorn
