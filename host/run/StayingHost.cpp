#include "host/run/StayingHost.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>

#include "host/run/HandOver.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"

namespace host {
namespace {

// The wall clock and the awake clock drift apart a little between two
// ticks (a slow tick, the time being slewed); a minute is no drift.
constexpr double kJumpSeconds = 60.0;
constexpr DATE kMinute = 1.0 / 1440.0;
constexpr auto kTick = std::chrono::seconds(1);
// How long a wait between ticks lasts at most, so that a stop asked for by
// a signal that reached another thread is seen soon.
constexpr int kWaitMilliseconds = 200;

// A handed-over command's standard output and error are its caller's, for
// as long as it runs.
class OutputRedirect {
 public:
  OutputRedirect(int out, int err) {
    std::fflush(stdout);
    std::fflush(stderr);
    savedOut_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    savedErr_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
  }
  ~OutputRedirect() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (savedOut_ >= 0) {
      dup2(savedOut_, STDOUT_FILENO);
      close(savedOut_);
    }
    if (savedErr_ >= 0) {
      dup2(savedErr_, STDERR_FILENO);
      close(savedErr_);
    }
  }
  OutputRedirect(const OutputRedirect&) = delete;
  OutputRedirect& operator=(const OutputRedirect&) = delete;

 private:
  int savedOut_ = -1;
  int savedErr_ = -1;
};

std::string Minutes(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f min", std::fabs(seconds) / 60.0);
  return text;
}

}  // namespace

StayingHost::StayingHost(const HostOptions& options, HostClock& clock) : options_(options), clock_(clock) {}

StayingHost::~StayingHost() { Stop(); }

void StayingHost::Start() {
  StartRun(OutlookProcess::Join::kOutlookStarts);
  Remember(clock_.Now(), clock_.AwakeSeconds(), clock_.Zone());
}

void StayingHost::StartRun(OutlookProcess::Join join) {
  if (beforeStart_) beforeStart_();
  auto process = std::make_unique<OutlookProcess>(options_);
  process->Start(join);
  process_ = std::move(process);
  ++starts_;
  const DATE now = clock_.Now();
  // The day the add-ins last heard Startup on.
  if (join == OutlookProcess::Join::kOutlookStarts) runDay_ = std::floor(now);
  process_->CheckReminders(now);
  lastProblem_.clear();
  if (afterStart_) afterStart_(*process_);
}

void StayingHost::EndRun() {
  if (!process_) return;
  process_->Stop();
  process_.reset();
  // The add-ins' modules go when nothing holds them, so that the next run
  // reads everything afresh, as a new Outlook would.
  CoFreeUnusedLibraries();
}

void StayingHost::Restart(OutlookProcess::Join join) {
  try {
    StartRun(join);
  } catch (const std::exception& e) {
    process_.reset();
    Report(std::string("the host could not start again: ") + e.what() + "; trying again");
  }
}

void StayingHost::Report(const std::string& problem) {
  if (problem == lastProblem_) return;
  lastProblem_ = problem;
  std::fprintf(stderr, "orvane: %s\n", problem.c_str());
}

std::string StayingHost::ReasonToStartAfresh(DATE now, double awake, const std::string& zone) {
  if (zone != zone_) return "the time zone changed (" + zone_ + " to " + zone + ")";
  const double wall = (now - lastNow_) * 86400.0;
  const double awakeFor = awake - lastAwake_;
  if (wall - awakeFor > kJumpSeconds) return "the clock moved on " + Minutes(wall - awakeFor) + " while the host was not awake";
  if (awakeFor - wall > kJumpSeconds) return "the clock was put back " + Minutes(awakeFor - wall);
  if (std::floor(now) > runDay_ && now - std::floor(now) >= kMinute) return "a new day";
  const std::uint64_t stamp = registry::ChangeStamp();
  if ((stamp == 0 || stamp != settingsStamp_) && SettingsSnapshot() != settings_) return "the settings changed";
  return {};
}

void StayingHost::Remember(DATE now, double awake, const std::string& zone) {
  lastNow_ = now;
  lastAwake_ = awake;
  zone_ = zone;
  // Whatever this process changed up to here (the add-ins save as they
  // work) is no change from outside.
  const std::uint64_t stamp = registry::ChangeStamp();
  if (stamp == 0 || stamp != settingsStamp_) settings_ = SettingsSnapshot();
  settingsStamp_ = stamp;
}

std::string StayingHost::SettingsSnapshot() {
  std::string text, error;
  if (!registry::ExportRegText("HKEY_CURRENT_USER", &text, &error)) return {};
  return text;
}

void StayingHost::Tick() {
  if (stopped_) return;
  const DATE now = clock_.Now();
  const double awake = clock_.AwakeSeconds();
  const std::string zone = clock_.Zone();
  if (!process_) {
    Restart(OutlookProcess::Join::kOutlookStarts);
  } else if (const std::string reason = ReasonToStartAfresh(now, awake, zone); !reason.empty()) {
    std::fprintf(stderr, "orvane: %s: the add-ins start afresh\n", reason.c_str());
    EndRun();
    Restart(OutlookProcess::Join::kOutlookStarts);
  } else {
    try {
      process_->CheckReminders(now);
      lastProblem_.clear();
    } catch (const std::exception& e) {
      // A store busy with another program, say: the next tick tries again.
      Report(std::string("reminders could not be checked: ") + e.what());
    }
  }
  if (process_) process_->ReapAlerts();
  Remember(now, awake, zone);
}

int StayingHost::RunBetween(const std::function<int()>& command) {
  EndRun();
  int status = 1;
  try {
    status = command();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvane: %s\n", e.what());
  }
  Restart(OutlookProcess::Join::kOutlookRuns);
  Remember(clock_.Now(), clock_.AwakeSeconds(), clock_.Zone());
  return status;
}

void StayingHost::ServeWaiting(HandOverListener& listener, const CommandRunner& runner) {
  bool ended = false;
  // Every command waiting runs before the run starts again: a burst of
  // commands does not pay for a start of the add-ins between each two.
  while (std::unique_ptr<HandedCommand> command = listener.Accept()) {
    if (!command->Begin()) continue;  // the caller gave up waiting
    if (!ended) {
      EndRun();
      ended = true;
    }
    int status = 1;
    {
      OutputRedirect redirect(command->Out(), command->Err());
      try {
        status = runner(command->Words());
      } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane: %s\n", e.what());
      }
    }
    command->Finish(status);
  }
  if (ended) {
    Restart(OutlookProcess::Join::kOutlookRuns);
    Remember(clock_.Now(), clock_.AwakeSeconds(), clock_.Zone());
  }
}

void StayingHost::Run(const std::atomic<bool>& stop, HandOverListener* listener, const CommandRunner& runner) {
  auto next = std::chrono::steady_clock::now() + kTick;
  while (!stop.load() && !(process_ && process_->Session().IsShutDown())) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= next) {
      Tick();
      next = std::chrono::steady_clock::now() + kTick;
      continue;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
    const int wait = static_cast<int>(std::min<long long>(left + 1, kWaitMilliseconds));
    if (listener == nullptr) {
      poll(nullptr, 0, wait);
      continue;
    }
    pollfd waiting{listener->Descriptor(), POLLIN, 0};
    if (poll(&waiting, 1, wait) > 0 && (waiting.revents & POLLIN) != 0) ServeWaiting(*listener, runner);
  }
}

void StayingHost::Stop() {
  if (stopped_) return;
  stopped_ = true;
  EndRun();
}

}  // namespace host
