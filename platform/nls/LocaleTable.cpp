#include "platform/nls/LocaleTable.h"

#include <algorithm>
#include <cstring>

namespace nls {
namespace {

// Where Windows' own defaults are known and ICU's differ, they are written
// here: Windows' Arabic (Saudi Arabia) writes dates in the Hijri calendar
// (ICU defaults to Umm al-Qura) with "dd/MM/yy", ICU's en-US short date has
// a two-digit year, en-GB's designators are "am"/"pm" in ICU, and French
// Windows has no designators at all where ICU gives "AM"/"PM".
constexpr LocaleRow kLocales[] = {
    {1025, "ar_SA", u"dd/MM/yy", u"dd/MMMM/yyyy", u"hh:mm:ss tt", u"ص", u"م", CAL_HIJRI},
    {1033, "en_US", u"M/d/yyyy", u"dddd, MMMM d, yyyy", u"h:mm:ss tt", u"AM", u"PM", CAL_GREGORIAN},
    {2057, "en_GB", u"dd/MM/yyyy", u"dd MMMM yyyy", u"HH:mm:ss", u"AM", u"PM", CAL_GREGORIAN},
    {1036, "fr_FR", u"dd/MM/yyyy", u"dddd d MMMM yyyy", u"HH:mm:ss", u"", u"", CAL_GREGORIAN},
    {3084, "fr_CA", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {4108, "fr_CH", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {2060, "fr_BE", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {5121, "ar_DZ", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {3073, "ar_EG", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {2049, "ar_IQ", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {11265, "ar_JO", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {13313, "ar_KW", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {12289, "ar_LB", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {4097, "ar_LY", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {6145, "ar_MA", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {8193, "ar_OM", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {16385, "ar_QA", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {10241, "ar_SY", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {7169, "ar_TN", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {14337, "ar_AE", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {9217, "ar_YE", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {15361, "ar_BH", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1056, "ur_PK", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1065, "fa_IR", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1055, "tr_TR", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1057, "id_ID", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1086, "ms_MY", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1031, "de_DE", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {3082, "es_ES", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1040, "it_IT", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1043, "nl_NL", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1049, "ru_RU", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {1041, "ja_JP", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
    {2052, "zh_CN", nullptr, nullptr, nullptr, nullptr, nullptr, CAL_GREGORIAN},
};

// The calendars Windows offers by language: every Arabic locale has the
// Hijri calendar and the Gregorian calendar with English, French, Arabic and
// transliterated month names; Urdu and Persian have the Hijri one too.
struct LanguageCalendars {
  const char* language;
  CALID calendars[8];  // ends at the first 0
};

constexpr LanguageCalendars kLanguageCalendars[] = {
    {"ar",
     {CAL_GREGORIAN, CAL_GREGORIAN_US, CAL_HIJRI, CAL_GREGORIAN_ME_FRENCH, CAL_GREGORIAN_ARABIC,
      CAL_GREGORIAN_XLIT_ENGLISH, CAL_GREGORIAN_XLIT_FRENCH, 0}},
    {"ur", {CAL_GREGORIAN, CAL_HIJRI, 0}},
    {"fa", {CAL_GREGORIAN, CAL_HIJRI, 0}},
};

}  // namespace

std::span<const LocaleRow> LocaleRows() { return kLocales; }

const LocaleRow* FindLocaleRow(LCID lcid) {
  for (const LocaleRow& row : kLocales) {
    if (row.lcid == lcid) return &row;
  }
  return nullptr;
}

std::vector<CALID> LocaleCalendars(const char* icuName, CALID defaultCalendar) {
  std::vector<CALID> calendars = {defaultCalendar};
  const char* separator = std::strchr(icuName, '_');
  const std::size_t languageLength =
      separator != nullptr ? static_cast<std::size_t>(separator - icuName) : std::strlen(icuName);
  for (const LanguageCalendars& entry : kLanguageCalendars) {
    if (std::strlen(entry.language) != languageLength ||
        std::strncmp(entry.language, icuName, languageLength) != 0) {
      continue;
    }
    for (const CALID* c = entry.calendars; *c != 0; ++c) {
      if (std::find(calendars.begin(), calendars.end(), *c) == calendars.end()) {
        calendars.push_back(*c);
      }
    }
  }
  return calendars;
}

}  // namespace nls
