// The `HyperLinker`: stored block, targets, the ".htm" fallback command, hover drawing.
#include <gtest/gtest.h>

#include "form_fixture.h"
#include "platform/window.h"
#include "runtime/components/hyperlinker.h"
#include "runtime/forms/runtime.h"

namespace comptest {
namespace {

using namespace platform;

TEST(HyperLinkerBlock, RoundTripsAndRejectsNewerVersions) {
  rt::HyperLinkerSettings s;
  s.linkType = 0;
  s.normalColour = 0x123456;
  s.caption = "c";
  s.mailAddress = "a@b";
  s.webAddress = "https://w";
  auto bytes = rt::EncodeHyperLinkerBlock(s);
  auto p = rt::ParseHyperLinkerBlock(bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->linkType, 0);
  EXPECT_EQ(p->normalColour, 0x123456u);
  EXPECT_EQ(p->mailAddress, "a@b");
  EXPECT_EQ(p->webAddress, "https://w");
  for (size_t n = 4; n < bytes.size(); ++n)
    EXPECT_TRUE(rt::ParseHyperLinkerBlock(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n))));
  bytes[0] = 2;
  EXPECT_FALSE(rt::ParseHyperLinkerBlock(bytes));
}

TEST(HyperLinkerTarget, WebOrMailtoWithOtherTypesTakenAsTheNearer) {
  rt::HyperLinkerSettings s;
  s.mailAddress = "me@x.org";
  s.webAddress = "https://x.org";
  s.linkType = 1;
  EXPECT_EQ(rt::LinkTarget(s), "https://x.org");
  s.linkType = 7;
  EXPECT_EQ(rt::LinkTarget(s), "https://x.org");
  s.linkType = -2;
  EXPECT_EQ(rt::LinkTarget(s), "mailto:me@x.org");
  s.mailAddress.clear();
  EXPECT_EQ(rt::LinkTarget(s), "");  // nothing to open
}

TEST(HyperLinkerTarget, HtmCommandIsCutBeforeItsPlaceholderAndItsQuotes) {
  const std::string url = "https://x.org";
  EXPECT_EQ(rt::HtmFallbackCommand("\"/opt/b r/browser\" \"%1\"", url), "\"/opt/b r/browser\" https://x.org");
  EXPECT_EQ(rt::HtmFallbackCommand("browser %1 --new", url), "browser https://x.org");
  EXPECT_EQ(rt::HtmFallbackCommand("browser", url), "browser https://x.org");
  EXPECT_EQ(rt::HtmFallbackCommand("", url), "");
  EXPECT_EQ(rt::HtmFallbackCommand("%1", url), "");
}

constexpr const char* kLinkForm =
    "window 0x52010001\n  geometry 0 0 404 224\n  StartPosition 0\n  BackColor 0xFFFFFF\n"
    "unit HyperLinker 0x10\n  geometry 20 20 300 40\n  flags visible\n"
    "  Caption \"WWWWWWWWWW\"\n  NormalColor 0xFF0000\n  HoverColor 0x0000FF\n"
    "  BackColor 0x00FF00\n  Font \"宋体\" 20 bold\n";

TEST_F(ComponentTest, HoverCapturesTheMouseAndDrawsInTheHoverColour) {
  LoadSource(kLinkForm);
  HWND form = rt::FormWindow(kWindow);
  HWND link = Hwnd(0x10);
  Rect area{20, 20, 320, 60};
  EXPECT_GT(CountColour(area, 0xFF0000), 50);  // normal text in blue
  EXPECT_EQ(CountColour(area, 0x0000FF), 0);
  EXPECT_GT(CountColour(area, 0x00FF00), 300 * 40 / 2);  // its own background

  PostMouseInput(form, WM_MOUSEMOVE, {100, 40});
  Message m;
  while (PeekMessage(m, PM_REMOVE)) DispatchMessage(m);
  EXPECT_EQ(GetCapture(), link);
  EXPECT_GT(CountColour(area, 0x0000FF), 50);
  EXPECT_EQ(CountColour(area, 0xFF0000), 0);

  PostMouseInput(form, WM_MOUSEMOVE, {380, 200});
  while (PeekMessage(m, PM_REMOVE)) DispatchMessage(m);
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_GT(CountColour(area, 0xFF0000), 50);
}

TEST_F(ComponentTest, ALinkWithNothingToOpenStaysUnvisited) {
  LoadSource(kLinkForm);  // no addresses at all
  HWND form = rt::FormWindow(kWindow);
  PostMouseInput(form, WM_LBUTTONDOWN, {100, 40});
  PostMouseInput(form, WM_LBUTTONUP, {100, 40});
  PostMouseInput(form, WM_MOUSEMOVE, {380, 200});
  Message m;
  while (PeekMessage(m, PM_REMOVE)) DispatchMessage(m);
  EXPECT_GT(CountColour({20, 20, 320, 60}, 0xFF0000), 50);  // still the normal colour
}

}  // namespace
}  // namespace comptest
