#include "platform/nls/UserLocale.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/nls/LocaleInfo.h"
#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"

namespace nls {
namespace {

constexpr char kSystemLanguageKey[] = "SYSTEM\\CurrentControlSet\\Control\\Nls\\Language";
constexpr int kMaxHijriAdjustment = 2;

// The identifier in hex digits, as "Locale" ("00000409") and the system's
// "Default" ("0409") hold it; 0 for anything else.
LCID ParseHexLcid(const std::string& text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 16);
  if (end == nullptr || *end != '\0' || text.front() == '-' || text.front() == '+') return 0;
  return static_cast<LCID>(value);
}

std::string EightHexDigits(LCID lcid) {
  char text[9] = {};
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(lcid));
  return text;
}

}  // namespace

std::optional<std::u16string> ReadInternational(const char* name) {
  std::string utf8;
  if (registry::GetString(HKEY_CURRENT_USER, kInternationalKey, name, &utf8) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return text::Utf8ToUtf16(utf8);
}

LONG WriteInternational(const char* name, std::u16string_view value) {
  return registry::SetString(HKEY_CURRENT_USER, kInternationalKey, name,
                             text::Utf16ToUtf8(value).c_str());
}

LCID UserDefaultLcid() {
  const std::optional<std::u16string> stored = ReadInternational("Locale");
  if (!stored) {
    const LCID seeded = LcidFromEnvironment();
    SetUserDefaultLocale(seeded);
    return seeded;
  }
  const LCID lcid = ParseHexLcid(text::Utf16ToUtf8(*stored), 8);
  if (lcid != 0 && FindLocale(lcid)) return lcid;
  return LcidFromEnvironment();
}

LCID SystemDefaultLcid() {
  std::string stored;
  if (registry::GetString(HKEY_LOCAL_MACHINE, kSystemLanguageKey, "Default", &stored) ==
      ERROR_SUCCESS) {
    const LCID lcid = ParseHexLcid(stored, 4);
    if (lcid != 0 && FindLocale(lcid)) return lcid;
  }
  return LcidFromEnvironment();
}

int HijriAdjustment() {
  const std::optional<std::u16string> stored = ReadInternational("AddHijriDate");
  if (!stored) return 0;
  const std::string text = text::Utf16ToUtf8(*stored);
  constexpr std::string_view kPrefix = "AddHijriDate";
  if (text.size() < kPrefix.size()) return 0;
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(kPrefix[i]))) {
      return 0;
    }
  }
  const std::string days = text.substr(kPrefix.size());
  if (days.empty()) return -1;
  char* end = nullptr;
  const long value = std::strtol(days.c_str(), &end, 10);
  if (end == nullptr || *end != '\0' || value < -kMaxHijriAdjustment ||
      value > kMaxHijriAdjustment) {
    return 0;
  }
  return static_cast<int>(value);
}

std::optional<LocaleRequest> ResolveRequest(LCID lcid, bool noUserOverride) {
  const LCID user = UserDefaultLcid();
  LCID wanted = lcid;
  bool isUsers = false;
  if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_NEUTRAL) {
    wanted = user;
    isUsers = true;
  } else if (lcid == LOCALE_SYSTEM_DEFAULT) {
    wanted = SystemDefaultLcid();
  } else {
    isUsers = LANGIDFROMLCID(lcid) == LANGIDFROMLCID(user);
  }
  std::optional<LocaleRef> locale = FindLocale(wanted);
  if (!locale) return std::nullopt;
  return LocaleRequest{std::move(*locale), isUsers && !noUserOverride};
}

bool SetUserDefaultLocale(LCID lcid) {
  const std::optional<LocaleRef> locale = FindLocale(lcid);
  if (!locale) return false;
  const LocaleRequest own{*locale, false};
  for (const OverridableItem& item : OverridableItems()) {
    const std::optional<std::u16string> value = LocaleItem(own, item.item);
    if (!value || WriteInternational(item.valueName, *value) != ERROR_SUCCESS) return false;
  }
  const std::optional<std::u16string> name = LocaleItem(own, LOCALE_SNAME);
  if (!name || WriteInternational("LocaleName", *name) != ERROR_SUCCESS) return false;
  // "Locale" goes last: until it is written, the next use seeds again.
  return WriteInternational("Locale", text::Utf8ToUtf16(EightHexDigits(locale->lcid))) ==
         ERROR_SUCCESS;
}

}  // namespace nls
