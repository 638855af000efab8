// The runtime error report: its exact text, and the end of the program it causes, seen
// from a child process (the headless host prints the box as "caption: text").
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>

#include "platform/host.h"
#include "platform/process.h"
#include "platform/text.h"
#include "runtime/values/values.h"

namespace {

using platform::gbk;

std::string Escaped(const std::string& utf8) {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  return std::regex_replace(utf8, special, R"(\$&)");
}

// What the headless box prints for a report, as a regex.
std::string BoxPattern(int code, const std::string& gbkMessage) {
  return Escaped("错误: " + platform::GbkToUtf8(rt::ComposeErrorReport(code, gbkMessage)));
}

class RuntimeErrorTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  static void StartHeadless() {
    platform::HostOptions options;
    options.headless = true;
    platform::ResetForTesting(options);
  }
};

TEST_F(RuntimeErrorTest, ReportTextWithCodeAndMessage) {
  const std::string expected = gbk("运行时出错!\n\n错误代码：1\n\n错误信息：数组成员引用下标超出定义范围\n");
  EXPECT_EQ(rt::ComposeErrorReport(1, rt::ErrorCodeMessage(1)), expected);
}

TEST_F(RuntimeErrorTest, ReportTextWithoutCodeOrWithoutMessage) {
  EXPECT_EQ(rt::ComposeErrorReport(0, gbk("不能求余数于零")), gbk("运行时出错!\n\n错误信息：不能求余数于零\n"));
  EXPECT_EQ(rt::ComposeErrorReport(42, ""), gbk("运行时出错!\n\n错误代码：42\n\n"));
}

TEST_F(RuntimeErrorTest, EveryCodeHasItsOwnMessage) {
  EXPECT_EQ(rt::ErrorCodeMessage(4), gbk("数组成员引用下标必须大于等于1"));
  EXPECT_EQ(rt::ErrorCodeMessage(10), gbk("“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零"));
  EXPECT_EQ(rt::ErrorCodeMessage(11), gbk("所提供参数的数据类型不符合要求"));
  EXPECT_EQ(rt::ErrorCodeMessage(0), "");
  EXPECT_EQ(rt::ErrorCodeMessage(12), "");
}

TEST_F(RuntimeErrorTest, CodeShowsBoxAndExitsWithMinusOne) {
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::RuntimeError(1);
      },
      ::testing::ExitedWithCode(255), BoxPattern(1, rt::ErrorCodeMessage(1)));
}

TEST_F(RuntimeErrorTest, ComponentMessageShowsWithoutCode) {
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::RuntimeErrorMessage(gbk("指定窗口或窗口组件不存在或尚未载入"));
      },
      ::testing::ExitedWithCode(255), BoxPattern(0, gbk("指定窗口或窗口组件不存在或尚未载入")));
}

// The hooks run in order: exit counter, (box), cleanup forgotten, then the orderly end,
// which decides the exit code itself.
void CountExit() { std::fputs("[counter]", stderr); }
void ForgetCleanup() { std::fputs("[forget]", stderr); }
[[noreturn]] void EndProgram(int code) {
  std::fprintf(stderr, "[end %d]", code);
  std::fflush(stderr);
  std::_Exit(77);
}

TEST_F(RuntimeErrorTest, HooksRunInOrderAroundTheBox) {
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::SetErrorHooks({&CountExit, &ForgetCleanup, &EndProgram});
        rt::RuntimeError(4);
      },
      ::testing::ExitedWithCode(77), "\\[counter\\][^[]*" + BoxPattern(4, rt::ErrorCodeMessage(4)) + "[^[]*\\[forget\\]\\[end -1\\]");
}

TEST_F(RuntimeErrorTest, AllocationFailureNamesTheSizeAndHasNoCode) {
  static const rt::HeapFunctions failing{[](size_t) -> void* { return nullptr; },
                                         [](void*, size_t) -> void* { return nullptr; }, &std::free};
  const std::string message = gbk("分配 1000 字节内存失败!");
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::SetHeapForTesting(&failing);
        rt::Allocate(1000);
      },
      ::testing::ExitedWithCode(255), BoxPattern(0, message));
  // Growing a block fails the same way, with the new size.
  EXPECT_EXIT(
      {
        StartHeadless();
        void* block = rt::Allocate(8);
        rt::SetHeapForTesting(&failing);
        rt::Resize(block, 1000);
      },
      ::testing::ExitedWithCode(255), BoxPattern(0, message));
}

TEST_F(RuntimeErrorTest, AbsurdAllocationIsReportedNotCrashed) {
  EXPECT_EXIT(
      {
        StartHeadless();
        rt::Allocate(~size_t(0) - 64);
      },
      ::testing::ExitedWithCode(255), Escaped(platform::GbkToUtf8(gbk("错误信息：分配 "))) + "[0-9]+");
}

}  // namespace
