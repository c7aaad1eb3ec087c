#include "host/CityLookup.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "host/AddinLocation.h"
#include "office/CityMethodCodes.h"
#include "platform/fs/Module.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

namespace host {
namespace {

double Coordinate(const std::string& text) {
  int degrees = 0, minutes = 0;
  char letter = 0;
  std::sscanf(text.c_str(), "%d %d %c", &degrees, &minutes, &letter);
  const double value = degrees + minutes / 60.0;
  return (letter == 'S' || letter == 's' || letter == 'E' || letter == 'e') ? -value : value;
}

std::string FileText(const std::string& path, bool utf16) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string raw = bytes.str();
  if (!utf16) return text::AnsiToUtf8(raw);
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
    wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                         (static_cast<unsigned char>(raw[i + 1]) << 8)));
  }
  return text::Utf16ToUtf8(wide);
}

}  // namespace

bool ParseCityLine(const std::string& line, CityMatch* city) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : line) {
    if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else if (c != '\r' && c != '\n') {
      field.push_back(c);
    }
  }
  fields.push_back(field);
  if (fields.size() < 7) return false;
  for (std::string& f : fields) f.erase(0, f.find_first_not_of(' '));
  std::string state = fields[1], country = fields[2];
  if (country.empty()) std::swap(state, country);
  city->display = fields[0] + (state.empty() ? "" : ", " + state) + ", " + country;
  city->name = fields[0];
  city->latitude = Coordinate(fields[3]);
  city->longitude = Coordinate(fields[4]);
  city->timeZone = std::strtod(fields[5].c_str(), nullptr);
  city->daylight = !fields[6].empty() && (fields[6][0] == 'Y' || fields[6][0] == 'y');
  const long code = fields.size() > 7 ? std::strtol(fields[7].c_str(), nullptr, 10) : 0;
  city->method = city_line::MethodOfCode(code);
  return true;
}

std::optional<CityMatch> FindCity(int office, long uiLanguage, const std::string& prefix,
                                  std::string* error) {
  const std::filesystem::path module = FindAddinModule(office);
  if (module.empty()) {
    *error = "cannot find the add-in folder (build it, or set ORVANE_ADDIN_DIR)";
    return std::nullopt;
  }
  const char* code = uiLanguage == 1025 ? "ar" : uiLanguage == 1036 ? "fr" : "en";
  const std::string library = (module.parent_path() / (std::string("orvnres") + code + ".so")).string();
  HMODULE resources = LoadLibrary(text::Utf8ToUtf16(library).c_str());
  const char* name = resources != nullptr ? ui::FindString(resources, 240) : nullptr;
  const std::string path = (module.parent_path() / (name != nullptr ? name : "")).string();
  if (resources != nullptr) FreeLibrary(resources);
  if (name == nullptr) {
    *error = "cannot read the city file's name from " + library;
    return std::nullopt;
  }
  const std::string content = FileText(path, office != 10);
  if (content.empty()) {
    *error = "cannot read the city file " + path;
    return std::nullopt;
  }
  const std::u16string wanted = text::FoldCase(text::Utf8ToUtf16(prefix));
  std::istringstream lines(content);
  for (std::string line; std::getline(lines, line);) {
    CityMatch city;
    if (!ParseCityLine(line, &city)) continue;
    if (text::FoldCase(text::Utf8ToUtf16(city.display)).rfind(wanted, 0) == 0) return city;
  }
  *error = "no city in " + path + " begins with \"" + prefix + "\"";
  return std::nullopt;
}

std::string FindZoneInTable(const std::string& table, const CityMatch& city) {
  std::istringstream lines(table);
  std::vector<std::pair<std::string, std::string>> atPosition;  // zone, English name
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() < 5) continue;
    // Read as the city line's own fields are, so that the same text is the
    // same number.
    if (Coordinate(fields[3]) == city.latitude && Coordinate(fields[4]) == city.longitude) {
      atPosition.emplace_back(fields[1], fields[2]);
    }
  }
  if (atPosition.size() == 1) return atPosition.front().first;
  for (const auto& [zone, name] : atPosition) {
    if (name == city.name) return zone;
  }
  return {};
}

std::string FindCityZone(int office, const CityMatch& city, std::string* error) {
  const std::filesystem::path module = FindAddinModule(office);
  const std::string path = (module.parent_path() / "city_zones.tsv").string();
  std::ifstream in(path, std::ios::binary);
  if (module.empty() || !in) {
    *error = "cannot read " + path;
    return {};
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::string zone = FindZoneInTable(text.str(), city);
  if (zone.empty()) *error = "no zone for " + city.display + " in " + path;
  return zone;
}

}  // namespace host
