#pragma once
// One run of the host as Outlook: the session on the profile's store with
// its explorer window, the add-ins loaded and connected, Startup raised,
// reminders raised as they fall due, and at the end the window closed and
// the add-ins disconnected. calendar.ics follows the store throughout.

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/ical/MirrorFollower.h"
#include "host/model/OutlookSession.h"
#include "host/run/AddinLoader.h"
#include "host/run/ReminderAlert.h"
#include "host/run/ReminderSchedule.h"

namespace host {

struct HostOptions {
  int office = 11;          // 10 (XP) or 11 (2003): where its settings live
  long uiLanguage = 0;      // 0: Office's "UILanguage" setting, else 1033
  bool embedding = false;   // started by another program: no explorer window
  StoreOptions storeOptions;
};

// Office's user-interface language: the option when given, else the
// "UILanguage" setting of that Office version, else English (1033).
long OfficeUILanguage(int office, long option);

class OutlookProcess {
 public:
  explicit OutlookProcess(const HostOptions& options);
  ~OutlookProcess();
  OutlookProcess(const OutlookProcess&) = delete;
  OutlookProcess& operator=(const OutlookProcess&) = delete;

  // How the add-ins come to a run: as Outlook starts (they hear Startup), or
  // to an Outlook that runs already (a staying host's run taken up again
  // after a command it was handed): connected after start-up, no Startup.
  enum class Join { kOutlookStarts, kOutlookRuns };

  // Opens the session, brings calendar.ics up to date, opens the explorer
  // (unless embedding), connects the add-ins and raises Startup. Throws,
  // saying why, when the store could not keep what the add-ins save (a
  // read-only outlook.db or profile folder) or the list of add-ins cannot
  // be read: Outlook does not start on a store it cannot write either, and
  // starting without the add-ins would look like success.
  void Start(Join join = Join::kOutlookStarts);
  // Raises each reminder due since the last check, up to `now` (a reminder
  // already overdue when the host starts is raised only while its item has
  // not ended), to the add-ins and to the user; how many were raised.
  int CheckReminders(DATE now);
  // Checks the reminders about every second, on the host's clock, until
  // stop is set or an add-in quits Outlook. A check that fails (the store
  // busy with another program) is reported and tried again.
  void Stay(const std::atomic<bool>& stop);
  // Collects the notifiers and players of reminders that have finished.
  void ReapAlerts() { alert_.Reap(); }
  // Closes the explorer, tells the add-ins and disconnects them, ends the
  // session and leaves calendar.ics current. Once; the destructor calls it.
  void Stop();

  // What went wrong in this run that its user must hear of, one line each:
  // saves the store refused (a full disk, say), the command bars or
  // calendar.ics not kept. After Stop; a command that reports any of them
  // has not done its work and does not exit with success.
  std::vector<std::string> Failures() const;
  // Prints each of them on standard error; true when there was any.
  bool TellFailures() const;
  // Whether an add-in failed to start: not created, refused the connection
  // (both told as they happened), or failed its Startup (one of Failures).
  // A start whose add-ins did not do their work is no success.
  bool AddinsFailed() const { return addins_.AnyFailed() || FAILED(startupResult_); }

  // The host's clock: "now" when the host started (ORVANE_NOW when set),
  // moving on with real time since.
  DATE Now() const;

  OutlookSession& Session() const { return *session_; }
  MirrorFollower& Mirror() const { return *mirror_; }
  const AddinLoader& Addins() const { return addins_; }

 private:
  void Raise(const DueReminder& due);
  void SaveLastCheck(DATE when) const;
  bool LoadLastCheck(DATE* when) const;

  HostOptions options_;
  std::shared_ptr<OutlookSession> session_;
  std::unique_ptr<MirrorFollower> mirror_;
  AddinLoader addins_;
  HRESULT startupResult_ = S_OK;  // what the add-ins answered to Startup
  ReminderAlert alert_;
  ReminderSchedule schedule_;
  std::uint64_t scheduleChanges_ = UINT64_MAX;
  DATE lastCheck_ = 0.0;
  DATE lookedFrom_ = 0.0;  // the last check of the run before, or of the first ever
  std::set<std::pair<ItemId, DATE>> raised_;  // this run's, so none is raised twice
  bool firstCheck_ = true;
  DATE startDate_ = 0.0;
  std::chrono::steady_clock::time_point startClock_;
  bool started_ = false;
  bool stopped_ = false;
};

}  // namespace host
