// The `Label`: its stored block (version 2) and its drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "form_fixture.h"
#include "platform/draw.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/forms/label.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/text_layout.h"

namespace comptest {
namespace {

using namespace platform;

TEST(LabelBlock, RoundTripsAndShortBlocksKeepDefaults) {
  rt::LabelSettings s;
  s.alignment = 2;
  s.reserved15 = 9;
  s.picture = {1, 2};
  s.text = std::string("t");
  s.text3 = std::string("3");
  auto bytes = rt::EncodeLabelBlock(s);
  auto p = rt::ParseLabelBlock(bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->alignment, 2);
  EXPECT_EQ(p->reserved15, 9);
  EXPECT_EQ(p->picture, s.picture);
  EXPECT_EQ(p->text, "t");
  EXPECT_EQ(p->text3, "3");
  auto shortened = rt::ParseLabelBlock(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12));
  ASSERT_TRUE(shortened);
  EXPECT_EQ(shortened->alignment, 0);  // past the 12 bytes: the default
  EXPECT_EQ(shortened->backColour, 0xFF000000u);
  for (size_t n = 4; n < bytes.size(); ++n)
    EXPECT_TRUE(rt::ParseLabelBlock(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n))));
  bytes[0] = 3;
  EXPECT_FALSE(rt::ParseLabelBlock(bytes));
}

// A label's text is walked by character for mnemonics and wrapping: 0x80 and 0xFF are
// characters of their own, so the ASCII byte after them is never swallowed as a second byte.
TEST(LabelText, SingleByte80AndFFStandAlone) {
  EXPECT_EQ(rt::GbkCharLength("\x80" "A"), 1u);
  EXPECT_EQ(rt::GbkCharLength("\xFF" "A"), 1u);
  EXPECT_EQ(rt::GbkCharLength("\x81" "A"), 2u);
  EXPECT_EQ(rt::GbkCharLength("\xFE" "A"), 2u);
  // The '&' after 0x80 is a mnemonic marker; after a real lead byte it is a second byte.
  EXPECT_EQ(rt::StripMnemonics("\x80&A"), "\x80" "A");
  EXPECT_EQ(rt::StripMnemonics("\x81&A"), "\x81&A");
  // Too narrow for anything: one character per line.
  Surface s(10, 10);
  DC dc(&s);
  EXPECT_EQ(rt::LayoutLines(dc, "\x80" "A\xFF" "B", 1, true),
            (std::vector<std::string>{"\x80", "A", "\xFF", "B"}));
  EXPECT_EQ(rt::LayoutLines(dc, gbk("中") + "\x80" "A", 1, true),
            (std::vector<std::string>{gbk("中"), "\x80", "A"}));
}

TEST_F(ComponentTest, LabelDrawsItsTextInItsColoursAndATransparentOneShowsTheForm) {
  LoadSource(
      "window 0x52010001\n  geometry 0 0 404 224\n  StartPosition 0\n  BackColor 0x00FFFF\n"
      "unit Label 0x20\n  geometry 10 10 200 40\n  flags visible\n  Caption \"标签 Label\"\n"
      "  TextColor 0x0000FF\n  BackColor 0xFF0000\n  Font \"黑体\" 16\n"
      "unit Label 0x21\n  geometry 10 100 200 40\n  flags visible\n  Caption \"透明 Label\"\n"
      "  TextColor 0x0000FF\n  Transparent on\n  Font \"黑体\" 16\n");
  EXPECT_GT(CountColour({10, 10, 210, 50}, 0x0000FF), 40);            // text
  EXPECT_GT(CountColour({10, 10, 210, 50}, 0xFF0000), 200 * 40 / 2);  // own background
  EXPECT_GT(CountColour({10, 100, 210, 140}, 0x0000FF), 40);
  EXPECT_GT(CountColour({10, 100, 210, 140}, 0x00FFFF), 200 * 40 / 2);  // the form's colour

  // New text on the transparent label replaces the old one instead of overdrawing it.
  rt::PropValue v;
  v.text = "";
  rt::WritePropertyValue(kWindow, 0x21, 8, -1, v);
  EXPECT_EQ(CountColour({10, 100, 210, 140}, 0x0000FF), 0);
}

// The label's font goes through the one font conversion: its text draws exactly as the
// logical font with height -(size x 96 / 72) rounded, weight 400 or 700 and the angle in
// 0..3599 draws it, and the property reads back normalised.
TEST_F(ComponentTest, LabelFontDrawsAsTheSharedLogicalFont) {
  LoadSource(
      "window 0x52010001\n  geometry 0 0 404 224\n  StartPosition 0\n"
      "unit Label 0x20\n  geometry 10 10 200 120\n  flags visible\n  Caption \"A国\"\n"
      "  TextColor 0x000000\n  BackColor 0xFFFFFF\n");
  auto check = [&](int size, bool bold, int angle) {
    SCOPED_TRACE(testing::Message() << size << " pt, bold " << bold << ", angle " << angle);
    rt::PropValue v;
    v.hasFont = true;
    v.font.size = size;
    v.font.bold = bold;
    v.font.angle = angle;
    rt::WritePropertyValue(kWindow, 0x20, 8 + rt::kLabelFont, -1, v);
    const int normalAngle = ((angle % 3600) + 3600) % 3600;
    const rt::PropValue back = rt::ReadPropertyValue(kWindow, 0x20, 8 + rt::kLabelFont);
    EXPECT_EQ(back.font.size, size);
    EXPECT_EQ(back.font.bold, bold);
    EXPECT_EQ(back.font.angle, normalAngle);

    LogFont expected;
    expected.height = -int(std::lround(size * 96 / 72.0));
    expected.weight = bold ? 700 : 400;
    expected.escapement = expected.orientation = normalAngle;
    const std::string face = gbk("宋体");
    std::copy(face.begin(), face.end(), expected.faceName);
    Surface reference(200, 120, ToPixel(0xFFFFFF));
    DC dc(&reference);
    dc.SelectFont(CreateFont(expected));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(0x000000);
    dc.TextOut(0, 0, gbk("A国"));

    const Surface& frame = Frame();
    int differing = 0;
    for (int y = 0; y < reference.Height(); ++y)
      for (int x = 0; x < reference.Width(); ++x)
        differing += (frame.At(10 + x, 10 + y) & 0xFFFFFF) != (reference.At(x, y) & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
    if (normalAngle == 0) {
      EXPECT_LT(CountColour({10, 10, 210, 130}, 0xFFFFFF), 200 * 120) << "some text drawn";
    }
  };
  for (int size = 6; size <= 72; ++size)
    for (bool bold : {false, true}) check(size, bold, 0);
  for (int size : {9, 11, 30})
    for (int angle : {-900, 900, 3600, 4500}) check(size, true, angle);
}

}  // namespace
}  // namespace comptest
