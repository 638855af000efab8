// The commands that reach into other layers: sound, picture files, message pumping, and
// the component methods on real (headless) platform windows. The form runtime and the
// sound player are test stand-ins here (fake_runtime.cpp); the picture loader is real.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

#include "command_test_support.h"
#include "fake_runtime.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/forms/label.h"

namespace {

using namespace rt::commands;
using commands_test::Call;
using commands_test::StartHeadless;
using platform::gbk;
using rt::ArgAbsent;
using rt::ArgInt;
using rt::ArgText;

constexpr uint32_t kWindowId = 0x52010001;
constexpr uint32_t kOwnWindowType = rt::kLabelTypeCode;  // drawn in its own window
// An invented kind of no library here, made of inner windows.
constexpr uint32_t kInnerType = 0x3000A;

// ---- files for the sound and picture commands ---------------------------------------------

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvaran-cmd-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    fake_runtime::Clear();
  }
  void TearDown() override {
    for (const std::string& f : files_) std::remove(f.c_str());
    rmdir(folder_.c_str());
  }
  std::string Write(const std::string& utf8Name, const std::vector<uint8_t>& content) {
    const std::string path = folder_ + "/" + utf8Name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()), std::streamsize(content.size()));
    files_.push_back(path);
    return gbk(folder_) + "\\" + gbk(utf8Name);
  }
  std::string folder_;
  std::vector<std::string> files_;
};

std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// A 24-bit bottom-up BMP of the given size, rows padded to four bytes.
std::vector<uint8_t> Bmp(int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t dataSize = uint32_t(stride * height);
  std::vector<uint8_t> b(54 + dataSize, 0x80);
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); };
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, uint32_t(b.size()));  // file size
  put32(6, 0);                   // reserved
  put32(10, 54);                 // pixel data offset
  put32(14, 40);                 // BITMAPINFOHEADER size
  put32(18, uint32_t(width));
  put32(22, uint32_t(height));
  put16(26, 1);   // planes
  put16(28, 24);  // bits per pixel
  put32(30, 0);   // no compression
  put32(34, dataSize);
  put32(38, 2835);  // 72 dpi
  put32(42, 2835);
  put32(46, 0);  // colours used
  put32(50, 0);  // important colours
  return b;
}

using PlaySoundTest = TempFolder;

TEST_F(PlaySoundTest, ByteSetsGoToThePlayerWithTheirLoopSetting) {
  const std::vector<uint8_t> wave = Bytes("RIFF....WAVEfmt ");
  void* set = rt::MakeBytes(wave);
  rt::ArgRecord r = Call(&PlaySound, {rt::ArgBytes(set)});
  EXPECT_EQ(r.type, rt::kTypeBool);
  EXPECT_TRUE(rt::AsBool(r));
  r = Call(&PlaySound, {rt::ArgBytes(set), ArgInt(1)});
  EXPECT_TRUE(rt::AsBool(r));
  ASSERT_EQ(fake_runtime::played.size(), 2u);
  EXPECT_EQ(fake_runtime::played[0].data, wave);
  EXPECT_EQ(fake_runtime::played[0].loop, 0);
  EXPECT_EQ(fake_runtime::played[1].loop, 1);
  // The player's refusal is the command's answer.
  fake_runtime::soundStarts = false;
  EXPECT_FALSE(rt::AsBool(Call(&PlaySound, {rt::ArgBytes(set)})));
  rt::Free(set);
}

TEST_F(PlaySoundTest, FileNamesAreReadWhole) {
  const std::vector<uint8_t> midi = Bytes("MThd\0\0\0\6");
  const std::string path = Write("背景.mid", midi);
  EXPECT_TRUE(rt::AsBool(Call(&PlaySound, {ArgText(path.c_str()), ArgAbsent()})));
  ASSERT_EQ(fake_runtime::played.size(), 1u);
  EXPECT_EQ(fake_runtime::played[0].data, midi);
}

TEST_F(PlaySoundTest, NothingToPlayIsFalseWithoutAskingThePlayer) {
  const std::string missing = gbk(folder_) + "\\none.wav";
  const std::string empty = Write("empty.wav", {});
  EXPECT_FALSE(rt::AsBool(Call(&PlaySound, {rt::ArgBytes(nullptr)})));
  EXPECT_FALSE(rt::AsBool(Call(&PlaySound, {ArgText("")})));
  EXPECT_FALSE(rt::AsBool(Call(&PlaySound, {ArgText(missing.c_str())})));
  EXPECT_FALSE(rt::AsBool(Call(&PlaySound, {ArgText(empty.c_str())})));
  EXPECT_FALSE(rt::AsBool(Call(&PlaySound, {ArgInt(5)})));
  EXPECT_FALSE(rt::AsBool(Call(&PlaySound, {})));
  EXPECT_TRUE(fake_runtime::played.empty());
}

using PictureSizeTest = TempFolder;

TEST_F(PictureSizeTest, SizeOfABitmapFile) {
  const std::string path = Write("雕像.bmp", Bmp(3, 2));
  EXPECT_EQ(rt::AsInt(Call(&PictureWidth, {ArgText(path.c_str())})), 3);
  EXPECT_EQ(rt::AsInt(Call(&PictureHeight, {ArgText(path.c_str())})), 2);
}

TEST_F(PictureSizeTest, MissingEmptyAndUndecodableFilesAreZero) {
  const std::string missing = gbk(folder_) + "\\none.jpg";
  std::vector<uint8_t> truncated = Bmp(40, 30);
  truncated.resize(30);
  const std::string cut = Write("cut.bmp", truncated);
  const std::string text = Write("notes.txt", Bytes("not a picture"));
  for (const std::string& p : {missing, cut, text, std::string()}) {
    EXPECT_EQ(rt::AsInt(Call(&PictureWidth, {ArgText(p.c_str())})), 0) << p;
    EXPECT_EQ(rt::AsInt(Call(&PictureHeight, {ArgText(p.c_str())})), 0) << p;
  }
}

// ---- components on platform windows ---------------------------------------------------------

class ComponentCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    StartHeadless();
    fake_runtime::Clear();
    form_ = Create(0, {100, 100, 740, 580}, 0);
    stage_ = Create(form_, {10, 20, 110, 70}, platform::WS_CHILD);
    inner_ = Create(stage_, {0, 0, 20, 20}, platform::WS_CHILD);
    other_ = Create(form_, {200, 20, 300, 70}, platform::WS_CHILD);
    fake_runtime::AddComponent(kWindowId, 0, form_);
    fake_runtime::AddComponent(kWindowId, 7, stage_);
    fake_runtime::AddComponent(kWindowId, 9, other_);
    fake_runtime::AddUnitType(kOwnWindowType, 0);
    fake_runtime::AddUnitType(kInnerType, 0x200);
  }
  platform::HWND Create(platform::HWND parent, platform::Rect r, uint32_t style) {
    platform::CreateWindowParams p;
    p.parent = parent;
    p.rect = r;
    p.style = style | platform::WS_VISIBLE;
    p.proc = [this](platform::HWND h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
      if (msg == platform::WM_MOVE || msg == platform::WM_SIZE) placementMessages_.insert(h);
      return platform::DefWindowProc(h, msg, w, l);
    };
    const platform::HWND h = platform::CreateWindow(p);
    EXPECT_NE(h, 0u);
    return h;
  }
  static rt::ArgRecord Stage(uint32_t type = kOwnWindowType) { return rt::ArgComponent(kWindowId, 7, type); }
  static bool HasFocus(const rt::ArgRecord& ref) {
    const rt::ArgRecord r = Call(&ComponentHasFocus, {ref});
    EXPECT_EQ(r.type, rt::kTypeBool);
    return rt::AsBool(r);
  }
  platform::HWND form_ = 0, stage_ = 0, inner_ = 0, other_ = 0;
  std::set<platform::HWND> placementMessages_;
};

TEST_F(ComponentCommands, FocusGoesToTheComponentsWindow) {
  Call(&FocusComponent, {Stage()});
  EXPECT_EQ(platform::GetFocus(), stage_);
  EXPECT_TRUE(HasFocus(Stage()));
  Call(&FocusComponent, {rt::ArgComponent(kWindowId, 9, kOwnWindowType)});
  EXPECT_EQ(platform::GetFocus(), other_);
  EXPECT_FALSE(HasFocus(Stage()));
}

TEST_F(ComponentCommands, FocusOnAnInnerWindowCountsOnlyForInnerWindowTypes) {
  platform::SetFocus(inner_);
  EXPECT_FALSE(HasFocus(Stage(kOwnWindowType)));
  EXPECT_TRUE(HasFocus(Stage(kInnerType)));
  EXPECT_FALSE(HasFocus(Stage(0x99999)));  // unknown type: no flags
  platform::SetFocus(0);
  EXPECT_FALSE(HasFocus(Stage(kInnerType)));
}

TEST_F(ComponentCommands, MoveKeepsTheSizeUnlessGiven) {
  Call(&MoveComponent, {Stage(), ArgInt(30)});
  EXPECT_EQ(platform::GetRectInParent(stage_), (platform::Rect{30, 20, 130, 70}));
  Call(&MoveComponent, {Stage(), ArgAbsent(), ArgInt(5), ArgInt(-1), ArgInt(10)});
  EXPECT_EQ(platform::GetRectInParent(stage_), (platform::Rect{30, 5, 130, 15}));
  Call(&MoveComponent, {Stage(), ArgInt(0), ArgInt(0), ArgInt(640), ArgInt(480)});
  EXPECT_EQ(platform::GetRectInParent(stage_), (platform::Rect{0, 0, 640, 480}));
  // A negative size gives an empty window rather than an inverted rectangle.
  Call(&MoveComponent, {Stage(), ArgAbsent(), ArgAbsent(), ArgInt(-20)});
  EXPECT_EQ(platform::GetRectInParent(stage_), (platform::Rect{0, 0, 0, 480}));
}

TEST_F(ComponentCommands, UnchangedRectangleDoesNotMove) {
  placementMessages_.clear();
  Call(&MoveComponent, {Stage()});
  Call(&MoveComponent, {Stage(), ArgInt(10), ArgInt(20), ArgInt(100), ArgInt(50)});
  EXPECT_EQ(placementMessages_.count(stage_), 0u);
  Call(&MoveComponent, {Stage(), ArgInt(11)});
  EXPECT_EQ(placementMessages_.count(stage_), 1u);
}

TEST_F(ComponentCommands, ComponentThatIsNotLoadedEndsTheProgram) {
  const std::string message = platform::GbkToUtf8(gbk("错误信息：指定窗口或窗口组件不存在或尚未载入"));
  EXPECT_EXIT(Call(&FocusComponent, {rt::ArgComponent(kWindowId, 55, kOwnWindowType)}),
              ::testing::ExitedWithCode(255), message);
  EXPECT_EXIT(Call(&ComponentHasFocus, {rt::ArgComponent(1, 7, kOwnWindowType)}),
              ::testing::ExitedWithCode(255), message);
  EXPECT_EXIT(Call(&MoveComponent, {rt::ArgComponent(kWindowId, 56, kOwnWindowType), ArgInt(1)}),
              ::testing::ExitedWithCode(255), message);
}

TEST(DoEventsCommand, LetsTheRuntimePumpMessages) {
  fake_runtime::Clear();
  Call(&DoEvents, {});
  Call(&DoEvents, {});
  EXPECT_EQ(fake_runtime::doEventsCalls, 2);
}

// ---- the table -------------------------------------------------------------------------------

TEST(CommandTable, EveryCommandByItsEnglishName) {
  const char* names[] = {"Mod", "Abs", "SetRandomSeed", "Random", "TextLength", "LeftText", "RightText",
                         "MidText", "FindTextReverse", "ToInt", "ToText", "RunDirectory", "ReadFileBytes",
                         "PlaySound", "DoEvents", "FocusComponent", "ComponentHasFocus", "MoveComponent",
                         "PictureWidth", "PictureHeight"};
  std::set<rt::CommandRoutine> routines;
  for (const char* name : names) {
    const rt::CommandRoutine r = rt::FindCommand(name);
    EXPECT_NE(r, nullptr) << name;
    routines.insert(r);
  }
  EXPECT_EQ(routines.size(), 20u);
  EXPECT_EQ(rt::FindCommand("Random"), &Random);
  EXPECT_EQ(rt::FindCommand("random"), nullptr);
  EXPECT_EQ(rt::FindCommand(""), nullptr);
}

}  // namespace
