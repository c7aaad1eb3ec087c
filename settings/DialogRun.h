#pragma once
// A dialog of the add-in shown on its own (`orvane dialog NAME`): what it
// starts from, and how it tells what the user chose. Each dialog that can
// be shown so has a function taking a DialogRun; the add-in lists those
// functions in its dialog table. Most only print what the user chose; one
// that saves the choice into the settings says so by its result, and the
// host then starts as Outlook so that the add-in brings the calendar in
// line with the saved settings.

#include <string>
#include <vector>

#include "services/ResourceLibrary.h"
#include "settings/SettingsStore.h"
#include "platform/ui/Resources.h"

// How a dialog shown on its own ended.
enum DialogResult : int {
  kDialogOk = 0,         // OK: the fields were printed
  kDialogCancelled = 1,  // Cancel: nothing printed
  kDialogBadUse = 2,     // no such dialog, or an option it does not take
  kDialogNotShown = 3,   // no resource library, no template, no window
  kDialogOkSaved = 4,    // OK: the fields were printed and the choice saved into the settings,
                         // with the prayer appointments marked to be rewritten at the add-in's next start
};

struct DialogRun {
  using Print = void (*)(const char* utf8Line, void* context);

  CSettingsStore& store;             // the profile's settings, as read
  std::vector<std::string> options;  // the command's further words, checked against the table
  Print print;                       // one "Name=value" line, UTF-8
  void* context;                     // handed back to print

  bool HasOption(const std::string& option) const {
    for (const std::string& given : options) {
      if (given == option) return true;
    }
    return false;
  }
  void PrintLine(const std::string& line) const { print(line.c_str(), context); }
  // A settings value's name, as the registry knows it (resource string id).
  static std::string ValueName(UINT id) {
    const char* name = ui::FindString(ResourceInstance(), id);
    return name != nullptr ? name : std::to_string(id);
  }
  void PrintValue(UINT nameId, const std::string& value) const { PrintLine(ValueName(nameId) + "=" + value); }
};
