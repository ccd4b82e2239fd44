#include "assets/material.h"

#include <gtest/gtest.h>

#include "assets/model_part.h"

namespace vorn {
namespace {

TEST(Material, DefaultsAreThoseOfAnEmptyMaterial) {
  const VornMaterial m;
  EXPECT_EQ(m.ambient, (std::array<float, 3>{1, 1, 1}));
  EXPECT_EQ(m.diffuse2, (std::array<float, 3>{0, 0, 0}));
  EXPECT_EQ(m.shininess, 20);
  EXPECT_EQ(m.map1Group, 0);
  EXPECT_EQ(m.displayList, 0u);
  // Alpha of a colour is the red value of its second colour.
  VornMaterial t;
  t.diffuse2 = {0.25f, 0.5f, 0.5f};
  EXPECT_EQ(t.diffuseRgba(), (std::array<float, 4>{1, 1, 1, 0.25f}));
}

TEST(Material, EqualMaterialsAreStoredOnce) {
  VornMaterialList list;
  VornMaterial skin("Skin");
  skin.diffuse = {0.5f, 0.5f, 0.5f};
  const int first = addMaterial(skin, list);
  EXPECT_EQ(addMaterial(skin, list), first);
  EXPECT_EQ(list.size(), 1u);
  VornMaterial lighter = VornMaterial("Skin");
  lighter.diffuse = {0.6f, 0.5f, 0.5f};
  EXPECT_EQ(addMaterial(lighter, list), 1);  // same name, other colour
  VornMaterial renamed("Skin2");
  renamed.diffuse = skin.diffuse;
  EXPECT_EQ(addMaterial(renamed, list), 2);
  VornMaterial otherMap("Skin");
  otherMap.diffuse = skin.diffuse;
  otherMap.map1Group = 3;
  EXPECT_EQ(addMaterial(otherMap, list), 3);
}

TEST(Material, CopiesTakeTheNextIdAndStartEmpty) {
  VornMaterial m("Hide");
  VornObjectPart part;
  m.addPart(&part, 4);
  m.placed = true;
  m.displayList = 12;
  const VornMaterial a(m);
  const VornMaterial b(m);
  EXPECT_EQ(b.id, a.id + 1);
  EXPECT_EQ(a.name, "Hide");
  EXPECT_TRUE(a.parts.empty());
  EXPECT_FALSE(a.placed);
  EXPECT_EQ(a.displayList, 0u);
}

TEST(Material, TextureGroupsAreCountedFromOne) {
  VornTextureGroupList groups;
  EXPECT_EQ(findOrAddTextureGroup(groups, 5), 1);
  EXPECT_EQ(findOrAddTextureGroup(groups, 8), 2);
  EXPECT_EQ(findOrAddTextureGroup(groups, 5), 1);  // another material, same texture
  EXPECT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[1]->texture, 8);
}

TEST(Material, PlacingPutsEachMaterialOnceInItsGroupOrTheUntexturedList) {
  VornMaterialList list;
  VornTextureGroupList groups;
  VornUntexturedList untextured;
  VornMaterial a("Bark");
  a.map1Group = findOrAddTextureGroup(groups, 2);
  VornMaterial b("Leaf");
  b.map1Group = findOrAddTextureGroup(groups, 2);
  VornMaterial c("Stone");
  c.map2Texture = 4;  // a second map alone does not make it textured
  addMaterial(a, list);
  addMaterial(b, list);
  addMaterial(c, list);
  EXPECT_EQ(placeMaterials(list, groups, untextured).size(), 3u);
  ASSERT_EQ(groups[0]->materials.size(), 2u);
  EXPECT_EQ(groups[0]->materials[1]->name, "Leaf");
  ASSERT_EQ(untextured.size(), 1u);
  EXPECT_EQ(untextured[0]->material->name, "Stone");
  // A second model's load places only what is new.
  VornMaterial d("Cap");
  d.map1Group = 9;  // names no group: drawn untextured rather than out of range
  addMaterial(d, list);
  const auto now = placeMaterials(list, groups, untextured);
  ASSERT_EQ(now.size(), 1u);
  EXPECT_EQ(now[0]->name, "Cap");
  EXPECT_EQ(untextured.size(), 2u);
  EXPECT_EQ(now[0]->map1Group, 0);
}

TEST(Material, OverlayReachesEveryPartUsingTheMaterial) {
  VornMaterial m("Leaves");
  VornObjectPart p1, p2;
  m.addPart(&p1, 0);
  m.addPart(&p2, 10);
  m.setOverlay(6);
  EXPECT_TRUE(m.hasOverlay);
  EXPECT_EQ(p1.overlayTexture, 6);
  EXPECT_EQ(p2.overlayTexture, 6);
  EXPECT_EQ(findMaterialByName(VornMaterialList(), "x"), nullptr);
}

}  // namespace
}  // namespace vorn
