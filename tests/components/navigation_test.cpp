// Keyboard navigation and event wiring that involve real components.
#include <gtest/gtest.h>

#include "form_fixture.h"
#include "platform/host.h"
#include "platform/window.h"
#include "runtime/forms/runtime.h"

namespace comptest {
namespace {

using namespace platform;

void Pump() {
  Message m;
  while (PeekMessage(m, PM_REMOVE) && m.message != WM_QUIT)
    if (!rt::PreFilterMessage(m)) DispatchMessage(m);
}

TEST_F(ComponentTest, AltWithAMnemonicCharacterFocusesTheComponentWhoseCaptionHoldsIt) {
  LoadSource(
      "window 0x52010001\n  geometry 0 0 404 224\n"
      "unit HyperLinker 0x10\n  geometry 0 0 100 20\n  flags visible tabstop\n  Caption \"&Alpha\"\n"
      "unit HyperLinker 0x11\n  geometry 0 40 100 20\n  flags visible tabstop\n  Caption \"&Beta\"\n");
  EXPECT_EQ(GetFocus(), Hwnd(0x10));
  PostKeyInput(VK_MENU, true);
  PostKeyInput('B', true);
  PostKeyInput('B', false);
  PostKeyInput(VK_MENU, false);
  Pump();
  EXPECT_EQ(GetFocus(), Hwnd(0x11));
}

TEST_F(ComponentTest, EnterMovesTheFocusOnlyWhenTheWindowIsSetSo) {
  const std::string units =
      "unit Label 0x10\n  geometry 0 0 100 20\n  flags visible tabstop\n"
      "unit Label 0x11\n  geometry 0 40 100 20\n  flags visible tabstop\n";
  LoadSource("window 0x52010001\n  geometry 0 0 404 224\n" + units);
  PostKeyInput(VK_RETURN, true);
  Pump();
  EXPECT_EQ(GetFocus(), Hwnd(0x10));

  rt::ResetRuntimeForTesting();
  ResetForTesting();
  LoadSource("window 0x52010001\n  geometry 0 0 404 224\n  EnterMovesFocus on\n" + units);
  PostKeyInput(VK_RETURN, true);
  Pump();
  EXPECT_EQ(GetFocus(), Hwnd(0x11));
}

TEST_F(ComponentTest, AUnitUsesTheEventTableItLinksToAndALinkCycleEnds) {
  LoadSource(
      "window 0x52010001\n  geometry 0 0 404 224\n"
      "unit Label 0x10\n  on LeftButtonDown -> OnCloseRequested\n"
      "unit Label 0x11\n  eventlink 0x10\n"
      "unit Timer 0x12\n  eventlink 0x10\n"                    // another type: not followed
      "unit Label 0x13\n  eventlink 0x14\n  on KeyDown -> OnCreated\n"
      "unit Label 0x14\n  eventlink 0x13\n");                  // a cycle
  EXPECT_NE(rt::FindHandler(kWindow, 0x11, rt::kEvLeftButtonDown), nullptr);
  EXPECT_EQ(rt::FindHandler(kWindow, 0x12, rt::kEvLeftButtonDown), nullptr);
  EXPECT_EQ(rt::FindHandler(kWindow, 0x10, rt::kEvKeyDown), nullptr);
  // Following 0x14 -> 0x13 -> 0x14 ... stops; the answer comes from the cycle, not a hang.
  (void)rt::FindHandler(kWindow, 0x14, rt::kEvKeyDown);
  (void)rt::FindHandler(kWindow, 0x13, rt::kEvKeyDown);
}

}  // namespace
}  // namespace comptest
