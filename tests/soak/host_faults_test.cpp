// The real window under what a desktop does to a running game: the display going away
// and termination signals. Each test starts a private X server (Xvfb) and the game as a
// child in its own process group, as a shell starts a foreground job, so that SIGINT
// reaches it the way Ctrl+C in a terminal would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "child_run.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Starts `argv` with `env` added, stdout dropped and stderr into `errFile`; `ignore`
// is a signal the child starts with ignored (0 for none). Returns the pid.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& errFile, int keepFd = -1, int ignore = 0) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  setpgid(0, 0);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, sig == ignore ? SIG_IGN : SIG_DFL);
  const int out = open("/dev/null", O_WRONLY);
  const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(out, 1);
  dup2(err, 2);
  for (int fd = 3; fd < 256; ++fd)
    if (fd != keepFd) close(fd);
  for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

// Waits up to `limit` for the child; its wait status, or -1 when it is still running.
int WaitFor(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  for (;;) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    if (Clock::now() >= end) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool WaitForFile(const fs::path& file, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    std::error_code ec;
    if (fs::exists(file, ec)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class HostFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
    dir_ = soak::Temp("faults");
    fs::create_directories(dir_);
    // -displayfd: the server picks a free display and writes its number when it is ready.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten", "tcp",
                   "-screen", "0", "1024x768x24"},
                  {}, (dir_ / "xvfb.txt").string(), ready[1]);
    close(ready[1]);
    pollfd p{ready[0], POLLIN, 0};
    std::string number;
    char c;
    while (poll(&p, 1, 20000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    display_ = ":" + number;
  }
  void TearDown() override {
    if (game_ > 0 && WaitFor(game_, std::chrono::milliseconds(0)) == -1) {
      kill(-game_, SIGKILL);
      waitpid(game_, nullptr, 0);
    }
    if (xvfb_ > 0) {
      kill(xvfb_, SIGKILL);
      waitpid(xvfb_, nullptr, 0);
    }
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // The game in the real window, with sound on SDL's silent device, a screenshot at
  // 700 ms and the dump asked for; returns once the screenshot shows it is playing.
  void StartGame(const fs::path& dump, int ignore = 0) {
    game_ = Spawn({TOLVARAN_EXE, "--dump-state", dump.string(), "--screenshot",
                   "700:" + Shot().string()},
                  {"DISPLAY=" + display_, "SDL_AUDIODRIVER=dummy"}, Err().string(), -1, ignore);
    ASSERT_TRUE(WaitForFile(Shot(), std::chrono::seconds(60))) << soak::ReadAll(Err());
    // The PNG is written whole before the game goes on; give it a moment to be back in
    // its loop.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  fs::path Shot() const { return dir_ / "shot.png"; }
  fs::path Err() const { return dir_ / "err.txt"; }

  fs::path dir_;
  std::string display_;
  pid_t xvfb_ = -1, game_ = -1;
};

// Anything a sanitizer, a crash or a stray message would leave on stderr.
void ExpectNothingBroke(const std::string& err) {
  EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
  EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
  EXPECT_EQ(err.find("X connection"), std::string::npos) << err;
}

TEST_F(HostFaults, EachTerminationSignalEndsTheGameAsClosingItDoes) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    const fs::path dump = dir_ / "dump.json";
    fs::remove(dump);
    fs::remove(Shot());
    StartGame(dump);
    const auto sent = Clock::now();
    kill(-game_, sig);  // to the group, as the terminal does
    const int status = WaitFor(game_, std::chrono::seconds(10));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count();
    ASSERT_NE(status, -1) << "still running 10 s after the signal";
    game_ = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    std::printf("%s: ended %lld ms after the signal\n", strsignal(sig), (long long)ms);
    // The program's own 200 ms, with room for the sanitizers and a busy machine.
    EXPECT_LT(ms, 2000);
    EXPECT_GT(fs::file_size(dump), 0u) << "the dump was written";
    EXPECT_GT(fs::file_size(Shot()), 0u);
    ExpectNothingBroke(soak::ReadAll(Err()));
  }
}

// While the first signal's end is under way (here held up for good: the dump goes to a
// pipe nobody reads), a second one ends the program at once, killed by that signal.
TEST_F(HostFaults, ASecondSignalDuringTheEndEndsAtOnce) {
  const fs::path fifo = dir_ / "dump.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  StartGame(fifo);
  kill(-game_, SIGTERM);
  EXPECT_EQ(WaitFor(game_, std::chrono::milliseconds(500)), -1) << "the end did not wait for the dump";
  kill(-game_, SIGINT);
  const int status = WaitFor(game_, std::chrono::seconds(2));
  ASSERT_NE(status, -1) << "the second signal did not end it";
  game_ = -1;
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status;
}

// Started with SIGHUP ignored (nohup): the game stays when the terminal goes.
TEST_F(HostFaults, ASignalIgnoredFromTheStartStaysIgnored) {
  const fs::path dump = dir_ / "dump.json";
  StartGame(dump, SIGHUP);
  kill(-game_, SIGHUP);
  EXPECT_EQ(WaitFor(game_, std::chrono::milliseconds(500)), -1);
  kill(-game_, SIGTERM);
  const int status = WaitFor(game_, std::chrono::seconds(10));
  game_ = -1;
  EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// The X server goes away under the running game: one line, status 1, the dump written,
// no crash and no hang.
TEST_F(HostFaults, DisplayGoneEndsWithStatusOneAndOneLine) {
  const fs::path dump = dir_ / "dump.json";
  StartGame(dump);
  kill(xvfb_, SIGKILL);
  waitpid(xvfb_, nullptr, 0);
  xvfb_ = -1;
  const int status = WaitFor(game_, std::chrono::seconds(10));
  ASSERT_NE(status, -1) << "still running 10 s after the display went away";
  game_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
  const std::string err = soak::ReadAll(Err());
  EXPECT_EQ(err, "tolvaran: lost the connection to the display " + display_ + "; exiting\n");
  EXPECT_GT(fs::file_size(dump), 0u) << "the dump was written";
}

}  // namespace
