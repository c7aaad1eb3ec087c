// The calendar far enough north that the sun does not give Fajr and Isha in
// summer (London, 51.5 degrees, in June): the high-latitude rule's times, an
// Isha after midnight on the day it falls on, the appointment's line naming
// the rule, and a calendar filled before any of it rewritten once and again
// whenever the rule changes.

#include <gtest/gtest.h>

#include "services/HighLatitudeNote.h"
#include "platform/text/TextConvert.h"
#include "tests/support/GenerationFixture.h"

namespace {

constexpr double kMinute = 1.0 / 1440;
constexpr const char* kLondon = "London,,United Kingdom,51 30 N,0 8 W,0,Y,0,Y,433\n";

class HighLatitudeTest : public GenerationFixture {
 protected:
  void SetUp() override {
    GenerationFixture::SetUp();
    StoreText(151, kLondon);  // the city, as the location dialog saves it
    setenv("ORVANE_NOW", "2027-06-21T10:00:00", 1);  // a Monday, British Summer Time
  }

  static const char* Name(unsigned id) { return ui::FindString(ResourceInstance(), id); }
  static void StoreText(unsigned id, const char* text) {
    ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, Name(101), Name(id), text), ERROR_SUCCESS);
  }
  static void StoreRule(DWORD rule) {
    ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, Name(101), Name(1055), rule), ERROR_SUCCESS);
  }
  static DWORD StoredApplied() {
    DWORD applied = 12345;
    registry::GetDword(HKEY_CURRENT_USER, Name(101), Name(1308), &applied);
    return applied;
  }
  // The items of one subject, in time order.
  static std::vector<host::Appointment> Of(unsigned subject) {
    std::vector<host::Appointment> items;
    for (const auto& item : Calendar()) {
      if (item.subject == ResourceUtf8(subject)) items.push_back(item);
    }
    return items;
  }
  static std::string Line(LONG rule) { return text::Utf16ToUtf8(HighLatitudeNote(kRuleBodyFormat, rule)); }
  static DATE Day(const host::Appointment& item) { return static_cast<DATE>(static_cast<long>(item.start)); }
  // An item as the add-in wrote it before times were placed on the day they
  // fall on: the engine's fixed Fajr at 04:00 and Isha at 18:00.
  static host::Appointment OldItem(unsigned subject, double mark, DATE start) {
    host::Appointment item;
    item.subject = ResourceUtf8(subject);
    item.start = start;
    item.end = start + 5 * kMinute;
    item.userProperties.push_back({"PrayerNum", host::PropertyType::kNumber, mark});
    return item;
  }
};

TEST_F(HighLatitudeTest, AFillInLondonInJuneWritesIshaAfterMaghribAndFajrBeforeSunrise) {
  Connect();
  prayer_->Settings().prayers = kFajrFlag | kShoroukFlag | kMaghribFlag | kIshaFlag;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  const auto fajr = Of(103), shorouk = Of(104), maghrib = Of(107), isha = Of(108);
  ASSERT_EQ(isha.size(), 8u);     // 21 to 28 June
  ASSERT_EQ(maghrib.size(), 8u);
  ASSERT_EQ(fajr.size(), 7u);     // today's is past
  ASSERT_EQ(shorouk.size(), 7u);
  // A seventh of the night after sunset, in summer time: never the fixed
  // 18:00 the model gave, two hours before Maghrib.
  EXPECT_EQ(isha[0].start, MakeDate(2027, 6, 21, 22, 25));
  EXPECT_EQ(maghrib[0].start, MakeDate(2027, 6, 21, 21, 21));
  for (std::size_t d = 0; d < 8; ++d) {
    EXPECT_EQ(Day(isha[d]), Day(maghrib[d]));
    EXPECT_GT(isha[d].start, maghrib[d].start + 45 * kMinute) << d;
    EXPECT_LT(isha[d].start, maghrib[d].start + 90 * kMinute) << d;
    // The body says where the time came from; Maghrib's says nothing.
    EXPECT_EQ(isha[d].body, Line(eSeventhOfNight));
    EXPECT_EQ(maghrib[d].body, "");
  }
  for (std::size_t d = 0; d < 7; ++d) {
    EXPECT_EQ(Day(fajr[d]), Day(shorouk[d]));
    EXPECT_LT(fajr[d].start, shorouk[d].start - 45 * kMinute) << d;
    EXPECT_GT(fajr[d].start, shorouk[d].start - 90 * kMinute) << d;
    EXPECT_EQ(fajr[d].body, Line(eSeventhOfNight));
  }
  EXPECT_EQ(StoredApplied(), static_cast<DWORD>(eSeventhOfNight));
}

TEST_F(HighLatitudeTest, AnIshaAfterMidnightStandsOnItsOwnDayAndIsNeverTakenForTheNextDays) {
  StoreRule(eMiddleOfNight);
  Connect();
  prayer_->Settings().prayers = kMaghribFlag | kIshaFlag;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  auto isha = Of(108);
  ASSERT_EQ(isha.size(), 8u);
  // The middle of the night of 21 June is at 01:02 on the 22nd: the
  // appointment stands there, not 24 hours early on the 21st.
  EXPECT_EQ(isha[0].start, MakeDate(2027, 6, 22, 1, 2));
  for (std::size_t d = 0; d < 8; ++d) {
    EXPECT_EQ(Day(isha[d]), MakeDate(2027, 6, 22 + static_cast<int>(d))) << d;
    EXPECT_EQ(isha[d].body, Line(eMiddleOfNight));
  }

  // Generate walks every day again: each day's own Isha is found where it
  // stands, and nothing is doubled.
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  EXPECT_EQ(Of(108).size(), 8u);

  // The next morning the window gains 29 June. Its calendar day holds the
  // Isha of the 28th (at 01:02): that is not the 29th's, which is written
  // on the 30th.
  Restart("2027-06-22T10:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  isha = Of(108);
  ASSERT_EQ(isha.size(), 8u);  // the 21st's, past, was cleaned up
  EXPECT_EQ(Day(isha.front()), MakeDate(2027, 6, 23));
  EXPECT_EQ(Day(isha.back()), MakeDate(2027, 6, 30));

  // Isha deselected: every day's own goes, the one past midnight of the
  // window's last day too.
  prayer_->Settings().prayers = kMaghribFlag;
  ASSERT_EQ(prayer_->Calendar().Precalculate(true, false, true, false), S_OK);
  EXPECT_EQ(Of(108).size(), 0u);
  EXPECT_EQ(Of(107).size(), 8u);
}

TEST_F(HighLatitudeTest, PrayerPeriodsAndTheNextPrayerAcrossMidnight) {
  StoreRule(eMiddleOfNight);
  Connect();
  // Half past midnight: still the evening before's Maghrib, its Isha ahead.
  ASSERT_EQ(prayer_->FindTimeInfo(MakeDate(2027, 6, 22, 0, 30)), S_OK);
  EXPECT_EQ(g_timeInfo.currentPrayer, static_cast<DWORD>(kMaghribFlag));
  EXPECT_EQ(g_timeInfo.periodStart.Value(), MakeDate(2027, 6, 21, 21, 21));
  EXPECT_EQ(g_timeInfo.periodEnd.Value(), MakeDate(2027, 6, 22, 1, 2));
  EXPECT_EQ(g_timeInfo.position, 0);
  // Late in the evening the Maghrib period runs on past midnight.
  ASSERT_EQ(prayer_->FindTimeInfo(MakeDate(2027, 6, 21, 23, 30)), S_OK);
  EXPECT_EQ(g_timeInfo.currentPrayer, static_cast<DWORD>(kMaghribFlag));
  EXPECT_EQ(g_timeInfo.periodEnd.Value(), MakeDate(2027, 6, 22, 1, 2));
  EXPECT_EQ(g_timeInfo.position, 1);

  // One prayer at a time, at 23:30: the next is that evening's Isha at
  // 01:02, not the next evening's.
  setenv("ORVANE_NOW", "2027-06-21T23:30:00", 1);
  prayer_->Settings().prayers = kIshaFlag;
  prayer_->Settings().prescheduleDays = 255;
  ASSERT_EQ(prayer_->GenerateNext(false), S_OK);
  const auto isha = Of(108);
  ASSERT_EQ(isha.size(), 1u);
  EXPECT_EQ(isha[0].start, MakeDate(2027, 6, 22, 1, 2));
  // Asked again, it is there already.
  ASSERT_EQ(prayer_->GenerateNext(true), S_OK);
  EXPECT_EQ(Of(108).size(), 1u);
}

TEST_F(HighLatitudeTest, ACalendarFilledBeforeIsRewrittenOnceAndAgainOnEachChangeOfRule) {
  // A week as the add-in wrote it before: 18:00 Isha and 04:00 Fajr, every
  // time on the day it was computed for.
  {
    auto store = Store();
    std::vector<host::Appointment> items;
    for (int day = 21; day <= 28; ++day) {
      items.push_back(OldItem(108, 5, MakeDate(2027, 6, day, 18, 0)));
      if (day > 21) items.push_back(OldItem(103, 0, MakeDate(2027, 6, day, 4, 0)));
    }
    items[0].body = "At the mosque";  // the user's own note
    store->SaveAll(items);
    store->AddFolderField(host::FolderKind::kCalendar, "PrayerNum", host::PropertyType::kNumber);
  }
  const auto ids = [] {
    std::vector<host::ItemId> all;
    for (const auto& item : Calendar()) all.push_back(item.id);
    std::sort(all.begin(), all.end());
    return all;
  };
  const std::vector<host::ItemId> written = ids();
  ASSERT_EQ(written.size(), 15u);

  Connect();
  prayer_->Settings().prayers = kFajrFlag | kIshaFlag;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  auto isha = Of(108);
  auto fajr = Of(103);
  ASSERT_EQ(isha.size(), 8u);
  ASSERT_EQ(fajr.size(), 7u);
  for (std::size_t d = 0; d < 8; ++d) {
    EXPECT_EQ(Day(isha[d]), MakeDate(2027, 6, 21 + static_cast<int>(d)));
    EXPECT_GT(isha[d].start, Day(isha[d]) + 22 * 60 * kMinute) << d;  // no 18:00 left
  }
  for (std::size_t d = 0; d < 7; ++d) EXPECT_LT(fajr[d].start, Day(fajr[d]) + 4 * 60 * kMinute) << d;
  EXPECT_EQ(isha[0].body, "At the mosque\r\n\r\n" + Line(eSeventhOfNight));
  EXPECT_EQ(ids(), written);  // rewritten in place, nothing added
  EXPECT_EQ(StoredApplied(), static_cast<DWORD>(eSeventhOfNight));

  // The next start finds the rule applied and rewrites nothing.
  {
    auto store = Store();
    host::Appointment item = Of(108)[3];
    item.end = item.start + 40 * kMinute;
    store->Save(item);
  }
  Restart("2027-06-21T11:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  EXPECT_NEAR(Of(108)[3].end - Of(108)[3].start, 40 * kMinute, 1e-6);

  // The middle of the night: every Isha moves past midnight, to the next
  // day; the note names the new rule alone.
  StoreRule(eMiddleOfNight);
  Restart("2027-06-21T11:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  isha = Of(108);
  ASSERT_EQ(isha.size(), 8u);
  for (std::size_t d = 0; d < 8; ++d) {
    EXPECT_EQ(Day(isha[d]), MakeDate(2027, 6, 22 + static_cast<int>(d))) << d;
    EXPECT_LT(isha[d].start, Day(isha[d]) + 2 * 60 * kMinute) << d;
  }
  EXPECT_EQ(isha[0].start, MakeDate(2027, 6, 22, 1, 2));
  EXPECT_EQ(isha[0].body, "At the mosque\r\n\r\n" + Line(eMiddleOfNight));
  EXPECT_EQ(ids(), written);
  EXPECT_EQ(StoredApplied(), static_cast<DWORD>(eMiddleOfNight));

  // And back: each item returns to the evening of its own date, not to the
  // day its start now lies on.
  StoreRule(eSeventhOfNight);
  Restart("2027-06-21T11:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  isha = Of(108);
  ASSERT_EQ(isha.size(), 8u);
  for (std::size_t d = 0; d < 8; ++d) EXPECT_EQ(Day(isha[d]), MakeDate(2027, 6, 21 + static_cast<int>(d))) << d;
  EXPECT_EQ(isha[0].start, MakeDate(2027, 6, 21, 22, 25));
  EXPECT_EQ(isha[0].body, "At the mosque\r\n\r\n" + Line(eSeventhOfNight));
  EXPECT_EQ(ids(), written);
}

// A city chosen outside the add-in asks for the same calendar to be
// rewritten at the next start: both rewrites read each old item's own day
// once, so no Isha is carried a day further on the second.
TEST_F(HighLatitudeTest, AnOldCalendarWithAPendingUpdateMovesEachIshaOnce) {
  {
    auto store = Store();
    std::vector<host::Appointment> items;
    for (int day = 21; day <= 24; ++day) items.push_back(OldItem(108, 5, MakeDate(2027, 6, day, 18, 0)));
    store->SaveAll(items);
    store->AddFolderField(host::FolderKind::kCalendar, "PrayerNum", host::PropertyType::kNumber);
  }
  StoreRule(eMiddleOfNight);
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, Name(101), Name(1201), 1), ERROR_SUCCESS);
  Connect();
  prayer_->Settings().prayers = kIshaFlag;
  prayer_->Settings().prescheduleDays = 3;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  const auto isha = Of(108);
  ASSERT_GE(isha.size(), 4u);
  for (std::size_t d = 0; d < isha.size(); ++d) {
    EXPECT_EQ(Day(isha[d]), MakeDate(2027, 6, 22 + static_cast<int>(d))) << d;
  }
  EXPECT_EQ(isha[0].start, MakeDate(2027, 6, 22, 1, 2));
}

TEST_F(HighLatitudeTest, ADayOffTheWorkWeekKeepsTheEveningBeforesIshaAfterMidnight) {
  // Only Outlook's working days, Monday to Friday; Isha at the middle of the
  // night, past midnight.
  registry::SetDword(HKEY_CURRENT_USER,
                     ("Software\\Microsoft\\Office\\" + std::string(flavour::kOfficeVersion) + "\\Outlook\\Options\\Calendar").c_str(),
                     "WorkDay", 124);
  StoreRule(eMiddleOfNight);
  setenv("ORVANE_NOW", "2027-06-25T10:00:00", 1);  // a Friday
  Connect();
  prayer_->Settings().prayers = kIshaFlag;
  prayer_->Settings().workingDaysOnly = true;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  // Friday 2 July, the window's last day: its Isha stands on Saturday.
  auto isha = Of(108);
  ASSERT_FALSE(isha.empty());
  EXPECT_EQ(Day(isha.back()), MakeDate(2027, 7, 3));
  const std::size_t count = isha.size();  // 25, 28, 29, 30 June, 1 and 2 July
  EXPECT_EQ(count, 6u);

  // Saturday joins the window as a day off: it is cleared of its own
  // prayers, not of Friday's Isha that stands on it.
  Restart("2027-06-26T10:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  isha = Of(108);
  ASSERT_FALSE(isha.empty());
  EXPECT_EQ(Day(isha.back()), MakeDate(2027, 7, 3));
  EXPECT_EQ(isha.size(), count - 1);  // Friday 25 June's is past
  for (const auto& item : isha) {
    const int weekday = COleDate(item.start - 1).GetDayOfWeek();  // the evening it belongs to
    EXPECT_TRUE(weekday >= 2 && weekday <= 6) << item.start;
  }
}

TEST_F(HighLatitudeTest, AnOldIshaAlreadyPastIsMovedToItsTimeStillAhead) {
  // At seven in the evening the old 18:00 Isha has passed, but today's Isha
  // has not: without the start-up clean-up, the item is moved, not left
  // standing in the past beside a day that counts as having its Isha.
  {
    auto store = Store();
    std::vector<host::Appointment> items{OldItem(108, 5, MakeDate(2027, 6, 21, 18, 0))};
    store->SaveAll(items);
    store->AddFolderField(host::FolderKind::kCalendar, "PrayerNum", host::PropertyType::kNumber);
  }
  setenv("ORVANE_NOW", "2027-06-21T19:00:00", 1);
  Connect();
  prayer_->Settings().prayers = kIshaFlag;
  prayer_->Settings().startupCleanup = 0;
  prayer_->Settings().prescheduleDays = 1;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  const auto isha = Of(108);
  ASSERT_EQ(isha.size(), 2u);  // today's, moved, and tomorrow's
  EXPECT_EQ(isha[0].start, MakeDate(2027, 6, 21, 22, 25));
  EXPECT_EQ(Day(isha[1]), MakeDate(2027, 6, 22));
}

}  // namespace
