// GetLocaleInfo and SetLocaleInfo: the items the add-in reads, the user's
// overrides and what is refused.

#include <cstring>
#include <string>

#include "tests/nls/NlsTest.h"

namespace {

TEST_F(NlsTest, LanguagesAreNamedInEnglishAndByTheirCodes) {
  EXPECT_EQ(Info(1025, LOCALE_SENGLANGUAGE), "Arabic");
  EXPECT_EQ(Info(1036, LOCALE_SENGLANGUAGE), "French");
  EXPECT_EQ(Info(1033, LOCALE_SENGLANGUAGE), "English");
  EXPECT_EQ(Info(2057, LOCALE_SLANGUAGE), "English (United Kingdom)");
  EXPECT_EQ(Info(1025, LOCALE_SISO639LANGNAME), "ar");
  EXPECT_EQ(Info(1036, LOCALE_ILANGUAGE), "040c");
  EXPECT_EQ(Info(3073, LOCALE_SNAME), "ar-EG");
  // The sort bits of an identifier do not change the locale.
  EXPECT_EQ(Info(MAKELCID(1025, 1), LOCALE_SENGLANGUAGE), "Arabic");
}

TEST_F(NlsTest, TheDateOrderFollowsTheShortDateUnlessOverridden) {
  EXPECT_EQ(Info(1033, LOCALE_IDATE), "0");
  EXPECT_EQ(Info(1036, LOCALE_IDATE), "1");
  EXPECT_EQ(Info(1025, LOCALE_IDATE), "1");
  EXPECT_EQ(Info(1041, LOCALE_IDATE), "2");  // from ICU's Japanese pattern, year first
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_IDATE, u"2"));
  EXPECT_EQ(Info(1033, LOCALE_IDATE), "2");
  EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_IDATE), "2");
  EXPECT_EQ(Info(1033, LOCALE_IDATE | LOCALE_NOUSEROVERRIDE), "0");
  // A new short date brings its order along.
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u"dd.MM.yyyy"));
  EXPECT_EQ(Info(1033, LOCALE_IDATE), "1");
  EXPECT_EQ(International("iDate"), "1");
  EXPECT_EQ(Date(1033, kSpring2004, nullptr), "21.03.2004");
}

TEST_F(NlsTest, DayNamesStartOnMondayAndMonthNamesFollowTheCalendar) {
  EXPECT_EQ(Info(1033, LOCALE_SDAYNAME1), "Monday");
  EXPECT_EQ(Info(1033, LOCALE_SDAYNAME7), "Sunday");
  EXPECT_EQ(Info(1033, LOCALE_SABBREVDAYNAME6), "Sat");
  EXPECT_EQ(Info(1036, LOCALE_SDAYNAME1), "lundi");
  EXPECT_EQ(Info(1036, LOCALE_SDAYNAME7), "dimanche");
  EXPECT_EQ(Info(1025, LOCALE_SDAYNAME1), "الاثنين");
  EXPECT_EQ(Info(1025, LOCALE_SDAYNAME7), "الأحد");
  EXPECT_EQ(Info(1033, LOCALE_SMONTHNAME12), "December");
  EXPECT_EQ(Info(1036, LOCALE_SABBREVMONTHNAME2), "févr.");
  EXPECT_EQ(Info(1025, LOCALE_SMONTHNAME1), "محرم");  // Hijri, the locale's calendar
  EXPECT_EQ(Info(1049, LOCALE_SMONTHNAME3), "март");  // standing alone
  EXPECT_EQ(Info(1036, LOCALE_IFIRSTDAYOFWEEK), "0");
  EXPECT_EQ(Info(1033, LOCALE_IFIRSTDAYOFWEEK), "6");
}

TEST_F(NlsTest, NumbersComeBackAsNumbersWhenAskedFor) {
  DWORD value = 0;
  EXPECT_EQ(GetLocaleInfo(1025, LOCALE_ICALENDARTYPE | LOCALE_RETURN_NUMBER,
                          reinterpret_cast<char16_t*>(&value), 2),
            2);
  EXPECT_EQ(value, 6u);
  EXPECT_EQ(GetLocaleInfo(1036, LOCALE_ILANGUAGE | LOCALE_RETURN_NUMBER,
                          reinterpret_cast<char*>(&value), 4),
            4);
  EXPECT_EQ(value, 1036u);
  EXPECT_EQ(GetLocaleInfo(1036, LOCALE_SENGLANGUAGE | LOCALE_RETURN_NUMBER,
                          reinterpret_cast<char16_t*>(&value), 2),
            0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST_F(NlsTest, UnknownItemsAndLocalesAreRefused) {
  EXPECT_EQ(Info(1033, 0x7777), Error(ERROR_INVALID_FLAGS));
  EXPECT_EQ(Info(0x1234, LOCALE_SENGLANGUAGE), Error(ERROR_INVALID_PARAMETER));
  char16_t buffer[4];
  EXPECT_EQ(GetLocaleInfo(1033, LOCALE_SENGLANGUAGE, buffer, 4), 0);  // "English" needs 8
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetLocaleInfo(1033, LOCALE_SENGLANGUAGE, static_cast<char16_t*>(nullptr), 0), 8);
}

TEST_F(NlsTest, OnlyTheUsersLocaleTakesOverridesAndOnlyValidOnes) {
  // Storing for another locale would change the user's: refused.
  EXPECT_FALSE(SetLocaleInfo(1036, LOCALE_SSHORTDATE, u"yyyy"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(International("sShortDate"), "M/d/yyyy");
  EXPECT_FALSE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, u"Klingon"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  EXPECT_FALSE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_IDATE | LOCALE_NOUSEROVERRIDE, u"1"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  for (const char16_t* bad : {u"3", u"", u"01", u"x"}) {
    EXPECT_FALSE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_IDATE, bad));
  }
  EXPECT_FALSE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, u"1 "));
  EXPECT_FALSE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u""));
  EXPECT_FALSE(
      SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, std::u16string(81, u'd').c_str()));
  EXPECT_TRUE(
      SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, std::u16string(80, u'd').c_str()));
  EXPECT_FALSE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_S1159, u"sixteen letters!"));
  EXPECT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_S1159, u""));
  EXPECT_FALSE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_S1159, static_cast<char16_t*>(nullptr)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(International("iDate"), "0");

  // A value written into the registry by hand that Windows could not have
  // stored is passed over.
  ASSERT_EQ(
      registry::SetString(HKEY_CURRENT_USER, "Control Panel\\International", "iCalendarType", "6"),
      ERROR_SUCCESS);
  EXPECT_EQ(Info(1033, LOCALE_ICALENDARTYPE), "1");
}

TEST_F(NlsTest, AnsiFormsReadAndWriteTheCodePage) {
  ASSERT_TRUE(text::SetAnsiCodePage(1256));
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  char buffer[32] = {};
  ASSERT_EQ(GetLocaleInfo(1025, LOCALE_S2359, buffer, 32), 2);
  EXPECT_EQ(std::string(buffer), "\xE3");                                             // م
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_S2359, "\xE3\xD3\xC7\xC1"));  // مساء
  EXPECT_EQ(Info(1025, LOCALE_S2359), "مساء");
  EXPECT_EQ(GetLocaleInfo(1025, LOCALE_S2359, static_cast<char*>(nullptr), 0), 5);
}

}  // namespace
