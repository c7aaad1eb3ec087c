#pragma once
// National-language support: locales by identifier, their items, date and
// time formatting with Windows pictures, and their calendars, with the
// semantics and return conventions of the Win32 functions of the same names.
// Names, designators and the Hijri calendar come from ICU.
//
// Each function comes in two forms, as the A and W functions of Windows do:
// char strings in the ANSI code page (text::AnsiCodePage()) and char16_t
// strings in UTF-16. A function that writes text returns the number of
// characters written (bytes in the A form), terminator included; with a
// buffer size of 0 it writes nothing and returns the size needed. On failure
// it returns 0 and leaves the reason in GetLastError():
//   ERROR_INSUFFICIENT_BUFFER  the text does not fit; nothing is written
//   ERROR_INVALID_PARAMETER    unknown locale or calendar, bad SYSTEMTIME,
//                              null buffer with a non-zero size, bad value
//   ERROR_INVALID_FLAGS        a flag or an item type the function does not take
//
// The user's default locale lives where Windows keeps it, under
// HKEY_CURRENT_USER\Control Panel\International ("Locale" as eight hex
// digits, "LocaleName", and the user's overrides "iDate", "iCalendarType",
// "sShortDate", "sLongDate", "sYearMonth", "sTimeFormat", "s1159", "s2359",
// "iFirstDayOfWeek"). On first use it is seeded from the environment
// (LC_ALL, else LC_TIME, else LANG: "fr_FR.UTF-8" is 1036; "C", "POSIX" or
// nothing is 1033) by writing those values once; from then on the registry
// wins. As with Windows' regional options, choosing another locale rewrites
// them all (nls::SetUserDefaultLocale); changing "Locale" alone keeps the
// other values as they were.
//
// The user's overrides apply to the user's default locale, named either by
// LOCALE_USER_DEFAULT or by its own identifier, unless LOCALE_NOUSEROVERRIDE
// is given. The Hijri calendar takes the user's "AddHijriDate" adjustment
// ("AddHijriDate-1" moves Hijri dates one day back; -2 to +2).

#include "platform/com/WinTypes.h"
#include "platform/time/SystemTime.h"
#include "platform/win/LastError.h"

using LANGID = WORD;
using LCTYPE = DWORD;
using CALID = DWORD;
using CALTYPE = DWORD;

using LOCALE_ENUMPROCA = BOOL (*)(char* lcid);
using LOCALE_ENUMPROCW = BOOL (*)(char16_t* lcid);
using CALINFO_ENUMPROCA = BOOL (*)(char* info);
using CALINFO_ENUMPROCW = BOOL (*)(char16_t* info);

// Locale identifiers: a language identifier (primary language in the low 10
// bits, sublanguage above) and a sort identifier in bits 16 to 19, which is
// ignored here.
constexpr LANGID MAKELANGID(WORD primary, WORD sub) {
  return static_cast<LANGID>((sub << 10) | primary);
}
constexpr WORD PRIMARYLANGID(LANGID langId) { return langId & 0x3FF; }
constexpr WORD SUBLANGID(LANGID langId) { return langId >> 10; }
constexpr LCID MAKELCID(LANGID langId, WORD sortId) {
  return (static_cast<DWORD>(sortId) << 16) | langId;
}
constexpr LANGID LANGIDFROMLCID(LCID lcid) { return static_cast<LANGID>(lcid & 0xFFFF); }
constexpr WORD SORT_DEFAULT = 0;

constexpr LCID LOCALE_NEUTRAL = 0x0000;  // taken as the user's default
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

// Flags combined with an LCTYPE or CALTYPE, or passed to the format functions.
constexpr DWORD LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr DWORD LOCALE_USE_CP_ACP = 0x40000000;  // accepted; the A forms always use it
constexpr DWORD LOCALE_RETURN_NUMBER = 0x20000000;

// Locale items (GetLocaleInfo). Numbers are answered as decimal text, or as
// a DWORD with LOCALE_RETURN_NUMBER.
constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;         // "0401": language id, 4 hex digits
constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;         // "Arabic (Saudi Arabia)"
constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;      // "Arabic"
constexpr LCTYPE LOCALE_SNATIVELANGNAME = 0x0004;   // "العربية"
constexpr LCTYPE LOCALE_SENGCOUNTRY = 0x1002;       // "Saudi Arabia"
constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x0059;   // "ar"
constexpr LCTYPE LOCALE_SISO3166CTRYNAME = 0x005A;  // "SA"
constexpr LCTYPE LOCALE_SNAME = 0x005C;             // "ar-SA"
constexpr LCTYPE LOCALE_SSHORTDATE = 0x001F;
constexpr LCTYPE LOCALE_SLONGDATE = 0x0020;
constexpr LCTYPE LOCALE_SYEARMONTH = 0x1006;
constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;
constexpr LCTYPE LOCALE_IDATE = 0x0021;              // short date order: 0 M-D-Y, 1 D-M-Y, 2 Y-M-D
constexpr LCTYPE LOCALE_ICALENDARTYPE = 0x1009;      // the calendar dates are written in
constexpr LCTYPE LOCALE_IOPTIONALCALENDAR = 0x100B;  // the first of the locale's calendars
constexpr LCTYPE LOCALE_IFIRSTDAYOFWEEK = 0x100C;    // 0 Monday ... 6 Sunday
constexpr LCTYPE LOCALE_S1159 = 0x0028;              // AM designator
constexpr LCTYPE LOCALE_S2359 = 0x0029;              // PM designator
// Day names: 1 is Monday and 7 is Sunday, as on Windows.
constexpr LCTYPE LOCALE_SDAYNAME1 = 0x002A;
constexpr LCTYPE LOCALE_SDAYNAME2 = 0x002B;
constexpr LCTYPE LOCALE_SDAYNAME3 = 0x002C;
constexpr LCTYPE LOCALE_SDAYNAME4 = 0x002D;
constexpr LCTYPE LOCALE_SDAYNAME5 = 0x002E;
constexpr LCTYPE LOCALE_SDAYNAME6 = 0x002F;
constexpr LCTYPE LOCALE_SDAYNAME7 = 0x0030;
constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x0031;
constexpr LCTYPE LOCALE_SABBREVDAYNAME2 = 0x0032;
constexpr LCTYPE LOCALE_SABBREVDAYNAME3 = 0x0033;
constexpr LCTYPE LOCALE_SABBREVDAYNAME4 = 0x0034;
constexpr LCTYPE LOCALE_SABBREVDAYNAME5 = 0x0035;
constexpr LCTYPE LOCALE_SABBREVDAYNAME6 = 0x0036;
constexpr LCTYPE LOCALE_SABBREVDAYNAME7 = 0x0037;
// Month names, in the locale's current calendar.
constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x0038;
constexpr LCTYPE LOCALE_SMONTHNAME2 = 0x0039;
constexpr LCTYPE LOCALE_SMONTHNAME3 = 0x003A;
constexpr LCTYPE LOCALE_SMONTHNAME4 = 0x003B;
constexpr LCTYPE LOCALE_SMONTHNAME5 = 0x003C;
constexpr LCTYPE LOCALE_SMONTHNAME6 = 0x003D;
constexpr LCTYPE LOCALE_SMONTHNAME7 = 0x003E;
constexpr LCTYPE LOCALE_SMONTHNAME8 = 0x003F;
constexpr LCTYPE LOCALE_SMONTHNAME9 = 0x0040;
constexpr LCTYPE LOCALE_SMONTHNAME10 = 0x0041;
constexpr LCTYPE LOCALE_SMONTHNAME11 = 0x0042;
constexpr LCTYPE LOCALE_SMONTHNAME12 = 0x0043;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x0044;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME2 = 0x0045;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME3 = 0x0046;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME4 = 0x0047;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME5 = 0x0048;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME6 = 0x0049;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME7 = 0x004A;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME8 = 0x004B;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME9 = 0x004C;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME10 = 0x004D;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME11 = 0x004E;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME12 = 0x004F;

// Calendars.
constexpr CALID CAL_GREGORIAN = 1;                // localized names
constexpr CALID CAL_GREGORIAN_US = 2;             // English names
constexpr CALID CAL_HIJRI = 6;                    // tabular Hijri (ICU "islamic-tbla")
constexpr CALID CAL_GREGORIAN_ME_FRENCH = 9;      // French names
constexpr CALID CAL_GREGORIAN_ARABIC = 10;        // Arabic (Levantine) names
constexpr CALID CAL_GREGORIAN_XLIT_ENGLISH = 11;  // English names in Arabic letters
constexpr CALID CAL_GREGORIAN_XLIT_FRENCH = 12;   // French names in Arabic letters
constexpr CALID ENUM_ALL_CALENDARS = 0xFFFFFFFF;

// Calendar items (GetCalendarInfo, EnumCalendarInfo).
constexpr CALTYPE CAL_NOUSEROVERRIDE = LOCALE_NOUSEROVERRIDE;
constexpr CALTYPE CAL_USE_CP_ACP = LOCALE_USE_CP_ACP;
constexpr CALTYPE CAL_RETURN_NUMBER = LOCALE_RETURN_NUMBER;
constexpr CALTYPE CAL_ICALINTVALUE = 0x0001;  // the calendar's identifier
constexpr CALTYPE CAL_SCALNAME = 0x0002;      // its name, in the locale's language
constexpr CALTYPE CAL_SERASTRING = 0x0004;    // the current era
constexpr CALTYPE CAL_SDAYNAME1 = 0x0007;     // Monday; CAL_SDAYNAME7 is Sunday
constexpr CALTYPE CAL_SDAYNAME2 = 0x0008;
constexpr CALTYPE CAL_SDAYNAME3 = 0x0009;
constexpr CALTYPE CAL_SDAYNAME4 = 0x000A;
constexpr CALTYPE CAL_SDAYNAME5 = 0x000B;
constexpr CALTYPE CAL_SDAYNAME6 = 0x000C;
constexpr CALTYPE CAL_SDAYNAME7 = 0x000D;
constexpr CALTYPE CAL_SABBREVDAYNAME1 = 0x000E;
constexpr CALTYPE CAL_SABBREVDAYNAME2 = 0x000F;
constexpr CALTYPE CAL_SABBREVDAYNAME3 = 0x0010;
constexpr CALTYPE CAL_SABBREVDAYNAME4 = 0x0011;
constexpr CALTYPE CAL_SABBREVDAYNAME5 = 0x0012;
constexpr CALTYPE CAL_SABBREVDAYNAME6 = 0x0013;
constexpr CALTYPE CAL_SABBREVDAYNAME7 = 0x0014;
constexpr CALTYPE CAL_SMONTHNAME1 = 0x0015;
constexpr CALTYPE CAL_SMONTHNAME2 = 0x0016;
constexpr CALTYPE CAL_SMONTHNAME3 = 0x0017;
constexpr CALTYPE CAL_SMONTHNAME4 = 0x0018;
constexpr CALTYPE CAL_SMONTHNAME5 = 0x0019;
constexpr CALTYPE CAL_SMONTHNAME6 = 0x001A;
constexpr CALTYPE CAL_SMONTHNAME7 = 0x001B;
constexpr CALTYPE CAL_SMONTHNAME8 = 0x001C;
constexpr CALTYPE CAL_SMONTHNAME9 = 0x001D;
constexpr CALTYPE CAL_SMONTHNAME10 = 0x001E;
constexpr CALTYPE CAL_SMONTHNAME11 = 0x001F;
constexpr CALTYPE CAL_SMONTHNAME12 = 0x0020;
constexpr CALTYPE CAL_SMONTHNAME13 = 0x0021;  // empty: no calendar here has a 13th month
constexpr CALTYPE CAL_SABBREVMONTHNAME1 = 0x0022;
constexpr CALTYPE CAL_SABBREVMONTHNAME2 = 0x0023;
constexpr CALTYPE CAL_SABBREVMONTHNAME3 = 0x0024;
constexpr CALTYPE CAL_SABBREVMONTHNAME4 = 0x0025;
constexpr CALTYPE CAL_SABBREVMONTHNAME5 = 0x0026;
constexpr CALTYPE CAL_SABBREVMONTHNAME6 = 0x0027;
constexpr CALTYPE CAL_SABBREVMONTHNAME7 = 0x0028;
constexpr CALTYPE CAL_SABBREVMONTHNAME8 = 0x0029;
constexpr CALTYPE CAL_SABBREVMONTHNAME9 = 0x002A;
constexpr CALTYPE CAL_SABBREVMONTHNAME10 = 0x002B;
constexpr CALTYPE CAL_SABBREVMONTHNAME11 = 0x002C;
constexpr CALTYPE CAL_SABBREVMONTHNAME12 = 0x002D;

// GetDateFormat flags.
constexpr DWORD DATE_SHORTDATE = 0x0001;
constexpr DWORD DATE_LONGDATE = 0x0002;
// DATE_USE_ALT_CALENDAR: the locale's first calendar other than its current one.
constexpr DWORD DATE_USE_ALT_CALENDAR = 0x0004;
constexpr DWORD DATE_YEARMONTH = 0x0008;
constexpr DWORD DATE_LTRREADING = 0x0010;  // the text starts with a left-to-right mark
constexpr DWORD DATE_RTLREADING = 0x0020;  // the text starts with a right-to-left mark

// GetTimeFormat flags.
constexpr DWORD TIME_NOMINUTESORSECONDS = 0x0001;
constexpr DWORD TIME_NOSECONDS = 0x0002;
constexpr DWORD TIME_NOTIMEMARKER = 0x0004;
constexpr DWORD TIME_FORCE24HOURFORMAT = 0x0008;

// EnumSystemLocales and IsValidLocale flags.
constexpr DWORD LCID_INSTALLED = 0x0001;        // the locales of our table that ICU has data for
constexpr DWORD LCID_SUPPORTED = 0x0002;        // those and every other ICU locale with an LCID
constexpr DWORD LCID_ALTERNATE_SORTS = 0x0004;  // none here

LCID GetUserDefaultLCID();
// HKLM\SYSTEM\CurrentControlSet\Control\Nls\Language "Default", else the
// environment's locale (not stored).
LCID GetSystemDefaultLCID();
LANGID GetUserDefaultLangID();
LANGID GetSystemDefaultLangID();

BOOL IsValidLocale(LCID lcid, DWORD flags);

int GetLocaleInfo(LCID lcid, LCTYPE type, char* data, int size);
int GetLocaleInfo(LCID lcid, LCTYPE type, char16_t* data, int size);

// Sets one of the user's overrides ("iDate", "iCalendarType", "sShortDate",
// "sLongDate", "sYearMonth", "sTimeFormat", "s1159", "s2359",
// "iFirstDayOfWeek"); setting LOCALE_SSHORTDATE also sets "iDate" to the
// order of the new picture. The locale must be the user's default: the
// overrides belong to it alone. A calendar type must be one of the locale's
// calendars. Returns TRUE or FALSE.
BOOL SetLocaleInfo(LCID lcid, LCTYPE type, const char* value);
BOOL SetLocaleInfo(LCID lcid, LCTYPE type, const char16_t* value);

// Writes the date (null: now) with the picture (null: the locale's short,
// long or year-month date by flags) in the locale's current calendar, or in
// its alternate one with DATE_USE_ALT_CALENDAR. The time fields and the day
// of the week of *date are ignored.
int GetDateFormat(LCID lcid, DWORD flags, const SYSTEMTIME* date, const char* picture, char* out,
                  int size);
int GetDateFormat(LCID lcid, DWORD flags, const SYSTEMTIME* date, const char16_t* picture,
                  char16_t* out, int size);

// Writes the time (null: now) with the picture (null: the locale's time
// format). The date fields of *time are ignored.
int GetTimeFormat(LCID lcid, DWORD flags, const SYSTEMTIME* time, const char* picture, char* out,
                  int size);
int GetTimeFormat(LCID lcid, DWORD flags, const SYSTEMTIME* time, const char16_t* picture,
                  char16_t* out, int size);

// With CAL_RETURN_NUMBER (for CAL_ICALINTVALUE) the number goes to *value,
// data must be null and size 0, and the result is the size of a DWORD in
// characters (2 in the W form, 4 in the A form).
int GetCalendarInfo(LCID lcid, CALID calendar, CALTYPE type, char* data, int size, DWORD* value);
int GetCalendarInfo(LCID lcid, CALID calendar, CALTYPE type, char16_t* data, int size,
                    DWORD* value);

// Calls back with the item of each of the locale's calendars (all of them
// with ENUM_ALL_CALENDARS, the locale's current one first) until the callback
// answers FALSE. CAL_ICALINTVALUE lists which calendars the locale has.
BOOL EnumCalendarInfo(CALINFO_ENUMPROCA callback, LCID lcid, CALID calendar, CALTYPE type);
BOOL EnumCalendarInfo(CALINFO_ENUMPROCW callback, LCID lcid, CALID calendar, CALTYPE type);

// Calls back with each locale's identifier as eight hex digits ("00000401")
// until the callback answers FALSE.
BOOL EnumSystemLocales(LOCALE_ENUMPROCA callback, DWORD flags);
BOOL EnumSystemLocales(LOCALE_ENUMPROCW callback, DWORD flags);

namespace nls {

// Makes lcid the user's default locale, writing "Locale", "LocaleName" and
// the locale's own values of every override, as choosing a locale in
// Windows' regional options does. False (nothing written) for a locale we
// have no data for or a registry that cannot be written.
bool SetUserDefaultLocale(LCID lcid);

}  // namespace nls
