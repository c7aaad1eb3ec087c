// orvane calc: the six prayer times of one or more days, computed by the
// registered PrayerCalculator class as any automation client would.

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>

#include "host/CityLookup.h"
#include "host/CommandLine.h"
#include "host/Commands.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/VariantTime.h"
#include "platform/registry/Registry.h"
#include "resources/OrvaneTypeLib.h"

namespace {

void PrintCalcHelp() {
  std::puts(
      "usage: orvane calc (--city NAME | --longitude L --latitude B --timezone Z)\n"
      "                   [--method M] [--school S] [--daylight MM-DD MM-DD]\n"
      "                   [--date YYYY-MM-DD] [--days N]\n"
      "Prints one line per day: the date, then Fajr, Shorouk, Zuhr, Asr, Maghrib and\n"
      "Isha as HH:MM (--:-- where there is no valid time).\n"
      "  NAME  the first city of the add-in's city file whose name (\"Cairo, Egypt\")\n"
      "        begins with NAME, ignoring case; gives L, B, Z and M unless given\n"
      "  L  degrees, positive WEST, or a number followed by E or W (31.25E)\n"
      "  B  degrees, positive north, or a number followed by N or S (30.05N)\n"
      "  Z  hours east of Greenwich, fractions allowed (5.5)\n"
      "  M  eEgypt, eISNA, eQurah, eKarachi, eWIL, eCustom or a number (default eEgypt)\n"
      "  S  eShafii, eHanafi or a number (default eShafii)\n"
      "  --daylight  first and last day on which clocks are one hour ahead;\n"
      "              without it daylight saving is off\n"
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

void AppendTime(std::string* line, DATE time) {
  SYSTEMTIME st;
  char buf[8] = " --:--";
  if (time >= -657434.0 && time <= 2958465.0 && VariantTimeToSystemTime(time, &st)) {
    std::snprintf(buf, sizeof buf, " %02u:%02u", st.wHour % 100u, st.wMinute % 100u);
  }
  line->append(buf);
}

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
  bool daylight = false;
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
  if (cityName) {
    std::string error;
    const std::optional<host::CityMatch> city =
        host::FindCity(global.office, UiLanguage(global), *cityName, &error);
    if (!city) return cli::Failure(error);
    if (!longitude) longitude = city->longitude;
    if (!latitude) latitude = city->latitude;
    if (!timeZone) timeZone = city->timeZone;
    if (!method) method = city->method;
    std::fprintf(stderr, "orvane: %s (latitude %.4f, longitude %.4f west, UTC%+g, method %ld)\n",
                 city->display.c_str(), *latitude, *longitude, *timeZone, *method);
  }
  if (!longitude || !latitude || !timeZone) {
    return cli::UsageError("calc", "give --city, or --longitude, --latitude and --timezone");
  }
  if (!haveDate) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wHour = now.wMinute = now.wSecond = 0;
    SystemTimeToVariantTime(&now, &first);
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

  using Getter = HRESULT (IPrayerCalculator::*)(DATE*);
  constexpr Getter kTimes[] = {&IPrayerCalculator::get_Fajr,  &IPrayerCalculator::get_Shorouk,
                               &IPrayerCalculator::get_Zuhr,  &IPrayerCalculator::get_Asr,
                               &IPrayerCalculator::get_Maghrib, &IPrayerCalculator::get_Isha};
  std::string line;
  for (long i = 0; i < days; ++i) {
    const DATE day = first + static_cast<double>(i);
    SYSTEMTIME st;
    if (day > 2958465.0 || !VariantTimeToSystemTime(day, &st)) break;  // past 31 December 9999
    calculator->Recalc(day);
    char date[16];
    std::snprintf(date, sizeof date, "%04u-%02u-%02u", st.wYear % 10000u, st.wMonth % 100u,
                  st.wDay % 100u);
    line.assign(date);
    for (Getter get : kTimes) {
      DATE time = 0;
      (calculator.Get()->*get)(&time);
      AppendTime(&line, time);
    }
    line.push_back('\n');
    std::fputs(line.c_str(), stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
