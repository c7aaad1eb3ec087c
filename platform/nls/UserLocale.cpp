#include "platform/nls/UserLocale.h"

#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

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

// The International values as last read, for as long as the registry's
// change stamp stays the same. Every date the host reads from a filter and
// every date the add-in writes into one asks for several of them; reading
// the registry each time cost more than the rest of the work put together.
struct InternationalCache {
  std::mutex mutex;
  std::uint64_t stamp = 0;
  std::map<std::string, std::optional<std::u16string>, std::less<>> values;
};

InternationalCache& Cache() {
  static auto* cache = new InternationalCache();
  return *cache;
}

std::optional<std::u16string> ReadInternationalNow(const char* name) {
  std::string utf8;
  if (registry::GetString(HKEY_CURRENT_USER, kInternationalKey, name, &utf8) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return text::Utf8ToUtf16(utf8);
}

thread_local const InternationalReadScope* t_scope = nullptr;

// After a write of our own: whatever was kept may be older than it, and a
// scope's later reads, which keep the scope's stamp, must read afresh.
void ForgetInternational() {
  InternationalCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  cache.values.clear();
  cache.stamp = 0;
}

}  // namespace

InternationalReadScope::InternationalReadScope()
    : outer_(t_scope), stamp_(outer_ != nullptr ? outer_->stamp_ : registry::ChangeStamp()) {
  t_scope = this;
}

InternationalReadScope::~InternationalReadScope() { t_scope = outer_; }

std::optional<std::u16string> ReadInternational(const char* name) {
  // Taken before the value is read: a change in between gives the next call
  // another stamp, so nothing older than the registry is ever kept.
  const std::uint64_t stamp = t_scope != nullptr ? t_scope->stamp_ : registry::ChangeStamp();
  InternationalCache& cache = Cache();
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (stamp != cache.stamp) {
      cache.values.clear();
      cache.stamp = stamp;
    } else if (stamp != 0) {
      const auto found = cache.values.find(std::string_view(name));
      if (found != cache.values.end()) return found->second;
    }
  }
  std::optional<std::u16string> value = ReadInternationalNow(name);
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (stamp != 0 && cache.stamp == stamp) cache.values[name] = value;
  return value;
}

LONG WriteInternational(const char* name, std::u16string_view value) {
  const LONG rc = registry::SetString(HKEY_CURRENT_USER, kInternationalKey, name,
                                      text::Utf16ToUtf8(value).c_str());
  ForgetInternational();
  return rc;
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
  // Every value in one transaction: a user's first start writes them all,
  // and a process killed in between leaves none, so the next use seeds again.
  std::vector<std::pair<std::string, std::string>> values;
  for (const OverridableItem& item : OverridableItems()) {
    const std::optional<std::u16string> value = LocaleItem(own, item.item);
    if (!value) return false;
    values.emplace_back(item.valueName, text::Utf16ToUtf8(*value));
  }
  const std::optional<std::u16string> name = LocaleItem(own, LOCALE_SNAME);
  if (!name) return false;
  values.emplace_back("LocaleName", text::Utf16ToUtf8(*name));
  values.emplace_back("Locale", EightHexDigits(locale->lcid));
  const LONG rc = registry::SetStrings(HKEY_CURRENT_USER, kInternationalKey, values);
  ForgetInternational();
  return rc == ERROR_SUCCESS;
}

}  // namespace nls
