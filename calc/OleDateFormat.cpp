// The text operations of COleDate, over the national-language support.

#include <cstdlib>
#include <string>

#include "calc/OleDate.h"
#include "platform/nls/Nls.h"

namespace {

constexpr int kFormatBuffer = 255;  // characters, terminator included

template <typename Char>
const Char* CalendarTypeText(DWORD calendar, std::basic_string<Char>* out) {
  const std::string digits = std::to_string(calendar);
  out->assign(digits.begin(), digits.end());
  return out->c_str();
}

template <typename Char>
long ReadNumber(const Char* text) {
  const std::string narrow(text, text + std::char_traits<Char>::length(text));
  return std::strtol(narrow.c_str(), nullptr, 10);
}

}  // namespace

template <typename Char>
std::basic_string<Char> COleDate::FormatAsDate(const Char* picture, DWORD flags, LCID locale) const {
  SYSTEMTIME st;
  if (!GetAsSystemTime(&st)) return {};
  Char buffer[kFormatBuffer] = {};
  if (GetDateFormat(locale, flags, &st, picture, buffer, kFormatBuffer) == 0) return {};
  return buffer;
}

template <typename Char>
std::basic_string<Char> COleDate::FormatAsTime(const Char* picture, DWORD flags, LCID locale) const {
  SYSTEMTIME st;
  if (!GetAsSystemTime(&st)) return {};
  Char buffer[kFormatBuffer] = {};
  if (GetTimeFormat(locale, flags, &st, picture, buffer, kFormatBuffer) == 0) return {};
  return buffer;
}

template <typename Char>
std::basic_string<Char> COleDate::FormatAsDateInCalendar(const Char* picture, DWORD flags,
                                                         DWORD calendar, LCID locale) const {
  SYSTEMTIME st;
  if (!GetAsSystemTime(&st)) return {};
  bool switched = false;
  Char previous[10] = {};
  if (calendar != 0 &&
      GetLocaleInfo(locale, LOCALE_ICALENDARTYPE, previous, 10) != 0 &&
      ReadNumber(previous) != static_cast<long>(calendar)) {
    std::basic_string<Char> requested;
    switched = SetLocaleInfo(locale, LOCALE_ICALENDARTYPE, CalendarTypeText(calendar, &requested)) != FALSE;
  }
  Char buffer[kFormatBuffer] = {};
  const int written = GetDateFormat(locale, flags, &st, picture, buffer, kFormatBuffer);
  if (switched) SetLocaleInfo(locale, LOCALE_ICALENDARTYPE, previous);
  return written != 0 ? std::basic_string<Char>(buffer) : std::basic_string<Char>();
}

template std::string COleDate::FormatAsDate<char>(const char*, DWORD, LCID) const;
template std::u16string COleDate::FormatAsDate<char16_t>(const char16_t*, DWORD, LCID) const;
template std::string COleDate::FormatAsTime<char>(const char*, DWORD, LCID) const;
template std::u16string COleDate::FormatAsTime<char16_t>(const char16_t*, DWORD, LCID) const;
template std::string COleDate::FormatAsDateInCalendar<char>(const char*, DWORD, DWORD, LCID) const;
template std::u16string COleDate::FormatAsDateInCalendar<char16_t>(const char16_t*, DWORD, DWORD, LCID) const;
