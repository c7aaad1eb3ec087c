#pragma once
// Waiting for a file that another program holds locked: a database in the
// middle of someone else's long write, or one a program keeps locked whole.
// One setting for the whole process says how long to wait (the host takes
// it from ORVANE_BUSY_WAIT); a wait that lasts past a second is told, so
// that a user in front of a silent terminal knows why; past the limit the
// caller fails as busy and names the file. The registry and the mail store
// both wait this way.

#include <chrono>
#include <functional>
#include <string>

namespace files {

struct BusyWaitSettings {
  std::chrono::milliseconds limit{30000};
  std::chrono::milliseconds noticeAfter{1000};
  // Told once in each wait that lasts noticeAfter: the file's name and the
  // limit. None by default: only a program with a user in front says so.
  std::function<void(const std::string& file, std::chrono::milliseconds limit)> notice;
};

void SetBusyWaitSettings(BusyWaitSettings settings);
BusyWaitSettings CurrentBusyWaitSettings();

// The waits of one connection to one file.
class BusyWait {
 public:
  explicit BusyWait(std::string file) : file_(std::move(file)) {}

  // Asked after each refusal of one attempt at the file, with 0 for the
  // first refusal of a new wait: sleeps a little and answers true to try
  // again, false once the wait has lasted the limit. Once a wait for the
  // file has run out, the waits for it that begin within the limit after
  // give up at once: a program that makes dozens of calls does not wait
  // dozens of times for a file that is not coming back.
  bool Retry(int refusals);

  // SQLite's busy handler (sqlite3_busy_handler) over a BusyWait.
  static int SqliteBusyHandler(void* wait, int refusals);

 private:
  std::string file_;
  std::chrono::steady_clock::time_point began_{};
  bool told_ = false;
};

}  // namespace files
