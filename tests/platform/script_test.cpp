#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/host.h"

using namespace platform;
using ::testing::HasSubstr;

TEST(Script, ParsesNamesCodesCommentsAndBlankLines) {
  std::vector<ScriptedKey> keys;
  auto error = ParseScript(
      "# walk right, then jump\r\n"
      "\n"
      "0 down Right\r\n"
      "  250   up   right  \n"
      "300 down Space\n"
      "310 down z\n"
      "320 down 5\n"
      "330 down F12\n"
      "340 down 65\n"
      "350 UP Return",
      keys);
  ASSERT_FALSE(error) << *error;
  ASSERT_EQ(keys.size(), 8u);
  EXPECT_EQ(keys[0].vk, VK_RIGHT);
  EXPECT_TRUE(keys[0].down);
  EXPECT_EQ(keys[1].timeMs, 250u);
  EXPECT_FALSE(keys[1].down);
  EXPECT_EQ(keys[2].vk, VK_SPACE);
  EXPECT_EQ(keys[3].vk, 'Z');
  EXPECT_EQ(keys[4].vk, '5') << "one digit names the digit key";
  EXPECT_EQ(keys[5].vk, VK_F12);
  EXPECT_EQ(keys[6].vk, 'A') << "longer numbers are key codes";
  EXPECT_EQ(keys[7].vk, VK_RETURN);
}

TEST(Script, ErrorsNameTheLineAndLeaveTheOutputAlone) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"10 down Left\n20 press Left\n", "line 2: expected down or up"},
      {"x down Left\n", "line 1: bad time"},
      {"-5 down Left\n", "line 1: bad time"},
      {"99999999999 down Left\n", "line 1: bad time"},
      {"10 down\n", "line 1: expected 'MS down|up KEY'"},
      {"10 down Left extra\n", "line 1: expected 'MS down|up KEY'"},
      {"\n\n10 down Nope\n", "line 3: unknown key 'Nope'"},
      {"10 down F13\n", "unknown key"},
      {"10 down 0x41\n", "unknown key"},
      {"10 down 300\n", "unknown key"},
  };
  for (const Case& c : cases) {
    std::vector<ScriptedKey> keys{{1, 2, true}};
    auto error = ParseScript(c.text, keys);
    ASSERT_TRUE(error) << c.text;
    EXPECT_THAT(*error, HasSubstr(c.expected)) << c.text;
    EXPECT_EQ(error->find('\n'), std::string::npos) << "one line";
    EXPECT_EQ(keys.size(), 1u) << "nothing half-parsed";
  }
}

TEST(Script, KeyNames) {
  EXPECT_EQ(KeyNameToVk("Escape"), VK_ESCAPE);
  EXPECT_EQ(KeyNameToVk("Tab"), VK_TAB);
  EXPECT_EQ(KeyNameToVk("Up"), VK_UP);
  EXPECT_EQ(KeyNameToVk("X"), 'X');
  EXPECT_EQ(KeyNameToVk("F1"), VK_F1);
  EXPECT_EQ(KeyNameToVk(""), 0);
  EXPECT_EQ(KeyNameToVk("0"), '0');
  EXPECT_EQ(KeyNameToVk("255"), 0);
}
