#pragma once
// The front end of the command line: message boxes and progress on standard
// error.
//
// A message box is one line, "[error] caption: text", answered with its
// default button. A shown window that has a progress bar is drawn as one
// line, redrawn in place with a carriage return as it changes and erased
// when it goes; only when the stream is a terminal, so that logs and pipes
// get no control characters. While such a window with a cancel control is
// shown, Ctrl-C presses that control when it is enabled instead of ending
// the program (see ConsoleInterrupt.h).

#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/FrontEnd.h"

namespace ui {

class TerminalFrontEnd : public FrontEnd {
 public:
  // fd: where to write; standard error unless a test gives another.
  explicit TerminalFrontEnd(int fd = 2);
  ~TerminalFrontEnd() override;

  int ShowMessageBox(const MessageBoxRequest& request) override;
  void OnWindowEvent(WindowEvent event, const WindowSnapshot& window) override;

  // The progress line of a window, without the carriage return and the
  // clearing; cut to width characters (0: no limit).
  static std::string ProgressLine(const WindowSnapshot& window, std::size_t width);

 private:
  void Write(const std::string& bytes);
  void EraseLine();  // with m_mutex held

  const int m_fd;
  std::mutex m_mutex;
  HWND m_drawn = nullptr;       // the window whose line is on screen
  std::string m_line;           // what it shows
  std::vector<HWND> m_watched;  // its windows that Ctrl-C may cancel
};

}  // namespace ui
