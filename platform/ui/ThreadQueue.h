#pragma once
// One thread's message queue. Internal to platform/ui; see MessageQueue.h for
// the functions built on it.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ui/Messages.h"

namespace ui::detail {

class ThreadQueue;

// A message another thread waits for. done and result are guarded by the
// sender's queue lock, so that the sender, which sleeps on its own queue,
// wakes for the answer as for anything sent to it meanwhile.
struct SentMessage {
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::function<LRESULT()> task;  // runtime work to do on the window's thread instead
  std::shared_ptr<ThreadQueue> sender;
  bool done = false;
  LRESULT result = 0;
};

class ThreadQueue {
 public:
  using Clock = std::chrono::steady_clock;

  explicit ThreadQueue(DWORD threadId) : m_threadId(threadId) {}

  // The calling thread's queue, made on first use.
  static std::shared_ptr<ThreadQueue> Current();
  // A living thread's queue, or null when the thread has none or has ended.
  static std::shared_ptr<ThreadQueue> OfThread(DWORD threadId);

  DWORD ThreadId() const { return m_threadId; }

  // False once the thread has ended.
  bool Post(const MSG& message);
  // Work for the thread that nobody waits for (what a person does, from a
  // front end's own thread); run when the thread next looks for messages.
  bool PostTask(std::function<void()> task);
  void Quit(int exitCode);

  // Queues a message for this queue's thread and waits, on the calling
  // thread's own queue, for its answer, serving what is sent to the caller
  // meanwhile. The caller is not this queue's thread.
  LRESULT SendAndWait(std::shared_ptr<SentMessage> message);

  // On this queue's thread: the next message (see GetMessage).
  // filter: empty for every message, else the windows whose messages count
  // (and threadOnly for the thread's own messages only).
  struct Filter {
    std::vector<HWND> windows;
    bool threadOnly = false;
    UINT first = 0;
    UINT last = 0;
  };
  bool Retrieve(MSG* message, const Filter& filter, bool remove, bool wait);

  // Timers of this queue's windows, set on this queue's thread.
  void SetTimer(HWND window, UINT_PTR id, UINT elapse);
  bool KillTimer(HWND window, UINT_PTR id);

  // Drops what is queued for windows that are going: posted messages and
  // timers.
  void ForgetWindows(const std::vector<HWND>& windows);

  // The thread is ending: waiting senders get 0, nothing more is accepted.
  void Close();

 private:
  struct Timer {
    HWND window;
    UINT_PTR id;
    std::chrono::milliseconds elapse;
    Clock::time_point due;
  };

  // Serves every sent message queued so far; called without the lock.
  void ServeSent();
  static void Answer(const std::shared_ptr<SentMessage>& message, LRESULT result);
  static bool Matches(const MSG& message, const Filter& filter);

  const DWORD m_threadId;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<MSG> m_posted;
  std::deque<std::shared_ptr<SentMessage>> m_sent;
  std::deque<std::function<void()>> m_tasks;
  std::vector<Timer> m_timers;
  bool m_quit = false;
  int m_quitCode = 0;
  bool m_closed = false;
};

}  // namespace ui::detail
