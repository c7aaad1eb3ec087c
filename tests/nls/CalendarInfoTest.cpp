// GetCalendarInfo and EnumCalendarInfo: the calendars a locale has and
// their names.

#include <algorithm>
#include <string>
#include <vector>

#include "tests/nls/NlsTest.h"

namespace {

std::vector<std::string> g_seen;
int g_stopAfter = 0;

BOOL Collect(char16_t* text) {
  g_seen.push_back(text::Utf16ToUtf8(text));
  return static_cast<int>(g_seen.size()) != g_stopAfter;
}

BOOL CollectAnsi(char* text) {
  g_seen.push_back(text);
  return TRUE;
}

std::vector<std::string> Calendars(LCID lcid, CALTYPE type = CAL_ICALINTVALUE) {
  g_seen.clear();
  g_stopAfter = 0;
  EXPECT_TRUE(EnumCalendarInfo(Collect, lcid, ENUM_ALL_CALENDARS, type));
  return g_seen;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

TEST_F(NlsTest, HijriAndGregorianMonthNamesAreTheCalendarsOwn) {
  const char* hijri[] = {"محرم",         "صفر",          "ربيع الأول", "ربيع الآخر",
                         "جمادى الأولى", "جمادى الآخرة", "رجب",        "شعبان",
                         "رمضان",        "شوال",         "ذو القعدة",  "ذو الحجة"};
  for (CALTYPE i = 0; i < 12; ++i) {
    EXPECT_EQ(CalendarText(1025, CAL_HIJRI, CAL_SMONTHNAME1 + i), hijri[i]) << i + 1;
  }
  EXPECT_EQ(CalendarText(1025, CAL_GREGORIAN, CAL_SMONTHNAME1), "يناير");
  EXPECT_EQ(CalendarText(1025, CAL_GREGORIAN_US, CAL_SMONTHNAME1), "January");
  EXPECT_EQ(CalendarText(1025, CAL_GREGORIAN_ME_FRENCH, CAL_SMONTHNAME1), "janvier");
  EXPECT_EQ(CalendarText(1033, CAL_GREGORIAN, CAL_SMONTHNAME12), "December");
  EXPECT_EQ(CalendarText(1036, CAL_GREGORIAN, CAL_SABBREVMONTHNAME7), "juil.");
  EXPECT_EQ(CalendarText(1033, CAL_GREGORIAN, CAL_SMONTHNAME13), "");
  EXPECT_EQ(CalendarText(1033, CAL_GREGORIAN, CAL_SDAYNAME1), "Monday");
  EXPECT_EQ(CalendarText(1033, CAL_GREGORIAN, CAL_SDAYNAME7), "Sunday");
  EXPECT_EQ(CalendarText(1025, CAL_HIJRI, CAL_SCALNAME), "التقويم الهجري");
  EXPECT_EQ(CalendarText(1033, CAL_GREGORIAN, CAL_SCALNAME), "Gregorian Calendar");
  EXPECT_EQ(CalendarText(1025, CAL_HIJRI, CAL_ICALINTVALUE), "6");
  EXPECT_EQ(CalendarText(1033, 5, CAL_ICALINTVALUE), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CalendarText(1033, CAL_GREGORIAN, 0x7777), Error(ERROR_INVALID_FLAGS));

  DWORD value = 0;
  EXPECT_EQ(GetCalendarInfo(1025, CAL_HIJRI, CAL_ICALINTVALUE | CAL_RETURN_NUMBER,
                            static_cast<char16_t*>(nullptr), 0, &value),
            2);
  EXPECT_EQ(value, 6u);
  EXPECT_EQ(GetCalendarInfo(1025, CAL_HIJRI, CAL_ICALINTVALUE | CAL_RETURN_NUMBER,
                            static_cast<char*>(nullptr), 0, &value),
            4);
  EXPECT_EQ(GetCalendarInfo(1025, CAL_HIJRI, CAL_ICALINTVALUE | CAL_RETURN_NUMBER,
                            static_cast<char16_t*>(nullptr), 0, nullptr),
            0);
}

TEST_F(NlsTest, EachLocaleListsItsCalendarsTheCurrentOneFirst) {
  const std::vector<std::string> arabic = Calendars(1025);
  ASSERT_FALSE(arabic.empty());
  EXPECT_EQ(arabic.front(), "6");
  for (const char* id : {"1", "2", "9", "10", "11", "12"}) EXPECT_TRUE(Contains(arabic, id)) << id;
  EXPECT_EQ(Calendars(1033), std::vector<std::string>{"1"});
  EXPECT_EQ(Calendars(1036), std::vector<std::string>{"1"});
  EXPECT_TRUE(Contains(Calendars(3073), "6"));

  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, u"1"));
  EXPECT_EQ(Calendars(1025).front(), "1");
  EXPECT_EQ(Calendars(1025, CAL_SMONTHNAME9).front(), "سبتمبر");

  // The callback ends the enumeration.
  g_seen.clear();
  g_stopAfter = 2;
  EXPECT_TRUE(EnumCalendarInfo(Collect, 1025, ENUM_ALL_CALENDARS, CAL_ICALINTVALUE));
  EXPECT_EQ(g_seen.size(), 2u);
  g_seen.clear();
  EXPECT_TRUE(EnumCalendarInfo(CollectAnsi, 1025, CAL_HIJRI, CAL_ICALINTVALUE));
  EXPECT_EQ(g_seen, std::vector<std::string>{"6"});
  EXPECT_FALSE(
      EnumCalendarInfo(static_cast<CALINFO_ENUMPROCW>(nullptr), 1025, CAL_HIJRI, CAL_ICALINTVALUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  g_seen.clear();
  EXPECT_FALSE(EnumCalendarInfo(Collect, 1025, ENUM_ALL_CALENDARS, 0x7777));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  EXPECT_TRUE(g_seen.empty());
}

}  // namespace
