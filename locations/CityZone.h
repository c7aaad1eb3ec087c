#pragma once
// The time zone a city of the list keeps its clocks by, and that zone's
// summer time in a year, from the system's zone database. The daylight rule
// of the settings is one period a year, and its default, 1 April to 31
// October, is the northern summer: for Sydney, Santiago or Auckland, whose
// clocks go forward in October and back in April, it is their winter, and
// every time would be an hour off most of the year. A city whose zone is
// known takes its zone's own period instead.
//
// Which zone each line of the shipped city files was made from is in
// city_zones.tsv beside them (line number, zone, English name, latitude,
// longitude; UTF-8).

#include <optional>
#include <string>

#include "locations/CityInfo.h"

// The zone's summer time in a year, as the daylight rule holds it.
struct ZoneDaylight {
  std::string zone;   // "Australia/Sydney"
  bool observed;      // the zone moves its clocks forward that year
  int startDay = 0;   // the first day ahead of standard time, months 0..11
  int startMonth = 0;
  int endDay = 0;     // the last such day
  int endMonth = 0;
};

// The zone of a city, from a table in the form of city_zones.tsv: the row
// at the city's position (as the city line writes it, to the arc-minute);
// where several rows share it, the one of the city's line, else of its
// English name. Empty when none.
std::string FindZoneInTable(const std::string& table, const CCityInfo& city);

// The city's zone from city_zones.tsv in the add-in's folder, and its
// summer time in the year against the city's standard time (a period that
// runs over the new year starts late in the year and ends early in it).
// Nothing when the city's zone is not known or the system has no such zone.
std::optional<ZoneDaylight> FindZoneDaylight(const CCityInfo& city, int year);
