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
  const struct {
    int first, second;
    float at, expectX;
  } cases[] = {
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
    n.addPositionKey(a, c.first);
    n.addPositionKey(b, c.second);
    n.addScaleKey(a, c.first);
    n.addScaleKey(b, c.second);
    VornMatrix m;
    n.evaluate(c.at, m);
    for (float v : m.m) ASSERT_TRUE(std::isfinite(v));
    EXPECT_NEAR(m.m[12], c.expectX, 1e-3f);
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
  for (const auto& node : model.nodes) {
    for (float frame : {0.0f, 7.5f, 1e9f}) {
      VornMatrix m;
      node->evaluate(frame, m);
      for (float v : m.m) ASSERT_TRUE(std::isfinite(v)) << frame;
    }
  }
}

}  // namespace
}  // namespace vorn
