#pragma once
// Keeps the store file's lock from one save to the next while saves come
// close together, as in a fill of thousands of one-item saves. Each save is
// still a transaction of its own, in the log before it returns; what is
// spared are the file locks taken and given back around each of them, a
// quarter of a fill's system calls.
//
// The lock can be had only while no other connection has the file open
// (in WAL mode each keeps a share of it); otherwise saves take turns as
// usual. A connection that comes meanwhile waits, as it would for a long
// transaction, and never as long as the store's busy timeout: the lock goes
// back once no save came for kIdle, or after kLongest of holding; then the
// saves take turns for kGiveWay (longer than the pause of SQLite's busy
// handler) before a burst may hold the lock again.
//
// The burst's state is guarded by the store's mutex: BeforeWrite is called
// with it held, and the burst's thread takes it to give the lock back.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace host {

class WriteBurst {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kIdle{50};
  static constexpr std::chrono::milliseconds kLongest{1000};
  static constexpr std::chrono::milliseconds kGiveWay{150};

  // release: gives the file's lock back; called on the burst's thread with
  // storeMutex held, and expected not to throw.
  WriteBurst(std::mutex& storeMutex, std::function<void()> release);
  // Stops the thread; the caller must not hold the store's mutex.
  ~WriteBurst();
  WriteBurst(const WriteBurst&) = delete;
  WriteBurst& operator=(const WriteBurst&) = delete;

  // Before a write transaction, the store's mutex held: true when the
  // caller is to keep the file's lock from this write on (it is not held
  // yet); false when it is held already or the writes take turns now.
  bool BeforeWrite();
  // The lock could not be had (another connection has the file open): the
  // writes take turns for kGiveWay before trying again.
  void Refused();

 private:
  void Run();
  // pthread_atfork handlers.
  static void PrepareFork();
  static void AfterFork();

  std::mutex& storeMutex_;
  std::function<void()> release_;
  std::unique_ptr<std::condition_variable> wake_ = std::make_unique<std::condition_variable>();
  pid_t owner_;  // the process whose thread gives the lock back
  bool holding_ = false;
  bool stop_ = false;
  Clock::time_point since_{};
  Clock::time_point last_{};
  Clock::time_point giveWayUntil_{};
  std::thread thread_;  // last: started once the rest is set
};

}  // namespace host
