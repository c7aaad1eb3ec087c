// The hadith files under data/hadith: texts separated by one empty line, as
// the add-in's reader splits them, the same texts in the three languages,
// each ending with its source.

#include <regex>

#include "tests/shipped/ShippedFiles.h"

namespace {

using shipped::kLanguages;

struct Text {
  std::vector<std::string> lines;
};

std::string HadithSource(const char* language) {
  return shipped::Source("hadith", std::string("hadith_") + language + ".txt");
}

// Splits as the add-in does: a text runs up to an empty line or the end.
std::vector<Text> Texts(const std::string& file) {
  std::vector<Text> texts(1);
  for (const auto& line : shipped::Lines(file)) {
    if (line.empty()) texts.emplace_back();
    else texts.back().lines.push_back(line);
  }
  return texts;
}

// The collection names a source line may cite, by language.
const std::regex& SourceLine(int language) {
  static const std::regex forms[] = {
      std::regex("(?:(?:Sahih al-Bukhari|Sahih Muslim|Sunan Abi Dawud|Jami` at-Tirmidhi|Sunan an-Nasa'i|Sunan Ibn Majah) "
                 "\\d+)(?:, (?:Sahih al-Bukhari|Sahih Muslim|Sunan Abi Dawud|Jami` at-Tirmidhi|Sunan an-Nasa'i|"
                 "Sunan Ibn Majah) \\d+)*"),
      std::regex("(?:(?:Sahih al-Boukhari|Sahih Mouslim|Sounan Abi Daoud|Jami' at-Tirmidhi|Sounan an-Nasa'i|Sounan Ibn Maja) "
                 "\\d+)(?:, (?:Sahih al-Boukhari|Sahih Mouslim|Sounan Abi Daoud|Jami' at-Tirmidhi|Sounan an-Nasa'i|"
                 "Sounan Ibn Maja) \\d+)*"),
      std::regex("رواه (?:البخاري|مسلم|أبو داود|الترمذي|النسائي|ابن ماجه) \\(\\d+\\)"
                 "(?: و(?:البخاري|مسلم|أبو داود|الترمذي|النسائي|ابن ماجه) \\(\\d+\\))*")};
  return forms[language];
}

std::vector<std::string> Numbers(const std::string& line) {
  std::vector<std::string> numbers;
  const std::regex number("\\d+");
  for (std::sregex_iterator it(line.begin(), line.end(), number), end; it != end; ++it) numbers.push_back(it->str());
  return numbers;
}

TEST(HadithFiles, HoldAtLeastFortyTextsAndNoMoreThanTheReaderTakes) {
  for (const char* language : kLanguages) {
    const auto texts = Texts(HadithSource(language));
    EXPECT_GE(texts.size(), 40u) << language;
    EXPECT_LE(texts.size(), 100u) << language << ": texts past the hundredth are never shown";
  }
}

// An empty line at the start, a doubled one, or one at the end would each
// make the reader hand out an empty text on some Friday.
TEST(HadithFiles, TextsAreSeparatedByExactlyOneEmptyLine) {
  for (const char* language : kLanguages) {
    const std::string file = HadithSource(language);
    ASSERT_FALSE(file.empty());
    EXPECT_NE(file.front(), '\n') << language;
    EXPECT_EQ(file.find("\n\n\n"), std::string::npos) << language;
    EXPECT_EQ(file.back(), '\n') << language;
    EXPECT_NE(file.substr(file.size() - 2), "\n\n") << language;
    EXPECT_EQ(file.find('\r'), std::string::npos) << language << ": the sources use LF line ends";
    for (const auto& text : Texts(file)) EXPECT_GE(text.lines.size(), 2u) << language << ": a text needs its source";
  }
}

TEST(HadithFiles, LinesStayShortEnoughForTheReadersBuffer) {
  for (const char* language : kLanguages) {
    for (const auto& line : shipped::Lines(HadithSource(language))) {
      // The reader's limit is 8191 characters; the texts keep well below.
      EXPECT_LE(shipped::CodePoints(line), 500u) << language << ": " << line.substr(0, 60);
    }
  }
}

TEST(HadithFiles, EveryTextEndsWithItsCollectionAndNumber) {
  for (int l = 0; l < 3; ++l) {
    for (const auto& text : Texts(HadithSource(kLanguages[l]))) {
      ASSERT_FALSE(text.lines.empty());
      EXPECT_TRUE(std::regex_match(text.lines.back(), SourceLine(l))) << kLanguages[l] << ": " << text.lines.back();
      for (std::size_t i = 0; i + 1 < text.lines.size(); ++i) {
        EXPECT_FALSE(std::regex_match(text.lines[i], SourceLine(l))) << kLanguages[l] << ": source inside a text";
      }
    }
  }
}

// The translations follow the Arabic in the same order: the same hadith
// numbers stand on each text's source line in all three files.
TEST(HadithFiles, TheThreeLanguagesGiveTheSameHadithsInTheSameOrder) {
  const auto english = Texts(HadithSource("en"));
  for (const char* language : {"fr", "ar"}) {
    const auto other = Texts(HadithSource(language));
    ASSERT_EQ(other.size(), english.size()) << language;
    for (std::size_t i = 0; i < english.size(); ++i) {
      ASSERT_FALSE(other[i].lines.empty());
      EXPECT_EQ(Numbers(other[i].lines.back()), Numbers(english[i].lines.back())) << language << " text " << i + 1;
    }
  }
}

}  // namespace
