#include "tools/citygen/Sources.h"

#include <geonames.h>
#include <unicode/locid.h>
#include <unicode/tznames.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace citygen {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

// ISO 6709 as the zone tables write it: "+DDMM[SS]" then "+DDDMM[SS]".
double ParseIso6709(const std::string& text, int degreeDigits) {
  const double sign = text.at(0) == '-' ? -1 : 1;
  const std::string digits = text.substr(1);
  const double degrees = std::stoi(digits.substr(0, degreeDigits));
  const double minutes = std::stoi(digits.substr(degreeDigits, 2));
  const double seconds = digits.size() > static_cast<std::size_t>(degreeDigits + 2)
                             ? std::stoi(digits.substr(degreeDigits + 2, 2))
                             : 0;
  return sign * (degrees + minutes / 60 + seconds / 3600);
}

Position ParseZonePosition(const std::string& text) {
  const auto split = text.find_first_of("+-", 1);
  if (split == std::string::npos) throw std::runtime_error("bad zone table coordinates " + text);
  return {ParseIso6709(text.substr(0, split), 2), ParseIso6709(text.substr(split), 3)};
}

std::string ToUtf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

}  // namespace

std::vector<ZoneEntry> ReadZoneTables(const std::string& tzdataDir) {
  std::vector<ZoneEntry> zones;
  for (const char* table : {"zone1970.tab", "zone.tab"}) {
    std::ifstream in(tzdataDir + "/" + table);
    if (!in) throw std::runtime_error("cannot read " + tzdataDir + "/" + table);
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] == '#') continue;
      const auto fields = Split(line, '\t');
      if (fields.size() < 3) throw std::runtime_error(std::string(table) + ": bad line " + line);
      const auto countries = Split(fields[0], ',');
      auto known = std::find_if(zones.begin(), zones.end(),
                                [&](const ZoneEntry& z) { return z.zone == fields[2]; });
      if (known == zones.end()) {
        zones.push_back({fields[2], ParseZonePosition(fields[1]), countries});
      } else {
        for (const auto& c : countries) {
          if (std::find(known->countries.begin(), known->countries.end(), c) == known->countries.end()) {
            known->countries.push_back(c);
          }
        }
      }
    }
  }
  return zones;
}

GeoNamesIndex::GeoNamesIndex() {
  const int count = geonames_get_n_cities();
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<GeonamesCity, void (*)(GeonamesCity*)> city(geonames_get_city(i), geonames_city_free);
    GeoCity c{geonames_city_get_name(city.get()),
              geonames_city_get_state(city.get()),
              geonames_city_get_country_code(city.get()),
              geonames_city_get_timezone(city.get()),
              {geonames_city_get_latitude(city.get()), geonames_city_get_longitude(city.get())},
              geonames_city_get_population(city.get())};
    auto [it, added] = m_cities.try_emplace({c.countryCode, c.name}, c);
    if (!added && c.population > it->second.population) it->second = c;
  }
}

const GeoCity* GeoNamesIndex::Find(const std::string& countryCode, const std::string& name) const {
  const auto found = m_cities.find({countryCode, name});
  return found == m_cities.end() ? nullptr : &found->second;
}

std::string IcuCountryName(const std::string& countryCode, const std::string& language) {
  icu::UnicodeString name;
  icu::Locale("", countryCode.c_str()).getDisplayCountry(icu::Locale(language.c_str()), name);
  return ToUtf8(name);
}

std::optional<std::string> IcuZoneCity(const std::string& zone, const std::string& language) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::TimeZoneNames> names(
      icu::TimeZoneNames::createInstance(icu::Locale(language.c_str()), status));
  if (U_FAILURE(status)) return std::nullopt;
  icu::UnicodeString id = icu::UnicodeString::fromUTF8(zone), city, root;
  names->getExemplarLocationName(id, city);
  if (city.isEmpty()) return std::nullopt;
  // For a city CLDR does not name in this language ICU makes one from the
  // zone id ("Kolkata" in Arabic too); the root locale gives that made-up form.
  std::unique_ptr<icu::TimeZoneNames> rootNames(icu::TimeZoneNames::createInstance(icu::Locale::getRoot(), status));
  if (U_SUCCESS(status) && language != "en") {
    rootNames->getExemplarLocationName(id, root);
    if (root == city) return std::nullopt;
  }
  return ToUtf8(city);
}

}  // namespace citygen
