// One host per profile, with many orvane processes on one profile at once:
// starts run one after the other and write each prayer once; commands
// beside a staying host are handed to it and answered with its output and
// exit status; killing the staying host in the middle leaves no doubles and
// no command unanswered; a waiting command says so, gives up naming the
// busy process, and a lock of a killed process blocks nobody. Commands that
// only read never wait.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/run/ProfileLock.h"
#include "platform/fs/Profile.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

using namespace std::chrono_literals;

// All six prayers, a fortnight ahead: enough writing for starts that
// overlap to double some of it, were they let.
constexpr const char* kSettings =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Veltrix\\Orvane\\3.0\\Settings]\n"
    "\"PrayerFlags\"=dword:0000003f\n"
    "\"PrescheduleDays\"=dword:0000000e\n";

std::string Orvane(const std::string& arguments, int* code) {
  return RunCommand(std::string(ORVANE_PROGRAM) + " " + arguments, code);
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Launched {
  pid_t pid;
  std::string command;
  std::filesystem::path output;
};

class OneHostTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("ORVANE_NOTIFY", "", 1); }
  void TearDown() override {
    for (const Launched& l : launched_) {
      if (kill(l.pid, 0) == 0) {
        kill(l.pid, SIGKILL);
        waitpid(l.pid, nullptr, 0);
      }
    }
    unsetenv("ORVANE_NOTIFY");
  }

  // Installs the add-in with the settings above into the profile (the
  // test's own when home is empty).
  void Install(const std::string& home = "") {
    const std::string global = home.empty() ? "" : "--home " + home + " ";
    const std::filesystem::path reg = profile_.Dir() / "settings.reg";
    std::ofstream(reg) << kSettings;
    int code = 0;
    std::string out = Orvane(global + "install", &code);
    ASSERT_EQ(code, 0) << out;
    out = Orvane(global + "reg import " + reg.string(), &code);
    ASSERT_EQ(code, 0) << out;
  }

  // The calendar, one line an item, in order.
  std::vector<std::string> Calendar(const std::string& home = "") {
    int code = 0;
    const std::string out = RunCommand(std::string(ORVANE_PROGRAM) + (home.empty() ? "" : " --home " + home) +
                                           " calendar list --tsv 2>/dev/null",
                                       &code);
    EXPECT_EQ(code, 0);
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  // What one start writes into a profile of its own: the calendar every
  // crowd of commands must end with.
  const std::vector<std::string>& Reference() {
    if (reference_.empty()) {
      const std::string home = (profile_.Dir() / "reference").string();
      Install(home);
      int code = 0;
      const std::string out = Orvane("--home " + home + " start", &code);
      EXPECT_EQ(code, 0) << out;
      reference_ = Calendar(home);
      EXPECT_GT(reference_.size(), 50u);
    }
    return reference_;
  }

  pid_t Launch(const std::string& arguments) {
    const std::filesystem::path output = profile_.Dir() / ("out" + std::to_string(launched_.size()) + ".txt");
    const pid_t child = fork();
    if (child == 0) {
      const std::string line = std::string("exec ") + ORVANE_PROGRAM + " " + arguments + " >" + output.string() + " 2>&1";
      execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    launched_.push_back({child, arguments, output});
    return child;
  }

  // The exit status of a launched command; -1 (and a failure) when it did
  // not end within the limit: a command left unanswered.
  int Wait(const Launched& l, std::chrono::seconds limit = 600s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(l.pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) {
        ADD_FAILURE() << l.command << " got no answer:\n" << ReadAll(l.output);
        kill(l.pid, SIGKILL);
        waitpid(l.pid, nullptr, 0);
        return -1;
      }
      std::this_thread::sleep_for(20ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Starts `orvane start --stay` and waits until it runs.
  pid_t Stay() {
    const pid_t pid = Launch("start --stay");
    const auto end = std::chrono::steady_clock::now() + 300s;
    while (ReadAll(launched_.back().output).find("running; Ctrl-C stops") == std::string::npos) {
      if (std::chrono::steady_clock::now() > end || kill(pid, 0) != 0) {
        ADD_FAILURE() << "the staying host did not come up:\n" << ReadAll(launched_.back().output);
        break;
      }
      std::this_thread::sleep_for(50ms);
    }
    return pid;
  }

  static bool HasDoubles(const std::vector<std::string>& lines) {
    return std::adjacent_find(lines.begin(), lines.end()) != lines.end();
  }

  TestProfile profile_;
  std::vector<Launched> launched_;
  std::vector<std::string> reference_;
};

// Regression: three starts at once on one profile wrote about a dozen of a
// 186-day window's appointments twice.
TEST_F(OneHostTest, StartsAtTheSameMomentWriteEachPrayerOnce) {
  const std::vector<std::string> reference = Reference();
  Install();
  for (int i = 0; i < 4; ++i) Launch("start");
  int reported = 0;
  for (const Launched& l : launched_) {
    EXPECT_EQ(Wait(l), 0) << l.command << "\n" << ReadAll(l.output);
    if (ReadAll(l.output).find("prayer appointments written for") != std::string::npos) ++reported;
  }
  EXPECT_EQ(reported, 1) << "one start wrote the calendar; the others found it filled and said nothing";
  EXPECT_EQ(Calendar(), reference);
}

TEST_F(OneHostTest, CommandsBesideAStayingHostAreHandedToItAndAnswered) {
  const std::vector<std::string> reference = Reference();
  Install();
  const pid_t host = Stay();
  EXPECT_EQ(Calendar(), reference);

  const std::vector<std::string> crowd = {"generate", "delete", "start", "generate", "delete", "start --verbose",
                                          "generate", "imsakyya --no-open"};
  for (const std::string& command : crowd) Launch(command);
  for (std::size_t i = 1; i < launched_.size(); ++i) {
    EXPECT_EQ(Wait(launched_[i]), 0) << launched_[i].command << "\n" << ReadAll(launched_[i].output);
  }
  // What a handed-over command prints reaches its caller.
  const std::string page = ReadAll(launched_.back().output);
  EXPECT_NE(page.find("imsakyya.html\n"), std::string::npos) << page;
  // The staying host held the profile throughout: every command was its.
  ASSERT_EQ(kill(host, 0), 0) << ReadAll(launched_[0].output);
  EXPECT_NE(host::ProfileLock::Holder(profile::File("host.lock")).find("start --stay (pid " + std::to_string(host)),
            std::string::npos);

  int code = 0;
  std::string out = Orvane("generate", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_EQ(Calendar(), reference);
  // A failure comes back with its exit status and its message (the staying
  // host has no desktop here).
  out = Orvane("dialog daylight", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_NE(out.find("needs a desktop"), std::string::npos) << out;
  // One staying host is enough.
  out = Orvane("start --stay", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("keeps this profile already"), std::string::npos) << out;

  kill(host, SIGTERM);
  EXPECT_EQ(Wait(launched_[0], 120s), 0) << ReadAll(launched_[0].output);
}

TEST_F(OneHostTest, KillingTheStayingHostInTheMiddleLeavesNoDoublesAndNoCommandUnanswered) {
  const std::vector<std::string> reference = Reference();
  Install();
  const pid_t host = Stay();
  for (const char* command : {"delete", "generate", "start", "delete", "generate", "start", "generate"}) {
    Launch(command);
  }
  std::this_thread::sleep_for(700ms);
  kill(host, SIGKILL);
  Wait(launched_[0]);
  for (std::size_t i = 1; i < launched_.size(); ++i) {
    const int code = Wait(launched_[i]);
    const std::string out = ReadAll(launched_[i].output);
    // Done, by the host before it died or by the command itself after; or
    // said to be cut short.
    EXPECT_TRUE(code == 0 || (code == 1 && out.find("ended before it finished") != std::string::npos))
        << launched_[i].command << " " << code << "\n" << out;
  }
  // The dead host's lock and socket are in nobody's way.
  int code = 0;
  std::string out = Orvane("--wait 0 start", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_FALSE(HasDoubles(Calendar()));
  out = Orvane("--wait 0 delete", &code);
  EXPECT_EQ(code, 0) << out;
  out = Orvane("--wait 0 generate", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_EQ(Calendar(), reference);
}

TEST_F(OneHostTest, AWaitingCommandSaysSoAndGivesUpNamingTheBusyProcess) {
  Install();
  const std::string holder = "orvane test-holder (pid " + std::to_string(getpid()) + ")";
  {
    host::ProfileLock lock(profile::File("host.lock"));
    ASSERT_TRUE(lock.TryAcquire(holder));
    int code = 0;
    std::string out = Orvane("--wait 2 generate", &code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out, "orvane: waiting for " + holder + ", which works on this profile\n"
                   "orvane: gave up after 2 s: " + holder +
                   " still works on this profile (orvane --wait SECONDS waits longer)\n");
    // The limit from the environment; and none at all gives up at once.
    setenv("ORVANE_WAIT", "0", 1);
    out = Orvane("delete", &code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out, "orvane: gave up after 0 s: " + holder +
                       " still works on this profile (orvane --wait SECONDS waits longer)\n");
    // Commands that only read never wait: were they to, the limit would
    // keep them far past the `timeout` around them.
    setenv("ORVANE_WAIT", "600", 1);
    for (const char* reader : {"calendar list", "calc --city mecca --date 2004-03-21", "reg export HKEY_CURRENT_USER"}) {
      RunCommand(std::string("timeout 60 ") + ORVANE_PROGRAM + " " + reader, &code);
      EXPECT_EQ(code, 0) << reader;
    }
    unsetenv("ORVANE_WAIT");
  }
  // A lock left by a process that was killed blocks nobody.
  const pid_t child = fork();
  if (child == 0) {
    host::ProfileLock lock(profile::File("host.lock"));
    if (!lock.TryAcquire("orvane doomed")) _exit(1);
    pause();
    _exit(0);
  }
  const auto end = std::chrono::steady_clock::now() + 30s;
  while (host::ProfileLock::Holder(profile::File("host.lock")) != "orvane doomed" &&
         std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(10ms);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  int code = 0;
  const std::string out = Orvane("--wait 0 generate", &code);
  EXPECT_EQ(code, 0) << out;
}

}  // namespace
