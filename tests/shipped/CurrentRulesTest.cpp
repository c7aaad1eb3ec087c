// Reading a zone's rules in force from tzdata's POSIX TZ strings, which gives
// the city files their time zones and daylight flags.

#include <gtest/gtest.h>

#include "tools/citygen/PosixTz.h"

namespace {

using citygen::ParsePosixTz;

// POSIX counts hours West positive; the city files count East positive.
TEST(CurrentRules, OffsetsTurnEastPositive) {
  EXPECT_EQ(ParsePosixTz("EST5EDT,M3.2.0,M11.1.0")->standardHours, -5);
  EXPECT_EQ(ParsePosixTz("EET-2EEST,M4.5.5/0,M10.5.4/24")->standardHours, 2);
  EXPECT_EQ(ParsePosixTz("GMT0BST,M3.5.0/1,M10.5.0")->standardHours, 0);
}

TEST(CurrentRules, FractionalOffsetsKeepTheirMinutes) {
  EXPECT_EQ(ParsePosixTz("<+0330>-3:30")->standardHours, 3.5);
  EXPECT_EQ(ParsePosixTz("<+0545>-5:45")->standardHours, 5.75);
  EXPECT_EQ(ParsePosixTz("IST-5:30")->standardHours, 5.5);
  EXPECT_EQ(ParsePosixTz("<-0330>3:30<-0230>,M3.2.0,M11.1.0")->standardHours, -3.5);
}

TEST(CurrentRules, DaylightIsObservedOnlyWhenADaylightRuleFollows) {
  EXPECT_TRUE(ParsePosixTz("EET-2EEST,M4.5.5/0,M10.5.4/24")->daylight);
  EXPECT_TRUE(ParsePosixTz("<-04>4<-03>,M9.1.6/24,M4.1.6/24")->daylight);
  EXPECT_FALSE(ParsePosixTz("<+0330>-3:30")->daylight);
  EXPECT_FALSE(ParsePosixTz("<+03>-3")->daylight);
}

// tzdata gives Ireland a "standard" time (IST, UTC+1) that is its summer
// time, and a negative saving in winter; a city line wants the winter offset
// and a forward move in summer. Read as it stands, Dublin was an hour ahead.
TEST(CurrentRules, ANegativeSavingKeepsTheLowerOffsetForWinter) {
  const auto dublin = ParsePosixTz("IST-1GMT0,M10.5.0,M3.5.0/1");
  ASSERT_TRUE(dublin);
  EXPECT_EQ(dublin->standardHours, 0);
  EXPECT_TRUE(dublin->daylight);
  EXPECT_EQ(dublin->daylightShiftHours, 1);
  const auto london = ParsePosixTz("GMT0BST,M3.5.0/1,M10.5.0");
  EXPECT_EQ(london->standardHours, 0);
  EXPECT_EQ(london->daylightShiftHours, 1);
}

TEST(CurrentRules, ADaylightOffsetIsReadWhenGivenAndOneHourAheadOtherwise) {
  const auto lordHowe = ParsePosixTz("<+1030>-10:30<+11>-11,M10.1.0,M4.1.0");
  EXPECT_EQ(lordHowe->standardHours, 10.5);
  EXPECT_EQ(lordHowe->daylightShiftHours, 0.5);
  const auto troll = ParsePosixTz("<+00>0<+02>-2,M3.5.0/1,M10.5.0/3");
  EXPECT_EQ(troll->standardHours, 0);
  EXPECT_EQ(troll->daylightShiftHours, 2);
  EXPECT_EQ(ParsePosixTz("<-03>3<-02>,M3.5.0/-2,M10.5.0/-1")->daylightShiftHours, 1);
  // A daylight time at the standard offset moves no clock.
  EXPECT_FALSE(ParsePosixTz("<+03>-3<+03>-3,M3.5.0,M10.5.0")->daylight);
  EXPECT_FALSE(ParsePosixTz("<+0330>-3:30")->daylightShiftHours);
}

TEST(CurrentRules, TextNotInTheFormIsRefused) {
  EXPECT_FALSE(ParsePosixTz(""));
  EXPECT_FALSE(ParsePosixTz("E5"));
  EXPECT_FALSE(ParsePosixTz("<+03-3"));
  EXPECT_FALSE(ParsePosixTz("EST"));
  EXPECT_FALSE(ParsePosixTz("EST5,M3"));
  EXPECT_FALSE(ParsePosixTz("EST5EDT4x"));
  EXPECT_TRUE(ParsePosixTz("EST5"));
  EXPECT_TRUE(ParsePosixTz("EST5EDT"));
}

TEST(CurrentRules, TheFooterOfACompiledZoneIsItsLastLine) {
  const auto footer = citygen::ReadTzifFooter("/usr/share/zoneinfo/Asia/Riyadh");
  ASSERT_TRUE(footer);
  EXPECT_EQ(*footer, "<+03>-3");
  const auto dublin = citygen::ReadTzifFooter("/usr/share/zoneinfo/Europe/Dublin");
  ASSERT_TRUE(dublin);
  EXPECT_EQ(ParsePosixTz(*dublin)->standardHours, 0) << *dublin;
  EXPECT_FALSE(citygen::ReadTzifFooter("/usr/share/zoneinfo/zone1970.tab"));
  EXPECT_FALSE(citygen::ReadTzifFooter("/nonexistent"));
}

}  // namespace
