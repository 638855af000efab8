// The `window` component: stored block, frame styles, centred start, close request.
#include <gtest/gtest.h>

#include "form_fixture.h"
#include "platform/window.h"
#include "runtime/components/window_component.h"
#include "runtime/forms/runtime.h"

namespace comptest {
namespace {

using namespace platform;

constexpr const char* kGameLikeForm =
    "window 0x52010001\n"
    "  geometry 50 50 644 504\n"
    "  Border 2\n  MaxButton 0\n  MinButton 1\n  ControlBox 1\n  StartPosition 1\n"
    "  EscCloses 1\n  BackColor 0x203040\n  Caption \"Tolvaran-单机\"\n"
    "  on Created -> OnCreated\n  on CloseRequested -> OnCloseRequested\n";

TEST(WindowBlock, RoundTripsAndShortBlocksKeepDefaults) {
  rt::WindowSettings s;
  s.borderType = 5;
  s.alwaysOnTop = 1;
  s.caption = "cap";
  s.music = {1, 2, 3};
  s.helpFile = "h";
  auto parsed = rt::ParseWindowBlock(rt::EncodeWindowBlock(s));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->borderType, 5);
  EXPECT_EQ(parsed->alwaysOnTop, 1);
  EXPECT_EQ(parsed->caption, "cap");
  EXPECT_EQ(parsed->music, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(parsed->helpFile, "h");

  // A version-3 block has no always-on-top word: what follows is not read as one.
  std::vector<uint8_t> v3 = {3, 0, 0, 0};
  for (int i = 0; i < 16; ++i) v3.insert(v3.end(), {1, 0, 0, 0});
  auto old = rt::ParseWindowBlock(v3);
  ASSERT_TRUE(old);
  EXPECT_EQ(old->dragAnywhere, 1);
  EXPECT_EQ(old->alwaysOnTop, 0);

  EXPECT_FALSE(rt::ParseWindowBlock(std::vector<uint8_t>{7, 0, 0, 0}));
  auto full = rt::EncodeWindowBlock(s);
  EXPECT_FALSE(rt::ParseWindowBlock(std::vector<uint8_t>{6, 0}));  // not even a version
  for (size_t n = 4; n < full.size(); ++n) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + long(n));
    EXPECT_TRUE(rt::ParseWindowBlock(cut)) << n;  // shortened, never out of bounds
  }
}

TEST(WindowStyle, BorderTypesAndCaptionButtonsMapToFrameStyles) {
  rt::WindowSettings s;  // the game's: fixed frame, minimise, no maximise
  uint32_t st = rt::WindowStyleFor(s);
  EXPECT_TRUE(st & WS_CAPTION);
  EXPECT_TRUE(st & WS_BORDER);
  EXPECT_FALSE(st & WS_THICKFRAME);
  EXPECT_TRUE(st & WS_SYSMENU);
  EXPECT_TRUE(st & WS_MINIMIZEBOX);
  EXPECT_FALSE(st & WS_MAXIMIZEBOX);
  EXPECT_FALSE(st & WS_EX_TOPMOST);
  EXPECT_EQ(rt::FrameInsets(s), (Rect{2, 22, 2, 2}));

  s.borderType = 0;
  EXPECT_EQ(rt::WindowStyleFor(s) & (WS_CAPTION | WS_SYSMENU | WS_BORDER | WS_THICKFRAME), 0u);
  EXPECT_EQ(rt::FrameInsets(s), (Rect{0, 0, 0, 0}));
  s.borderType = 3;
  s.maxButton = 1;
  st = rt::WindowStyleFor(s);
  EXPECT_TRUE(st & WS_THICKFRAME);
  EXPECT_TRUE(st & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(st & WS_MAXIMIZEBOX);
  s.borderType = 6;
  s.controlBox = 0;
  s.alwaysOnTop = 1;
  st = rt::WindowStyleFor(s);
  EXPECT_TRUE(st & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(st & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(st & WS_EX_TOPMOST);
}

TEST_F(ComponentTest, TheGameWindowOpensCentredWithItsClientAreaAndColour) {
  LoadSource(kGameLikeForm);
  HWND form = rt::FormWindow(kWindow);
  ASSERT_NE(form, 0u);
  Rect screen = GetScreenRect();
  Rect client = GetRectInParent(form);
  EXPECT_EQ(client.Width(), 640);
  EXPECT_EQ(client.Height(), 480);
  // The outer 644 x 504 frame is centred; the stored 50, 50 is not used.
  EXPECT_EQ(client.left - 2, screen.left + (screen.Width() - 644) / 2);
  EXPECT_EQ(client.top - 22, screen.top + (screen.Height() - 504) / 2);
  EXPECT_FALSE(GetStyle(form) & WS_MAXIMIZEBOX);
  EXPECT_TRUE(GetStyle(form) & WS_MINIMIZEBOX);
  EXPECT_EQ(GetWindowTitle(form), "Tolvaran-单机");
  EXPECT_FALSE(Handlers().createdSawVisible);
  EXPECT_EQ(CountColour({0, 0, 640, 480}, 0x203040), 640 * 480);
  // The common geometry properties describe the outer rectangle.
  EXPECT_EQ(rt::ReadProperty(kWindow, 0, rt::kPropWidth), 644);
  EXPECT_EQ(rt::ReadProperty(kWindow, 0, rt::kPropHeight), 504);
  EXPECT_EQ(rt::ReadProperty(kWindow, 0, rt::kPropLeft), client.left - 2);
  rt::WriteProperty(kWindow, 0, rt::kPropWidth, -1, 500);
  EXPECT_EQ(GetRectInParent(form).Width(), 496);
}

TEST_F(ComponentTest, CloseRequestedKeepsTheWindowOnlyWhenTheHandlerReturnsZero) {
  LoadSource(kGameLikeForm);
  HWND form = rt::FormWindow(kWindow);
  Handlers().closeResult = 0;
  PostCloseRequest(form);
  Message m;
  while (PeekMessage(m, PM_REMOVE)) DispatchMessage(m);
  EXPECT_EQ(Handlers().closeRequests, 1);
  EXPECT_TRUE(IsWindow(form));

  Handlers().closeResult = 1;
  PostCloseRequest(form);
  while (PeekMessage(m, PM_REMOVE) && m.message != WM_QUIT) DispatchMessage(m);
  EXPECT_EQ(Handlers().closeRequests, 2);
  EXPECT_FALSE(IsWindow(form));
  EXPECT_EQ(rt::FormWindow(kWindow), 0u);
}

TEST_F(ComponentTest, LogOffConsentIsWithheldOnlyWhenTheHandlerReturnsZero) {
  LoadSource(kGameLikeForm);
  HWND form = rt::FormWindow(kWindow);
  Handlers().closeResult = 0;
  EXPECT_EQ(SendMessage(form, WM_QUERYENDSESSION, 0, 0), 0);
  Handlers().closeResult = std::nullopt;
  EXPECT_EQ(SendMessage(form, WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(Handlers().closeRequests, 2);
  EXPECT_TRUE(IsWindow(form));  // consent alone closes nothing
}

TEST_F(ComponentTest, WindowSettingsReadBackAsPropertiesAndCaptionWritesRetitle) {
  LoadSource(kGameLikeForm);
  EXPECT_EQ(rt::ReadProperty(kWindow, 0, 8 + rt::kWinBorder), 2);
  EXPECT_EQ(rt::ReadProperty(kWindow, 0, 8 + rt::kWinEscCloses), 1);
  EXPECT_EQ(rt::ReadProperty(kWindow, 0, 8 + rt::kWinBackColour), 0x203040);
  rt::PropValue v;
  v.text = "new";
  rt::WritePropertyValue(kWindow, 0, 8 + rt::kWinCaption, -1, v);
  EXPECT_EQ(GetWindowTitle(rt::FormWindow(kWindow)), "new");
  rt::WriteProperty(kWindow, 0, 8 + rt::kWinAlwaysOnTop, -1, 1);
  EXPECT_TRUE(GetStyle(rt::FormWindow(kWindow)) & WS_EX_TOPMOST);
}

}  // namespace
}  // namespace comptest
