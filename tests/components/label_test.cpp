// The `Label`: its stored block (version 2) and its drawing.
#include <gtest/gtest.h>

#include "form_fixture.h"
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
  s.values[rt::LabelSettings::kAlignment] = 2;
  s.values[15] = 9;
  s.picture = {1, 2};
  s.text = "t";
  s.text3 = "3";
  auto bytes = rt::EncodeLabelBlock(s);
  auto p = rt::ParseLabelBlock(bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->values, s.values);
  EXPECT_EQ(p->picture, s.picture);
  EXPECT_EQ(p->text, "t");
  EXPECT_EQ(p->text3, "3");
  auto shortened = rt::ParseLabelBlock(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12));
  ASSERT_TRUE(shortened);
  EXPECT_EQ(shortened->values[rt::LabelSettings::kBackColour], int32_t(0xFF000000));
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

}  // namespace
}  // namespace comptest
