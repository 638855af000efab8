// The form description's reader against valid, truncated, inconsistent and damaged
// input, and the builder that writes it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "forms_test_form.h"
#include "platform/host.h"
#include "platform/byte_reader.h"
#include "runtime/forms/form_description.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/timer.h"
#include "runtime/components/window_component.h"
#include "tools/formbuild/form_source.h"

namespace {

using rt::ParseFormDescription;

std::vector<rt::WindowDescription> SmallForm() {
  rt::UnitRecord window;
  window.key = 0x52010001;
  window.typeCode = rt::kWindowTypeCode;
  window.name = "form";
  window.SetFlags(1);
  window.events = {{0, 0}, {1, -1}};
  window.ownBlock = {6, 0, 0, 0, 2, 0, 0, 0};
  rt::UnitRecord timer;
  timer.key = 0x1601;
  timer.typeCode = rt::kTimerTypeCode;
  timer.name = "t";
  timer.left = -5;
  timer.height = 26;
  timer.followIds = {7, 8};
  timer.remark = "r";
  timer.events = {{0, 1}};
  timer.ownBlock = {1, 0, 0, 0, 50, 0, 0, 0};
  rt::WindowDescription w;
  w.windowId = 0x52010001;
  w.records = {window, timer};
  rt::WindowDescription second;
  second.windowId = 0x52010002;
  second.records = {window};
  second.records[0].key = 0x52010002;
  return {w, second};
}

TEST(FormDescription, RoundTripsEveryField) {
  auto form = SmallForm();
  auto bytes = rt::EncodeFormDescription(form);
  auto parsed = ParseFormDescription(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*parsed, form);
}

TEST(FormDescription, RecordLayoutMatchesTheStoredOrder) {
  rt::UnitRecord r;
  r.typeCode = rt::kTimerTypeCode;
  r.name = "a";
  r.left = 1, r.top = 2, r.width = 3, r.height = 4;
  r.container = 9;
  r.SetFlags(5);
  r.events = {{-9, 3}};
  r.ownBlock = {0xAB};
  auto b = rt::EncodeUnitRecord(r);
  platform::ByteReader in(b);
  EXPECT_EQ(in.U32Le(), 0x10020u);            // TypeCode
  in.Skip(20);                               // reserved
  EXPECT_EQ(in.CString(), "a");              // name
  EXPECT_EQ(in.CString(), "");               // second text
  EXPECT_EQ(in.U32Le(), 0u);                   // live-object slot
  EXPECT_EQ(in.I32Le(), 1);                    // left
  in.Skip(12);                               // top, width, height
  EXPECT_EQ(in.U32Le(), 0u);                   // event link
  EXPECT_EQ(in.U32Le(), 9u);                   // container
  EXPECT_EQ(in.U32Le(), 0u);                   // F
  EXPECT_EQ(in.U32Le(), 4u);                   // the 4-byte block
  in.Skip(4);
  EXPECT_EQ(in.CString(), "");               // remark
  in.U32Le();
  EXPECT_EQ(in.U32Le(), 5u);                   // flags, the second of three words
  in.U32Le();
  EXPECT_EQ(in.U32Le(), 1u);                   // event count
  EXPECT_EQ(in.I32Le(), -9);
  EXPECT_EQ(in.I32Le(), 3);
  in.Skip(20);
  EXPECT_THAT(in.Rest(), ::testing::ElementsAre(0xAB));  // the own block, up to the end
  EXPECT_TRUE(in.Ok());
}

TEST(FormDescription, EveryTruncationIsRejectedWithoutReadingPastTheEnd) {
  auto bytes = rt::EncodeFormDescription(SmallForm());
  for (size_t n = 0; n < bytes.size(); ++n) {
    // A copy of exactly n bytes, so the sanitizers see any read beyond it.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(n));
    EXPECT_FALSE(ParseFormDescription(cut)) << "length " << n;
  }
}

TEST(FormDescription, InconsistentCountsOffsetsAndIdsAreRejected) {
  auto good = rt::EncodeFormDescription(SmallForm());
  auto patched = [&](size_t at, uint32_t v) {
    auto b = good;
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
    return b;
  };
  EXPECT_FALSE(ParseFormDescription(patched(0, 0xFFFFFFFF)));  // window count
  EXPECT_FALSE(ParseFormDescription(patched(8, 0x40000000)));  // record count
  EXPECT_FALSE(ParseFormDescription(patched(8, 0)));           // no records
  EXPECT_FALSE(ParseFormDescription(patched(12, 0xFFFFFFF0))); // data-area size
  EXPECT_FALSE(ParseFormDescription(patched(24, 0xFFFFFFF0))); // record offset
  EXPECT_FALSE(ParseFormDescription(patched(20, 0x52010001))); // duplicate record key
  auto trailing = good;
  trailing.push_back(0);
  EXPECT_FALSE(ParseFormDescription(trailing));
  auto twice = SmallForm();
  twice[1].windowId = twice[0].windowId;
  EXPECT_FALSE(ParseFormDescription(rt::EncodeFormDescription(twice)));
}

TEST(FormDescription, ARecordLengthOrCountPastItsEndIsRejected) {
  rt::UnitRecord r;
  r.typeCode = 1;
  auto content = rt::EncodeUnitRecord(r);
  EXPECT_TRUE(rt::ParseUnitRecord(content));
  // The event count is the word 24 bytes before the end (count, then 20 reserved bytes).
  auto big = content;
  big[big.size() - 24] = 0xFF;
  EXPECT_FALSE(rt::ParseUnitRecord(big));
  // A name without its terminator.
  std::vector<uint8_t> noTerminator(content.begin(), content.begin() + 26);
  noTerminator.back() = 'x';
  EXPECT_FALSE(rt::ParseUnitRecord(noTerminator));
}

TEST(FormDescription, RandomDamageNeverCrashes) {
  auto good = rt::EncodeFormDescription(SmallForm());
  std::mt19937 rng(1234);
  int loaded = 0;
  for (int i = 0; i < 3000; ++i) {
    auto b = good;
    int flips = 1 + int(rng() % 4);
    for (int f = 0; f < flips; ++f) b[rng() % b.size()] ^= uint8_t(1u << (rng() % 8));
    if (ParseFormDescription(b)) ++loaded;
  }
  EXPECT_GT(loaded, 0);  // flips inside names and blocks still load
}

// The runtime itself gives the load error for a damaged description.
TEST(FormDescriptionDeathTest, DamagedDescriptionsAreTheLoadErrorAtStart) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto bytes = rt::EncodeFormDescription(SmallForm());
  for (size_t n : {size_t(0), size_t(3), bytes.size() / 2, bytes.size() - 1}) {
    EXPECT_EXIT(
        {
          platform::ResetForTesting();
          std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(n));
          rt::InitRuntime({cut, {}});
        },
        ::testing::ExitedWithCode(255), ::testing::HasSubstr("载入窗口模板数据段出错!"));
  }
  // A handler reference outside the handler table is damage too.
  EXPECT_EXIT(
      {
        platform::ResetForTesting();
        rt::InitRuntime({bytes, {}});  // SmallForm refers to handlers 0 and 1
      },
      ::testing::ExitedWithCode(255), ::testing::HasSubstr("载入窗口模板数据段出错!"));
}

TEST(FormDescriptionDeathTest, AnUnknownComponentTypeFailsTheLoadAndUndoesIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto form = SmallForm();
  form[0].records[1].typeCode = 0x7777;
  form[0].records[0].events.clear();
  form[0].records[1].events.clear();
  form[1].records[0].events.clear();
  auto bytes = rt::EncodeFormDescription(form);
  EXPECT_EXIT(
      {
        platform::ResetForTesting();
        rt::InitRuntime({bytes, {}});
        rt::RegisterFormUnitTypes();
        rt::LoadWindow(0x52010001);
      },
      ::testing::ExitedWithCode(255), ::testing::HasSubstr("载入启动窗口失败"));
}

// ---- the builder ---------------------------------------------------------------------

formbuild::BuiltForm Build(const std::string& source, std::vector<std::string> handlers = {}) {
  return formbuild::BuildForm(source, std::move(handlers), {});
}

TEST(FormBuilder, WritesRecordsInSourceOrderWithHandlerOffsetsAndGbkNames) {
  auto f = Build(
      "window 0x52010001 \"窗口\"\n"
      "  geometry 50 50 644 504\n"
      "  on Created -> B\n"
      "  on CloseRequested -> none\n"
      "unit Timer 0x160104e2 \"使用物品时钟\"  # a comment\n"
      "  Interval 15\n"
      "  on Tick -> A\n"
      "unit Label 0x160105e2 \"标签1\"\n"
      "  flags visible tabstop\n"
      "  on KeyDown -> A\n",
      {"A", "B"});
  ASSERT_EQ(f.windows.size(), 1u);
  const auto& r = f.windows[0].records;
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].typeCode, rt::kWindowTypeCode);
  EXPECT_EQ(r[0].width, 644);
  EXPECT_EQ(r[0].Flags(), 1u);  // the window's default: visible
  EXPECT_THAT(r[0].events, ::testing::ElementsAre(rt::EventBinding{0, 1}, rt::EventBinding{1, -1}));
  EXPECT_EQ(r[1].key, 0x160104e2u);
  EXPECT_EQ(r[1].name, "\xCA\xB9\xD3\xC3\xCE\xEF\xC6\xB7\xCA\xB1\xD6\xD3");  // GBK
  EXPECT_EQ(r[1].Flags(), 0u);  // timers are stored invisible
  EXPECT_EQ(r[1].ownBlock, (std::vector<uint8_t>{1, 0, 0, 0, 15, 0, 0, 0}));
  EXPECT_EQ(r[2].Flags(), 5u);
  EXPECT_THAT(r[2].events, ::testing::ElementsAre(rt::EventBinding{-9, 0}));
}

TEST(FormBuilder, MistakesAreReportedWithTheirLine) {
  auto error = [](const std::string& src) {
    try {
      Build(src, {"A"});
    } catch (const formbuild::SourceError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(error("window 1\nunit Lable 2\n"), "2: unknown unit type 'Lable'");
  EXPECT_EQ(error("window 1\n  on Created -> Missing\n"), "2: handler 'Missing' is not in the handler table");
  EXPECT_EQ(error("window 1\nunit Timer 2\n  Colour 3\n"), "3: 'Timer' has no setting 'Colour'");
  EXPECT_EQ(error("window 1\nunit Timer 2\nunit Timer 2\n"), "3: id used twice in one window");
  EXPECT_EQ(error("window 1\n  Caption \"open\n"), "2: unterminated text");
  EXPECT_EQ(error("geometry 1 2 3 4\n"), "1: 'geometry' outside a window or unit");
  EXPECT_EQ(error("window 1\n  code Main\nunit Timer 2\n  code Main\n"), "4: code name 'Main' used twice");
  EXPECT_EQ(error("window 1\n  code 9lives\n"), "2: code name '9lives' is not an identifier");
  EXPECT_EQ(error(""), "no window described");
}

TEST(FormBuilder, CodeNamesBecomeTheIdsHeader) {
  auto f = Build(
      "window 0x52010001 \"窗口\"\n"
      "  code MainForm\n"
      "unit Timer 0x160104e2 \"时钟\"\n"
      "unit CartoonBox 0x16010002 \"动画框1\"\n"
      "  code Stage\n");
  ASSERT_EQ(f.ids.size(), 2u) << "a unit without a code name has no entry";
  EXPECT_EQ(f.ids[0].name, "MainForm");
  EXPECT_EQ(f.ids[0].id, 0x52010001u);
  EXPECT_EQ(f.ids[1].name, "Stage");
  EXPECT_EQ(f.ids[1].id, 0x16010002u);
  const std::string header = formbuild::IdsHeaderText(f, "demo::ids");
  EXPECT_THAT(header, ::testing::HasSubstr("namespace demo::ids {"));
  EXPECT_THAT(header, ::testing::HasSubstr("inline constexpr uint32_t MainForm = 0x52010001;\n"));
  EXPECT_THAT(header, ::testing::HasSubstr("inline constexpr uint32_t Stage = 0x16010002;\n"));
  // The type codes come from the components themselves, not from a second list.
  char line[80];
  std::snprintf(line, sizeof line, "kTypeCartoonBox = 0x%x;", f.windows[0].records[2].typeCode);
  EXPECT_THAT(header, ::testing::HasSubstr(line));
  std::snprintf(line, sizeof line, "kTypeTimer = 0x%x;", f.windows[0].records[1].typeCode);
  EXPECT_THAT(header, ::testing::HasSubstr(line));
}

TEST(FormBuilder, FontsBecomeSixtyByteLogicalFonts) {
  auto f = Build("window 1\nunit Label 2\n  Font \"黑体\" 12 bold\n");
  const auto& block = f.windows[0].records[1].ownBlock;
  // version, 16 settings, empty picture, then the font's length.
  size_t at = 4 + 16 * 4 + 4;
  ASSERT_GT(block.size(), at + 4 + 60);
  EXPECT_EQ(block[at], 60);
  platform::ByteReader font({block.data() + at + 4, 60});
  EXPECT_EQ(font.I32Le(), -16);  // 12 pt at 96 dpi
  font.Skip(12);
  EXPECT_EQ(font.I32Le(), 700);
}

}  // namespace
