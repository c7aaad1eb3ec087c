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
#include <string_view>
#include <vector>

#include "platform/time/SystemTime.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/Messages.h"

namespace ui {

class HeadlessFrontEnd : public FrontEnd {
 public:
  // Records the box; answers with the next queued answer, else the default.
  int ShowMessageBox(const MessageBoxRequest& request) override;
  void OnWindowEvent(WindowEvent event, const WindowSnapshot& window) override;
  // Records the request; answers with the next queued file (nothing: the
  // person cancelled), else cancels.
  std::optional<std::string> ShowOpenFile(const OpenFileRequest& request) override;
  bool ShowsDialogs() const override { return true; }
  // Records the pause after what the window has shown so far.
  void OnPause(HWND window, DWORD milliseconds) override;

  void QueueAnswer(int button);
  void QueueOpenFile(std::optional<std::string> path);
  std::vector<OpenFileRequest> OpenFileRequests() const;
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

  // A pause of the window's thread: how long, and how many of the window's
  // records (History) came before it.
  struct Pause {
    DWORD milliseconds;
    std::size_t afterRecords;
  };
  std::vector<Pause> Pauses(HWND window) const;

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

  // The rest of what a person does to a dialog's controls, by id, each
  // served on the dialog's thread when it returns (see UserInput.h); false
  // when the control does not exist or a person could not reach it.
  bool Type(HWND dialog, int controlId, std::string_view utf8);
  bool ReplaceText(HWND dialog, int controlId, std::string_view utf8);
  bool Select(HWND dialog, int controlId, int index);
  bool Step(HWND dialog, int controlId, int clicks);
  bool SetDate(HWND dialog, int controlId, const SYSTEMTIME& date);
  bool Focus(HWND dialog, int controlId);
  bool Key(HWND dialog, WPARAM key, bool shift = false);

  // Waits until a dialog made from the template is shown, and returns it
  // (null when none shows in time): for a modal dialog that another thread
  // runs.
  HWND WaitForDialog(unsigned templateId,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

 private:
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  std::vector<MessageBoxRequest> m_shown;
  std::deque<int> m_answers;
  std::deque<std::optional<std::string>> m_files;
  std::vector<OpenFileRequest> m_fileRequests;
  std::map<HWND, std::vector<Record>> m_windows;
  std::map<HWND, std::vector<Pause>> m_pauses;
};

}  // namespace ui
