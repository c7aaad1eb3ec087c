#include "platform/ui/HeadlessFrontEnd.h"

#include "platform/threads/Thread.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"

namespace ui {

int HeadlessFrontEnd::ShowMessageBox(const MessageBoxRequest& request) {
  std::lock_guard lock(m_mutex);
  m_shown.push_back(request);
  m_changed.notify_all();
  if (m_answers.empty()) return DefaultButton(request.style);
  const int answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

void HeadlessFrontEnd::OnWindowEvent(WindowEvent event, const WindowSnapshot& window) {
  std::lock_guard lock(m_mutex);
  m_windows[window.handle].push_back(Record{event, window, GetCurrentThreadId()});
  m_changed.notify_all();
}

void HeadlessFrontEnd::QueueAnswer(int button) {
  std::lock_guard lock(m_mutex);
  m_answers.push_back(button);
}

std::vector<MessageBoxRequest> HeadlessFrontEnd::MessageBoxes() const {
  std::lock_guard lock(m_mutex);
  return m_shown;
}

void HeadlessFrontEnd::Clear() {
  std::lock_guard lock(m_mutex);
  m_shown.clear();
  m_answers.clear();
  m_windows.clear();
}

std::vector<HeadlessFrontEnd::Record> HeadlessFrontEnd::History(HWND window) const {
  std::lock_guard lock(m_mutex);
  const auto found = m_windows.find(window);
  return found == m_windows.end() ? std::vector<Record>() : found->second;
}

std::optional<WindowSnapshot> HeadlessFrontEnd::Snapshot(HWND window) const {
  std::lock_guard lock(m_mutex);
  const auto found = m_windows.find(window);
  if (found == m_windows.end() || found->second.empty()) return std::nullopt;
  return found->second.back().window;
}

bool HeadlessFrontEnd::WasShown(HWND window) const {
  std::lock_guard lock(m_mutex);
  const auto found = m_windows.find(window);
  if (found == m_windows.end()) return false;
  for (const Record& record : found->second) {
    if (record.window.visible) return true;
  }
  return false;
}

bool HeadlessFrontEnd::WaitFor(HWND window, const std::function<bool(const WindowSnapshot&)>& test,
                               std::chrono::milliseconds limit) const {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, limit, [&] {
    const auto found = m_windows.find(window);
    return found != m_windows.end() && !found->second.empty() && test(found->second.back().window);
  });
}

bool HeadlessFrontEnd::Click(HWND dialog, int controlId) {
  HWND button = GetDlgItem(dialog, controlId);
  if (button == nullptr || !IsWindowVisible(dialog) || !IsWindowEnabled(button)) return false;
  SendMessage(button, BM_CLICK, 0, 0);
  return true;
}

}  // namespace ui
