#include "platform/com/VariantTime.h"

#include <cmath>
#include <cstdint>

#include "platform/time/Calendar.h"

BOOL SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* date) {
  if (st == nullptr || date == nullptr) return FALSE;
  std::int64_t year = st->wYear;
  if (year < 30) {
    year += 2000;
  } else if (year < 100) {
    year += 1900;
  }
  if (year > 9999 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 || st->wDay > 31 ||
      st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59) {
    return FALSE;
  }
  // Counting from the first of the month lets an overlong day run on into the
  // next month instead of failing.
  const std::int64_t days = calendar::DaysFromOleEpoch(year, st->wMonth, 1) + (st->wDay - 1);
  if (days < static_cast<std::int64_t>(kMinVariantDate) ||
      days > static_cast<std::int64_t>(kMaxVariantDate)) {
    return FALSE;
  }
  const double time = (st->wHour * 3600.0 + st->wMinute * 60.0 + st->wSecond) / 86400.0;
  *date = days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
  return TRUE;
}

bool SplitVariantTime(DATE date, std::int64_t* days, std::int32_t* seconds) {
  if (std::isnan(date) || date < kMinVariantDate || date >= kMaxVariantDate + 1.0) return false;
  const double whole = std::trunc(date);
  auto day = static_cast<std::int64_t>(whole);
  auto second = static_cast<std::int64_t>(std::floor(std::fabs(date - whole) * 86400.0 + 0.5));
  if (second >= 86400) {
    // Rounding carried into the next calendar day; the fraction counts forward
    // for negative dates too, so the next day is one more in either case.
    second -= 86400;
    day += 1;
  }
  if (day > static_cast<std::int64_t>(kMaxVariantDate)) return false;
  *days = day;
  *seconds = static_cast<std::int32_t>(second);
  return true;
}

BOOL VariantTimeToSystemTime(DATE date, SYSTEMTIME* st) {
  std::int64_t days = 0;
  std::int32_t seconds = 0;
  if (st == nullptr || !SplitVariantTime(date, &days, &seconds)) return FALSE;
  const calendar::CivilDate civil = calendar::CivilFromOleDays(days);
  st->wYear = static_cast<WORD>(civil.year);
  st->wMonth = static_cast<WORD>(civil.month);
  st->wDay = static_cast<WORD>(civil.day);
  st->wDayOfWeek = static_cast<WORD>(calendar::WeekdayFromOleDays(days));
  st->wHour = static_cast<WORD>(seconds / 3600);
  st->wMinute = static_cast<WORD>(seconds / 60 % 60);
  st->wSecond = static_cast<WORD>(seconds % 60);
  st->wMilliseconds = 0;
  return TRUE;
}
