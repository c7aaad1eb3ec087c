// Dates inside filters, read as the user's locale writes them: the order of
// its short date, its AM/PM designators, its calendar.

#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "host/store/FilterDate.h"
#include "platform/registry/Registry.h"
#include "tests/store/StoreTest.h"

namespace {

class FilterDateTest : public StoreTest {
 protected:
  static std::optional<std::int64_t> Read(const std::string& text) {
    return host::ReadFilterDate(text, host::DateReading::ForUserLocale());
  }
};

TEST_F(FilterDateTest, EachShortDateOrderOfTheLocale) {
  const std::int64_t expected = Seconds(2026, 12, 6, 14, 25);
  // English (United States): month first.
  EXPECT_EQ(Read("12/06/2026 02:25 PM"), expected);
  EXPECT_EQ(Read("12-06-2026 02:25 PM"), expected);
  EXPECT_EQ(Read("12.6.2026 2:25 PM"), expected);
  EXPECT_EQ(Read("12/06-2026 02:25 PM"), std::nullopt);  // one separator throughout
  // Day first, as the add-in writes for order 1.
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u"dd/MM/yyyy"));
  EXPECT_EQ(Read("06/12/2026 02:25 PM"), expected);
  EXPECT_EQ(Read("12/06/2026 02:25 PM"), Seconds(2026, 6, 12, 14, 25));
  // Year first.
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u"yyyy-MM-dd"));
  EXPECT_EQ(Read("2026/12/06 02:25 PM"), expected);
  // French and British English write the day first too.
  ASSERT_TRUE(nls::SetUserDefaultLocale(1036));
  EXPECT_EQ(Read("06/12/2026 02:25 PM"), expected);
  ASSERT_TRUE(nls::SetUserDefaultLocale(2057));
  EXPECT_EQ(Read("06/12/2026 14:25"), expected);
}

TEST_F(FilterDateTest, AnotherProgramChangingTheOrderIsSeenAtTheNextFilter) {
  const std::int64_t expected = Seconds(2026, 12, 6, 14, 25);
  EXPECT_EQ(Read("12/06/2026 02:25 PM"), expected);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u"dd/MM/yyyy") ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Read("06/12/2026 02:25 PM"), expected);
}

TEST_F(FilterDateTest, TimesInTwelveOrTwentyFourHours) {
  EXPECT_EQ(Read("12/06/2026 12:05 AM"), Seconds(2026, 12, 6, 0, 5));
  EXPECT_EQ(Read("12/06/2026 12:30 PM"), Seconds(2026, 12, 6, 12, 30));
  EXPECT_EQ(Read("12/06/2026 02:25pm"), Seconds(2026, 12, 6, 14, 25));
  EXPECT_EQ(Read("12/06/2026 02:25:30 PM"), Seconds(2026, 12, 6, 14, 25, 30));
  EXPECT_EQ(Read("12/06/2026 23:59:59"), Seconds(2026, 12, 6, 23, 59, 59));
  EXPECT_EQ(Read(" 12/06/2026 "), Seconds(2026, 12, 6));  // a date alone: its midnight
  EXPECT_EQ(Read("12/06/26 01:00"), Seconds(2026, 12, 6, 1));  // two-digit years as OLE reads them
  EXPECT_EQ(Read("12/06/95 01:00"), Seconds(1995, 12, 6, 1));
  for (const char* wrong : {"12/06/2026 13:00 PM", "12/06/2026 24:00", "12/06/2026 10:60",
                            "12/06/2026 10:00:60", "12/06/2026 10", "12/06/2026 10:00 XM",
                            "12/06/2026 02:25 PM PM", "12/06/202602:25 PM"}) {
    EXPECT_EQ(Read(wrong), std::nullopt) << wrong;
  }
}

TEST_F(FilterDateTest, ImpossibleDatesAreNoDates) {
  for (const char* wrong : {"", "  ", "02/29/2026", "02/30/2024", "13/01/2026", "00/10/2026",
                            "04/31/2026", "12/06/10000", "12/06/2026/1", "12//2026",
                            "twelve/06/2026", "12/06"}) {
    EXPECT_EQ(Read(wrong), std::nullopt) << wrong;
  }
  EXPECT_EQ(Read("02/29/2024"), Seconds(2024, 2, 29));
}

TEST_F(FilterDateTest, ArabicDesignatorsAndATimeAlone) {
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, u"1"));  // Gregorian
  EXPECT_EQ(Read("30/03/2004 02:25 م"), Seconds(2004, 3, 30, 14, 25));
  EXPECT_EQ(Read("30/03/2004 02:25 ص"), Seconds(2004, 3, 30, 2, 25));
  EXPECT_EQ(Read("30/03/2004 02:25 PM"), Seconds(2004, 3, 30, 14, 25));
  // What the add-in writes on the 31st: the time alone, meaning today
  // (the profile's "now" is 21 March 2004).
  EXPECT_EQ(Read("02:25 م"), Seconds(2004, 3, 21, 14, 25));
  EXPECT_EQ(Read("11:59 PM"), Seconds(2004, 3, 21, 23, 59));
  // Arabic-Indic digits and direction marks read as they show.
  EXPECT_EQ(Read("\u200F٣٠/٠٣/٢٠٠٤ ٠٢:٢٥ م"), Seconds(2004, 3, 30, 14, 25));
}

TEST_F(FilterDateTest, HijriDatesOfAnArabicLocale) {
  // Arabic (Saudi Arabia) writes dates in the Hijri calendar by default, and
  // so does the add-in's date text: 26 Jumada II 1448 is 6 December 2026.
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  EXPECT_EQ(Read("26/06/1448 02:25 م"), Seconds(2026, 12, 6, 14, 25));
  EXPECT_EQ(Read("01/01/1425"), Seconds(2004, 2, 21));
  // The user's adjustment of Hijri dates moves them a day.
  ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, "Control Panel\\International",
                                "AddHijriDate", "AddHijriDate-1"),
            ERROR_SUCCESS);
  EXPECT_EQ(Read("26/06/1448 02:25 م"), Seconds(2026, 12, 7, 14, 25));
  for (const char* wrong : {"31/06/1448", "26/13/1448", "26/06/0"}) {
    EXPECT_EQ(Read(wrong), std::nullopt) << wrong;
  }
}

}  // namespace
