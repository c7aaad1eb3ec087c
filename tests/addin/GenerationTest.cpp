// The add-in's main job through the host's object model: the calendar
// filled at start-up over the window, topped up as days pass and on its
// own reminders, prayers removed when deselected or off the work week.

#include <gtest/gtest.h>

#include "tests/support/GenerationFixture.h"

namespace {

using GenerationTest = GenerationFixture;

TEST_F(GenerationTest, StartupFillsTheWindowOnceAndTheNextStartRollsIt) {
  Connect();
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  std::vector<host::Appointment> items = Calendar();
  // Zuhr and Asr (the default choice) on today and the seven days after.
  ASSERT_EQ(items.size(), 16u);
  EXPECT_EQ(items.front().start, MakeDate(2026, 12, 7, 12, 12));
  EXPECT_EQ(DeletedCount(), 0u);  // the first run's probe item is gone for good
  // Friday 11 December: one midday appointment, the Friday prayer, with its
  // timing and a hadith.
  auto friday = std::find_if(items.begin(), items.end(), [](const auto& a) { return a.subject != "Asr" && a.start > MakeDate(2026, 12, 11, 0, 0) && a.start < MakeDate(2026, 12, 12, 0, 0); });
  ASSERT_NE(friday, items.end());
  EXPECT_EQ(friday->subject, ResourceUtf8(158));
  EXPECT_FALSE(friday->body.empty());
  EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const auto& a) { return a.start > MakeDate(2026, 12, 11, 0, 0) && a.start < MakeDate(2026, 12, 11, 14, 0); }), 1);

  // Starting again the same morning adds nothing.
  Restart("2026-12-07T10:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  EXPECT_EQ(Calendar().size(), 16u);

  // The next day after Zuhr: the past ones are cleaned up, one day joins.
  Restart("2026-12-08T13:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  items = Calendar();
  EXPECT_EQ(items.size(), 15u);
  EXPECT_GT(items.front().start, MakeDate(2026, 12, 8, 13, 0));
  EXPECT_EQ(items.back().start, MakeDate(2026, 12, 15, 15, 20));
}

TEST_F(GenerationTest, DeselectedPrayersAndDaysOffTheWorkWeekLoseTheirItems) {
  Connect();
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  ASSERT_EQ(Calendar().size(), 16u);
  // Asr deselected: gone, with removeUnselected; Zuhr stays and is not doubled.
  prayer_->Settings().prayers = kZuhrFlag;
  ASSERT_EQ(prayer_->Calendar().Precalculate(true, false, true, false), S_OK);
  std::vector<host::Appointment> items = Calendar();
  EXPECT_EQ(items.size(), 8u);
  EXPECT_TRUE(std::none_of(items.begin(), items.end(), [](const auto& a) { return a.subject == "Asr"; }));
  EXPECT_EQ(DeletedCount(), 0u);

  // Only Outlook's working days (Monday to Friday): the weekend is cleared.
  registry::SetDword(HKEY_CURRENT_USER,
                     ("Software\\Microsoft\\Office\\" + std::string(flavour::kOfficeVersion) + "\\Outlook\\Options\\Calendar").c_str(),
                     "WorkDay", 124);
  prayer_->Settings().workingDaysOnly = true;
  ASSERT_EQ(prayer_->Calendar().Precalculate(true, false, true, false), S_OK);
  items = Calendar();
  EXPECT_EQ(items.size(), 6u);  // 7, 8, 9, 10, 11 and 14 December
  for (const auto& a : items) {
    const int day = COleDate(a.start).GetDayOfWeek();
    EXPECT_TRUE(day != 1 && day != 7) << a.subject;
  }
}

TEST_F(GenerationTest, NothingIsWrittenWithoutAWindowOrAPrayer) {
  Connect();
  prayer_->Settings().prescheduleDays = 0;
  const DATE lastDate = prayer_->Settings().lastDate.Value();
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  EXPECT_EQ(Calendar().size(), 0u);
  EXPECT_EQ(prayer_->Settings().lastDate.Value(), lastDate);  // no day processed: unchanged
  prayer_->Settings().prescheduleDays = 255;
  prayer_->Settings().prayers = 0;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  EXPECT_EQ(Calendar().size(), 0u);
}

TEST_F(GenerationTest, OwnRemindersTopUpTheCalendarOthersChangeNothing) {
  Connect();
  prayer_->Settings().prescheduleDays = 255;  // one prayer at a time
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  std::vector<host::Appointment> items = Calendar();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].subject, "Zuhr");

  // Someone else's appointment reminds: nothing happens.
  ComPtr<IDispatch> created;
  session_->Application()->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf());
  EXPECT_TRUE(FAILED(session_->RaiseReminder(created.Get())));
  EXPECT_EQ(Calendar().size(), 1u);

  // Zuhr's own reminder, once its time is near: the next prayer, Asr, joins.
  setenv("ORVANE_NOW", "2026-12-07T12:11:00", 1);
  ComPtr<_Items> items_;
  ComPtr<IDispatch> zuhr;
  ComPtr<_NameSpace> space;
  CComBSTR mapi("MAPI");
  session_->Application()->GetNamespace(mapi.Get(), space.ReleaseAndGetAddressOf());
  ComPtr<MAPIFolder> calendar;
  space->GetDefaultFolder(olFolderCalendar, calendar.ReleaseAndGetAddressOf());
  calendar->get_Items(items_.ReleaseAndGetAddressOf());
  items_->Item(CComVariant::I4(1), zuhr.ReleaseAndGetAddressOf());
  ASSERT_EQ(session_->RaiseReminder(zuhr.Get()), S_OK);
  items = Calendar();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].subject, "Asr");
}

TEST_F(GenerationTest, AnItemWithoutItsMarkIsKnownByItsSubject) {
  Connect();
  ComPtr<IDispatch> created;
  session_->Application()->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf());
  ComPtr<_AppointmentItem> item;
  created.As(&item);
  tchar asr[512] = {};
  LoadString(ResourceInstance(), 106, asr, 512);
  CComBSTR subject(TToUtf8(asr).c_str());
  item->put_Subject(subject.Get());
  CComVariant custom, value;
  EXPECT_EQ(prayer_->Calendar().GetPropertyValue(item.Get(), u"PrayerNum", custom, &value), S_OK);
  EXPECT_EQ(value.vt, VT_R8);
  EXPECT_EQ(value.dblVal, 3.0);
  CComBSTR other("Dentist");
  item->put_Subject(other.Get());
  EXPECT_EQ(prayer_->Calendar().GetPropertyValue(item.Get(), u"PrayerNum", custom, &value), -1);
}

TEST_F(GenerationTest, CustomRemindersFillTheirHoursOnceAndGoWhenSwitchedOff) {
  setenv("ORVANE_NOW", "2026-12-07T10:30:00", 1);
  Connect();
  AddinSettings& settings = prayer_->Settings();
  settings.prayers = kCustomReminderFlag;
  settings.prescheduleDays = 1;  // today and tomorrow
  settings.customFrom = 8.0 / 24;
  settings.customTo = 17.0 / 24;
  settings.customInterval = 60;
  settings.customSubject = TEXT("Dhikr");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  std::vector<host::Appointment> items = Calendar();
  // 11:00 to 17:00 today (10:30 now), 08:00 to 17:00 tomorrow.
  ASSERT_EQ(items.size(), 17u);
  constexpr double kSecond = 1.0 / 86400;  // times are sums of steps: to the second
  EXPECT_NEAR(items.front().start, MakeDate(2026, 12, 7, 11, 0), kSecond);
  EXPECT_NEAR(items.back().start, MakeDate(2026, 12, 8, 17, 0), kSecond);
  EXPECT_EQ(items.front().subject, "Dhikr");
  EXPECT_NEAR(items.front().end, MakeDate(2026, 12, 7, 11, 1), kSecond);

  // A day that has its reminders keeps them as they are, even with new hours.
  settings.customInterval = 90;
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  EXPECT_EQ(Calendar().size(), 17u);
  // Unless the hours changed (as the options page says): then they are made again.
  settings.customState = 2;
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  items = Calendar();
  // Every 90 minutes from 08:00: five still to come today, seven tomorrow.
  EXPECT_EQ(items.size(), 12u);
  settings.customState = 1;

  // Switched off and asked to remove: they go, Deleted Items included.
  settings.prayers = 0;
  ASSERT_EQ(prayer_->Calendar().Precalculate(true, false, true, false), S_OK);
  EXPECT_EQ(Calendar().size(), 0u);
  EXPECT_EQ(DeletedCount(), 0u);
}

}  // namespace
