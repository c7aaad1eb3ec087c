// OrvaneShowDialog: one dialog of the add-in on its own, opened by
// "orvane dialog NAME" for trying it and for translators checking a
// language, as a rundll32 entry point would open it on Windows. The dialog
// starts from the profile's settings; what it returns is printed, never
// saved.

#include <cstdio>
#include <string>

#include "addin/ResourceLibrary.h"
#include "addin/SettingsStore.h"
#include "addin/TraceLog.h"
#include "calc/DaylightDlg.h"
#include "locations/AddCity.h"
#include "platform/ui/Resources.h"

#define ORVANE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using Print = void (*)(const char* utf8Line, void* context);

// A settings value's name, as the registry knows it (resource string).
std::string ValueName(UINT id) {
  const char* name = ui::FindString(ResourceInstance(), id);
  return name != nullptr ? name : std::to_string(id);
}

int ShowDaylight(const AddinSettings& settings, Print print, void* context) {
  CDaylightDlg dialog(static_cast<int>(settings.daylightStartDay),
                      static_cast<int>(settings.daylightStartMonth),
                      static_cast<int>(settings.daylightEndDay),
                      static_cast<int>(settings.daylightEndMonth));
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return 3;
  if (result != IDOK) return 1;
  const std::pair<UINT, int> fields[] = {{145, dialog.m_startDay},
                                         {146, dialog.m_startMonth},
                                         {147, dialog.m_endDay},
                                         {148, dialog.m_endMonth}};
  for (const auto& [name, value] : fields) {
    print((ValueName(name) + "=" + std::to_string(value)).c_str(), context);
  }
  return 0;
}

// The current city, in add mode as the city to start from, in edit mode as
// the city to correct; the record as a city line after OK.
int ShowAddCity(const AddinSettings& settings, bool edit, Print print, void* context) {
  CCityInfo current;
  if (!settings.location.empty()) current.GetInfoFromLine(settings.location.c_str());
  CAddCity dialog(&current, edit ? CAddCity::kEdit : CAddCity::kAdd);
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return 3;
  if (result != IDOK) return 1;
  const CCityInfo& city = dialog.Record();
  const auto text = [](const CityText& value) { return text::Utf16ToUtf8(value.value_or(u"")); };
  tchar longitude[64] = {};
  tchar latitude[64] = {};
  city.FormatCoordinates(longitude, latitude, 64);
  char zone[32];
  std::snprintf(zone, sizeof zone, "%.6g", city.m_timeZone);
  const std::string lines[] = {
      "Name=" + text(city.m_name),
      "State=" + text(city.m_state),
      "Country=" + text(city.m_country),
      "Latitude=" + TToUtf8(latitude),
      "Longitude=" + TToUtf8(longitude),
      std::string("TimeZone=") + zone,
      std::string("Daylight=") + (city.m_daylight != 0 ? "Y" : "N"),
  };
  for (const std::string& line : lines) print(line.c_str(), context);
  tchar cityLine[1040] = {};
  city.GetLineFromInfo(cityLine, 1040);
  std::string asLine = TToUtf8(cityLine);
  while (!asLine.empty() && (asLine.back() == '\n' || asLine.back() == '\r')) asLine.pop_back();
  print((ValueName(151) + "=" + asLine).c_str(), context);
  return 0;
}

}  // namespace

/// Shows dialog name ("daylight", "add-city") with the profile's settings, in the
/// resource library of language (0: Office's "UILanguage" setting). options
/// are the command's further words (for example "--edit"). Prints the
/// dialog's fields after OK, one "Name=value" line each, through print.
/// Returns 0 after OK, 1 after Cancel, 2 for an unknown name or option, 3
/// when the dialog could not be shown (no resource library, no template).
ORVANE_EXPORT int OrvaneShowDialog(const char* name, const char* const* options, int optionCount,
                                   unsigned long language, Print print, void* context) {
  if (name == nullptr || print == nullptr) return 2;
  try {
    CTraceLog::Instance().Setup();
    DWORD chosen = static_cast<DWORD>(language);
    if (chosen == 0 && !resource_library::ReadOfficeLanguage(&chosen)) chosen = 1033;
    UILanguageID = static_cast<LONG>(chosen);
    if (FAILED(ReloadResourceLibrary(UILanguageID))) return 3;
    CSettingsStore store;
    store.ReadSettings();
    const std::string dialog = name;
    if (dialog == "daylight") {
      if (optionCount != 0) return 2;
      return ShowDaylight(store.Settings(), print, context);
    }
    if (dialog == "add-city") {
      bool edit = false;
      for (int i = 0; i < optionCount; ++i) {
        if (std::string(options[i]) != "--edit") return 2;
        edit = true;
      }
      return ShowAddCity(store.Settings(), edit, print, context);
    }
    return 2;
  } catch (...) {
    return 3;
  }
}
