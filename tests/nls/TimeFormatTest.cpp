// GetTimeFormat: pictures, designators, the locale's time format, the flags
// that leave fields out, and the user's overrides.

#include <string>

#include "tests/nls/NlsTest.h"

namespace {

TEST_F(NlsTest, TimePicturesWriteHoursMinutesSecondsAndDesignators) {
  EXPECT_EQ(Time(1033, kSpring2004, u"hh':'mm tt"), "02:05 PM");
  EXPECT_EQ(Time(1033, kSpring2004, u"h':'mm tt"), "2:05 PM");
  EXPECT_EQ(Time(1033, kSpring2004, u"HH:mm:ss"), "14:05:09");
  EXPECT_EQ(Time(1033, kSpring2004, u"H h m s t"), "14 2 5 9 P");
  EXPECT_EQ(Time(1033, kDecember2026, u"hh:mm tt"), "09:07 AM");
  EXPECT_EQ(Time(1033, Day(2026, 1, 1, 0, 0, 0), u"h:mm tt"), "12:00 AM");
  EXPECT_EQ(Time(1033, Day(2026, 1, 1, 12, 0, 0), u"h:mm tt"), "12:00 PM");
  EXPECT_EQ(Time(1033, kSpring2004, u"'at' h 'o''clock' d"), "at 2 o'clock d");

  EXPECT_EQ(Time(1025, kSpring2004, u"hh':'mm tt"), "02:05 م");
  EXPECT_EQ(Time(1025, kDecember2026, u"h':'mm tt"), "9:07 ص");
  EXPECT_EQ(Time(1025, kSpring2004, u"HH:mm:ss"), "14:05:09");

  // French Windows has no designators: "tt" writes nothing.
  EXPECT_EQ(Time(1036, kSpring2004, u"hh':'mm tt"), "02:05 ");
  EXPECT_EQ(Time(1036, kSpring2004, u"HH:mm:ss"), "14:05:09");
  EXPECT_EQ(Info(1036, LOCALE_S1159), "");
  EXPECT_EQ(Info(1033, LOCALE_S2359), "PM");
  EXPECT_EQ(Info(1025, LOCALE_S1159), "ص");
}

TEST_F(NlsTest, WithoutAPictureTheLocalesTimeFormatIsWritten) {
  EXPECT_EQ(Time(1033, kSpring2004, nullptr), "2:05:09 PM");
  EXPECT_EQ(Time(2057, kSpring2004, nullptr), "14:05:09");
  EXPECT_EQ(Time(1036, kSpring2004, nullptr), "14:05:09");
  EXPECT_EQ(Time(1025, kSpring2004, nullptr), "02:05:09 م");
  EXPECT_EQ(Time(LOCALE_USER_DEFAULT, kDecember2026, nullptr), "9:07:00 AM");
}

TEST_F(NlsTest, FlagsLeaveFieldsOutWithTheirSeparators) {
  EXPECT_EQ(Time(1033, kSpring2004, nullptr, TIME_NOSECONDS), "2:05 PM");
  EXPECT_EQ(Time(1033, kSpring2004, nullptr, TIME_NOMINUTESORSECONDS), "2 PM");
  EXPECT_EQ(Time(1033, kSpring2004, nullptr, TIME_NOTIMEMARKER), "2:05:09");
  EXPECT_EQ(Time(1033, kSpring2004, nullptr, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER),
            "14:05:09");
  EXPECT_EQ(Time(1033, kSpring2004, u"tt h:mm", TIME_NOTIMEMARKER), "2:05");
  EXPECT_EQ(Time(1033, kSpring2004, u"hh:mm:ss tt", TIME_NOSECONDS | TIME_NOTIMEMARKER), "02:05");
}

TEST_F(NlsTest, InvalidTimesAndFlagsAreRefused) {
  EXPECT_EQ(Time(1033, Day(2004, 3, 21, 24, 0, 0), u"HH"), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Time(1033, Day(2004, 3, 21, 23, 60, 0), u"HH"), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Time(1033, Day(2004, 3, 21, 23, 59, 60), u"HH"), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Time(1033, kSpring2004, u"HH", LOCALE_NOUSEROVERRIDE), Error(ERROR_INVALID_FLAGS));
  EXPECT_EQ(Time(1033, kSpring2004, u"HH", 0x10), Error(ERROR_INVALID_FLAGS));  // no time flag
  // The date fields do not matter to a time.
  EXPECT_EQ(Time(1033, Day(0, 13, 40, 23, 59, 59), u"HH:mm:ss"), "23:59:59");
}

TEST_F(NlsTest, TheUsersTimeFormatAndDesignatorsApplyUnlessRefused) {
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, u"HH'h'mm"));
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_S2359, u"pm"));
  EXPECT_EQ(Time(1033, kSpring2004, nullptr), "14h05");
  EXPECT_EQ(Time(1033, kSpring2004, u"h tt"), "2 pm");
  EXPECT_EQ(Time(1033, kSpring2004, nullptr, LOCALE_NOUSEROVERRIDE), "2:05:09 PM");
  // The overrides are the user's locale's, not another's.
  EXPECT_EQ(Time(2057, kSpring2004, u"h tt"), "2 PM");
  EXPECT_EQ(International("sTimeFormat"), "HH'h'mm");
}

}  // namespace
