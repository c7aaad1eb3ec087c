#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>

#include "calc/OleDate.h"
#include "platform/com/VariantTime.h"

namespace {

COleDate Make(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  COleDate date;
  EXPECT_TRUE(date.SetDateTime(y, m, d, h, mi, s)) << y << "-" << m << "-" << d;
  return date;
}

TEST(OleDate, ValidRangeBoundsAndNaN) {
  EXPECT_TRUE(COleDate(0.0).IsValid());
  EXPECT_TRUE(COleDate(-657434.0).IsValid());
  EXPECT_FALSE(COleDate(-657435.0).IsValid());
  EXPECT_FALSE(COleDate(kInvalidDate).IsValid());
  EXPECT_TRUE(COleDate(2958465.0).IsValid());
  EXPECT_FALSE(COleDate(2958465.5).IsValid());
  EXPECT_FALSE(COleDate(std::nan("")).IsValid());

  EXPECT_EQ(COleDate(-657434.0).GetYear(), 100);
  EXPECT_EQ(COleDate(2958465.0).GetYear(), 9999);
  EXPECT_EQ(COleDate(2958465.0).GetMonth(), 12);
  EXPECT_EQ(COleDate(2958465.0).GetDay(), 31);
}

TEST(OleDate, SetDateTimeRejectsOutOfRangeFieldsAndLeavesInvalidDate) {
  COleDate date(1234.0);
  EXPECT_FALSE(date.SetDateTime(1899, 12, 30, 24, 0, 0));
  EXPECT_EQ(date.Value(), kInvalidDate);
  EXPECT_FALSE(date.SetDateTime(2004, 0, 1, 0, 0, 0));
  EXPECT_FALSE(date.SetDateTime(2004, 13, 1, 0, 0, 0));
  EXPECT_FALSE(date.SetDateTime(2004, 1, 0, 0, 0, 0));
  EXPECT_FALSE(date.SetDateTime(2004, 1, 32, 0, 0, 0));
  EXPECT_FALSE(date.SetDateTime(2004, 1, 1, 0, 60, 0));
  EXPECT_FALSE(date.SetDateTime(2004, 1, 1, 0, 0, 60));
  EXPECT_FALSE(date.SetDateTime(-1, 1, 1, 0, 0, 0));
  EXPECT_FALSE(date.SetDateTime(10000, 1, 1, 0, 0, 0));
  EXPECT_FALSE(date.SetDateTime(COleDate::kInvalidField, 1, 1, 0, 0, 0));
  EXPECT_EQ(date.Value(), kInvalidDate);
  // Each of them made good.
  EXPECT_TRUE(date.SetDateTime(1899, 12, 30, 23, 59, 59));
  EXPECT_TRUE(date.SetDateTime(9999, 12, 31, 0, 0, 0));
  EXPECT_TRUE(date.SetDateTime(100, 1, 1, 0, 0, 0));
}

TEST(OleDate, TwoDigitYearsFollowThePlatformWindow) {
  EXPECT_EQ(Make(0, 2, 29).GetYear(), 2000);  // 2000 is a leap year, so 29 February exists
  EXPECT_EQ(Make(0, 2, 29).GetDay(), 29);
  EXPECT_EQ(Make(29, 1, 1).GetYear(), 2029);
  EXPECT_EQ(Make(30, 1, 1).GetYear(), 1930);
  EXPECT_EQ(Make(99, 12, 31).GetYear(), 1999);
  EXPECT_EQ(Make(100, 1, 1).GetYear(), 100);
}

TEST(OleDate, DayPastTheEndOfItsMonthRunsIntoTheNext) {
  const COleDate feb29 = Make(2003, 2, 29);
  EXPECT_EQ(feb29.GetMonth(), 3);
  EXPECT_EQ(feb29.GetDay(), 1);
  EXPECT_EQ(Make(2004, 2, 30).GetDay(), 1);
  EXPECT_EQ(Make(2004, 4, 31).GetMonth(), 5);
  EXPECT_EQ(Make(2004, 12, 31).GetYear(), 2004);
}

TEST(OleDate, FieldsOfTheEpochAndKnownWeekdays) {
  const COleDate epoch(0.0);
  EXPECT_EQ(epoch.GetYear(), 1899);
  EXPECT_EQ(epoch.GetMonth(), 12);
  EXPECT_EQ(epoch.GetDay(), 30);
  EXPECT_EQ(epoch.GetDayOfWeek(), 7);               // Saturday
  EXPECT_EQ(Make(2004, 3, 21).GetDayOfWeek(), 1);   // Sunday
  EXPECT_EQ(Make(2026, 12, 7).GetDayOfWeek(), 2);   // Monday
  EXPECT_EQ(Make(2004, 3, 21).Value(), 38067.0);
}

TEST(OleDate, GettersOfAnInvalidDateAnswerTheLowestInteger) {
  const COleDate bad(kInvalidDate);
  for (int field : {bad.GetYear(), bad.GetMonth(), bad.GetDay(), bad.GetHour(), bad.GetMinute(),
                    bad.GetSecond(), bad.GetDayOfWeek(), bad.GetDayOfYear()}) {
    EXPECT_EQ(field, -2147483648LL);
  }
  EXPECT_EQ(COleDate(2958465.5).GetYear(), COleDate::kInvalidField);
}

TEST(OleDate, DayOfYearCountsLeapDays) {
  EXPECT_EQ(Make(2004, 12, 31).GetDayOfYear(), 366);
  EXPECT_EQ(Make(2003, 12, 31).GetDayOfYear(), 365);
  EXPECT_EQ(Make(2004, 3, 21).GetDayOfYear(), 81);
  EXPECT_EQ(Make(1900, 3, 1).GetDayOfYear(), 60);  // 1900 is not a leap year
  EXPECT_EQ(Make(2000, 3, 1).GetDayOfYear(), 61);  // 2000 is
}

TEST(OleDate, CalendarFieldsAgreeWithTheStandardLibraryAcrossTheWholeRange) {
  using namespace std::chrono;
  const sys_days epoch = year{1899} / December / 30;
  for (int serial = -657433; serial < 2958465; serial += 1237) {
    const year_month_day ymd{epoch + days{serial}};
    const COleDate date(static_cast<double>(serial) + (serial < 0 ? -0.5 : 0.5));
    ASSERT_EQ(date.GetYear(), static_cast<int>(ymd.year())) << serial;
    ASSERT_EQ(date.GetMonth(), static_cast<int>(static_cast<unsigned>(ymd.month()))) << serial;
    ASSERT_EQ(date.GetDay(), static_cast<int>(static_cast<unsigned>(ymd.day()))) << serial;
    ASSERT_EQ(date.GetHour(), 12) << serial;
    ASSERT_EQ(date.GetDayOfWeek(),
              static_cast<int>(weekday{sys_days{ymd}}.c_encoding()) + 1) << serial;
    // And back again.
    COleDate rebuilt;
    ASSERT_TRUE(rebuilt.SetDateTime(date.GetYear(), date.GetMonth(), date.GetDay(), 12, 0, 0));
    ASSERT_EQ(rebuilt.Value(), date.Value()) << serial;
  }
}

TEST(OleDate, DecompositionRoundsToTheNearestSecond) {
  // Every minute of the day stored as a fraction of a day decomposes to that
  // minute; truncation would give hh:mm-1:59 for many of them.
  for (int minute = 0; minute < 1440; ++minute) {
    const COleDate t(minute / 1440.0);
    ASSERT_EQ(t.GetHour() * 60 + t.GetMinute(), minute);
    ASSERT_EQ(t.GetSecond(), 0);
  }
  const COleDate noonTwo(722.0 / 1440.0);
  EXPECT_EQ(noonTwo.GetHour(), 12);
  EXPECT_EQ(noonTwo.GetMinute(), 2);
  EXPECT_EQ(noonTwo.GetSecond(), 0);
  // 23:59:59.6 rounds into the next calendar day.
  const COleDate almostMidnight(38067.0 + (86399.6 / 86400.0));
  EXPECT_EQ(almostMidnight.GetDay(), 22);
  EXPECT_EQ(almostMidnight.GetHour(), 0);
  // And backwards-counted dates carry forwards too.
  const COleDate negative(-1.0 - (86399.6 / 86400.0));
  EXPECT_EQ(negative.GetDay(), 30);
  EXPECT_EQ(negative.GetMonth(), 12);
}

TEST(OleDate, NegativeDatesCountDaysBackAndTimeForward) {
  const COleDate sixAm(-1.25);
  EXPECT_EQ(sixAm.GetDay(), 29);
  EXPECT_EQ(sixAm.GetHour(), 6);
  EXPECT_TRUE(sixAm > COleDate(-1.0));
  EXPECT_TRUE(sixAm < COleDate(0.0));
  EXPECT_TRUE(sixAm <= COleDate(-1.25));
  EXPECT_TRUE(sixAm >= COleDate(-1.25));

  const COleDate sixPm = sixAm + COleDateSpan(0.5);
  EXPECT_DOUBLE_EQ(sixPm.Value(), -1.75);
  EXPECT_EQ(sixPm.GetHour(), 18);
  EXPECT_DOUBLE_EQ((sixPm - COleDateSpan(0.5)).Value(), -1.25);
  EXPECT_DOUBLE_EQ((sixPm - sixAm).GetTotalDays(), 0.5);
  // Crossing the epoch from either side.
  EXPECT_DOUBLE_EQ((COleDate(-1.25) + COleDateSpan(1.0)).Value(), 0.25);
  EXPECT_DOUBLE_EQ((COleDate(0.25) - COleDateSpan(1.0)).Value(), -1.25);
  EXPECT_DOUBLE_EQ((COleDate(0.25) - COleDate(-1.25)).GetTotalDays(), 1.0);

  const COleDate built(1899, 12, 29, 6, 0, 0);
  EXPECT_DOUBLE_EQ(built.Value(), -1.25);
}

TEST(OleDate, ArithmeticOnInvalidInputsGivesInvalidResults) {
  const COleDate valid = Make(2004, 3, 21);
  EXPECT_EQ((COleDate(kInvalidDate) + COleDateSpan(1.0)).Value(), kInvalidDate);
  EXPECT_EQ((valid + COleDateSpan(3615898.0)).Value(), kInvalidDate);
  EXPECT_EQ((valid - COleDateSpan(-3615898.0)).Value(), kInvalidDate);
  EXPECT_EQ((valid - COleDate(kInvalidDate)).GetTotalDays(), COleDateSpan::kInvalidSpan);
  EXPECT_EQ((COleDate(kInvalidDate) - valid).GetTotalDays(), COleDateSpan::kInvalidSpan);
  // The result of an in-range span is not clipped to the valid range.
  EXPECT_DOUBLE_EQ((COleDate(2958465.0) + COleDateSpan(1.0)).Value(), 2958466.0);
  EXPECT_FALSE((COleDate(2958465.0) + COleDateSpan(1.0)).IsValid());
}

TEST(OleDateSpan, SetDateTimeSpanUsesDayFractions) {
  COleDateSpan span;
  span.SetDateTimeSpan(0, 0, 90, 0);
  EXPECT_DOUBLE_EQ(span.GetTotalDays(), 0.0625);
  span.SetDateTimeSpan(1, 12, 0, 0);
  EXPECT_DOUBLE_EQ(span.GetTotalDays(), 1.5);
  span.SetDateTimeSpan(0, 0, 0, 86400);
  EXPECT_NEAR(span.GetTotalDays(), 1.0, 1e-12);
  EXPECT_TRUE(COleDateSpan(3615897.0).IsValid());
  EXPECT_FALSE(COleDateSpan(COleDateSpan::kInvalidSpan).IsValid());
}

TEST(VariantTime, ConversionsRejectNullAndOutOfRange) {
  SYSTEMTIME st;
  DATE value = 42.0;
  EXPECT_FALSE(VariantTimeToSystemTime(kMaxVariantDate + 1.0, &st));
  EXPECT_FALSE(VariantTimeToSystemTime(kMinVariantDate - 0.0001, &st));
  EXPECT_TRUE(VariantTimeToSystemTime(kMaxVariantDate + 0.5, &st));  // 31 Dec 9999 noon
  EXPECT_FALSE(VariantTimeToSystemTime(0.0, nullptr));
  st = SYSTEMTIME{};
  st.wYear = 9999;
  st.wMonth = 12;
  st.wDay = 32;  // runs past the last representable day
  EXPECT_FALSE(SystemTimeToVariantTime(&st, &value));
  EXPECT_EQ(value, 42.0);
  EXPECT_FALSE(SystemTimeToVariantTime(nullptr, &value));
}

// The split is what VariantTimeToSystemTime reads, also where its rounding
// carries into the next day, for dates before 1899, and at the range's ends.
TEST(VariantTime, SplitAgreesWithTheFields) {
  const DATE cases[] = {0.0,          0.5,          -1.25,        -0.9999999999, 722.0 / 1440.0,
                        38067.0 + 722.0 / 1440.0,   38067.9999999999,           -38067.9999999999,
                        kMinVariantDate,            kMaxVariantDate,            kMaxVariantDate + 0.5,
                        -657433.5,    2958464.9999999};
  for (const DATE date : cases) {
    SYSTEMTIME st;
    std::int64_t days = 0;
    std::int32_t seconds = 0;
    ASSERT_TRUE(VariantTimeToSystemTime(date, &st)) << date;
    ASSERT_TRUE(SplitVariantTime(date, &days, &seconds)) << date;
    SYSTEMTIME day{};
    day.wYear = st.wYear;
    day.wMonth = st.wMonth;
    day.wDay = st.wDay;
    DATE midnight = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&day, &midnight));
    EXPECT_EQ(days, static_cast<std::int64_t>(midnight)) << date;
    EXPECT_EQ(seconds, st.wHour * 3600 + st.wMinute * 60 + st.wSecond) << date;
  }
  std::int64_t days = 0;
  std::int32_t seconds = 0;
  EXPECT_TRUE(SplitVariantTime(38067.9999999999, &days, &seconds));
  EXPECT_EQ(days, 38068);  // 23:59:59.99999 is the next midnight
  EXPECT_EQ(seconds, 0);
  EXPECT_TRUE(SplitVariantTime(-1.25, &days, &seconds));
  EXPECT_EQ(days, -1);
  EXPECT_EQ(seconds, 6 * 3600);
  for (const DATE bad : {kMaxVariantDate + 1.0, kMaxVariantDate + 0.99999999999, kMinVariantDate - 0.0001,
                         std::nan("")}) {
    SYSTEMTIME st;
    EXPECT_FALSE(SplitVariantTime(bad, &days, &seconds)) << bad;
    EXPECT_FALSE(VariantTimeToSystemTime(bad, &st)) << bad;
  }
}

TEST(SystemTime, OrvaneNowFixesTheLocalTime) {
  setenv("ORVANE_NOW", "2004-03-21T05:30:15", 1);
  const COleDate now = COleDate::Now();
  EXPECT_EQ(now.GetYear(), 2004);
  EXPECT_EQ(now.GetDayOfYear(), 81);
  EXPECT_EQ(now.GetHour(), 5);
  EXPECT_EQ(now.GetMinute(), 30);
  EXPECT_EQ(now.GetSecond(), 15);
  setenv("ORVANE_NOW", "2004-02-30T05:30:15", 1);  // no such day: the clock is used
  EXPECT_GT(COleDate::Now().GetYear(), 2020);
  unsetenv("ORVANE_NOW");
}

}  // namespace
