// orvane calendar as a user runs it, over a store the test fills.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "host/ical/MirrorReader.h"
#include "host/store/CalendarStore.h"
#include "platform/com/VariantTime.h"
#include "tests/support/OleDates.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

std::string RunOrvane(const std::string& arguments, int* exitCode) {
  return RunCommand(std::string(ORVANE_PROGRAM) + " " + arguments, exitCode);
}

DATE When(int day, int hour, int minute) { return MakeDate(2004, 3, day, hour, minute); }

host::Appointment Prayer(const char* subject, int day, int hour, int minute, double prayerNum) {
  host::Appointment item;
  item.subject = subject;
  item.start = When(day, hour, minute);
  item.end = When(day, hour, minute + 5);
  item.busyStatus = 0;
  item.reminderSet = true;
  item.reminderMinutesBeforeStart = 1;
  item.userProperties.push_back({"PrayerNum", host::PropertyType::kNumber, prayerNum});
  return item;
}

class CalendarCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto store = host::CalendarStore::ForCurrentProfile();
    std::vector<host::Appointment> items = {Prayer("Fajr", 21, 4, 31, 0), Prayer("Zuhr", 21, 12, 2, 2),
                                            Prayer("Fajr", 22, 4, 29, 0), Prayer("Doomed", 22, 9, 0, 7)};
    store->SaveAll(items);
    store->Delete(items[3].id);  // into Deleted Items
  }
  TestProfile m_profile;
};

TEST_F(CalendarCommandTest, ListsTheFolderBetweenTwoDays) {
  int code = 0;
  EXPECT_EQ(RunOrvane("calendar list --tsv --from 2004-03-21 --to 2004-03-22", &code),
            "2004-03-21 04:31\t2004-03-21 04:36\tFajr\t0\t1\tPrayerNum=0\n"
            "2004-03-21 12:02\t2004-03-21 12:07\tZuhr\t0\t1\tPrayerNum=2\n");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(RunOrvane("calendar list --folder deleted --tsv", &code),
            "2004-03-22 09:00\t2004-03-22 09:05\tDoomed\t0\t1\tPrayerNum=7\n");
  EXPECT_EQ(RunOrvane("calendar list --from 2004-03-22", &code), "2004-03-22 04:29 - 04:34  Fajr\n");
  RunOrvane("calendar list --from 2004-02-30", &code);
  EXPECT_EQ(code, 2);
  RunOrvane("calendar list --folder inbox", &code);
  EXPECT_EQ(code, 2);
}

TEST_F(CalendarCommandTest, FilterSelectsItemsAndUnknownOrDisabledFieldsFail) {
  host::CalendarStore::ForCurrentProfile()->AddFolderField(host::FolderKind::kCalendar, "PrayerNum",
                                                           host::PropertyType::kNumber);
  int code = 0;
  EXPECT_EQ(RunOrvane("calendar list --tsv --filter '[PrayerNum] = 2'", &code),
            "2004-03-21 12:02\t2004-03-21 12:07\tZuhr\t0\t1\tPrayerNum=2\n");
  EXPECT_EQ(RunOrvane("calendar list --filter '[Subject] = \"fajr\" AND [Start] >= \"03/22/2004 12:00 AM\"'", &code),
            "2004-03-22 04:29 - 04:34  Fajr\n");
  const std::string unknown = RunOrvane("calendar list --filter '[Colour] = 1'", &code);
  EXPECT_EQ(code, 1);
  EXPECT_NE(unknown.find("Colour"), std::string::npos) << unknown;
  RunOrvane("--no-user-fields calendar list --filter '[PrayerNum] = 2'", &code);
  EXPECT_EQ(code, 1);
}

TEST_F(CalendarCommandTest, ExportHoldsTheCalendarAndNothingDeleted) {
  const std::string file = (m_profile.Dir() / "out.ics").string();
  int code = 0;
  RunOrvane("calendar export " + file, &code);
  ASSERT_EQ(code, 0);
  const host::MirrorCalendar calendar = host::ReadMirror(file);
  EXPECT_TRUE(calendar.problems.empty());
  ASSERT_EQ(calendar.events.size(), 3u);
  EXPECT_EQ(calendar.events[1].summary, "Zuhr");
  EXPECT_EQ(calendar.events[1].start, When(21, 12, 2));
  for (const host::MirrorEvent& event : calendar.events) EXPECT_NE(event.summary, "Doomed");
}

}  // namespace
