#pragma once
// The front end of the tests: shows nothing, records every message box and
// every window event, answers boxes from a script, and lets a test press a
// dialog's buttons as a person would.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ui/FrontEnd.h"

namespace ui {

class HeadlessFrontEnd : public FrontEnd {
 public:
  // Records the box; answers with the next queued answer, else the default.
  int ShowMessageBox(const MessageBoxRequest& request) override;
  void OnWindowEvent(WindowEvent event, const WindowSnapshot& window) override;

  void QueueAnswer(int button);
  std::vector<MessageBoxRequest> MessageBoxes() const;
  // Forgets the boxes, the answers and the windows' records.
  void Clear();

  struct Record {
    WindowEvent event;
    WindowSnapshot window;
    DWORD thread;  // the thread that reported it
  };
  // Everything that happened to a window, in order.
  std::vector<Record> History(HWND window) const;
  // The window as last reported, or nothing when it was never reported.
  std::optional<WindowSnapshot> Snapshot(HWND window) const;
  // Whether the window was ever shown on screen.
  bool WasShown(HWND window) const;

  // Waits until test(window's last snapshot) holds, or the time is up;
  // returns whether it held. For waiting on another thread's window, with a
  // generous limit so that a fault fails the test instead of hanging it.
  bool WaitFor(HWND window, const std::function<bool(const WindowSnapshot&)>& test,
               std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

  // Presses a button of a dialog as a person would: only when the dialog is
  // shown and the button enabled. The press reaches the dialog as
  // WM_COMMAND/BN_CLICKED on the dialog's own thread, and has been served
  // when this returns. Returns whether the button could be pressed.
  bool Click(HWND dialog, int controlId);

 private:
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  std::vector<MessageBoxRequest> m_shown;
  std::deque<int> m_answers;
  std::map<HWND, std::vector<Record>> m_windows;
};

}  // namespace ui
