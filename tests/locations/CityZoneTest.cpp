// A city's zone from the table beside the city files, and that zone's
// summer time in a year from the system's zone database.

#include <gtest/gtest.h>

#include "locations/CityZone.h"
#include "tests/support/AddinTestEnvironment.h"

namespace {

CCityInfo City(const char* utf8) {
  CCityInfo city;
  const tstring line = Utf8ToT(utf8);
  EXPECT_EQ(city.GetInfoFromLine(line.c_str()), 1) << utf8;
  return city;
}

using CityZoneTest = AddinTest;

TEST_F(CityZoneTest, TheRowAtTheCitysPositionThenItsLineThenItsEnglishName) {
  const std::string table =
      "# line, zone, English name, latitude, longitude\n"
      "1\tAsia/Riyadh\tMecca\t21 25 N\t39 49 E\n"
      "2\tEurope/Paris\tParis\t48 52 N\t2 20 E\n"
      "3\tEurope/Brussels\tTwin\t48 52 N\t2 20 E\n";
  EXPECT_EQ(FindZoneInTable(table, City("La Mecque,,Arabie saoudite,21 25 N,39 49 E,3,N,1,N,1")), "Asia/Riyadh");
  // Two rows at one place: the city's line decides, else its name.
  EXPECT_EQ(FindZoneInTable(table, City("Paris,,France,48 52 N,2 20 E,1,Y,0,Y,3")), "Europe/Brussels");
  EXPECT_EQ(FindZoneInTable(table, City("Paris,,France,48 52 N,2 20 E,1,Y,0,Y,40")), "Europe/Paris");
  EXPECT_EQ(FindZoneInTable(table, City("Lutetia,,France,48 52 N,2 20 E,1,Y,0,Y,40")), "");
  // A minute away is another place.
  EXPECT_EQ(FindZoneInTable(table, City("Mecca,,Saudi Arabia,21 26 N,39 49 E,3,N,1,N,1")), "");
}

TEST_F(CityZoneTest, SouthernSummerRunsOverTheNewYearAndAZoneWithoutOneSaysSo) {
  const auto sydney = FindZoneDaylight(City("Sydney,New South Wales,Australia,33 52 S,151 13 E,10,Y,0,N,29"), 2026);
  ASSERT_TRUE(sydney.has_value());
  EXPECT_EQ(sydney->zone, "Australia/Sydney");
  EXPECT_TRUE(sydney->observed);
  // Clocks forward on the first Sunday of October, back on the first Sunday
  // of April: ahead from 4 October to 4 April.
  EXPECT_EQ(sydney->startMonth, 9);
  EXPECT_EQ(sydney->startDay, 4);
  EXPECT_EQ(sydney->endMonth, 3);
  EXPECT_EQ(sydney->endDay, 4);

  const auto london = FindZoneDaylight(City("London,,United Kingdom,51 30 N,0 8 W,0,Y,0,Y,433"), 2026);
  ASSERT_TRUE(london.has_value());
  EXPECT_TRUE(london->observed);
  EXPECT_EQ(london->startMonth, 2);  // 29 March to 24 October
  EXPECT_EQ(london->startDay, 29);
  EXPECT_EQ(london->endMonth, 9);
  EXPECT_EQ(london->endDay, 24);

  const auto karachi = FindZoneDaylight(City("Karachi,,Pakistan,24 52 N,67 3 E,5,N,2,N,6"), 2026);
  ASSERT_TRUE(karachi.has_value());
  EXPECT_FALSE(karachi->observed);

  EXPECT_FALSE(FindZoneDaylight(City("Atlantis,,Ocean,10 0 N,30 0 W,-2,Y,0,N,40"), 2026).has_value());
}

}  // namespace
