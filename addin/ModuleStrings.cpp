#include "addin/ModuleStrings.h"

namespace {

struct ModuleStringEntry {
  unsigned id;
  const tchar* text;
};

#if defined(ORVANE_FLAVOUR_XP)
#define ORVANE_ADDIN_PROGID "OrvaneXP.OutlookXPPrayer"
#define ORVANE_OFFICE "10.0"
#else
#define ORVANE_ADDIN_PROGID "Orvane2003.Outlook2003Prayer"
#define ORVANE_OFFICE "11.0"
#endif

constexpr ModuleStringEntry kModuleStrings[] = {
    {1, TEXT("Software\\Microsoft\\Office\\Outlook\\AddIns\\" ORVANE_ADDIN_PROGID)},
    {2, TEXT("Resource Path")},
    {3, TEXT("orvnres")},
    {4, TEXT("Software\\Veltrix\\Orvane\\3.0")},
    {5, TEXT("Software\\Microsoft\\Office\\" ORVANE_OFFICE "\\Common\\LanguageResources")},
    {6, TEXT("UILanguage")},
    {109, TEXT("LastDate")},
    {324, TEXT("LastNext")},
    {325, TEXT(".dll")},
    {337, TEXT("Software\\Microsoft\\Office\\" ORVANE_OFFICE "\\Outlook\\Options\\Calendar")},
};

}  // namespace

const tchar* ModuleString(unsigned id) {
  for (const ModuleStringEntry& entry : kModuleStrings) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}
