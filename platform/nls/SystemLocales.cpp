// EnumSystemLocales, IsValidLocale and the default locale identifiers.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/nls/LocaleId.h"
#include "platform/nls/TextResult.h"
#include "platform/nls/UserLocale.h"

namespace nls {
namespace {

constexpr DWORD kLocaleListFlags = LCID_INSTALLED | LCID_SUPPORTED | LCID_ALTERNATE_SORTS;

template <typename Char>
BOOL EnumSystemLocalesImpl(BOOL (*callback)(Char*), DWORD flags) {
  if (callback == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (flags == 0 || (flags & ~kLocaleListFlags) != 0) return Fail(ERROR_INVALID_FLAGS);
  // We sort every locale one way only, so there are no alternate sorts.
  const std::vector<LCID> lcids = (flags & LCID_SUPPORTED) != 0   ? SupportedLcids()
                                  : (flags & LCID_INSTALLED) != 0 ? InstalledLcids()
                                                                  : std::vector<LCID>();
  for (LCID lcid : lcids) {
    char digits[9] = {};
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(lcid));
    std::basic_string<Char> text(digits, digits + 8);
    if (!callback(text.data())) break;
  }
  return TRUE;
}

}  // namespace
}  // namespace nls

BOOL EnumSystemLocales(LOCALE_ENUMPROCA callback, DWORD flags) {
  return nls::EnumSystemLocalesImpl(callback, flags);
}

BOOL EnumSystemLocales(LOCALE_ENUMPROCW callback, DWORD flags) {
  return nls::EnumSystemLocalesImpl(callback, flags);
}

BOOL IsValidLocale(LCID lcid, DWORD flags) {
  if (flags == LCID_SUPPORTED) return nls::FindLocale(lcid) ? TRUE : FALSE;
  if (flags == LCID_INSTALLED) {
    const std::vector<LCID> installed = nls::InstalledLcids();
    return std::find(installed.begin(), installed.end(), LANGIDFROMLCID(lcid)) != installed.end();
  }
  return FALSE;
}

LCID GetUserDefaultLCID() { return nls::UserDefaultLcid(); }

LCID GetSystemDefaultLCID() { return nls::SystemDefaultLcid(); }

LANGID GetUserDefaultLangID() { return LANGIDFROMLCID(nls::UserDefaultLcid()); }

LANGID GetSystemDefaultLangID() { return LANGIDFROMLCID(nls::SystemDefaultLcid()); }
