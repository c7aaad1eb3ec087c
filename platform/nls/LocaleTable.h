#pragma once
// The locales we know by identifier, with the ICU locale each stands for and
// the Windows defaults that ICU's data does not give, and the calendars each
// locale offers.

#include <span>
#include <vector>

#include "platform/nls/Nls.h"

namespace nls {

struct LocaleRow {
  LCID lcid;            // language and sublanguage, sort 0
  const char* icuName;  // "ar_SA"
  // Windows' defaults where ICU's patterns or designators differ from them;
  // null when ICU's serve.
  const char16_t* shortDate;
  const char16_t* longDate;
  const char16_t* timeFormat;
  const char16_t* am;
  const char16_t* pm;
  CALID calendar;  // the calendar dates are written in by default
};

std::span<const LocaleRow> LocaleRows();
const LocaleRow* FindLocaleRow(LCID lcid);

// The calendars a locale of this ICU name offers, its default one first.
std::vector<CALID> LocaleCalendars(const char* icuName, CALID defaultCalendar);

}  // namespace nls
