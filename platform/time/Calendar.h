#pragma once
// Proleptic Gregorian calendar arithmetic on day counts. Day 0 is
// 30 December 1899, the origin of OLE Automation dates.

#include <cstdint>

namespace calendar {

constexpr bool IsLeapYear(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int DaysInMonth(std::int64_t year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (month == 2 && IsLeapYear(year)) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given date (Howard Hinnant's algorithm); valid
// for every year, negative ones included.
constexpr std::int64_t DaysFromEpoch1970(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// 30 December 1899 counted from 1970-01-01.
inline constexpr std::int64_t kOleEpochFrom1970 = DaysFromEpoch1970(1899, 12, 30);

constexpr std::int64_t DaysFromOleEpoch(std::int64_t y, int m, int d) {
  return DaysFromEpoch1970(y, m, d) - kOleEpochFrom1970;
}

struct CivilDate {
  std::int64_t year;
  int month;  // 1..12
  int day;    // 1..31
};

constexpr CivilDate CivilFromOleDays(std::int64_t days) {
  std::int64_t z = days + kOleEpochFrom1970 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (m <= 2), m, d};
}

// 0 for Sunday to 6 for Saturday; day 0 (30 December 1899) was a Saturday.
constexpr int WeekdayFromOleDays(std::int64_t days) {
  return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

// 1 for 1 January.
constexpr int DayOfYear(std::int64_t y, int m, int d) {
  return static_cast<int>(DaysFromOleEpoch(y, m, d) - DaysFromOleEpoch(y, 1, 1) + 1);
}

}  // namespace calendar
