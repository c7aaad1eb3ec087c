// orvane start: the host runs as Outlook does, with the add-ins registered
// to load at start-up; with --stay it keeps running, raises reminders and
// carries out the commands other orvane processes hand to it.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/ProfileHost.h"
#include "host/StartReport.h"
#include "host/run/HandOver.h"
#include "host/run/HostClock.h"
#include "host/run/OutlookProcess.h"
#include "host/run/StayingHost.h"
#include "platform/fs/Profile.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int) { stopRequested.store(true); }

void PrintStartHelp() {
  std::puts(
      "usage: orvane start [--stay] [--embedding] [--verbose]\n"
      "Starts the host as Outlook starts: opens the calendar, brings calendar.ics\n"
      "up to date, opens the explorer window, creates and connects every add-in\n"
      "registered under HKCU\\Software\\Microsoft\\Office\\Outlook\\Addins with\n"
      "LoadBehavior 3, and raises Startup. Reminders that fell due while the host\n"
      "was not running are raised if their items have not ended. Then the window\n"
      "closes and the add-ins are disconnected. Says in one line what the add-in\n"
      "wrote into the calendar, and nothing when it was filled already.\n"
      "  --stay       keep running, raising each reminder as it falls due (shown\n"
      "               with notify-send when available, else on standard error,\n"
      "               with its sound when it has one), until Ctrl-C or SIGTERM.\n"
      "               The add-ins start afresh at the first minute of each day,\n"
      "               after the machine slept, when the time zone or the settings\n"
      "               change; other orvane commands on the profile are handed to\n"
      "               it and carried out here\n"
      "  --embedding  start as another program would: no explorer window\n"
      "  --verbose    say what the calendar holds even when nothing was written");
}

void Say(const std::string& line) {
  if (line.empty()) return;
  std::puts(line.c_str());
  std::fflush(stdout);
}

int StartOnce(const host::HostOptions& options, bool verbose) {
  host::StartReport report;
  report.Before();
  host::OutlookProcess outlook(options);
  outlook.Start();
  const DATE now = outlook.Now();
  outlook.CheckReminders(now);
  outlook.Stop();
  Say(report.After(now, verbose));
  const bool failed = outlook.TellFailures();
  return failed || outlook.AddinsFailed() ? 1 : 0;
}

int Stay(const host::HostOptions& options, bool verbose) {
  // From the start, so that a stop asked for while starting still ends in order.
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A caller that went away while its command ran here must not end the host.
  signal(SIGPIPE, SIG_IGN);

  // Listening before the add-ins start: a command that comes meanwhile waits
  // for this host rather than for a lock it would never get.
  host::HandOverListener listener(profile::File("host.socket"));
  host::SystemClock clock;
  host::StayingHost stay(options, clock);
  host::StartReport report;
  bool first = true;
  stay.OnStart([&report] { report.Before(); },
               [&](host::OutlookProcess&) {
                 Say(report.After(clock.Now(), verbose && first));
                 first = false;
               });
  stay.Start();
  std::fprintf(stderr, "orvane: running; Ctrl-C stops\n");
  stay.Run(stopRequested, &listener, RunHandedOverCommand);
  stay.Stop();
  return 0;
}

}  // namespace

int RunStart(const GlobalOptions& global, const Arguments& args) {
  host::HostOptions options;
  options.office = global.office;
  options.uiLanguage = global.uiLanguage;
  options.storeOptions.userFieldsInFilters = global.userFieldsInFilters;
  bool stay = false;
  bool verbose = false;
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      PrintStartHelp();
      return 0;
    } else if (arg == "--stay") {
      stay = true;
    } else if (arg == "--embedding") {
      options.embedding = true;
    } else if (arg == "--verbose") {
      verbose = true;
    } else {
      return cli::UnknownArgument("start", arg);
    }
  }
  if (stay && host::IsProfileHost()) {
    // Handed to a staying host: that is the one already.
    std::fprintf(stderr, "orvane: orvane start --stay keeps this profile already\n");
    return 0;
  }
  try {
    if (stay) {
      return host::RunAsProfileHost("start --stay", [&] { return Stay(options, verbose); },
                                    host::WhenHosted::kSayRunning);
    }
    return host::RunAsProfileHost("start", [&] { return StartOnce(options, verbose); });
  } catch (const std::exception& e) {
    return cli::Failure(e.what());
  }
}
