#include "platform/nls/Calendars.h"

#include <unicode/calendar.h>
#include <unicode/timezone.h>

#include <cstring>
#include <memory>

#include "platform/time/Calendar.h"

namespace nls {
namespace {

// Windows writes its Hijri calendar with the tabular ("Kuwaiti") algorithm
// on the astronomical (Thursday, 15 July 622 Julian) epoch: 18 July 622
// Gregorian is 1 Muharram 1 and 31 December 9999 is 3 Rabi II 9666, the
// range .NET documents for the same calendar. ICU's "islamic-tbla" is that
// calendar; "islamic-civil" is a day later (Friday epoch) and ICU's plain
// "islamic" follows the moon.
//
// The Gregorian variants differ only in their names: English, French,
// Levantine Arabic, and English and French transliterated into Arabic
// letters (the latter as Algeria writes them).
constexpr CalendarRow kCalendars[] = {
    {CAL_GREGORIAN, "gregorian", nullptr},
    {CAL_GREGORIAN_US, "gregorian", "en_US"},
    {CAL_HIJRI, "islamic-tbla", nullptr},
    {CAL_GREGORIAN_ME_FRENCH, "gregorian", "fr_FR"},
    {CAL_GREGORIAN_ARABIC, "gregorian", "ar_LB"},
    {CAL_GREGORIAN_XLIT_ENGLISH, "gregorian", "ar_EG"},
    {CAL_GREGORIAN_XLIT_FRENCH, "gregorian", "ar_DZ"},
};

constexpr double kMillisecondsPerDay = 86400000.0;

}  // namespace

const CalendarRow* FindCalendar(CALID id) {
  for (const CalendarRow& row : kCalendars) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

bool ToCalendarDate(const CalendarRow& calendar, int year, int month, int day, int dayShift,
                    CalendarDate* result) {
  const std::int64_t days = calendar::DaysFromEpoch1970(year, month, day) + dayShift;
  if (std::strcmp(calendar.icuType, "gregorian") == 0) {
    // Our Gregorian calendar is proleptic, as Windows' is; ICU's switches to
    // the Julian one before 1582, so it is not asked.
    const calendar::CivilDate civil =
        calendar::CivilFromOleDays(days - calendar::kOleEpochFrom1970);
    if (civil.year < 1) return false;
    *result = {static_cast<int>(civil.year), civil.month, civil.day, 1};
    return true;
  }
  UErrorCode status = U_ZERO_ERROR;
  const std::string name = std::string("und@calendar=") + calendar.icuType;
  std::unique_ptr<icu::Calendar> icuCalendar(icu::Calendar::createInstance(
      icu::TimeZone::getGMT()->clone(), icu::Locale(name.c_str()), status));
  if (U_FAILURE(status)) return false;
  // Noon, so that no rounding of the instant can reach another day.
  icuCalendar->setTime(static_cast<double>(days) * kMillisecondsPerDay + kMillisecondsPerDay / 2,
                       status);
  const int era = icuCalendar->get(UCAL_ERA, status);
  const int calendarYear = icuCalendar->get(UCAL_YEAR, status);
  const int calendarMonth = icuCalendar->get(UCAL_MONTH, status) + 1;
  const int calendarDay = icuCalendar->get(UCAL_DATE, status);
  if (U_FAILURE(status) || calendarYear < 1) return false;
  *result = {calendarYear, calendarMonth, calendarDay, era};
  return true;
}

}  // namespace nls
