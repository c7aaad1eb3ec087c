#pragma once
// The front end the runtime's threads call: it queues what they report to
// the Qt thread, which keeps a WindowView for each window, and runs message
// boxes and the open-file dialog there while the asking thread waits.

#include <QObject>

#include <map>
#include <optional>
#include <string>

#include "platform/ui/FrontEnd.h"
#include "platform/ui/qt/QtViews.h"

namespace ui::qt {

class QtFrontEndImpl final : public FrontEnd {
 public:
  // context: an object of the Qt thread, through which work reaches it.
  explicit QtFrontEndImpl(QObject* context) : m_context(context) {}

  int ShowMessageBox(const MessageBoxRequest& request) override;
  std::optional<std::string> ShowOpenFile(const OpenFileRequest& request) override;
  void OnWindowEvent(WindowEvent event, const WindowSnapshot& window) override;
  bool ShowsDialogs() const override { return true; }

  // Qt thread only.
  WindowView* Find(HWND handle) const {
    const auto found = m_views.find(handle);
    return found == m_views.end() ? nullptr : found->second;
  }
  QObject* Context() const { return m_context; }

 private:
  QWidget* ViewOf(HWND owner) const;
  int Box(const MessageBoxRequest& request);
  void Apply(WindowEvent event, const WindowSnapshot& window, const Pictures& pictures);

  QObject* m_context;
  std::map<HWND, WindowView*> m_views;
};

}  // namespace ui::qt
