#include "platform/time/ZonePeriods.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tz {
namespace {

constexpr long kSecondsPerDay = 86400;
constexpr long kHour = 3600;

std::uint32_t Big32(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::int64_t Big64(const unsigned char* p) {
  return static_cast<std::int64_t>((std::uint64_t{Big32(p)} << 32) | Big32(p + 4));
}

// The six counts of a TZif header.
struct Counts {
  std::uint32_t isUt, isStd, leap, time, type, chars;
  // Bytes of the data block that follows the header, with times of the
  // given width.
  std::uint64_t DataSize(int timeBytes) const {
    return std::uint64_t{time} * timeBytes + time + std::uint64_t{type} * 6 + chars +
           std::uint64_t{leap} * (timeBytes + 4) + isStd + isUt;
  }
};

constexpr std::size_t kHeaderSize = 44;

bool ReadHeader(const std::string& bytes, std::size_t at, Counts* counts, char* version) {
  if (bytes.size() < at + kHeaderSize || bytes.compare(at, 4, "TZif") != 0) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  *version = static_cast<char>(p[4]);
  *counts = {Big32(p + 20), Big32(p + 24), Big32(p + 28), Big32(p + 32), Big32(p + 36), Big32(p + 40)};
  return true;
}

// A reader of the POSIX TZ string at the end of a TZif file.
class TzText {
 public:
  explicit TzText(const std::string& text) : m_text(text) {}
  bool AtEnd() const { return m_pos >= m_text.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
  bool Take(char c) {
    if (Peek() != c) return false;
    ++m_pos;
    return true;
  }
  // "EST", or "<+03>" for a name that is not letters.
  bool Name() {
    if (Take('<')) {
      const std::size_t close = m_text.find('>', m_pos);
      if (close == std::string::npos) return false;
      m_pos = close + 1;
      return true;
    }
    const std::size_t start = m_pos;
    while (std::isalpha(static_cast<unsigned char>(Peek()))) ++m_pos;
    return m_pos - start >= 3;
  }
  // [+|-]hh[:mm[:ss]] in seconds, hours up to 167.
  bool Duration(long* seconds) {
    long sign = 1;
    if (Take('-')) sign = -1;
    else Take('+');
    long parts[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
      if (i > 0 && !Take(':')) break;
      if (!std::isdigit(static_cast<unsigned char>(Peek()))) return false;
      long value = 0;
      for (int digits = 0; std::isdigit(static_cast<unsigned char>(Peek())); ++digits) {
        if (digits == 3) return false;
        value = value * 10 + (m_text[m_pos++] - '0');
      }
      parts[i] = value;
    }
    if (parts[0] > 167 || parts[1] > 59 || parts[2] > 59) return false;
    *seconds = sign * (parts[0] * kHour + parts[1] * 60 + parts[2]);
    return true;
  }
  bool Number(int* value, int low, int high) {
    if (!std::isdigit(static_cast<unsigned char>(Peek()))) return false;
    long v = 0;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) {
      v = v * 10 + (m_text[m_pos++] - '0');
      if (v > high) return false;
    }
    if (v < low) return false;
    *value = static_cast<int>(v);
    return true;
  }

 private:
  const std::string& m_text;
  std::size_t m_pos = 0;
};

}  // namespace

bool ZonePeriods::ParseFooter(const std::string& text, Footer* footer) {
  TzText in(text);
  long west = 0;
  if (!in.Name() || !in.Duration(&west)) return false;
  footer->standardOffset = -west;  // POSIX counts west positive
  if (in.AtEnd()) return true;
  if (!in.Name()) return false;
  footer->daylight = true;
  footer->daylightOffset = footer->standardOffset + kHour;
  if (!in.AtEnd() && in.Peek() != ',') {
    if (!in.Duration(&west)) return false;
    footer->daylightOffset = -west;
  }
  const auto rule = [&](Rule* r) {
    if (!in.Take(',')) return false;
    if (in.Take('J')) {
      r->kind = Rule::Kind::kJulianNoLeap;
      if (!in.Number(&r->day, 1, 365)) return false;
    } else if (in.Take('M')) {
      r->kind = Rule::Kind::kMonthWeekDay;
      if (!in.Number(&r->month, 1, 12) || !in.Take('.') || !in.Number(&r->week, 1, 5) || !in.Take('.') ||
          !in.Number(&r->day, 0, 6)) {
        return false;
      }
    } else {
      r->kind = Rule::Kind::kZeroBasedDay;
      if (!in.Number(&r->day, 0, 365)) return false;
    }
    r->time = 2 * kHour;
    return !in.Take('/') || in.Duration(&r->time);
  };
  if (in.AtEnd()) {
    // No rule given: the C library's default, the United States' rule.
    footer->start = {Rule::Kind::kMonthWeekDay, 0, 2, 3, 2 * kHour};
    footer->end = {Rule::Kind::kMonthWeekDay, 0, 1, 11, 2 * kHour};
    return true;
  }
  return rule(&footer->start) && rule(&footer->end) && in.AtEnd();
}

std::optional<ZonePeriods> ZonePeriods::Parse(const std::string& bytes, std::string* error) {
  Counts counts{};
  char version = 0;
  if (!ReadHeader(bytes, 0, &counts, &version)) {
    *error = "not a compiled zone file (no TZif header)";
    return std::nullopt;
  }
  std::size_t at = kHeaderSize;
  int timeBytes = 4;
  if (version >= '2') {
    // Version 2 and later repeat the data with 64-bit times, then the rule.
    const std::uint64_t skip = counts.DataSize(4);
    if (skip > bytes.size() - at || !ReadHeader(bytes, at + skip, &counts, &version)) {
      *error = "the zone file is cut short";
      return std::nullopt;
    }
    at += skip + kHeaderSize;
    timeBytes = 8;
  }
  if (counts.type == 0 || counts.DataSize(timeBytes) > bytes.size() - at) {
    *error = "the zone file is cut short";
    return std::nullopt;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  const unsigned char* indices = p + std::size_t{counts.time} * timeBytes;
  const unsigned char* types = indices + counts.time;
  const auto offsetOf = [&](std::uint32_t type) {
    return static_cast<long>(static_cast<std::int32_t>(Big32(types + std::size_t{type} * 6)));
  };

  ZonePeriods zone;
  zone.m_firstOffset = offsetOf(0);
  zone.m_transitions.reserve(counts.time);
  for (std::uint32_t i = 0; i < counts.time; ++i) {
    const std::int64_t when = timeBytes == 8 ? Big64(p + std::size_t{i} * 8)
                                             : static_cast<std::int32_t>(Big32(p + std::size_t{i} * 4));
    if (indices[i] >= counts.type || (!zone.m_transitions.empty() && when <= zone.m_transitions.back().at)) {
      *error = "the zone file's transitions are out of order";
      return std::nullopt;
    }
    zone.m_transitions.push_back({when, offsetOf(indices[i])});
  }
  if (timeBytes == 8) {
    const std::size_t footerAt = at + counts.DataSize(8);
    const std::size_t open = bytes.find('\n', footerAt);
    const std::size_t close = open == std::string::npos ? open : bytes.find('\n', open + 1);
    if (open == footerAt && close != std::string::npos && close > open + 1) {
      Footer footer;
      if (!ParseFooter(bytes.substr(open + 1, close - open - 1), &footer)) {
        *error = "the zone file's closing rule cannot be read";
        return std::nullopt;
      }
      zone.m_footer = footer;
    }
  }
  return zone;
}

std::optional<ZonePeriods> ZonePeriods::Load(const std::string& zone, std::string* error) {
  // A zone name is a relative path of letters, digits and _ + - / only.
  const bool plain = !zone.empty() && zone.front() != '/' && zone.find("..") == std::string::npos &&
                     std::all_of(zone.begin(), zone.end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '+' ||
                              c == '-' || c == '/';
                     });
  if (!plain) {
    *error = "\"" + zone + "\" is not the name of a time zone";
    return std::nullopt;
  }
  const char* dir = std::getenv("TZDIR");
  const std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo") + "/" + zone;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "no time zone " + zone + " (" + path + " cannot be read)";
    return std::nullopt;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::optional<ZonePeriods> periods = Parse(bytes, error);
  if (!periods) {
    *error = path + ": " + *error;
    return std::nullopt;
  }
  periods->m_name = zone;
  return periods;
}

std::int64_t ZonePeriods::RuleMoment(const Rule& rule, std::int64_t year, long offsetBefore) {
  std::int64_t day = calendar::DaysFromEpoch1970(year, 1, 1);
  switch (rule.kind) {
    case Rule::Kind::kJulianNoLeap:
      day += rule.day - 1 + (calendar::IsLeapYear(year) && rule.day >= 60 ? 1 : 0);
      break;
    case Rule::Kind::kZeroBasedDay:
      day += rule.day;
      break;
    case Rule::Kind::kMonthWeekDay: {
      const std::int64_t first = calendar::DaysFromEpoch1970(year, rule.month, 1);
      const int firstWeekday = static_cast<int>(((first + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
      int date = 1 + (rule.day - firstWeekday + 7) % 7 + 7 * (rule.week - 1);
      while (date > calendar::DaysInMonth(year, rule.month)) date -= 7;  // week 5: the last one
      day = first + date - 1;
      break;
    }
  }
  return day * kSecondsPerDay + rule.time - offsetBefore;
}

long ZonePeriods::FooterOffsetAt(std::int64_t utcSeconds) const {
  const Footer& f = *m_footer;
  if (!f.daylight) return f.standardOffset;
  const std::int64_t localDays = (utcSeconds + f.standardOffset) / kSecondsPerDay -
                                 ((utcSeconds + f.standardOffset) % kSecondsPerDay < 0 ? 1 : 0);
  const std::int64_t year = calendar::CivilFromOleDays(localDays - calendar::kOleEpochFrom1970).year;
  const std::int64_t start = RuleMoment(f.start, year, f.standardOffset);
  const std::int64_t end = RuleMoment(f.end, year, f.daylightOffset);
  const bool daylight = start < end ? (start <= utcSeconds && utcSeconds < end)
                                    : !(end <= utcSeconds && utcSeconds < start);  // southern summer
  return daylight ? f.daylightOffset : f.standardOffset;
}

long ZonePeriods::OffsetAt(std::int64_t utcSeconds) const {
  const auto after = std::upper_bound(m_transitions.begin(), m_transitions.end(), utcSeconds,
                                      [](std::int64_t t, const Transition& tr) { return t < tr.at; });
  if (after == m_transitions.end() && m_footer) return FooterOffsetAt(utcSeconds);
  if (after == m_transitions.begin()) return m_firstOffset;
  return std::prev(after)->offset;
}

std::vector<DayPeriod> ZonePeriods::DaylightPeriods(int year, double standardHours) const {
  const long standard = std::lround(standardHours * kHour);
  std::vector<DayPeriod> periods;
  bool inside = false;
  const std::int64_t first = calendar::DaysFromEpoch1970(year, 1, 1);
  const std::int64_t last = calendar::DaysFromEpoch1970(year, 12, 31);
  for (std::int64_t day = first; day <= last; ++day) {
    const bool ahead = OffsetAt(day * kSecondsPerDay + 12 * kHour - standard) > standard;
    const calendar::CivilDate date = calendar::CivilFromOleDays(day - calendar::kOleEpochFrom1970);
    if (ahead && !inside) periods.push_back({date, date});
    if (ahead) periods.back().last = date;
    inside = ahead;
  }
  return periods;
}

}  // namespace tz
