// Runs the real program as a child process: exit codes, the one-line errors, and the
// outputs the command line asks for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "app/options.h"
#include "platform/command_line.h"

using ::testing::HasSubstr;

namespace {

// CTest runs tests in parallel processes: every name carries this process's id.
std::string Temp(const std::string& name) {
  return testing::TempDir() + "/" + std::to_string(getpid()) + "_" + name;
}

struct Result {
  int exitCode = -1;
  std::string err;
};

// Runs tolvaran with the arguments (each quoted), stdout to /dev/null, stderr captured.
Result RunProgram(const std::string& prefix, const std::vector<std::string>& args,
           const std::string& env = "") {
  std::string errFile = Temp("tolvaran_cli_err.txt");
  std::string cmd = env + " " + prefix + " '" TOLVARAN_EXE "'";
  for (const std::string& a : args) cmd += " '" + a + "'";
  cmd += " >/dev/null 2>'" + errFile + "'";
  int status = std::system(cmd.c_str());
  Result r;
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  std::ifstream in(errFile);
  r.err.assign(std::istreambuf_iterator<char>(in), {});
  std::remove(errFile.c_str());
  return r;
}

Result Tolvaran(const std::vector<std::string>& args) { return RunProgram("", args); }


void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

}  // namespace

TEST(CommandLine, BadInputIsOneLineAndExitCodeTwo) {
  std::string badScript = Temp("tolvaran_bad_script.txt");
  WriteFile(badScript, "0 down Left\n5 sideways Left\n");
  std::vector<std::vector<std::string>> cases = {
      {"--bogus"},
      {"--headless", "stray"},
      {"--run-for"},
      {"--run-for", "ten"},
      {"--scale", "0"},
      {"--headless=yes"},
      {"--fullscreen=1"},
      {"--screenshot", "100"},
      {"--screenshot", "x:out.png"},
      {"--screenshot", "100:/no/such/folder/out.png"},
      {"--screenshot", "100:" + testing::TempDir()},
      {"--dump-state", "/no/such/folder/state.json"},
      {"--script", "/no/such/script.txt"},
      {"--script", badScript},
      {"--random-play", "-1"},
      {"--random-play", "99999999999999999999999"},
      {"--headless", "--random-play", "7"},  // would never end
  };
  for (const auto& args : cases) {
    Result r = Tolvaran(args);
    std::string shown = args[0] + (args.size() > 1 ? " " + args[1] : "");
    EXPECT_EQ(r.exitCode, 2) << shown;
    ASSERT_FALSE(r.err.empty()) << shown;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << shown << ": " << r.err;
    EXPECT_THAT(r.err, HasSubstr("tolvaran: ")) << shown;
  }
  EXPECT_THAT(Tolvaran({"--script", badScript}).err, HasSubstr("line 2"));
  std::remove(badScript.c_str());
}

TEST(CommandLine, CheckingOutputPathsLeavesNoFilesBehind) {
  std::string shot = Temp("tolvaran_never_written.png");
  std::string state = Temp("tolvaran_never_written.json");
  std::remove(shot.c_str());
  Result r = Tolvaran({"--headless", "--screenshot", "5:" + shot, "--dump-state", state, "--bogus"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_FALSE(Exists(shot));
  EXPECT_FALSE(Exists(state));
}

TEST(CommandLine, HelpExitsZero) {
  Result r = Tolvaran({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.err.empty());
  EXPECT_THAT(app::UsageText(), HasSubstr("--random-play SEED"));
}

TEST(CommandLine, HeadlessRunForAMinuteEndsWithZero) {
  Result r = Tolvaran({"--headless", "--run-for", "60000"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(CommandLine, HeadlessScreenshotsAreWrittenAsPng) {
  std::string a = Temp("tolvaran_shot_a.png"), b = Temp("tolvaran_shot_b.png");
  std::remove(a.c_str());
  std::remove(b.c_str());
  std::string script = Temp("tolvaran_ok_script.txt");
  WriteFile(script, "10 down Right\n20 up Right\n");
  Result r = Tolvaran({"--headless", "--script", script, "--screenshot", "100:" + a,
                       "--screenshot=50:" + b, "--run-for", "200", "--mute"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  for (const std::string& path : {a, b}) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, 8> sig{};
    in.read(sig.data(), 8);
    EXPECT_EQ(std::string(sig.data() + 1, 3), "PNG") << path;
    std::remove(path.c_str());
  }
  std::remove(script.c_str());
}

TEST(CommandLine, WithoutADisplayTheRealWindowNamesHeadless) {
  Result r = RunProgram("", {"--run-for", "10"}, "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER");
  EXPECT_NE(r.exitCode, 0);
  EXPECT_THAT(r.err, HasSubstr("--headless"));
}

TEST(CommandLine, RealWindowUnderXvfb) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xvfb-run";
  std::string shot = Temp("tolvaran_xvfb.png");
  std::remove(shot.c_str());
  Result r = RunProgram("xvfb-run -a", {"--run-for", "1500", "--screenshot", "1000:" + shot});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::ifstream in(shot, std::ios::binary);
  std::array<char, 8> sig{};
  in.read(sig.data(), 8);
  EXPECT_EQ(std::string(sig.data() + 1, 3), "PNG");
  std::remove(shot.c_str());
}

TEST(CommandLineParser, CollectsEveryOption) {
  app::CommandLine cl;
  std::string error;
  std::string shot = Temp("x.png");
  EXPECT_FALSE(cl.host.fullscreen);
  ASSERT_TRUE(app::ParseCommandLine({"--headless", "--mute", "--scale", "3", "--run-for=1500", "--fullscreen",
                                     "--screenshot", "10:" + shot, "--screenshot", "20:" + shot},
                                    cl, error))
      << error;
  EXPECT_TRUE(cl.host.headless);
  EXPECT_TRUE(cl.host.mute);
  EXPECT_EQ(cl.host.scale, 3);
  EXPECT_TRUE(cl.host.fullscreen);
  EXPECT_EQ(cl.host.runForMs, 1500u);
  ASSERT_EQ(cl.host.screenshots.size(), 2u);
  EXPECT_EQ(cl.host.screenshots[1].timeMs, 20u);
  EXPECT_EQ(cl.host.screenshots[1].path, shot);
  EXPECT_EQ(cl.host.keySource, nullptr);
  ASSERT_TRUE(app::ParseCommandLine({"--random-play=12", "--headless", "--run-for", "9"}, cl, error))
      << error;
  ASSERT_NE(cl.host.keySource, nullptr);
  EXPECT_EQ(cl.host.keySource->Next()->vk, platform::VK_RETURN);
}

TEST(CommandLineParser, RelativeOutputPathsArePinnedToTheStartingFolder) {
  app::CommandLine cl;
  std::string error;
  ASSERT_TRUE(app::ParseCommandLine({"--screenshot", "5:shot.png", "--dump-state", "s.json"}, cl, error))
      << error;
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(cl.host.screenshots[0].path, std::string(cwd) + "/shot.png");
  EXPECT_EQ(cl.dumpStatePath, std::string(cwd) + "/s.json");
}

TEST(CommandLineParser, WritabilityCheck) {
  EXPECT_FALSE(platform::CheckWritable(Temp("fresh_name.json")));
  EXPECT_TRUE(platform::CheckWritable(testing::TempDir()));
  EXPECT_TRUE(platform::CheckWritable("/no/such/dir/x.json"));
  EXPECT_TRUE(platform::CheckWritable(""));
}

// The messages quote what was typed; a word or script line holding control characters
// still gives one printable line.
TEST(CommandLineParser, MessagesEscapeControlCharacters) {
  app::CommandLine cl;
  std::string error;
  ASSERT_FALSE(app::ParseCommandLine({"a\nb\tc\x01"}, cl, error));
  EXPECT_EQ(error, "unexpected argument 'a\\nb\\tc\\x01' (see --help)");

  const std::string script = Temp("control.txt");
  std::ofstream(script) << "10 down Return\n20 down \x1b[2J\r\n";
  ASSERT_FALSE(app::ParseCommandLine({"--script", script}, cl, error));
  EXPECT_THAT(error, HasSubstr("line 2: unknown key '\\x1b[2J'"));
  for (char c : error) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << error;
  std::remove(script.c_str());
}

// A file that only looks regular and never ends is refused at the size cap instead of
// holding up the start.
TEST(CommandLineParser, ScriptsAreCappedInSize) {
  app::CommandLine cl;
  std::string error;
  ASSERT_FALSE(app::ParseCommandLine({"--script", "/proc/self/pagemap"}, cl, error));
  EXPECT_EQ(error, "script '/proc/self/pagemap' is larger than 16 MiB");
  ASSERT_FALSE(app::ParseCommandLine({"--script", testing::TempDir()}, cl, error));
  EXPECT_THAT(error, HasSubstr("cannot read script"));
}
