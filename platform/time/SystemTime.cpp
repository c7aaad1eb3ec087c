#include "platform/time/SystemTime.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/time/Calendar.h"

namespace {

bool ParseIsoLocalTime(const char* text, SYSTEMTIME* st) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char sep = 0;
  int consumed = 0;
  const int n = std::sscanf(text, "%4d-%2d-%2d%c%2d:%2d:%2d%n", &y, &mo, &d, &sep, &h,
                            &mi, &s, &consumed);
  if (n == 3) {
    sep = 'T';
  } else if (n == 6) {
    s = 0;
  } else if (n != 7) {
    return false;
  }
  if ((sep != 'T' && sep != ' ') || y < 1601 || y > 9999 || mo < 1 || mo > 12 || d < 1 ||
      d > calendar::DaysInMonth(y, mo) || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 ||
      s < 0) {
    return false;
  }
  st->wYear = static_cast<WORD>(y);
  st->wMonth = static_cast<WORD>(mo);
  st->wDay = static_cast<WORD>(d);
  st->wHour = static_cast<WORD>(h);
  st->wMinute = static_cast<WORD>(mi);
  st->wSecond = static_cast<WORD>(s);
  st->wMilliseconds = 0;
  st->wDayOfWeek = static_cast<WORD>(calendar::WeekdayFromOleDays(calendar::DaysFromOleEpoch(y, mo, d)));
  return true;
}

void ReportUnreadable(const char* fixed) {
  std::fprintf(stderr, "ORVANE_NOW=\"%s\" is not an ISO 8601 local time; using the clock\n", fixed);
}

// Whether this module has said so already: the clock is read many times a run.
std::atomic<bool> g_reported{false};

}  // namespace

void SettleFixedNow() {
  const char* fixed = std::getenv("ORVANE_NOW");
  SYSTEMTIME st;
  if (fixed == nullptr || *fixed == '\0' || ParseIsoLocalTime(fixed, &st)) return;
  ReportUnreadable(fixed);
  g_reported = true;
  unsetenv("ORVANE_NOW");
}

void GetLocalTime(SYSTEMTIME* st) {
  if (const char* fixed = std::getenv("ORVANE_NOW"); fixed != nullptr && *fixed != '\0') {
    if (ParseIsoLocalTime(fixed, st)) return;
    if (!g_reported.exchange(true)) ReportUnreadable(fixed);
  }
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  st->wYear = static_cast<WORD>(local.tm_year + 1900);
  st->wMonth = static_cast<WORD>(local.tm_mon + 1);
  st->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  st->wDay = static_cast<WORD>(local.tm_mday);
  st->wHour = static_cast<WORD>(local.tm_hour);
  st->wMinute = static_cast<WORD>(local.tm_min);
  st->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
  st->wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
}
