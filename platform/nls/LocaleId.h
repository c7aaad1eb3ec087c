#pragma once
// Locale identifiers and the ICU locales they stand for: our table first,
// then ICU's own LCID mapping for the locales the table does not hold.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/nls/LocaleTable.h"

namespace nls {

struct LocaleRef {
  LCID lcid;             // sort bits cleared
  std::string icuName;   // "ar_SA"
  const LocaleRow* row;  // null for a locale only ICU knows
};

// The locale an identifier names, or nothing when neither our table nor ICU
// has data for it. LOCALE_USER_DEFAULT and the like are resolved before.
std::optional<LocaleRef> FindLocale(LCID lcid);

// The identifier of a POSIX locale name ("ar_SA.UTF-8", "fr_FR@euro", "de");
// 0 for "C", "POSIX", an empty name, or a locale we cannot name.
LCID LcidFromPosixName(std::string_view name);

// What the environment asks for (LC_ALL, else LC_TIME, else LANG), and
// English (United States) when it asks for nothing we know.
LCID LcidFromEnvironment();

// The table's locales that ICU has data for, in the table's order.
std::vector<LCID> InstalledLcids();
// Those, then every other ICU locale that has an identifier, ascending.
std::vector<LCID> SupportedLcids();

}  // namespace nls
