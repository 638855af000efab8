// Fonts and text: face mapping, metrics, ink, styles, clipping and a sample picture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/draw.h"
#include "test_util.h"

namespace {

using namespace platform;
using drawtest::ColourAt;
using drawtest::CountInk;
using drawtest::Face;
using drawtest::Gbk;

constexpr COLORREF kWhite = 0xFFFFFF, kBlack = 0;

Surface RenderLine(const LogFont& lf, std::string_view utf8, int width = 200, int height = 40) {
  Surface s(width, height, ToPixel(kWhite));
  DC dc(&s);
  dc.SelectFont(CreateFont(lf));
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kBlack);
  dc.TextOut(2, 2, Gbk(utf8));
  return s;
}

TEST(Fonts, ChineseNamesMapToInstalledFaces) {
  EXPECT_EQ(GetFontMetrics(*CreateFont(Face("宋体", -12))).family, "AR PL UMing CN");
  EXPECT_EQ(GetFontMetrics(*CreateFont(Face("黑体", -12))).family, "WenQuanYi Zen Hei");
  // The default GUI font is 9 pt Song at 96 dpi.
  const LogFont gui = DefaultGuiFont();
  EXPECT_EQ(gui.height, -12);
  EXPECT_EQ(std::string(gui.faceName), Gbk("宋体"));
  EXPECT_EQ(GetFontMetrics(*CreateFont(gui)).family, "AR PL UMing CN");
}

TEST(Fonts, OtherNamesAreTakenAsTheyAreAndUnknownOnesFallBackToChinese) {
  EXPECT_EQ(GetFontMetrics(*CreateFont(Face("DejaVu Sans", -12))).family, "DejaVu Sans");
  const FontMetrics unknown = GetFontMetrics(*CreateFont(Face("No Such Face Anywhere", -12)));
  EXPECT_FALSE(unknown.family.empty());
  // The fallback can draw Chinese.
  Surface s = RenderLine(Face("No Such Face Anywhere", -16), "中文");
  EXPECT_GT(CountInk(s, kWhite), 30);
}

TEST(Fonts, ChineseMissingFromALatinFaceComesFromTheDefaultChineseFace) {
  // Without linking both characters would be the same missing-glyph box.
  const Surface zhong = RenderLine(Face("DejaVu Sans", -16), "中");
  const Surface guo = RenderLine(Face("DejaVu Sans", -16), "国");
  int differing = 0;
  for (int y = 0; y < zhong.Height(); ++y)
    for (int x = 0; x < zhong.Width(); ++x) differing += zhong.At(x, y) != guo.At(x, y);
  EXPECT_GT(differing, 20);
  Surface probe(8, 8);
  DC dc(&probe);
  dc.SelectFont(CreateFont(Face("DejaVu Sans", -16)));
  EXPECT_GE(dc.GetTextExtent(Gbk("中国")).x, 28);
}

TEST(Fonts, RealisedFontsAreSharedByTheirSixtyBytes) {
  const LogFont a = Face("黑体", -16);
  LogFont b = a;
  EXPECT_EQ(CreateFont(a), CreateFont(b));
  b.italic = 1;
  EXPECT_NE(CreateFont(a), CreateFont(b));
}

TEST(Fonts, LogFontReadsLittleEndianAndRejectsOtherSizes) {
  uint8_t bytes[60] = {};
  bytes[0] = 0xF4; bytes[1] = 0xFF; bytes[2] = 0xFF; bytes[3] = 0xFF;  // height -12
  bytes[16] = 0xBC; bytes[17] = 0x02;                                  // weight 700
  bytes[20] = 1;                                                       // italic
  bytes[23] = 134;                                                     // GB2312
  const std::string name = Gbk("黑体");
  std::memcpy(bytes + 28, name.data(), name.size());
  LogFont lf;
  ASSERT_TRUE(LogFontFromBytes(bytes, 60, lf));
  EXPECT_EQ(lf.height, -12);
  EXPECT_EQ(lf.weight, 700);
  EXPECT_EQ(lf.italic, 1);
  EXPECT_EQ(lf.charSet, 134);
  EXPECT_EQ(std::string(lf.faceName), name);
  EXPECT_FALSE(LogFontFromBytes(bytes, 59, lf));
  EXPECT_FALSE(LogFontFromBytes(bytes, 61, lf));
  EXPECT_FALSE(LogFontFromBytes(nullptr, 60, lf));
}

TEST(Fonts, HeightsFollowTheClassicSignConvention) {
  for (int em : {12, 16, 24}) {
    const FontMetrics m = GetFontMetrics(*CreateFont(Face("宋体", -em)));
    EXPECT_EQ(m.emPixels, em);
    EXPECT_GE(m.ascent + m.descent, em);  // the cell holds the em square and more
    EXPECT_LE(m.ascent + m.descent, em * 3 / 2);
  }
  // A positive height is the whole cell.
  for (int cell : {13, 20}) {
    const FontMetrics m = GetFontMetrics(*CreateFont(Face("黑体", cell)));
    EXPECT_EQ(m.ascent + m.descent, cell);
    EXPECT_LT(m.emPixels, cell + 1);
  }
  // Zero asks for the default size.
  EXPECT_EQ(GetFontMetrics(*CreateFont(Face("宋体", 0))).emPixels, 12);
}

TEST(Text, ChineseLineInkDiffersBetweenTheTwoFaces) {
  const Surface song = RenderLine(Face("宋体", -16), "天下英雄出少年");
  const Surface hei = RenderLine(Face("黑体", -16), "天下英雄出少年");
  const int songInk = CountInk(song, kWhite), heiInk = CountInk(hei, kWhite);
  EXPECT_GT(songInk, 100);
  EXPECT_GT(heiInk, 100);
  int differing = 0;
  for (int y = 0; y < song.Height(); ++y)
    for (int x = 0; x < song.Width(); ++x) differing += song.At(x, y) != hei.At(x, y);
  EXPECT_GT(differing, 50);
  // Ink stays inside the text cell starting at (2, 2).
  DC dc(const_cast<Surface*>(&song));
  dc.SelectFont(CreateFont(Face("宋体", -16)));
  const Point ext = dc.GetTextExtent(Gbk("天下英雄出少年"));
  EXPECT_EQ(CountInk(song, kWhite, {2, 2, 2 + ext.x + 1, 2 + ext.y}), songInk);
}

TEST(Text, ExtentIsPlausibleForChineseAtTwelveAndSixteenPixels) {
  Surface s(8, 8);
  DC dc(&s);
  for (const char* face : {"宋体", "黑体"}) {
    for (int em : {12, 16}) {
      dc.SelectFont(CreateFont(Face(face, -em)));
      const Point ext = dc.GetTextExtent(Gbk("你好世界"));
      EXPECT_GE(ext.x, 4 * em - 4) << face << em;
      EXPECT_LE(ext.x, 4 * em + 8) << face << em;
      EXPECT_GE(ext.y, em) << face << em;
      EXPECT_LE(ext.y, em * 3 / 2) << face << em;
    }
  }
}

TEST(Text, AsciiExtentGrowsWithLength) {
  Surface s(8, 8);
  DC dc(&s);
  dc.SelectFont(CreateFont(Face("宋体", -12)));
  int previous = 0;
  const Point one = dc.GetTextExtent("A");
  for (std::string text : {"A", "AB", "ABC", "ABCD W", "ABCD Wide text"}) {
    const Point ext = dc.GetTextExtent(text);
    EXPECT_GT(ext.x, previous) << text;
    EXPECT_EQ(ext.y, one.y);
    previous = ext.x;
  }
  EXPECT_EQ(dc.GetTextExtent("").x, 0);
  EXPECT_EQ(dc.GetTextExtent("").y, one.y);
}

TEST(Text, DefaultFontIsUsedWhenNoneIsSelected) {
  Surface s(8, 8);
  DC plain(&s), chosen(&s);
  chosen.SelectFont(CreateFont(DefaultGuiFont()));
  EXPECT_EQ(plain.GetFont(), chosen.GetFont());
  EXPECT_EQ(plain.GetTextExtent(Gbk("默认字体")), chosen.GetTextExtent(Gbk("默认字体")));
}

TEST(Text, OpaqueBackgroundFillsExactlyTheCell) {
  Surface s(120, 40, ToPixel(kWhite));
  DC dc(&s);
  dc.SelectFont(CreateFont(Face("黑体", -12)));
  dc.SetBkMode(OPAQUE);
  dc.SetBkColor(Rgb(0, 0, 255));
  dc.SetTextColor(Rgb(255, 255, 0));
  dc.TextOut(10, 5, Gbk("背景"));
  const Point ext = dc.GetTextExtent(Gbk("背景"));
  const COLORREF bk = Rgb(0, 0, 255);
  EXPECT_EQ(drawtest::ColourAt(s, 10, 5), bk);
  EXPECT_EQ(drawtest::ColourAt(s, 10 + ext.x - 1, 5 + ext.y - 1), bk);
  EXPECT_EQ(drawtest::ColourAt(s, 9, 5), kWhite);
  EXPECT_EQ(drawtest::ColourAt(s, 10 + ext.x, 5), kWhite);
  EXPECT_EQ(drawtest::ColourAt(s, 10, 4), kWhite);
  EXPECT_EQ(drawtest::ColourAt(s, 10, 5 + ext.y), kWhite);
  // Glyph pixels lean towards the text colour (anti-aliased, so rarely all the way).
  int yellowish = 0;
  for (int y = 5; y < 5 + ext.y; ++y)
    for (int x = 10; x < 10 + ext.x; ++x) yellowish += GetR(drawtest::ColourAt(s, x, y)) > 128;
  EXPECT_GT(yellowish, 10);
}

TEST(Text, BoldItalicUnderlineAndStrikeOutChangeTheInk) {
  const LogFont regular = Face("宋体", -16);
  LogFont bold = regular;
  bold.weight = 700;
  const int regularInk = CountInk(RenderLine(regular, "Bold 粗体"), kWhite);
  EXPECT_GT(CountInk(RenderLine(bold, "Bold 粗体"), kWhite), regularInk * 11 / 10);

  LogFont italic = regular;
  italic.italic = 1;
  const Surface upright = RenderLine(regular, "Italic 斜体"), slanted = RenderLine(italic, "Italic 斜体");
  int differing = 0;
  for (int y = 0; y < upright.Height(); ++y)
    for (int x = 0; x < upright.Width(); ++x) differing += upright.At(x, y) != slanted.At(x, y);
  EXPECT_GT(differing, 40);

  // Underline and strike-out each add one solid run across the whole advance.
  Surface probe(8, 8);
  DC measure(&probe);
  measure.SelectFont(CreateFont(regular));
  const Point ext = measure.GetTextExtent("....");
  for (int which = 0; which < 2; ++which) {
    LogFont lined = regular;
    (which ? lined.strikeOut : lined.underline) = 1;
    const Surface s = RenderLine(lined, "....");
    int fullRows = 0;
    for (int y = 2; y < 2 + ext.y; ++y) {
      fullRows += CountInk(s, kWhite, {2, y, 2 + ext.x, y + 1}) == ext.x;
    }
    EXPECT_GE(fullRows, 1) << (which ? "strike-out" : "underline");
  }
}

TEST(Text, ClippedAtTheDcClipAndShiftedByItsOrigin) {
  Surface s(100, 40, ToPixel(kWhite));
  DC dc(&s, {20, 10}, {25, 12, 60, 30});
  dc.SelectFont(CreateFont(Face("黑体", -16)));
  dc.SetBkMode(OPAQUE);
  dc.SetBkColor(Rgb(200, 0, 0));
  dc.TextOut(0, 0, Gbk("裁剪测试文字"));
  EXPECT_EQ(CountInk(s, kWhite, {0, 0, 100, 12}), 0);
  EXPECT_EQ(CountInk(s, kWhite, {0, 30, 100, 40}), 0);
  EXPECT_EQ(CountInk(s, kWhite, {0, 0, 25, 40}), 0);
  EXPECT_EQ(CountInk(s, kWhite, {60, 0, 100, 40}), 0);
  // Inside the clip the opaque cell leaves no white.
  const int cellBottom = std::min(30, 10 + dc.GetTextExtent("X").y);
  EXPECT_EQ(CountInk(s, kWhite, {25, 12, 60, cellBottom}), 35 * (cellBottom - 12));
}

TEST(Text, DamagedGbkStillDrawsAndMeasures) {
  Surface s(200, 30, ToPixel(kWhite));
  DC dc(&s);
  dc.SelectFont(CreateFont(Face("宋体", -12)));
  const std::string damaged = "ab\x81" "c" + Gbk("中") + "\xFE";  // a lone lead byte, a trailing one
  const Point ext = dc.GetTextExtent(damaged);
  EXPECT_GT(ext.x, dc.GetTextExtent("abc").x);
  dc.TextOut(0, 0, damaged);
  dc.TextOut(0, 0, std::string("\0\t\r\n", 4));
  EXPECT_GT(CountInk(s, kWhite), 0);
}

TEST(Text, Byte80DoesNotSwallowTheLetterAfterIt) {
  Surface s(200, 30, ToPixel(kWhite));
  DC dc(&s);
  dc.SelectFont(CreateFont(Face("黑体", -16)));
  const int alone = dc.GetTextExtent("\x80").x, letter = dc.GetTextExtent("W").x;
  EXPECT_EQ(dc.GetTextExtent("\x80" "W").x, alone + letter);
  // The 'W' is drawn where it would be after any one-character prefix.
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(0, 0, "\x80" "W");
  const int wInk = CountInk(s, kWhite, {alone, 0, alone + letter, 30});
  Surface ref(200, 30, ToPixel(kWhite));
  DC refDc(&ref);
  refDc.SelectFont(CreateFont(Face("黑体", -16)));
  refDc.SetBkMode(TRANSPARENT);
  refDc.TextOut(alone, 0, "W");
  EXPECT_EQ(wInk, CountInk(ref, kWhite));
  EXPECT_GT(wInk, 20);
}

TEST(Text, HugeAndNegativeSizesAreTamed) {
  Surface s(50, 50, ToPixel(kWhite));
  DC dc(&s);
  LogFont lf = Face("宋体", INT32_MIN);
  lf.width = INT32_MAX;
  dc.SelectFont(CreateFont(lf));
  const Point ext = dc.GetTextExtent("W");
  EXPECT_GT(ext.y, 0);
  EXPECT_LE(ext.y, 4096);
  dc.TextOut(-10, -10, "W");
}

TEST(Text, NoFontsAtAllDrawNothingAndStillMeasure) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // In a fresh process whose fontconfig knows no font directories.
  EXPECT_EXIT(
      {
        const std::string conf = drawtest::ScratchPath("draw_no_fonts.conf");
        FILE* f = std::fopen(conf.c_str(), "w");
        std::fputs("<?xml version=\"1.0\"?><fontconfig></fontconfig>\n", f);
        std::fclose(f);
        setenv("FONTCONFIG_FILE", conf.c_str(), 1);
        Surface surface(60, 30, ToPixel(kWhite));
        DC dc(&surface);
        dc.SetBkMode(TRANSPARENT);
        dc.TextOut(0, 0, Gbk("没有字体"));
        const Point ext = dc.GetTextExtent(Gbk("没有字体"));
        std::remove(conf.c_str());
        const bool ok = GetFontMetrics(*dc.GetFont()).family.empty() && ext.x == 48 &&
                        ext.y == 12 && CountInk(surface, kWhite) == 0;
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// The sample picture (kept as draw_text_sample.png for a human eye) checked by its ink:
// every line inside its measured box, spanning it, in its colour; the two faces drawing
// the same text differently; the styled line red and underlined.
TEST(Text, SamplePictureOfBothFaces) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  Surface s(360, 180, ToPixel(face));
  DC dc(&s);
  dc.SetBkMode(TRANSPARENT);
  const std::string sample = Gbk("英雄 Hero 123 血量：200");
  const int kEms[] = {12, 16, 24};
  Rect boxes[2][3];  // the sample text's cell, per face and size
  std::vector<Rect> all;
  int y = 4;
  const char* faces[] = {"宋体", "黑体"};
  for (int f = 0; f < 2; ++f) {
    for (int e = 0; e < 3; ++e) {
      dc.SelectFont(CreateFont(Face(faces[f], -kEms[e])));
      const Point ext = dc.GetTextExtent(sample);
      dc.TextOut(4, y, sample);
      boxes[f][e] = {4, y, 4 + ext.x, y + ext.y};
      const Point name = dc.GetTextExtent(Gbk(faces[f]));
      dc.TextOut(4 + ext.x + 8, y, Gbk(faces[f]));
      all.push_back(boxes[f][e]);
      all.push_back({4 + ext.x + 8, y, 4 + ext.x + 8 + name.x, y + name.y});
      y += dc.GetTextExtent("Hy").y + 2;
    }
  }
  LogFont bold = Face("黑体", -16, 700);
  bold.italic = 1;
  bold.underline = 1;
  dc.SelectFont(CreateFont(bold));
  dc.SetTextColor(Rgb(160, 0, 0));
  const std::string styled = Gbk("粗斜体 Bold Italic");
  const Point styledExt = dc.GetTextExtent(styled);
  dc.TextOut(4, y, styled);
  const Rect styledBox{4, y, 4 + styledExt.x, y + styledExt.y};
  const std::string path = drawtest::OutputPath("draw_text_sample.png");
  ASSERT_TRUE(WritePng(s, path)) << path;
  ASSERT_LE(styledBox.bottom, s.Height());

  // Nothing outside the boxes (the slanted line may lean a few pixels past its cell).
  int stray = 0;
  for (int py = 0; py < s.Height(); ++py)
    for (int px = 0; px < s.Width(); ++px) {
      bool inside = Rect{styledBox.left, styledBox.top, styledBox.right + 4, styledBox.bottom}
                        .Contains({px, py});
      for (const Rect& r : all) inside = inside || r.Contains({px, py});
      stray += !inside && ColourAt(s, px, py) != face;
    }
  EXPECT_EQ(stray, 0);

  for (int f = 0; f < 2; ++f) {
    for (int e = 0; e < 3; ++e) {
      const Rect b = boxes[f][e];
      SCOPED_TRACE(std::string(faces[f]) + " " + std::to_string(kEms[e]) + " px");
      // Ink from the first character to the last, black or grey on the grey face.
      int left = b.right, right = b.left, darkest = 255, coloured = 0;
      for (int py = b.top; py < b.bottom; ++py)
        for (int px = b.left; px < b.right; ++px) {
          const COLORREF c = ColourAt(s, px, py);
          if (c == face) continue;
          left = std::min(left, px);
          right = std::max(right, px);
          const int r = c & 0xFF, g = (c >> 8) & 0xFF, bl = (c >> 16) & 0xFF;
          darkest = std::min(darkest, r);
          coloured += r != g || g != bl;
        }
      EXPECT_LT(left - b.left, kEms[e] / 2);
      EXPECT_LT(b.right - 1 - right, kEms[e] / 2);
      EXPECT_LT(darkest, 64);
      EXPECT_EQ(coloured, 0);
      EXPECT_GT(CountInk(s, face, b), b.Width() * b.Height() / 12);
    }
  }
  // The same text in the two faces: at each size the ink differs in many places.
  for (int e = 0; e < 3; ++e) {
    const Rect song = boxes[0][e], hei = boxes[1][e];
    int differing = 0;
    for (int dy = 0; dy < std::min(song.Height(), hei.Height()); ++dy)
      for (int dx = 0; dx < std::min(song.Width(), hei.Width()); ++dx)
        differing += ColourAt(s, song.left + dx, song.top + dy) != ColourAt(s, hei.left + dx, hei.top + dy);
    EXPECT_GT(differing, CountInk(s, face, song) / 4) << kEms[e] << " px";
  }
  // The styled line: red ink only, and one row of it running under the whole text.
  int red = 0, other = 0, longestRun = 0;
  for (int py = styledBox.top; py < styledBox.bottom; ++py) {
    int run = 0;
    for (int px = styledBox.left; px < styledBox.right + 4; ++px) {
      const COLORREF c = ColourAt(s, px, py);
      if (c == Rgb(160, 0, 0)) {
        ++red;
        longestRun = std::max(longestRun, ++run);
      } else {
        run = 0;
        const int r = c & 0xFF, g = (c >> 8) & 0xFF;
        other += c != face && g > r;  // blends of red over grey keep red on top
      }
    }
  }
  EXPECT_GT(red, 100);
  EXPECT_EQ(other, 0);
  EXPECT_GE(longestRun, styledExt.x * 9 / 10);
}

}  // namespace
