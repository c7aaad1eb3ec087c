#pragma once
// The host as `orvane start --stay` runs it, for days on end: the run as
// Outlook (OutlookProcess), reminders checked about once a second, and the
// commands other orvane processes hand to it. The run starts afresh (the
// add-ins are disconnected and connected again, and hear Startup, as after
// a restart of Outlook) whenever what it started with no longer holds:
//   - a new day has begun (at the first minute after midnight), so that
//     the add-ins roll the calendar's window on;
//   - the clock jumped: the machine slept (the awake clock stood still
//     while the wall clock ran) or the time was set; reminders that fell
//     due meanwhile are raised once, while their items have not ended, as
//     at any start;
//   - the machine's time zone changed;
//   - the settings in the registry (HKEY_CURRENT_USER) were changed by
//     another program, so that the add-ins read them again.
// A handed-over command runs between two runs, as if it were a program of
// its own, so that one add-in at a time works on the profile. The run then
// takes up again with the add-ins connected as to an Outlook that runs
// already, without Startup: what the command did (a Delete) stays done
// until the next day's start.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/run/HostClock.h"
#include "host/run/OutlookProcess.h"

namespace host {

class HandOverListener;

class StayingHost {
 public:
  // Runs the words of a handed-over command; its exit status.
  using CommandRunner = std::function<int(const std::vector<std::string>& words)>;
  // Called before each start of the run, and after it with the run (for
  // the one-line report of what the add-ins wrote).
  using BeforeStart = std::function<void()>;
  using AfterStart = std::function<void(OutlookProcess& process)>;

  // `clock` is the caller's and outlives this.
  StayingHost(const HostOptions& options, HostClock& clock);
  ~StayingHost();
  StayingHost(const StayingHost&) = delete;
  StayingHost& operator=(const StayingHost&) = delete;

  void OnStart(BeforeStart before, AfterStart after) {
    beforeStart_ = std::move(before);
    afterStart_ = std::move(after);
  }

  // Starts the run and raises the reminders that are due. Throws what
  // OutlookProcess::Start throws.
  void Start();
  // One look at the clock, the zone and the settings: starts the run afresh
  // when one of them asks for it, then raises the reminders due by now.
  // Failures (the store busy with another program) are reported on
  // standard error and tried again at the next tick.
  void Tick();
  // Runs `command` between two runs: the current run stops, the command
  // runs, the run takes up again (no Startup). The command's exit status.
  int RunBetween(const std::function<int()>& command);
  // Ticks about once a second until `stop` is set or an add-in quits
  // Outlook; between ticks, runs the commands that come to `listener`
  // (none when null) through `runner`, their output going to their callers.
  void Run(const std::atomic<bool>& stop, HandOverListener* listener, const CommandRunner& runner);
  // Ends the run. Once; the destructor calls it.
  void Stop();

  // How many times the run started (1 after Start), for reports and tests.
  int Starts() const { return starts_; }
  // The current run; null between a failed start and the next tick.
  OutlookProcess* Process() const { return process_.get(); }

 private:
  void StartRun(OutlookProcess::Join join);
  void EndRun();
  // Starts the run again after it was ended, reporting a failure instead of
  // throwing it (the next tick tries again).
  void Restart(OutlookProcess::Join join);
  void Report(const std::string& problem);
  // Why the run must start afresh now; empty when it need not.
  std::string ReasonToStartAfresh(DATE now, double awake, const std::string& zone);
  void Remember(DATE now, double awake, const std::string& zone);
  std::string SettingsSnapshot();
  void ServeWaiting(HandOverListener& listener, const CommandRunner& runner);

  HostOptions options_;
  HostClock& clock_;
  std::unique_ptr<OutlookProcess> process_;
  BeforeStart beforeStart_;
  AfterStart afterStart_;
  std::string lastProblem_;  // said once, not at every tick it lasts
  int starts_ = 0;
  bool stopped_ = false;
  DATE lastNow_ = 0;
  double lastAwake_ = 0;
  std::string zone_;
  double runDay_ = 0;  // the day (an OLE date's integer part) the run started on
  std::uint64_t settingsStamp_ = 0;
  std::string settings_;
};

}  // namespace host
