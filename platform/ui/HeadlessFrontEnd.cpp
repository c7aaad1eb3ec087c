#include "platform/ui/HeadlessFrontEnd.h"

#include "platform/threads/Thread.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UserInput.h"

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

void HeadlessFrontEnd::OnPause(HWND window, DWORD milliseconds) {
  std::lock_guard lock(m_mutex);
  const auto found = m_windows.find(window);
  m_pauses[window].push_back(Pause{milliseconds, found == m_windows.end() ? 0 : found->second.size()});
}

std::vector<HeadlessFrontEnd::Pause> HeadlessFrontEnd::Pauses(HWND window) const {
  std::lock_guard lock(m_mutex);
  const auto found = m_pauses.find(window);
  return found == m_pauses.end() ? std::vector<Pause>() : found->second;
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
  m_files.clear();
  m_fileRequests.clear();
  m_windows.clear();
  m_pauses.clear();
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
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr && input::Click(control);
}

bool HeadlessFrontEnd::Type(HWND dialog, int controlId, std::string_view utf8) {
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr && input::Type(control, utf8);
}

bool HeadlessFrontEnd::ReplaceText(HWND dialog, int controlId, std::string_view utf8) {
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr && input::ReplaceText(control, utf8);
}

bool HeadlessFrontEnd::Select(HWND dialog, int controlId, int index) {
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr && input::Select(control, index);
}

bool HeadlessFrontEnd::Step(HWND dialog, int controlId, int clicks) {
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr && input::Step(control, clicks);
}

bool HeadlessFrontEnd::SetDate(HWND dialog, int controlId, const SYSTEMTIME& date) {
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr && input::SetDate(control, date);
}

bool HeadlessFrontEnd::Focus(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr && input::Focus(control);
}

bool HeadlessFrontEnd::Key(HWND dialog, WPARAM key, bool shift) {
  return input::Key(dialog, key, shift);
}

std::optional<std::string> HeadlessFrontEnd::ShowOpenFile(const OpenFileRequest& request) {
  std::lock_guard lock(m_mutex);
  m_fileRequests.push_back(request);
  m_changed.notify_all();
  if (m_files.empty()) return std::nullopt;
  std::optional<std::string> answer = m_files.front();
  m_files.pop_front();
  return answer;
}

void HeadlessFrontEnd::QueueOpenFile(std::optional<std::string> path) {
  std::lock_guard lock(m_mutex);
  m_files.push_back(std::move(path));
}

std::vector<OpenFileRequest> HeadlessFrontEnd::OpenFileRequests() const {
  std::lock_guard lock(m_mutex);
  return m_fileRequests;
}

HWND HeadlessFrontEnd::WaitForDialog(unsigned templateId, std::chrono::milliseconds limit) const {
  std::unique_lock lock(m_mutex);
  HWND found = nullptr;
  m_changed.wait_for(lock, limit, [&] {
    for (const auto& [handle, records] : m_windows) {
      if (records.empty()) continue;
      const Record& last = records.back();
      if (last.window.templateId == templateId && last.window.visible &&
          last.event != WindowEvent::kDestroyed) {
        found = handle;
        return true;
      }
    }
    return false;
  });
  return found;
}

}  // namespace ui
