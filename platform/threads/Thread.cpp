#include "platform/threads/Thread.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "platform/threads/KernelObject.h"

namespace {

class ThreadObject final : public threads::KernelObject {
 public:
  bool Signalled() const override { return m_ended; }
  void End(DWORD exitCode) {
    m_exitCode = exitCode;
    m_ended = true;
  }
  DWORD ExitCode() const { return m_ended ? m_exitCode : STILL_ACTIVE; }

 private:
  bool m_ended = false;
  DWORD m_exitCode = 0;
};

// Signals the thread's end from the last thread-local destructor to run: it
// is constructed before anything else of the thread, so the thread's other
// thread-locals (its message queue and the windows left on it) are gone
// before a waiter wakes, as Windows signals a thread only once it is over.
class EndSignal {
 public:
  explicit EndSignal(std::shared_ptr<ThreadObject> object) : m_object(std::move(object)) {}
  ~EndSignal() {
    {
      std::lock_guard lock(threads::KernelMutex());
      m_object->End(m_exitCode);
    }
    threads::KernelSignal().notify_all();
  }
  void SetExitCode(DWORD code) { m_exitCode = code; }

 private:
  std::shared_ptr<ThreadObject> m_object;
  DWORD m_exitCode = 0;
};

std::atomic<DWORD> g_nextThreadId{0};
thread_local DWORD t_threadId = 0;  // 0 until the thread asks or is created here

}  // namespace

namespace {

std::atomic<DWORD> g_processId{0};

void NoteChildProcess() { g_processId.store(static_cast<DWORD>(::getpid())); }

}  // namespace

DWORD GetCurrentProcessId() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    NoteChildProcess();
    pthread_atfork(nullptr, nullptr, NoteChildProcess);
  });
  return g_processId.load(std::memory_order_relaxed);
}

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = ++g_nextThreadId;
  return t_threadId;
}

HANDLE CreateThread(void* security, DWORD /*stackSize*/, LPTHREAD_START_ROUTINE routine,
                    void* parameter, DWORD creationFlags, DWORD* id) {
  if (security != nullptr || creationFlags != 0 || routine == nullptr) return nullptr;
  auto object = std::shared_ptr<ThreadObject>(new (std::nothrow) ThreadObject);
  if (object == nullptr) return nullptr;

  // The identifier is chosen here, as CreateThread hands it back before the
  // new thread may have run at all.
  const DWORD newId = ++g_nextThreadId;
  HANDLE handle = threads::AddHandle(object);
  try {
    std::thread([object, routine, parameter, newId] {
      t_threadId = newId;
      thread_local EndSignal signal(object);
      signal.SetExitCode(routine(parameter));
    }).detach();
  } catch (const std::system_error&) {
    CloseHandle(handle);
    return nullptr;
  }
  if (id != nullptr) *id = newId;
  return handle;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  const auto object = std::dynamic_pointer_cast<ThreadObject>(threads::FindHandle(thread));
  if (object == nullptr || exitCode == nullptr) return FALSE;
  std::lock_guard lock(threads::KernelMutex());
  *exitCode = object->ExitCode();
  return TRUE;
}

namespace {

std::atomic<threads::SleepObserver> g_sleepObserver{nullptr};

}  // namespace

void threads::SetSleepObserver(SleepObserver observer) { g_sleepObserver.store(observer); }

void Sleep(DWORD milliseconds) {
  if (const threads::SleepObserver observer = g_sleepObserver.load(); observer != nullptr) observer(milliseconds);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
