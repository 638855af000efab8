#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/text.h"

using namespace platform;

TEST(Gbk, RoundTripsChineseText) {
  const std::string utf8 = "图片集合\\怪物图片 主角 错误";
  std::string g = Utf8ToGbk(utf8);
  EXPECT_EQ(g.size(), 2u * 12 + 3) << "two bytes per character, one per ASCII byte";
  EXPECT_EQ(GbkToUtf8(g), utf8);
  EXPECT_EQ(gbk("主角"), std::string("\xD6\xF7\xBD\xC7"));
}

TEST(Gbk, UnconvertibleBytesPassThrough) {
  // A lone lead byte at the end and an invalid pair in the middle survive unchanged.
  std::string broken = std::string("ab\xFF") + "c" + "\xD6";
  std::string utf8 = GbkToUtf8(broken);
  EXPECT_EQ(utf8, broken);
  // Invalid UTF-8 going the other way is kept too.
  std::string bad = "x\xC3(y";
  EXPECT_EQ(Utf8ToGbk(bad), bad);
  EXPECT_EQ(GbkToUtf8(""), "");
}

TEST(HostPath, BackslashesBecomeSlashes) {
  EXPECT_EQ(HostPath(gbk("/opt/game\\图片集合\\Damage(代用).png")),
            "/opt/game/图片集合/Damage(代用).png");
}

TEST(HostPath, TrailByte5CIsNotABackslash) {
  // "嘰" is 87 5C in GBK: its second byte is the backslash code.
  std::string path = gbk("\\嘰\\x.png");
  ASSERT_EQ(path, std::string("\\\x87\x5C\\x.png"));
  EXPECT_EQ(HostPath(path), "/嘰/x.png");
  // A lead byte at the very end has no trail to take with it.
  EXPECT_EQ(HostPath(std::string("a\\\x87")), std::string("a/\x87"));
}

TEST(Gbk, Byte80IsACharacterOfItsOwn) {
  // Whatever 0x80 becomes, it becomes that alone: what follows converts as if on its own.
  const std::string euro = GbkToUtf8("\x80");
  EXPECT_FALSE(euro.empty());
  for (const std::string& after : std::vector<std::string>{"A", "\\", "9y", "\x80", gbk("中文")})
    EXPECT_EQ(GbkToUtf8("\x80" + after), euro + GbkToUtf8(after)) << after;
  // So a backslash after it separates folders.
  const std::string host = HostPath("a\x80\\b\\c");
  EXPECT_EQ(host.find('\\'), std::string::npos) << host;
  EXPECT_EQ(host.substr(host.size() - 4), "/b/c");
}

TEST(Gbk, ArbitraryBytesNeverBreakTheConverters) {
  // Fixed seed: the same thousand inputs on every run, under the sanitizers too.
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return uint8_t(state >> 24);
  };
  for (int round = 0; round < 1000; ++round) {
    std::string bytes(size_t(next() % 40), '\0');
    for (char& c : bytes) c = char(next());
    std::string utf8 = GbkToUtf8(bytes);
    std::string back = Utf8ToGbk(utf8);
    EXPECT_GE(utf8.size(), bytes.size() / 2);
    // Whatever converted comes back; whatever did not was carried through unchanged.
    EXPECT_EQ(GbkToUtf8(back), utf8);
    std::string host = HostPath(bytes);
    EXPECT_GE(host.size(), bytes.size() / 2);
  }
}

TEST(HostPath, NoWholeBackslashSurvivesInValidText) {
  const std::string parts[] = {"图片集合", "怪物图片", "嘰", "乗", "Damage(代用).png", "a"};
  uint32_t state = 7;
  for (int round = 0; round < 200; ++round) {
    std::string utf8;
    for (int i = 0; i < 5; ++i) {
      state = state * 1664525u + 1013904223u;
      utf8 += "\\" + parts[(state >> 16) % 6];
    }
    std::string host = HostPath(gbk(utf8));
    EXPECT_EQ(host.find('\\'), std::string::npos) << host;
    std::string expected = utf8;
    std::replace(expected.begin(), expected.end(), '\\', '/');
    EXPECT_EQ(host, expected);
  }
}

TEST(Gbk, CodePointsTakeOneOrTwoBytesAndMarkDamage) {
  EXPECT_EQ(GbkToCodePoints(gbk("A主角")), std::u32string(U"A主角"));
  // 0x80 is a character of its own (the euro sign), so the 'A' after it stays an 'A'.
  EXPECT_EQ(GbkToCodePoints("\x80" "A"), std::u32string(U"\u20AC" "A"));
  // A lead byte whose pair does not convert, and one cut off at the end, each stand for
  // one damaged byte; the byte after the first is read afresh.
  EXPECT_EQ(GbkToCodePoints("\x81" "0x\xD6"), std::u32string(U"\uFFFD" "0x\uFFFD"));
  // A GB18030 four-byte sequence is not GBK: damage, then the digits it held.
  EXPECT_EQ(GbkToCodePoints("\x81\x30\x81\x30"), std::u32string(U"\uFFFD" "0\uFFFD" "0"));
  EXPECT_EQ(GbkToCodePoints("\xFF"), std::u32string(U"\uFFFD"));
  EXPECT_EQ(CodePointsToUtf8(GbkToCodePoints(gbk("宋体 €"))), "宋体 €");
}

TEST(Gbk, LeadByteTestAgreesWithTheConverter) {
  for (int b = 0x80; b <= 0xFF; ++b) {
    SCOPED_TRACE(b);
    if (!IsGbkLeadByte(uint8_t(b))) {
      // Not a lead byte: the byte after it is never swallowed.
      const std::u32string s = GbkToCodePoints(std::string{char(b), 'A'});
      ASSERT_EQ(s.size(), 2u);
      EXPECT_EQ(s[1], U'A');
      continue;
    }
    int pairs = 0;
    for (int t = 0x40; t <= 0xFE; ++t)
      pairs += GbkToCodePoints(std::string{char(b), char(t)}).size() == 1;
    EXPECT_GT(pairs, 0) << "a lead byte starts some two-byte character";
  }
}

TEST(Gbk, ExactConversionRefusesWhatGbkCannotHold) {
  EXPECT_EQ(Utf8ToGbkExact("主角 a"), gbk("主角 a"));
  EXPECT_EQ(Utf8ToGbkExact(""), "");
  EXPECT_FALSE(Utf8ToGbkExact("\xF0\x9F\x98\x80"));  // an emoji has no GBK form
  EXPECT_FALSE(Utf8ToGbkExact("x\xC3("));            // not UTF-8
}
