// orvane-citygen CURATED_DIR OUTPUT_DIR [TZDATA_DIR]
//
// Writes the three line-aligned city files the add-in ships (cities_en.txt,
// cities_fr.txt, cities_ar.txt; UTF-8, LF) from the places chosen in
// CURATED_DIR/places.txt, filling what each line needs from the packaged
// data: positions and zones from tzdata and GeoNames, the rules in force from
// tzdata's compiled zones, names from ICU and GeoNames' translations.
// See README.md beside this file for where each field comes from.

#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/citygen/PosixTz.h"
#include "tools/citygen/Sources.h"
#include "tools/common/DataText.h"

namespace citygen {
namespace {

const char* const kLanguages[] = {"en", "fr", "ar"};
enum { kEn, kFr, kAr, kLanguageCount };

// The calculation method customary in each country, as the city line's method
// code (3 Egyptian, 1 Umm al-Qura, 2 Karachi, 4 ISNA). Every other country
// takes 0, the Muslim World League.
struct MethodGroup {
  int code;
  const char* countries;
};
const MethodGroup kMethodGroups[] = {
    // The Arabian Peninsula follows Mecca's Umm al-Qura calendar. Kuwait's
    // own angles (18 and 17.5 degrees) are the Muslim World League's, nearly.
    {1, "SA YE OM AE QA BH"},
    // Egypt's angles are used through Africa and the Levant, and (20 and 18
    // degrees there, which 19.5 and 17.5 come nearest of the five) in Malaysia,
    // Indonesia, Singapore and Brunei.
    {3, "EG SD SS LY SY LB JO PS IQ DZ MA TN MR EH "
        "AO BF BI BJ BW CD CF CG CI CM CV DJ ER ET GA GH GM GN GQ GW KE KM LR LS MG ML MU MW MZ "
        "NA NE NG RW SC SL SN SO ST SZ TD TG TZ UG ZA ZM ZW "
        "MY ID SG BN"},
    // The University of Islamic Sciences, Karachi, for South Asia.
    {2, "PK IN BD AF LK NP BT MV"},
    // The Islamic Society of North America.
    {4, "US CA"},
};

// Countries whose cities are told apart by state or province.
const std::set<std::string> kCountriesWithStates = {"US", "CA", "AU"};

struct Place {
  int sourceLine = 0;
  std::string countryCode;
  std::map<std::string, std::string> options;  // key=value fields of places.txt
  bool capital = false;
  bool first = false;

  std::string names[kLanguageCount];
  std::string states[kLanguageCount];
  std::string countries[kLanguageCount];
  Position position;
  std::string zone;
  CurrentRules rules;
  int method = 0;
};

[[noreturn]] void Fail(const std::string& message) { throw std::runtime_error(message); }

std::vector<std::string> SplitFields(const std::string& line) {
  // Every separator counts, so "BA|Bosnia and Herzegovina||" has four fields.
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == '|') fields.emplace_back();
    else fields.back().push_back(c);
  }
  return fields;
}

std::vector<std::pair<int, std::vector<std::string>>> ReadCurated(const std::string& path) {
  std::ifstream in(path);
  if (!in) Fail("cannot read " + path);
  std::vector<std::pair<int, std::vector<std::string>>> rows;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    rows.emplace_back(number, SplitFields(line));
  }
  return rows;
}

// "21 25 N 39 49 E": the curated form of a position, to the arc-minute.
Position ParseCuratedPosition(const std::string& text, const std::string& where) {
  std::istringstream in(text);
  int latDeg, latMin, lonDeg, lonMin;
  char latHemisphere, lonHemisphere;
  if (!(in >> latDeg >> latMin >> latHemisphere >> lonDeg >> lonMin >> lonHemisphere) ||
      (latHemisphere != 'N' && latHemisphere != 'S') || (lonHemisphere != 'E' && lonHemisphere != 'W') ||
      latMin > 59 || lonMin > 59) {
    Fail(where + ": position must read like \"21 25 N 39 49 E\": " + text);
  }
  return {(latHemisphere == 'S' ? -1 : 1) * (latDeg + latMin / 60.0),
          (lonHemisphere == 'W' ? -1 : 1) * (lonDeg + lonMin / 60.0)};
}

bool HasArabicLetter(const std::string& utf8) {
  std::u32string text;
  datatext::DecodeUtf8(utf8, text);
  return std::any_of(text.begin(), text.end(), [](char32_t c) { return c >= 0x0620 && c <= 0x064A; });
}

// Code page 1256 has the French small accented letters but none of the
// capitals (no É, À), and none of á, ó, ã, ñ, ö and the like: such a letter
// loses its accent, the customary fallback (Égypte becomes Egypte). Names the
// folding changes are reported so a better spelling can be curated.
std::string FoldForCp1256(const std::string& utf8, const std::string& where) {
  static const std::map<char32_t, std::u32string> kSpecial = {
      {U'ı', U"i"}, {U'ʻ', U"'"}, {U'ʼ', U"'"}, {U'ł', U"l"}, {U'Ł', U"L"}, {U'đ', U"d"}, {U'Đ', U"D"},
      {U'ø', U"o"}, {U'Ø', U"O"}, {U'ß', U"ss"}, {U'æ', U"ae"}, {U'Æ', U"AE"}, {U'‑', U"-"}};
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  std::u32string text, folded;
  if (datatext::DecodeUtf8(utf8, text)) Fail(where + ": malformed UTF-8");
  for (char32_t c : text) {
    if (datatext::Cp1256Byte(c)) {
      folded.push_back(c);
      continue;
    }
    if (const auto special = kSpecial.find(c); special != kSpecial.end()) {
      folded += special->second;
      continue;
    }
    icu::UnicodeString decomposed = nfd->normalize(icu::UnicodeString(static_cast<UChar32>(c)), status);
    const UChar32 base = decomposed.char32At(0);
    if (U_FAILURE(status) || decomposed.countChar32() < 2 || !datatext::Cp1256Byte(static_cast<char32_t>(base))) {
      Fail(where + ": " + datatext::DescribeCodePoint(c) + " has no form in code page 1256 nor a plain letter");
    }
    folded.push_back(static_cast<char32_t>(base));
  }
  std::string result = datatext::EncodeUtf8(folded);
  if (result != utf8) std::cerr << where << ": written as \"" << result << "\" for \"" << utf8 << "\"\n";
  return result;
}

void CheckField(const std::string& text, const std::string& where, bool mayBeEmpty) {
  if (text.empty() && !mayBeEmpty) Fail(where + ": empty");
  if (text.find_first_of(",\r\n\t") != std::string::npos) Fail(where + ": comma or line break in \"" + text + "\"");
  if (!text.empty() && text.front() == ' ') Fail(where + ": leading blank in \"" + text + "\"");
  std::u32string decoded;
  datatext::DecodeUtf8(text, decoded);
  // The add-in keeps at most 127 characters of a name.
  if (decoded.size() > 127) Fail(where + ": longer than 127 characters");
}

int MethodFor(const std::string& countryCode) {
  for (const auto& group : kMethodGroups) {
    std::istringstream codes(group.countries);
    for (std::string code; codes >> code;) {
      if (code == countryCode) return group.code;
    }
  }
  return 0;
}

// Whole degrees and minutes rounded to the nearest, 60 minutes carrying into
// the degrees: the add-in's own rounding, so a line reads back unchanged.
std::string FormatAngle(double value, char positive, char negative) {
  const double magnitude = std::fabs(value);
  int degrees = static_cast<int>(magnitude);
  int minutes = static_cast<int>(std::floor((magnitude - degrees) * 60 + 0.5));
  if (minutes >= 60) {
    minutes -= 60;
    ++degrees;
  }
  return std::to_string(degrees) + " " + std::to_string(minutes) + " " + (value < 0 ? negative : positive);
}

std::string FormatHours(double hours) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, hours);
  return std::string(buffer, result.ptr);
}

// Largest distance between two positions, in arc-minutes along each axis.
double ArcMinutesApart(const Position& a, const Position& b) {
  const double dLat = std::fabs(a.latitude - b.latitude);
  const double dLon = std::fabs(a.longitude - b.longitude) * std::cos(a.latitude * M_PI / 180);
  return 60 * std::max(dLat, dLon);
}

class Generator {
 public:
  Generator(const std::string& curatedDir, const std::string& tzdataDir)
      : m_curatedDir(curatedDir),
        m_tzdataDir(tzdataDir),
        m_zones(ReadZoneTables(tzdataDir)) {}

  std::vector<Place> Run() {
    ReadNames("countries.txt", false, m_countryNames);
    ReadNames("states.txt", true, m_stateNames);
    std::vector<Place> places;
    // Every place is tried so that one run lists all that need curating.
    int failures = 0;
    for (const auto& [line, fields] : ReadCurated(m_curatedDir + "/places.txt")) {
      try {
        places.push_back(Complete(ParsePlace(line, fields)));
      } catch (const std::runtime_error& e) {
        std::cerr << e.what() << "\n";
        ++failures;
      }
    }
    if (failures) Fail(std::to_string(failures) + " places could not be completed");
    std::cerr << "positions cross-checked with GeoNames: " << m_checked << ", largest difference "
              << std::lround(m_largestDifference) << "' (" << m_largestAt << ")\n";
    Sort(places);
    CheckUnique(places);
    return places;
  }

 private:
  // CC|English|French|Arabic lines, keyed by code and, for states, the
  // English name too; an empty field is taken as absent.
  using NameTable = std::map<std::pair<std::string, std::string>, std::array<std::string, kLanguageCount>>;
  void ReadNames(const std::string& file, bool byName, NameTable& names) {
    for (const auto& [line, fields] : ReadCurated(m_curatedDir + "/" + file)) {
      if (fields.size() != 4) Fail(file + ":" + std::to_string(line) + ": want CC|English|French|Arabic");
      names[{fields[0], byName ? fields[1] : ""}] = {fields[1], fields[2], fields[3]};
    }
  }

  Place ParsePlace(int line, const std::vector<std::string>& fields) {
    const std::string where = "places.txt:" + std::to_string(line);
    if (fields.size() < 3) Fail(where + ": want CC|English name|flags[|key=value...]");
    Place place;
    place.sourceLine = line;
    place.countryCode = fields[0];
    place.names[kEn] = fields[1];
    std::istringstream flags(fields[2]);
    for (std::string flag; flags >> flag;) {
      if (flag == "capital") place.capital = true;
      else if (flag == "first") place.first = true;
      else Fail(where + ": unknown flag " + flag);
    }
    static const std::set<std::string> kKeys = {"geo", "at", "zone", "fr", "ar", "state", "method"};
    for (std::size_t i = 3; i < fields.size(); ++i) {
      if (fields[i].empty()) continue;
      const auto equals = fields[i].find('=');
      if (equals == std::string::npos || !kKeys.count(fields[i].substr(0, equals))) {
        Fail(where + ": unknown option " + fields[i]);
      }
      place.options[fields[i].substr(0, equals)] = fields[i].substr(equals + 1);
    }
    return place;
  }

  std::string Option(const Place& place, const std::string& key) const {
    const auto found = place.options.find(key);
    return found == place.options.end() ? std::string() : found->second;
  }

  // The tzdata zone whose principal city this place is, if any.
  const ZoneEntry* ZoneCity(const Place& place) const {
    for (const auto& zone : m_zones) {
      if (std::find(zone.countries.begin(), zone.countries.end(), place.countryCode) == zone.countries.end()) continue;
      if (IcuZoneCity(zone.zone, "en") == place.names[kEn]) return &zone;
    }
    return nullptr;
  }

  Place Complete(Place place) {
    const std::string where = "places.txt:" + std::to_string(place.sourceLine) + " (" + place.names[kEn] + ")";
    const ZoneEntry* zoneCity = ZoneCity(place);
    const std::string geoName = Option(place, "geo").empty() ? place.names[kEn] : Option(place, "geo");
    const GeoCity* geo = m_geonames.Find(place.countryCode, geoName);

    // Position: curated, else the zone table's, else GeoNames'.
    if (const auto at = Option(place, "at"); !at.empty()) place.position = ParseCuratedPosition(at, where);
    else if (zoneCity) place.position = zoneCity->position;
    else if (geo) place.position = geo->position;
    else Fail(where + ": no position: neither a tzdata zone city nor a GeoNames city named \"" + geoName + "\"");
    if (geo && (zoneCity || !Option(place, "at").empty())) {
      const double apart = ArcMinutesApart(place.position, geo->position);
      ++m_checked;
      if (apart > m_largestDifference) {
        m_largestDifference = apart;
        m_largestAt = place.names[kEn];
      }
      // More than about 30 km apart: one of the two is another place.
      if (apart > 20) Fail(where + ": position differs from GeoNames' by " + std::to_string(std::lround(apart)) + "'");
    }

    if (const auto zone = Option(place, "zone"); !zone.empty()) place.zone = zone;
    else if (zoneCity) place.zone = zoneCity->zone;
    else if (geo) place.zone = geo->zone;
    else Fail(where + ": no time zone");
    const auto footer = ReadTzifFooter(m_tzdataDir + "/" + place.zone);
    const auto rules = footer ? ParsePosixTz(*footer) : std::nullopt;
    if (!rules) Fail(where + ": no current rules for zone " + place.zone);
    place.rules = *rules;
    const double quarters = place.rules.standardHours * 4;
    if (quarters != std::floor(quarters) || place.rules.standardHours < -12 || place.rules.standardHours > 14) {
      Fail(where + ": zone " + place.zone + " has an offset a city line cannot hold");
    }
    // The add-in moves the clocks by exactly one hour.
    if (place.rules.daylight && place.rules.daylightShiftHours != 1) {
      Fail(where + ": zone " + place.zone + " moves its clocks by " + FormatHours(place.rules.daylightShiftHours) +
           " hours, which a city line cannot hold");
    }

    // Names: curated, else ICU's for a zone city; French may stay English.
    const bool icuCity = IcuZoneCity(place.zone, "en") == place.names[kEn];
    for (int l : {kFr, kAr}) {
      std::optional<std::string> name;
      if (const auto curated = Option(place, kLanguages[l]); !curated.empty()) name = curated;
      if (!name && icuCity) name = IcuZoneCity(place.zone, kLanguages[l]);
      if (l == kAr && (!name || !HasArabicLetter(*name))) Fail(where + ": no Arabic name; curate ar=");
      place.names[l] = name ? *name : place.names[kEn];
    }
    if (kCountriesWithStates.count(place.countryCode)) {
      const std::string state = Option(place, "state").empty() && geo ? geo->state : Option(place, "state");
      const auto names = m_stateNames.find({place.countryCode, state});
      if (names == m_stateNames.end()) Fail(where + ": state \"" + state + "\" is not in states.txt");
      for (int l = 0; l < kLanguageCount; ++l) place.states[l] = names->second[l].empty() ? state : names->second[l];
    }
    for (int l = 0; l < kLanguageCount; ++l) {
      const auto curated = m_countryNames.find({place.countryCode, ""});
      place.countries[l] = curated != m_countryNames.end() && !curated->second[l].empty()
                               ? curated->second[l]
                               : IcuCountryName(place.countryCode, kLanguages[l]);
      if (place.countries[l] == place.countryCode) Fail(where + ": ICU has no name for country " + place.countryCode);
    }

    for (int l = 0; l < kLanguageCount; ++l) {
      const std::string at = where + " " + kLanguages[l];
      place.names[l] = FoldForCp1256(place.names[l], at + " name");
      place.states[l] = FoldForCp1256(place.states[l], at + " state");
      place.countries[l] = FoldForCp1256(place.countries[l], at + " country");
      CheckField(place.names[l], at + " name", false);
      CheckField(place.states[l], at + " state", true);
      CheckField(place.countries[l], at + " country", false);
    }

    const auto method = Option(place, "method");
    place.method = method.empty() ? MethodFor(place.countryCode) : std::stoi(method);
    return place;
  }

  // The first place (the default city of a new user) opens the files; the
  // rest follow by country, then city, in English.
  static void Sort(std::vector<Place>& places) {
    if (std::count_if(places.begin(), places.end(), [](const Place& p) { return p.first; }) != 1) {
      Fail("places.txt: exactly one place must carry the flag \"first\"");
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale::getEnglish(), status));
    if (U_FAILURE(status)) Fail("ICU has no English collator");
    auto compare = [&](const std::string& a, const std::string& b) {
      UErrorCode s = U_ZERO_ERROR;
      return collator->compareUTF8(a, b, s);
    };
    std::stable_sort(places.begin(), places.end(), [&](const Place& a, const Place& b) {
      if (a.first != b.first) return a.first;
      if (const int c = compare(a.countries[kEn], b.countries[kEn])) return c < 0;
      if (const int c = compare(a.names[kEn], b.names[kEn])) return c < 0;
      return compare(a.states[kEn], b.states[kEn]) < 0;
    });
  }

  static void CheckUnique(const std::vector<Place>& places) {
    for (int l = 0; l < kLanguageCount; ++l) {
      std::set<std::tuple<std::string, std::string, std::string>> seen;
      for (const auto& p : places) {
        if (!seen.insert({p.names[l], p.states[l], p.countries[l]}).second) {
          Fail(std::string("two places are both \"") + p.names[l] + "\" (" + kLanguages[l] + ") in " + p.countries[l]);
        }
      }
    }
  }

  std::string m_curatedDir;
  std::string m_tzdataDir;
  std::vector<ZoneEntry> m_zones;
  GeoNamesIndex m_geonames;
  NameTable m_countryNames;
  NameTable m_stateNames;
  int m_checked = 0;
  double m_largestDifference = 0;
  std::string m_largestAt;
};

void Write(const std::vector<Place>& places, const std::string& outputDir) {
  for (int l = 0; l < kLanguageCount; ++l) {
    const std::string path = outputDir + "/cities_" + kLanguages[l] + ".txt";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    int lineNumber = 0;
    for (const auto& p : places) {
      out << p.names[l] << ',' << p.states[l] << ',' << p.countries[l] << ','
          << FormatAngle(p.position.latitude, 'N', 'S') << ',' << FormatAngle(p.position.longitude, 'E', 'W') << ','
          << FormatHours(p.rules.standardHours) << ',' << (p.rules.daylight ? 'Y' : 'N') << ',' << p.method << ','
          << (p.capital ? 'Y' : 'N') << ',' << ++lineNumber << '\n';
    }
    out.flush();
    if (!out) Fail("cannot write " + path);
  }
  // The zone each line was made from: the tests hold the lines against the
  // zone database, and `orvane calc --city` finds a city's summer time by it,
  // matching the English name and the position (a line number moves when
  // places are added or removed).
  const std::string path = outputDir + "/city_zones.tsv";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "# Written by orvane-citygen with the city files: line number, time zone, English name, latitude, "
         "longitude.\n";
  int lineNumber = 0;
  for (const auto& p : places) {
    out << ++lineNumber << '\t' << p.zone << '\t' << p.names[kEn] << '\t' << FormatAngle(p.position.latitude, 'N', 'S')
        << '\t' << FormatAngle(p.position.longitude, 'E', 'W') << '\n';
  }
  out.flush();
  if (!out) Fail("cannot write " + path);
}

}  // namespace
}  // namespace citygen

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "usage: orvane-citygen CURATED_DIR OUTPUT_DIR [TZDATA_DIR]\n";
    return 2;
  }
  try {
    citygen::Generator generator(argv[1], argc == 4 ? argv[3] : "/usr/share/zoneinfo");
    const auto places = generator.Run();
    citygen::Write(places, argv[2]);
    std::cerr << places.size() << " places written\n";
  } catch (const std::exception& e) {
    std::cerr << "orvane-citygen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
