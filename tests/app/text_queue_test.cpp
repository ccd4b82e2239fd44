#include "app/text_queue.h"

#include <gtest/gtest.h>

#include <string>

namespace vorn {
namespace {

constexpr VornRgb kBlue{0.0f, 0.0f, 1.0f};
constexpr VornRgb kLight{0.7f, 0.7f, 1.0f};

TEST(TextFormatting, LongTextsAreCutNotOverrun) {
  VornTextQueue queue;
  const std::string long1000(1000, 'x');
  queue.print(0, 0, "%s", long1000.c_str());
  ASSERT_EQ(queue.entries().size(), 1u);
  EXPECT_EQ(queue.entries()[0].length(), kMaxTextLength);
  EXPECT_EQ(queue.entries()[0].text, std::string(kMaxTextLength, 'x'));
  // Exactly at the limit nothing is lost.
  const std::string exact(kMaxTextLength, 'y');
  queue.print(0, 0, "%s", exact.c_str());
  EXPECT_EQ(queue.entries()[1].text, exact);
}

TEST(TextFormatting, PrintVariantsSetSizeAndColour) {
  VornTextQueue queue;
  queue.print(1, 2, "a%d", 7);
  queue.print(3, 4, kBlue, "b");
  queue.print(5, 6, 30, "c");
  queue.print(7, 8, 40, kBlue, "%s-%s", "d", "e");
  const auto& e = queue.entries();
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].text, "a7");
  EXPECT_EQ(e[0].size, 10);
  EXPECT_EQ(e[0].color.r, 1.0f);
  EXPECT_EQ(e[1].size, 10);
  EXPECT_EQ(e[1].color.r, 0.0f);
  EXPECT_EQ(e[1].color.b, 1.0f);
  EXPECT_EQ(e[2].size, 30);
  EXPECT_EQ(e[2].color.g, 1.0f);
  EXPECT_EQ(e[3].text, "d-e");
  EXPECT_EQ(e[3].x, 7);
  EXPECT_EQ(e[3].y, 8);
  EXPECT_EQ(e[3].size, 40);
  EXPECT_EQ(e[3].color.g, 0.0f);
  queue.begin();
  EXPECT_TRUE(queue.entries().empty());
}

TEST(TextFormatting, LineEndIsKeptAsACharacter) {
  VornTextQueue queue;
  queue.print(0, 0, "Quit\n");
  EXPECT_EQ(queue.entries()[0].length(), 5);
}

TEST(ButtonHover, StrictBox) {
  // "Single Game" (11 characters) at (200, 500), size 50: x from 200 to 640.
  EXPECT_FALSE(buttonHovered(200, 600 - 525, 200, 500, 50, 11));  // on the left edge
  EXPECT_TRUE(buttonHovered(201, 600 - 525, 200, 500, 50, 11));
  EXPECT_TRUE(buttonHovered(639, 600 - 525, 200, 500, 50, 11));
  EXPECT_FALSE(buttonHovered(640, 600 - 525, 200, 500, 50, 11));  // right edge exactly 0.8 * 11 * 50
  EXPECT_FALSE(buttonHovered(400, 600 - 500, 200, 500, 50, 11));  // bottom edge
  EXPECT_FALSE(buttonHovered(400, 600 - 550, 200, 500, 50, 11));  // top edge
  EXPECT_TRUE(buttonHovered(400, 600 - 501, 200, 500, 50, 11));
  EXPECT_TRUE(buttonHovered(400, 600 - 549, 200, 500, 50, 11));
}

TEST(ButtonHover, QuitWithLineEndCountsFiveCharacters) {
  VornTextQueue queue;
  // 0.8 * 5 * 50 = 200: hovered up to x = 519; with four characters it would end at 480.
  EXPECT_TRUE(queue.button(500, 600 - 125, 320, 100, 50, 60, kBlue, kLight, "Quit\n"));
  EXPECT_FALSE(queue.button(520, 600 - 125, 320, 100, 50, 60, kBlue, kLight, "Quit\n"));
}

TEST(ButtonHover, HoveredItemGrowsAndShifts) {
  VornTextQueue queue;
  EXPECT_TRUE(queue.button(300, 600 - 525, 200, 500, 50, 60, kBlue, kLight, "Single Game"));
  const VornTextEntry& hovered = queue.entries()[0];
  EXPECT_EQ(hovered.x, 200 - 2 * 11);
  EXPECT_EQ(hovered.y, 495);
  EXPECT_EQ(hovered.size, 60);
  EXPECT_FLOAT_EQ(hovered.color.r, 0.7f);

  EXPECT_FALSE(queue.button(10, 10, 200, 500, 50, 60, kBlue, kLight, "Single Game"));
  const VornTextEntry& plain = queue.entries()[1];
  EXPECT_EQ(plain.x, 200);
  EXPECT_EQ(plain.y, 500);
  EXPECT_EQ(plain.size, 50);
  EXPECT_EQ(plain.color.r, 0.0f);
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
