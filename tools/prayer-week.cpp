// Prints the six prayer times of seven days, from today, for one place.
// Defaults to Mecca under Umm al-Qura; see --help.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "calc/PrayerEngine.h"

namespace {

void PrintUsage(FILE* out) {
  std::fputs(
      "usage: prayer-week [--lon DEG_WEST] [--lat DEG_NORTH] [--tz HOURS_EAST]\n"
      "                   [--method 0..5] [--asr 0|1] [--days N] [--from YYYY-MM-DD]\n"
      "Prints the times of Fajr, Shorouk, Zuhr, Asr, Maghrib and Isha.\n"
      "Defaults: Mecca (21 25' N, 39 49' E, UTC+3, Umm al-Qura), 7 days from today\n"
      "(today is ORVANE_NOW when that is set). Longitudes are positive WEST.\n"
      "Methods: 0 Egypt, 1 ISNA, 2 Umm al-Qura, 3 Karachi, 4 Muslim World League, 5 custom.\n",
      out);
}

bool ParseNumber(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

std::string HourMinute(const COleDate& time) {
  if (!time.IsValid()) return "--:--";
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d:%02d", time.GetHour(), time.GetMinute());
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  CalcParams params;
  params.Longitude = -(39.0 + 49.0 / 60.0);
  params.Latitude = 21.0 + 25.0 / 60.0;
  params.TimeZone = 3.0;
  params.Method = eQurah;
  double days = 7;
  COleDate from = COleDate::Now();

  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      PrintUsage(stdout);
      return 0;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "prayer-week: %s needs a value (see --help)\n", arg);
      return 2;
    }
    const char* value = argv[++i];
    double number = 0;
    bool ok = true;
    if (std::strcmp(arg, "--from") == 0) {
      int y = 0, m = 0, d = 0;
      ok = std::sscanf(value, "%d-%d-%d", &y, &m, &d) == 3 && y >= 100 &&
           from.SetDateTime(y, m, d, 0, 0, 0);
    } else if ((ok = ParseNumber(value, &number))) {
      if (std::strcmp(arg, "--lon") == 0) params.Longitude = number;
      else if (std::strcmp(arg, "--lat") == 0) params.Latitude = number;
      else if (std::strcmp(arg, "--tz") == 0) params.TimeZone = number;
      else if (std::strcmp(arg, "--method") == 0) params.Method = static_cast<int>(number);
      else if (std::strcmp(arg, "--asr") == 0) params.AsrMethod = static_cast<int>(number);
      else if (std::strcmp(arg, "--days") == 0 && number >= 1 && number <= 36600) days = number;
      else ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "prayer-week: bad value \"%s\" for %s (see --help)\n", value, arg);
      return 2;
    }
  }

  COleDate day;
  day.SetDateTime(from.GetYear(), from.GetMonth(), from.GetDay(), 0, 0, 0);
  std::printf("%-10s %-3s", "date", "");
  for (const char* name : kDayTimeNames) std::printf(" %-7s", name);
  std::printf("\n");
  static const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  for (int i = 0; i < static_cast<int>(days); ++i, day += COleDateSpan(1.0)) {
    const DayTimes times = ComputeDayTimes(params, day);
    std::printf("%04d-%02d-%02d %s", day.GetYear(), day.GetMonth(), day.GetDay(),
                kWeekdays[day.GetDayOfWeek() - 1]);
    for (const COleDate& t : times) std::printf(" %-7s", HourMinute(t).c_str());
    std::printf("\n");
  }
  return 0;
}
