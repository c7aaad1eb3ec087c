#pragma once
// The user's and the system's default locales, and the user's values under
// HKEY_CURRENT_USER\Control Panel\International where Windows keeps them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/nls/LocaleId.h"

namespace nls {

inline constexpr char kInternationalKey[] = "Control Panel\\International";

// The "Locale" value; when it is missing, the locale the environment asks
// for, written there first (nls::SetUserDefaultLocale). A value that names
// no locale we know is left alone and the environment's locale answers.
LCID UserDefaultLcid();

// HKLM\SYSTEM\CurrentControlSet\Control\Nls\Language "Default" (four hex
// digits) when it names a locale we know, else the environment's locale.
LCID SystemDefaultLcid();

// A string value of the International key, if there is one. Values are
// kept for as long as the registry's change stamp (registry::ChangeStamp)
// stays the same.
std::optional<std::u16string> ReadInternational(const char* name);
// The registry's error code (ERROR_SUCCESS when written).
LONG WriteInternational(const char* name, std::u16string_view value);

// One call of the API (a GetLocaleInfo, a GetDateFormat) reads several
// International values; while a scope lives on its thread, the registry's
// change stamp is asked for once, when the scope begins, rather than for
// each value. Writes of the scope's own (WriteInternational) still show.
class InternationalReadScope {
 public:
  InternationalReadScope();
  ~InternationalReadScope();
  InternationalReadScope(const InternationalReadScope&) = delete;
  InternationalReadScope& operator=(const InternationalReadScope&) = delete;

 private:
  const InternationalReadScope* outer_;
  std::uint64_t stamp_;
  friend std::optional<std::u16string> ReadInternational(const char* name);
};

// The user's Hijri adjustment in days, -2 to 2, from "AddHijriDate": the
// text "AddHijriDate" followed by the signed number of days, or alone for
// -1 (Windows' old "one day back" choice). Anything else is 0.
int HijriAdjustment();

// A locale as a request names it, and whether the user's overrides apply:
// they do for the user's default locale, named by LOCALE_USER_DEFAULT (or
// LOCALE_NEUTRAL) or by its identifier, unless noUserOverride.
struct LocaleRequest {
  LocaleRef locale;
  bool userOverrides;
};

std::optional<LocaleRequest> ResolveRequest(LCID lcid, bool noUserOverride);

}  // namespace nls
