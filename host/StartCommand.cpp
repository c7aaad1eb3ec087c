// orvane start: the host runs as Outlook does, with the add-ins registered
// to load at start-up; with --stay it keeps running and raises reminders.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/run/OutlookProcess.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int) { stopRequested.store(true); }

void PrintStartHelp() {
  std::puts(
      "usage: orvane start [--stay] [--embedding]\n"
      "Starts the host as Outlook starts: opens the calendar, brings calendar.ics\n"
      "up to date, opens the explorer window, creates and connects every add-in\n"
      "registered under HKCU\\Software\\Microsoft\\Office\\Outlook\\Addins with\n"
      "LoadBehavior 3, and raises Startup. Reminders that fell due while the host\n"
      "was not running are raised if their items have not ended. Then the window\n"
      "closes and the add-ins are disconnected.\n"
      "  --stay       keep running, raising each reminder as it falls due (shown\n"
      "               with notify-send when available, else on standard error,\n"
      "               with its sound when it has one), until Ctrl-C or SIGTERM\n"
      "  --embedding  start as another program would: no explorer window");
}

}  // namespace

int RunStart(const GlobalOptions& global, const Arguments& args) {
  host::HostOptions options;
  options.office = global.office;
  options.uiLanguage = global.uiLanguage;
  options.storeOptions.userFieldsInFilters = global.userFieldsInFilters;
  bool stay = false;
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      PrintStartHelp();
      return 0;
    } else if (arg == "--stay") {
      stay = true;
    } else if (arg == "--embedding") {
      options.embedding = true;
    } else {
      return cli::UsageError("start", "unknown argument \"" + arg + "\"");
    }
  }
  try {
    if (stay) {
      // From the start, so that a stop asked for while starting still ends in order.
      struct sigaction action {};
      action.sa_handler = RequestStop;
      sigemptyset(&action.sa_mask);
      sigaction(SIGINT, &action, nullptr);
      sigaction(SIGTERM, &action, nullptr);
    }
    host::OutlookProcess outlook(options);
    outlook.Start();
    outlook.CheckReminders(outlook.Now());
    if (stay) {
      std::fprintf(stderr, "orvane: running; Ctrl-C stops\n");
      outlook.Stay(stopRequested);
    }
    outlook.Stop();
    if (outlook.TellFailures()) return 1;
  } catch (const std::exception& e) {
    return cli::Failure(e.what());
  }
  return 0;
}
