#include "host/store/WriteBurst.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/threads/Thread.h"

namespace host {

namespace {

// Every burst of the process, for the fork handlers.
struct Registry {
  std::mutex mutex;
  std::vector<WriteBurst*> bursts;
};

Registry& Bursts() {
  static auto* registry = new Registry();
  return *registry;
}

}  // namespace

WriteBurst::WriteBurst(std::mutex& storeMutex, std::function<void()> release)
    : storeMutex_(storeMutex),
      release_(std::move(release)),
      owner_(static_cast<pid_t>(GetCurrentProcessId())),
      thread_([this] { Run(); }) {
  static std::once_flag handlers;
  std::call_once(handlers,
                 [] { pthread_atfork(&WriteBurst::PrepareFork, &WriteBurst::AfterFork, &WriteBurst::AfterFork); });
  std::lock_guard<std::mutex> lock(Bursts().mutex);
  Bursts().bursts.push_back(this);
}

WriteBurst::~WriteBurst() {
  {
    std::lock_guard<std::mutex> lock(Bursts().mutex);
    auto& bursts = Bursts().bursts;
    bursts.erase(std::remove(bursts.begin(), bursts.end(), this), bursts.end());
  }
  if (owner_ != static_cast<pid_t>(GetCurrentProcessId())) {
    // In a child process the thread is not there, and what describes it is
    // no longer the thread library's to touch: not to detach it, nor to
    // destroy the condition it was waiting on (that waits for the waiter
    // for ever). Both are left as they are.
    new std::thread(std::move(thread_));
    wake_.release();
    return;
  }
  {
    std::lock_guard<std::mutex> lock(storeMutex_);
    stop_ = true;
  }
  wake_->notify_one();
  if (thread_.joinable()) thread_.join();
}

bool WriteBurst::BeforeWrite() {
  // After fork() the thread that would give the lock back is not here.
  if (owner_ != static_cast<pid_t>(GetCurrentProcessId())) return false;
  const Clock::time_point now = Clock::now();
  last_ = now;
  if (holding_ || now < giveWayUntil_) return false;
  holding_ = true;
  since_ = now;
  wake_->notify_one();
  return true;
}

void WriteBurst::PrepareFork() {
  // A child process would inherit a lock it cannot give back: SQLite keeps
  // a process's locks in its own memory, so the child's connections would
  // find the file taken for ever. Every lock goes back first, and no burst
  // begins until the fork is over (the stores' mutexes are held through it).
  Bursts().mutex.lock();
  for (WriteBurst* burst : Bursts().bursts) {
    burst->storeMutex_.lock();
    if (burst->holding_ && burst->owner_ == static_cast<pid_t>(GetCurrentProcessId())) {
      burst->release_();
      burst->holding_ = false;
    }
  }
}

void WriteBurst::AfterFork() {
  auto& bursts = Bursts().bursts;
  for (auto it = bursts.rbegin(); it != bursts.rend(); ++it) (*it)->storeMutex_.unlock();
  Bursts().mutex.unlock();
}

void WriteBurst::Refused() {
  holding_ = false;
  giveWayUntil_ = Clock::now() + kGiveWay;
}

void WriteBurst::Run() {
  std::unique_lock<std::mutex> lock(storeMutex_);
  while (!stop_) {
    if (!holding_) {
      wake_->wait(lock);
      continue;
    }
    const Clock::time_point now = Clock::now();
    const Clock::time_point longest = since_ + kLongest;
    const Clock::time_point due = std::min(last_ + kIdle, longest);
    if (now < due) {
      wake_->wait_until(lock, due);
      continue;
    }
    release_();
    holding_ = false;
    if (now >= longest) giveWayUntil_ = now + kGiveWay;
  }
}

}  // namespace host
