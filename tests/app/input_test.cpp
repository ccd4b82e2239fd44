#include "app/input.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

// Pointer y grows downward; the boxes are defined with y' = 600 - y and are
// exclusive on every side. (Clicks on the drawn items are tested on the game.)
TEST(MenuBoxes, EdgesAreOutsideAndQuitIsNarrowerThanItsText) {
  const struct {
    int x, yUp;
    MenuItem item;
    bool back;
  } cases[] = {{201, 501, MenuItem::kSingleGame, false}, {599, 549, MenuItem::kSingleGame, false},
               {200, 525, MenuItem::kNone, false},       {400, 550, MenuItem::kNone, false},
               {400, 475, MenuItem::kNone, false},       {479, 125, MenuItem::kQuit, false},
               {480, 125, MenuItem::kNone, false},       {599, 119, MenuItem::kNone, true},
               {50, 60, MenuItem::kNone, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.yUp);
    EXPECT_EQ(menuItemAt(c.x, 600 - c.yUp), c.item);
    EXPECT_EQ(inBackBox(c.x, 600 - c.yUp), c.back);
  }
}

TEST(PointerScaling, ScalesEachAxisToTheVirtualScreenAndTruncates) {
  const struct {
    int x, y, width, height, virtualX, virtualY;
  } cases[] = {{512, 384, 1024, 768, 400, 300}, {123, 456, 800, 600, 123, 456},
                        {3, 0, 1000, 600, 2, 0},          {1600, 150, 1600, 300, 800, 300},
                        {5, 7, 0, 0, 4000, 4200}};  // a minimised window must not divide by zero
  for (const auto& c : cases) {
    const VirtualPointer p = scalePointer(c.x, c.y, c.width, c.height);
    EXPECT_EQ(p.x, c.virtualX) << c.width;
    EXPECT_EQ(p.y, c.virtualY) << c.height;
  }
}

TEST(NameEntry, TypingBackspaceAndTheLengthLimit) {
  std::string name;
  applyNameKey(name, key::kBackspace);
  for (char c : std::string("Berta XYZW")) applyNameKey(name, c);
  EXPECT_EQ(name, "Berta XY");  // the ninth character is ignored
  applyNameKey(name, key::kBackspace);
  // Not printable, or special keys (an arrow is not a letter).
  for (int code : {2, 13, 200, -1, kKeyLeft, kKeyUp, key::kF2, specialKeyCode('a')}) applyNameKey(name, code);
  EXPECT_EQ(name, "Berta X");
}

TEST(ExtensionString, OnlyWholeTokensMatch) {
  const char* ext = "GL_ARB_multitexture GL_EXT_stencil_two_side_extra GL_EXT_stencil_wrap";
  EXPECT_TRUE(hasExtensionToken(ext, "GL_ARB_multitexture"));
  EXPECT_TRUE(hasExtensionToken(ext, "GL_EXT_stencil_wrap"));
  EXPECT_TRUE(hasExtensionToken("  GL_A   GL_B ", "GL_B"));
  for (const char* part : {"GL_EXT_stencil_two_side", "GL_ARB", "stencil_wrap", ""})
    EXPECT_FALSE(hasExtensionToken(ext, part)) << part;
  EXPECT_FALSE(hasExtensionToken(nullptr, "GL_ARB_multitexture"));
}

}  // namespace
}  // namespace vorn
