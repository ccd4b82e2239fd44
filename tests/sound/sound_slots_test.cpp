#include "sound/sound_slots.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vorn;

TEST(SoundSlots, TwelveEffectsInLoadOrderWithTheirLoopingFlags) {
  const char* names[] = {"snore", "horn", "win", "lost", "start", "lose",
                         "grass", "pfferp", "speed", "ice", "heya", "jump"};
  ASSERT_EQ(size_t(kSoundSlotCount), 12u);
  for (size_t slot = 0; slot < kSoundSlotCount; ++slot) {
    const VornSoundSlotInfo& info = soundSlotInfo(slot);
    EXPECT_STREQ(info.name, names[slot]);
    EXPECT_EQ(std::string(info.path), std::string("data/sounds/") + names[slot] + ".wav");
    const bool loops = slot == kSoundSnore || slot == kSoundGrass || slot == kSoundSpeed || slot == kSoundIce;
    EXPECT_EQ(info.looping, loops) << info.name;
  }
  EXPECT_STREQ(soundSlotInfo(kSoundJump).name, "jump");
  EXPECT_STREQ(soundSlotInfo(kSoundStart).name, "start");
}

TEST(SoundSlots, BothTracksLiveInTheMusicFolder) {
  EXPECT_STREQ(kHighscoreMusicPath, "data/music/01.ogg");
  EXPECT_STREQ(kRaceMusicPath, "data/music/02.ogg");
}

TEST(SoundSlots, RaceEndAndCleanupNameTheRightSlots) {
  size_t loops = 0;
  for (VornSoundSlot slot : kRaceLoopSlots) loops += soundSlotInfo(slot).looping;
  EXPECT_EQ(loops, 4u);
  std::string stopped;
  for (VornSoundSlot slot : kCleanupStopSlots) stopped += std::string(soundSlotInfo(slot).name) + " ";
  EXPECT_EQ(stopped, "pfferp speed ice grass jump heya ");
}

}  // namespace
