// Every shipped city line held against the zone database: on a January and a
// July day, the clock the line describes (its winter offset, plus one hour in
// the summer half of its hemisphere when its daylight flag is set) must be the
// clock of the zone the line was made from.
//
// The zone of each line comes from data/cities/city_zones.tsv, written by the
// generator with the city files; its rows also carry each line's English name
// and position, by which `orvane calc --city` finds a city's zone. The database is the system's tzdata, read by
// the C library (TZ and localtime_r), which applies every listed transition of
// the zone; the generator reads only the rule string at the end of each zone.
// ICU is not used: its own zone data (2022e in ICU 72) predates changes the
// city files follow (Egypt's summer time again from 2023, Kazakhstan's single
// zone, Paraguay's and Mexico's end of daylight saving, Fiji's).

#include <cstdlib>
#include <ctime>
#include <optional>
#include <sstream>

#include "tests/shipped/ShippedFiles.h"

namespace {

enum Field { kName, kState, kCountry, kLatitude, kLongitude, kZone, kDaylight, kMethod, kCapital, kLineNumber };

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == separator) fields.emplace_back();
    else fields.back().push_back(c);
  }
  return fields;
}

struct City {
  std::vector<std::string> fields;  // of the English line
  std::string zone;
};

// The English city lines with the zone of each; the side table must name the
// same lines in the same order, or the check below would test the wrong zone.
std::vector<City> ReadCities() {
  std::vector<City> cities;
  for (const auto& line : shipped::Lines(shipped::Source("cities", "cities_en.txt"))) {
    cities.push_back({Split(line, ','), {}});
  }
  std::size_t row = 0;
  for (const auto& line : shipped::Lines(shipped::Source("cities", "city_zones.tsv"))) {
    if (line.empty() || line[0] == '#') continue;
    const auto fields = Split(line, '\t');
    EXPECT_EQ(fields.size(), 5u) << "city_zones.tsv: " << line;
    if (fields.size() != 5 || row >= cities.size()) {
      ADD_FAILURE() << "city_zones.tsv has a row past the city files: " << line;
      continue;
    }
    const auto& city = cities[row].fields;
    EXPECT_EQ(fields[0], std::to_string(row + 1)) << line;
    EXPECT_EQ(fields[0], city.at(kLineNumber)) << line;
    EXPECT_EQ(fields[2], city.at(kName)) << line;
    EXPECT_EQ(fields[3], city.at(kLatitude)) << line;
    EXPECT_EQ(fields[4], city.at(kLongitude)) << line;
    cities[row++].zone = fields[1];
  }
  EXPECT_EQ(row, cities.size()) << "city_zones.tsv lacks lines of the city files";
  return cities;
}

// Sets TZ for the zone asked and gives the local clock's offset; puts the
// process's own TZ back when done.
class ZoneClock {
 public:
  ZoneClock() {
    if (const char* tz = std::getenv("TZ")) m_saved = tz;
  }
  ~ZoneClock() {
    if (m_saved) setenv("TZ", m_saved->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  ZoneClock(const ZoneClock&) = delete;
  ZoneClock& operator=(const ZoneClock&) = delete;

  // Hours East of UTC of the zone's clocks at that instant.
  static double OffsetHours(const std::string& zone, std::time_t when) {
    setenv("TZ", zone.c_str(), 1);
    tzset();
    std::tm local{};
    localtime_r(&when, &local);
    return local.tm_gmtoff / 3600.0;
  }

 private:
  std::optional<std::string> m_saved;
};

std::time_t NoonUtc(int year, int month, int day) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = 12;
  return timegm(&t);
}

TEST(CityZones, EachLineNamesARealZone) {
  const auto cities = ReadCities();
  ASSERT_FALSE(cities.empty());
  for (const auto& city : cities) {
    // The C library reads an unknown zone as UTC without a word.
    const std::string bytes = shipped::ReadBytes("/usr/share/zoneinfo/" + city.zone);
    EXPECT_EQ(bytes.substr(0, 4), "TZif") << city.fields[kName] << ": " << city.zone;
  }
}

TEST(CityZones, EveryCityKeepsItsZonesClockInJanuaryAndJuly) {
  const auto cities = ReadCities();
  ASSERT_FALSE(cities.empty());
  struct Day {
    const char* name;
    std::time_t when;
    bool northernSummer;
  };
  const Day days[] = {{"15 January 2026", NoonUtc(2026, 1, 15), false},
                      {"15 July 2026", NoonUtc(2026, 7, 15), true}};
  ZoneClock clock;
  int checked = 0;
  for (const auto& city : cities) {
    const auto& f = city.fields;
    ASSERT_EQ(f.size(), 10u) << f[kName];
    const bool north = f[kLatitude].back() == 'N';
    const double winterHours = std::stod(f[kZone]);
    const bool daylight = f[kDaylight] == "Y";
    for (const auto& day : days) {
      const bool summer = day.northernSummer == north;
      const double lineHours = winterHours + (daylight && summer ? 1 : 0);
      EXPECT_EQ(lineHours, clock.OffsetHours(city.zone, day.when))
          << "line " << f[kLineNumber] << " " << f[kName] << ", " << f[kCountry] << " (" << city.zone << ") on "
          << day.name << ": time zone " << f[kZone] << ", daylight " << f[kDaylight];
      ++checked;
    }
  }
  EXPECT_EQ(checked, 2 * static_cast<int>(cities.size()));
}

}  // namespace
