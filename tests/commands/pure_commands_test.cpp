// The commands that need nothing but the value runtime and the platform's files and
// clock: arithmetic, the random generator, texts, conversions, files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>

#include "command_test_support.h"
#include "platform/text.h"

namespace {

using namespace rt::commands;
using commands_test::Call;
using commands_test::StartHeadless;
using commands_test::TakeText;
using platform::gbk;
using rt::ArgAbsent;
using rt::ArgBool;
using rt::ArgDouble;
using rt::ArgInt;
using rt::ArgText;

double CallDouble(rt::CommandRoutine r, std::initializer_list<rt::ArgRecord> args) {
  const rt::ArgRecord result = Call(r, args);
  EXPECT_EQ(result.type, rt::kTypeDouble);
  return rt::AsDouble(result);
}
int32_t CallInt(rt::CommandRoutine r, std::initializer_list<rt::ArgRecord> args) {
  const rt::ArgRecord result = Call(r, args);
  EXPECT_EQ(result.type, rt::kTypeInt);
  return rt::AsInt(result);
}
void Seed(uint32_t seed) { Call(&SetRandomSeed, {ArgInt(int32_t(seed))}); }

class CommandsDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// ---- Mod and Abs --------------------------------------------------------------------

TEST(Mod, RemainderKeepsTheSignOfTheDividend) {
  EXPECT_EQ(CallDouble(&Mod, {ArgDouble(7), ArgDouble(4)}), 3.0);
  EXPECT_EQ(CallDouble(&Mod, {ArgDouble(-7), ArgDouble(4)}), -3.0);
  EXPECT_EQ(CallDouble(&Mod, {ArgDouble(7), ArgDouble(-4)}), 3.0);
  EXPECT_DOUBLE_EQ(CallDouble(&Mod, {ArgDouble(5.5), ArgDouble(2)}), 1.5);
  // Further divisors apply in turn: (100 mod 7) mod 3.
  EXPECT_EQ(CallDouble(&Mod, {ArgDouble(100), ArgDouble(7), ArgDouble(3)}), 2.0);
  // Integer records are numbers too.
  EXPECT_EQ(CallDouble(&Mod, {ArgInt(13), ArgInt(4)}), 1.0);
  EXPECT_EQ(CallDouble(&Mod, {ArgDouble(9)}), 9.0);
}

TEST_F(CommandsDeathTest, ModByZeroEndsTheProgramWithItsMessage) {
  const std::string message = platform::GbkToUtf8(gbk("错误信息：不能求余数于零"));
  EXPECT_EXIT(
      {
        StartHeadless();
        Call(&Mod, {ArgDouble(7), ArgDouble(0)});
      },
      ::testing::ExitedWithCode(255), message);
  // A zero among later divisors is reported as well.
  EXPECT_EXIT(
      {
        StartHeadless();
        Call(&Mod, {ArgDouble(7), ArgDouble(3), ArgDouble(-0.0)});
      },
      ::testing::ExitedWithCode(255), message);
}

TEST(Abs, NegativesFlip) {
  EXPECT_EQ(CallDouble(&Abs, {ArgDouble(-2.5)}), 2.5);
  EXPECT_EQ(CallDouble(&Abs, {ArgDouble(3)}), 3.0);
  EXPECT_EQ(CallDouble(&Abs, {ArgInt(-40)}), 40.0);
}

// ---- random numbers -------------------------------------------------------------------

TEST(Random, FirstDrawAfterSeedOne) {
  Seed(1);
  EXPECT_EQ(CallInt(&Random, {ArgInt(1), ArgInt(20)}), 2);  // r = 41, 1 + 41 mod 20
  EXPECT_EQ(rt::RandomState(), 2745024u);
}

TEST(Random, SequenceFollowsTheGenerator) {
  Seed(12345);
  uint32_t state = 12345;
  for (int i = 0; i < 100; ++i) {
    state = state * 214013u + 2531011u;
    const int32_t expected = 10 + int32_t((state >> 16) & 0x7FFF) % 91;
    ASSERT_EQ(CallInt(&Random, {ArgInt(10), ArgInt(100)}), expected) << "draw " << i;
  }
}

TEST(Random, EqualBoundsGiveTheBoundWithoutADraw) {
  Seed(1);
  EXPECT_EQ(CallInt(&Random, {ArgInt(7), ArgInt(7)}), 7);
  EXPECT_EQ(rt::RandomState(), 1u);
  EXPECT_EQ(CallInt(&Random, {ArgInt(-3), ArgInt(0)}), 0);  // both taken as 0
  EXPECT_EQ(rt::RandomState(), 1u);
}

TEST(Random, SwappedBoundsDrawTheSameAsOrderedOnes) {
  Seed(99);
  const int32_t ordered = CallInt(&Random, {ArgInt(1), ArgInt(20)});
  Seed(99);
  EXPECT_EQ(CallInt(&Random, {ArgInt(20), ArgInt(1)}), ordered);
}

TEST(Random, RangesAndDefaults) {
  Seed(7);
  bool sawZero = false, sawThree = false;
  for (int i = 0; i < 400; ++i) {
    const int32_t v = CallInt(&Random, {ArgInt(-5), ArgInt(3)});
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 3);
    sawZero |= v == 0;
    sawThree |= v == 3;
  }
  EXPECT_TRUE(sawZero && sawThree);
  // Without bounds: 0..2147483647, but the generator gives 15 bits only.
  Seed(1);
  EXPECT_EQ(CallInt(&Random, {}), 41);
  for (int i = 0; i < 1000; ++i) ASSERT_LE(CallInt(&Random, {ArgAbsent(), ArgAbsent()}), 32767);
  // An absent minimum is 0.
  Seed(1);
  EXPECT_EQ(CallInt(&Random, {ArgAbsent(), ArgInt(9)}), 41 % 10);
}

TEST(Random, StateBelongsToTheThread) {
  Seed(1);
  uint32_t other = 0;
  std::thread([&] { other = rt::RandomState(); }).join();
  EXPECT_EQ(other, 1u);
  Seed(5);
  std::thread([] { Seed(77); }).join();
  EXPECT_EQ(rt::RandomState(), 5u);
}

TEST(Random, SeedsFromTheClockDifferWithinOneMillisecond) {
  StartHeadless();  // the virtual clock stands still between the two calls
  Call(&SetRandomSeed, {});
  const uint32_t first = rt::RandomState();
  Call(&SetRandomSeed, {ArgAbsent()});
  const uint32_t second = rt::RandomState();
  EXPECT_NE(first, second);
  // The counter grew by the low byte of the first seed plus 100.
  EXPECT_EQ(second - first, (first & 255) + 100);
}

// ---- texts ---------------------------------------------------------------------------

TEST(Texts, LengthCountsBytes) {
  EXPECT_EQ(CallInt(&TextLength, {ArgText(gbk("主角a").c_str())}), 5);
  EXPECT_EQ(CallInt(&TextLength, {ArgText("")}), 0);
  EXPECT_EQ(CallInt(&TextLength, {ArgText(nullptr)}), 0);
}

TEST(Texts, LeftAndRightClampTheirCount) {
  EXPECT_EQ(TakeText(Call(&LeftText, {ArgText("abcdef"), ArgInt(2)})), "ab");
  EXPECT_EQ(TakeText(Call(&LeftText, {ArgText("abc"), ArgInt(10)})), "abc");
  EXPECT_EQ(rt::AsAddress(Call(&LeftText, {ArgText("abc"), ArgInt(0)})), nullptr);
  EXPECT_EQ(rt::AsAddress(Call(&LeftText, {ArgText("abc"), ArgInt(-1)})), nullptr);
  EXPECT_EQ(TakeText(Call(&RightText, {ArgText("abcdef"), ArgInt(2)})), "ef");
  EXPECT_EQ(TakeText(Call(&RightText, {ArgText("abc"), ArgInt(99)})), "abc");
  EXPECT_EQ(rt::AsAddress(Call(&RightText, {ArgText("abc"), ArgInt(-3)})), nullptr);
  EXPECT_EQ(rt::AsAddress(Call(&RightText, {ArgText(""), ArgInt(3)})), nullptr);
}

TEST(Texts, MidTextFromAStartForACount) {
  EXPECT_EQ(TakeText(Call(&MidText, {ArgText("abc"), ArgInt(3), ArgInt(5)})), "c");
  EXPECT_EQ(TakeText(Call(&MidText, {ArgText("abcdef"), ArgInt(2), ArgInt(3)})), "bcd");
  EXPECT_EQ(TakeText(Call(&MidText, {ArgText("abc"), ArgInt(4), ArgInt(5)})), "");
  EXPECT_EQ(TakeText(Call(&MidText, {ArgText("abc"), ArgInt(0), ArgInt(5)})), "");
  EXPECT_EQ(TakeText(Call(&MidText, {ArgText("abc"), ArgInt(1), ArgInt(0)})), "");
  EXPECT_EQ(TakeText(Call(&MidText, {ArgText("abc"), ArgInt(-2147483647 - 1), ArgInt(5)})), "");
}

int32_t FindLast(const std::string& s, const std::string& what, std::initializer_list<rt::ArgRecord> more = {}) {
  std::vector<rt::ArgRecord> args{ArgText(s.c_str()), ArgText(what.c_str())};
  args.insert(args.end(), more.begin(), more.end());
  rt::ArgRecord result;
  FindTextReverse(&result, int(args.size()), args.data());
  return rt::AsInt(result);
}

TEST(FindTextReverse, LastBackslashOfAPath) {
  EXPECT_EQ(FindLast("a\\b\\c.png", "\\"), 4);
  EXPECT_EQ(FindLast("abc.png", "\\"), -1);
  EXPECT_EQ(FindLast("abcabc", "bc"), 5);
  EXPECT_EQ(FindLast("ab", "abc"), -1);
}

TEST(FindTextReverse, SecondByteOfACharacterIsNeverABackslash) {
  // 0x81 0x5C is one two-byte character whose second byte looks like '\'.
  EXPECT_EQ(FindLast("a\\b\x81\x5C" "c", "\\"), 2);
  EXPECT_EQ(FindLast("\x81\x5C\x81\x5C", "\\"), -1);
  // A search for the character itself finds it as a unit.
  EXPECT_EQ(FindLast("x\x81\x5Cy\x81\x5C", "\x81\x5C"), 5);
  // A lead byte whose second byte is missing ends the walk without reading past it.
  EXPECT_EQ(FindLast("\\\x81", "\\"), 1);
}

TEST(FindTextReverse, StartLimitsTheRegion) {
  EXPECT_EQ(FindLast("a\\b\\c", "\\", {ArgInt(4)}), 2);   // first 3 bytes
  EXPECT_EQ(FindLast("a\\b\\c", "\\", {ArgInt(5)}), 4);   // first 4 bytes
  EXPECT_EQ(FindLast("a\\b\\c", "\\", {ArgInt(1)}), -1);  // nothing searched
  EXPECT_EQ(FindLast("a\\b\\c", "\\", {ArgInt(99)}), 4);  // beyond the end: everything
  EXPECT_EQ(FindLast("abcbc", "bc", {ArgInt(5)}), 2);     // the match must fit the region
  EXPECT_EQ(FindLast("a\\b\\c", "\\", {ArgAbsent()}), 4);
}

TEST(FindTextReverse, EmptyWhatAndIgnoredCase) {
  EXPECT_EQ(FindLast("abc", ""), 1);
  EXPECT_EQ(FindLast("", ""), -1);
  EXPECT_EQ(FindLast("abc", "", {ArgInt(1)}), -1);
  EXPECT_EQ(FindLast("A.PNG and a.png", ".png"), 12);
  EXPECT_EQ(FindLast("x.PNG", ".png"), -1);
  EXPECT_EQ(FindLast("x.PNG", ".png", {ArgAbsent(), ArgBool(true)}), 2);
  // Letters inside two-byte characters are not folded: 0x81 0x41 is not 0x81 0x61.
  EXPECT_EQ(FindLast("\x81\x41", "\x81\x61", {ArgAbsent(), ArgBool(true)}), -1);
  EXPECT_EQ(FindLast("\x81\x41", "\x81\x41", {ArgAbsent(), ArgBool(true)}), 1);
}

TEST(FindTextReverse, Bytes80AndFFAreCharactersOfTheirOwn) {
  // Neither starts a two-byte character, so the byte after them is searched like any other.
  EXPECT_EQ(FindLast("a\x80\\b", "\\"), 3);
  EXPECT_EQ(FindLast("a\xFF\\b", "\\"), 3);
  EXPECT_EQ(FindLast("\x80\\\x80\\", "\\"), 4);
  // Case folding reaches the letter after 0x80 but not the second byte of a real pair.
  EXPECT_EQ(FindLast("x\x80" "A", "\x80" "a", {ArgAbsent(), ArgBool(true)}), 2);
  EXPECT_EQ(FindLast("x\x81" "A", "\x81" "a", {ArgAbsent(), ArgBool(true)}), -1);
  // Slicing counts bytes whatever they are.
  EXPECT_EQ(TakeText(Call(&LeftText, {ArgText("\x80" "A"), ArgInt(1)})), "\x80");
  EXPECT_EQ(TakeText(Call(&MidText, {ArgText("\x80" "AB"), ArgInt(2), ArgInt(1)})), "A");
}

// ---- conversions ----------------------------------------------------------------------

TEST(ToInt, TextsWithFullWidthCharacters) {
  const std::string fullWidth = gbk("１２") + "3";
  EXPECT_EQ(CallInt(&ToInt, {ArgText(fullWidth.c_str())}), 123);
  EXPECT_EQ(CallInt(&ToInt, {ArgText(gbk("　－４５").c_str())}), -45);  // full-width blank and minus
  EXPECT_EQ(CallInt(&ToInt, {ArgText("12abc")}), 12);
  EXPECT_EQ(CallInt(&ToInt, {ArgText("abc")}), 0);
  EXPECT_EQ(CallInt(&ToInt, {ArgText("  +7")}), 7);
  EXPECT_EQ(CallInt(&ToInt, {ArgText("")}), 0);
  EXPECT_EQ(CallInt(&ToInt, {ArgText(gbk("4个").c_str())}), 4);
  EXPECT_EQ(CallInt(&ToInt, {ArgText("99999999999")}), 2147483647);
  EXPECT_EQ(CallInt(&ToInt, {ArgText("-2147483648")}), -2147483647 - 1);
  EXPECT_EQ(CallInt(&ToInt, {ArgText("5\xA3")}), 5);  // a lone lead byte at the end
}

TEST(ToInt, NumbersByTheirType) {
  EXPECT_EQ(CallInt(&ToInt, {ArgDouble(-2.9)}), -2);
  EXPECT_EQ(CallInt(&ToInt, {rt::ArgFloat(3.99f)}), 3);
  EXPECT_EQ(CallInt(&ToInt, {rt::ArgByte(250)}), 250);
  EXPECT_EQ(CallInt(&ToInt, {rt::ArgShort(-300)}), -300);
  EXPECT_EQ(CallInt(&ToInt, {rt::ArgInt64(0x100000005LL)}), 5);  // low 32 bits
  EXPECT_EQ(CallInt(&ToInt, {ArgBool(true)}), 1);
  EXPECT_EQ(CallInt(&ToInt, {rt::ArgDateTime(3.5)}), 0);
  EXPECT_EQ(CallInt(&ToInt, {ArgAbsent()}), 0);
  EXPECT_EQ(CallInt(&ToInt, {ArgDouble(1e20)}), 2147483647);
  EXPECT_EQ(CallInt(&ToInt, {ArgDouble(std::nan(""))}), 0);
}

std::string ToTextOf(const rt::ArgRecord& a) { return TakeText(Call(&ToText, {a})); }

TEST(ToText, NumbersAndBools) {
  EXPECT_EQ(ToTextOf(ArgDouble(2.5)), "2.5");
  EXPECT_EQ(ToTextOf(ArgDouble(0.1 + 0.2)), "0.3");
  EXPECT_EQ(ToTextOf(ArgDouble(1.0 / 3)), "0.3333333333333");
  EXPECT_EQ(ToTextOf(ArgDouble(1e20)), "1e+20");
  EXPECT_EQ(ToTextOf(ArgInt(-7)), "-7");
  EXPECT_EQ(ToTextOf(rt::ArgByte(255)), "255");
  EXPECT_EQ(ToTextOf(rt::ArgShort(-32768)), "-32768");
  EXPECT_EQ(ToTextOf(rt::ArgInt64(-9000000000LL)), "-9000000000");
  EXPECT_EQ(ToTextOf(rt::ArgFloat(1.1f)), "1.1");
  EXPECT_EQ(ToTextOf(ArgBool(true)), gbk("真"));
  EXPECT_EQ(ToTextOf(ArgBool(false)), gbk("假"));
  EXPECT_EQ(rt::AsAddress(Call(&ToText, {ArgAbsent()})), nullptr);
}

TEST(ToText, DateTimesShowOnlyTheTimeThatIsThere) {
  EXPECT_EQ(ToTextOf(rt::ArgDateTime(45000)), gbk("2023年3月15日"));
  EXPECT_EQ(ToTextOf(rt::ArgDateTime(45000.5)), gbk("2023年3月15日12时"));
  EXPECT_EQ(ToTextOf(rt::ArgDateTime(45000 + (12 * 60 + 30) / 1440.0)), gbk("2023年3月15日12时30分"));
  EXPECT_EQ(ToTextOf(rt::ArgDateTime(45000 + 5.0 / 86400)), gbk("2023年3月15日0时0分5秒"));
  EXPECT_EQ(ToTextOf(rt::ArgDateTime(1e12)), gbk("9999年12月31日"));
}

TEST(ToText, TextsByteSetsAndArrays) {
  EXPECT_EQ(ToTextOf(ArgText(gbk("怪物").c_str())), gbk("怪物"));
  const uint8_t bytes[] = {'h', 'i', 0, 'x'};
  void* set = rt::MakeBytes(bytes);
  EXPECT_EQ(ToTextOf(rt::ArgBytes(set)), "hi");
  rt::Free(set);
  const uint8_t noZero[] = {'o', 'k'};
  set = rt::MakeBytes(noZero);
  EXPECT_EQ(ToTextOf(rt::ArgBytes(set)), "ok");
  rt::Free(set);
  EXPECT_EQ(ToTextOf(rt::ArgBytes(nullptr)), "");
  // An array of numbers gives its raw bytes; other arrays give nothing.
  void* ints = rt::NewArray(2, 4);
  rt::At<int32_t>(ints, 1) = 0x00434241;  // "ABC" and a zero in little-endian order
  EXPECT_EQ(ToTextOf(rt::ArgArray(ints, rt::kTypeInt)), "ABC");
  EXPECT_EQ(ToTextOf(rt::ArgArray(ints, rt::kTypeText)), "");
  rt::Free(ints);
  EXPECT_EQ(ToTextOf(rt::ArgArray(nullptr, rt::kTypeInt)), "");
}

// ---- program folder and files ------------------------------------------------------------

TEST(Files, RunDirectoryIsTheRecordedFolderWithoutSeparator) {
  rt::SetRunDirectory(gbk("/games/托尔瓦兰/"));
  EXPECT_EQ(TakeText(Call(&RunDirectory, {})), gbk("/games/托尔瓦兰"));
  rt::SetRunDirectory("/games/tolvaran");
  EXPECT_EQ(TakeText(Call(&RunDirectory, {})), "/games/tolvaran");
}

class ReadFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvaran-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    for (const std::string& f : files_) std::remove(f.c_str());
    rmdir(folder_.c_str());
  }
  // Writes a file named by a UTF-8 name and returns the game's GBK path to it.
  std::string Write(const std::string& utf8Name, const std::string& content) {
    const std::string path = folder_ + "/" + utf8Name;
    std::ofstream(path, std::ios::binary) << content;
    files_.push_back(path);
    return gbk(folder_) + "\\" + gbk(utf8Name);
  }
  std::string folder_;
  std::vector<std::string> files_;
};

TEST_F(ReadFile, WholeFileThroughAGbkPath) {
  const std::string path = Write("血条.png", std::string("\x89PNG\0\x01", 6));
  const rt::ArgRecord r = Call(&ReadFileBytes, {ArgText(path.c_str())});
  EXPECT_EQ(r.type, rt::kTypeBytes);
  EXPECT_THAT(rt::BytesView(rt::AsAddress(r)), ::testing::ElementsAre(0x89, 'P', 'N', 'G', 0, 1));
  rt::Free(rt::AsAddress(r));
}

TEST_F(ReadFile, MissingEmptyAndUnnamedFilesGiveTheEmptyByteSet) {
  const std::string empty = Write("empty.bin", "");
  EXPECT_EQ(rt::AsAddress(Call(&ReadFileBytes, {ArgText(empty.c_str())})), nullptr);
  const std::string missing = gbk(folder_) + "\\nothing.png";
  EXPECT_EQ(rt::AsAddress(Call(&ReadFileBytes, {ArgText(missing.c_str())})), nullptr);
  EXPECT_EQ(rt::AsAddress(Call(&ReadFileBytes, {ArgText("")})), nullptr);
  EXPECT_EQ(rt::AsAddress(Call(&ReadFileBytes, {ArgText(folder_.c_str())})), nullptr);  // a folder
}

}  // namespace
