// GetDateFormat: pictures, quoting, the locale's default pictures, the Hijri
// calendar, the user's calendar type, and what is refused.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/nls/NlsTest.h"

namespace {

TEST_F(NlsTest, DatePicturesWriteEachFieldInTheLocalesLanguageAndCalendar) {
  EXPECT_EQ(Date(1033, kSpring2004, u"dddd, MMMM d, yyyy"), "Sunday, March 21, 2004");
  EXPECT_EQ(Date(1033, kSpring2004, u"dd/MM/yy"), "21/03/04");
  EXPECT_EQ(Date(1033, kSpring2004, u"ddd MMM"), "Sun Mar");
  EXPECT_EQ(Date(1033, kDecember2026, u"dddd, MMMM d, yyyy"), "Sunday, December 6, 2026");
  EXPECT_EQ(Date(1033, kDecember2026, u"d/M/y dd/MM/yy yyyyy g"), "6/12/26 06/12/26 2026 AD");

  EXPECT_EQ(Date(1036, kSpring2004, u"dddd, MMMM d, yyyy"), "dimanche, mars 21, 2004");
  EXPECT_EQ(Date(1036, kSpring2004, u"dd/MM/yy"), "21/03/04");
  EXPECT_EQ(Date(1036, kSpring2004, u"ddd MMM"), "dim. mars");
  EXPECT_EQ(Date(1036, kDecember2026, u"dddd, MMMM d, yyyy"), "dimanche, décembre 6, 2026");

  // Arabic (Saudi Arabia) writes dates in the Hijri calendar.
  EXPECT_EQ(Date(1025, kSpring2004, u"dddd, MMMM d, yyyy"), "الأحد, محرم 30, 1425");
  EXPECT_EQ(Date(1025, kSpring2004, u"dd/MM/yy"), "30/01/25");
  EXPECT_EQ(Date(1025, kSpring2004, u"ddd MMM"), "الأحد محرم");
  EXPECT_EQ(Date(1025, kDecember2026, u"dddd, MMMM d, yyyy"), "الأحد, جمادى الآخرة 26, 1448");
  EXPECT_EQ(Date(1025, kDecember2026, u"dd/MM/yy g"), "26/06/48 هـ");
}

TEST_F(NlsTest, QuotedTextIsCopiedAndTwoQuotesMakeOne) {
  EXPECT_EQ(Date(1033, kSpring2004, u"'Day' d 'of' MMMM"), "Day 21 of March");
  EXPECT_EQ(Date(1033, kSpring2004, u"'It''s' dddd"), "It's Sunday");
  EXPECT_EQ(Date(1033, kSpring2004, u"d '' M"), "21 ' 3");
  EXPECT_EQ(Date(1033, kSpring2004, u"d 'MMMM"), "21 MMMM");  // a quote left open runs to the end
  // Time letters mean nothing in a date picture.
  EXPECT_EQ(Date(1033, kSpring2004, u"h:mm tt d"), "h:mm tt 21");
}

TEST_F(NlsTest, MonthNamesTakeTheirDateFormOnlyNextToADayNumber) {
  EXPECT_EQ(Date(1049, kSpring2004, u"d MMMM"), "21 марта");
  EXPECT_EQ(Date(1049, kSpring2004, u"MMMM yyyy"), "март 2004");
  EXPECT_EQ(Date(1049, kSpring2004, u"dddd MMMM"),
            "воскресенье март");  // a day name is no day number
}

TEST_F(NlsTest, WithoutAPictureTheLocalesOwnDatesAreWritten) {
  EXPECT_EQ(Date(1033, kSpring2004, nullptr), "3/21/2004");
  EXPECT_EQ(Date(1033, kSpring2004, nullptr, DATE_SHORTDATE), "3/21/2004");
  EXPECT_EQ(Date(1033, kSpring2004, nullptr, DATE_LONGDATE), "Sunday, March 21, 2004");
  EXPECT_EQ(Date(1033, kSpring2004, nullptr, DATE_YEARMONTH), "March 2004");
  EXPECT_EQ(Date(2057, kSpring2004, nullptr), "21/03/2004");
  EXPECT_EQ(Date(2057, kSpring2004, nullptr, DATE_LONGDATE), "21 March 2004");
  EXPECT_EQ(Date(1036, kSpring2004, nullptr), "21/03/2004");
  EXPECT_EQ(Date(1036, kSpring2004, nullptr, DATE_LONGDATE), "dimanche 21 mars 2004");
  EXPECT_EQ(Date(1025, kSpring2004, nullptr), "30/01/25");
  EXPECT_EQ(Date(1025, kSpring2004, nullptr, DATE_LONGDATE), "30/محرم/1425");
  // The alternate calendar of Arabic (Saudi Arabia) is the Gregorian one.
  EXPECT_EQ(Date(1025, kSpring2004, nullptr, DATE_USE_ALT_CALENDAR), "21/03/04");
  // A locale our table does not hold takes ICU's patterns.
  EXPECT_EQ(Date(1031, kSpring2004, nullptr, DATE_LONGDATE), "Sonntag, 21. März 2004");
}

TEST_F(NlsTest, HijriDatesFollowWindowsTabularCalendar) {
  std::ifstream data(ORVANE_TEST_DATA "/hijri_dates.tsv");
  ASSERT_TRUE(data.is_open());
  std::string line;
  int rows = 0;
  while (std::getline(data, line)) {
    if (line.empty() || line[0] == '#') continue;
    int y = 0, m = 0, d = 0, hijriDay = 0, hijriMonth = 0, hijriYear = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%d-%d-%d\t%d\t%d\t%d", &y, &m, &d, &hijriDay, &hijriMonth,
                          &hijriYear),
              6)
        << line;
    const SYSTEMTIME date = Day(y, m, d);
    EXPECT_EQ(Date(1025, date, u"d"), std::to_string(hijriDay)) << line;
    EXPECT_EQ(Date(1025, date, u"M"), std::to_string(hijriMonth)) << line;
    EXPECT_EQ(std::stoi(Date(1025, date, u"yyyy")), hijriYear) << line;
    ++rows;
  }
  EXPECT_EQ(rows, 9);
  EXPECT_EQ(Date(1025, Day(2024, 3, 10), u"d MMMM yyyy"), "1 رمضان 1445");
  EXPECT_EQ(Date(1025, Day(2026, 3, 19), u"d MMMM yyyy"), "1 شوال 1447");
}

TEST_F(NlsTest, AddHijriDateMovesHijriDatesAndNothingElse) {
  const SYSTEMTIME announced = Day(2004, 2, 22);  // 1 Muharram 1425 as announced
  EXPECT_EQ(Date(1025, announced, u"d/M/yyyy"), "2/1/1425");
  auto adjust = [](const char* value) {
    ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, "Control Panel\\International", "AddHijriDate",
                                  value),
              ERROR_SUCCESS);
  };
  adjust("AddHijriDate-1");
  EXPECT_EQ(Date(1025, announced, u"d/M/yyyy"), "1/1/1425");
  EXPECT_EQ(Date(1025, announced, u"dddd"), "الأحد");  // still the same day of the week
  EXPECT_EQ(Date(1033, announced, u"d/M/yyyy"), "22/2/2004");
  adjust("AddHijriDate");  // alone, Windows' old "one day back"
  EXPECT_EQ(Date(1025, announced, u"d/M/yyyy"), "1/1/1425");
  adjust("AddHijriDate+2");
  EXPECT_EQ(Date(1025, announced, u"d/M/yyyy"), "4/1/1425");
  adjust("AddHijriDate+3");  // out of range: no adjustment
  EXPECT_EQ(Date(1025, announced, u"d/M/yyyy"), "2/1/1425");
  adjust("-1");
  EXPECT_EQ(Date(1025, announced, u"d/M/yyyy"), "2/1/1425");
}

// How the timetable writes a date in another calendar: read the calendar
// type, set the one wanted, format, set the old one back.
TEST_F(NlsTest, TheUsersCalendarTypeDecidesTheCalendarUntilSetBack) {
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE), "6");
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, u"1"));
  EXPECT_EQ(Date(1025, kSpring2004, u"d MMMM yyyy"), "21 مارس 2004");
  EXPECT_EQ(Date(LOCALE_USER_DEFAULT, kSpring2004, nullptr), "21/03/04");
  // Without the user's overrides the locale's own calendar answers.
  EXPECT_EQ(Date(1025, kSpring2004, nullptr, LOCALE_NOUSEROVERRIDE), "30/01/25");
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, u"6"));
  EXPECT_EQ(Date(1025, kSpring2004, u"d MMMM yyyy"), "30 محرم 1425");
  ASSERT_TRUE(SetLocaleInfo(1025, LOCALE_ICALENDARTYPE, u"1"));
  EXPECT_EQ(Date(1025, kSpring2004, u"d MMMM yyyy"), "21 مارس 2004");

  // A calendar the locale does not have is refused, and nothing changes.
  ASSERT_TRUE(nls::SetUserDefaultLocale(1033));
  EXPECT_FALSE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, u"6"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Date(1033, kSpring2004, u"d/M/yyyy"), "21/3/2004");
}

TEST_F(NlsTest, InvalidDatesFlagsAndLocalesAreRefused) {
  const std::string invalidParameter = Error(ERROR_INVALID_PARAMETER);
  const std::string invalidFlags = Error(ERROR_INVALID_FLAGS);
  EXPECT_EQ(Date(1033, Day(2004, 2, 29), u"d/M"), "29/2");
  EXPECT_EQ(Date(1033, Day(2003, 2, 29), u"d/M"), invalidParameter);
  EXPECT_EQ(Date(1033, Day(2004, 4, 31), u"d/M"), invalidParameter);
  EXPECT_EQ(Date(1033, Day(2004, 13, 1), u"d/M"), invalidParameter);
  EXPECT_EQ(Date(1033, Day(2004, 1, 0), u"d/M"), invalidParameter);
  EXPECT_EQ(Date(1033, Day(0, 1, 1), u"d/M"), invalidParameter);
  EXPECT_EQ(Date(0x1234, kSpring2004, u"d/M"), invalidParameter);

  EXPECT_EQ(Date(1033, kSpring2004, u"d/M", DATE_SHORTDATE), invalidFlags);
  EXPECT_EQ(Date(1033, kSpring2004, u"d/M", LOCALE_NOUSEROVERRIDE), invalidFlags);
  EXPECT_EQ(Date(1033, kSpring2004, nullptr, DATE_SHORTDATE | DATE_LONGDATE), invalidFlags);
  EXPECT_EQ(Date(1033, kSpring2004, u"d/M", DATE_LTRREADING | DATE_RTLREADING), invalidFlags);
  EXPECT_EQ(Date(1033, kSpring2004, u"d/M", 0x1000), invalidFlags);
}

TEST_F(NlsTest, TheDayOfTheWeekIsTheDatesOwn) {
  SYSTEMTIME date = kSpring2004;
  date.wDayOfWeek = 5;  // a caller's mistake: 21 March 2004 was a Sunday
  EXPECT_EQ(Date(1033, date, u"dddd"), "Sunday");
}

TEST_F(NlsTest, ReadingOrderFlagsStartTheTextWithTheirMark) {
  EXPECT_EQ(Date(1025, kSpring2004, u"d", DATE_RTLREADING), "\u200F30");
  EXPECT_EQ(Date(1033, kSpring2004, u"d", DATE_LTRREADING), "\u200E21");
}

TEST_F(NlsTest, WithoutADateTheDateIsToday) {
  setenv("ORVANE_NOW", "2004-03-21T14:05:09", 1);
  char16_t buffer[32];
  EXPECT_EQ(Result(GetDateFormat(1033, 0, nullptr, u"yyyy-MM-dd", buffer, 32), buffer),
            "2004-03-21");
  EXPECT_EQ(Result(GetTimeFormat(1033, 0, nullptr, u"HH:mm:ss", buffer, 32), buffer), "14:05:09");
}

TEST_F(NlsTest, TextIsWrittenOnlyWhenItFitsAndCountsItsTerminator) {
  char16_t buffer[16];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(GetDateFormat(1033, 0, &kSpring2004, u"dd/MM/yy", static_cast<char16_t*>(nullptr), 0),
            9);
  EXPECT_EQ(GetDateFormat(1033, 0, &kSpring2004, u"dd/MM/yy", buffer, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(buffer[0], u'#');  // nothing was written
  EXPECT_EQ(GetDateFormat(1033, 0, &kSpring2004, u"dd/MM/yy", buffer, 9), 9);
  EXPECT_EQ(std::u16string(buffer), u"21/03/04");
  EXPECT_EQ(GetDateFormat(1033, 0, &kSpring2004, u"d", static_cast<char16_t*>(nullptr), 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetDateFormat(1033, 0, &kSpring2004, u"d", buffer, -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(NlsTest, AnsiFormsWriteTheCodePagesBytes) {
  ASSERT_TRUE(text::SetAnsiCodePage(1256));
  char buffer[32] = {};
  // محرم is meem, hah, reh, meem in windows-1256.
  ASSERT_EQ(GetDateFormat(1025, 0, &kSpring2004, "MMMM", buffer, 32), 5);
  EXPECT_EQ(std::string(buffer), "\xE3\xCD\xD1\xE3");
  ASSERT_EQ(GetTimeFormat(1025, 0, &kSpring2004, "hh':'mm tt", buffer, 32), 8);
  EXPECT_EQ(std::string(buffer), "02:05 \xE3");
  EXPECT_EQ(GetDateFormat(1025, 0, &kSpring2004, "MMMM", buffer, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  // A picture in the code page: "'يوم' d" ("day 30").
  ASSERT_GT(GetDateFormat(1025, 0, &kSpring2004, "'\xED\xE6\xE3' d", buffer, 32), 0);
  EXPECT_EQ(std::string(buffer), "\xED\xE6\xE3 30");
}

}  // namespace
