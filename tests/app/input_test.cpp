#include "app/input.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

// Pointer y grows downward; the boxes are defined with y' = 600 - y.
TEST(MenuBoxes, ItemsInsideTheirBoxes) {
  EXPECT_EQ(menuItemAt(400, 600 - 525), MenuItem::kSingleGame);
  EXPECT_EQ(menuItemAt(400, 600 - 425), MenuItem::kGhostGame);
  EXPECT_EQ(menuItemAt(400, 600 - 325), MenuItem::kSplitGame);
  EXPECT_EQ(menuItemAt(400, 600 - 225), MenuItem::kHighscores);
  EXPECT_EQ(menuItemAt(400, 600 - 125), MenuItem::kQuit);
}

TEST(MenuBoxes, EdgesAndGapsHitNothing) {
  // Bounds are exclusive on every side.
  EXPECT_EQ(menuItemAt(400, 600 - 500), MenuItem::kNone);
  EXPECT_EQ(menuItemAt(400, 600 - 550), MenuItem::kNone);
  EXPECT_EQ(menuItemAt(200, 600 - 525), MenuItem::kNone);
  EXPECT_EQ(menuItemAt(600, 600 - 525), MenuItem::kNone);
  EXPECT_EQ(menuItemAt(201, 600 - 501), MenuItem::kSingleGame);
  EXPECT_EQ(menuItemAt(599, 600 - 549), MenuItem::kSingleGame);
  // Between the items.
  EXPECT_EQ(menuItemAt(400, 600 - 475), MenuItem::kNone);
  // "Quit" is narrower than the other items.
  EXPECT_EQ(menuItemAt(250, 600 - 125), MenuItem::kNone);
  EXPECT_EQ(menuItemAt(479, 600 - 125), MenuItem::kQuit);
  EXPECT_EQ(menuItemAt(480, 600 - 125), MenuItem::kNone);
}

TEST(MenuBoxes, BackBox) {
  EXPECT_TRUE(inBackBox(100, 600 - 60));
  EXPECT_FALSE(inBackBox(50, 600 - 60));
  EXPECT_FALSE(inBackBox(100, 600 - 120));
  EXPECT_FALSE(inBackBox(100, 600 - 50));
  EXPECT_TRUE(inBackBox(599, 600 - 119));
}

TEST(PointerScaling, ScalesToTheVirtualScreen) {
  const VirtualPointer p = scalePointer(512, 384, 1024, 768);
  EXPECT_EQ(p.x, 400);
  EXPECT_EQ(p.y, 300);
  const VirtualPointer same = scalePointer(123, 456, 800, 600);
  EXPECT_EQ(same.x, 123);
  EXPECT_EQ(same.y, 456);
  // Integer truncation, not rounding: 3 * 800 / 1000 = 2.4.
  EXPECT_EQ(scalePointer(3, 0, 1000, 600).x, 2);
  // A wide, short window stretches both axes independently.
  const VirtualPointer wide = scalePointer(1600, 150, 1600, 300);
  EXPECT_EQ(wide.x, 800);
  EXPECT_EQ(wide.y, 300);
}

TEST(PointerScaling, ZeroSizedWindowDoesNotDivideByZero) {
  const VirtualPointer p = scalePointer(5, 7, 0, 0);
  EXPECT_EQ(p.x, 4000);
  EXPECT_EQ(p.y, 4200);
}

TEST(NameEntry, TypingBackspaceAndTheLengthLimit) {
  std::string name;
  applyNameKey(name, key::kBackspace);
  EXPECT_EQ(name, "");
  for (char c : std::string("Berta")) applyNameKey(name, c);
  EXPECT_EQ(name, "Berta");
  applyNameKey(name, ' ');
  for (char c : std::string("XYZW")) applyNameKey(name, c);
  EXPECT_EQ(name, "Berta XY");  // the ninth character is ignored
  applyNameKey(name, key::kBackspace);
  EXPECT_EQ(name, "Berta X");
  // Control and special codes are not printable and are not appended.
  applyNameKey(name, 2);
  applyNameKey(name, 13);
  applyNameKey(name, 200);
  EXPECT_EQ(name, "Berta X");
}

TEST(SpecialKeys, OnlyTheClassicSpecialKeysReachTheGame) {
  for (int f = 1; f <= 12; ++f) EXPECT_TRUE(isGameSpecialKey(f)) << f;
  for (int k = 100; k <= 108; ++k) EXPECT_TRUE(isGameSpecialKey(k)) << k;  // arrows .. Insert
  // freeglut's Num Lock, Begin, Delete and the six modifier keys.
  for (int k = 109; k <= 117; ++k) EXPECT_FALSE(isGameSpecialKey(k)) << k;
  EXPECT_FALSE(isGameSpecialKey(0));
  EXPECT_FALSE(isGameSpecialKey(13));
  EXPECT_FALSE(isGameSpecialKey(99));
  EXPECT_FALSE(isGameSpecialKey(256));
  EXPECT_FALSE(isGameSpecialKey(-1));
}

TEST(ExtensionString, OnlyWholeTokensMatch) {
  const char* ext = "GL_ARB_multitexture GL_EXT_stencil_two_side_extra GL_EXT_stencil_wrap";
  EXPECT_TRUE(hasExtensionToken(ext, "GL_ARB_multitexture"));
  EXPECT_TRUE(hasExtensionToken(ext, "GL_EXT_stencil_wrap"));
  EXPECT_FALSE(hasExtensionToken(ext, "GL_EXT_stencil_two_side"));  // a prefix only
  EXPECT_FALSE(hasExtensionToken(ext, "GL_ARB"));
  EXPECT_FALSE(hasExtensionToken(ext, "stencil_wrap"));
  EXPECT_FALSE(hasExtensionToken(ext, ""));
  EXPECT_FALSE(hasExtensionToken(nullptr, "GL_ARB_multitexture"));
  EXPECT_TRUE(hasExtensionToken("  GL_A   GL_B ", "GL_B"));
}

TEST(States, NamesForTheTrace) {
  EXPECT_STREQ(stateName(kStateLoading), "loading");
  EXPECT_STREQ(stateName(kStateMenu), "menu");
  EXPECT_STREQ(stateName(kStateNameEntry), "nameentry");
  EXPECT_STREQ(stateName(42), "unknown");
}

}  // namespace
}  // namespace vorn
