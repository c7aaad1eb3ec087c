// orvane options: the host starts as Outlook and opens its Options window,
// as Tools, Options does (built-in control 522). With --get or --set no
// window shows: the window opens headless and the command plays the person
// at the add-in's page, choosing in its lists and in the dialogs it opens,
// then presses Apply. The calendar is brought in line by the page itself,
// exactly as by the window.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/OptionsScript.h"
#include "host/ProfileHost.h"
#include "host/model/CommandBarLibrary.h"
#include "host/model/CommandBars.h"
#include "host/model/Explorer.h"
#include "host/model/OptionsDialog.h"
#include "host/model/OptionsWindow.h"
#include "host/model/OutlookSession.h"
#include "host/run/OutlookProcess.h"
#include "platform/com/Variant.h"
#include "platform/ui/FrontEnd.h"

namespace {

constexpr const char* kHelp =
    "usage: orvane options [--get] [--set NAME=VALUE]...\n"
    "Starts the host as Outlook and opens its Options window (Tools, Options) with\n"
    "the add-in's page. With --get it prints every option of the page, one\n"
    "NAME=value a line; with --set it makes the choices in the page and the\n"
    "dialogs it opens, as a person would, and presses Apply: the calendar is\n"
    "brought in line as by the window. No window shows with --get or --set. A\n"
    "value the page refuses is named on one line, and nothing is changed.\n"
    "\n"
    "Options (the same names whatever the interface language):\n"
    "  city=NAME            a city of the city list, by the start of its name or its\n"
    "                       whole name (\"Cairo\", \"London, United Kingdom\"); a name\n"
    "                       that matches several cities or none is refused, with the\n"
    "                       candidates\n"
    "  days=0|next|1|7|14|31|93|186\n"
    "                       days ahead to fill; next: only the next prayer\n"
    "  prayers=LIST         fajr,shorouk,zuhr,asr,maghrib,isha,friday, or none\n"
    "  duration=MINUTES     length of a prayer appointment, 1 to 1440\n"
    "  reminder=MINUTES|off the reminder's lead, 1 to 1440, or no reminder\n"
    "  busy=free|tentative|busy|away\n"
    "  method=egypt|isna|qurah|karachi|wil\n"
    "                       Egyptian authority, ISNA, Umm al-Qura, Karachi, World\n"
    "                       Islamic League\n"
    "  school=shafii|hanafi the Asr school\n"
    "  high-latitude=seventh|middle|angle\n"
    "                       how Fajr and Isha are found where the sun does not give\n"
    "                       them: a seventh of the night, its middle, or the angle\n"
    "  working-days-only=yes|no\n"
    "  cleanup=yes|no       delete past prayer appointments at start-up\n"
    "  friday-settings=yes|no\n"
    "                       the Friday prayer's own settings are used\n"
    "  timetable=today|week|month|tomorrow|next-week|next-month\n"
    "  timetable-calendar=hijri|gregorian\n"
    "\n"
    "Without --get or --set the window shows on the desktop; with --ui headless it\n"
    "opens and OK is pressed at once.";

int OptionsNow(const host::HostOptions& options, const host::OptionsScript* script, bool get) {
  try {
    host::OutlookProcess outlook(options);
    outlook.Start();
    std::string failure;
    int status = 0;
    std::vector<std::string> lines;
    outlook.Session().SetOptionsHandler([&](host::OptionsDialog& dialog) {
      if (script == nullptr && !get) {
        status = host::ShowOptionsWindow(dialog, &failure);
      } else {
        status = host::PlayOptions(dialog, script, get, &lines, &failure);
      }
    });
    const auto window = outlook.Session().ActiveExplorer();
    // Tools, Options: the menu bar's built-in command.
    ComPtr<CommandBarControl> command;
    ComPtr<CommandBars> bars;
    ComPtr<CommandBar> menu;
    ComPtr<CommandBarControls> controls;
    LONG count = 0;
    if (window && SUCCEEDED(window->get_CommandBars(bars.ReleaseAndGetAddressOf())) && bars &&
        SUCCEEDED(bars->get_Item(CComVariant::Str("Menu Bar"), menu.ReleaseAndGetAddressOf())) && menu &&
        SUCCEEDED(menu->get_Controls(controls.ReleaseAndGetAddressOf())) && controls &&
        SUCCEEDED(controls->get_Count(&count))) {
      for (LONG i = 1; i <= count && !command; ++i) {
        ComPtr<CommandBarControl> control;
        LONG id = 0;
        if (SUCCEEDED(controls->get_Item(CComVariant::I4(i), control.ReleaseAndGetAddressOf())) && control &&
            SUCCEEDED(control->get_Id(&id)) && id == host::kOptionsCommandId) {
          command = control;
        }
      }
    }
    const HRESULT hr = command ? command->Execute() : outlook.Session().ShowOptions();
    outlook.Session().SetOptionsHandler(nullptr);
    outlook.Stop();
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (!failure.empty()) return cli::Failure(failure);
    if (FAILED(hr) && status == 0) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
      return cli::Failure(std::string("the Options window could not be opened (") + code + ")");
    }
    return status;
  } catch (const std::exception& e) {
    return cli::Failure(e.what());
  }
}

}  // namespace

int RunOptions(const GlobalOptions& global, const Arguments& args) {
  bool get = false;
  host::OptionsScript script;
  bool hasScript = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (cli::IsHelp(arg)) {
      std::puts(kHelp);
      return 0;
    }
    if (arg == "--get") {
      get = true;
    } else if (arg == "--set" || arg.rfind("--set=", 0) == 0) {
      std::string value;
      if (arg == "--set") {
        if (i + 1 == args.size()) return cli::UsageError("options", "--set takes NAME=VALUE");
        value = args[++i];
      } else {
        value = arg.substr(6);
      }
      std::string problem;
      if (!script.Add(value, &problem)) return cli::UsageError("options", problem);
      hasScript = true;
    } else {
      return cli::UnknownArgument("options", arg);
    }
  }
  host::HostOptions options;
  options.office = global.office;
  options.uiLanguage = global.uiLanguage;
  options.storeOptions.userFieldsInFilters = global.userFieldsInFilters;
  return host::RunAsProfileHost("options", [&] { return OptionsNow(options, hasScript ? &script : nullptr, get); });
}
