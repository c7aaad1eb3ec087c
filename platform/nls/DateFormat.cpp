// GetDateFormat: a date written with a Windows date picture, in the calendar
// the locale writes dates in.

#include <algorithm>
#include <string>
#include <vector>

#include "platform/nls/Calendars.h"
#include "platform/nls/IcuLocaleData.h"
#include "platform/nls/LocaleInfo.h"
#include "platform/nls/Picture.h"
#include "platform/nls/TextResult.h"
#include "platform/text/TextConvert.h"
#include "platform/time/Calendar.h"

namespace nls {
namespace {

constexpr DWORD kPictureKinds = DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH;
constexpr DWORD kDateFlags = kPictureKinds | DATE_USE_ALT_CALENDAR | DATE_LTRREADING |
                             DATE_RTLREADING | LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP;
constexpr int kMaxYear = 30827;  // the last year a SYSTEMTIME holds

constexpr char16_t kLeftToRightMark = u'\u200E';
constexpr char16_t kRightToLeftMark = u'\u200F';

bool IsValidDate(const SYSTEMTIME& date) {
  return date.wYear >= 1 && date.wYear <= kMaxYear && date.wMonth >= 1 && date.wMonth <= 12 &&
         date.wDay >= 1 && date.wDay <= calendar::DaysInMonth(date.wYear, date.wMonth);
}

std::u16string Number(int value, int minDigits) {
  std::u16string digits;
  for (int v = value; v > 0 || static_cast<int>(digits.size()) < std::max(minDigits, 1); v /= 10) {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
  }
  return digits;
}

std::u16string WriteDate(const std::vector<PictureElement>& picture, const CalendarDate& date,
                         int weekday, const CalendarNames& names) {
  // A month name next to a day number takes the form a date gives it
  // ("6 января"); alone it stands in its own form ("январь"). Windows goes
  // by the same rule for the languages that tell the two apart.
  const bool withDayNumber =
      std::any_of(picture.begin(), picture.end(),
                  [](const PictureElement& e) { return e.letter == u'd' && e.count <= 2; });
  std::u16string text;
  for (const PictureElement& e : picture) {
    switch (e.letter) {
      case 0:
        text += e.text;
        break;
      case u'd':
        text += e.count <= 2   ? Number(date.day, e.count)
                : e.count == 3 ? names.abbrevDays[weekday]
                               : names.days[weekday];
        break;
      case u'M': {
        const std::size_t m = static_cast<std::size_t>(date.month - 1);
        if (e.count <= 2) {
          text += Number(date.month, e.count);
        } else if (e.count == 3) {
          text += withDayNumber ? names.abbrevMonthsInDates[m] : names.abbrevMonths[m];
        } else {
          text += withDayNumber ? names.monthsInDates[m] : names.months[m];
        }
        break;
      }
      case u'y':
        // "y" is the year within its century without a leading zero, as
        // Windows has always written it; "yyy" and longer are the whole year.
        text += e.count == 1   ? Number(date.year % 100, 1)
                : e.count == 2 ? Number(date.year % 100, 2)
                               : Number(date.year, 4);
        break;
      case u'g':
        if (date.era >= 0 && static_cast<std::size_t>(date.era) < names.eras.size()) {
          text += names.eras[static_cast<std::size_t>(date.era)];
        }
        break;
      default:
        break;
    }
  }
  return text;
}

// The formatted date, or the error code.
DWORD FormatDate(LCID lcid, DWORD flags, const SYSTEMTIME* date, const char16_t* picture,
                 std::u16string* out) {
  const InternationalReadScope scope;
  const DWORD kind = flags & kPictureKinds;
  if ((flags & ~kDateFlags) != 0 || (kind & (kind - 1)) != 0 ||
      ((flags & DATE_LTRREADING) != 0 && (flags & DATE_RTLREADING) != 0) ||
      (picture != nullptr && (kind != 0 || (flags & LOCALE_NOUSEROVERRIDE) != 0))) {
    return ERROR_INVALID_FLAGS;
  }
  const std::optional<LocaleRequest> request =
      ResolveRequest(lcid, (flags & LOCALE_NOUSEROVERRIDE) != 0);
  if (!request) return ERROR_INVALID_PARAMETER;
  SYSTEMTIME when;
  if (date != nullptr) {
    when = *date;
  } else {
    GetLocalTime(&when);
  }
  if (!IsValidDate(when)) return ERROR_INVALID_PARAMETER;

  CALID calendarId = CurrentCalendar(*request);
  LocaleRequest pictureRequest = *request;
  if ((flags & DATE_USE_ALT_CALENDAR) != 0) {
    // The alternate calendar is the locale's first other one, written with
    // the locale's own pictures rather than the user's.
    for (CALID other : LocaleCalendars(request->locale.icuName.c_str(), calendarId)) {
      if (other != calendarId) {
        calendarId = other;
        pictureRequest.userOverrides = false;
        break;
      }
    }
  }
  const LCTYPE pictureItem = kind == DATE_LONGDATE    ? LOCALE_SLONGDATE
                             : kind == DATE_YEARMONTH ? LOCALE_SYEARMONTH
                                                      : LOCALE_SSHORTDATE;
  const std::u16string pictureText =
      picture != nullptr ? std::u16string(picture) : *LocaleItem(pictureRequest, pictureItem);

  const CalendarRow* calendar = FindCalendar(calendarId);
  const int shift = calendarId == CAL_HIJRI ? HijriAdjustment() : 0;
  CalendarDate converted{};
  if (!ToCalendarDate(*calendar, when.wYear, when.wMonth, when.wDay, shift, &converted)) {
    return ERROR_INVALID_PARAMETER;
  }
  // The day of the week is the day's own, whatever the calendar or the
  // adjustment says of its number; the caller's wDayOfWeek is not trusted.
  const int weekday =
      calendar::WeekdayFromOleDays(calendar::DaysFromOleEpoch(when.wYear, when.wMonth, when.wDay));
  *out = WriteDate(ParsePicture(pictureText, kDateLetters), converted, weekday,
                   NamesFor(request->locale.icuName, *calendar));
  if ((flags & DATE_RTLREADING) != 0) out->insert(out->begin(), kRightToLeftMark);
  if ((flags & DATE_LTRREADING) != 0) out->insert(out->begin(), kLeftToRightMark);
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace nls

int GetDateFormat(LCID lcid, DWORD flags, const SYSTEMTIME* date, const char16_t* picture,
                  char16_t* out, int size) {
  return nls::ReturnFormatted(out, size, [&](std::u16string* result) {
    return nls::FormatDate(lcid, flags, date, picture, result);
  });
}

int GetDateFormat(LCID lcid, DWORD flags, const SYSTEMTIME* date, const char* picture, char* out,
                  int size) {
  const std::u16string wide = picture != nullptr ? text::AnsiToUtf16(picture) : std::u16string();
  return nls::ReturnFormatted(out, size, [&](std::u16string* result) {
    return nls::FormatDate(lcid, flags, date, picture != nullptr ? wide.c_str() : nullptr, result);
  });
}
