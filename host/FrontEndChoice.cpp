#include "host/FrontEndChoice.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/fs/ModulePath.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/DeferredFrontEnd.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/TerminalFrontEnd.h"
#include "platform/ui/UserInput.h"
#include "platform/ui/WindowStyles.h"

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

#ifdef ORVANE_WITH_QT
// Beside the platform library, in the build as where it is installed. (Not
// by the program's run path: under the address sanitizer dlopen is called
// from the sanitizer's library, and searches by its run path.)
std::string QtModulePath() {
  const std::filesystem::path platform = fs_module::ModulePathOf(reinterpret_cast<const void*>(&ui::SetFrontEnd));
  return platform.empty() ? std::string("libOrvaneQt.so") : (platform.parent_path() / "libOrvaneQt.so").string();
}

// The desktop front end's module (platform/ui/qt/QtFrontEndModule.cpp),
// loaded once, on first need; null with what went wrong when it cannot be.
void* QtModule(std::string* problem) {
  static void* module = nullptr;
  static std::string failure;
  if (module == nullptr && failure.empty()) {
    module = dlopen(QtModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) failure = std::string("the desktop front end cannot be loaded: ") + dlerror();
  }
  if (module == nullptr && problem != nullptr) *problem = failure;
  return module;
}

std::shared_ptr<ui::FrontEnd> CreateDesktop(std::string* problem) {
  void* module = QtModule(problem);
  if (module == nullptr) return nullptr;
  using Create = bool (*)(std::shared_ptr<ui::FrontEnd>*, std::string*);
  auto create = reinterpret_cast<Create>(dlsym(module, "OrvaneCreateQtFrontEnd"));
  if (create == nullptr) {
    *problem = "the desktop front end's module is not this program's";
    return nullptr;
  }
  std::shared_ptr<ui::FrontEnd> desktop;
  return create(&desktop, problem) ? desktop : nullptr;
}
#endif

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
  if (kind.empty()) {
    // Chosen for a display, the desktop is loaded only when a window is
    // about to show; when it cannot be, the terminal will do.
    ui::SetFrontEnd(std::make_shared<ui::DeferredFrontEnd>(
        [] {
          std::string ignored;
          return CreateDesktop(&ignored);
        },
        std::make_shared<ui::TerminalFrontEnd>()));
    return {};
  }
  // Chosen by hand, it must work: it is loaded now, to say so at once.
  std::string problem;
  std::shared_ptr<ui::FrontEnd> desktop = CreateDesktop(&problem);
  if (desktop == nullptr) return problem;
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
  // From here on windows that end (with their modules) are nobody's to show.
  if (std::dynamic_pointer_cast<ui::DeferredFrontEnd>(ui::CurrentFrontEnd()) != nullptr) ui::SetFrontEnd(nullptr);
  // Only a module that was loaded can have started Qt.
  void* module = dlopen(QtModulePath().c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (module == nullptr) return;
  if (auto shutdown = reinterpret_cast<void (*)()>(dlsym(module, "OrvaneShutdownQtFrontEnd"))) shutdown();
  dlclose(module);  // the reference RTLD_NOLOAD took
#endif
}

}  // namespace host
