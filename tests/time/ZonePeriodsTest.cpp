// The zone database read as a city's summer time needs it: the offsets of a
// zone at any moment, held against the C library reading the same files, and
// the days of each year on which its clocks stand ahead of a standard time.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/time/ZonePeriods.h"

namespace {

using tz::DayPeriod;
using tz::ZonePeriods;

ZonePeriods Zone(const std::string& name) {
  std::string error;
  std::optional<ZonePeriods> zone = ZonePeriods::Load(name, &error);
  EXPECT_TRUE(zone) << name << ": " << error;
  return zone ? *zone : ZonePeriods{};
}

std::string Day(const calendar::CivilDate& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(d.year), d.month, d.day);
  return text;
}

std::string Periods(const std::vector<DayPeriod>& periods) {
  std::string text;
  for (const DayPeriod& p : periods) text += (text.empty() ? "" : ", ") + Day(p.first) + ".." + Day(p.last);
  return text;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ZonePeriods, SummerTimeOfEachYearAsTheZoneKeepsIt) {
  // Northern summer time, from its listed transitions and from the closing
  // rule far past them.
  EXPECT_EQ(Periods(Zone("Europe/London").DaylightPeriods(2027, 0)), "2027-03-28..2027-10-30");
  EXPECT_EQ(Periods(Zone("Europe/London").DaylightPeriods(2100, 0)), "2100-03-28..2100-10-30");
  // British Standard Time: an hour ahead all year until October 1971.
  EXPECT_EQ(Periods(Zone("Europe/London").DaylightPeriods(1971, 0)), "1971-01-01..1971-10-30");
  // Southern summer time runs over the new year: two runs in one year.
  EXPECT_EQ(Periods(Zone("Australia/Sydney").DaylightPeriods(2027, 10)),
            "2027-01-01..2027-04-03, 2027-10-03..2027-12-31");
  // Egypt's summer time again from 2023: the last Friday of April to the last
  // Thursday of October, both switched at midnight.
  EXPECT_EQ(Periods(Zone("Africa/Cairo").DaylightPeriods(2024, 2)), "2024-04-26..2024-10-31");
  EXPECT_EQ(Periods(Zone("Africa/Cairo").DaylightPeriods(2020, 2)), "");
  // Ireland writes its winter as the negative saving of a summer "standard"
  // time; what counts is the clock against the city's winter offset.
  EXPECT_EQ(Periods(Zone("Europe/Dublin").DaylightPeriods(2027, 0)), "2027-03-28..2027-10-30");
  EXPECT_EQ(Periods(Zone("Asia/Riyadh").DaylightPeriods(2027, 3)), "");
  // Against a standard time the zone no longer keeps, every day is ahead.
  EXPECT_EQ(Periods(Zone("Asia/Riyadh").DaylightPeriods(2027, 2)), "2027-01-01..2027-12-31");
}

// Sets TZ for a zone and gives the C library's offset; puts the process's
// own TZ back when done.
class LibraryClock {
 public:
  LibraryClock() {
    if (const char* tz = std::getenv("TZ")) m_saved = tz;
  }
  ~LibraryClock() {
    if (m_saved) setenv("TZ", m_saved->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  LibraryClock(const LibraryClock&) = delete;
  LibraryClock& operator=(const LibraryClock&) = delete;
  void Use(const std::string& zone) {
    setenv("TZ", zone.c_str(), 1);
    tzset();
  }
  long Offset(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return local.tm_gmtoff;
  }

 private:
  std::optional<std::string> m_saved;
};

TEST(ZonePeriods, OffsetsAgreeWithTheCLibraryOverTheCentury) {
  LibraryClock library;
  for (const char* name : {"Europe/London", "Europe/Dublin", "Australia/Sydney", "Africa/Cairo",
                           "America/Santiago", "Asia/Tehran", "Pacific/Apia", "Australia/Lord_Howe",
                           "America/Sao_Paulo", "Africa/Casablanca", "America/St_Johns"}) {
    const ZonePeriods zone = Zone(name);
    library.Use(name);
    // Every 11 hours 13 minutes from 1950 to 2060 meets every transition's
    // neighbourhood in both directions many times over.
    int mismatches = 0;
    for (std::int64_t t = -631152000; t < 2840140800 && mismatches < 5; t += 11 * 3600 + 13 * 60) {
      const long expected = library.Offset(static_cast<std::time_t>(t));
      if (zone.OffsetAt(t) != expected) {
        ++mismatches;
        ADD_FAILURE() << name << " at " << t << ": " << zone.OffsetAt(t) << " against " << expected;
      }
    }
  }
}

TEST(ZonePeriods, RefusesWhatIsNotAZoneFile) {
  std::string error;
  EXPECT_FALSE(ZonePeriods::Load("Atlantis/Capital", &error));
  EXPECT_NE(error.find("Atlantis/Capital"), std::string::npos) << error;
  for (const char* name : {"", "/etc/passwd", "../../etc/passwd", "Europe/../../etc/passwd", "Europe London"}) {
    error.clear();
    EXPECT_FALSE(ZonePeriods::Load(name, &error)) << name;
    EXPECT_FALSE(error.empty());
  }
  const std::string london = Bytes("/usr/share/zoneinfo/Europe/London");
  ASSERT_GT(london.size(), 100u);
  EXPECT_TRUE(ZonePeriods::Parse(london, &error)) << error;
  // Cut anywhere in its data, a file is refused rather than read past its end.
  // (Only a cut inside the closing rule's line, its last bytes, leaves one
  // that reads, without the rule.)
  for (std::size_t size = 0; size < london.size() - 40; size += 37) {
    EXPECT_FALSE(ZonePeriods::Parse(london.substr(0, size), &error)) << size;
  }
  EXPECT_FALSE(ZonePeriods::Parse("TZif2 not really a zone file at all, no.....", &error));
  std::string badRule = london;
  badRule.replace(badRule.rfind('\n', badRule.size() - 2) + 1, std::string::npos, "GMT0BST,M13.5.0\n");
  EXPECT_FALSE(ZonePeriods::Parse(badRule, &error));
  EXPECT_NE(error.find("rule"), std::string::npos) << error;
}

TEST(ZonePeriods, TzdirChoosesTheDatabase) {
  const char* saved = std::getenv("TZDIR");
  const std::string previous = saved != nullptr ? saved : "";
  setenv("TZDIR", "/nonexistent", 1);
  std::string error;
  EXPECT_FALSE(ZonePeriods::Load("Europe/London", &error));
  EXPECT_NE(error.find("/nonexistent/Europe/London"), std::string::npos) << error;
  if (saved != nullptr) setenv("TZDIR", previous.c_str(), 1);
  else unsetenv("TZDIR");
}

}  // namespace
