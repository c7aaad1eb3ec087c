// The three city files the add-in ships, as committed under data/cities: the
// line form the add-in reads, the alignment that ties the files together, and
// the places and values users rely on.

#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <tuple>

#include "tests/shipped/ShippedFiles.h"

namespace {

using shipped::kLanguages;

enum Field { kName, kState, kCountry, kLatitude, kLongitude, kZone, kDaylight, kMethod, kCapital, kLineNumber };

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == ',') fields.emplace_back();
    else fields.back().push_back(c);
  }
  return fields;
}

struct CityFile {
  std::string language;
  std::vector<std::vector<std::string>> lines;
};

std::vector<CityFile> ReadCityFiles() {
  std::vector<CityFile> files;
  for (const char* language : kLanguages) {
    CityFile file{language, {}};
    for (const auto& line : shipped::Lines(shipped::Source("cities", std::string("cities_") + language + ".txt"))) {
      file.lines.push_back(Fields(line));
    }
    files.push_back(file);
  }
  return files;
}

// A copy, so that a range-for over it keeps it alive.
std::vector<std::vector<std::string>> EnglishLines() { return ReadCityFiles()[0].lines; }

// Signed degrees, North and East positive, of "21 25 N".
double Degrees(const std::string& text) {
  std::istringstream in(text);
  int degrees = 0, minutes = 0;
  char hemisphere = 0;
  in >> degrees >> minutes >> hemisphere;
  return (hemisphere == 'S' || hemisphere == 'W' ? -1 : 1) * (degrees + minutes / 60.0);
}

TEST(CityFiles, HoldTheSameNumberOfPlacesAndAtLeastThreeHundred) {
  const auto files = ReadCityFiles();
  EXPECT_GE(files[0].lines.size(), 300u);
  for (const auto& file : files) EXPECT_EQ(file.lines.size(), files[0].lines.size()) << file.language;
}

TEST(CityFiles, EveryLineHasTheTenFieldsInTheFormTheAddInReads) {
  const std::regex latitude("(\\d{1,2}) (\\d{1,2}) [NS]");
  const std::regex longitude("(\\d{1,3}) (\\d{1,2}) [EW]");
  const std::regex zone("-?\\d{1,2}(\\.\\d+)?");
  std::smatch m;
  for (const auto& file : ReadCityFiles()) {
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
      const auto& f = file.lines[i];
      const std::string where = file.language + " line " + std::to_string(i + 1);
      ASSERT_EQ(f.size(), 10u) << where;
      EXPECT_FALSE(f[kName].empty()) << where;
      EXPECT_FALSE(f[kCountry].empty()) << where;
      for (Field name : {kName, kState, kCountry}) {
        // The tokenizer drops leading blanks and keeps 127 characters.
        EXPECT_TRUE(f[name].empty() || f[name][0] != ' ') << where;
        EXPECT_LE(shipped::CodePoints(f[name]), 127u) << where;
      }
      ASSERT_TRUE(std::regex_match(f[kLatitude], m, latitude)) << where << ": " << f[kLatitude];
      EXPECT_LE(std::stoi(m[1]), 90) << where;
      EXPECT_LE(std::stoi(m[2]), 59) << where;
      ASSERT_TRUE(std::regex_match(f[kLongitude], m, longitude)) << where << ": " << f[kLongitude];
      EXPECT_LE(std::stoi(m[1]), 180) << where;
      EXPECT_LE(std::stoi(m[2]), 59) << where;
      ASSERT_TRUE(std::regex_match(f[kZone], zone)) << where << ": " << f[kZone];
      const double hours = std::stod(f[kZone]);
      EXPECT_GE(hours, -12) << where;
      EXPECT_LE(hours, 14) << where;
      EXPECT_EQ(hours * 4, std::floor(hours * 4)) << where << ": not a whole quarter hour";
      EXPECT_TRUE(f[kDaylight] == "Y" || f[kDaylight] == "N") << where;
      EXPECT_TRUE(f[kMethod].size() == 1 && f[kMethod][0] >= '0' && f[kMethod][0] <= '4') << where;
      EXPECT_TRUE(f[kCapital] == "Y" || f[kCapital] == "N") << where;
    }
  }
}

TEST(CityFiles, LineNumbersAreThePositionsSoTheFilesStayAligned) {
  for (const auto& file : ReadCityFiles()) {
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
      ASSERT_EQ(file.lines[i].size(), 10u);
      EXPECT_EQ(file.lines[i][kLineNumber], std::to_string(i + 1)) << file.language;
    }
  }
}

TEST(CityFiles, TheSameLineDescribesTheSamePlaceInEveryLanguage) {
  const auto files = ReadCityFiles();
  for (std::size_t i = 0; i < files[0].lines.size(); ++i) {
    for (const auto& file : files) {
      ASSERT_LT(i, file.lines.size());
      for (Field f : {kLatitude, kLongitude, kZone, kDaylight, kMethod, kCapital, kLineNumber}) {
        EXPECT_EQ(file.lines[i][f], files[0].lines[i][f]) << file.language << " line " << i + 1;
      }
      EXPECT_EQ(file.lines[i][kState].empty(), files[0].lines[i][kState].empty()) << file.language << " line " << i + 1;
    }
  }
}

TEST(CityFiles, NoTwoPlacesShareNameStateAndCountry) {
  for (const auto& file : ReadCityFiles()) {
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    for (const auto& f : file.lines) {
      EXPECT_TRUE(seen.insert({f[kName], f[kState], f[kCountry]}).second)
          << file.language << ": " << f[kName] << ", " << f[kCountry];
    }
  }
}

TEST(CityFiles, ArabicNamesAreInArabicScript) {
  const auto files = ReadCityFiles();
  // Arabic letters are U+0620 to U+064A: D8 A0 to D9 8A in UTF-8.
  const std::regex arabicLetter("\xD8[\xA0-\xBF]|\xD9[\x80-\x8A]");
  for (const auto& f : files[2].lines) {
    EXPECT_TRUE(std::regex_search(f[kName], arabicLetter)) << f[kName];
    EXPECT_TRUE(std::regex_search(f[kCountry], arabicLetter)) << f[kCountry];
  }
}

TEST(CityFiles, MeccaIsTheFirstLineANewUserStartsWith) {
  const auto files = ReadCityFiles();
  const std::vector<std::string> expected[] = {
      {"Mecca", "", "Saudi Arabia", "21 25 N", "39 49 E", "3", "N", "1", "N", "1"},
      {"La Mecque", "", "Arabie saoudite", "21 25 N", "39 49 E", "3", "N", "1", "N", "1"},
      {"مكة المكرمة", "", "المملكة العربية السعودية", "21 25 N", "39 49 E", "3", "N", "1", "N", "1"}};
  for (int l = 0; l < 3; ++l) EXPECT_EQ(files[l].lines.at(0), expected[l]) << kLanguages[l];
}

// Regression guard: a capital flag on a city that is not one (Mecca, Jeddah)
// would put it ahead of namesakes in the location list.
TEST(CityFiles, EveryNationalCapitalIsThereAndOnlyCapitalsAreFlagged) {
  std::set<std::pair<std::string, std::string>> expected;
  for (const auto& row : shipped::Table("capitals.tsv")) expected.insert({row.at(0), row.at(1)});
  ASSERT_GT(expected.size(), 190u);
  std::set<std::pair<std::string, std::string>> flagged;
  for (const auto& f : EnglishLines()) {
    if (f[kCapital] == "Y") flagged.insert({f[kName], f[kCountry]});
  }
  for (const auto& capital : expected) {
    EXPECT_TRUE(flagged.count(capital)) << capital.first << ", " << capital.second << " is missing or not flagged";
  }
  for (const auto& place : flagged) {
    EXPECT_TRUE(expected.count(place)) << place.first << ", " << place.second << " is flagged as a capital";
  }
}

TEST(CityFiles, SampledPlacesHaveTheirPublishedPositionZoneAndMethod) {
  std::map<std::pair<std::string, std::string>, std::vector<std::string>> byName;
  for (const auto& f : EnglishLines()) byName[{f[kName], f[kCountry]}] = f;
  const auto samples = shipped::Table("city_samples.tsv");
  ASSERT_GE(samples.size(), 20u);
  for (const auto& s : samples) {
    const auto found = byName.find({s.at(0), s.at(1)});
    ASSERT_NE(found, byName.end()) << s[0] << ", " << s[1];
    const auto& f = found->second;
    EXPECT_NEAR(Degrees(f[kLatitude]), Degrees(s.at(2)), 5.01 / 60) << s[0] << " latitude " << f[kLatitude];
    EXPECT_NEAR(Degrees(f[kLongitude]), Degrees(s.at(3)), 5.01 / 60) << s[0] << " longitude " << f[kLongitude];
    EXPECT_EQ(std::stod(f[kZone]), std::stod(s.at(4))) << s[0];
    EXPECT_EQ(f[kDaylight], s.at(5)) << s[0];
    EXPECT_EQ(f[kMethod], s.at(6)) << s[0];
  }
}

// The customary method of a region, checked over every place of a few
// countries rather than one sample each.
TEST(CityFiles, PlacesTakeTheirCountrysCustomaryMethod) {
  const std::map<std::string, std::string> methods = {
      {"Saudi Arabia", "1"}, {"Yemen", "1"},  {"Oman", "1"},     {"Qatar", "1"},         {"Egypt", "3"},
      {"Morocco", "3"},      {"Sudan", "3"},  {"Nigeria", "3"},  {"Pakistan", "2"},      {"India", "2"},
      {"Bangladesh", "2"},   {"Afghanistan", "2"}, {"United States", "4"}, {"Canada", "4"}, {"Turkey", "0"},
      {"France", "0"},       {"United Kingdom", "0"}};
  std::map<std::string, int> seen;
  for (const auto& f : EnglishLines()) {
    const auto method = methods.find(f[kCountry]);
    if (method == methods.end()) continue;
    ++seen[f[kCountry]];
    EXPECT_EQ(f[kMethod], method->second) << f[kName] << ", " << f[kCountry];
  }
  EXPECT_EQ(seen.size(), methods.size());
}

}  // namespace
