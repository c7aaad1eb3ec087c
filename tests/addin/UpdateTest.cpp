// Rewriting the add-in's items in place after the appointment settings
// changed: future prayers take the new settings, past ones keep theirs,
// custom reminders change only their subject, and other items stay as they
// are.

#include <gtest/gtest.h>

#include "tests/support/GenerationFixture.h"

namespace {

class UpdateTest : public GenerationFixture {
 protected:
  HRESULT UpdateAll() {
    LONG value = 0;
    return prayer_->Calendar().RestrictOperation(prayer_->CalendarItems(), u"[PrayerNum] <= 191", CPrayerCalendar::kModeUpdate,
                                      &value, false, true);
  }
  static const host::Appointment* At(const std::vector<host::Appointment>& items, DATE from, DATE to,
                                     const std::string& subject) {
    for (const auto& item : items) {
      if (item.start >= from && item.start < to && item.subject == subject) return &item;
    }
    return nullptr;
  }
  static constexpr double kMinute = 1.0 / 1440;
};

TEST_F(UpdateTest, FuturePrayersTakeTheNewDurationPastOnesKeepTheirs) {
  Connect();
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  // After today's Zuhr: the current prayer period starts at it.
  setenv("ORVANE_NOW", "2026-12-07T13:00:00", 1);
  ASSERT_EQ(prayer_->FindTimeInfo(COleDate::Now()), S_OK);
  prayer_->Settings().duration = 10;
  prayer_->Settings().reminderMinutes = 20;
  prayer_->Settings().busyStatus = 2;
  ASSERT_EQ(UpdateAll(), S_OK);

  const std::vector<host::Appointment> items = Calendar();
  ASSERT_EQ(items.size(), 16u);
  const host::Appointment* zuhr = At(items, MakeDate(2026, 12, 7), MakeDate(2026, 12, 7, 13, 0), ResourceUtf8(105));
  const host::Appointment* asr = At(items, MakeDate(2026, 12, 7, 13, 0), MakeDate(2026, 12, 8), ResourceUtf8(106));
  ASSERT_TRUE(zuhr && asr);
  EXPECT_NEAR(zuhr->end - zuhr->start, 5 * kMinute, 1e-6);
  EXPECT_EQ(zuhr->reminderMinutesBeforeStart, 1);
  EXPECT_NEAR(asr->end - asr->start, 10 * kMinute, 1e-6);
  EXPECT_EQ(asr->reminderMinutesBeforeStart, 20);
  EXPECT_EQ(asr->busyStatus, 2);
  // Every item keeps its mark, and nothing was added or doubled.
  for (const auto& item : items) EXPECT_TRUE(HasMark(item)) << item.subject;
  EXPECT_EQ(DeletedCount(), 0u);
}

TEST_F(UpdateTest, AFridayItemBecomesTheFridayPrayerWithHadithAndTiming) {
  Connect();
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  // An older version wrote Friday's midday prayer as plain Zuhr.
  auto store = Store();
  for (host::Appointment item : store->LoadFolder(host::FolderKind::kCalendar)) {
    if (item.subject == ResourceUtf8(158)) {
      item.subject = ResourceUtf8(105);
      item.body.clear();
      item.end = item.start + 0.1;
      store->Save(item);
    }
  }
  prayer_->Settings().fridayMinutesBefore = 45;
  prayer_->Settings().fridayMinutesAfter = 60;
  ASSERT_EQ(UpdateAll(), S_OK);
  const std::vector<host::Appointment> items = Calendar();
  const host::Appointment* friday = At(items, MakeDate(2026, 12, 11), MakeDate(2026, 12, 12, 0, 0), ResourceUtf8(158));
  ASSERT_TRUE(friday);
  EXPECT_FALSE(friday->body.empty());
  // 45 minutes before the prayer to 60 after: 105 minutes in all.
  EXPECT_NEAR(friday->end - friday->start, 105 * kMinute, 1e-6);
  EXPECT_EQ(friday->reminderMinutesBeforeStart, 30);
  EXPECT_EQ(At(items, MakeDate(2026, 12, 11), MakeDate(2026, 12, 12), ResourceUtf8(105)), nullptr);
}

TEST_F(UpdateTest, CustomRemindersChangeOnlyTheirSubjectAndOtherItemsStay) {
  setenv("ORVANE_NOW", "2026-12-07T10:30:00", 1);
  SaveUserItem("Dentist", MakeDate(2026, 12, 8, 11, 0));
  Connect();
  AddinSettings& settings = prayer_->Settings();
  settings.prayers = kCustomReminderFlag;
  settings.prescheduleDays = 1;
  settings.customSubject = TEXT("Dhikr");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  const std::vector<host::Appointment> before = Calendar();
  ASSERT_EQ(before.size(), 18u);

  settings.customSubject = TEXT("Remember \"Allah\"");
  settings.duration = 30;  // not a custom reminder's setting
  ASSERT_EQ(UpdateAll(), S_OK);
  const std::vector<host::Appointment> after = Calendar();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].start, before[i].start);
    EXPECT_EQ(after[i].end, before[i].end);
    if (before[i].subject == "Dentist") {
      EXPECT_EQ(after[i].subject, "Dentist");
    } else {
      EXPECT_EQ(after[i].subject, "Remember \"Allah\"");
    }
  }

  // An item handed to the update without a mark or a prayer's title is left
  // as it was.
  ComPtr<_Items> everything;
  CComBSTR all("[Subject] = \"Dentist\"");
  ASSERT_EQ(prayer_->CalendarItems()->Restrict(all.Get(), everything.ReleaseAndGetAddressOf()), S_OK);
  settings.customSubject = TEXT("Dentist's");
  ASSERT_EQ(prayer_->Calendar().UpdateAppointments(everything.Get(), 0), S_OK);
  const std::vector<host::Appointment> last = Calendar();
  ASSERT_EQ(last.size(), after.size());
  for (std::size_t i = 0; i < last.size(); ++i) EXPECT_EQ(last[i].subject, after[i].subject);
}

}  // namespace
