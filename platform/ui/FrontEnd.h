#pragma once
// Whatever shows the user interface. Add-in code never knows which front end
// runs: the host chooses one for the process (the terminal by default), and
// tests choose the headless one, which records what was shown and answers
// from a script.

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/Window.h"

namespace ui {

struct MessageBoxRequest {
  HWND owner;
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  UINT style;           // MB_* bits
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Shows a message box and returns the button pressed (IDOK, IDYES, …).
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
};

// The process's front end; the terminal one until another is set.
std::shared_ptr<FrontEnd> CurrentFrontEnd();
void SetFrontEnd(std::shared_ptr<FrontEnd> frontEnd);

// The button a box answers with when nobody presses one: its default button.
int DefaultButton(UINT style);

// Writes each box to standard error and answers with its default button.
class TerminalFrontEnd : public FrontEnd {
 public:
  int ShowMessageBox(const MessageBoxRequest& request) override;
};

// Records every box; answers with the next scripted answer, else the default.
class HeadlessFrontEnd : public FrontEnd {
 public:
  int ShowMessageBox(const MessageBoxRequest& request) override;

  void QueueAnswer(int button);
  std::vector<MessageBoxRequest> MessageBoxes() const;
  void Clear();

 private:
  mutable std::mutex m_mutex;
  std::vector<MessageBoxRequest> m_shown;
  std::deque<int> m_answers;
};

}  // namespace ui
