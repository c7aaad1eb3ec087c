// orvane: the calendar host and the command line.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "host/BusyWaitSetting.h"
#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/FrontEndChoice.h"
#include "host/ProfileCheck.h"
#include "host/ProfileHost.h"
#include "host/store/CalendarStore.h"
#include "platform/com/ComRuntime.h"
#include "platform/time/SystemTime.h"

namespace {

void PrintHelp() {
  std::puts(
      "usage: orvane [--home DIR] [--office 10|11] [--ui-language LCID] [--ui KIND] [--wait SECONDS]\n"
      "              COMMAND [ARGS]\n"
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
      "  options    open the Options window with the add-in's page; --get and --set\n"
      "             read and change its options without a window\n"
      "  dialog     open one dialog of the add-in on its own\n"
      "  service    install, remove or look at the user service that keeps orvane\n"
      "             start --stay running\n"
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
      "  --wait SECONDS      how long a command that runs the add-in waits for\n"
      "                      another orvane working on the profile (default 120,\n"
      "                      or ORVANE_WAIT); a running orvane start --stay is\n"
      "                      handed the command instead\n"
      "\n"
      "orvane COMMAND --help tells more about each command.");
}

struct Command {
  const char* name;
  int (*run)(const GlobalOptions&, const Arguments&);
};

constexpr Command kCommands[] = {
    {"install", RunInstall},   {"calc", RunCalc},         {"reg", RunReg},
    {"calendar", RunCalendar}, {"start", RunStart},       {"generate", RunGenerate},
    {"delete", RunDelete},     {"imsakyya", RunImsakyya}, {"uninstall", RunUninstall},
    {"dialog", RunDialog},     {"service", RunService},   {"options", RunOptions},
};

const Command* FindCommand(const std::string& name) {
  for (const Command& c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

// The command line read: the global options, the command and its words.
struct CommandLineRead {
  GlobalOptions global;
  std::string command;
  Arguments args;
  std::optional<std::string> home;  // --home
  std::optional<double> wait;       // --wait, in seconds
  // The words without those only this process can apply (--home, --wait),
  // for handing the command to a staying host of the same profile.
  std::vector<std::string> handOver;
};

std::optional<double> WaitSeconds(const std::string& text) {
  const auto seconds = cli::ParseNumber(text);
  if (!seconds || *seconds < 0) return std::nullopt;
  return seconds;
}

// Reads the words; an exit status when they are wrong (said on standard
// error) or ask for the program's help (printed).
std::optional<int> ReadCommandLine(const std::vector<std::string>& words, CommandLineRead* line) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& arg = words[i];
    const bool hasValue = i + 1 < words.size();
    const bool beforeCommand = line->command.empty();
    if (arg == "--home") {
      if (!hasValue || words[i + 1].empty()) return cli::UsageError("", "--home needs a folder");
      line->home = words[++i];
      continue;
    }
    if (arg == "--wait") {
      const auto seconds = hasValue ? WaitSeconds(words[i + 1]) : std::nullopt;
      if (!seconds) return cli::UsageError("", "--wait takes a number of seconds");
      line->wait = seconds;
      ++i;
      continue;
    }
    line->handOver.push_back(arg);
    if (arg == "--office" && beforeCommand) {
      const auto version = hasValue ? cli::ParseInteger(words[++i]) : std::nullopt;
      if (!version || (*version != 10 && *version != 11)) {
        return cli::UsageError("", "--office takes 10 or 11");
      }
      line->global.office = static_cast<int>(*version);
      line->handOver.push_back(words[i]);
    } else if (arg == "--ui-language") {
      const auto lcid = hasValue ? cli::ParseInteger(words[++i]) : std::nullopt;
      if (!lcid || *lcid <= 0) return cli::UsageError("", "--ui-language takes a locale identifier such as 1025");
      line->global.uiLanguage = *lcid;
      line->handOver.push_back(words[i]);
    } else if (arg == "--ui" && beforeCommand) {
      line->global.ui = hasValue ? words[++i] : "";
      if (line->global.ui != "qt" && line->global.ui != "terminal" && line->global.ui != "headless") {
        return cli::UsageError("", "--ui takes qt, terminal or headless");
      }
      line->handOver.push_back(words[i]);
    } else if (arg == "--no-user-fields") {
      line->global.userFieldsInFilters = false;
    } else if (beforeCommand && cli::IsHelp(arg)) {
      PrintHelp();
      return 0;
    } else if (beforeCommand && arg.size() > 1 && arg[0] == '-') {
      return cli::UsageError("", "unknown option \"" + arg + "\"");
    } else if (beforeCommand) {
      line->command = arg;
    } else {
      line->args.push_back(arg);
    }
  }
  if (line->command.empty()) {
    PrintHelp();
    return 2;
  }
  return std::nullopt;
}

// The store options this process runs with (a handed-over command may ask
// for others, for itself only).
host::StoreOptions g_storeOptions;

std::optional<double> WaitFromEnvironment() {
  const char* text = std::getenv("ORVANE_WAIT");
  if (text == nullptr || *text == '\0') return std::nullopt;
  const auto seconds = WaitSeconds(text);
  if (!seconds) std::fprintf(stderr, "orvane: ORVANE_WAIT=\"%s\" is no number of seconds; ignored\n", text);
  return seconds;
}

}  // namespace

// A command handed to this process, a staying host, by another orvane of
// the same profile: read as main reads it, and run with this process's
// front end and profile.
int RunHandedOverCommand(const std::vector<std::string>& words) {
  CommandLineRead line;
  if (auto code = ReadCommandLine(words, &line)) return *code;
  const Command* c = FindCommand(line.command);
  if (c == nullptr) return cli::UsageError("", "unknown command \"" + line.command + "\"");
  if (auto problem = host::CheckProfile()) return cli::Failure(*problem);
  host::CalendarStore::SetProcessOptions({line.global.userFieldsInFilters});
  const int code = c->run(line.global, line.args);
  host::CalendarStore::SetProcessOptions(g_storeOptions);
  return code;
}

int main(int argc, char** argv) {
  SettleFixedNow();
  CommandLineRead line;
  if (auto code = ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), &line)) return *code;
  // Set for the whole process, so the modules we load see the same profile.
  if (line.home) setenv("ORVANE_HOME", line.home->c_str(), 1);
  const Command* c = FindCommand(line.command);
  if (c == nullptr) return cli::UsageError("", "unknown command \"" + line.command + "\"");
  host::SetWaitLimit(line.wait ? *line.wait : WaitFromEnvironment().value_or(host::kDefaultWaitSeconds));
  host::SetHandOverWords(line.handOver);

  if (auto problem = host::ApplyBusyWaitSetting()) return cli::Failure(*problem);
  if (auto problem = host::CheckProfile()) return cli::Failure(*problem);
  g_storeOptions.userFieldsInFilters = line.global.userFieldsInFilters;
  host::CalendarStore::SetProcessOptions(g_storeOptions);
  if (const std::string problem = host::ChooseFrontEnd(line.global.ui); !problem.empty()) {
    return cli::Failure(problem);
  }
  CoInitialize(nullptr);
  const int code = c->run(line.global, line.args);
  host::EndFrontEnd();
  CoFreeUnusedLibraries();
  CoUninitialize();
  host::CalendarStore::CloseCurrent();
  return code;
}
