// Date texts of calendar filters, in the module flavour this executable is built for.

#include <gtest/gtest.h>

#include "services/UILocale.h"
#include "platform/nls/Nls.h"
#include "tests/support/AddinTestEnvironment.h"

namespace {

class FormatDateTest : public AddinTest {
 protected:
  void TearDown() override {
    UILanguageID = 0;
    AddinTest::TearDown();
  }
  static std::string Text(const COleDate& date) { return TToUtf8(FormatDate(date)); }
};

TEST_F(FormatDateTest, ShortDateOrderOfTheLocaleWithATwelveHourTime) {
  ASSERT_TRUE(nls::SetUserDefaultLocale(1033));
  const COleDate afternoon(2026, 12, 6, 14, 25, 0);
  EXPECT_EQ(Text(afternoon), "12/06/2026 02:25 PM");
  EXPECT_EQ(Text(COleDate(2026, 12, 6, 0, 5, 0)), "12/06/2026 12:05 AM");
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, TEXT("dd/MM/yyyy")));
  EXPECT_EQ(Text(afternoon), "06/12/2026 02:25 PM");
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, TEXT("yyyy-MM-dd")));
  EXPECT_EQ(Text(afternoon), "2026/12/06 02:25 PM");
  // French has no AM/PM designators of its own: the filter still says PM.
  ASSERT_TRUE(nls::SetUserDefaultLocale(1036));
  EXPECT_EQ(Text(afternoon), "06/12/2026 02:25 PM");
}

TEST_F(FormatDateTest, ArabicLocaleMovesMidnightOfThe31stAndDropsOtherDatesOnThe31st) {
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, TEXT("1")));  // Gregorian
  EXPECT_EQ(Text(COleDate(2004, 3, 31, 0, 0, 0)), "30/03/2004 11:59 PM");
  EXPECT_EQ(Text(COleDate(2004, 3, 31, 14, 25, 0)), "02:25 PM");
  EXPECT_EQ(Text(COleDate(2004, 3, 30, 14, 25, 0)), "30/03/2004 02:25 PM");
  // With the Arabic interface too, the locale's own designators.
  UILanguageID = 1025;
  EXPECT_EQ(Text(COleDate(2004, 3, 30, 14, 25, 0)), "30/03/2004 02:25 م");
}

}  // namespace
