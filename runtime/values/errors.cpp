// The runtime error report: one modal box, then the end of the program with exit code
// -1. The registered cleanup is deliberately not run: state may be half-changed when an
// error strikes, and releasing it could fault on top of the reported error.
#include <atomic>
#include <string>

#include "platform/process.h"
#include "platform/text.h"
#include "runtime/values/values.h"

namespace rt {
namespace {

ErrorHooks g_hooks;
// An error raised while the report of another one is on screen (the box pumps nothing
// of ours, but a hook might) must not stack a second box; it ends the process at once.
std::atomic<bool> g_reporting{false};

// Messages of the error codes, in UTF-8 here and converted once when first needed.
constexpr const char* kCodeMessages[] = {
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};
constexpr int kCodeCount = int(sizeof(kCodeMessages) / sizeof(kCodeMessages[0]));

[[noreturn]] void Report(int code, std::string_view gbkMessage) {
  if (g_reporting.exchange(true)) platform::ExitProcess(-1);
  if (g_hooks.incrementExitCounter) g_hooks.incrementExitCounter();
  const std::string text = ComposeErrorReport(code, gbkMessage);
  platform::MessageBox(0, platform::GbkToUtf8(text), "错误", platform::MB_ICONERROR);
  if (g_hooks.forgetCleanup) g_hooks.forgetCleanup();
  if (g_hooks.endProgram) g_hooks.endProgram(-1);
  platform::ExitProcess(-1);
}

}  // namespace

std::string ErrorCodeMessage(int code) {
  if (code < 1 || code > kCodeCount) return {};
  return platform::gbk(kCodeMessages[code - 1]);
}

// Line breaks are single '\n': the box is ours, and the headless host prints the text
// as it stands.
std::string ComposeErrorReport(int code, std::string_view gbkMessage) {
  static const std::string header = platform::gbk("运行时出错!");
  static const std::string codeLabel = platform::gbk("错误代码：");
  static const std::string messageLabel = platform::gbk("错误信息：");
  std::string text = header + "\n\n";
  if (code != 0) text += codeLabel + std::to_string(code) + "\n\n";
  if (!gbkMessage.empty()) {
    text += messageLabel;
    text += gbkMessage;
    text += '\n';
  }
  return text;
}

void RuntimeError(int code) { Report(code, ErrorCodeMessage(code)); }

void RuntimeErrorMessage(std::string_view gbkMessage) { Report(0, gbkMessage); }

void SetErrorHooks(const ErrorHooks& hooks) { g_hooks = hooks; }

}  // namespace rt
