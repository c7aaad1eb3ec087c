// The user's own items are never the add-in's, whatever their titles, and
// the add-in never doubles its own: each test names the fault it guards
// against, as it was seen in the add-in's earlier behaviour.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "tests/support/FaultyCalendar.h"
#include "tests/support/GenerationFixture.h"

namespace {

using CalendarSafetyTest = GenerationFixture;

const std::string Isha() { return ResourceUtf8(108); }
const std::string Asr() { return ResourceUtf8(106); }

// Regression: the purge from Deleted Items took the first item there with
// the same subject, which could be the user's own deleted meeting, and left
// the add-in's item behind.
TEST_F(CalendarSafetyTest, PurgingTakesTheItemJustMovedNotTheUsersOwnOfTheSameTitle) {
  Connect();
  AddinSettings& settings = prayer_->Settings();
  settings.prayers = kIshaFlag;
  settings.prescheduleDays = 1;
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  std::vector<host::Appointment> written = Calendar();
  ASSERT_EQ(written.size(), 2u);  // today's and tomorrow's Isha
  // Before these were written, the user had deleted a meeting called "Isha"
  // at the very time of tomorrow's prayer, and another one last week; both
  // wait in Deleted Items, ahead of anything the add-in deletes.
  ClearStore();
  SaveUserItem(Isha(), written[1].start, host::FolderKind::kDeletedItems);
  SaveUserItem(Isha(), MakeDate(2026, 11, 30, 19, 0), host::FolderKind::kDeletedItems);
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  ASSERT_EQ(Calendar().size(), 2u);

  settings.prayers = 0;
  ASSERT_EQ(prayer_->Calendar().Precalculate(true, false, true, false), S_OK);
  EXPECT_TRUE(Calendar().empty());
  const std::vector<host::Appointment> deleted = Folder(host::FolderKind::kDeletedItems);
  ASSERT_EQ(deleted.size(), 2u);
  for (const auto& item : deleted) EXPECT_FALSE(HasMark(item)) << item.subject;
}

// Regression: where the PrayerNum query found nothing, the fall-back chose
// items by subject alone: the start-up clean-up deleted the user's meeting
// "Isha", the Delete button deleted the user's items, and tomorrow's Asr was
// never written because the user's "Asr" was taken for it.
class UserItemsTest : public CalendarSafetyTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UserItemsTest, ItemsTitledLikePrayersAreLeftAloneAndNeverTakenForTheAddinsOwn) {
  const bool userFields = GetParam();
  SaveUserItem(Isha(), MakeDate(2026, 12, 6, 19, 30));  // yesterday's meeting
  SaveUserItem(Asr(), MakeDate(2026, 12, 8, 9, 0));     // tomorrow's item
  Connect(userFields);
  ASSERT_EQ(prayer_->Settings().startupCleanup & 1, 1u);
  ASSERT_EQ(session_->RaiseStartup(), S_OK);

  std::vector<host::Appointment> items = Calendar();
  ASSERT_EQ(items.size(), 18u);  // the two of the user's and 16 prayers
  EXPECT_EQ(items.front().subject, Isha());
  EXPECT_FALSE(HasMark(items.front()));
  std::size_t asrTomorrow = 0;
  for (const auto& item : items) {
    if (item.subject == Asr() && item.start > MakeDate(2026, 12, 8) && item.start < MakeDate(2026, 12, 9)) {
      ++asrTomorrow;
    }
  }
  EXPECT_EQ(asrTomorrow, 2u);  // the user's, and the prayer
  EXPECT_EQ(DeletedCount(), 0u);

  // The Delete button takes the 16 prayers and nothing else.
  ASSERT_EQ(prayer_->DeleteCommand(), S_OK);
  items = Calendar();
  ASSERT_EQ(items.size(), 2u);
  for (const auto& item : items) EXPECT_FALSE(HasMark(item)) << item.subject;
  EXPECT_EQ(DeletedCount(), 0u);
  // And, with only the user's items left, there is nothing more to delete.
  ASSERT_EQ(prayer_->DeleteCommand(), S_OK);
  EXPECT_EQ(Calendar().size(), 2u);
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes().back().text, ResourceUtf8(331));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutUserFieldsInFilters, UserItemsTest, ::testing::Bool());

// Regression: the custom reminder subject was put into filters unescaped. A
// quote in it made every fall-back filter fail, so nothing was written while
// the run reported success; a crafted one selected any item at all.
TEST_F(CalendarSafetyTest, QuotesInTheCustomSubjectStayInsideTheFilter) {
  const std::string crafted = "x\" OR [Subject] <> \"x";
  for (const std::string& subject : {std::string("Stand \"up\""), crafted}) {
    SCOPED_TRACE(subject);
    ClearStore();
    SaveUserItem("Dentist", MakeDate(2026, 12, 8, 11, 0));
    setenv("ORVANE_NOW", "2026-12-07T10:30:00", 1);
    Connect(false);  // a store that refuses user fields: every query goes by subject
    AddinSettings& settings = prayer_->Settings();
    settings.prayers = kCustomReminderFlag;
    settings.prescheduleDays = 1;
    settings.customSubject = Utf8ToT(subject);
    settings.lastDate = COleDate(kInvalidDate);  // as on a first start
    StoreCustomSubject(subject);
    ASSERT_EQ(session_->RaiseStartup(), S_OK);
    // 11:00 to 17:00 today, 08:00 to 17:00 tomorrow, and the user's Dentist.
    ASSERT_EQ(Calendar().size(), 18u);
    // Found again by their subject: a second fill adds nothing.
    ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
    EXPECT_EQ(Calendar().size(), 18u);
    // Deleting them all leaves the Dentist.
    ASSERT_EQ(prayer_->DeleteCommand(), S_OK);
    const std::vector<host::Appointment> left = Calendar();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].subject, "Dentist");
    Disconnect();
  }
}

// Regression: the series of custom reminders was walked with dates, and a
// time that was no date, or a step that did not advance, never ended it.
TEST_F(CalendarSafetyTest, CustomReminderSeriesEndsWhateverTheStoredValues) {
  Connect();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    DATE from, to;
    DWORD interval;
    std::size_t made;
  };
  const Case cases[] = {
      {480.0 / 1440, 1020.0 / 1440, 60, 10},         // 08:00 to 17:00 hourly
      {480.0 / 1440, 1020.0 / 1440, 90, 7},          // 08:00, 09:30 .. 17:00
      {480.0 / 1440, 1020.0 / 1440, 0, 0},           // no interval
      {1020.0 / 1440, 480.0 / 1440, 60, 0},          // the end before the start
      {kInvalidDate, 1020.0 / 1440, 60, 0},          // an unset start
      {480.0 / 1440, nan, 60, 0},                    // no number at all
      {1e300, 1020.0 / 1440, 60, 0},                 // far outside the dates
      {480.0 / 1440, 1020.0 / 1440, 0xFFFFFFFFu, 1}, // a step beyond the day
      {0.0, 60.0 / 1440, 1, 61},                     // every minute of an hour
      {-2.25, 1020.0 / 1440, 600, 2},                // before 1900, 06:00: then 16:00
  };
  const COleDate day(2026, 12, 9, 0, 0, 0);  // a day to come
  for (const Case& c : cases) {
    ClearStore();
    AddinSettings& settings = prayer_->Settings();
    settings.customFrom = COleDate(c.from);
    settings.customTo = COleDate(c.to);
    settings.customInterval = c.interval;
    settings.customSubject = TEXT("Dhikr");
    EXPECT_EQ(prayer_->Calendar().CreateCustomReminders(day), S_OK);
    EXPECT_EQ(Calendar().size(), c.made) << c.from << " " << c.to << " " << c.interval;
  }
  // A day that could not be computed makes nothing.
  ClearStore();
  EXPECT_EQ(prayer_->Calendar().CreateCustomReminders(COleDate(kInvalidDate)), S_OK);
  EXPECT_TRUE(Calendar().empty());
}

// Regression: with both the Zuhr and the Friday flag stored, each Friday got
// two Friday prayer appointments, one from each slot.
TEST_F(CalendarSafetyTest, AFridayGetsOneMiddayAppointmentWhateverFlagsAreStored) {
  Connect();
  AddinSettings& settings = prayer_->Settings();
  for (DWORD prayers : {DWORD{kZuhrFlag}, DWORD{kFridayFlag}, DWORD{kZuhrFlag | kFridayFlag}}) {
    ClearStore();
    settings.prayers = prayers;
    ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
    const std::vector<host::Appointment> items = Calendar();
    EXPECT_EQ(CountOn(items, MakeDate(2026, 12, 11), MakeDate(2026, 12, 12)), 1u) << prayers;
    // Zuhr on the other days only where Zuhr itself is chosen.
    EXPECT_EQ(items.size(), prayers == kFridayFlag ? 1u : 8u) << prayers;
  }
}

// Regression: in next-prayer-only mode the start-up clean-up sets the last
// next-prayer time back a day, and the next prayer, already written by the
// previous session's reminder top-up, was written a second time.
TEST_F(CalendarSafetyTest, NextPrayerModeNeverWritesTheSamePrayerTwice) {
  Connect();
  prayer_->Settings().prescheduleDays = 255;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);  // 10:00: Zuhr
  setenv("ORVANE_NOW", "2026-12-07T12:11:00", 1);
  ASSERT_EQ(prayer_->GenerateNext(false), S_OK);  // Zuhr's reminder: Asr joins
  ASSERT_EQ(Calendar().size(), 2u);

  // Outlook restarted after Zuhr: Zuhr is cleaned up, Asr is not doubled.
  Restart("2026-12-07T13:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  const std::vector<host::Appointment> items = Calendar();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].subject, Asr());
  EXPECT_EQ(CountOn(items, MakeDate(2026, 12, 7, 15, 0), MakeDate(2026, 12, 7, 16, 0)), 1u);
}

// Regression: the next prayer's working day was judged by the look-ahead
// instant's day: on Sunday evening Monday's Fajr was skipped, on Friday
// evening Saturday's was written.
TEST_F(CalendarSafetyTest, NextPrayerOnADayOffIsJudgedByThePrayersOwnDay) {
  registry::SetDword(HKEY_CURRENT_USER,
                     ("Software\\Microsoft\\Office\\" + std::string(flavour::kOfficeVersion) +
                      "\\Outlook\\Options\\Calendar")
                         .c_str(),
                     "WorkDay", 124);  // Monday to Friday
  struct Case {
    const char* now;
    std::size_t written;
  };
  for (const Case& c : {Case{"2026-12-06T22:00:00", 1}, Case{"2026-12-11T22:00:00", 0}}) {
    SCOPED_TRACE(c.now);
    ClearStore();
    setenv("ORVANE_NOW", c.now, 1);
    Connect();
    AddinSettings& settings = prayer_->Settings();
    settings.prescheduleDays = 255;
    settings.prayers = kFajrFlag;
    settings.workingDaysOnly = true;
    ASSERT_EQ(prayer_->GenerateNext(false), S_OK);
    const std::vector<host::Appointment> items = Calendar();
    ASSERT_EQ(items.size(), c.written);
    if (!items.empty()) {
      EXPECT_EQ(COleDate(items[0].start).GetDayOfWeek(), 2);  // Monday
    }
    Disconnect();
  }
}

// Regression: a day whose query failed counted as filled and the failure
// was reported as success, so the calendar stayed empty with nobody told.
TEST_F(CalendarSafetyTest, ADayThatCouldNotBeQueriedIsNotCountedAsFilled) {
  setenv("ORVANE_NOW", "2026-12-07T10:00:00", 1);
  const std::u16string failing = text::Utf8ToUtf16("12/10/2026 12:00 AM\" AND [Start] <");
  Connect();  // a session for the store; the add-in is connected again below
  ComPtr<_Application> faulty(new FaultyApplication(session_->Application(), [&](std::u16string_view filter) {
    return filter.find(failing) != std::u16string_view::npos ? E_FAIL : S_OK;
  }));
  ASSERT_NO_FATAL_FAILURE(Reconnect(faulty.Get()));

  // The walk goes on past 10 December and reports the failure at the end.
  EXPECT_EQ(prayer_->GenerateCommand(), E_FAIL);
  std::vector<host::Appointment> items = Calendar();
  EXPECT_EQ(CountOn(items, MakeDate(2026, 12, 10), MakeDate(2026, 12, 11)), 0u);
  EXPECT_EQ(items.size(), 14u);
  // The last generated date stays before the day that failed, so the next
  // start-up fills it.
  EXPECT_LT(prayer_->Settings().lastDate.Value(), MakeDate(2026, 12, 10));
  EXPECT_GE(prayer_->Settings().lastDate.Value(), MakeDate(2026, 12, 9));
}

// Regression: a save that failed (a full disk) was left out of its day
// without a word; the last generated date moved to the end of the window,
// so that later starts added nothing until it passed, and the start said
// it had succeeded.
TEST_F(CalendarSafetyTest, ADayWhoseSavesFailedIsNotCountedAsFilledAndIsDoneAgain) {
  setenv("ORVANE_NOW", "2026-12-07T10:00:00", 1);
  constexpr HRESULT kDiskFull = static_cast<HRESULT>(0x80070070);
  bool diskFull = true;
  Connect();
  ComPtr<_Application> faulty(new FaultyApplication(
      session_->Application(), [](std::u16string_view) { return S_OK; },
      [&](DATE start) {
        const bool failingDay = (start >= MakeDate(2026, 12, 10) && start < MakeDate(2026, 12, 11)) ||
                                (start >= MakeDate(2026, 12, 12) && start < MakeDate(2026, 12, 13));
        return diskFull && failingDay ? kDiskFull : S_OK;
      }));
  ASSERT_NO_FATAL_FAILURE(Reconnect(faulty.Get()));

  // The walk goes on past the failing days and reports the disk's failure.
  EXPECT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), kDiskFull);
  std::vector<host::Appointment> items = Calendar();
  EXPECT_EQ(CountOn(items, MakeDate(2026, 12, 10), MakeDate(2026, 12, 11)), 0u);
  EXPECT_EQ(CountOn(items, MakeDate(2026, 12, 12), MakeDate(2026, 12, 13)), 0u);
  EXPECT_EQ(CountOn(items, MakeDate(2026, 12, 13), MakeDate(2026, 12, 15)), 4u);
  // Kept before the earliest day that failed.
  EXPECT_LT(prayer_->Settings().lastDate.Value(), MakeDate(2026, 12, 10));
  EXPECT_GE(prayer_->Settings().lastDate.Value(), MakeDate(2026, 12, 9));

  // Space again: the next start fills both days, and doubles nothing.
  diskFull = false;
  EXPECT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), S_OK);
  items = Calendar();
  EXPECT_EQ(CountOn(items, MakeDate(2026, 12, 10), MakeDate(2026, 12, 11)), 2u);
  EXPECT_EQ(CountOn(items, MakeDate(2026, 12, 12), MakeDate(2026, 12, 13)), 2u);
  EXPECT_EQ(items.size(), 16u);
}

// Regression: a start with the clock in 2030 (a machine that booted with
// a wrong date) moved the last generated date to 2030; back in 2026, starts
// added nothing for four years.
TEST_F(CalendarSafetyTest, ALastGeneratedDatePastTheWindowFillsAgainFromToday) {
  Connect();
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), S_OK);
  ASSERT_EQ(Calendar().size(), 16u);
  Restart("2030-06-01T10:00:00");
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), S_OK);
  ASSERT_GT(prayer_->Settings().lastDate.Value(), MakeDate(2030, 6, 1));
  ClearStore();  // as the start-up clean-up of 2030 left it: nothing of 2026
  Restart("2026-12-07T10:00:00");
  EXPECT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), S_OK);
  EXPECT_EQ(Calendar().size(), 16u);
  EXPECT_LT(prayer_->Settings().lastDate.Value(), MakeDate(2026, 12, 20));
}


// Moves the store's file (with SQLite's log beside it) to `to`.
void MoveStore(const std::filesystem::path& from, const std::filesystem::path& to) {
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::error_code ignored;
    std::filesystem::rename(from.string() + suffix, to.string() + suffix, ignored);
  }
}

// Regression: after a damaged outlook.db was moved aside, as the host
// advises, or another store put in its place, starts filled nothing until
// the last generated date had passed: the date described the store that
// was gone. A store of its own identity goes on from that date as before.
TEST_F(CalendarSafetyTest, ANewOrReplacedStoreStartsTheFillFromToday) {
  const std::filesystem::path file = profile::File("outlook.db");
  const std::filesystem::path aside = file.string() + ".aside";
  Connect();
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), S_OK);
  ASSERT_EQ(Calendar().size(), 16u);

  // The same store an hour later: nothing is done again, and the prayer
  // the user deleted by hand stays deleted.
  Restart("2026-12-07T11:00:00");
  Store()->Delete(Calendar().back().id);
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), S_OK);
  EXPECT_EQ(Calendar().size(), 15u);

  // The store moved aside: the new one is filled from today.
  Disconnect();
  MoveStore(file, aside);
  Restart("2026-12-07T11:00:00");
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), S_OK);
  const std::vector<host::Appointment> fresh = Calendar();
  EXPECT_EQ(fresh.size(), 16u);
  EXPECT_EQ(CountOn(fresh, MakeDate(2026, 12, 7), MakeDate(2026, 12, 8)), 2u);

  // The first store put back in its place: its own days are found again,
  // the one the user deleted is written anew, and none is doubled.
  Disconnect();
  std::filesystem::remove(file);
  MoveStore(aside, file);
  Restart("2026-12-07T11:00:00");
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, true, false, false), S_OK);
  EXPECT_EQ(Calendar().size(), 16u);
}

// Regression: with no city that could be read (a city file missing,
// unreadable or empty), the fill computed for latitude 0, longitude 0,
// UTC+0 and wrote those prayers as the user's, reporting success.
TEST_F(CalendarSafetyTest, WithoutACityNothingIsWrittenAndTheFillFails) {
  Connect();
  prayer_->Settings().location.clear();
  EXPECT_TRUE(FAILED(prayer_->Calendar().Precalculate(false, true, false, false)));
  EXPECT_TRUE(Calendar().empty());
  EXPECT_TRUE(FAILED(prayer_->GenerateCommand()));
  EXPECT_TRUE(Calendar().empty());
  prayer_->Settings().prescheduleDays = 255;  // the next prayer only
  EXPECT_TRUE(FAILED(prayer_->GenerateNext(false)));
  EXPECT_TRUE(Calendar().empty());
}

}  // namespace
