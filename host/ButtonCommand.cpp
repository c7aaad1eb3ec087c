// orvane generate and orvane delete: the host starts as Outlook and presses
// a button of the add-in's "Orvane" tool bar, as the user would click it.

#include <cstdio>
#include <cstring>
#include <exception>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/model/CommandBarLibrary.h"
#include "host/model/CommandBars.h"
#include "host/model/Explorer.h"
#include "host/run/AddinLoader.h"
#include "host/run/OutlookProcess.h"
#include "host/ProfileHost.h"
#include "host/ToolbarButton.h"
#include "platform/registry/Registry.h"
#include "platform/win/FormatMessage.h"

namespace {

struct ButtonCommand {
  const char* name;
  const char* tag;  // how the add-in names its button across sessions
  const char* help;
};

constexpr ButtonCommand kButtonCommands[] = {
    {"generate", "Veltrix Prayer Generate Button",
     "usage: orvane generate\n"
     "Starts the host as Outlook and presses the add-in's Generate button: the\n"
     "calendar is filled with the chosen prayers over the preschedule window,\n"
     "unless it already holds prayer appointments (delete them first)."},
    {"delete", "Veltrix Prayer Delete Button",
     "usage: orvane delete\n"
     "Starts the host as Outlook and presses the add-in's Delete button: every\n"
     "prayer appointment leaves the calendar, and Deleted Items too."},
};

}  // namespace

ComPtr<CommandBarControl> host::FindToolbarButton(host::CExplorer& window, const char* tag) {
  ComPtr<CommandBars> bars;
  window.get_CommandBars(bars.ReleaseAndGetAddressOf());
  ComPtr<CommandBar> bar;
  if (!bars || FAILED(bars->get_Item(CComVariant::Str("Orvane"), bar.ReleaseAndGetAddressOf())) || !bar) return {};
  CComVariant missing;
  ComPtr<CommandBarControl> button;
  bar->FindControl(missing, missing, CComVariant::Str(tag), missing, missing, button.ReleaseAndGetAddressOf());
  return button;
}

namespace {

// Why the add-in's tool bar is missing, as far as the host can tell: the
// bars of the last run not kept, or the add-in marked not loaded after a
// start at which it failed; only else is it perhaps not installed.
std::string WhyNoToolbar(const host::OutlookProcess& outlook, int office) {
  if (const std::string& bars = outlook.Session().CommandBars().Problem(); !bars.empty()) return bars;
  const std::string progId = office == 10 ? "OrvaneXP.OutlookXPPrayer" : "Orvane2003.Outlook2003Prayer";
  DWORD behavior = 0;
  if (registry::GetDword(HKEY_CURRENT_USER, (std::string(host::kAddinsKey) + "\\" + progId).c_str(), "LoadBehavior",
                         &behavior) == ERROR_SUCCESS &&
      behavior != 3) {
    return "the add-in " + progId + " is marked not loaded (LoadBehavior " + std::to_string(behavior) +
           "), as a start at which it failed leaves it; orvane install loads it again";
  }
  return "is it installed (orvane install)?";
}

int PressNow(const ButtonCommand& command, const host::HostOptions& options);

int Press(const ButtonCommand& command, const GlobalOptions& global, const Arguments& args) {
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      std::puts(command.help);
      return 0;
    }
    return cli::UnknownArgument(command.name, arg);
  }
  host::HostOptions options;
  options.office = global.office;
  options.uiLanguage = global.uiLanguage;
  options.storeOptions.userFieldsInFilters = global.userFieldsInFilters;
  return host::RunAsProfileHost(command.name, [&] { return PressNow(command, options); });
}

int PressNow(const ButtonCommand& command, const host::HostOptions& options) {
  try {
    host::OutlookProcess outlook(options);
    outlook.Start();
    const auto window = outlook.Session().ActiveExplorer();
    ComPtr<CommandBarControl> button = window ? host::FindToolbarButton(*window, command.tag) : ComPtr<CommandBarControl>();
    if (!button) {
      outlook.Stop();
      return cli::Failure("the add-in's tool bar is not there: " + WhyNoToolbar(outlook, options.office));
    }
    const HRESULT hr = button->Execute();
    outlook.Stop();
    const bool failures = outlook.TellFailures();
    if (FAILED(hr)) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
      std::string reason = win::SystemMessage(static_cast<DWORD>(hr));
      while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
      return cli::Failure(std::string("the ") + command.name + " command failed" +
                          (reason.empty() ? std::string() : ": " + reason) + " (" + code +
                          "); the calendar may be partly done, run it again when the cause is mended");
    }
    if (failures) return 1;
  } catch (const std::exception& e) {
    return cli::Failure(e.what());
  }
  return 0;
}

}  // namespace

int RunGenerate(const GlobalOptions& global, const Arguments& args) { return Press(kButtonCommands[0], global, args); }
int RunDelete(const GlobalOptions& global, const Arguments& args) { return Press(kButtonCommands[1], global, args); }
