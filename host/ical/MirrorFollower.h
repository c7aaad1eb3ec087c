#pragma once
// Keeps calendar.ics in step with the store. Every change marks the mirror
// stale; a stale mirror is rewritten at the first change a second or more
// after the last writing, and whenever the host has finished a piece of
// work (Flush). A batch of thousands of saves so costs a few rewrites, not
// thousands, and the file never lags the store by more than a second of
// work, or by anything once the host is idle.
//
// The mirror is written whole and atomically, so a crash leaves the last
// complete version. An item the mirror cannot hold (MirrorError) is left
// out with a warning rather than keeping every other change out of it.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace host {

class CalendarStore;

class MirrorFollower {
 public:
  using StoreSource = std::function<std::shared_ptr<CalendarStore>()>;

  // store: the store to read now; null while it is closed.
  MirrorFollower(std::filesystem::path mirror, StoreSource store);

  // For CalendarStore::AddChangeListener.
  void OnChange(std::uint64_t changeCount);
  // Writes the mirror if it is stale; true when it is now current.
  bool Flush();
  // Writes it now, stale or not.
  bool Write();

  bool IsStale() const { return stale_; }
  // The last attempt to write the mirror failed (and said so).
  bool LastWriteFailed() const { return failed_; }
  int WriteCount() const { return writes_; }

 private:
  std::filesystem::path mirror_;
  StoreSource store_;
  bool stale_ = false;
  bool failed_ = false;
  int writes_ = 0;
  std::chrono::steady_clock::time_point lastWrite_{};
};

}  // namespace host
