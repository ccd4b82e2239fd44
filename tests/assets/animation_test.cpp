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

constexpr float kPi = 3.14159265f;

VornVector apply(const VornMatrix& m, VornVector p) {
  m.transformPoint(p);
  return p;
}

TEST(KeySearch, FindsTheLastKeyAtOrBeforeTheFrame) {
  const std::vector<int> frames{10, 20, 40};
  EXPECT_EQ(searchKeys(frames, 5.0f).key, 0u);    // before the second key: key 0
  EXPECT_EQ(searchKeys(frames, 5.0f).frame, 0);   // whose frame counts as 0
  EXPECT_EQ(searchKeys(frames, 19.9f).key, 0u);
  EXPECT_EQ(searchKeys(frames, 20.0f).key, 1u);   // exactly on a key
  EXPECT_EQ(searchKeys(frames, 20.0f).frame, 20);
  EXPECT_EQ(searchKeys(frames, 100.0f).key, 2u);  // after the last
  EXPECT_EQ(searchKeys(frames, NAN).key, 0u);
  EXPECT_EQ(searchKeys(frames, 1e30f).key, 2u);
}

TEST(KeyNode, PositionInterpolatesAndHoldsAfterTheLastKey) {
  VornKeyNode n;
  const float a[3] = {0, 0, 0}, b[3] = {10, 20, 0};
  n.addPositionKey(a, 0);
  n.addPositionKey(b, 10);
  VornMatrix m;
  n.evaluate(2.5f, m);
  EXPECT_FLOAT_EQ(m.m[12], 2.5f);
  EXPECT_FLOAT_EQ(m.m[13], 5.0f);
  VornMatrix late;
  n.evaluate(50.0f, late);
  EXPECT_FLOAT_EQ(late.m[12], 10.0f);
}

TEST(KeyNode, RotationKeysAreRelativeAndAccumulate) {
  VornKeyNode n;
  const float quarter[4] = {-kPi / 2, 0, 0, 1};  // +90 degrees about z once the sign turns
  n.addRotationKey(quarter, 0);
  n.addRotationKey(quarter, 10);
  n.finishRotationTrack();
  EXPECT_NEAR(n.rotationValues[0], 90.0f, 1e-4);
  ASSERT_EQ(n.rotationMatrices.size(), 2u);
  // Key 1's orientation is both quarter turns: x goes to -x.
  const VornVector x = apply(n.rotationMatrices[1], VornVector(1, 0, 0));
  EXPECT_NEAR(x.x, -1.0f, 1e-5);
  // Exactly on key 1: no partial step, just the accumulated matrix.
  VornMatrix on;
  n.evaluate(10.0f, on);
  EXPECT_NEAR(apply(on, VornVector(1, 0, 0)).x, -1.0f, 1e-5);
  // Halfway: key 0's quarter turn plus half of key 1's.
  VornMatrix half;
  n.evaluate(5.0f, half);
  const VornVector h = apply(half, VornVector(1, 0, 0));
  EXPECT_NEAR(h.x, -std::sqrt(0.5f), 1e-5);
  EXPECT_NEAR(h.y, std::sqrt(0.5f), 1e-5);
}

TEST(KeyNode, ScaleAppliesFirstThenRotationThenTranslation) {
  VornKeyNode n;
  const float t[3] = {100, 0, 0};
  const float r[4] = {-kPi / 2, 0, 0, 1};
  const float s[3] = {2, 2, 2};
  n.addPositionKey(t, 0);
  n.addRotationKey(r, 0);
  n.finishRotationTrack();
  n.addScaleKey(s, 0);
  VornMatrix m;
  n.evaluate(0.0f, m);
  const VornVector p = apply(m, VornVector(1, 0, 0));
  EXPECT_NEAR(p.x, 100.0f, 1e-4);
  EXPECT_NEAR(p.y, 2.0f, 1e-4);
}

TEST(KeyNode, ANodeWithoutKeysAppliesNothing) {
  VornKeyNode n;
  n.setPivot(VornVector(1, 2, 3));
  VornMatrix m;
  n.evaluate(7.0f, m);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], VornMatrix().m[i]);
  n.applyPivot(m);
  EXPECT_FLOAT_EQ(m.m[14], -3.0f);
}

TEST(KeyNode, ParentsAreEvaluatedFirst) {
  std::vector<std::unique_ptr<VornKeyNode>> nodes;
  for (int i = 0; i < 2; ++i) nodes.push_back(std::make_unique<VornKeyNode>());
  nodes[0]->setId(3);
  nodes[1]->setId(4);
  nodes[1]->setParentId(3);
  const float turn[4] = {-kPi / 2, 0, 0, 1};
  nodes[0]->addRotationKey(turn, 0);
  nodes[0]->finishRotationTrack();
  const float move[3] = {5, 0, 0};
  nodes[1]->addPositionKey(move, 0);
  const auto links = linkNodes(nodes);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].parent, 0);
  EXPECT_EQ(nodes[1]->parent, nodes[0].get());
  EXPECT_EQ(nodes[0]->children.size(), 1u);
  VornMatrix m;
  nodes[1]->evaluate(0.0f, m);
  // The child's move happens inside the parent's turn: +x becomes +y.
  const VornVector p = apply(m, VornVector(0, 0, 0));
  EXPECT_NEAR(p.x, 0.0f, 1e-5);
  EXPECT_NEAR(p.y, 5.0f, 1e-5);
}

TEST(KeyNode, LinkingNeverClosesACycle) {
  std::vector<std::unique_ptr<VornKeyNode>> nodes;
  for (int i = 0; i < 3; ++i) {
    nodes.push_back(std::make_unique<VornKeyNode>());
    nodes[i]->setId(i);
    nodes[i]->setParentId(static_cast<int16_t>((i + 1) % 3));  // 0 -> 1 -> 2 -> 0
  }
  nodes.push_back(std::make_unique<VornKeyNode>());
  nodes[3]->setId(3);
  nodes[3]->setParentId(3);  // its own parent
  const auto links = linkNodes(nodes);
  EXPECT_EQ(links.size(), 2u);
  EXPECT_EQ(nodes[3]->parent, nullptr);
  VornMatrix m;
  for (auto& n : nodes) n->evaluate(1.0f, m);  // ends
}

// Frame numbers are whatever 32-bit values a file holds: repeated, falling or
// at the ends of the int range, every pair must give a finite pose.
TEST(KeyNode, AnyPairOfKeyFramesGivesAFinitePose) {
  const struct {
    int first, second;
    float at, expectX;
  } cases[] = {
      {10, 10, 3.0f, 1.0f},                      // no span: hold key 0
      {20, 10, 15.0f, 9.0f},                     // falling: key 1 is current from frame 10
      {INT32_MIN, INT32_MAX, 0.0f, 1.0f},        // span beyond int: weight ~0 from frame 0
      {-1090518913, 1065353216, 7.5f, 1.0f},     // the pair a fuzzed model held
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
