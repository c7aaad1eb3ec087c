#include "platform/nls/IcuPattern.h"

#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>

#include <map>
#include <memory>
#include <mutex>

namespace nls {
namespace {

constexpr char16_t kLeftToRightMark = u'\u200E';
constexpr char16_t kRightToLeftMark = u'\u200F';
constexpr char16_t kArabicLetterMark = u'\u061C';

bool IsBidiMark(char16_t c) {
  return c == kLeftToRightMark || c == kRightToLeftMark || c == kArabicLetterMark;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The Windows picture for a run of one ICU field letter; empty when Windows
// has no such field.
std::u16string WindowsField(char16_t letter, int count) {
  switch (letter) {
    case u'd':
      return count == 1 ? u"d" : u"dd";
    case u'E':
    case u'c':
    case u'e':
      return count >= 4 ? u"dddd" : u"ddd";
    case u'M':
    case u'L':
      return count == 1 ? u"M" : count == 2 ? u"MM" : count == 3 ? u"MMM" : u"MMMM";
    case u'y':
    case u'Y':
    case u'u':
      // ICU's single y is the whole year; two is the last two digits.
      return count == 2 ? u"yy" : u"yyyy";
    case u'G':
      return u"gg";
    case u'h':
    case u'K':
      return count == 1 ? u"h" : u"hh";
    case u'H':
    case u'k':
      return count == 1 ? u"H" : u"HH";
    case u'm':
      return count == 1 ? u"m" : u"mm";
    case u's':
      return count == 1 ? u"s" : u"ss";
    case u'a':
    case u'b':
    case u'B':
      return u"tt";
    default:
      return {};
  }
}

// Text that Windows would read as a field is quoted; the rest goes as it is.
void AppendLiteral(std::u16string_view text, std::u16string* picture) {
  bool needsQuotes = false;
  for (char16_t c : text) needsQuotes = needsQuotes || IsAsciiLetter(c) || c == u'\'';
  if (!needsQuotes) {
    picture->append(text);
    return;
  }
  picture->push_back(u'\'');
  for (char16_t c : text) {
    if (c == u'\'') picture->push_back(u'\'');
    picture->push_back(c);
  }
  picture->push_back(u'\'');
}

// Removes the blanks left at either end once fields were dropped.
std::u16string Trimmed(std::u16string text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  const std::size_t last = text.find_last_not_of(u' ');
  return text.substr(first, last - first + 1);
}

std::u16string PatternOf(icu::DateFormat* format) {
  auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format);
  if (simple == nullptr) return {};
  icu::UnicodeString pattern;
  simple->toPattern(pattern);
  return std::u16string(pattern.getBuffer(), static_cast<std::size_t>(pattern.length()));
}

IcuPictures ReadPictures(const std::string& icuName) {
  // Our table's locales and the rest write Gregorian dates by default;
  // ICU's Saudi and Persian defaults are other calendars.
  const icu::Locale locale((icuName + "@calendar=gregorian").c_str());
  IcuPictures pictures;
  std::unique_ptr<icu::DateFormat> shortDate(
      icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
  std::unique_ptr<icu::DateFormat> longDate(
      icu::DateFormat::createDateInstance(icu::DateFormat::kFull, locale));
  std::unique_ptr<icu::DateFormat> time(
      icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, locale));
  pictures.shortDate = PictureFromIcuPattern(PatternOf(shortDate.get()));
  pictures.longDate = PictureFromIcuPattern(PatternOf(longDate.get()));
  pictures.time = PictureFromIcuPattern(PatternOf(time.get()));
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::DateTimePatternGenerator> generator(
      icu::DateTimePatternGenerator::createInstance(locale, status));
  if (U_SUCCESS(status)) {
    const icu::UnicodeString yearMonth = generator->getBestPattern(u"yMMMM", status);
    if (U_SUCCESS(status)) {
      pictures.yearMonth = PictureFromIcuPattern(
          std::u16string_view(yearMonth.getBuffer(), static_cast<std::size_t>(yearMonth.length())));
    }
  }
  // Windows never leaves a locale without pictures.
  if (pictures.shortDate.empty()) pictures.shortDate = u"M/d/yyyy";
  if (pictures.longDate.empty()) pictures.longDate = u"dddd, MMMM d, yyyy";
  if (pictures.yearMonth.empty()) pictures.yearMonth = u"MMMM yyyy";
  if (pictures.time.empty()) pictures.time = u"HH:mm:ss";
  return pictures;
}

}  // namespace

std::u16string PictureFromIcuPattern(std::u16string_view pattern) {
  std::u16string picture;
  std::u16string literal;
  auto flushLiteral = [&] {
    AppendLiteral(literal, &picture);
    literal.clear();
  };
  for (std::size_t i = 0; i < pattern.size();) {
    const char16_t c = pattern[i];
    if (c == u'\'') {
      // ICU quotes like Windows: '' is a quote, '...' is text.
      if (i + 1 < pattern.size() && pattern[i + 1] == u'\'') {
        literal.push_back(u'\'');
        i += 2;
        continue;
      }
      for (++i; i < pattern.size(); ++i) {
        if (pattern[i] == u'\'') {
          if (i + 1 < pattern.size() && pattern[i + 1] == u'\'') {
            literal.push_back(u'\'');
            ++i;
            continue;
          }
          ++i;
          break;
        }
        literal.push_back(pattern[i]);
      }
      continue;
    }
    if (IsAsciiLetter(c)) {
      std::size_t end = i;
      while (end < pattern.size() && pattern[end] == c) ++end;
      const std::u16string field = WindowsField(c, static_cast<int>(end - i));
      if (!field.empty()) {
        flushLiteral();
        picture += field;
      }
      i = end;
      continue;
    }
    if (!IsBidiMark(c)) literal.push_back(c);
    ++i;
  }
  flushLiteral();
  return Trimmed(std::move(picture));
}

const IcuPictures& IcuPicturesFor(const std::string& icuName) {
  static std::mutex mutex;
  static auto* cache = new std::map<std::string, IcuPictures>();
  std::lock_guard<std::mutex> lock(mutex);
  auto found = cache->find(icuName);
  if (found == cache->end()) found = cache->emplace(icuName, ReadPictures(icuName)).first;
  return found->second;
}

}  // namespace nls
