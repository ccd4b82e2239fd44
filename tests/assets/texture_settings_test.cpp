#include "assets/texture_settings.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(TextureSettings, StartNearestRepeatWithoutMipmaps) {
  const TextureSettings s;
  EXPECT_EQ(s.magFilter, kTexNearest);
  EXPECT_EQ(s.minFilter, kTexNearest);
  EXPECT_EQ(s.wrapS, kTexRepeat);
  EXPECT_EQ(s.wrapT, kTexRepeat);
  EXPECT_FALSE(s.mipmaps);
}

TEST(TextureSettings, MipmapsFollowTheFilterChosenBefore) {
  TextureSettings s;
  s.setNearest();
  s.enableMipmaps();
  EXPECT_EQ(s.minFilter, kTexNearestMipmapNearest);
  EXPECT_EQ(s.magFilter, kTexNearest);
  s.setLinear();
  EXPECT_EQ(s.minFilter, kTexLinearMipmapLinear);
  EXPECT_EQ(s.magFilter, kTexLinear);
  s.disableMipmaps();
  EXPECT_EQ(s.minFilter, kTexLinear);
  s.enableMipmaps();
  EXPECT_EQ(s.minFilter, kTexLinearMipmapLinear);
  s.setNearest();
  EXPECT_EQ(s.minFilter, kTexNearestMipmapNearest);
  s.disableMipmaps();
  EXPECT_EQ(s.minFilter, kTexNearest);
  EXPECT_FALSE(s.mipmaps);
}

TEST(TextureSettings, AskingForMipmapsTwiceKeepsNearestNearest) {
  TextureSettings s;
  s.setNearest();
  s.enableMipmaps();
  s.enableMipmaps();
  EXPECT_EQ(s.minFilter, kTexNearestMipmapNearest);
  s.disableMipmaps();
  s.disableMipmaps();
  EXPECT_EQ(s.minFilter, kTexNearest);
}

TEST(TextureSettings, WrapModesSetBothAxes) {
  TextureSettings s;
  s.setClampToEdge();
  EXPECT_EQ(s.wrapS, kTexClampToEdge);
  EXPECT_EQ(s.wrapT, kTexClampToEdge);
  s.setMirroredRepeat();
  EXPECT_EQ(s.wrapS, kTexMirroredRepeat);
  EXPECT_EQ(s.wrapT, kTexMirroredRepeat);
  s.setClamp();
  EXPECT_EQ(s.wrapT, kTexClamp);
  s.setRepeat();
  EXPECT_EQ(s.wrapS, kTexRepeat);
}

TEST(TextureSettings, GameStartupGivesLinearMipmappedTextures) {
  TextureSettings s;
  s.setLinear();
  s.enableMipmaps();
  EXPECT_EQ(s.magFilter, kTexLinear);
  EXPECT_EQ(s.minFilter, kTexLinearMipmapLinear);
  EXPECT_TRUE(s.mipmaps);
}

}  // namespace
}  // namespace vorn
