#include "host/FrontEndChoice.h"

#include <cstdio>
#include <cstdlib>

#include "platform/ui/CommonControls.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/UserInput.h"
#include "platform/ui/WindowStyles.h"
#ifdef ORVANE_WITH_QT
#include "platform/ui/qt/QtFrontEnd.h"
#endif

namespace host {
namespace {

// The headless front end of the command line: it presses OK on every modal
// dialog as it shows, and Cancel on a dialog that answers OK with a
// message box, so that a run never waits for a person.
class AutoPressFrontEnd final : public ui::HeadlessFrontEnd {
 public:
  int ShowMessageBox(const ui::MessageBoxRequest& request) override {
    std::fprintf(stderr, "[message] %s: %s\n", request.caption.c_str(), request.text.c_str());
    if (HWND cancel = request.owner != nullptr ? GetDlgItem(request.owner, IDCANCEL) : nullptr) {
      ui::input::Click(cancel, ui::input::Mode::kPost);
    }
    return HeadlessFrontEnd::ShowMessageBox(request);
  }
  void OnWindowEvent(ui::WindowEvent event, const ui::WindowSnapshot& window) override {
    HeadlessFrontEnd::OnWindowEvent(event, window);
    if (event == ui::WindowEvent::kShown && window.modal) {
      if (const ui::ControlSnapshot* ok = window.Control(IDOK)) {
        ui::input::Click(ok->handle, ui::input::Mode::kPost);
      }
    }
  }
};

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

std::string ChooseFrontEnd(const std::string& kind) {
  if (kind == "headless") {
    ui::SetFrontEnd(std::make_shared<AutoPressFrontEnd>());
    return {};
  }
  if (kind == "terminal" || (kind.empty() && !HasDisplay())) {
    ui::SetFrontEnd(nullptr);  // the terminal's
    return {};
  }
#ifdef ORVANE_WITH_QT
  std::string problem;
  std::shared_ptr<ui::FrontEnd> desktop = ui::qt::CreateQtFrontEnd(&problem);
  if (desktop == nullptr) {
    // Chosen by hand, it must work; chosen for a display, the terminal will do.
    if (!kind.empty()) return problem;
    ui::SetFrontEnd(nullptr);
    return {};
  }
  ui::SetFrontEnd(std::move(desktop));
  return {};
#else
  if (!kind.empty()) return "this orvane was built without the desktop front end (Qt 6)";
  ui::SetFrontEnd(nullptr);
  return {};
#endif
}

void EndFrontEnd() {
#ifdef ORVANE_WITH_QT
  ui::qt::ShutdownQtFrontEnd();
#endif
}

}  // namespace host
