// VornAutopilot among bottles and trees: a point that turns and moves as the
// race keys would turn and move the player (8 degrees a tenth, fixed speed)
// follows a straight line down +z past the objects of each case.
#include "player/autopilot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vorn {
namespace {

constexpr float kLineX = 1000.0f;

struct Pass {
  float nearestBottle = 1e9f, nearestTree = 1e9f;
  float xAt1500 = 0.0f;
};

Pass drive(const std::vector<VornVector>& bottles, const std::vector<VornVector>& trees) {
  VornAutopilot pilot(std::vector<float>(80, kLineX), 50.0f);
  pilot.setObjects(bottles, trees);
  VornPlayer p;
  p.setPosition(VornVector(kLineX, 0.0f, 0.0f));
  p.direction = VornVector(0.0f, 0.0f, 1.0f);
  p.speed = 35.0f;
  uint8_t keys[256] = {};
  constexpr float dt = 10.0f / 60.0f;  // tenths of a second a frame at 60 fps
  Pass pass;
  while (p.position().z < 3000.0f) {
    pilot.drive(p, keys);
    if (keys[kPlayer1Keys.left]) p.direction.rotateY(8.0f * dt);
    if (keys[kPlayer1Keys.right]) p.direction.rotateY(-8.0f * dt);
    const VornVector from = p.position();
    p.setPosition(from + p.direction * (p.speed * dt));
    // Distances along the frame's path, sampled a unit apart.
    for (float s = 0.0f; s <= 1.0f; s += 1.0f / (p.speed * dt)) {
      const VornVector q = from + (p.position() - from) * s;
      for (const VornVector& b : bottles) pass.nearestBottle = std::fmin(pass.nearestBottle, std::hypot(q.x - b.x, q.z - b.z));
      for (const VornVector& t : trees) pass.nearestTree = std::fmin(pass.nearestTree, std::hypot(q.x - t.x, q.z - t.z));
      if (from.z <= 1500.0f && p.position().z > 1500.0f) pass.xAt1500 = p.position().x;
    }
  }
  return pass;
}

// A bottle is within reach at about 12.6 units; a tree's box (8 across) and
// the player's sphere (radius 5) touch at 9 units from the trunk's axis.
TEST(Autopilot, TakesTheBottlesNearItsLineLeavesTheFarOnesAndPassesTrees) {
  const VornVector near(kLineX + 45.0f, 0.0f, 1500.0f), far(kLineX + 150.0f, 0.0f, 1500.0f);
  const VornVector onLine(kLineX, 0.0f, 1500.0f), besideBottle(kLineX + 20.0f, 0.0f, 1150.0f);
  {
    const Pass pass = drive({near}, {});
    EXPECT_LT(pass.nearestBottle, 8.0f) << "a bottle 45 off the line is taken";
  }
  {
    const Pass pass = drive({far}, {});
    EXPECT_NEAR(pass.xAt1500, kLineX, 5.0f) << "a bottle 150 off the line is not worth the detour";
  }
  {
    const Pass pass = drive({}, {onLine});
    EXPECT_GT(pass.nearestTree, 15.0f) << "a tree on the line is passed";
  }
  {
    const Pass pass = drive({near}, {besideBottle});
    EXPECT_GT(pass.nearestTree, 15.0f) << "the way to a bottle bends round a tree";
    EXPECT_LT(pass.nearestBottle, 10.0f);
  }
}

}  // namespace
}  // namespace vorn
