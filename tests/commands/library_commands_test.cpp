// The commands as the game links them: the real command library over the real form
// runtime, sound player and picture loader, called by name through the table.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"

namespace {

using commands_test::StartHeadless;

rt::ArgRecord CallNamed(const char* name, std::initializer_list<rt::ArgRecord> args) {
  const rt::CommandRoutine routine = rt::FindCommand(name);
  if (!routine) {
    ADD_FAILURE() << "no command " << name;
    return {};
  }
  return rt::CallCommand(routine, args);
}

TEST(LibraryCommands, DoEventsRunsPendingMessagesAndLeavesTheQuit) {
  StartHeadless();
  std::vector<uint64_t> seen;
  platform::CreateWindowParams p;
  p.rect = {0, 0, 100, 100};
  p.proc = [&](platform::HWND h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
    if (msg == platform::WM_USER) seen.push_back(w);
    return platform::DefWindowProc(h, msg, w, l);
  };
  const platform::HWND h = platform::CreateWindow(p);
  ASSERT_NE(h, 0u);
  platform::PostMessage(h, platform::WM_USER, 1, 0);
  platform::PostMessage(h, platform::WM_USER, 2, 0);
  CallNamed("DoEvents", {});
  EXPECT_EQ(seen, (std::vector<uint64_t>{1, 2}));
  // The quit comes after what was posted; the pumping stops at it and leaves it for
  // the message loop.
  platform::PostQuitMessage(0);
  platform::PostMessage(h, platform::WM_USER, 3, 0);
  CallNamed("DoEvents", {});
  EXPECT_EQ(seen, (std::vector<uint64_t>{1, 2, 3}));
  platform::Message m;
  EXPECT_TRUE(platform::PeekMessage(m, platform::PM_REMOVE));
  EXPECT_EQ(m.message, platform::WM_QUIT);
  platform::DestroyWindow(h);
}

TEST(LibraryCommands, RunDirectoryDefaultsToTheProgramFolder) {
  const rt::ArgRecord r = CallNamed("RunDirectory", {});
  EXPECT_EQ(commands_test::TakeText(r), platform::Utf8ToGbk(platform::ProgramFolder()));
}

TEST(LibraryCommands, SoundThatIsNeitherWaveNorMidiIsNotPlayed) {
  StartHeadless();
  const uint8_t noise[] = {'R', 'I', 'F', 'X', 1, 2, 3, 4, 5, 6, 7, 8};
  void* set = rt::MakeBytes(noise);
  EXPECT_FALSE(rt::AsBool(CallNamed("PlaySound", {rt::ArgBytes(set)})));
  rt::Free(set);
}

}  // namespace
