// GetCalendarInfo and EnumCalendarInfo: a calendar's identifier, name and
// month and day names, in a locale's language.

#include <optional>
#include <string>
#include <vector>

#include "platform/nls/Calendars.h"
#include "platform/nls/IcuLocaleData.h"
#include "platform/nls/LocaleInfo.h"
#include "platform/nls/TextResult.h"
#include "platform/text/TextConvert.h"

namespace nls {
namespace {

constexpr CALTYPE kCalendarFlags = CAL_NOUSEROVERRIDE | CAL_USE_CP_ACP | CAL_RETURN_NUMBER;

bool InRange(CALTYPE item, CALTYPE first, CALTYPE last) { return item >= first && item <= last; }

// The item's text, or nothing for an item we do not answer.
std::optional<std::u16string> CalendarItem(const LocaleRef& locale, const CalendarRow& calendar,
                                           CALTYPE item) {
  const CalendarNames& names = NamesFor(locale.icuName, calendar);
  if (InRange(item, CAL_SDAYNAME1, CAL_SDAYNAME7)) {
    // Windows' day 1 is Monday; our list starts on Sunday.
    return names.days[(item - CAL_SDAYNAME1 + 1) % 7];
  }
  if (InRange(item, CAL_SABBREVDAYNAME1, CAL_SABBREVDAYNAME7)) {
    return names.abbrevDays[(item - CAL_SABBREVDAYNAME1 + 1) % 7];
  }
  if (InRange(item, CAL_SMONTHNAME1, CAL_SMONTHNAME12)) return names.months[item - CAL_SMONTHNAME1];
  if (InRange(item, CAL_SABBREVMONTHNAME1, CAL_SABBREVMONTHNAME12)) {
    return names.abbrevMonths[item - CAL_SABBREVMONTHNAME1];
  }
  switch (item) {
    case CAL_ICALINTVALUE: {
      const std::string id = std::to_string(calendar.id);
      return std::u16string(id.begin(), id.end());
    }
    case CAL_SCALNAME:
      return names.calendarName;
    case CAL_SERASTRING:
      // The present era is the last one, for every calendar we have.
      return names.eras.empty() ? std::u16string() : names.eras.back();
    case CAL_SMONTHNAME13:
      return std::u16string();
    default:
      return std::nullopt;
  }
}

template <typename Char>
int GetCalendarInfoImpl(LCID lcid, CALID calendarId, CALTYPE type, Char* data, int size,
                        DWORD* value) {
  const InternationalReadScope scope;
  const CALTYPE item = type & ~kCalendarFlags;
  const std::optional<LocaleRequest> request =
      ResolveRequest(lcid, (type & CAL_NOUSEROVERRIDE) != 0);
  const CalendarRow* calendar = FindCalendar(calendarId);
  if (!request || calendar == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if ((type & CAL_RETURN_NUMBER) != 0) {
    if (item != CAL_ICALINTVALUE) return Fail(ERROR_INVALID_FLAGS);
    if (value == nullptr || data != nullptr || size != 0) return Fail(ERROR_INVALID_PARAMETER);
    *value = calendar->id;
    return static_cast<int>(sizeof(DWORD) / sizeof(Char));
  }
  if (!CheckBuffer(data, size)) return 0;
  const std::optional<std::u16string> text = CalendarItem(request->locale, *calendar, item);
  if (!text) return Fail(ERROR_INVALID_FLAGS);
  return ReturnText(*text, data, size);
}

// What EnumCalendarInfo calls back with, in the callback's character set.
std::u16string InCharacterSet(std::u16string text, char16_t) { return text; }
std::string InCharacterSet(const std::u16string& text, char) { return text::Utf16ToAnsi(text); }

template <typename Char>
BOOL EnumCalendarInfoImpl(BOOL (*callback)(Char*), LCID lcid, CALID calendarId, CALTYPE type) {
  if (callback == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if ((type & CAL_RETURN_NUMBER) != 0) return Fail(ERROR_INVALID_FLAGS);
  const std::optional<LocaleRequest> request =
      ResolveRequest(lcid, (type & CAL_NOUSEROVERRIDE) != 0);
  if (!request) return Fail(ERROR_INVALID_PARAMETER);
  std::vector<CALID> calendars;
  if (calendarId == ENUM_ALL_CALENDARS) {
    calendars = LocaleCalendars(request->locale.icuName.c_str(), CurrentCalendar(*request));
  } else if (FindCalendar(calendarId) != nullptr) {
    calendars.push_back(calendarId);
  } else {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  // Every text is made before the first call, so that an item we do not
  // answer fails without having called back at all.
  std::vector<std::basic_string<Char>> texts;
  for (CALID id : calendars) {
    const std::optional<std::u16string> text =
        CalendarItem(request->locale, *FindCalendar(id), type & ~kCalendarFlags);
    if (!text) return Fail(ERROR_INVALID_FLAGS);
    texts.push_back(InCharacterSet(*text, Char()));
  }
  for (std::basic_string<Char>& text : texts) {
    if (!callback(text.data())) break;
  }
  return TRUE;
}

}  // namespace
}  // namespace nls

int GetCalendarInfo(LCID lcid, CALID calendar, CALTYPE type, char* data, int size, DWORD* value) {
  return nls::GetCalendarInfoImpl(lcid, calendar, type, data, size, value);
}

int GetCalendarInfo(LCID lcid, CALID calendar, CALTYPE type, char16_t* data, int size,
                    DWORD* value) {
  return nls::GetCalendarInfoImpl(lcid, calendar, type, data, size, value);
}

BOOL EnumCalendarInfo(CALINFO_ENUMPROCA callback, LCID lcid, CALID calendar, CALTYPE type) {
  return nls::EnumCalendarInfoImpl(callback, lcid, calendar, type);
}

BOOL EnumCalendarInfo(CALINFO_ENUMPROCW callback, LCID lcid, CALID calendar, CALTYPE type) {
  return nls::EnumCalendarInfoImpl(callback, lcid, calendar, type);
}
