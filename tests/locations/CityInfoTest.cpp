// The city record and its line, in the character set of the module flavour
// this executable is built for.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <vector>

#include "locations/CityInfo.h"
#include "platform/text/TextConvert.h"
#include "tests/support/AddinTestEnvironment.h"

namespace {

tstring T(const char* utf8) { return Utf8ToT(utf8); }

class CityInfoTest : public AddinTest {
 protected:
  CCityInfo Parse(const char* utf8Line, int expected = 1) {
    CCityInfo city;
    const tstring line = T(utf8Line);
    EXPECT_EQ(city.GetInfoFromLine(line.c_str()), expected) << utf8Line;
    return city;
  }
  std::string Line(const CCityInfo& city) {
    tchar buffer[4096];
    EXPECT_EQ(city.GetLineFromInfo(buffer, 4096), 1);
    return TToUtf8(buffer);
  }
};

TEST_F(CityInfoTest, ReadsEveryFieldOfAFullLine) {
  for (const char* line : {"Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,12\n", "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,12",
                           "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,12\r\n"}) {
    const CCityInfo city = Parse(line);
    EXPECT_DOUBLE_EQ(city.m_longitude, -31.25);
    EXPECT_DOUBLE_EQ(city.m_latitude, 30.05);
    EXPECT_EQ(city.m_timeZone, 2.0);
    EXPECT_EQ(city.m_name, u"Cairo");
    EXPECT_EQ(city.m_state, u"");
    EXPECT_EQ(city.m_country, u"Egypt");
    EXPECT_EQ(city.m_daylight, 1);
    EXPECT_EQ(city.m_method, eEgypt);
    EXPECT_EQ(city.m_capital, 1);
    EXPECT_EQ(city.m_lineNumber, 12);
  }
}

TEST_F(CityInfoTest, TwoNamesMeanCountryAndOptionalFieldsReadAsEmpty) {
  const CCityInfo city = Parse("Cairo,Egypt,,30 3 N,31 15 E,2,N");
  EXPECT_EQ(city.m_country, u"Egypt");
  EXPECT_EQ(city.m_state, u"");
  EXPECT_EQ(city.m_daylight, 0);
  EXPECT_EQ(city.m_method, eWIL);
  EXPECT_EQ(city.m_capital, 0);
  EXPECT_EQ(city.m_lineNumber, 0);
  EXPECT_EQ(Parse("  Mecca,Saudi Arabia,,21 25 N,39 49 E,3,\n").m_name, u"Mecca");  // leading blanks dropped
  EXPECT_EQ(Parse("Ottawa,Ontario,Canada,45 25 N,75 42 W,-5,Y,4").m_state, u"Ontario");
}

TEST_F(CityInfoTest, LineEndingTooEarlyIsRejectedButKeepsWhatWasRead) {
  Parse("Cairo,,Egypt,30 3 N,31 15 E,2\n", 0);  // no separator after the time zone
  Parse("", 0);
  Parse("\n", 0);
  Parse("   \r\n", 0);
  const CCityInfo partial = Parse("Aswan,,Egypt,24 5 N", 0);
  EXPECT_EQ(partial.m_name, u"Aswan");
  EXPECT_EQ(partial.m_country, u"Egypt");
  EXPECT_EQ(partial.m_latitude, 0.0);  // the last field was not taken
  Parse("Aswan,,Egypt,24 5 N,32 54 E,2,\n", 1);  // one separator after the zone is enough
  Parse("Aswan,,Egypt,24 5 N,32 54 E,2,", 0);    // but not when nothing at all follows it
}

TEST_F(CityInfoTest, FieldsAreCutToTheirWidthsAndBadNumbersReadAsZero) {
  const std::string longName(300, 'x');
  const CCityInfo city = Parse((longName + ",,Egypt,30 3 N,31 15 E,2.5abc,Y,zz,Y,12345678901234567890").c_str());
  EXPECT_EQ(city.m_name->size(), 127u);
  EXPECT_EQ(city.m_timeZone, 2.5);
  EXPECT_EQ(city.m_method, eWIL);  // "zz" reads as code 0
  // Cut to 15 characters, then read; too large for an integer, it is held at
  // the largest one rather than overflowing.
  EXPECT_EQ(city.m_lineNumber, 2147483647);
  const CCityInfo odd = Parse("X,,Y,north,-30 15 N,abc,Y,9");
  EXPECT_EQ(odd.m_latitude, 0.0);
  EXPECT_DOUBLE_EQ(odd.m_longitude, -29.75);  // the degrees' sign, the minutes as they stand
  EXPECT_EQ(odd.m_timeZone, 0.0);
  EXPECT_EQ(odd.m_method, eWIL);  // a code outside the table
}

TEST_F(CityInfoTest, TokenizerSkipsLeadingBlanksAndReportsTheLastField) {
  const tstring text = T("  a b ,,\tc\r\nd");
  const tchar* cursor = text.c_str();
  tchar token[8];
  EXPECT_EQ(CCityInfo::GetNextToken(cursor, token, 8), 0);
  EXPECT_EQ(TToUtf8(token), "a b ");
  EXPECT_EQ(CCityInfo::GetNextToken(cursor, token, 8), 0);
  EXPECT_EQ(TToUtf8(token), "");
  EXPECT_EQ(CCityInfo::GetNextToken(cursor, token, 8), 0);
  EXPECT_EQ(TToUtf8(token), "\tc");  // tabs are not skipped
  EXPECT_EQ(CCityInfo::GetNextToken(cursor, token, 2), 1);
  EXPECT_EQ(TToUtf8(token), "d");
  EXPECT_EQ(CCityInfo::GetNextToken(cursor, token, 8), 1);  // past the last: empty
  EXPECT_EQ(TToUtf8(token), "");
}

TEST_F(CityInfoTest, CoordinatesRoundToTheMinuteWithoutSixtyMinutes) {
  int d = 0, m = 0;
  CCityInfo::ConvertDeg_DegMin(30.999, &d, &m);
  EXPECT_EQ(d, 31);
  EXPECT_EQ(m, 0);
  // Found by fuzzing: a line's latitude of -3.2e10 degrees was converted to
  // an int it does not fit (undefined behaviour); now written as the
  // largest, and nothing is not a number of degrees.
  for (double huge : {3.2e10, std::numeric_limits<double>::infinity()}) {
    CCityInfo::ConvertDeg_DegMin(huge, &d, &m);
    EXPECT_EQ(d, 2147483646) << huge;
    EXPECT_EQ(m, 0) << huge;
  }
  CCityInfo::ConvertDeg_DegMin(std::nan(""), &d, &m);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(m, 0);
  CCityInfo city;
  city.m_latitude = -10.99999;
  city.m_longitude = 0.0;
  tchar lon[32], lat[32];
  city.FormatCoordinates(lon, lat, 32);
  EXPECT_EQ(TToUtf8(lat), "11 0 S");
  EXPECT_EQ(TToUtf8(lon), "0 0 W");
  // Every written coordinate parses back to its degrees and minutes.
  for (double x = -179.99; x < 180; x += 0.731) {
    city.m_longitude = x;
    city.FormatCoordinates(lon, lat, 32);
    double back = 0;
    CCityInfo::ParseLocation(lon, &back);
    EXPECT_NEAR(back, x, 1.0 / 120 + 1e-9) << TToUtf8(lon);
  }
}

TEST_F(CityInfoTest, WriteThenReadGivesAnEqualRecordForEveryNamedMethod) {
  for (int method : {eEgypt, eISNA, eQurah, eKarachi, eWIL}) {
    CCityInfo city = Parse("القاهرة,,مصر,30 3 N,31 15 E,2,Y,3,N,12");
    city.m_method = method;
    city.m_timeZone = 5.75;
    const std::string line = Line(city);
    EXPECT_EQ(line.back(), '\n');
    const CCityInfo back = Parse(line.c_str());
    EXPECT_TRUE(back == city) << line;
    EXPECT_EQ(back.m_method, method) << line;
    EXPECT_EQ(back.m_daylight, 1);
    EXPECT_EQ(back.m_capital, 0);
    EXPECT_EQ(back.m_lineNumber, 12);
  }
  // A custom method is written as Karachi's code: both compute at 18 degrees.
  CCityInfo custom = Parse("Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,12");
  custom.m_method = eCustom;
  EXPECT_EQ(Parse(Line(custom).c_str()).m_method, eKarachi);
}

TEST_F(CityInfoTest, TimeZoneKeepsItsPointUnderADecimalCommaLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) GTEST_SKIP() << "no French locale here";
  CCityInfo city = Parse("Kathmandu,,Nepal,27 42 N,85 19 E,5.75,N,2,Y,7");
  const std::string line = Line(city);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_NE(line.find(",5.75"), std::string::npos) << line;
  EXPECT_EQ(Parse(line.c_str()).m_timeZone, 5.75);
}

TEST_F(CityInfoTest, DisplayTextAndTimeZoneText) {
  CCityInfo city = Parse("Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,12");
  std::u16string display;
  city.GetFormattedString(&display);
  EXPECT_EQ(text::Utf16ToUtf8(display), "(GMT +02:00) Cairo, Egypt");
  city.m_state = u"Giza";
  city.GetFormattedString(&display);
  EXPECT_EQ(text::Utf16ToUtf8(display), "(GMT +02:00) Cairo, Giza, Egypt");
  city.m_timeZone = 0;
  EXPECT_EQ(city.TimeZoneText(), u"");
  city.m_timeZone = -3.5;
  EXPECT_EQ(city.TimeZoneText(), u" -03:30");
  city.m_timeZone = 5.75;
  EXPECT_EQ(city.TimeZoneText(), u" +05:45");
  int h = 0, m = 0;
  SplitTimeZone(-3.5, &h, &m);
  EXPECT_EQ(h, -3);
  EXPECT_EQ(m, 30);
}

TEST_F(CityInfoTest, EqualityIgnoresFlagsAndOrderingRunsWestToEast) {
  CCityInfo a = Parse("Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,12");
  CCityInfo b = Parse("Cairo,,Egypt,30 3 N,31 15 E,2,N,4,N,99");
  EXPECT_TRUE(a == b);
  b.m_state.reset();  // a missing state equals only a missing state
  EXPECT_FALSE(a == b);

  std::vector<CCityInfo> cities = {
      Parse("Riyadh,,Saudi Arabia,24 38 N,46 43 E,3,N,1,Y,3"),
      Parse("Alexandria,,Egypt,31 12 N,29 55 E,2,Y,3,N,2"),
      Parse("New York,New York,United States,40 43 N,74 0 W,-5,Y,4,N,4"),
      Parse("Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,N,5"),
      Parse("Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,6"),
  };
  std::sort(cities.begin(), cities.end());
  std::vector<int> order;
  for (const CCityInfo& c : cities) order.push_back(c.m_lineNumber);
  EXPECT_EQ(order, (std::vector<int>{4, 2, 6, 5, 3}));
}

}  // namespace
