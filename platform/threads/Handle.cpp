#include "platform/threads/Handle.h"

#include <chrono>
#include <cstdint>
#include <unordered_map>

#include "platform/threads/KernelObject.h"

namespace threads {
namespace {

struct HandleTable {
  std::mutex mutex;
  // Handle values are never reused, so a stale handle cannot reach a newer
  // object that happens to sit at the same place.
  std::uintptr_t next = 0x1000;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
};

// Never destroyed: threads may still close handles while the process exits.
HandleTable& Table() {
  static auto* table = new HandleTable;
  return *table;
}

}  // namespace

std::mutex& KernelMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

std::condition_variable& KernelSignal() {
  static auto* signal = new std::condition_variable;
  return *signal;
}

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  table.next += 4;  // Windows handles are multiples of four
  table.objects.emplace(table.next, std::move(object));
  return reinterpret_cast<HANDLE>(table.next);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  const auto found = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return found == table.objects.end() ? nullptr : found->second;
}

}  // namespace threads

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  const std::shared_ptr<threads::KernelObject> object = threads::FindHandle(handle);
  if (object == nullptr) return WAIT_FAILED;
  std::unique_lock lock(threads::KernelMutex());
  const auto ready = [&] { return object->Signalled(); };
  if (milliseconds == INFINITE) {
    threads::KernelSignal().wait(lock, ready);
  } else if (!threads::KernelSignal().wait_for(lock, std::chrono::milliseconds(milliseconds),
                                               ready)) {
    return WAIT_TIMEOUT;
  }
  object->Acquired();
  return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE handle) {
  threads::HandleTable& table = threads::Table();
  std::shared_ptr<threads::KernelObject> closing;  // released outside the lock
  std::lock_guard lock(table.mutex);
  const auto found = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == table.objects.end()) return FALSE;
  closing = std::move(found->second);
  table.objects.erase(found);
  return TRUE;
}
