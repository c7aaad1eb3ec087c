#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "calc/PrayerEngine.h"

namespace {

std::string HourMinute(const COleDate& t) {
  if (!t.IsValid()) return "--:--";
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d:%02d", t.GetHour(), t.GetMinute());
  return buf;
}

int MinuteOfDay(const COleDate& t) { return t.GetHour() * 60 + t.GetMinute(); }

COleDate Date(int y, int m, int d) {
  COleDate date;
  EXPECT_TRUE(date.SetDateTime(y, m, d, 0, 0, 0));
  return date;
}

CalcParams Cairo(int method = eEgypt) {
  CalcParams p;
  p.Longitude = -31.25;
  p.Latitude = 30.05;
  p.TimeZone = 2.0;
  p.Method = method;
  return p;
}

CPrayerEngine CairoEngine(int year, int method = eEgypt, bool dst = false) {
  return CPrayerEngine(-31.25, 30.05, 2.0, dst, year, 1.0, method, 0, 0, 0, 0);
}

struct WorkedCase {
  std::string name;
  CalcParams params;
  COleDate date;
  std::vector<std::string> expected;
};

std::vector<WorkedCase> LoadWorkedCases() {
  std::ifstream in(std::string(ORVANE_TEST_DATA) + "/worked_times.tsv");
  EXPECT_TRUE(in) << "tests/data/worked_times.tsv is missing";
  std::vector<WorkedCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    WorkedCase c;
    std::string dstStart, dstEnd, date;
    int dst = 0, y = 0, m = 0, d = 0;
    fields >> c.name >> c.params.Longitude >> c.params.Latitude >> c.params.TimeZone >> dst >>
        dstStart >> dstEnd >> c.params.Method >> c.params.AsrMethod >> date;
    c.params.DaylightSavings = dst != 0;
    if (dstStart != "-") {
      std::sscanf(dstStart.c_str(), "%d/%d", &c.params.DaylightStartDay, &c.params.DaylightStartMonth);
      std::sscanf(dstEnd.c_str(), "%d/%d", &c.params.DaylightEndDay, &c.params.DaylightEndMonth);
    }
    std::sscanf(date.c_str(), "%d-%d-%d", &y, &m, &d);
    c.date = Date(y, m, d);
    for (std::string t; fields >> t;) c.expected.push_back(t);
    EXPECT_EQ(c.expected.size(), kDayTimesCount) << c.name;
    cases.push_back(c);
  }
  return cases;
}

TEST(PrayerEngine, ReproducesEveryWorkedValueToTheMinute) {
  const std::vector<WorkedCase> cases = LoadWorkedCases();
  ASSERT_GE(cases.size(), 11u);
  for (const WorkedCase& c : cases) {
    const DayTimes times = ComputeDayTimes(c.params, c.date);
    for (std::size_t i = 0; i < kDayTimesCount; ++i) {
      EXPECT_EQ(HourMinute(times[i]), c.expected[i]) << c.name << " " << kDayTimeNames[i];
      if (times[i].IsValid()) {
        EXPECT_LT(times[i].Value(), 1.0) << "times lie on day zero";
        EXPECT_EQ(times[i].GetSecond(), 0);
      }
    }
  }
}

TEST(PrayerEngine, YearEpochTruncatesTheLeapTerm) {
  EXPECT_DOUBLE_EQ(CairoEngine(2004).EpochCenturies(), 37984.5 / 36525.0);
  // For 1900, (1900 - 1901) / 4 is 0, not -1.
  EXPECT_DOUBLE_EQ(CairoEngine(1900).EpochCenturies(), -0.5 / 36525.0);
  EXPECT_DOUBLE_EQ(CairoEngine(1899).EpochCenturies(), (-365 - 0.5) / 36525.0);
}

TEST(PrayerEngine, SunThatNeverSetsReportsNoEventAndTakesTheFixedTimes) {
  // 69.65 N (Tromso) on 21 June 2004, day 173.
  CPrayerEngine engine(-18.95, 69.65, 1.0, false, 2004, 1.0, eISNA, 0, 0, 0, 0);
  const double sunZenith = 90.83 * 0.017453292519943295;
  EXPECT_EQ(engine.SolveEventTime(173, sunZenith, 6.0), CPrayerEngine::kNoEvent);
  EXPECT_EQ(engine.SolveEventTime(173, sunZenith, 18.0), CPrayerEngine::kNoEvent);

  const DayTimes times = engine.ComputeDay(173);
  EXPECT_EQ(HourMinute(times[kShoroukTime]), "06:00");
  EXPECT_EQ(HourMinute(times[kMaghribTime]), "18:00");
  EXPECT_EQ(HourMinute(times[kFajrTime]), "04:00");
  EXPECT_EQ(HourMinute(times[kIshaTime]), "18:00");
  EXPECT_TRUE(times[kZuhrTime].IsValid());
}

TEST(PrayerEngine, GuessPicksTheSideOfNoonWithTwelveOnTheEveningSide) {
  CPrayerEngine engine = CairoEngine(2004);
  const double zuhr = engine.ComputeTransit(81);
  const double sunZenith = 90.83 * 0.017453292519943295;
  EXPECT_GT(engine.SolveEventTime(81, sunZenith, 12.0), zuhr);
  EXPECT_LT(engine.SolveEventTime(81, sunZenith, 11.999), zuhr);
}

TEST(PrayerEngine, EventTimesAreCorrectedIntoTheDayOnceOnly) {
  // A zone far from the place's longitude pushes sunset past midnight: the
  // solver brings it back by subtracting 24 once.
  CPrayerEngine east(-31.25, 30.05, 9.0, false, 2004, 1.0, eEgypt, 0, 0, 0, 0);
  const double sunZenith = 90.83 * 0.017453292519943295;
  const double sunset = east.SolveEventTime(81, sunZenith, 18.0 + 7.0);
  EXPECT_GE(sunset, 0.0);
  EXPECT_LT(sunset, 24.0);
  EXPECT_NEAR(sunset, 18.0 + 7.0 / 60.0 + 7.0 - 24.0, 0.05);
  // And one far west pulls sunrise below midnight, corrected by adding 24.
  CPrayerEngine west(-31.25, 30.05, -5.0, false, 2004, 1.0, eEgypt, 0, 0, 0, 0);
  const double sunrise = west.SolveEventTime(81, sunZenith, 6.0 - 7.0 + 24.0 - 12.01);
  EXPECT_GE(sunrise, 0.0);
  EXPECT_LT(sunrise, 24.0);
}

TEST(PrayerEngine, HoursToDateRoundsToTheNearestMinute) {
  EXPECT_EQ(HourMinute(CPrayerEngine::HoursToDate(10.999)), "11:00");
  EXPECT_EQ(HourMinute(CPrayerEngine::HoursToDate(10.9915)), "10:59");  // 10:59:29.4
  EXPECT_EQ(HourMinute(CPrayerEngine::HoursToDate(10.0 + 59.5 / 60.0)), "11:00");
  EXPECT_DOUBLE_EQ(CPrayerEngine::HoursToDate(12.0 + 2.0 / 60.0).Value(), 722.0 / 1440.0);
  EXPECT_EQ(HourMinute(CPrayerEngine::HoursToDate(0.0)), "00:00");
  EXPECT_EQ(HourMinute(CPrayerEngine::HoursToDate(23.99)), "23:59");
  // From 23:59:30 on the time is 24:00 or later: not a time of day.
  EXPECT_EQ(CPrayerEngine::HoursToDate(23.0 + 59.5 / 60.0).Value(), kInvalidDate);
  EXPECT_EQ(CPrayerEngine::HoursToDate(24.0).Value(), kInvalidDate);
  EXPECT_EQ(CPrayerEngine::HoursToDate(-0.5).Value(), kInvalidDate);
  EXPECT_EQ(CPrayerEngine::HoursToDate(CPrayerEngine::kNoEvent).Value(), kInvalidDate);
}

TEST(PrayerEngine, DaylightRangeBoundsAreInclusiveOrderedAndCanBeUnset) {
  CPrayerEngine engine = CairoEngine(2004);
  EXPECT_FALSE(engine.InDaylightRange(90));  // before any range is set: days 91 to 306
  EXPECT_TRUE(engine.InDaylightRange(91));
  EXPECT_TRUE(engine.InDaylightRange(306));
  EXPECT_FALSE(engine.InDaylightRange(307));

  engine.SetDaylightRange(25, 4, 28, 9);  // days 116 and 272 of 2004
  EXPECT_FALSE(engine.InDaylightRange(115));
  EXPECT_TRUE(engine.InDaylightRange(116));
  EXPECT_TRUE(engine.InDaylightRange(272));
  EXPECT_FALSE(engine.InDaylightRange(273));

  // A start after the end runs over the new year (southern summer time).
  // It used to be put in order instead, which moved the hour into the
  // southern winter and left no way to set it right.
  engine.SetDaylightRange(5, 10, 6, 4);  // 5 October (day 279) to 6 April (day 97)
  EXPECT_TRUE(engine.InDaylightRange(1));
  EXPECT_TRUE(engine.InDaylightRange(97));
  EXPECT_FALSE(engine.InDaylightRange(98));
  EXPECT_FALSE(engine.InDaylightRange(172));
  EXPECT_FALSE(engine.InDaylightRange(278));
  EXPECT_TRUE(engine.InDaylightRange(279));
  EXPECT_TRUE(engine.InDaylightRange(366));

  CPrayerEngine common = CairoEngine(2003);
  common.SetDaylightRange(29, 2, 31, 10);  // no 29 February in 2003: 1 March, day 60
  EXPECT_FALSE(common.InDaylightRange(59));
  EXPECT_TRUE(common.InDaylightRange(60));
  EXPECT_TRUE(common.InDaylightRange(304));

  engine.SetDaylightRange(COleDate::kInvalidField, COleDate::kInvalidField, 28, 9);
  for (int day = 0; day <= 367; ++day) ASSERT_FALSE(engine.InDaylightRange(day)) << day;
}

TEST(PrayerEngine, DaylightSavingAddsExactlyOneHourOnTheRangeDaysOnly) {
  CalcParams off = Cairo();
  off.DaylightStartDay = 25;
  off.DaylightStartMonth = 4;
  off.DaylightEndDay = 28;
  off.DaylightEndMonth = 9;
  CalcParams on = off;
  on.DaylightSavings = true;
  const struct {
    COleDate date;
    int shift;
  } days[] = {{Date(2004, 4, 24), 0},  {Date(2004, 4, 25), 60}, {Date(2004, 9, 28), 60},
              {Date(2004, 9, 29), 0}};
  for (const auto& day : days) {
    const DayTimes a = ComputeDayTimes(off, day.date);
    const DayTimes b = ComputeDayTimes(on, day.date);
    for (std::size_t i = 0; i < kDayTimesCount; ++i) {
      EXPECT_EQ(MinuteOfDay(b[i]) - MinuteOfDay(a[i]), day.shift)
          << day.date.GetMonth() << "/" << day.date.GetDay() << " " << kDayTimeNames[i];
    }
  }
  // Daylight saving that is on but has no range never applies.
  CalcParams unset = Cairo();
  unset.DaylightSavings = true;
  EXPECT_EQ(ComputeDayTimes(unset, Date(2004, 6, 1)), ComputeDayTimes(Cairo(), Date(2004, 6, 1)));
}

TEST(PrayerEngine, FractionalTimeZoneShiftsEveryTime) {
  CalcParams delhi;
  delhi.Longitude = -77.2;
  delhi.Latitude = 28.6;
  delhi.TimeZone = 5.0;
  delhi.Method = eKarachi;
  CalcParams half = delhi;
  half.TimeZone = 5.5;
  const DayTimes a = ComputeDayTimes(delhi, Date(2004, 8, 15));
  const DayTimes b = ComputeDayTimes(half, Date(2004, 8, 15));
  for (std::size_t i = 0; i < kDayTimesCount; ++i) {
    EXPECT_EQ(MinuteOfDay(b[i]) - MinuteOfDay(a[i]), 30) << kDayTimeNames[i];
  }
}

TEST(PrayerEngine, UnknownMethodsAndSchoolsFallBackToIsnaAndHanafi) {
  const COleDate day = Date(2004, 3, 21);
  for (int method : {-1, 6, 42}) {
    EXPECT_EQ(ComputeDayTimes(Cairo(method), day), ComputeDayTimes(Cairo(eISNA), day)) << method;
  }
  CalcParams odd = Cairo();
  odd.AsrMethod = 7;
  CalcParams hanafi = Cairo();
  hanafi.AsrMethod = eHanafi;
  EXPECT_EQ(HourMinute(ComputeDayTimes(odd, day)[kAsrTime]), "16:24");
  EXPECT_EQ(ComputeDayTimes(odd, day), ComputeDayTimes(hanafi, day));
}

TEST(PrayerEngine, MethodTableLoadsAnglesAndIntervals) {
  CPrayerEngine engine = CairoEngine(2004, eQurah);
  EXPECT_EQ(engine.FajrAngle(), 19.0);
  EXPECT_TRUE(engine.IshaByInterval());
  EXPECT_EQ(engine.IshaInterval(), 1.5);
  engine.SetMethod(eWIL, 0, 0, 0, 0);  // a new method clears the interval
  EXPECT_FALSE(engine.IshaByInterval());
  EXPECT_EQ(engine.IshaInterval(), 0.0);
  EXPECT_EQ(engine.IshaAngle(), 17.0);
  engine.SetMethod(eCustom, 0, 0, 0, 0);
  EXPECT_EQ(engine.FajrAngle(), 18.0);
  EXPECT_EQ(engine.IshaAngle(), 18.0);
  EXPECT_FALSE(engine.FajrByInterval());
}

TEST(PrayerEngine, CustomIntervalsAreExactAndGivenAnglesWinOverThem) {
  const COleDate day = Date(2004, 3, 21);
  CalcParams interval = Cairo(eCustom);
  interval.CustomFajrInterval = 1.5;
  interval.CustomIshaInterval = 1.25;
  const DayTimes t = ComputeDayTimes(interval, day);
  // Both sides round the same fraction of a minute, so the gap is exact.
  EXPECT_EQ(MinuteOfDay(t[kShoroukTime]) - MinuteOfDay(t[kFajrTime]), 90);
  EXPECT_EQ(MinuteOfDay(t[kIshaTime]) - MinuteOfDay(t[kMaghribTime]), 75);

  CalcParams both = interval;
  both.CustomFajrAngle = 19.5;
  both.CustomIshaAngle = 17.5;
  EXPECT_EQ(ComputeDayTimes(both, day), ComputeDayTimes(Cairo(eEgypt), day));

  const DayTimes qurah = ComputeDayTimes(Cairo(eQurah), day);
  EXPECT_EQ(MinuteOfDay(qurah[kIshaTime]) - MinuteOfDay(qurah[kMaghribTime]), 90);
}

TEST(PrayerEngine, TimeOutsideTheDayIsInvalidForThatPrayerOnly) {
  CalcParams late = Cairo(eCustom);
  late.CustomIshaInterval = 6.0;   // 18:07 + 6 h is past midnight
  late.CustomFajrInterval = 6.5;   // 05:58 - 6.5 h is before midnight
  const DayTimes t = ComputeDayTimes(late, Date(2004, 3, 21));
  EXPECT_EQ(t[kIshaTime].Value(), kInvalidDate);
  EXPECT_EQ(t[kFajrTime].Value(), kInvalidDate);
  EXPECT_EQ(HourMinute(t[kShoroukTime]), "05:58");
  EXPECT_EQ(HourMinute(t[kMaghribTime]), "18:07");
}

TEST(PrayerEngine, InvalidDateGivesNoTimes) {
  for (const COleDate& t : ComputeDayTimes(Cairo(), COleDate(kInvalidDate))) {
    EXPECT_EQ(t.Value(), kInvalidDate);
  }
}

// Over a grid of places and the days of several years, where every event
// occurs: Zuhr always exists, and the six times come in their natural order.
TEST(PrayerEngine, TimesKeepTheirOrderAcrossPlacesAndSeasons) {
  for (int method = eEgypt; method <= eCustom; ++method) {
    for (double lat = -45.0; lat <= 45.0; lat += 15.0) {
      for (double lon = -180.0; lon <= 180.0; lon += 45.0) {
        CalcParams p;
        p.Longitude = lon;
        p.Latitude = lat;
        p.TimeZone = std::round(-lon / 15.0);
        p.Method = method;
        for (int year : {1901, 2004, 2026, 2100}) {
          for (int dayOfYear = 1; dayOfYear <= 365; dayOfYear += 11) {
            const COleDate day = Date(year, 1, 1) + COleDateSpan(dayOfYear - 1.0);
            const DayTimes t = ComputeDayTimes(p, day);
            for (std::size_t i = 0; i + 1 < kDayTimesCount; ++i) {
              ASSERT_TRUE(t[i].IsValid() && t[i + 1].IsValid())
                  << "lat " << lat << " lon " << lon << " " << year << "/" << dayOfYear;
              ASSERT_LT(t[i].Value(), t[i + 1].Value())
                  << kDayTimeNames[i] << " lat " << lat << " lon " << lon << " " << year << "/"
                  << dayOfYear << " method " << method;
            }
          }
        }
      }
    }
  }
}

}  // namespace
