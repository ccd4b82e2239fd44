#include "app/race_message.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

constexpr int64_t kStart = 5000000;

TEST(RaceMessages, ACountdownRisesShrinksAndTurnsRedUntilItExpires) {
  VornMessageList list;
  addCountdownMessage(list, kStart, "1");
  // Drawn for the last time almost at the end values, then removed.
  const struct {
    int64_t age;
    int y, size;
    float red;
  } cases[] = {{0, 300, 80, 0.0f}, {400000, 450, 70, 0.5f}, {799999, 599, 60, 1.0f}};
  VornTextQueue queue;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.age);
    queue.begin();
    list.update(kStart + c.age, queue);
    ASSERT_EQ(queue.entries().size(), 1u);
    const VornTextEntry& e = queue.entries()[0];
    EXPECT_EQ(e.x, 350);
    EXPECT_EQ(e.y, c.y);
    EXPECT_EQ(e.size, c.size);
    EXPECT_NEAR(e.color.r, c.red, 1e-4f);
    EXPECT_NEAR(e.color.g, 1.0f - c.red, 1e-4f);
  }
  queue.begin();
  list.update(kStart + 800000, queue);
  EXPECT_TRUE(queue.entries().empty());
  EXPECT_TRUE(list.messages().empty());
}

TEST(RaceMessages, OnlyExpiredMessagesAreRemovedAndOrderIsKept) {
  VornMessageList list;
  addBonusMessage(list, kStart);                       // lasts to +1.0 s
  addCountdownMessage(list, kStart, "2");              // lasts to +0.8 s
  addJumpMessage(list, kStart + 300000, "BABY JUMP");  // to +1.1 s
  VornTextQueue queue;
  list.update(kStart + 900000, queue);
  ASSERT_EQ(queue.entries().size(), 2u);
  EXPECT_EQ(queue.entries()[0].text, "+5");
  EXPECT_EQ(queue.entries()[1].text, "BABY JUMP");
  ASSERT_EQ(list.messages().size(), 2u);
  EXPECT_EQ(list.messages()[1].text, "BABY JUMP");
}

}  // namespace
}  // namespace vorn
