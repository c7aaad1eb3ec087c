// OrvaneShowDialog: one dialog of the add-in on its own, opened by
// "orvane dialog NAME", as a rundll32 entry point would open it on Windows.
// The dialog starts from the profile's settings; what it returns is
// printed, and saved only by a dialog whose result says so.

#include <sstream>
#include <string>

#include "addin/DialogTable.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"

#define ORVANE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The further words each have to be one the dialog takes.
bool TakesOptions(const DialogEntry& entry, const char* const* options, int optionCount) {
  for (int i = 0; i < optionCount; ++i) {
    std::istringstream taken(entry.options);
    std::string option;
    bool known = false;
    while (taken >> option) known = known || option == options[i];
    if (!known) return false;
  }
  return true;
}

}  // namespace

/// Shows dialog name with the profile's settings, in the resource library
/// of language (0: Office's "UILanguage" setting). options are the
/// command's further words (for example "--edit"). Prints the dialog's
/// fields after OK, one "Name=value" line each, through print. Returns a
/// DialogResult: 0 after OK, 1 after Cancel, 2 for an unknown name or
/// option, 3 when the dialog could not be shown, 4 after OK when the choice
/// was saved into the settings and the calendar is to follow it.
///
/// With a null name it shows nothing and prints one line for each dialog it
/// knows: its name, the options it takes and a description, separated by
/// tabs; then it returns 0.
ORVANE_EXPORT int OrvaneShowDialog(const char* name, const char* const* options, int optionCount,
                                   unsigned long language, DialogRun::Print print, void* context) {
  if (print == nullptr) return kDialogBadUse;
  try {
    if (name == nullptr) {
      for (const DialogEntry& entry : DialogTable()) {
        print((std::string(entry.name) + "\t" + entry.options + "\t" + entry.description).c_str(), context);
      }
      return kDialogOk;
    }
    const DialogEntry* entry = nullptr;
    for (const DialogEntry& candidate : DialogTable()) {
      if (std::string(candidate.name) == name) entry = &candidate;
    }
    if (entry == nullptr || optionCount < 0 || (optionCount > 0 && options == nullptr) ||
        !TakesOptions(*entry, options, optionCount)) {
      return kDialogBadUse;
    }
    CTraceLog::Instance().Setup();
    DWORD chosen = static_cast<DWORD>(language);
    if (chosen == 0 && !resource_library::ReadOfficeLanguage(&chosen)) chosen = 1033;
    UILanguageID = static_cast<LONG>(chosen);
    if (FAILED(ReloadResourceLibrary(UILanguageID))) return kDialogNotShown;
    CSettingsStore store;
    store.ReadSettings();
    DialogRun run{store, {options, options + optionCount}, print, context};
    return entry->show(run);
  } catch (...) {
    return kDialogNotShown;
  }
}
