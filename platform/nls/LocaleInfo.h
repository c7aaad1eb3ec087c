#pragma once
// The items of a locale (GetLocaleInfo): what ICU and our table give, under
// the user's overrides where they apply.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/nls/UserLocale.h"

namespace nls {

// The items the user may override, with the value of the International key
// that holds each and what a value must be for Windows to store it.
struct OverridableItem {
  LCTYPE item;
  const char* valueName;
  bool (*valid)(std::u16string_view value, const LocaleRef& locale);
};

std::span<const OverridableItem> OverridableItems();

// The item's text, or nothing for an item we do not answer.
std::optional<std::u16string> LocaleItem(const LocaleRequest& request, LCTYPE item);

// The calendar the locale writes dates in (LOCALE_ICALENDARTYPE).
CALID CurrentCalendar(const LocaleRequest& request);

}  // namespace nls
