#include "host/ProfileHost.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <system_error>
#include <thread>

#include "host/run/HandOver.h"
#include "host/run/ProfileLock.h"
#include "platform/fs/Profile.h"

namespace host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kSayWaitingAfter = std::chrono::seconds(1);
constexpr auto kLookAgain = std::chrono::milliseconds(50);

std::vector<std::string> g_words;
double g_waitSeconds = kDefaultWaitSeconds;
bool g_hosting = false;

// Says once, after a second, that the command waits; says when it gives up.
class Waiting {
 public:
  Waiting() : start_(Clock::now()) {}

  // False, having said so, when the limit has passed.
  bool GoOn(const std::string& busy) {
    const auto waited = Clock::now() - start_;
    if (waited >= std::chrono::duration<double>(g_waitSeconds)) {
      std::fprintf(stderr,
                   "orvane: gave up after %g s: %s still works on this profile (orvane --wait SECONDS "
                   "waits longer)\n",
                   g_waitSeconds, busy.c_str());
      return false;
    }
    if (!said_ && waited >= kSayWaitingAfter) {
      said_ = true;
      std::fprintf(stderr, "orvane: waiting for %s, which works on this profile\n", busy.c_str());
    }
    return true;
  }

 private:
  Clock::time_point start_;
  bool said_ = false;
};

std::string Busy(const std::string& holder, pid_t pid) {
  if (!holder.empty()) return holder;
  return pid > 0 ? "another orvane (pid " + std::to_string(pid) + ")" : "another orvane";
}

enum class Outcome { kAnswered, kNotTaken, kGaveUp };

// Hands the command to the staying host on the other end of `client`.
Outcome HandOver(HandOverClient& client, const std::string& busy, Waiting& waiting, int* status) {
  if (!client.Send(g_words)) return Outcome::kNotTaken;
  for (;;) {
    switch (client.WaitTaken(kLookAgain)) {
      case HandOverClient::Step::kRefused:
        return Outcome::kNotTaken;  // it is stopping: the profile will be free
      case HandOverClient::Step::kWaiting:
        if (!waiting.GoOn(busy)) return Outcome::kGaveUp;
        continue;
      case HandOverClient::Step::kTaken:
        break;
    }
    break;
  }
  if (const std::optional<int> answer = client.Finish()) {
    *status = *answer;
  } else {
    std::fprintf(stderr, "orvane: %s ended before it finished this command; it may be partly done: run it again\n",
                 busy.c_str());
    *status = 1;
  }
  return Outcome::kAnswered;
}

}  // namespace

void SetHandOverWords(std::vector<std::string> words) { g_words = std::move(words); }

void SetWaitLimit(double seconds) { g_waitSeconds = seconds; }

bool IsProfileHost() { return g_hosting; }

int RunAsProfileHost(const std::string& command, const std::function<int()>& work, WhenHosted whenHosted) {
  if (g_hosting) return work();
  const std::filesystem::path lockFile = profile::File("host.lock");
  ProfileLock lock(lockFile);
  const std::string me = "orvane " + command + " (pid " + std::to_string(getpid()) + ")";
  Waiting waiting;
  for (;;) {
    try {
      if (lock.TryAcquire(me)) break;
    } catch (const std::system_error& e) {
      // A profile nobody can write to (read-only media): no add-in can
      // write twice there either. The command says what it cannot do.
      if (e.code().value() == EROFS || e.code().value() == EACCES) return work();
      throw;
    }
    HandOverClient client;
    const bool staying = client.Connect(profile::File("host.socket"));
    const std::string busy = Busy(ProfileLock::Holder(lockFile), staying ? client.HostPid() : 0);
    if (staying) {
      if (whenHosted == WhenHosted::kSayRunning) {
        std::fprintf(stderr, "orvane: %s keeps this profile already\n", busy.c_str());
        return 0;
      }
      int status = 1;
      switch (HandOver(client, busy, waiting, &status)) {
        case Outcome::kAnswered:
          return status;
        case Outcome::kGaveUp:
          return 1;
        case Outcome::kNotTaken:
          break;
      }
    }
    if (!waiting.GoOn(busy)) return 1;
    std::this_thread::sleep_for(kLookAgain);
  }
  g_hosting = true;
  int status = 1;
  try {
    status = work();
  } catch (...) {
    g_hosting = false;
    throw;
  }
  g_hosting = false;
  return status;
}

}  // namespace host
