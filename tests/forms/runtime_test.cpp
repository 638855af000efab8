// The form runtime end to end on the builder-made test form, on the headless desktop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "platform/host.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/timer.h"
#include "runtime/values/values.h"
#include "forms_test_form.h"
#include "test_program.h"

namespace formtest {
namespace {

using ::testing::ElementsAre;

TEST_F(FormTest, ComponentsAreCreatedFromTheLastRecordBackAndStackedInStoredOrder) {
  Load();
  // Child numbers count up from 100 in creation order: the last record first.
  EXPECT_EQ(platform::GetChildId(Hwnd(kHiddenLabel)), 100);
  EXPECT_EQ(platform::GetChildId(Hwnd(kStoppedTimer)), 110);
  EXPECT_EQ(platform::GetChildId(Hwnd(kLink)), 160);
  // Record 1 on top, every later record directly below the one before it.
  EXPECT_THAT(platform::GetChildren(rt::FormWindow(kWindow)),
              ElementsAre(Hwnd(kHiddenLabel), Hwnd(kStoppedTimer), Hwnd(kFastTimer),
                          Hwnd(kProbeB), Hwnd(kProbeA), Hwnd(kLabel), Hwnd(kLink)));
}

TEST_F(FormTest, CreatedAndEvents3And4RunBeforeTheWindowIsShownThenTheFocusedUnitGetsFocus) {
  Load();
  EXPECT_THAT(TheLog().order, ElementsAre("Created", "Event3", "Event4", "GotFocus"));
  EXPECT_FALSE(TheLog().formVisibleInCreated);
  EXPECT_EQ(TheLog().labelWidthInCreated, 248);  // the live size, already in Created
  EXPECT_TRUE(platform::IsWindowVisible(rt::FormWindow(kWindow)));
  EXPECT_EQ(platform::GetFocus(), Hwnd(kProbeA));  // the first tab stop
}

TEST_F(FormTest, VisibleFlagsDecideWhichComponentsAreShownAndTimersNeverAre) {
  Load();
  EXPECT_TRUE(platform::IsWindowVisible(Hwnd(kLabel)));
  EXPECT_FALSE(platform::IsWindowVisible(Hwnd(kHiddenLabel)));
  EXPECT_FALSE(platform::IsWindowVisible(Hwnd(kFastTimer)));
  EXPECT_EQ(rt::ReadProperty(kWindow, kHiddenLabel, rt::kPropVisible), 0);
  rt::WriteProperty(kWindow, kHiddenLabel, rt::kPropVisible, -1, 1);
  EXPECT_TRUE(platform::IsWindowVisible(Hwnd(kHiddenLabel)));
}

TEST_F(FormTest, ARunningTimerTicksOnVirtualTimeAndAStoppedOneNever) {
  Load();
  PumpUntil(1000);
  ASSERT_FALSE(TheLog().fastTicks.empty());
  EXPECT_EQ(TheLog().fastTicks.front(), 50u);
  EXPECT_GE(TheLog().fastTicks.size(), 19u);
  EXPECT_LE(TheLog().fastTicks.size(), 20u);
  EXPECT_EQ(TheLog().stoppedTicks, 0);
}

TEST_F(FormTest, NegativeIntervalIsStoredAsZeroAndStopsTheTimer) {
  Load();
  rt::WriteProperty(kWindow, kFastTimer, 8, -1, -5);
  EXPECT_EQ(rt::ReadProperty(kWindow, kFastTimer, 8), 0);
  PumpUntil(500);
  EXPECT_TRUE(TheLog().fastTicks.empty());
}

TEST_F(FormTest, WritingTheCurrentIntervalDoesNotRestartThePeriodANewOneDoes) {
  Load();
  // The second timer writes the first one's interval between its expiries: at 70 the
  // same 50 (the period keeps running: 100, 150), at 140 a new 30 (restart: 170, 200).
  TheLog().onStoppedTick = [] {
    if (TheLog().stoppedTicks == 1) rt::WriteProperty(kWindow, kFastTimer, 8, -1, 50);
    if (TheLog().stoppedTicks == 2) {
      rt::WriteProperty(kWindow, kFastTimer, 8, -1, 30);
      rt::WriteProperty(kWindow, kStoppedTimer, 8, -1, 0);
    }
  };
  rt::WriteProperty(kWindow, kStoppedTimer, 8, -1, 70);
  PumpUntil(200);
  EXPECT_THAT(TheLog().fastTicks, ElementsAre(50u, 100u, 170u, 200u));
  EXPECT_EQ(rt::ReadProperty(kWindow, kFastTimer, 8), 30);
}

TEST_F(FormTest, ATimerWithNothingToDoLeavesOutItsTicksAndWakesOnItsGridWhenGivenWork) {
  Load();
  bool work = false;
  int asked = 0;
  rt::SetTimerSleepWhile(kWindow, kFastTimer, [&] { ++asked; return !work; });
  // Asleep, it does not wake the queue on its 50 ms grid.
  PumpUntil(10);
  ASSERT_TRUE(platform::NextTimerDeadline().has_value());
  EXPECT_GE(*platform::NextTimerDeadline(), 1000u);
  // The other timer's tick at 120 gives it work: the tick at 150 is the first it takes.
  TheLog().onStoppedTick = [&] {
    work = true;
    rt::WriteProperty(kWindow, kStoppedTimer, 8, -1, 0);
  };
  rt::WriteProperty(kWindow, kStoppedTimer, 8, -1, 120);
  PumpUntil(260);
  EXPECT_THAT(TheLog().fastTicks, ElementsAre(150u, 200u, 250u));
  EXPECT_GT(asked, 0);

  // Work taken away and given back between two pumps, outside any handler, while the
  // clock runs on: the expiry at 400 is owed and taken late, then the grid goes on.
  work = false;
  PumpUntil(380);
  EXPECT_EQ(TheLog().fastTicks.size(), 3u);
  work = true;
  platform::GetHost().WaitUntil(430);
  PumpUntil(460);
  EXPECT_THAT(TheLog().fastTicks, ElementsAre(150u, 200u, 250u, 430u, 450u));

  // A new interval restarts the period and keeps the sleep: nothing runs until the other
  // timer's tick, 100 ms on.
  work = false;
  rt::WriteProperty(kWindow, kFastTimer, 8, -1, 30);
  const uint32_t restart = platform::GetTickCount();
  TheLog().onStoppedTick = [] { rt::WriteProperty(kWindow, kStoppedTimer, 8, -1, 0); };
  rt::WriteProperty(kWindow, kStoppedTimer, 8, -1, 100);
  PumpUntil(restart + 100);
  EXPECT_EQ(TheLog().fastTicks.size(), 5u);

  // Without the question every tick runs again, on the restarted grid.
  rt::SetTimerSleepWhile(kWindow, kFastTimer, nullptr);
  PumpUntil(restart + 200);
  ASSERT_GE(TheLog().fastTicks.size(), 8u);
  for (size_t i = 5; i < TheLog().fastTicks.size(); ++i)
    EXPECT_EQ((TheLog().fastTicks[i] - restart) % 30, 0u) << TheLog().fastTicks[i];
  rt::SetTimerSleepWhile(kWindow, kLabel, [] { return true; });  // not a timer: ignored
}

TEST_F(FormTest, KeypadKeysReportAsTheMainKeyboardKeys) {
  Load();
  for (int vk : std::initializer_list<int>{platform::VK_NUMPAD0 + 5, platform::VK_SUBTRACT, platform::VK_DECIMAL,
                 platform::VK_DIVIDE, platform::VK_NUMPAD0 + 0, int('A')}) {
    platform::PostKeyInput(vk, true);
    platform::PostKeyInput(vk, false);
  }
  PumpPending();
  std::vector<int> codes;
  for (auto k : TheLog().probeKeyDown) codes.push_back(k.code);
  EXPECT_THAT(codes, ElementsAre(0x35, 189, 190, 191, 0x30, 'A'));
  ASSERT_EQ(TheLog().probeKeyUp.size(), 6u);
  EXPECT_EQ(TheLog().probeKeyUp[0].code, 0x35);
}

TEST_F(FormTest, ModifiersAreReportedButNotForTheModifierKeyItself) {
  Load();
  platform::PostKeyInput(platform::VK_SHIFT, true);
  platform::PostKeyInput(platform::VK_CONTROL, true);
  platform::PostKeyInput('A', true);
  PumpPending();
  ASSERT_EQ(TheLog().probeKeyDown.size(), 3u);
  EXPECT_EQ(TheLog().probeKeyDown[0].mods, 0);  // Shift alone: no Shift reported
  EXPECT_EQ(TheLog().probeKeyDown[1].mods, 2);  // Ctrl with Shift held: Shift only
  EXPECT_EQ(TheLog().probeKeyDown[2].mods, 3);
}

// The messages of one kind a probe unit's window received.
std::vector<platform::Message> Received(uint32_t probe, uint32_t message) {
  std::vector<platform::Message> out;
  for (const auto& m : Probe(probe).messages)
    if (m.message == message) out.push_back(m);
  return out;
}

TEST_F(FormTest, KeyDownHandlerReturningZeroConsumesTheKeyReturningNothingDoesNot) {
  Load();
  TheLog().probeKeyDownResult = std::nullopt;
  platform::PostKeyInput('Q', true);
  PumpPending();
  ASSERT_EQ(Received(kProbeA, platform::WM_KEYDOWN).size(), 1u);

  TheLog().probeKeyDownResult = 0;
  platform::PostKeyInput('W', true);
  PumpPending();
  EXPECT_EQ(Received(kProbeA, platform::WM_KEYDOWN).size(), 1u);  // kept from the unit

  TheLog().probeKeyDownResult = 1;  // any other value lets it through
  platform::PostKeyInput('E', true);
  PumpPending();
  EXPECT_EQ(Received(kProbeA, platform::WM_KEYDOWN).size(), 2u);
  EXPECT_EQ(TheLog().probeKeyDown.size(), 3u);
}

TEST_F(FormTest, CharacterHandlerCanConsumeOrReplaceTheCharacter) {
  Load();
  TheLog().characterResult = 'z';
  platform::PostCharInput('a');
  PumpPending();
  TheLog().characterResult = 0;
  platform::PostCharInput('b');
  PumpPending();
  EXPECT_THAT(TheLog().characters, ElementsAre('a', 'b'));
  auto chars = Received(kProbeA, platform::WM_CHAR);
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0].wParam, uint64_t('z'));
}

TEST_F(FormTest, TabAndShiftTabMoveTheFocusAmongTabStopsWithoutRaisingKeyDown) {
  Load();
  platform::PostKeyInput(platform::VK_TAB, true);
  PumpPending();
  EXPECT_EQ(platform::GetFocus(), Hwnd(kProbeB));
  platform::PostKeyInput(platform::VK_SHIFT, true);
  platform::PostKeyInput(platform::VK_TAB, true);
  PumpPending();
  EXPECT_EQ(platform::GetFocus(), Hwnd(kProbeA));
  for (auto k : TheLog().probeKeyDown) EXPECT_NE(k.code, platform::VK_TAB);
}

TEST_F(FormTest, EscRaisesCloseRequestedAndAZeroResultKeepsTheWindow) {
  Load();
  TheLog().closeResult = 0;
  platform::PostKeyInput(platform::VK_ESCAPE, true);
  PumpPending();
  EXPECT_EQ(std::count(TheLog().order.begin(), TheLog().order.end(), "CloseRequested"), 1);
  EXPECT_NE(rt::FormWindow(kWindow), 0u);
  EXPECT_TRUE(Received(kProbeA, platform::WM_KEYDOWN).empty());  // Esc went to the window

  TheLog().closeResult = std::nullopt;
  platform::PostKeyInput(platform::VK_ESCAPE, true);
  PumpPending();
  EXPECT_EQ(rt::FormWindow(kWindow), 0u);
  EXPECT_EQ(rt::FindComponent(kWindow, kLabel), nullptr);
  // The last window is gone: the loop is told to end.
  platform::Message m;
  EXPECT_FALSE(platform::GetMessage(m));
}

TEST_F(FormTest, WidthAndHeightAreClampedTo0Through32627) {
  Load();
  rt::WriteProperty(kWindow, kLabel, rt::kPropWidth, -1, 40000);
  EXPECT_EQ(rt::ReadProperty(kWindow, kLabel, rt::kPropWidth), 32627);
  rt::WriteProperty(kWindow, kLabel, rt::kPropHeight, -1, -3);
  EXPECT_EQ(rt::ReadProperty(kWindow, kLabel, rt::kPropHeight), 0);
  rt::WriteProperty(kWindow, kLabel, rt::kPropLeft, -1, 17);
  EXPECT_EQ(platform::GetRectInParent(Hwnd(kLabel)).left, 17);
  EXPECT_EQ(platform::GetRectInParent(Hwnd(kLabel)).Width(), 32627);
}

TEST_F(FormTest, TagBoolAndFontMembersConvertByPropertyType) {
  Load();
  rt::PropValue tag;
  tag.text = "abc";
  rt::WritePropertyValue(kWindow, kLabel, rt::kPropTag, -1, tag);
  EXPECT_EQ(rt::ReadPropertyValue(kWindow, kLabel, rt::kPropTag).text, "abc");

  rt::WriteProperty(kWindow, kLabel, 8 + 7, -1, 42);  // Label word wrap is a bool
  EXPECT_EQ(rt::ReadProperty(kWindow, kLabel, 8 + 7), 1);

  // Font members start from the default font when the label has none.
  rt::WriteProperty(kWindow, kLabel, 8 + 10, 5, 14);  // size
  rt::WriteProperty(kWindow, kLabel, 8 + 10, 1, 1);   // bold
  rt::PropValue face;
  face.text = std::string(40, 'x');  // too long: 宋体
  rt::WritePropertyValue(kWindow, kLabel, 8 + 10, 6, face);
  rt::PropValue font = rt::ReadPropertyValue(kWindow, kLabel, 8 + 10);
  ASSERT_TRUE(font.hasFont);
  EXPECT_EQ(font.font.size, 14);
  EXPECT_TRUE(font.font.bold);
  EXPECT_EQ(font.font.face, platform::gbk("宋体"));
  EXPECT_EQ(rt::ReadProperty(kWindow, kLabel, 8 + 10, 5), 14);
}

TEST_F(FormTest, DoEventsDeliversPendingTicksNestedInsideAHandler) {
  Load();
  int nested = 0;
  TheLog().onFastTick = [&] {
    if (TheLog().fastTicks.size() == 1) {
      platform::PostKeyInput('K', true);
      rt::DoEvents();  // the key arrives inside this tick
      nested = int(TheLog().probeKeyDown.size());
    }
  };
  PumpUntil(60);
  EXPECT_EQ(nested, 1);
}

TEST_F(FormTest, IdleCallbacksRunLastRegisteredFirstAndDropWithTheirWindow) {
  static int first = 1, second = 2;
  Load();
  static std::vector<int> calls;
  calls.clear();
  rt::AddIdleCallback(rt::FormWindow(kWindow), [](void* p) { calls.push_back(*static_cast<int*>(p)); },
                      &first);
  rt::AddIdleCallback(rt::FormWindow(kWindow), [](void* p) { calls.push_back(*static_cast<int*>(p)); },
                      &second);
  TheLog().closeResult = std::nullopt;
  TheLog().onFastTick = [] {
    if (calls.size() >= 2) platform::PostCloseRequest(rt::FormWindow(kWindow));
  };
  rt::RunMessageLoop();  // returns once the window is closed
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], 2);
  EXPECT_EQ(calls[1], 1);
  EXPECT_EQ(rt::FormWindow(kWindow), 0u);
}

// ---- ending -------------------------------------------------------------------------

using FormDeathTest = FormTest;

TEST_F(FormDeathTest, EndProgramFromAHandlerRunsTheCleanupOnceAndExitsWithTheCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Load();
        rt::RegisterCleanup([] {
          std::fprintf(stderr, "cleanup-ran\n");
          // Events are no longer delivered once the program is ending.
          rt::EventRecord ev;
          ev.windowId = kWindow;
          ev.componentId = kProbeA;
          ev.eventIndex = rt::kEvKeyDown;
          std::fprintf(stderr, "delivered=%d\n", int(rt::RaiseEvent(ev)));
        });
        TheLog().onClose = [] { rt::EndProgram(0); };
        platform::PostKeyInput(platform::VK_ESCAPE, true);
        rt::RunMessageLoop();
        std::fprintf(stderr, "loop-returned\n");
        std::exit(3);
      },
      ::testing::ExitedWithCode(0),
      ::testing::AllOf(::testing::ContainsRegex("cleanup-ran"), ::testing::ContainsRegex("delivered=0"),
                       ::testing::Not(::testing::ContainsRegex("cleanup-ran[^$]*cleanup-ran")),
                       ::testing::Not(::testing::ContainsRegex("loop-returned"))));
}

TEST_F(FormDeathTest, ARuntimeErrorInAHandlerStopsEveryLaterHandlerAndExitsWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Load();
        rt::RegisterCleanup([] { std::fprintf(stderr, "cleanup-ran\n"); });
        platform::AtExit([] {
          rt::EventRecord ev;
          ev.windowId = kWindow;
          ev.componentId = kFastTimer;
          std::fprintf(stderr, "delivered-after-error=%d\n", int(rt::RaiseEvent(ev)));
        });
        TheLog().onFastTick = [] {
          std::fprintf(stderr, "tick\n");
          rt::RuntimeErrorMessage("boom");
        };
        rt::RunMessageLoop();
      },
      ::testing::ExitedWithCode(255),
      ::testing::AllOf(::testing::ContainsRegex("boom"), ::testing::ContainsRegex("delivered-after-error=0"),
                       ::testing::Not(::testing::ContainsRegex("cleanup-ran")),
                       ::testing::Not(::testing::ContainsRegex("tick[^$]*tick"))));
}

TEST_F(FormDeathTest, ClosingWithoutAHandlerResultEndsTheLoopAndTheNormalEndRunsTheCleanupOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Load();
        rt::RegisterCleanup([] { std::fprintf(stderr, "cleanup-ran\n"); });
        platform::PostKeyInput(platform::VK_ESCAPE, true);
        rt::RunMessageLoop();
        std::fprintf(stderr, "loop-returned\n");
        rt::EndProgram(0);
      },
      ::testing::ExitedWithCode(0),
      ::testing::AllOf(::testing::ContainsRegex("loop-returned\ncleanup-ran"),
                       ::testing::Not(::testing::ContainsRegex("cleanup-ran[^$]*cleanup-ran"))));
}

TEST_F(FormDeathTest, EndProgramFromAnotherThreadEndsOnTheMainThreadInOrder) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Load();
        rt::RegisterCleanup([] { std::fprintf(stderr, "cleanup-ran main=%d\n", int(rt::IsMainThread())); });
        std::thread([] { rt::EndProgram(7); }).detach();
        rt::RunMessageLoop();
      },
      ::testing::ExitedWithCode(7), ::testing::ContainsRegex("cleanup-ran main=1"));
}

TEST_F(FormDeathTest, PropertyAndEventLookupsReportTheirRuntimeErrors) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT({ Load(); rt::ReadProperty(0x777, kLabel, 0); }, ::testing::ExitedWithCode(255),
              ::testing::HasSubstr("未载入欲访问窗口组件所在的窗口"));
  EXPECT_EXIT(
      {
        Load();
        rt::EventRecord ev;
        ev.windowId = 0x777;
        rt::RaiseEvent(ev);
      },
      ::testing::ExitedWithCode(255), ::testing::HasSubstr("未找到引发事件的窗口"));
  EXPECT_EXIT(
      {
        Load();
        rt::EventRecord ev;
        ev.windowId = kWindow;
        ev.componentId = 0x999;
        rt::RaiseEvent(ev);
      },
      ::testing::ExitedWithCode(255), ::testing::HasSubstr("未找到引发事件的窗口组件"));
  EXPECT_EXIT({ Load(); rt::GetComponent(kWindow, 0x999); }, ::testing::ExitedWithCode(255),
              ::testing::HasSubstr("指定窗口或窗口组件不存在或尚未载入"));
  EXPECT_EXIT(
      {
        rt::InitRuntime(FormProgram());
        rt::ReadProperty(kWindow, kFastTimer, 8);  // described, not loaded
      },
      ::testing::ExitedWithCode(255), ::testing::HasSubstr("指定窗口尚未载入"));
}

}  // namespace
}  // namespace formtest
