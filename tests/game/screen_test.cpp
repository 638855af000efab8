// What the player sees at the bottom edge of the window: the link and the help label lie
// above the stage, so nothing the stage paints reaches them, and the link's caption fits
// its box. Screenshots of the real program, headless, read back as pixels.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "game/form_ids.h"
#include "platform/draw.h"
#include "platform/process.h"
#include "platform/text.h"
#include "runtime/components/hyperlinker.h"
#include "runtime/components/window_component.h"
#include "runtime/forms/form_description.h"
#include "stage/pictures/picture.h"
#include "tv_game_form.h"

namespace {

using ::testing::EndsWith;
using ::testing::Le;

const platform::Rect kLinkBox{0, 467, 200, 479};
const platform::Rect kLabelBox{392, 467, 640, 479};

std::string TempPath(const std::string& name) {
  return testing::TempDir() + "screen_" + std::to_string(getpid()) + "_" + name;
}

// Plays `script` headless and returns the bytes of the screenshot taken at each time in
// `times` (empty where none was written).
std::vector<std::vector<uint8_t>> ScreenshotFiles(const std::string& script, const std::vector<int>& times) {
  const std::string scriptPath = TempPath("script.txt");
  std::ofstream(scriptPath) << script;
  std::string cmd = std::string(TOLVARAN_EXE) + " --headless --mute --script " + scriptPath;
  for (int ms : times) cmd += " --screenshot " + std::to_string(ms) + ":" + TempPath(std::to_string(ms) + ".png");
  cmd += " 2>/dev/null";
  const int status = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd;
  std::remove(scriptPath.c_str());
  std::vector<std::vector<uint8_t>> files;
  for (int ms : times) {
    const std::string path = TempPath(std::to_string(ms) + ".png");
    files.push_back(platform::ReadWholeFile(path).value_or(std::vector<uint8_t>{}));
    std::remove(path.c_str());
  }
  return files;
}

// Plays `script` headless and returns a screenshot for every time in `times`.
std::vector<platform::Surface> Screenshots(const std::string& script, const std::vector<int>& times) {
  const std::vector<std::vector<uint8_t>> files = ScreenshotFiles(script, times);
  std::vector<platform::Surface> shots;
  for (size_t i = 0; i < files.size(); ++i) {
    auto picture = files[i].empty() ? std::nullopt : stage::DecodePng(files[i], {});
    if (!picture) {
      ADD_FAILURE() << "no screenshot at " << times[i] << " ms";
      continue;
    }
    shots.push_back(std::move(picture->frames.front().pixels));
  }
  return shots;
}

// The colours of a rectangle's pixels, row by row.
std::vector<uint32_t> Pixels(const platform::Surface& s, const platform::Rect& r) {
  std::vector<uint32_t> out;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) out.push_back(s.At(x, y) & 0xFFFFFFu);
  return out;
}

const rt::UnitRecord& Record(uint32_t key) {
  static const auto windows = rt::ParseFormDescription(game::FormProgram().formDescription);
  for (const auto& r : windows->front().records)
    if (r.key == key) return r;
  static const rt::UnitRecord none;
  return none;
}

const rt::HyperLinkerSettings& HomeLink() {
  static const rt::HyperLinkerSettings link =
      rt::ParseHyperLinkerBlock(Record(game::form::HomeLink).ownBlock).value_or(rt::HyperLinkerSettings{});
  return link;
}

// Width in pixels of GBK text in the link's own font, as the platform measures it.
int LinkTextWidth(const std::string& gbk) {
  platform::Surface scratch(1, 1, 0);
  platform::DC dc(&scratch);
  dc.SelectFont(platform::CreateFont(platform::LogFontOrDefault(HomeLink().font)));
  return dc.GetTextExtent(gbk).x;
}

// Walking right into platform 2 and back left across the whole ground strip: the hero,
// the pavement under him and the statue's shadow all pass beneath the two boxes.
TEST(Screen, TheLinkAndTheLabelStayUntouchedByEverythingTheStagePaints) {
  std::vector<int> times;
  for (int ms = 400; ms <= 4800; ms += 100) times.push_back(ms);
  const std::vector<platform::Surface> shots = Screenshots(
      "300 down Return\n350 up Return\n1000 down Right\n3000 up Right\n3200 down Left\n4800 up Left\n",
      times);
  ASSERT_EQ(shots.size(), times.size());
  const std::vector<uint32_t> link = Pixels(shots.front(), kLinkBox);
  const std::vector<uint32_t> label = Pixels(shots.front(), kLabelBox);
  for (size_t i = 1; i < shots.size(); ++i) {
    SCOPED_TRACE(times[i]);
    ASSERT_EQ(Pixels(shots[i], kLinkBox), link);
    ASSERT_EQ(Pixels(shots[i], kLabelBox), label);
  }
  // And the stage did change just above them.
  EXPECT_NE(Pixels(shots.front(), {0, 440, 640, 467}), Pixels(shots.back(), {0, 440, 640, 467}));
}

// A headless run paints only when a frame is read, so a screenshot taken after a long
// stretch of movement (the link and the label were last painted at the start, the stage
// over and over) must show what a run that read the frame at every clock tick shows.
TEST(Screen, AScreenshotAfterUnreadFramesMatchesOneTakenAfterReadingEveryFrame) {
  const std::string script =
      "300 down Return\n350 up Return\n500 down Right\n800 up Right\n850 down Left\n1100 up Left\n";
  std::vector<int> everyTick;
  for (int ms = 5; ms <= 1200; ms += 5) everyTick.push_back(ms);
  const auto read = ScreenshotFiles(script, everyTick);
  const auto unread = ScreenshotFiles(script, {700, 1200});
  ASSERT_EQ(read.size(), everyTick.size());
  ASSERT_EQ(unread.size(), 2u);
  ASSERT_FALSE(unread[0].empty());
  ASSERT_FALSE(unread[1].empty());
  EXPECT_TRUE(unread[0] == read[700 / 5 - 1]) << "at 700 ms";
  EXPECT_TRUE(unread[1] == read.back()) << "at 1200 ms";
  // The frames did change in between, so the comparison saw painting that waited.
  EXPECT_FALSE(read[700 / 5 - 1] == read.back());
  EXPECT_FALSE(read.front() == read[700 / 5 - 1]);
}

TEST(Screen, TheLinkCaptionFitsItsBoxFromTheFirstCharacterToTheLast) {
  const rt::HyperLinkerSettings& link = HomeLink();
  const std::string address = link.webAddress;
  ASSERT_FALSE(address.empty());
  EXPECT_EQ(link.caption, platform::Utf8ToGbk("Tolvaran游戏官方网站") + address);
  // A made-up maker's site lives in a domain reserved for such use.
  EXPECT_THAT(address, ::testing::AnyOf(EndsWith(".test"), EndsWith(".example")));
  // The window's caption names the same address.
  const auto window = rt::ParseWindowBlock(Record(game::form::GameForm).ownBlock);
  ASSERT_TRUE(window.has_value());
  EXPECT_THAT(window->caption, EndsWith(platform::Utf8ToGbk("官网") + address + "  "));
  const int width = LinkTextWidth(link.caption);
  EXPECT_THAT(width, Le(kLinkBox.Width()));

  // Centred in the box: the first and last characters' cells both show ink.
  const platform::Surface shot = Screenshots("", {600}).at(0);
  const int left = kLinkBox.left + (kLinkBox.Width() - width) / 2;
  const int firstWidth = LinkTextWidth(link.caption.substr(0, 1));
  const int lastWidth = LinkTextWidth(link.caption.substr(link.caption.size() - 1));
  const uint32_t background = shot.At(kLinkBox.left, kLinkBox.top) & 0xFFFFFFu;
  auto inked = [&](int from, int to) {
    int n = 0;
    for (int y = kLinkBox.top; y < kLinkBox.bottom; ++y)
      for (int x = from; x < to; ++x) n += (shot.At(x, y) & 0xFFFFFFu) != background;
    return n;
  };
  EXPECT_GT(inked(left, left + firstWidth), 0) << "the first character";
  EXPECT_GT(inked(left + width - lastWidth, left + width), 0) << "the last character";
  EXPECT_GE(left, kLinkBox.left);
  EXPECT_LE(left + width, kLinkBox.right);
}

}  // namespace
