#include "platform/nls/IcuLocaleData.h"

#include <unicode/calendar.h>
#include <unicode/dtfmtsym.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uloc.h>

#include <map>
#include <memory>
#include <mutex>

namespace nls {
namespace {

std::u16string ToU16(const icu::UnicodeString& text) {
  return std::u16string(text.getBuffer(), static_cast<std::size_t>(text.length()));
}

template <std::size_t N>
void Copy(const icu::UnicodeString* names, int32_t count, int first,
          std::array<std::u16string, N>* out) {
  for (std::size_t i = 0; i < N; ++i) {
    const int32_t at = first + static_cast<int32_t>(i);
    if (at < count) (*out)[i] = ToU16(names[at]);
  }
}

using Display = int32_t (*)(const char*, const char*, UChar*, int32_t, UErrorCode*);

std::u16string DisplayText(Display display, const char* locale, const char* inLocale) {
  UChar buffer[256] = {};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = display(locale, inLocale, buffer, 256, &status);
  if (U_FAILURE(status) || length <= 0 || length > 256) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                        static_cast<std::size_t>(length));
}

std::u16string CalendarDisplayName(const char* icuType, const std::string& inLocale) {
  // Windows names its Hijri calendar after the Hijra, not after the
  // arithmetic behind it, so ICU's plain "islamic" name serves.
  std::string keyword = icuType;
  if (keyword.rfind("islamic", 0) == 0) keyword = "islamic";
  const std::string locale = "und@calendar=" + keyword;
  UChar buffer[256] = {};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = uloc_getDisplayKeywordValue(locale.c_str(), "calendar", inLocale.c_str(),
                                                     buffer, 256, &status);
  if (U_FAILURE(status) || length <= 0 || length > 256) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                        static_cast<std::size_t>(length));
}

CalendarNames ReadCalendarNames(const std::string& icuName, const CalendarRow& calendar) {
  CalendarNames names;
  const std::string namesLocale = calendar.nameLocale != nullptr ? calendar.nameLocale : icuName;
  const std::string withCalendar = namesLocale + "@calendar=" + calendar.icuType;
  UErrorCode status = U_ZERO_ERROR;
  // A formatter reads the symbols of the calendar its locale names; the
  // symbols' own constructor would read the Gregorian ones.
  icu::SimpleDateFormat format(icu::UnicodeString(u"d"), icu::Locale(withCalendar.c_str()), status);
  if (U_FAILURE(status)) return names;
  const icu::DateFormatSymbols* symbols = format.getDateFormatSymbols();
  using Symbols = icu::DateFormatSymbols;
  int32_t count = 0;
  const icu::UnicodeString* list = symbols->getMonths(count, Symbols::STANDALONE, Symbols::WIDE);
  Copy(list, count, 0, &names.months);
  list = symbols->getMonths(count, Symbols::FORMAT, Symbols::WIDE);
  Copy(list, count, 0, &names.monthsInDates);
  list = symbols->getMonths(count, Symbols::STANDALONE, Symbols::ABBREVIATED);
  Copy(list, count, 0, &names.abbrevMonths);
  list = symbols->getMonths(count, Symbols::FORMAT, Symbols::ABBREVIATED);
  Copy(list, count, 0, &names.abbrevMonthsInDates);
  // ICU's weekdays start at index 1 (UCAL_SUNDAY).
  list = symbols->getWeekdays(count, Symbols::FORMAT, Symbols::WIDE);
  Copy(list, count, UCAL_SUNDAY, &names.days);
  list = symbols->getWeekdays(count, Symbols::FORMAT, Symbols::ABBREVIATED);
  Copy(list, count, UCAL_SUNDAY, &names.abbrevDays);
  list = symbols->getEras(count);
  for (int32_t i = 0; i < count; ++i) names.eras.push_back(ToU16(list[i]));
  names.calendarName = CalendarDisplayName(calendar.icuType, icuName);
  if (calendar.nameLocale != nullptr) {
    // The Gregorian variants share ICU's one name; the language of their
    // month names tells them apart.
    names.calendarName +=
        u" (" + DisplayText(uloc_getDisplayName, calendar.nameLocale, icuName.c_str()) + u")";
  }
  return names;
}

LocaleNames ReadLocaleNames(const std::string& icuName) {
  LocaleNames names;
  UErrorCode status = U_ZERO_ERROR;
  const std::string gregorian = icuName + "@calendar=gregorian";
  icu::SimpleDateFormat format(icu::UnicodeString(u"a"), icu::Locale(gregorian.c_str()), status);
  if (U_SUCCESS(status)) {
    int32_t count = 0;
    const icu::UnicodeString* amPm = format.getDateFormatSymbols()->getAmPmStrings(count);
    if (count >= 2) {
      names.am = ToU16(amPm[0]);
      names.pm = ToU16(amPm[1]);
    }
  }
  const char* name = icuName.c_str();
  names.displayName = DisplayText(uloc_getDisplayName, name, "en");
  names.englishLanguage = DisplayText(uloc_getDisplayLanguage, name, "en");
  names.nativeLanguage = DisplayText(uloc_getDisplayLanguage, name, name);
  names.englishCountry = DisplayText(uloc_getDisplayCountry, name, "en");
  const icu::Locale locale(name);
  names.language = ToU16(icu::UnicodeString(locale.getLanguage(), -1, US_INV));
  names.country = ToU16(icu::UnicodeString(locale.getCountry(), -1, US_INV));
  status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(icu::Locale(name), status));
  const int icuFirstDay = U_SUCCESS(status) ? calendar->getFirstDayOfWeek(status) : UCAL_SUNDAY;
  // ICU counts Sunday 1 to Saturday 7; Windows counts Monday 0 to Sunday 6.
  names.firstDayOfWeek = (icuFirstDay + 5) % 7;
  return names;
}

// Entries are never removed, so references into the maps stay valid.
std::mutex g_mutex;

}  // namespace

const CalendarNames& NamesFor(const std::string& icuName, const CalendarRow& calendar) {
  static auto* cache = new std::map<std::pair<std::string, CALID>, CalendarNames>();
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto key = std::make_pair(icuName, calendar.id);
  auto found = cache->find(key);
  if (found == cache->end()) {
    found = cache->emplace(key, ReadCalendarNames(icuName, calendar)).first;
  }
  return found->second;
}

const LocaleNames& LocaleNamesFor(const std::string& icuName) {
  static auto* cache = new std::map<std::string, LocaleNames>();
  std::lock_guard<std::mutex> lock(g_mutex);
  auto found = cache->find(icuName);
  if (found == cache->end()) found = cache->emplace(icuName, ReadLocaleNames(icuName)).first;
  return found->second;
}

}  // namespace nls
