#include "platform/ui/MessageQueue.h"

#include <algorithm>
#include <unordered_map>

#include "platform/threads/Thread.h"
#include "platform/ui/ThreadQueue.h"
#include "platform/ui/WindowTable.h"

namespace ui::detail {
namespace {

struct QueueRegistry {
  std::mutex mutex;
  std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> queues;
};

QueueRegistry& Registry() {
  static auto* registry = new QueueRegistry;  // never destroyed: threads end after main
  return *registry;
}

// Ends the thread's queue with the thread: what waits for it is answered,
// and the windows left on the thread are forgotten.
struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (queue == nullptr) return;
    queue->Close();
    DiscardWindowsOfThread(queue->ThreadId());
    std::lock_guard lock(Registry().mutex);
    Registry().queues.erase(queue->ThreadId());
  }
};

DWORD Milliseconds(ThreadQueue::Clock::time_point when) {
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count());
}

}  // namespace

std::shared_ptr<ThreadQueue> ThreadQueue::Current() {
  thread_local QueueHolder holder;
  if (holder.queue == nullptr) {
    holder.queue = std::make_shared<ThreadQueue>(GetCurrentThreadId());
    std::lock_guard lock(Registry().mutex);
    Registry().queues[holder.queue->ThreadId()] = holder.queue;
  }
  return holder.queue;
}

std::shared_ptr<ThreadQueue> ThreadQueue::OfThread(DWORD threadId) {
  std::lock_guard lock(Registry().mutex);
  const auto found = Registry().queues.find(threadId);
  return found == Registry().queues.end() ? nullptr : found->second.lock();
}

bool ThreadQueue::Post(const MSG& message) {
  {
    std::lock_guard lock(m_mutex);
    if (m_closed) return false;
    m_posted.push_back(message);
  }
  m_wake.notify_all();
  return true;
}

bool ThreadQueue::PostTask(std::function<void()> task) {
  {
    std::lock_guard lock(m_mutex);
    if (m_closed) return false;
    m_tasks.push_back(std::move(task));
  }
  m_wake.notify_all();
  return true;
}

void ThreadQueue::Quit(int exitCode) {
  std::lock_guard lock(m_mutex);
  m_quit = true;
  m_quitCode = exitCode;
}

LRESULT ThreadQueue::SendAndWait(std::shared_ptr<SentMessage> message) {
  const std::shared_ptr<ThreadQueue> self = Current();
  message->sender = self;
  {
    std::lock_guard lock(m_mutex);
    if (m_closed) return 0;
    m_sent.push_back(message);
  }
  m_wake.notify_all();

  std::unique_lock lock(self->m_mutex);
  for (;;) {
    if (message->done) return message->result;
    if (!self->m_sent.empty()) {
      lock.unlock();
      self->ServeSent();
      lock.lock();
      continue;
    }
    self->m_wake.wait(lock);
  }
}

void ThreadQueue::Answer(const std::shared_ptr<SentMessage>& message, LRESULT result) {
  {
    std::lock_guard lock(message->sender->m_mutex);
    message->done = true;
    message->result = result;
  }
  message->sender->m_wake.notify_all();
}

void ThreadQueue::ServeSent() {
  for (;;) {
    std::shared_ptr<SentMessage> message;
    {
      std::lock_guard lock(m_mutex);
      if (m_sent.empty()) return;
      message = std::move(m_sent.front());
      m_sent.pop_front();
    }
    LRESULT result = 0;
    if (message->task) {
      const std::shared_ptr<Window> window = Lookup(message->window);
      if (window != nullptr && window->threadId == m_threadId) result = message->task();
    } else {
      result = CallProcedure(message->window, message->message, message->wParam, message->lParam);
    }
    Answer(message, result);
  }
}

bool ThreadQueue::Matches(const MSG& message, const Filter& filter) {
  if ((filter.first != 0 || filter.last != 0) &&
      (message.message < filter.first || message.message > filter.last)) {
    return false;
  }
  if (filter.threadOnly) return message.hwnd == nullptr;
  if (filter.windows.empty()) return true;
  return std::find(filter.windows.begin(), filter.windows.end(), message.hwnd) !=
         filter.windows.end();
}

bool ThreadQueue::Retrieve(MSG* message, const Filter& filter, bool remove, bool wait) {
  std::unique_lock lock(m_mutex);
  for (;;) {
    if (!m_sent.empty()) {
      lock.unlock();
      ServeSent();
      lock.lock();
      continue;
    }
    if (!m_tasks.empty()) {
      std::function<void()> task = std::move(m_tasks.front());
      m_tasks.pop_front();
      lock.unlock();
      task();
      lock.lock();
      continue;
    }
    for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
      if (!Matches(*it, filter)) continue;
      *message = *it;
      if (remove) m_posted.erase(it);
      return true;
    }
    const Clock::time_point now = Clock::now();
    if (m_quit) {
      *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m_quitCode), 0, Milliseconds(now), {}};
      if (remove) m_quit = false;
      return true;
    }
    // Timers come last: a busy queue delays them, as in Windows.
    Timer* next = nullptr;
    for (Timer& timer : m_timers) {
      const MSG probe{timer.window, WM_TIMER, timer.id, 0, 0, {}};
      if (Matches(probe, filter) && (next == nullptr || timer.due < next->due)) next = &timer;
    }
    if (next != nullptr && next->due <= now) {
      *message = MSG{next->window, WM_TIMER, next->id, 0, Milliseconds(now), {}};
      if (remove) next->due = now + next->elapse;
      return true;
    }
    if (!wait) return false;
    if (next != nullptr) {
      const Clock::time_point due = next->due;
      m_wake.wait_until(lock, due);
    } else {
      m_wake.wait(lock);
    }
  }
}

void ThreadQueue::SetTimer(HWND window, UINT_PTR id, UINT elapse) {
  // Windows raises anything shorter to its minimum of 10 ms.
  const std::chrono::milliseconds period(std::max<UINT>(elapse, 10));
  std::lock_guard lock(m_mutex);
  for (Timer& timer : m_timers) {
    if (timer.window == window && timer.id == id) {
      timer.elapse = period;
      timer.due = Clock::now() + period;
      return;
    }
  }
  m_timers.push_back(Timer{window, id, period, Clock::now() + period});
}

bool ThreadQueue::KillTimer(HWND window, UINT_PTR id) {
  std::lock_guard lock(m_mutex);
  const auto it = std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& timer) {
    return timer.window == window && timer.id == id;
  });
  if (it == m_timers.end()) return false;
  m_timers.erase(it);
  return true;
}

void ThreadQueue::ForgetWindows(const std::vector<HWND>& windows) {
  const auto going = [&](HWND window) {
    return std::find(windows.begin(), windows.end(), window) != windows.end();
  };
  std::lock_guard lock(m_mutex);
  std::erase_if(m_posted, [&](const MSG& message) { return going(message.hwnd); });
  std::erase_if(m_timers, [&](const Timer& timer) { return going(timer.window); });
}

void ThreadQueue::Close() {
  std::deque<std::shared_ptr<SentMessage>> waiting;
  {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    waiting.swap(m_sent);
    m_tasks.clear();
    m_posted.clear();
    m_timers.clear();
  }
  for (const auto& message : waiting) Answer(message, 0);
}

}  // namespace ui::detail

using ui::detail::ThreadQueue;

namespace {

// The filter of GetMessage and PeekMessage; false for a filter window that
// does not exist.
bool MakeFilter(HWND window, UINT first, UINT last, ThreadQueue::Filter* filter) {
  filter->first = first;
  filter->last = last;
  if (window == nullptr) return true;
  if (window == reinterpret_cast<HWND>(-1)) {
    filter->threadOnly = true;
    return true;
  }
  std::lock_guard lock(ui::detail::TableMutex());
  const ui::detail::Window* record = ui::detail::LookupLocked(window);
  if (record == nullptr) return false;
  filter->windows.push_back(window);
  filter->windows.insert(filter->windows.end(), record->children.begin(), record->children.end());
  return true;
}

}  // namespace

BOOL GetMessage(MSG* message, HWND filter, UINT first, UINT last) {
  ThreadQueue::Filter which;
  if (message == nullptr || !MakeFilter(filter, first, last, &which)) return -1;
  ThreadQueue::Current()->Retrieve(message, which, true, true);
  return message->message == WM_QUIT ? 0 : 1;
}

BOOL PeekMessage(MSG* message, HWND filter, UINT first, UINT last, UINT remove) {
  ThreadQueue::Filter which;
  if (message == nullptr || !MakeFilter(filter, first, last, &which)) return FALSE;
  return ThreadQueue::Current()->Retrieve(message, which, (remove & PM_REMOVE) != 0, false) ? TRUE
                                                                                            : FALSE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessage(const MSG* message) {
  if (message == nullptr || message->hwnd == nullptr) return 0;
  return ui::detail::CallProcedure(message->hwnd, message->message, message->wParam,
                                   message->lParam);
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr) return PostThreadMessage(GetCurrentThreadId(), message, wParam, lParam);
  const std::shared_ptr<ui::detail::Window> record = ui::detail::Lookup(window);
  if (record == nullptr) return FALSE;
  const DWORD now = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           ThreadQueue::Clock::now().time_since_epoch())
                                           .count());
  return record->queue->Post(MSG{window, message, wParam, lParam, now, {}}) ? TRUE : FALSE;
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::shared_ptr<ThreadQueue> queue = ThreadQueue::OfThread(threadId);
  if (queue == nullptr) return FALSE;
  const DWORD now = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           ThreadQueue::Clock::now().time_since_epoch())
                                           .count());
  return queue->Post(MSG{nullptr, message, wParam, lParam, now, {}}) ? TRUE : FALSE;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::shared_ptr<ui::detail::Window> record = ui::detail::Lookup(window);
  if (record == nullptr) return 0;
  if (record->threadId == GetCurrentThreadId()) {
    return ui::detail::CallProcedure(window, message, wParam, lParam);
  }
  auto sent = std::make_shared<ui::detail::SentMessage>();
  sent->window = window;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  return record->queue->SendAndWait(std::move(sent));
}

void PostQuitMessage(int exitCode) { ThreadQueue::Current()->Quit(exitCode); }

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
  if (procedure != nullptr || id == 0) return 0;
  const std::shared_ptr<ui::detail::Window> record = ui::detail::Lookup(window);
  if (record == nullptr || record->threadId != GetCurrentThreadId()) return 0;
  record->queue->SetTimer(window, id, elapse);
  return id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  const std::shared_ptr<ui::detail::Window> record = ui::detail::Lookup(window);
  if (record == nullptr || record->threadId != GetCurrentThreadId()) return FALSE;
  return record->queue->KillTimer(window, id) ? TRUE : FALSE;
}
