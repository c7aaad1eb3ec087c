// The text operations of COleDate.

#include <gtest/gtest.h>

#include "calc/OleDate.h"
#include "platform/nls/Nls.h"
#include "platform/text/TextConvert.h"
#include "tests/support/TestProfile.h"

namespace {

std::string Utf8(const std::u16string& text) { return text::Utf16ToUtf8(text); }

TEST(OleDateFormat, DatesAndTimesInTheThreeLanguages) {
  TestProfile profile;
  const COleDate when(2004, 3, 21, 14, 5, 9);
  EXPECT_EQ(Utf8(when.FormatAsDate(u"dddd, MMMM d, yyyy", 0, 1033)), "Sunday, March 21, 2004");
  EXPECT_EQ(Utf8(when.FormatAsDate(u"dddd d MMMM yyyy", 0, 1036)), "dimanche 21 mars 2004");
  EXPECT_EQ(Utf8(when.FormatAsTime(u"h':'mm tt", 0, 1033)), "2:05 PM");
  EXPECT_EQ(Utf8(when.FormatAsTime(u"HH:mm:ss", 0, 1036)), "14:05:09");
  EXPECT_EQ(Utf8(when.FormatAsTime(u"hh':'mm tt", 0, 1025)), "02:05 م");
  // The 8-bit form gives the ANSI code page's bytes.
  EXPECT_EQ(when.FormatAsTime("hh':'mm tt", 0, 1025), text::Utf8ToAnsi("02:05 م"));
  // A value that does not convert gives nothing.
  EXPECT_EQ(COleDate(kInvalidDate).FormatAsDate(u"yyyy", 0, 1033), u"");
  EXPECT_EQ(COleDate(kInvalidDate).FormatAsTime(u"HH", 0, 1033), u"");
}

TEST(OleDateFormat, HijriDatesInTheArabicLocale) {
  TestProfile profile;
  // Windows' tabular Hijri calendar: 1 Muharram 1425 is 21 February 2004.
  const COleDate newYear(2004, 2, 21, 0, 0, 0);
  EXPECT_EQ(Utf8(newYear.FormatAsDateInCalendar(u"d", 0, 6, 1025)), "1");
  EXPECT_EQ(Utf8(newYear.FormatAsDateInCalendar(u"yyyy", 0, 6, 1025)), "1425");
  EXPECT_EQ(Utf8(newYear.FormatAsDateInCalendar(u"MMMM", 0, 6, 1025)), "محرم");
}

TEST(OleDateFormat, CalendarTypeIsSetBackAfterFormattingInAnother) {
  TestProfile profile;
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, u"1"));
  const COleDate day(2004, 2, 21, 0, 0, 0);
  EXPECT_EQ(Utf8(day.FormatAsDateInCalendar(u"d/M/yyyy", 0, 6, LOCALE_USER_DEFAULT)), "1/1/1425");
  char16_t type[10] = {};
  ASSERT_GT(GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, type, 10), 0);
  EXPECT_EQ(std::u16string(type), u"1");
  EXPECT_EQ(Utf8(day.FormatAsDate(u"d/M/yyyy", 0, LOCALE_USER_DEFAULT)), "21/2/2004");
  // Asking for the calendar the locale already has changes nothing.
  EXPECT_EQ(Utf8(day.FormatAsDateInCalendar(u"d/M/yyyy", 0, 1, LOCALE_USER_DEFAULT)), "21/2/2004");
}

}  // namespace
