// orvane start as a user runs it, with the test add-in registered: the
// add-in is created, connected and hears the host's events in Outlook's
// order; reminders reach it and the user; calendar.ics follows the store,
// even when the host is killed in the middle of a batch of saves.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "host/ical/MirrorReader.h"
#include "host/store/CalendarStore.h"
#include "platform/com/VariantTime.h"
#include "platform/fs/Profile.h"
#include "platform/registry/Registry.h"
#include "tests/support/OleDates.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

constexpr const char* kProgId = "OrvaneTest.Addin";
constexpr const char* kClsid = "{5E1C2A10-7B3D-4F21-9C55-0A1B2C3D4E5F}";
constexpr const char* kAddinKey = "Software\\Microsoft\\Office\\Outlook\\Addins\\OrvaneTest.Addin";

std::string RunOrvane(const std::string& arguments, int* exitCode) {
  return RunCommand(std::string(ORVANE_PROGRAM) + " " + arguments, exitCode);
}

// Starts orvane with these arguments without waiting; stderr goes to `err`.
pid_t Launch(const std::vector<std::string>& arguments, const std::filesystem::path& err) {
  const pid_t child = fork();
  if (child == 0) {
    FILE* f = std::freopen(err.c_str(), "w", stderr);
    (void)f;
    std::vector<char*> argv{const_cast<char*>(ORVANE_PROGRAM)};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(ORVANE_PROGRAM, argv.data());
    _exit(127);
  }
  return child;
}

DATE When(int day, int hour, int minute) { return MakeDate(2004, 3, day, hour, minute); }

host::Appointment Prayer(const char* subject, DATE start, double prayerNum, long reminder) {
  host::Appointment item;
  item.subject = subject;
  item.start = start;
  item.end = start + 10.0 / 1440.0;
  item.reminderSet = true;
  item.reminderMinutesBeforeStart = reminder;
  item.userProperties.push_back({"PrayerNum", host::PropertyType::kNumber, prayerNum});
  return item;
}

class StartCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = profile_.Dir() / "addin.log";
    setenv("ORVANE_TEST_ADDIN_LOG", log_.c_str(), 1);
    setenv("ORVANE_NOTIFY", "", 1);  // reminders on standard error, whatever the desktop has
    unsetenv("ORVANE_TEST_ADDIN_MODE");
  }
  void TearDown() override {
    unsetenv("ORVANE_TEST_ADDIN_LOG");
    unsetenv("ORVANE_NOTIFY");
    unsetenv("ORVANE_TEST_ADDIN_MODE");
  }

  // Registers the test add-in as an installer would, through orvane reg import.
  void Register(DWORD loadBehavior = 3) {
    const std::filesystem::path reg = profile_.Dir() / "addin.reg";
    std::ofstream(reg) << "Windows Registry Editor Version 5.00\n\n"
                       << "[HKEY_CLASSES_ROOT\\CLSID\\" << kClsid << "\\InprocServer32]\n"
                       << "@=\"" << ORVANE_TEST_ADDIN << "\"\n\n"
                       << "[HKEY_CLASSES_ROOT\\" << kProgId << "\\CLSID]\n"
                       << "@=\"" << kClsid << "\"\n\n"
                       << "[HKEY_CURRENT_USER\\" << kAddinKey << "]\n"
                       << "\"LoadBehavior\"=dword:0000000" << loadBehavior << "\n";
    int code = 0;
    const std::string out = RunOrvane("reg import " + reg.string(), &code);
    ASSERT_EQ(code, 0) << out;
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  bool WaitForLog(const std::string& line, std::chrono::seconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      for (const std::string& l : LogLines()) {
        if (l == line) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  TestProfile profile_;
  std::filesystem::path log_;
};

TEST_F(StartCommandTest, AddinConnectsAndHearsTheHostInOutlooksOrder) {
  Register();
  int code = 0;
  const std::string out = RunOrvane("--ui-language 1036 start", &code);
  ASSERT_EQ(code, 0) << out;
  // On a fresh store PrayerNum is no folder field yet, so a filter naming it
  // fails, as in Outlook; once an item added it, it works.
  // The last window's Close releases the add-in's objects, as the real one
  // does, so it no longer hears Quit; it is still disconnected.
  const std::vector<std::string> expected = {
      "OnConnection mode=1", "language 1036", "explorer Calendar - Microsoft Outlook", "OnAddInsUpdate",
      "OnStartupComplete",   "Startup",       "find failed 0x80070057",  "restrict 1",
      "Close explorers=0",   "OnBeginShutdown", "OnDisconnection mode=0"};
  EXPECT_EQ(LogLines(), expected);

  // The run closed its store: what it saved is in outlook.db itself, not
  // left in the log beside it, so a copy of that one file keeps it.
  const std::filesystem::path log = profile::File("outlook.db-wal");
  EXPECT_TRUE(!std::filesystem::exists(log) || std::filesystem::file_size(log) == 0);

  // What it saved is in the store and in calendar.ics.
  auto store = host::CalendarStore::Open(profile::File("outlook.db"));
  ASSERT_EQ(store->Count(host::FolderKind::kCalendar), 1u);
  const host::MirrorCalendar mirror = host::ReadMirror(profile::File("calendar.ics"));
  ASSERT_EQ(mirror.events.size(), 1u);
  EXPECT_EQ(mirror.events[0].summary, "Test reminder");
  EXPECT_EQ(mirror.events[0].uid, store->LoadFolder(host::FolderKind::kCalendar)[0].uid);
}

TEST_F(StartCommandTest, EmbeddedHostHasNoExplorerAndStillQuitsInOrder) {
  Register();
  int code = 0;
  const std::string out = RunOrvane("start --embedding", &code);
  ASSERT_EQ(code, 0) << out;
  const std::vector<std::string> expected = {
      "OnConnection mode=1", "language 1033", "explorer none", "OnAddInsUpdate",  "OnStartupComplete",
      "Startup",             "find failed 0x80070057", "restrict 1", "OnBeginShutdown", "Quit",
      "OnDisconnection mode=0"};
  EXPECT_EQ(LogLines(), expected);
}

TEST_F(StartCommandTest, AddinsNotSetToLoadOrBrokenAreLeftOut) {
  Register(2);
  int code = 0;
  std::string out = RunOrvane("start", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_TRUE(LogLines().empty());

  // Refusing the connection: reported, and not loaded again next time. The
  // start did not do its work, and its exit says so (it said 0).
  Register(3);
  setenv("ORVANE_TEST_ADDIN_MODE", "fail-connect", 1);
  out = RunOrvane("start", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_NE(out.find("OrvaneTest.Addin failed to connect (0x80004005)"), std::string::npos) << out;
  DWORD behavior = 0;
  ASSERT_EQ(registry::GetDword(HKEY_CURRENT_USER, kAddinKey, "LoadBehavior", &behavior), ERROR_SUCCESS);
  EXPECT_EQ(behavior, 2u);

  // A ProgID with no class behind it.
  registry::SetDword(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Outlook\\Addins\\Nobody.Addin",
                     "LoadBehavior", 3);
  out = RunOrvane("start", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_NE(out.find("Nobody.Addin could not be created"), std::string::npos) << out;
  // Marked not loaded by then: the next start loads neither, and succeeds.
  out = RunOrvane("start", &code);
  EXPECT_EQ(code, 0) << out;
}

// Regression: an add-in whose Startup failed (its city file unreadable,
// its calendar work refused) left a start that exited 0 and said nothing.
TEST_F(StartCommandTest, AnAddinsFailedStartupIsToldInOneLineAndFailsTheStart) {
  Register(3);
  setenv("ORVANE_TEST_ADDIN_MODE", "fail-startup", 1);
  int code = 0;
  const std::string out = RunOrvane("start", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_NE(out.find("orvane: an add-in failed at start-up: Access is denied (0x80070005)\n"), std::string::npos)
      << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  unsetenv("ORVANE_TEST_ADDIN_MODE");
  const std::string again = RunOrvane("start", &code);
  EXPECT_EQ(code, 0) << again;
}

TEST_F(StartCommandTest, OverdueRemindersAreRaisedOnceAndOnlyForItemsNotOver) {
  // Now is 21 March 2004 05:30.
  {
    auto store = host::CalendarStore::Open(profile::File("outlook.db"));
    std::vector<host::Appointment> items = {
        Prayer("Fajr", When(21, 5, 25), 0, 10),      // due 05:15, ends 05:35: still on
        Prayer("Isha", When(20, 19, 50), 5, 15),     // over since last night
        Prayer("Shorouk", When(21, 6, 50), 1, 15)};  // due later
    store->SaveAll(items);
  }
  Register();
  int code = 0;
  std::string out = RunOrvane("start", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_NE(out.find("Reminder: Fajr (2004-03-21 05:25)"), std::string::npos) << out;
  EXPECT_EQ(out.find("Isha ("), std::string::npos) << out;
  EXPECT_EQ(out.find("Shorouk"), std::string::npos) << out;
  const std::vector<std::string> lines = LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Reminder Fajr PrayerNum=0"), 1);

  // The host remembers what it has shown.
  std::filesystem::remove(log_);
  out = RunOrvane("start", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_EQ(out.find("Reminder:"), std::string::npos) << out;
}

TEST_F(StartCommandTest, StayingHostRaisesRemindersAsTheyFallDueAndStopsCleanly) {
  setenv("ORVANE_NOW", "2004-03-21T05:29:58", 1);
  {
    auto store = host::CalendarStore::Open(profile::File("outlook.db"));
    std::vector<host::Appointment> items = {Prayer("Fajr", When(21, 5, 40), 0, 10)};  // due 05:30:00
    store->SaveAll(items);
  }
  Register();
  const std::filesystem::path err = profile_.Dir() / "stderr.txt";
  const pid_t child = Launch({"start", "--stay"}, err);
  const bool reminded = WaitForLog("Reminder Fajr PrayerNum=0", std::chrono::seconds(30));
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(reminded);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "OnDisconnection mode=0");
  std::ifstream in(err);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("Reminder: Fajr (2004-03-21 05:40)"), std::string::npos) << text.str();
}

TEST_F(StartCommandTest, HostKilledInABatchLeavesAConsistentStoreAndMirror) {
  Register();
  setenv("ORVANE_TEST_ADDIN_MODE", "batch:20000", 1);
  const std::filesystem::path err = profile_.Dir() / "stderr.txt";
  const pid_t child = Launch({"start"}, err);
  // Kill it once the batch is well under way and the mirror has been
  // rewritten at least once in its course.
  auto store = host::CalendarStore::Open(profile::File("outlook.db"));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (store->Count(host::FolderKind::kCalendar) < 500 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the batch ended before the host was killed";

  EXPECT_TRUE(store->CheckIntegrity().empty());
  const std::vector<host::Appointment> saved = store->LoadFolder(host::FolderKind::kCalendar);
  std::set<std::string> savedUids;
  for (const host::Appointment& item : saved) savedUids.insert(item.uid);
  // The mirror is a whole calendar from some moment of the batch.
  const host::MirrorCalendar mirror = host::ReadMirror(profile::File("calendar.ics"));
  EXPECT_GT(mirror.events.size(), 0u);
  EXPECT_LE(mirror.events.size(), saved.size());
  for (const host::MirrorEvent& event : mirror.events) EXPECT_TRUE(savedUids.count(event.uid)) << event.uid;

  // The next start brings it level with the store.
  registry::SetDword(HKEY_CURRENT_USER, kAddinKey, "LoadBehavior", 2);
  int code = 0;
  const std::string out = RunOrvane("start", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_EQ(host::ReadMirror(profile::File("calendar.ics")).events.size(), saved.size());
}

}  // namespace
