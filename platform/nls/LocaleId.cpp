#include "platform/nls/LocaleId.h"

#include <unicode/uloc.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

namespace nls {
namespace {

constexpr LCID kEnglishUnitedStates = 1033;

// The locale with its likely script filled in, so that "zh_CN" and ICU's
// "zh_Hans_CN" compare equal.
std::string Maximized(const char* icuName) {
  char full[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  uloc_addLikelySubtags(icuName, full, sizeof full, &status);
  return U_SUCCESS(status) ? std::string(full) : std::string(icuName);
}

bool IcuHasData(const char* icuName) {
  static std::once_flag once;
  static std::set<std::string>* available = nullptr;
  std::call_once(once, [] {
    available = new std::set<std::string>();
    const int32_t count = uloc_countAvailable();
    for (int32_t i = 0; i < count; ++i) available->insert(Maximized(uloc_getAvailable(i)));
  });
  return available->count(Maximized(icuName)) != 0;
}

// ICU's name for an identifier it knows, if it has data for that locale.
std::optional<std::string> IcuNameForLcid(LCID lcid) {
  char name[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = uloc_getLocaleForLCID(lcid, name, sizeof name, &status);
  if (U_FAILURE(status) || length <= 0 || length >= static_cast<int32_t>(sizeof name)) {
    return std::nullopt;
  }
  // A neutral identifier ("ar" alone) has no country; Windows would not
  // format with it either.
  char country[ULOC_COUNTRY_CAPACITY] = {};
  status = U_ZERO_ERROR;
  uloc_getCountry(name, country, sizeof country, &status);
  if (U_FAILURE(status) || country[0] == '\0') return std::nullopt;
  if (!IcuHasData(name)) return std::nullopt;
  return std::string(name);
}

std::optional<LocaleRef> FindLocaleUncached(LCID lcid) {
  const LCID plain = LANGIDFROMLCID(lcid);
  if (const LocaleRow* row = FindLocaleRow(plain); row != nullptr && IcuHasData(row->icuName)) {
    return LocaleRef{plain, row->icuName, row};
  }
  if (std::optional<std::string> name = IcuNameForLcid(plain)) {
    return LocaleRef{plain, std::move(*name), nullptr};
  }
  return std::nullopt;
}

}  // namespace

std::optional<LocaleRef> FindLocale(LCID lcid) {
  // The answer depends on ICU's data alone, which does not change while the
  // process runs; every date written or read asks it several times over.
  // Keyed by the identifier without its sort bits: 65,536 at the most.
  static std::mutex mutex;
  static auto* found = new std::map<LCID, std::optional<LocaleRef>>();
  const LCID plain = LANGIDFROMLCID(lcid);
  std::lock_guard<std::mutex> lock(mutex);
  const auto known = found->find(plain);
  if (known != found->end()) return known->second;
  return found->emplace(plain, FindLocaleUncached(plain)).first->second;
}

LCID LcidFromPosixName(std::string_view name) {
  // "ll_CC.codeset@modifier": only language and country name the locale.
  const std::size_t end = name.find_first_of(".@");
  std::string base(name.substr(0, end));
  if (base.empty() || base == "C" || base == "POSIX") return 0;
  UErrorCode status = U_ZERO_ERROR;
  char full[ULOC_FULLNAME_CAPACITY] = {};
  uloc_addLikelySubtags(base.c_str(), full, sizeof full, &status);
  if (U_FAILURE(status)) return 0;
  char language[ULOC_LANG_CAPACITY] = {};
  char country[ULOC_COUNTRY_CAPACITY] = {};
  uloc_getLanguage(full, language, sizeof language, &status);
  uloc_getCountry(full, country, sizeof country, &status);
  if (U_FAILURE(status) || language[0] == '\0' || country[0] == '\0') return 0;
  const std::string icuName = std::string(language) + "_" + country;
  LCID lcid = uloc_getLCID(icuName.c_str());
  if (lcid == 0) {
    for (const LocaleRow& row : LocaleRows()) {
      if (icuName == row.icuName) lcid = row.lcid;
    }
  }
  return lcid != 0 && FindLocale(lcid) ? LANGIDFROMLCID(lcid) : 0;
}

LCID LcidFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    // The first variable set decides, as it does for the C library.
    const LCID lcid = LcidFromPosixName(value);
    return lcid != 0 ? lcid : kEnglishUnitedStates;
  }
  return kEnglishUnitedStates;
}

std::vector<LCID> InstalledLcids() {
  std::vector<LCID> lcids;
  for (const LocaleRow& row : LocaleRows()) {
    if (IcuHasData(row.icuName)) lcids.push_back(row.lcid);
  }
  return lcids;
}

std::vector<LCID> SupportedLcids() {
  std::vector<LCID> lcids = InstalledLcids();
  std::set<LCID> others;
  const int32_t count = uloc_countAvailable();
  for (int32_t i = 0; i < count; ++i) {
    const LCID lcid = LANGIDFROMLCID(uloc_getLCID(uloc_getAvailable(i)));
    if (lcid == 0 || std::find(lcids.begin(), lcids.end(), lcid) != lcids.end()) continue;
    if (FindLocale(lcid)) others.insert(lcid);
  }
  lcids.insert(lcids.end(), others.begin(), others.end());
  return lcids;
}

}  // namespace nls
