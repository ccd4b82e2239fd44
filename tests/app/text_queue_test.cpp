#include "app/text_queue.h"

#include <gtest/gtest.h>

#include <string>

namespace vorn {
namespace {

constexpr VornRgb kBlue{0.0f, 0.0f, 1.0f};
constexpr VornRgb kLight{0.7f, 0.7f, 1.0f};

TEST(TextQueue, PrintFormatsWithDefaultsAndCutsLongTexts) {
  VornTextQueue queue;
  queue.print(1, 2, "a%d", 7);
  queue.print(3, 4, 30, kBlue, "%s-%s", "d", "e");
  const std::string long1000(1000, 'x');
  queue.print(0, 0, "%s", long1000.c_str());
  queue.print(0, 0, "%s", std::string(kMaxTextLength, 'y').c_str());
  const auto& e = queue.entries();
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].text, "a7");
  EXPECT_EQ(e[0].size, kDefaultTextSize);
  EXPECT_EQ(e[0].color.g, 1.0f);
  EXPECT_EQ(e[1].text, "d-e");
  EXPECT_EQ(e[1].size, 30);
  EXPECT_EQ(e[2].text, std::string(kMaxTextLength, 'x'));
  EXPECT_EQ(e[3].length(), kMaxTextLength) << "exactly at the limit nothing is lost";
  queue.begin();
  EXPECT_TRUE(queue.entries().empty());
}

TEST(ButtonHover, StrictBoxWithTheLineEndCounted) {
  // "Single Game" (11 characters) at (200, 500), size 50: x from 200 to 640.
  const struct {
    int x, yUp;
    bool hovered;
  } cases[] = {{200, 525, false}, {201, 525, true},  {639, 525, true}, {640, 525, false},
                        {400, 500, false}, {400, 501, true},  {400, 549, true}, {400, 550, false}};
  for (const auto& c : cases)
    EXPECT_EQ(buttonHovered(c.x, 600 - c.yUp, 200, 500, 50, 11), c.hovered) << c.x << "," << c.yUp;
  // "Quit\n" is five characters wide: hovered up to x = 519, not just 480.
  VornTextQueue queue;
  EXPECT_TRUE(queue.button(500, 600 - 125, 320, 100, 50, 60, kBlue, kLight, "Quit\n"));
  EXPECT_FALSE(queue.button(520, 600 - 125, 320, 100, 50, 60, kBlue, kLight, "Quit\n"));
}

TEST(ButtonHover, PlacementTruncatesTowardsZero) {
  // n * (size - hover) * 2 / 10 with n = 3, 50 -> 57: -42 / 10 = -4 (not -5).
  const VornTextPlacement p = hoverPlacement(100, 100, 50, 57, 3);
  EXPECT_EQ(p.x, 96);
  EXPECT_EQ(p.y, 97);  // -7 / 2 = -3
  EXPECT_EQ(p.size, 57);
}

}  // namespace
}  // namespace vorn
