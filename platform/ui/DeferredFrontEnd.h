#pragma once
// A front end that is made only when a window is about to show. The
// desktop's costs the loading of its module and of the forty Qt libraries
// behind it: a command that shows nothing (a calendar listing, a start that
// fills the calendar quickly) should not pay for it. Until then, windows
// made hidden (a progress window waiting to see whether the walk lasts) are
// only noted. The first message box, file request or question about dialogs,
// or the first window shown, makes the real front end, which hears first of
// the windows noted, as they are now and in the order they were made, then
// of what is at hand.

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/ui/FrontEnd.h"

namespace ui {

class DeferredFrontEnd final : public FrontEnd {
 public:
  // Makes the real front end; null when it cannot be made, and `fallback`
  // serves instead.
  using Factory = std::function<std::shared_ptr<FrontEnd>()>;

  DeferredFrontEnd(Factory make, std::shared_ptr<FrontEnd> fallback);

  int ShowMessageBox(const MessageBoxRequest& request) override;
  void OnWindowEvent(WindowEvent event, const WindowSnapshot& window) override;
  std::optional<std::string> ShowOpenFile(const OpenFileRequest& request) override;
  bool ShowsDialogs() const override;

  // Whether the real front end has been asked for yet.
  bool Made() const;

 private:
  // The real front end (or the fallback), made on first call.
  std::shared_ptr<FrontEnd> Real() const;

  mutable std::mutex mutex_;
  mutable Factory make_;
  std::shared_ptr<FrontEnd> fallback_;
  mutable std::shared_ptr<FrontEnd> real_;
  // Windows made and not shown yet, with their latest state, oldest first.
  mutable std::vector<std::pair<HWND, WindowSnapshot>> hidden_;
};

}  // namespace ui
