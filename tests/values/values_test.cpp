// Texts, byte sets, checked arrays, the heap's constant ranges, argument records and
// conversions of the value runtime.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/host.h"
#include "platform/text.h"
#include "runtime/forms/label.h"
#include "runtime/values/values.h"

namespace {

using platform::gbk;
using ::testing::ElementsAre;

std::string IndexError(int code) {
  // The report's code line is enough to tell the two index errors apart.
  return "\n" + platform::GbkToUtf8(gbk("错误代码：")) + std::to_string(code) + "\n";
}

class ValuesDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  static void StartHeadless() {
    platform::HostOptions options;
    options.headless = true;
    platform::ResetForTesting(options);
  }
};

// ---- texts -----------------------------------------------------------------------------

TEST(Texts, EmptySourceMakesNullAndOthersAFreshCopy) {
  EXPECT_EQ(rt::MakeText(""), nullptr);
  EXPECT_EQ(rt::MakeText(std::string_view("\0abc", 4)), nullptr);  // ends at its first zero
  const std::string source = gbk("主角");
  char* t = rt::MakeText(source);
  ASSERT_NE(t, nullptr);
  EXPECT_NE(t, source.data());
  EXPECT_EQ(rt::TextLength(t), 4u);  // two GBK characters, two bytes each
  EXPECT_EQ(rt::TextView(t), source);
  rt::Free(t);
  EXPECT_EQ(rt::TextLength(nullptr), 0u);
}

TEST(Texts, ConcatenationTreatsNullAsEmptyAndAlwaysMakesABlock) {
  char* empty = rt::ConcatTexts({nullptr, ""});
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], '\0');
  rt::Free(empty);
  char* path = rt::ConcatTexts({"/folder", nullptr, gbk("\\图片集合\\").c_str(), "a.png"});
  EXPECT_EQ(rt::TextView(path), "/folder" + gbk("\\图片集合\\") + "a.png");
  rt::Free(path);
}

TEST(Texts, GbkAndUtf8RoundTrip) {
  const std::string utf8 = "运行时出错! 错误代码：1 “多项选择”";
  const std::string g = gbk(utf8);
  EXPECT_NE(g, utf8);
  EXPECT_EQ(g.size(), 36u);  // 16 two-byte characters (quotes included) and 4 ASCII bytes
  EXPECT_EQ(platform::GbkToUtf8(g), utf8);
}

// ---- byte sets -------------------------------------------------------------------------

TEST(ByteSets, LayoutIsOneDimensionThenLengthThenBytes) {
  const std::vector<uint8_t> data{'R', 'I', 'F', 'F', 0, 7};
  void* set = rt::MakeBytes(data);
  ASSERT_NE(set, nullptr);
  int32_t header[2];
  std::memcpy(header, set, 8);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[1], 6);
  EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(set) + 8, data.data(), 6), 0);
  EXPECT_THAT(rt::BytesView(set), ElementsAre('R', 'I', 'F', 'F', 0, 7));
  EXPECT_EQ(rt::ElementCount(set), 6u);  // a byte set is an array of bytes
  rt::Free(set);
}

TEST(ByteSets, EmptyIsNullAndMalformedBlocksReadAsEmpty) {
  EXPECT_EQ(rt::MakeBytes({}), nullptr);
  EXPECT_TRUE(rt::BytesView(nullptr).empty());
  const int32_t twoDims[] = {2, 3, 4, 0, 0, 0};
  EXPECT_TRUE(rt::BytesView(twoDims).empty());
  const int32_t negative[] = {1, -5};
  EXPECT_TRUE(rt::BytesView(negative).empty());
}

// ---- arrays ----------------------------------------------------------------------------

TEST(Arrays, NewArrayIsZeroFilledWithItsDimensions) {
  const int32_t dims[] = {2, 3};
  void* a = rt::NewArray(dims, sizeof(int32_t));
  int32_t header[3];
  std::memcpy(header, a, sizeof header);
  EXPECT_THAT(header, ElementsAre(2, 2, 3));
  void* first = nullptr;
  EXPECT_EQ(rt::ElementCount(a, &first), 6u);
  EXPECT_EQ(first, static_cast<uint8_t*>(a) + 12);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(rt::At<int32_t>(a, i), 0);
  // Two dimensions are reached through the flattened element number.
  rt::At<int32_t>(a, 6) = 99;
  EXPECT_EQ(static_cast<int32_t*>(first)[5], 99);
  rt::Free(a);
}

TEST(Arrays, CountOfNullAndOfNoDimensionsIsZero) {
  void* first = reinterpret_cast<void*>(1);
  EXPECT_EQ(rt::ElementCount(nullptr, &first), 0u);
  EXPECT_EQ(first, nullptr);
  const int32_t none[] = {0};
  EXPECT_EQ(rt::ElementCount(none), 0u);
  const int32_t damaged[] = {2, 4, -1};
  EXPECT_EQ(rt::ElementCount(damaged), 0u);
}

TEST(Arrays, TextElementsAreAddressSized) {
  EXPECT_EQ(rt::ElementSizeOf(rt::kTypeText), sizeof(void*));
  EXPECT_EQ(rt::ElementSizeOf(rt::kTypeBytes), sizeof(void*));
  EXPECT_EQ(rt::ElementSizeOf(rt::kTypeInt | rt::kTypeArrayFlag), sizeof(void*));
  EXPECT_EQ(rt::ElementSizeOf(rt::kTypeShort), 2u);
  EXPECT_EQ(rt::ElementSizeOf(rt::kTypeDateTime), 8u);
  void* names = rt::NewArray(2, rt::kAddressSize);
  rt::At<char*>(names, 2) = rt::MakeText("b");
  EXPECT_EQ(rt::At<char*>(names, 1), nullptr);
  EXPECT_STREQ(rt::At<char*>(names, 2), "b");
  rt::Free(rt::At<char*>(names, 2));
  rt::Free(names);
}

TEST(Arrays, AppendGrowsAListOneRecordAtATime) {
  void* list = nullptr;
  for (int32_t v = 10; v <= 50; v += 10) rt::AppendElement(&list, &v, sizeof v);
  ASSERT_EQ(rt::ElementCount(list), 5u);
  EXPECT_EQ(rt::At<int32_t>(list, 1), 10);
  EXPECT_EQ(rt::At<int32_t>(list, 5), 50);
  // Removing entries moves the later ones up and shortens the list.
  rt::RemoveElements(&list, 2, 2, sizeof(int32_t));
  ASSERT_EQ(rt::ElementCount(list), 3u);
  EXPECT_EQ(rt::At<int32_t>(list, 2), 40);
  rt::RemoveElements(&list, 3, 10, sizeof(int32_t));  // count cut at the end
  EXPECT_EQ(rt::ElementCount(list), 2u);
  int32_t header[2];
  std::memcpy(header, list, 8);
  EXPECT_THAT(header, ElementsAre(1, 2));
  rt::Free(list);
}

TEST(Arrays, AppendFlattensAMultiDimensionalArray) {
  const int32_t dims[] = {2, 2};
  void* a = rt::NewArray(dims, sizeof(int32_t));
  rt::At<int32_t>(a, 4) = 4;
  const int32_t five = 5;
  rt::AppendElement(&a, &five, sizeof five);
  int32_t header[2];
  std::memcpy(header, a, 8);
  EXPECT_THAT(header, ElementsAre(1, 5));
  EXPECT_EQ(rt::At<int32_t>(a, 4), 4);
  EXPECT_EQ(rt::At<int32_t>(a, 5), 5);
  rt::Free(a);
}

TEST(Arrays, RedefineKeepsOrDropsContents) {
  void* a = rt::NewArray(3, sizeof(int32_t));
  rt::At<int32_t>(a, 1) = 7;
  rt::At<int32_t>(a, 3) = 9;
  rt::RedefineArray(&a, 5, sizeof(int32_t), true);
  ASSERT_EQ(rt::ElementCount(a), 5u);
  EXPECT_EQ(rt::At<int32_t>(a, 1), 7);
  EXPECT_EQ(rt::At<int32_t>(a, 3), 9);
  EXPECT_EQ(rt::At<int32_t>(a, 5), 0);
  rt::RedefineArray(&a, 2, sizeof(int32_t));
  ASSERT_EQ(rt::ElementCount(a), 2u);
  EXPECT_EQ(rt::At<int32_t>(a, 1), 0);
  rt::RedefineArray(&a, 0, sizeof(int32_t));
  EXPECT_EQ(rt::ElementCount(a), 0u);
  rt::Free(a);
}

TEST_F(ValuesDeathTest, IndexBelowOneIsCode4AndPastTheEndIsCode1) {
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::ElementAt(rt::NewArray(3, 4), 0, 4);
      },
      ::testing::ExitedWithCode(255), IndexError(4));
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::ElementAt(rt::NewArray(3, 4), 4, 4);
      },
      ::testing::ExitedWithCode(255), IndexError(1));
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::ElementAt(rt::NewArray(3, 4), -2147483648LL, 4);
      },
      ::testing::ExitedWithCode(255), IndexError(4));
}

TEST_F(ValuesDeathTest, NullArrayHasNoElements) {
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::ElementAt(nullptr, 1, 4);
      },
      ::testing::ExitedWithCode(255), IndexError(1));
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::ElementAt(nullptr, 0, 4);
      },
      ::testing::ExitedWithCode(255), IndexError(4));
}

TEST_F(ValuesDeathTest, NegativeSizeIsCode10) {
  EXPECT_EXIT(
      {
        StartHeadless();
        void* a = nullptr;
        rt::RedefineArray(&a, -1, 4);
      },
      ::testing::ExitedWithCode(255), IndexError(10));
  EXPECT_EXIT(
      {
        StartHeadless();
        void* list = nullptr;
        rt::RemoveElements(&list, 1, 1, 4);
      },
      ::testing::ExitedWithCode(255), IndexError(1));
}

// ---- heap and constant data -------------------------------------------------------------

// A heap that counts what reaches it.
int g_releases = 0;
const rt::HeapFunctions kCountingHeap{&std::malloc, &std::realloc, [](void* p) {
                                        ++g_releases;
                                        std::free(p);
                                      }};

class Heap : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::SetHeapForTesting(&kCountingHeap);
    g_releases = 0;
    rt::RegisterConstantRange(constants_, constants_ + sizeof constants_);
  }
  void TearDown() override {
    rt::ClearConstantRangesForTesting();
    rt::SetHeapForTesting(nullptr);
  }
  // 12 bytes of "constant data" at the end of their range, then a constant array.
  alignas(8) uint8_t constants_[12 + 20] = {'c', 'o', 'n', 's', 't', 'a', 'n', 't', 't', 'e', 'x', 0,
                                            1, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
};

TEST_F(Heap, FreeIgnoresNullAndConstants) {
  rt::Free(nullptr);
  rt::Free(constants_);
  rt::Free(constants_ + 5);
  EXPECT_EQ(g_releases, 0);
  EXPECT_TRUE(rt::IsConstant(constants_ + 31));
  EXPECT_FALSE(rt::IsConstant(constants_ + 32));
  rt::Free(rt::Allocate(4));
  EXPECT_EQ(g_releases, 1);
}

TEST_F(Heap, ResizeOfAConstantBlockCopiesWhatTheRangeHolds) {
  uint8_t* tail = constants_ + 20;  // 12 bytes before the range ends
  auto* grown = static_cast<uint8_t*>(rt::Resize(tail, 100));
  ASSERT_NE(grown, tail);
  EXPECT_EQ(std::memcmp(grown, tail, 12), 0);
  EXPECT_EQ(constants_[20], 1);  // the constant stays as it was
  auto* shrunk = static_cast<uint8_t*>(rt::Resize(constants_, 4));
  EXPECT_EQ(std::memcmp(shrunk, "cons", 4), 0);
  rt::Free(grown);
  rt::Free(shrunk);
  EXPECT_EQ(g_releases, 2);
}

TEST_F(Heap, ResizeKeepsContentsOfHeapBlocks) {
  auto* p = static_cast<char*>(rt::Resize(nullptr, 6));
  std::memcpy(p, "hello", 6);
  p = static_cast<char*>(rt::Resize(p, 4096));
  EXPECT_STREQ(p, "hello");
  rt::Free(p);
}

TEST_F(Heap, MakeArrayWritableCopiesOnlyConstantArrays) {
  void* var = constants_ + 12;
  EXPECT_EQ(rt::ElementCount(var), 3u);
  rt::MakeArrayWritable(sizeof(int32_t), &var);
  ASSERT_NE(var, constants_ + 12);
  EXPECT_FALSE(rt::IsConstant(var));
  EXPECT_EQ(rt::At<int32_t>(var, 3), 3);
  rt::At<int32_t>(var, 3) = 30;
  EXPECT_EQ(constants_[28], 3);
  void* same = var;
  rt::MakeArrayWritable(sizeof(int32_t), &var);
  EXPECT_EQ(var, same);
  rt::Free(var);
}

TEST_F(Heap, ListChangesLeaveConstantArraysAlone) {
  void* var = constants_ + 12;
  const int32_t four = 4;
  rt::AppendElement(&var, &four, sizeof four);
  EXPECT_EQ(rt::ElementCount(var), 4u);
  EXPECT_EQ(rt::At<int32_t>(var, 4), 4);
  EXPECT_EQ(constants_[16], 3);  // the constant's count is unchanged
  rt::Free(var);
  void* other = constants_ + 12;
  rt::RemoveElements(&other, 1, 1, sizeof(int32_t));
  EXPECT_FALSE(rt::IsConstant(other));
  EXPECT_EQ(rt::At<int32_t>(other, 1), 2);
  EXPECT_EQ(constants_[20], 1);
  rt::Free(other);
}

// ---- records and conversions -------------------------------------------------------------

TEST(Records, ValuesTravelInTheirHalves) {
  EXPECT_EQ(rt::ArgInt(-1).value, 0xFFFFFFFFu);
  EXPECT_EQ(rt::AsInt(rt::ArgInt(-7)), -7);
  EXPECT_EQ(rt::AsDouble(rt::ArgDouble(-2.5)), -2.5);
  const rt::ArgRecord ref = rt::ArgComponent(0x52010001, 7, rt::kLabelTypeCode);
  EXPECT_EQ(ref.Low(), 0x52010001u);
  EXPECT_EQ(ref.High(), 7u);
  EXPECT_EQ(ref.type, rt::kLabelTypeCode);
  EXPECT_FALSE(rt::Present(rt::ArgAbsent()));
  EXPECT_STREQ(rt::AsText(rt::ArgText(nullptr)), "");
}

TEST(Records, NumbersConvertByTheirType) {
  EXPECT_EQ(rt::NumberArg(rt::ArgByte(200)), 200.0);
  EXPECT_EQ(rt::NumberArg(rt::ArgShort(-3)), -3.0);
  EXPECT_EQ(rt::NumberArg(rt::ArgFloat(1.5f)), 1.5);
  EXPECT_EQ(rt::NumberArg(rt::ArgInt64(-5000000000LL)), -5e9);
  EXPECT_EQ(rt::NumberArg(rt::ArgAbsent()), 0.0);
  EXPECT_EQ(rt::IntArg(rt::ArgDouble(-2.7)), -2);
  EXPECT_EQ(rt::IntArg(rt::ArgDouble(1e12)), 2147483647);
}

TEST_F(ValuesDeathTest, ATextWhereANumberIsNeededIsReported) {
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::NumberArg(rt::ArgText("12"));
      },
      ::testing::ExitedWithCode(255), platform::GbkToUtf8(gbk("欲转换数据类型不是数值")));
}

void EchoSecond(rt::ArgRecord* result, int argc, rt::ArgRecord* args) {
  EXPECT_EQ(result->value, 0u);  // zeroed before the call
  EXPECT_EQ(result->type, 0u);
  *result = argc > 1 ? args[1] : rt::ArgInt(-1);
}

TEST(Records, CallCommandPassesRecordsInOrder) {
  EXPECT_EQ(rt::AsInt(rt::CallCommand(&EchoSecond, {rt::ArgInt(1), rt::ArgInt(2)})), 2);
  EXPECT_EQ(rt::AsInt(rt::CallCommand(&EchoSecond, {})), -1);
}

TEST(Conversions, DoubleToIntTruncatesTowardZero) {
  EXPECT_EQ(rt::DoubleToInt(-2.7), -2);
  EXPECT_EQ(rt::DoubleToInt(2.9999), 2);
  EXPECT_EQ(rt::DoubleToInt(-0.5), 0);
  EXPECT_EQ(rt::DoubleToInt(1e300), INT64_MAX);
  EXPECT_EQ(rt::DoubleToInt(-1e300), INT64_MIN);
  EXPECT_EQ(rt::DoubleToInt(std::nan("")), 0);
}

TEST(Conversions, DateTimeCountsDaysFrom1899) {
  auto parts = [](double d) {
    const rt::DateTimeParts p = rt::SplitDateTime(d);
    return std::vector<int>{p.year, p.month, p.day, p.hour, p.minute, p.second};
  };
  EXPECT_THAT(parts(0), ElementsAre(1899, 12, 30, 0, 0, 0));
  EXPECT_THAT(parts(2), ElementsAre(1900, 1, 1, 0, 0, 0));
  EXPECT_THAT(parts(45000.5), ElementsAre(2023, 3, 15, 12, 0, 0));
  EXPECT_THAT(parts(-1.25), ElementsAre(1899, 12, 29, 6, 0, 0));
  EXPECT_THAT(parts(1e9), ElementsAre(9999, 12, 31, 0, 0, 0));
  EXPECT_THAT(parts(-1e9), ElementsAre(100, 1, 1, 0, 0, 0));
  EXPECT_THAT(parts(0.99999999), ElementsAre(1899, 12, 31, 0, 0, 0));  // rounds to midnight
  const rt::DateTimeParts p{2026, 12, 7, 23, 5, 9};
  EXPECT_THAT(parts(rt::MakeDateTime(p)), ElementsAre(2026, 12, 7, 23, 5, 9));
}

}  // namespace
