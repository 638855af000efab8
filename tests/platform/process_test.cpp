#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/process.h"

using namespace platform;
using ::testing::ElementsAre;

TEST(Process, ProgramFolderHoldsThisExecutable) {
  std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_EQ(access((folder + "/" + ProgramFileName()).c_str(), X_OK), 0);
}

TEST(Process, InstalledProgramKeepsItsFilesUnderShare) {
  const std::string prefix = testing::TempDir() + "/" + std::to_string(getpid()) + "_prefix";
  ASSERT_EQ(system(("mkdir -p '" + prefix + "/bin' '" + prefix + "/share/game'").c_str()), 0);
  EXPECT_EQ(ProgramFolderOf(prefix + "/bin/game"), prefix + "/share/game");
  // Another program of the same prefix has no files there: its own folder.
  EXPECT_EQ(ProgramFolderOf(prefix + "/bin/other"), prefix + "/bin");
  // A game installed as Debian lays out games: PREFIX/games/NAME, PREFIX/share/games/NAME.
  ASSERT_EQ(system(("mkdir -p '" + prefix + "/games' '" + prefix + "/share/games/game'").c_str()), 0);
  EXPECT_EQ(ProgramFolderOf(prefix + "/games/game"), prefix + "/share/games/game");
  EXPECT_EQ(ProgramFolderOf(prefix + "/games/other"), prefix + "/games");
  // Only a bin/ or games/ folder points at share/.
  EXPECT_EQ(ProgramFolderOf(prefix + "/libexec/game"), prefix + "/libexec");
  EXPECT_EQ(ProgramFolderOf("/game"), "/");
  EXPECT_EQ(system(("rm -rf '" + prefix + "'").c_str()), 0);
}

TEST(Process, SetCurrentFolderChangesTheWorkingDirectory) {
  char before[4096];
  ASSERT_NE(getcwd(before, sizeof before), nullptr);
  ASSERT_TRUE(SetCurrentFolder(ProgramFolder()));
  char now[4096];
  ASSERT_NE(getcwd(now, sizeof now), nullptr);
  EXPECT_EQ(std::string(now), ProgramFolder());
  EXPECT_FALSE(SetCurrentFolder("/no/such/folder"));
  EXPECT_FALSE(SetCurrentFolder(""));
  ASSERT_TRUE(SetCurrentFolder(before));
}

TEST(Process, ReadWholeFileReadsBytesAndRefusesFolders) {
  std::string path = testing::TempDir() + "/" + std::to_string(getpid()) + "_read_test.bin";
  {
    std::ofstream out(path, std::ios::binary);
    out << std::string("a\0b\xFF", 4);
  }
  auto data = ReadWholeFile(path);
  ASSERT_TRUE(data);
  EXPECT_THAT(*data, ElementsAre('a', 0, 'b', 0xFF));
  std::remove(path.c_str());
  EXPECT_FALSE(ReadWholeFile(path));
  EXPECT_FALSE(ReadWholeFile(testing::TempDir()));
}

TEST(Process, CommandLinesSplitLikeTheDesktopShellWould) {
  EXPECT_THAT(SplitCommandLine("notepad.exe  readme.txt"), ElementsAre("notepad.exe", "readme.txt"));
  EXPECT_THAT(SplitCommandLine("\"/opt/my app/run\" \"a b\" c\"d e\""),
              ElementsAre("/opt/my app/run", "a b", "cd e"));
  EXPECT_THAT(SplitCommandLine("say \\\"hi\\\" \"\""), ElementsAre("say", "\"hi\"", ""));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(Process, RunCommandLineStartsWithoutAShell) {
  std::string marker = testing::TempDir() + "/" + std::to_string(getpid()) + "_run_marker";
  std::remove(marker.c_str());
  // A shell would expand the semicolon; without one, touch gets it as a file name.
  ASSERT_TRUE(RunCommandLine("touch \"" + marker + ";x\""));
  for (int i = 0; i < 200 && access((marker + ";x").c_str(), F_OK) != 0; ++i) usleep(10000);
  EXPECT_EQ(access((marker + ";x").c_str(), F_OK), 0);
  EXPECT_NE(access(marker.c_str(), F_OK), 0);
  std::remove((marker + ";x").c_str());
  EXPECT_FALSE(RunCommandLine("/no/such/program-tolvaran"));
  EXPECT_FALSE(RunCommandLine(""));
}

TEST(Process, DesktopExecFieldCodesBecomeThePlaceholder) {
  EXPECT_EQ(ExpandDesktopExec("firefox-esr %u"), "firefox-esr \"%1\"");
  EXPECT_EQ(ExpandDesktopExec("chromium %U --flag"), "chromium \"%1\" --flag");
  EXPECT_EQ(ExpandDesktopExec("viewer --icon %i %c %F"), "viewer --icon \"%1\"");
  EXPECT_EQ(ExpandDesktopExec("echo 100%%"), "echo 100%");
  EXPECT_EQ(ExpandDesktopExec("plain"), "plain");
}

TEST(Process, TickCountFollowsTheHost) {
  // No host chosen explicitly: the headless one answers from virtual time 0.
  EXPECT_LT(GetTickCount(), 1000u);
}
