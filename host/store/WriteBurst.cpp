#include "host/store/WriteBurst.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

#include "platform/threads/Thread.h"

namespace host {

WriteBurst::WriteBurst(std::mutex& storeMutex, std::function<void()> release)
    : storeMutex_(storeMutex),
      release_(std::move(release)),
      owner_(static_cast<pid_t>(GetCurrentProcessId())),
      thread_([this] { Run(); }) {}

WriteBurst::~WriteBurst() {
  {
    std::lock_guard<std::mutex> lock(storeMutex_);
    stop_ = true;
  }
  wake_.notify_one();
  // A child process has no such thread to join.
  if (thread_.joinable() && owner_ == static_cast<pid_t>(GetCurrentProcessId())) {
    thread_.join();
  } else if (thread_.joinable()) {
    thread_.detach();
  }
}

bool WriteBurst::BeforeWrite() {
  // After fork() the thread that would give the lock back is not here.
  if (owner_ != static_cast<pid_t>(GetCurrentProcessId())) return false;
  const Clock::time_point now = Clock::now();
  last_ = now;
  if (holding_ || now < giveWayUntil_) return false;
  holding_ = true;
  since_ = now;
  wake_.notify_one();
  return true;
}

void WriteBurst::Refused() {
  holding_ = false;
  giveWayUntil_ = Clock::now() + kGiveWay;
}

void WriteBurst::Run() {
  std::unique_lock<std::mutex> lock(storeMutex_);
  while (!stop_) {
    if (!holding_) {
      wake_.wait(lock);
      continue;
    }
    const Clock::time_point now = Clock::now();
    const Clock::time_point longest = since_ + kLongest;
    const Clock::time_point due = std::min(last_ + kIdle, longest);
    if (now < due) {
      wake_.wait_until(lock, due);
      continue;
    }
    release_();
    holding_ = false;
    if (now >= longest) giveWayUntil_ = now + kGiveWay;
  }
}

}  // namespace host
