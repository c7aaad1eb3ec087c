#pragma once
// What the packaged data of a Debian system knows about places: tzdata's zone
// tables, the GeoNames city table of libgeonames, and ICU's localised names
// of countries and time-zone cities.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace citygen {

/// A position in degrees, latitude North positive, longitude East positive
/// (the geographic convention of the sources, not the add-in's West-positive).
struct Position {
  double latitude = 0;
  double longitude = 0;
};

/// One zone of zone1970.tab or zone.tab: its principal location and the
/// countries (ISO 3166 codes) it serves.
struct ZoneEntry {
  std::string zone;
  Position position;
  std::vector<std::string> countries;
};

/// Reads zone1970.tab and zone.tab of a tzdata folder; a zone listed in both
/// keeps zone.tab's country too. Throws std::runtime_error when unreadable.
std::vector<ZoneEntry> ReadZoneTables(const std::string& tzdataDir);

/// A city of the GeoNames table that libgeonames carries (towns of 15,000
/// people and more), names in English.
struct GeoCity {
  std::string name;
  std::string state;
  std::string countryCode;
  std::string zone;
  Position position;
  unsigned population = 0;
};

/// The most populous GeoNames city of that exact English name in the country.
class GeoNamesIndex {
 public:
  GeoNamesIndex();
  const GeoCity* Find(const std::string& countryCode, const std::string& name) const;

 private:
  std::map<std::pair<std::string, std::string>, GeoCity> m_cities;
};

/// ICU's name of a country (ISO 3166 code) in a language ("en", "fr", "ar").
std::string IcuCountryName(const std::string& countryCode, const std::string& language);

/// ICU's name of a time zone's exemplar city in a language, or nothing when
/// ICU only has the name made from the zone id.
std::optional<std::string> IcuZoneCity(const std::string& zone, const std::string& language);

}  // namespace citygen
