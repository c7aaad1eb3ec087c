// orvane calc: the six prayer times of one or more days, computed by the
// registered PrayerCalculator class as any automation client would.

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <iterator>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "host/CityLookup.h"
#include "host/CommandLine.h"
#include "host/Commands.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/VariantTime.h"
#include "platform/registry/Registry.h"
#include "platform/time/ZonePeriods.h"
#include "resources/OrvaneTypeLib.h"

namespace {

void PrintCalcHelp() {
  std::puts(
      "usage: orvane calc (--city NAME | --longitude L --latitude B --timezone Z)\n"
      "                   [--method M] [--school S] [--daylight MM-DD MM-DD | --no-daylight]\n"
      "                   [--high-latitude R] [--date YYYY-MM-DD] [--days N]\n"
      "Prints one line per day: the date, then Fajr, Shorouk, Zuhr, Asr, Maghrib and\n"
      "Isha as HH:MM (--:-- where there is no valid time); a time that falls on the\n"
      "next day (an Isha after midnight) ends in +1, one on the day before in -1.\n"
      "  NAME  the first city of the add-in's city file whose name (\"Cairo, Egypt\")\n"
      "        begins with NAME, ignoring case; gives L, B, Z and M unless given, and\n"
      "        the summer time of the city's zone when the city keeps one\n"
      "  L  degrees, positive WEST, or a number followed by E or W (31.25E)\n"
      "  B  degrees, positive north, or a number followed by N or S (30.05N)\n"
      "  Z  hours east of Greenwich, fractions allowed (5.5)\n"
      "  M  eEgypt, eISNA, eQurah, eKarachi, eWIL, eCustom or a number (default eEgypt)\n"
      "  S  eShafii, eHanafi or a number (default eShafii)\n"
      "  --daylight  first and last day on which clocks are one hour ahead;\n"
      "              without it (and without --city) daylight saving is off\n"
      "  --no-daylight  standard time all year, also for a city that keeps summer time\n"
      "  R  where the sun does not reach the twilight angle, and above 48 degrees:\n"
      "     seventh (Isha a seventh of the night after sunset, Fajr before sunrise;\n"
      "     the default), middle (both at the middle of the night) or angle (the\n"
      "     method's angle over 60 of the night)\n"
      "  --date      the first day (default today); --days how many (default 1)\n"
      "The calculator must be registered first: orvane install.");
}

// A number, or a number followed by the letter of the positive or the
// negative direction.
std::optional<double> ParseCoordinate(std::string text, char positive, char negative) {
  double sign = 1.0;
  if (!text.empty()) {
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    if (last == positive || last == negative) {
      sign = last == positive ? 1.0 : -1.0;
      text.pop_back();
    }
  }
  const auto value = cli::ParseNumber(text);
  if (!value) return std::nullopt;
  return sign * *value;
}

struct NamedValue {
  const char* name;
  long value;
};
constexpr NamedValue kMethods[] = {{"eEgypt", eEgypt},   {"eISNA", eISNA}, {"eQurah", eQurah},
                                   {"eKarachi", eKarachi}, {"eWIL", eWIL},   {"eCustom", eCustom}};
constexpr NamedValue kSchools[] = {{"eShafii", eShafii}, {"eHanafi", eHanafi}};

template <std::size_t N>
std::optional<long> ParseNamed(const std::string& text, const NamedValue (&names)[N]) {
  for (const NamedValue& named : names) {
    if (text == named.name) return named.value;
  }
  return cli::ParseInteger(text);
}

bool ParseMonthDay(const std::string& text, int* month, int* day) {
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%2d-%2d%n", month, day, &consumed) != 2 ||
      consumed != static_cast<int>(text.size())) {
    return false;
  }
  return *month >= 1 && *month <= 12 && *day >= 1 && *day <= 31;
}

// Year 0 is read as 2000, a leap year, so that 29 February can be given.
DATE MonthDayDate(int month, int day) {
  SYSTEMTIME st;
  st.wYear = 0;
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  DATE date = 0;
  SystemTimeToVariantTime(&st, &date);
  return date;
}

// The value, below 10^width, in `width` digits with leading zeros.
void AppendDigits(std::string* line, unsigned value, int width) {
  char digits[4];
  for (int i = width; i-- > 0; value /= 10) digits[i] = static_cast<char>('0' + value % 10);
  line->append(digits, static_cast<std::size_t>(width));
}

// HH:MM of the time, with +1 or -1 when it falls on the day after or before
// the line's date (a day count, as the time's). Written by hand rather than
// through printf and the calendar fields: a century prints 219,000 of them.
void AppendTime(std::string* line, DATE time, std::int64_t lineDay) {
  std::int64_t day = 0;
  std::int32_t second = 0;
  if (!(time >= -657434.0 && time <= 2958465.0) || !SplitVariantTime(time, &day, &second)) {
    line->append(" --:--");
    return;
  }
  line->push_back(' ');
  AppendDigits(line, static_cast<unsigned>(second / 3600 % 100), 2);
  line->push_back(':');
  AppendDigits(line, static_cast<unsigned>(second / 60 % 60), 2);
  if (day != lineDay) line->append(day > lineDay ? "+1" : "-1");
}

// Degrees with their direction, "31.25 E", to at most four places.
std::string Degrees(double value, char positive, char negative) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", std::fabs(value));
  std::string degrees = text;
  degrees.erase(degrees.find_last_not_of('0') + 1);
  if (degrees.back() == '.') degrees.pop_back();
  return degrees + " " + (value < 0 ? negative : positive);
}

std::string DayText(const calendar::CivilDate& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(day.year), day.month, day.day);
  return text;
}

struct NamedRule {
  const char* name;
  HighLatitudeRule rule;
};
constexpr NamedRule kRules[] = {
    {"seventh", eSeventhOfNight}, {"middle", eMiddleOfNight}, {"angle", eTwilightAngle}};

// A city's summer time: its zone's days ahead of the city's standard time,
// year by year.
class SummerTime {
 public:
  SummerTime(tz::ZonePeriods zone, double standardHours) : m_zone(std::move(zone)), m_standard(standardHours) {}
  const std::string& ZoneName() const { return m_zone.Name(); }
  const std::vector<tz::DayPeriod>& Year(int year) {
    auto found = m_years.find(year);
    if (found == m_years.end()) found = m_years.emplace(year, m_zone.DaylightPeriods(year, m_standard)).first;
    return found->second;
  }
  bool IsAhead(const SYSTEMTIME& day) {
    const std::int64_t d = calendar::DaysFromEpoch1970(day.wYear, day.wMonth, day.wDay);
    for (const tz::DayPeriod& p : Year(day.wYear)) {
      if (calendar::DaysFromEpoch1970(p.first.year, p.first.month, p.first.day) <= d &&
          d <= calendar::DaysFromEpoch1970(p.last.year, p.last.month, p.last.day)) {
        return true;
      }
    }
    return false;
  }
  std::string Describe(int year) {
    std::string text;
    for (const tz::DayPeriod& p : Year(year)) {
      text += (text.empty() ? "" : ", ") + DayText(p.first) + " to " + DayText(p.last);
    }
    return text.empty() ? "none in " + std::to_string(year) : text;
  }

 private:
  tz::ZonePeriods m_zone;
  double m_standard;
  std::map<int, std::vector<tz::DayPeriod>> m_years;
};

// The user-interface language: the global option, else Office's setting.
long UiLanguage(const GlobalOptions& global) {
  if (global.uiLanguage != 0) return global.uiLanguage;
  DWORD language = 0;
  const std::string key = "Software\\Microsoft\\Office\\" + std::string(global.office == 10 ? "10.0" : "11.0") +
                          "\\Common\\LanguageResources";
  return registry::GetDword(HKEY_CURRENT_USER, key.c_str(), "UILanguage", &language) == ERROR_SUCCESS
             ? static_cast<long>(language)
             : 0;
}

}  // namespace

int RunCalc(const GlobalOptions& global, const Arguments& args) {
  std::optional<double> longitude, latitude, timeZone;
  std::optional<std::string> cityName;
  std::optional<long> method;
  long school = eShafii, days = 1;
  bool daylight = false, noDaylight = false;
  std::optional<HighLatitudeRule> highLatitude;
  int startMonth = 0, startDay = 0, endMonth = 0, endDay = 0;
  DATE first = 0;
  bool haveDate = false;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (cli::IsHelp(arg)) {
      PrintCalcHelp();
      return 0;
    }
    const auto value = [&]() -> const std::string* {
      return i + 1 < args.size() ? &args[++i] : nullptr;
    };
    const std::string* v = nullptr;
    if (arg == "--city") {
      if (!(v = value()) || v->empty()) return cli::UsageError("calc", "--city takes the start of a city's name");
      cityName = *v;
    } else if (arg == "--longitude") {
      if (!(v = value()) || !(longitude = ParseCoordinate(*v, 'W', 'E')) || std::fabs(*longitude) > 180) {
        return cli::UsageError("calc", "--longitude takes degrees from 180W to 180E (positive west), or a number and E/W");
      }
    } else if (arg == "--latitude") {
      if (!(v = value()) || !(latitude = ParseCoordinate(*v, 'N', 'S')) || std::fabs(*latitude) > 90) {
        return cli::UsageError("calc", "--latitude takes degrees from 90S to 90N (positive north), or a number and N/S");
      }
    } else if (arg == "--timezone") {
      if (!(v = value()) || !(timeZone = cli::ParseNumber(*v)) || *timeZone < -12 || *timeZone > 14) {
        return cli::UsageError("calc", "--timezone takes hours east of Greenwich, from -12 to 14");
      }
    } else if (arg == "--method") {
      std::optional<long> m;
      if (!(v = value()) || !(m = ParseNamed(*v, kMethods))) {
        return cli::UsageError("calc", "--method takes eEgypt, eISNA, eQurah, eKarachi, eWIL, eCustom or a number");
      }
      method = m;
    } else if (arg == "--school") {
      std::optional<long> s;
      if (!(v = value()) || !(s = ParseNamed(*v, kSchools))) {
        return cli::UsageError("calc", "--school takes eShafii, eHanafi or a number");
      }
      school = *s;
    } else if (arg == "--daylight") {
      const std::string* start = value();
      const std::string* end = value();
      if (!start || !end || !ParseMonthDay(*start, &startMonth, &startDay) ||
          !ParseMonthDay(*end, &endMonth, &endDay)) {
        return cli::UsageError("calc", "--daylight takes two days as MM-DD MM-DD");
      }
      daylight = true;
    } else if (arg == "--no-daylight") {
      noDaylight = true;
    } else if (arg == "--high-latitude") {
      v = value();
      for (const NamedRule& named : kRules) {
        if (v != nullptr && *v == named.name) highLatitude = named.rule;
      }
      if (!highLatitude) return cli::UsageError("calc", "--high-latitude takes seventh, middle or angle");
    } else if (arg == "--date") {
      if (!(v = value()) || !cli::ParseDate(*v, &first)) {
        return cli::UsageError("calc", "--date takes a date as YYYY-MM-DD");
      }
      haveDate = true;
    } else if (arg == "--days") {
      std::optional<long> n;
      if (!(v = value()) || !(n = cli::ParseInteger(*v)) || *n < 1 || *n > 1000000) {
        return cli::UsageError("calc", "--days takes a number from 1 to 1000000");
      }
      days = *n;
    } else {
      return cli::UsageError("calc", "unexpected argument \"" + arg + "\"");
    }
  }
  if (daylight && noDaylight) return cli::UsageError("calc", "give --daylight or --no-daylight, not both");
  if (!haveDate) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wHour = now.wMinute = now.wSecond = 0;
    SystemTimeToVariantTime(&now, &first);
  }
  std::optional<SummerTime> summerTime;
  if (cityName) {
    std::string error;
    const std::optional<host::CityMatch> city =
        host::FindCity(global.office, UiLanguage(global), *cityName, &error);
    if (!city) return cli::Failure(error);
    if (!longitude) longitude = city->longitude;
    if (!latitude) latitude = city->latitude;
    if (!timeZone) timeZone = city->timeZone;
    if (!method) method = city->method;
    // The file keeps longitudes positive west, as the calculation does.
    std::fprintf(stderr, "orvane: %s (latitude %s, longitude %s, UTC%+g, method %ld)\n", city->display.c_str(),
                 Degrees(*latitude, 'N', 'S').c_str(), Degrees(-*longitude, 'E', 'W').c_str(), *timeZone, *method);
    if (city->daylight && !daylight && !noDaylight) {
      const std::string zone = host::FindCityZone(global.office, *city, &error);
      std::optional<tz::ZonePeriods> periods;
      if (!zone.empty()) periods = tz::ZonePeriods::Load(zone, &error);
      if (periods) {
        summerTime.emplace(std::move(*periods), *timeZone);
      } else {
        std::fprintf(stderr, "orvane: %s; standard time all year\n", error.c_str());
      }
    }
    if (noDaylight && city->daylight) std::fputs("orvane: standard time all year (--no-daylight)\n", stderr);
  }
  if (!longitude || !latitude || !timeZone) {
    return cli::UsageError("calc", "give --city, or --longitude, --latitude and --timezone");
  }
  if (summerTime) {
    // Each year's period, as the days run through them.
    SYSTEMTIME from, to;
    const DATE last = std::min(first + static_cast<double>(days - 1), 2958465.0);
    if (VariantTimeToSystemTime(first, &from) && VariantTimeToSystemTime(last, &to)) {
      for (int year = from.wYear; year <= to.wYear; ++year) {
        std::fprintf(stderr, "orvane: summer time (%s, UTC%+g): %s\n", summerTime->ZoneName().c_str(),
                     *timeZone + 1, summerTime->Describe(year).c_str());
      }
    }
  }

  CLSID clsid;
  ComPtr<IPrayerCalculator> calculator;
  HRESULT hr = CLSIDFromProgID(kVersionIndependentProgID_PrayerCalculator, &clsid);
  if (SUCCEEDED(hr)) {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IPrayerCalculator::kIID,
                          calculator.ReleaseAndGetVoidAddress());
  }
  if (hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG) {
    return cli::Failure("the prayer calculator (Orvane.PrayerCalculator) is not registered in this "
                        "profile; run `orvane install` first");
  }
  if (FAILED(hr)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    return cli::Failure(std::string("cannot create the prayer calculator (") + code + ")");
  }

  calculator->SetLocation(*longitude, *latitude, *timeZone, daylight ? 1 : 0);
  calculator->put_DaylightSavings(daylight ? VARIANT_TRUE : VARIANT_FALSE);
  if (daylight) {
    calculator->put_DaylightStart(MonthDayDate(startMonth, startDay));
    calculator->put_DaylightEnd(MonthDayDate(endMonth, endDay));
  }
  calculator->put_Method(static_cast<CalculationMethod>(method.value_or(eEgypt)));
  calculator->put_AsrMethod(static_cast<AsrSchool>(school));
  // The addition tells the day each time falls on; a calculator without it
  // gives every time on the line's date.
  ComPtr<IPrayerCalculator2> calculator2;
  if (FAILED(calculator.As(&calculator2)) && highLatitude) {
    return cli::Failure("the registered prayer calculator has no high-latitude rule");
  }
  if (highLatitude) calculator2->put_HighLatitudeRule(*highLatitude);

  using Getter = HRESULT (IPrayerCalculator::*)(DATE*);
  constexpr Getter kTimes[] = {&IPrayerCalculator::get_Fajr,  &IPrayerCalculator::get_Shorouk,
                               &IPrayerCalculator::get_Zuhr,  &IPrayerCalculator::get_Asr,
                               &IPrayerCalculator::get_Maghrib, &IPrayerCalculator::get_Isha};
  // The lines go out in large pieces rather than one call each.
  constexpr std::size_t kPiece = 1 << 16;
  std::string text;
  text.reserve(kPiece + 256);
  for (long i = 0; i < days; ++i) {
    const DATE day = first + static_cast<double>(i);
    SYSTEMTIME st;
    std::int64_t lineDay = 0;
    std::int32_t midnight = 0;
    if (day > 2958465.0 || !VariantTimeToSystemTime(day, &st)) break;  // past 31 December 9999
    SplitVariantTime(day, &lineDay, &midnight);
    if (summerTime) {
      // The clock of each day as the zone keeps it: that day alone is the
      // calculator's daylight range when the clocks are ahead.
      const bool ahead = summerTime->IsAhead(st);
      calculator->put_DaylightSavings(ahead ? VARIANT_TRUE : VARIANT_FALSE);
      if (ahead) {
        calculator->put_DaylightStart(MonthDayDate(st.wMonth, st.wDay));
        calculator->put_DaylightEnd(MonthDayDate(st.wMonth, st.wDay));
      }
    }
    calculator->Recalc(day);
    AppendDigits(&text, st.wYear % 10000u, 4);
    text.push_back('-');
    AppendDigits(&text, st.wMonth % 100u, 2);
    text.push_back('-');
    AppendDigits(&text, st.wDay % 100u, 2);
    for (std::size_t n = 0; n < std::size(kTimes); ++n) {
      DATE time = 0;
      if (calculator2) calculator2->PrayerTime(static_cast<LONG>(n), &time);
      else (calculator.Get()->*kTimes[n])(&time);
      AppendTime(&text, time, lineDay);
    }
    text.push_back('\n');
    if (text.size() >= kPiece) {
      std::fwrite(text.data(), 1, text.size(), stdout);
      text.clear();
    }
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  // A write that failed on the way (a full disk) fails the command too.
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
