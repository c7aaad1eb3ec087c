#include "host/store/FilterDate.h"

#include <array>
#include <cstdlib>
#include <mutex>

#include "host/store/DateSeconds.h"
#include "platform/nls/Nls.h"
#include "platform/registry/Registry.h"
#include "platform/text/CaseFold.h"
#include "platform/text/TextConvert.h"
#include "platform/time/Calendar.h"
#include "platform/time/SystemTime.h"

namespace host {
namespace {

constexpr int kMaxDigits = 4;

// A Hijri date is found by formatting the Gregorian days around a first
// guess in the user's calendar until one reads back as the text did. The
// guess (the arithmetic Hijri calendar) is within two days of ICU's
// calendar, and the user's adjustment moves dates by two days at most.
constexpr int kHijriSearchDays = 6;

std::string LocaleText(LCTYPE type) {
  char16_t buffer[64] = {};
  if (GetLocaleInfo(LOCALE_USER_DEFAULT, type, buffer, 64) == 0) return {};
  return text::Utf16ToUtf8(buffer);
}

// Arabic text may carry direction marks and Arabic-Indic digits; the date is
// read the same without the marks and with ASCII digits.
std::string Normalize(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size();) {
    const auto b0 = static_cast<unsigned char>(in[i]);
    const auto b1 = i + 1 < in.size() ? static_cast<unsigned char>(in[i + 1]) : 0;
    const auto b2 = i + 2 < in.size() ? static_cast<unsigned char>(in[i + 2]) : 0;
    if (b0 == 0xD9 && b1 >= 0xA0 && b1 <= 0xA9) {  // U+0660..U+0669
      out.push_back(static_cast<char>('0' + (b1 - 0xA0)));
      i += 2;
    } else if (b0 == 0xDB && b1 >= 0xB0 && b1 <= 0xB9) {  // U+06F0..U+06F9
      out.push_back(static_cast<char>('0' + (b1 - 0xB0)));
      i += 2;
    } else if (b0 == 0xD8 && b1 == 0x9C) {  // U+061C ARABIC LETTER MARK
      i += 2;
    } else if (b0 == 0xE2 && b1 == 0x80 && (b2 == 0x8E || b2 == 0x8F)) {  // LRM, RLM
      i += 3;
    } else if (b0 == 0xC2 && b1 == 0xA0) {  // no-break space
      out.push_back(' ');
      i += 2;
    } else {
      out.push_back(static_cast<char>(b0));
      ++i;
    }
  }
  return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }
  std::size_t Position() const { return pos_; }
  void Reset(std::size_t pos) { pos_ = pos; }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  std::string_view Rest() const { return text_.substr(pos_); }

  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
  }
  bool Take(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }
  std::optional<int> Number() {
    int value = 0;
    int digits = 0;
    while (!AtEnd() && IsDigit(text_[pos_])) {
      if (++digits > kMaxDigits) return std::nullopt;
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
    }
    if (digits == 0) return std::nullopt;
    return value;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

struct DateParts {
  int year;
  int month;
  int day;
};

// Three numbers with the same separator between them, in the locale's order.
std::optional<DateParts> ReadDateParts(Scanner& in, int order) {
  std::array<int, 3> n{};
  char separator = '\0';
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      const char c = in.Peek();
      if (c != '/' && c != '-' && c != '.') return std::nullopt;
      if (i == 1) separator = c;
      if (c != separator) return std::nullopt;
      in.Take(c);
    }
    const std::optional<int> value = in.Number();
    if (!value) return std::nullopt;
    n[static_cast<std::size_t>(i)] = *value;
  }
  switch (order) {
    case 1:
      return DateParts{n[2], n[1], n[0]};
    case 2:
      return DateParts{n[0], n[1], n[2]};
    default:
      return DateParts{n[2], n[0], n[1]};
  }
}

bool MatchesAny(std::string_view word, const std::vector<std::string>& designators,
                const char* english) {
  if (text::EqualIgnoringCase(word, english)) return true;
  for (const std::string& d : designators) {
    if (!d.empty() && text::EqualIgnoringCase(word, d)) return true;
  }
  return false;
}

// "hh:mm" or "hh:mm:ss", then nothing or a designator; seconds into the day.
std::optional<std::int64_t> ReadTime(Scanner& in, const DateReading& reading) {
  const std::optional<int> hour = in.Number();
  if (!hour || !in.Take(':')) return std::nullopt;
  const std::optional<int> minute = in.Number();
  if (!minute) return std::nullopt;
  std::optional<int> second = 0;
  if (in.Take(':')) second = in.Number();
  if (!second || *minute > 59 || *second > 59) return std::nullopt;
  in.SkipBlanks();
  std::string_view designator = in.Rest();
  while (!designator.empty() && IsBlank(designator.back())) designator.remove_suffix(1);
  int h = *hour;
  if (designator.empty()) {
    if (h > 23) return std::nullopt;
  } else {
    const bool am = MatchesAny(designator, reading.amDesignators, "AM");
    const bool pm = MatchesAny(designator, reading.pmDesignators, "PM");
    // A locale whose two designators are the same word leaves the hour unknown.
    if (am == pm || h > 12) return std::nullopt;
    if (h == 12) h = 0;
    if (pm) h += 12;
  }
  in.Reset(in.Position() + in.Rest().size());
  return static_cast<std::int64_t>(h) * 3600 + *minute * 60 + *second;
}

std::optional<std::int64_t> GregorianDays(DateParts date) {
  // Two-digit years as OLE Automation reads them: 0-29 are 2000-2029.
  if (date.year < 30) {
    date.year += 2000;
  } else if (date.year < 100) {
    date.year += 1900;
  }
  if (date.year < 100 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > calendar::DaysInMonth(date.year, date.month)) {
    return std::nullopt;
  }
  return calendar::DaysFromOleEpoch(date.year, date.month, date.day);
}

// The user's calendar's date of the Gregorian day, read back from the
// locale's own formatting.
std::optional<DateParts> UserCalendarDate(std::int64_t days) {
  const calendar::CivilDate civil = calendar::CivilFromOleDays(days);
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(civil.year);
  st.wMonth = static_cast<WORD>(civil.month);
  st.wDay = static_cast<WORD>(civil.day);
  char16_t buffer[32] = {};
  if (GetDateFormat(LOCALE_USER_DEFAULT, 0, &st, u"yyyy'/'MM'/'dd", buffer, 32) == 0) {
    return std::nullopt;
  }
  const std::string formatted = Normalize(text::Utf16ToUtf8(buffer));
  Scanner in(formatted);
  std::optional<DateParts> parts = ReadDateParts(in, 2);
  if (!in.AtEnd()) return std::nullopt;
  return parts;
}

std::optional<std::int64_t> HijriDays(const DateParts& date) {
  if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > 30) {
    return std::nullopt;
  }
  // The arithmetic calendar: 1 Muharram 1 was 16 July 622 (Julian).
  const std::int64_t guess = date.day + (59 * (date.month - 1) + 1) / 2 +
                             static_cast<std::int64_t>(date.year - 1) * 354 +
                             (3 + 11 * static_cast<std::int64_t>(date.year)) / 30 - 466580;
  for (int step = 0; step <= 2 * kHijriSearchDays; ++step) {
    const std::int64_t days = guess + (step % 2 == 0 ? step / 2 : -(step + 1) / 2);
    if (days < static_cast<std::int64_t>(kMinVariantDate) ||
        days > static_cast<std::int64_t>(kMaxVariantDate)) {
      continue;
    }
    const std::optional<DateParts> back = UserCalendarDate(days);
    if (back && back->year == date.year && back->month == date.month && back->day == date.day) {
      return days;
    }
  }
  return std::nullopt;
}

std::int64_t Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return calendar::DaysFromOleEpoch(now.wYear, now.wMonth, now.wDay);
}

DateReading ReadUserLocale() {
  DateReading reading;
  const std::string order = LocaleText(LOCALE_IDATE);
  if (order == "1") reading.order = 1;
  if (order == "2") reading.order = 2;
  reading.amDesignators.push_back(LocaleText(LOCALE_S1159));
  reading.pmDesignators.push_back(LocaleText(LOCALE_S2359));
  reading.hijri = LocaleText(LOCALE_ICALENDARTYPE) == std::to_string(CAL_HIJRI);
  return reading;
}

}  // namespace

DateReading DateReading::ForUserLocale() {
  // The locale's items live in the registry; reading them for every filter
  // cost more than running the query. Kept while the registry is unchanged.
  static std::mutex mutex;
  static std::uint64_t keptStamp = 0;
  static DateReading* kept = new DateReading();
  const std::uint64_t stamp = registry::ChangeStamp();
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (stamp != 0 && stamp == keptStamp) return *kept;
  }
  DateReading reading = ReadUserLocale();
  std::lock_guard<std::mutex> lock(mutex);
  // Taken before reading: a change since gives the next call another stamp.
  *kept = reading;
  keptStamp = stamp;
  return reading;
}

std::optional<std::int64_t> ReadFilterDate(std::string_view text, const DateReading& reading) {
  const std::string normalized = Normalize(text);
  Scanner in(normalized);
  in.SkipBlanks();

  std::optional<std::int64_t> days;
  const std::size_t start = in.Position();
  if (const std::optional<DateParts> date = ReadDateParts(in, reading.order)) {
    days = reading.hijri ? HijriDays(*date) : GregorianDays(*date);
    if (!days) return std::nullopt;
    if (!in.AtEnd() && !IsBlank(in.Peek())) return std::nullopt;
    in.SkipBlanks();
  } else {
    in.Reset(start);
  }

  std::int64_t timeOfDay = 0;
  if (!in.AtEnd()) {
    const std::optional<std::int64_t> time = ReadTime(in, reading);
    if (!time) return std::nullopt;
    timeOfDay = *time;
    if (!days) days = Today();
  }
  if (!days) return std::nullopt;
  return *days * kSecondsPerDay + timeOfDay;
}

}  // namespace host
