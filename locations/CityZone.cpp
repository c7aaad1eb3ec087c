#include "locations/CityZone.h"

#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/text/TextConvert.h"
#include "platform/time/ZonePeriods.h"
#include "services/ResourceLibrary.h"

namespace {

// A coordinate of the table, read as the city line's own fields are, so
// that the same text is the same number.
double Coordinate(const std::string& text) {
  double angle = 0.0;
  CCityInfo::ParseLocation(Utf8ToT(text).c_str(), &angle);
  return angle;
}

}  // namespace

std::string FindZoneInTable(const std::string& table, const CCityInfo& city) {
  struct Row {
    int line;
    std::string zone;
    std::string name;
  };
  std::vector<Row> atPosition;
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() < 5) continue;
    if (Coordinate(fields[3]) == city.m_latitude && Coordinate(fields[4]) == city.m_longitude) {
      atPosition.push_back(Row{std::atoi(fields[0].c_str()), fields[1], fields[2]});
    }
  }
  if (atPosition.size() == 1) return atPosition.front().zone;
  for (const Row& row : atPosition) {
    if (row.line == city.m_lineNumber) return row.zone;
  }
  const std::string name = text::Utf16ToUtf8(city.m_name.value_or(u""));
  for (const Row& row : atPosition) {
    if (row.name == name) return row.zone;
  }
  return {};
}

std::optional<ZoneDaylight> FindZoneDaylight(const CCityInfo& city, int year) {
  std::ifstream in(resource_library::AddinFolder() + "city_zones.tsv", std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream table;
  table << in.rdbuf();
  const std::string zone = FindZoneInTable(table.str(), city);
  if (zone.empty()) return std::nullopt;
  std::string error;
  const std::optional<tz::ZonePeriods> periods = tz::ZonePeriods::Load(zone, &error);
  if (!periods) return std::nullopt;
  const std::vector<tz::DayPeriod> runs = periods->DaylightPeriods(year, city.m_timeZone);
  ZoneDaylight daylight{zone, !runs.empty()};
  if (runs.empty()) return daylight;
  // The southern summer: a run from 1 January and another to 31 December
  // are one period over the new year.
  const bool overNewYear = runs.size() > 1 && runs.front().first.month == 1 && runs.front().first.day == 1 &&
                           runs.back().last.month == 12 && runs.back().last.day == 31;
  const tz::DayPeriod first = overNewYear ? runs.back() : runs.front();
  const tz::DayPeriod last = overNewYear ? runs.front() : runs.back();
  daylight.startDay = first.first.day;
  daylight.startMonth = first.first.month - 1;
  daylight.endDay = last.last.day;
  daylight.endMonth = last.last.month - 1;
  return daylight;
}
