#include "assets/material.h"

#include <gtest/gtest.h>

#include "assets/model_part.h"

namespace vorn {
namespace {

TEST(Material, EqualMaterialsAreStoredOnceAndCopiesStartEmpty) {
  VornMaterialList list;
  VornMaterial skin("Skin");
  skin.diffuse = {0.5f, 0.5f, 0.5f};
  VornObjectPart part;
  skin.addPart(&part, 4);
  skin.displayList = 12;
  EXPECT_EQ(addMaterial(skin, list), 0);
  EXPECT_EQ(addMaterial(skin, list), 0);
  const VornMaterial& stored = *list[0];
  EXPECT_EQ(VornMaterial(stored).id, stored.id + 1);  // every copy takes the next id
  EXPECT_TRUE(stored.parts.empty());
  EXPECT_EQ(stored.displayList, 0u);
  VornMaterial lighter(skin);
  lighter.diffuse[0] = 0.6f;
  EXPECT_EQ(addMaterial(lighter, list), 1);  // same name, other colour
  VornMaterial renamed(skin);
  renamed.name = "Skin2";
  EXPECT_EQ(addMaterial(renamed, list), 2);
  VornMaterial otherMap(skin);
  otherMap.map1Group = 3;
  EXPECT_EQ(addMaterial(otherMap, list), 3);
  // Alpha of a colour is the red value of its second colour.
  skin.diffuse2 = {0.25f, 0.5f, 0.5f};
  EXPECT_EQ(skin.diffuseRgba(), (std::array<float, 4>{0.5f, 0.5f, 0.5f, 0.25f}));
}

}  // namespace
}  // namespace vorn
