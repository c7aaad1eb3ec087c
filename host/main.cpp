// orvane: the calendar host and the command line.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/BusyWaitSetting.h"
#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/ProfileCheck.h"
#include "host/FrontEndChoice.h"
#include "host/store/CalendarStore.h"
#include "platform/com/ComRuntime.h"
#include "platform/time/SystemTime.h"

namespace {

void PrintHelp() {
  std::puts(
      "usage: orvane [--home DIR] [--office 10|11] [--ui-language LCID] [--ui KIND] COMMAND [ARGS]\n"
      "\n"
      "Commands:\n"
      "  install    register the add-in module in the profile\n"
      "  calc       print prayer times through the registered calculator\n"
      "  reg        export or import the profile's registry as .reg text\n"
      "  calendar   list the calendar's items or export them as iCalendar\n"
      "  start      run as Outlook: load the add-ins, raise Startup and reminders\n"
      "  generate   press the add-in's Generate button: fill the calendar now\n"
      "  delete     press the add-in's Delete button: remove the prayer appointments\n"
      "  imsakyya   press the add-in's Imsakyya button: write and open the timetable\n"
      "  uninstall  take the add-in, its items and its settings off the profile\n"
      "  dialog     open one dialog of the add-in on its own\n"
      "\n"
      "Global options:\n"
      "  --home DIR          the profile folder (else ORVANE_HOME, else\n"
      "                      ~/.local/share/orvane)\n"
      "  --office 10|11      the Outlook version to play: XP or 2003 (default 11)\n"
      "  --ui-language LCID  the Office user-interface language\n"
      "  --ui qt|terminal|headless  how windows show: on the desktop (the default\n"
      "                      with DISPLAY or WAYLAND_DISPLAY), on the terminal\n"
      "                      (message boxes and progress only), or not at all\n"
      "  --no-user-fields    filters may not name user-defined fields, as some\n"
      "                      stores refuse them (the add-in then falls back)\n"
      "\n"
      "orvane COMMAND --help tells more about each command.");
}

struct Command {
  const char* name;
  int (*run)(const GlobalOptions&, const Arguments&);
};

constexpr Command kCommands[] = {
    {"install", RunInstall},
    {"calc", RunCalc},
    {"reg", RunReg},
    {"calendar", RunCalendar},
    {"start", RunStart},
    {"generate", RunGenerate},
    {"delete", RunDelete},
    {"imsakyya", RunImsakyya},
    {"uninstall", RunUninstall},
    {"dialog", RunDialog},
};

}  // namespace

int main(int argc, char** argv) {
  SettleFixedNow();
  GlobalOptions global;
  std::string command;
  Arguments args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--home") {
      if (!hasValue || argv[i + 1][0] == '\0') return cli::UsageError("", "--home needs a folder");
      // Set for the whole process, so the modules we load see the same profile.
      setenv("ORVANE_HOME", argv[++i], 1);
    } else if (arg == "--office" && command.empty()) {
      const auto version = hasValue ? cli::ParseInteger(argv[++i]) : std::nullopt;
      if (!version || (*version != 10 && *version != 11)) {
        return cli::UsageError("", "--office takes 10 or 11");
      }
      global.office = static_cast<int>(*version);
    } else if (arg == "--ui-language") {
      const auto lcid = hasValue ? cli::ParseInteger(argv[++i]) : std::nullopt;
      if (!lcid || *lcid <= 0) return cli::UsageError("", "--ui-language takes a locale identifier such as 1025");
      global.uiLanguage = *lcid;
    } else if (arg == "--ui" && command.empty()) {
      global.ui = hasValue ? argv[++i] : "";
      if (global.ui != "qt" && global.ui != "terminal" && global.ui != "headless") {
        return cli::UsageError("", "--ui takes qt, terminal or headless");
      }
    } else if (arg == "--no-user-fields") {
      global.userFieldsInFilters = false;
    } else if (command.empty() && cli::IsHelp(arg)) {
      PrintHelp();
      return 0;
    } else if (command.empty()) {
      command = arg;
    } else {
      args.push_back(arg);
    }
  }
  if (command.empty()) {
    PrintHelp();
    return 2;
  }
  for (const Command& c : kCommands) {
    if (command == c.name) {
      if (auto problem = host::ApplyBusyWaitSetting()) return cli::Failure(*problem);
      if (auto problem = host::CheckProfile()) return cli::Failure(*problem);
      host::CalendarStore::SetProcessOptions({global.userFieldsInFilters});
      if (const std::string problem = host::ChooseFrontEnd(global.ui); !problem.empty()) {
        return cli::Failure(problem);
      }
      CoInitialize(nullptr);
      const int code = c.run(global, args);
      host::EndFrontEnd();
      CoFreeUnusedLibraries();
      CoUninitialize();
      return code;
    }
  }
  return cli::UsageError("", "unknown command \"" + command + "\"");
}
