#pragma once
// Finding a place in the add-in's city file by the start of its name, for
// `orvane calc --city`. The host reads the file as any program may: the
// primary city file of the user-interface language (named by the resource
// library of that language), in the add-in folder of the Office version.

#include <optional>
#include <string>

namespace host {

struct CityMatch {
  std::string display;     // "Cairo, Egypt" (UTF-8)
  std::string name;        // "Cairo": the line's first field
  double longitude = 0;    // degrees, positive WEST
  double latitude = 0;     // degrees, positive north
  double timeZone = 0;     // hours, positive EAST
  long method = 0;         // CalculationMethod
  bool daylight = false;   // the place observes summer time
};

// The first city whose "name, [state, ]country" begins with prefix,
// ignoring case; nullopt with *error set when there is none or the file
// cannot be read.
std::optional<CityMatch> FindCity(int office, long uiLanguage, const std::string& prefix,
                                  std::string* error);

// The city line fields of one line, for tests: false when the line has no
// field after the time zone.
bool ParseCityLine(const std::string& utf8Line, CityMatch* city);

// The tzdata zone of a city of the add-in's city file, from city_zones.tsv
// beside it: the row whose position (to the arc-minute) is the city's, and,
// where several rows share it, whose English name is the city's name. An
// empty text, with *error set, when there is none.
std::string FindCityZone(int office, const CityMatch& city, std::string* error);

// The same over the text of such a table, for tests.
std::string FindZoneInTable(const std::string& table, const CityMatch& city);

}  // namespace host
