// orvane start --stay through a day, in process, on a clock the test moves:
// the add-ins start afresh at the first minute after midnight, after the
// machine slept (a reminder that fell due meanwhile raised once), when the
// time zone changes and when another program changes the settings; never
// for the host's own writes; and a handed-over command runs between two
// runs, with no add-in connected while it does.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/run/StayingHost.h"
#include "host/store/CalendarStore.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ServerRegistration.h"
#include "platform/fs/Profile.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"
#include "tests/support/OleDates.h"
#include "tests/support/TestProfile.h"

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kMinute = 1.0 / 1440.0;

// A clock the test moves. The add-ins read "now" through ORVANE_NOW, which
// follows it.
class TestClock final : public host::HostClock {
 public:
  explicit TestClock(DATE now) { Set(now); }
  DATE Now() override { return now_; }
  double AwakeSeconds() override { return awake_; }
  std::string Zone() override { return zone_; }

  // Time passes with the machine awake.
  void Pass(double seconds) {
    awake_ += seconds;
    Set(now_ + seconds * kSecond);
  }
  // The machine sleeps: the wall clock moves on, the awake clock does not.
  void Sleep(double seconds) { Set(now_ + seconds * kSecond); }
  void MoveZone(const std::string& zone, double hours) {
    zone_ = zone;
    Set(now_ + hours / 24.0);
  }

 private:
  void Set(DATE now) {
    now_ = now;
    SYSTEMTIME st;
    VariantTimeToSystemTime(now, &st);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", st.wYear % 10000u, st.wMonth % 100u,
                  st.wDay % 100u, st.wHour % 100u, st.wMinute % 100u, st.wSecond % 100u);
    setenv("ORVANE_NOW", text, 1);
  }

  DATE now_ = 0;
  double awake_ = 1000;
  std::string zone_ = "GMT 0";
};

class StayingHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = profile_.Dir() / "addin.log";
    setenv("ORVANE_TEST_ADDIN_LOG", log_.c_str(), 1);
    setenv("ORVANE_NOTIFY", "", 1);
    setenv("ORVANE_PLAY", "/bin/true", 1);
    std::string error;
    ASSERT_TRUE(registry::ImportRegText(
        std::string("Windows Registry Editor Version 5.00\n\n"
                    "[HKEY_CLASSES_ROOT\\CLSID\\{5E1C2A10-7B3D-4F21-9C55-0A1B2C3D4E5F}\\InprocServer32]\n"
                    "@=\"") + ORVANE_TEST_ADDIN + "\"\n\n"
                    "[HKEY_CLASSES_ROOT\\OrvaneTest.Addin\\CLSID]\n"
                    "@=\"{5E1C2A10-7B3D-4F21-9C55-0A1B2C3D4E5F}\"\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\Addins\\OrvaneTest.Addin]\n"
                    "\"LoadBehavior\"=dword:00000003\n",
        &error))
        << error;
    CoInitialize(nullptr);
  }
  void TearDown() override {
    CoFreeUnusedLibraries();
    CoUninitialize();
    unsetenv("ORVANE_TEST_ADDIN_LOG");
    unsetenv("ORVANE_NOTIFY");
    unsetenv("ORVANE_PLAY");
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  long Count(const std::string& line) const {
    const std::vector<std::string> lines = LogLines();
    return std::count(lines.begin(), lines.end(), line);
  }
  static host::HostOptions Embedded() {
    host::HostOptions options;
    options.embedding = true;
    return options;
  }

  TestProfile profile_;
  std::filesystem::path log_;
};

TEST_F(StayingHostTest, TheAddinsStartAfreshAtTheFirstMinuteOfEachDay) {
  TestClock clock(MakeDate(2004, 3, 21, 23, 58));
  host::StayingHost stay(Embedded(), clock);
  stay.Start();
  EXPECT_EQ(Count("Startup"), 1);
  for (int tick = 0; tick < 150; ++tick) {  // to 00:00:30, a second at a time
    clock.Pass(1);
    stay.Tick();
  }
  EXPECT_EQ(Count("Startup"), 1) << "midnight itself is not yet the new day's first minute";
  for (int tick = 0; tick < 40; ++tick) {
    clock.Pass(1);
    stay.Tick();
  }
  EXPECT_EQ(Count("Startup"), 2);
  EXPECT_EQ(Count("OnDisconnection mode=0"), 1) << "the first run ended before the second began";
  for (int tick = 0; tick < 120; ++tick) {
    clock.Pass(1);
    stay.Tick();
  }
  EXPECT_EQ(Count("Startup"), 2) << "once a day";
  EXPECT_EQ(stay.Starts(), 2);
}

// With the add-in itself (Zuhr and Asr, a week ahead, past prayers cleaned
// up at start-up): at the first minute of the next day the calendar's window
// has rolled on by a day, with no restart of the host.
TEST_F(StayingHostTest, WithTheAddinTheCalendarsWindowRollsOnAfterMidnight) {
  std::string error;
  ASSERT_EQ(com::RegisterServerModule(ORVANE_ADDIN_2003_MODULE, false, &error), S_OK) << error;
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Outlook\\Addins\\OrvaneTest.Addin"),
            ERROR_SUCCESS);
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER,
                               "Software\\Microsoft\\Office\\Outlook\\Addins\\Orvane2003.Outlook2003Prayer",
                               "LoadBehavior", 3),
            ERROR_SUCCESS);
  const auto days = [] {
    std::set<int> days;
    for (const host::Appointment& item :
         host::CalendarStore::Open(profile::File("outlook.db"))->LoadFolder(host::FolderKind::kCalendar)) {
      days.insert(static_cast<int>(item.start));
    }
    return days;
  };
  const int first = static_cast<int>(MakeDate(2004, 3, 21));
  TestClock clock(MakeDate(2004, 3, 21, 23, 58));
  host::StayingHost stay(host::HostOptions(), clock);  // with its explorer: the add-in works only with one
  stay.Start();
  // The day's own prayers are over by 23:58: the seven days after it.
  std::set<int> expected;
  for (int day = first + 1; day <= first + 7; ++day) expected.insert(day);
  EXPECT_EQ(days(), expected);
  for (int tick = 0; tick < 200; ++tick) {  // to 00:01:20
    clock.Pass(1);
    stay.Tick();
  }
  expected.insert(first + 8);
  EXPECT_EQ(days(), expected);
  EXPECT_EQ(stay.Starts(), 2);
}

TEST_F(StayingHostTest, AReminderThatFellDueWhileTheMachineSleptIsRaisedOnceOnWaking) {
  {
    auto store = host::CalendarStore::Open(profile::File("outlook.db"));
    std::vector<host::Appointment> items(2);
    items[0].subject = "Fajr";  // due 05:15, ends 05:35: still on at 05:20
    items[0].start = MakeDate(2004, 3, 21, 5, 25);
    items[0].end = items[0].start + 10 * kMinute;
    items[0].reminderSet = true;
    items[0].reminderMinutesBeforeStart = 10;
    items[1] = items[0];
    items[1].subject = "Early";  // due 05:05, over by 05:20
    items[1].start = MakeDate(2004, 3, 21, 5, 6);
    items[1].end = items[1].start + 5 * kMinute;
    items[1].reminderMinutesBeforeStart = 1;
    store->SaveAll(items);
  }
  TestClock clock(MakeDate(2004, 3, 21, 5, 0));
  host::StayingHost stay(Embedded(), clock);
  stay.Start();
  clock.Pass(1);
  stay.Tick();
  EXPECT_EQ(Count("Reminder Fajr PrayerNum=none"), 0);

  clock.Sleep(20 * 60);  // the lid closes at 05:00 and opens at 05:20
  clock.Pass(1);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 2) << "waking starts the add-ins afresh";
  EXPECT_EQ(Count("Reminder Fajr PrayerNum=none"), 1);
  EXPECT_EQ(Count("Reminder Early PrayerNum=none"), 0) << "its item had ended by the time the machine woke";
  for (int tick = 0; tick < 5; ++tick) {
    clock.Pass(1);
    stay.Tick();
  }
  EXPECT_EQ(Count("Reminder Fajr PrayerNum=none"), 1);
  EXPECT_EQ(stay.Starts(), 2) << "raising a reminder (the host notes it in the registry) is no change of settings";
}

TEST_F(StayingHostTest, AChangedTimeZoneOrAClockPutBackStartsTheAddinsAfresh) {
  TestClock clock(MakeDate(2004, 3, 21, 10, 0));
  host::StayingHost stay(Embedded(), clock);
  stay.Start();
  clock.Pass(1);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 1);
  clock.MoveZone("EET 7200", 2);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 2);
  // A zone of the same offset under another name is another zone too.
  clock.MoveZone("CAT 7200", 0);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 3);
  clock.Pass(1);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 3);
  clock.Sleep(-3600);  // the time set back an hour
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 4);
  EXPECT_EQ(Count("Startup"), 4);
}

TEST_F(StayingHostTest, SettingsChangedByAnotherProgramAreFollowed) {
  TestClock clock(MakeDate(2004, 3, 21, 10, 0));
  host::StayingHost stay(Embedded(), clock);
  stay.Start();
  clock.Pass(1);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 1);
  // Another orvane (options --set, reg import) between two ticks.
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0\\Settings", "PrayerFlags", 63),
            ERROR_SUCCESS);
  clock.Pass(1);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 2);
  clock.Pass(1);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 2) << "once for one change";
  // Written again with the same value: nothing changed.
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0\\Settings", "PrayerFlags", 63),
            ERROR_SUCCESS);
  clock.Pass(1);
  stay.Tick();
  EXPECT_EQ(stay.Starts(), 2);
}

TEST_F(StayingHostTest, AHandedOverCommandRunsWithNoAddinConnectedAndWhatItDidStays) {
  TestClock clock(MakeDate(2004, 3, 21, 23, 59, 30));
  host::StayingHost stay(Embedded(), clock);
  stay.Start();
  std::vector<std::string> seen;
  clock.Pass(45);  // 00:00:15
  const int status = stay.RunBetween([&] {
    seen = LogLines();
    EXPECT_EQ(stay.Process(), nullptr);
    return 7;
  });
  EXPECT_EQ(status, 7);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "OnDisconnection mode=0");
  // The add-ins join the run again as they join an Outlook that runs: no
  // Startup, which would undo a Delete at once by filling the calendar.
  ASSERT_NE(stay.Process(), nullptr);
  EXPECT_EQ(Count("OnConnection mode=0"), 1);
  EXPECT_EQ(Count("Startup"), 1);
  // The new day's Startup still comes at its first minute.
  for (int tick = 0; tick < 50; ++tick) {
    clock.Pass(1);
    stay.Tick();
  }
  EXPECT_EQ(Count("Startup"), 2);
}

}  // namespace
