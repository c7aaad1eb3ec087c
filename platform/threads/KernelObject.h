#pragma once
// What lies behind a HANDLE. Internal to platform/threads.

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/threads/Handle.h"

namespace threads {

// Every kernel object's state is guarded by one mutex, and every waiter
// waits on one condition: objects are few, signals rare, and one lock means
// a wait can never miss a signal that races with it.
std::mutex& KernelMutex();
std::condition_variable& KernelSignal();

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Both called with KernelMutex() held.
  virtual bool Signalled() const = 0;
  // What a successful wait does to the object (an auto-reset event resets).
  virtual void Acquired() {}
};

// A new handle for the object; null when the process is out of memory.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null when the handle is not open.
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);

}  // namespace threads
