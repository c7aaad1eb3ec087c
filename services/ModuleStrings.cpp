#include "services/ModuleStrings.h"

#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

namespace {

#if defined(ORVANE_FLAVOUR_XP)
#define ORVANE_ADDIN_PROGID "OrvaneXP.OutlookXPPrayer"
#define ORVANE_OFFICE "10.0"
#else
#define ORVANE_ADDIN_PROGID "Orvane2003.Outlook2003Prayer"
#define ORVANE_OFFICE "11.0"
#endif

constexpr ResourceString kModuleStrings[] = {
    {1, "Software\\Microsoft\\Office\\Outlook\\AddIns\\" ORVANE_ADDIN_PROGID},
    {2, "Resource Path"},
    {3, "orvnres"},
    {4, "Software\\Veltrix\\Orvane\\3.0"},
    {5, "Software\\Microsoft\\Office\\" ORVANE_OFFICE "\\Common\\LanguageResources"},
    {6, "UILanguage"},
    {109, "LastDate"},
    {324, "LastNext"},
    {325, ".dll"},
    {337, "Software\\Microsoft\\Office\\" ORVANE_OFFICE "\\Outlook\\Options\\Calendar"},
};

constexpr ResourceTable kModuleTable = {
    ResourceTable::kVersion, kModuleStrings, sizeof kModuleStrings / sizeof kModuleStrings[0],
    nullptr, 0, nullptr, 0,
};

}  // namespace

const ResourceTable* ModuleResources() { return &kModuleTable; }

tstring ModuleString(unsigned id) {
  for (const ResourceString& entry : kModuleStrings) {
    if (entry.id == id) return Utf8ToT(entry.utf8);
  }
  return {};
}

extern "C" __attribute__((visibility("default"))) const ResourceTable* OrvaneResourceTable() {
  return &kModuleTable;
}
