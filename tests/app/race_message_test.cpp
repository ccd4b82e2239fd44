#include "app/race_message.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

constexpr int64_t kStart = 5000000;

TEST(RaceMessages, EightTenthsAreDrawnForPointEightSecondsThenRemoved) {
  VornMessageList list;
  addCountdownMessage(list, kStart, "GO");
  VornTextQueue queue;
  list.update(kStart + 799999, queue);
  ASSERT_EQ(queue.entries().size(), 1u);
  EXPECT_EQ(queue.entries()[0].text, "GO");
  EXPECT_EQ(list.messages().size(), 1u);
  queue.begin();
  list.update(kStart + 800000, queue);
  EXPECT_TRUE(queue.entries().empty());
  EXPECT_TRUE(list.messages().empty());
}

TEST(RaceMessages, CountdownRisesShrinksAndTurnsRed) {
  VornMessageList list;
  addCountdownMessage(list, kStart, "1");
  VornMessageLook look{};
  const VornMessage& m = list.messages()[0];
  ASSERT_TRUE(messageLook(m, kStart, look));
  EXPECT_EQ(look.x, 350);
  EXPECT_EQ(look.y, 300);
  EXPECT_EQ(look.size, 80);
  EXPECT_FLOAT_EQ(look.color.g, 1.0f);
  EXPECT_FLOAT_EQ(look.color.r, 0.0f);

  ASSERT_TRUE(messageLook(m, kStart + 400000, look));
  EXPECT_EQ(look.y, 450);
  EXPECT_EQ(look.size, 70);
  EXPECT_FLOAT_EQ(look.color.r, 0.5f);
  EXPECT_FLOAT_EQ(look.color.g, 0.5f);

  // The last frame before expiry is almost at the end values.
  ASSERT_TRUE(messageLook(m, kStart + 799999, look));
  EXPECT_EQ(look.y, 599);
  EXPECT_EQ(look.size, 60);
  EXPECT_NEAR(look.color.r, 1.0f, 1e-4f);
  EXPECT_FALSE(messageLook(m, kStart + 800000, look));
}

TEST(RaceMessages, JumpRatingSinksAndGrows) {
  VornMessageList list;
  addJumpMessage(list, kStart, "NICE JUMP");
  VornMessageLook look{};
  ASSERT_TRUE(messageLook(list.messages()[0], kStart + 400000, look));
  EXPECT_EQ(look.x, 95);
  EXPECT_EQ(look.y, 100);
  EXPECT_EQ(look.size, 70);
  EXPECT_FLOAT_EQ(look.color.g, 1.0f);
}

TEST(RaceMessages, BonusLastsOneSecondAndFliesUpLeft) {
  VornMessageList list;
  addBonusMessage(list, kStart);
  addSplitBonusMessage(list, kStart, 1);
  VornMessageLook look{};
  ASSERT_TRUE(messageLook(list.messages()[0], kStart + 500000, look));
  EXPECT_EQ(list.messages()[0].text, "+5");
  EXPECT_EQ(look.x, 225);
  EXPECT_EQ(look.y, 450);
  EXPECT_EQ(look.size, 40);
  EXPECT_FLOAT_EQ(look.color.b, 0.5f);
  ASSERT_TRUE(messageLook(list.messages()[1], kStart + 500000, look));
  EXPECT_EQ(look.y, 500);
  EXPECT_TRUE(messageLook(list.messages()[0], kStart + 999999, look));
  EXPECT_FALSE(messageLook(list.messages()[0], kStart + 1000000, look));
}

TEST(RaceMessages, OnlyExpiredMessagesAreRemovedAndOrderIsKept) {
  VornMessageList list;
  addBonusMessage(list, kStart);                // lasts to +1.0 s
  addCountdownMessage(list, kStart, "2");       // lasts to +0.8 s
  addJumpMessage(list, kStart + 300000, "BABY JUMP");  // to +1.1 s
  VornTextQueue queue;
  list.update(kStart + 900000, queue);
  ASSERT_EQ(queue.entries().size(), 2u);
  EXPECT_EQ(queue.entries()[0].text, "+5");
  EXPECT_EQ(queue.entries()[1].text, "BABY JUMP");
  ASSERT_EQ(list.messages().size(), 2u);
  EXPECT_EQ(list.messages()[1].text, "BABY JUMP");
}

TEST(RaceMessages, FormattedTextIsBounded) {
  VornMessageList list;
  const float colours[6] = {1, 1, 1, 1, 1, 1};
  const std::string huge(600, 'm');
  list.add(kStart, 0, 0, 0, 0, 10, 10, colours, 5, "%s%d", huge.c_str(), 42);
  EXPECT_EQ(list.messages()[0].text.size(), static_cast<size_t>(kMaxTextLength));
  EXPECT_EQ(list.messages()[0].duration, 500000);
}

TEST(RaceMessages, JumpRatingThresholds) {
  EXPECT_EQ(jumpRatingText(50000), nullptr);
  EXPECT_STREQ(jumpRatingText(50001), "BABY JUMP");
  EXPECT_STREQ(jumpRatingText(80001), "NICE JUMP");
  EXPECT_STREQ(jumpRatingText(100001), "MEGAJUMP");
  EXPECT_STREQ(jumpRatingText(200000), "MEGAJUMP");
  EXPECT_STREQ(jumpRatingText(200001), "MONSTERJUMP");
}

}  // namespace
}  // namespace vorn
