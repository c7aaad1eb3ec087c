#pragma once
// Whatever shows the user interface. Add-in code never knows which front end
// runs: the host chooses one for the process (the terminal by default), and
// tests choose the headless one, which records what was shown and answers
// from a script.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Window.h"
#include "platform/ui/WindowSnapshot.h"

namespace ui {

struct MessageBoxRequest {
  HWND owner;
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  UINT style;           // MB_* bits
};

struct OpenFileRequest {
  HWND owner;
  std::string title;  // UTF-8
  // Descriptions and patterns ("*.wav;*.mp3"), in order.
  std::vector<std::pair<std::string, std::string>> filters;
  std::size_t filterIndex;  // 0-based
  std::string initialPath;  // UTF-8; a file or a folder, or empty
  bool fileMustExist;
};

// A front end is called from whichever thread shows a box or owns the
// window that changed, so it guards its own state. It must not block on a
// window's thread (no SendMessage from here): the window's thread is the
// one calling.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Shows a message box and returns the button pressed (IDOK, IDYES, …).
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
  // A top-level window was created, shown, hidden, changed or destroyed;
  // window is its state after the event, its controls included.
  virtual void OnWindowEvent(WindowEvent event, const WindowSnapshot& window);
  // Asks for a file to open; UTF-8 path, or nothing when the person
  // cancelled. The terminal asks nobody and answers nothing.
  virtual std::optional<std::string> ShowOpenFile(const OpenFileRequest& request);
  // Whether a person can see and use dialogs through it. The terminal
  // front end shows only message boxes and progress; a command that needs
  // a dialog refuses to run there rather than wait for a window nobody sees.
  virtual bool ShowsDialogs() const;
  // The thread of the window paused for a moment (Sleep) between two
  // frames of a movement it shows; window is its active window. Called on
  // that thread before it sleeps.
  virtual void OnPause(HWND window, DWORD milliseconds);
};

// The process's front end; the terminal one until another is set.
std::shared_ptr<FrontEnd> CurrentFrontEnd();
void SetFrontEnd(std::shared_ptr<FrontEnd> frontEnd);

// The button a box answers with when nobody presses one: its default button.
int DefaultButton(UINT style);

}  // namespace ui
