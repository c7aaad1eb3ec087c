#include "platform/nls/LocaleInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/nls/Calendars.h"
#include "platform/nls/IcuLocaleData.h"
#include "platform/nls/IcuPattern.h"
#include "platform/nls/Picture.h"
#include "platform/nls/TextResult.h"
#include "platform/text/TextConvert.h"

namespace nls {
namespace {

// Windows' limits on what the user may store: pictures of up to 80
// characters, designators of up to 15.
constexpr std::size_t kMaxPicture = 80;
constexpr std::size_t kMaxDesignator = 15;

bool IsDateOrder(std::u16string_view value, const LocaleRef&) {
  return value.size() == 1 && value[0] >= u'0' && value[0] <= u'2';
}

bool IsWeekday(std::u16string_view value, const LocaleRef&) {
  return value.size() == 1 && value[0] >= u'0' && value[0] <= u'6';
}

// Digits only, so that "6x" or " 6" never passes for calendar 6.
std::optional<CALID> ParseCalendarId(std::u16string_view value) {
  if (value.empty() || value.size() > 2) return std::nullopt;
  CALID id = 0;
  for (char16_t c : value) {
    if (c < u'0' || c > u'9') return std::nullopt;
    id = id * 10 + static_cast<CALID>(c - u'0');
  }
  return id;
}

CALID DefaultCalendar(const LocaleRef& locale) {
  return locale.row != nullptr ? locale.row->calendar : CAL_GREGORIAN;
}

bool IsCalendarOfLocale(std::u16string_view value, const LocaleRef& locale) {
  const std::optional<CALID> id = ParseCalendarId(value);
  if (!id) return false;
  const std::vector<CALID> calendars =
      LocaleCalendars(locale.icuName.c_str(), DefaultCalendar(locale));
  return std::find(calendars.begin(), calendars.end(), *id) != calendars.end();
}

bool IsPicture(std::u16string_view value, const LocaleRef&) {
  return !value.empty() && value.size() <= kMaxPicture;
}

bool IsDesignator(std::u16string_view value, const LocaleRef&) {
  return value.size() <= kMaxDesignator;
}

// The order is the order in which a new locale's values are written.
constexpr OverridableItem kOverrides[] = {
    {LOCALE_ICALENDARTYPE, "iCalendarType", IsCalendarOfLocale},
    {LOCALE_SSHORTDATE, "sShortDate", IsPicture},
    {LOCALE_IDATE, "iDate", IsDateOrder},
    {LOCALE_SLONGDATE, "sLongDate", IsPicture},
    {LOCALE_SYEARMONTH, "sYearMonth", IsPicture},
    {LOCALE_STIMEFORMAT, "sTimeFormat", IsPicture},
    {LOCALE_S1159, "s1159", IsDesignator},
    {LOCALE_S2359, "s2359", IsDesignator},
    {LOCALE_IFIRSTDAYOFWEEK, "iFirstDayOfWeek", IsWeekday},
};

const OverridableItem* FindOverride(LCTYPE item) {
  for (const OverridableItem& row : kOverrides) {
    if (row.item == item) return &row;
  }
  return nullptr;
}

// Items answered as numbers with LOCALE_RETURN_NUMBER, and their base.
struct NumericItem {
  LCTYPE item;
  int base;
};

constexpr NumericItem kNumericItems[] = {
    {LOCALE_ILANGUAGE, 16},         {LOCALE_IDATE, 10},           {LOCALE_ICALENDARTYPE, 10},
    {LOCALE_IOPTIONALCALENDAR, 10}, {LOCALE_IFIRSTDAYOFWEEK, 10},
};

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::u16string Decimal(int value) { return Ascii(std::to_string(value)); }

// The table's Windows default where it holds one, else ICU's.
std::u16string Default(const LocaleRow* row, const char16_t* LocaleRow::*column,
                       const std::u16string& fromIcu) {
  return row != nullptr && row->*column != nullptr ? std::u16string(row->*column) : fromIcu;
}

bool InRange(LCTYPE item, LCTYPE first, LCTYPE last) { return item >= first && item <= last; }

// The locale's own value of an item, under the overrides of the request for
// the items derived from others (the date order from the short date, the
// month names from the calendar).
std::optional<std::u16string> OwnItem(const LocaleRequest& request, LCTYPE item) {
  const LocaleRef& locale = request.locale;
  const LocaleRow* row = locale.row;
  const LocaleNames& names = LocaleNamesFor(locale.icuName);
  if (InRange(item, LOCALE_SDAYNAME1, LOCALE_SABBREVDAYNAME7)) {
    const CalendarRow* calendar = FindCalendar(CurrentCalendar(request));
    const CalendarNames& calendarNames = NamesFor(locale.icuName, *calendar);
    // Windows' day 1 is Monday; ICU's list, like ours, starts on Sunday.
    if (item <= LOCALE_SDAYNAME7) return calendarNames.days[(item - LOCALE_SDAYNAME1 + 1) % 7];
    return calendarNames.abbrevDays[(item - LOCALE_SABBREVDAYNAME1 + 1) % 7];
  }
  if (InRange(item, LOCALE_SMONTHNAME1, LOCALE_SABBREVMONTHNAME12)) {
    const CalendarRow* calendar = FindCalendar(CurrentCalendar(request));
    const CalendarNames& calendarNames = NamesFor(locale.icuName, *calendar);
    if (item <= LOCALE_SMONTHNAME12) return calendarNames.months[item - LOCALE_SMONTHNAME1];
    return calendarNames.abbrevMonths[item - LOCALE_SABBREVMONTHNAME1];
  }
  switch (item) {
    case LOCALE_ILANGUAGE: {
      char text[5] = {};
      std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(LANGIDFROMLCID(locale.lcid)));
      return Ascii(text);
    }
    case LOCALE_SLANGUAGE:
      return names.displayName;
    case LOCALE_SENGLANGUAGE:
      return names.englishLanguage;
    case LOCALE_SNATIVELANGNAME:
      return names.nativeLanguage;
    case LOCALE_SENGCOUNTRY:
      return names.englishCountry;
    case LOCALE_SISO639LANGNAME:
      return names.language;
    case LOCALE_SISO3166CTRYNAME:
      return names.country;
    case LOCALE_SNAME:
      return names.language + u"-" + names.country;
    case LOCALE_SSHORTDATE:
      return Default(row, &LocaleRow::shortDate, IcuPicturesFor(locale.icuName).shortDate);
    case LOCALE_SLONGDATE:
      return Default(row, &LocaleRow::longDate, IcuPicturesFor(locale.icuName).longDate);
    case LOCALE_SYEARMONTH:
      return IcuPicturesFor(locale.icuName).yearMonth;
    case LOCALE_STIMEFORMAT:
      return Default(row, &LocaleRow::timeFormat, IcuPicturesFor(locale.icuName).time);
    case LOCALE_IDATE:
      return Decimal(DateOrderOfPicture(*LocaleItem(request, LOCALE_SSHORTDATE)));
    case LOCALE_ICALENDARTYPE:
      return Decimal(static_cast<int>(DefaultCalendar(locale)));
    case LOCALE_IOPTIONALCALENDAR:
      return Decimal(static_cast<int>(
          LocaleCalendars(locale.icuName.c_str(), DefaultCalendar(locale)).front()));
    case LOCALE_IFIRSTDAYOFWEEK:
      return Decimal(names.firstDayOfWeek);
    case LOCALE_S1159:
      return Default(row, &LocaleRow::am, names.am);
    case LOCALE_S2359:
      return Default(row, &LocaleRow::pm, names.pm);
    default:
      return std::nullopt;
  }
}

// An LCTYPE of GetLocaleInfo split into the item and its flags.
struct ItemRequest {
  LCTYPE item;
  bool noUserOverride;
  bool returnNumber;
};

ItemRequest SplitType(LCTYPE type) {
  return {type & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP | LOCALE_RETURN_NUMBER),
          (type & LOCALE_NOUSEROVERRIDE) != 0, (type & LOCALE_RETURN_NUMBER) != 0};
}

template <typename Char>
int GetLocaleInfoImpl(LCID lcid, LCTYPE type, Char* data, int size) {
  if (!CheckBuffer(data, size)) return 0;
  const InternationalReadScope scope;
  const ItemRequest split = SplitType(type);
  const std::optional<LocaleRequest> request = ResolveRequest(lcid, split.noUserOverride);
  if (!request) return Fail(ERROR_INVALID_PARAMETER);
  const std::optional<std::u16string> text = LocaleItem(*request, split.item);
  if (!text) return Fail(ERROR_INVALID_FLAGS);
  if (!split.returnNumber) return ReturnText(*text, data, size);
  const auto numeric = std::find_if(std::begin(kNumericItems), std::end(kNumericItems),
                                    [&](const NumericItem& n) { return n.item == split.item; });
  if (numeric == std::end(kNumericItems)) return Fail(ERROR_INVALID_FLAGS);
  const std::string digits = text::Utf16ToUtf8(*text);
  return ReturnNumber(static_cast<DWORD>(std::strtoul(digits.c_str(), nullptr, numeric->base)),
                      data, size);
}

}  // namespace

std::span<const OverridableItem> OverridableItems() { return kOverrides; }

std::optional<std::u16string> LocaleItem(const LocaleRequest& request, LCTYPE item) {
  if (request.userOverrides) {
    if (const OverridableItem* row = FindOverride(item)) {
      // A stored value Windows could not have stored is not taken.
      const std::optional<std::u16string> stored = ReadInternational(row->valueName);
      if (stored && row->valid(*stored, request.locale)) return stored;
    }
  }
  return OwnItem(request, item);
}

CALID CurrentCalendar(const LocaleRequest& request) {
  const std::optional<std::u16string> text = LocaleItem(request, LOCALE_ICALENDARTYPE);
  const std::optional<CALID> id = text ? ParseCalendarId(*text) : std::nullopt;
  return id && FindCalendar(*id) != nullptr ? *id : CAL_GREGORIAN;
}

}  // namespace nls

int GetLocaleInfo(LCID lcid, LCTYPE type, char* data, int size) {
  return nls::GetLocaleInfoImpl(lcid, type, data, size);
}

int GetLocaleInfo(LCID lcid, LCTYPE type, char16_t* data, int size) {
  return nls::GetLocaleInfoImpl(lcid, type, data, size);
}

BOOL SetLocaleInfo(LCID lcid, LCTYPE type, const char16_t* value) {
  using namespace nls;
  if (value == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if ((type & (LOCALE_NOUSEROVERRIDE | LOCALE_RETURN_NUMBER)) != 0) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  const OverridableItem* row = FindOverride(type & ~LOCALE_USE_CP_ACP);
  if (row == nullptr) return Fail(ERROR_INVALID_FLAGS);
  // The overrides belong to the user's locale alone: storing one for
  // another locale would change the user's.
  const LCID user = UserDefaultLcid();
  const LCID target = lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_NEUTRAL ? user
                      : lcid == LOCALE_SYSTEM_DEFAULT                       ? SystemDefaultLcid()
                                                                            : lcid;
  const std::optional<LocaleRef> locale = FindLocale(user);
  if (LANGIDFROMLCID(target) != LANGIDFROMLCID(user) || !locale) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const std::u16string_view wanted(value);
  if (!row->valid(wanted, *locale)) return Fail(ERROR_INVALID_PARAMETER);
  LONG rc = WriteInternational(row->valueName, wanted);
  if (rc == ERROR_SUCCESS && row->item == LOCALE_SSHORTDATE) {
    // Windows keeps the order in step with the picture it comes from.
    rc = WriteInternational(
        "iDate", std::u16string(1, static_cast<char16_t>(u'0' + DateOrderOfPicture(wanted))));
  }
  if (rc != ERROR_SUCCESS) return Fail(static_cast<DWORD>(rc));
  return TRUE;
}

BOOL SetLocaleInfo(LCID lcid, LCTYPE type, const char* value) {
  if (value == nullptr) return nls::Fail(ERROR_INVALID_PARAMETER);
  const std::u16string wide = text::AnsiToUtf16(value);
  return SetLocaleInfo(lcid, type, wide.c_str());
}
