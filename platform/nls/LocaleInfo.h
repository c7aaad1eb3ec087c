#pragma once
// The items of a locale (GetLocaleInfo): what ICU and our table give, under
// the user's overrides where they apply.

#include <optional>
#include <span>
#include <string>

#include "platform/nls/UserLocale.h"

namespace nls {

// The items the user may override, with the value of the International key
// that holds each.
struct OverridableItem {
  LCTYPE item;
  const char* valueName;
};

std::span<const OverridableItem> OverridableItems();

// The item's text, or nothing for an item we do not answer.
std::optional<std::u16string> LocaleItem(const LocaleRequest& request, LCTYPE item);

// The calendar the locale writes dates in (LOCALE_ICALENDARTYPE).
CALID CurrentCalendar(const LocaleRequest& request);

}  // namespace nls
