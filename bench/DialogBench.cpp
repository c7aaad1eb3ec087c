// The dialogs the options page opens, as `orvane dialog NAME` opens them:
// through the 2003 module's OrvaneShowDialog, with the profile's settings.
//
// BM_AdvancedPreview: one preview of the six times (a day picked in the
// date picker: Recalc, the six texts in the user's format, the window told
// of each), through the headless front end.
// BM_ShownOnDesktop/NAME: from asking the module for the dialog to the
// desktop front end having shown its window, on Qt's offscreen platform.
// Qt's own start-up happens once, before, and is the counter qt_start_ms.
// Run advanced_first alone (--benchmark_filter) for a process's first
// showing.

#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "bench/BenchProfile.h"
#include "platform/com/ServerRegistration.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/UserInput.h"
#include "platform/ui/qt/QtFrontEnd.h"
#include "platform/ui/qt/QtTestHooks.h"

namespace {

using ShowDialog = int (*)(const char*, const char* const*, int, unsigned long, void (*)(const char*, void*), void*);

void Ignore(const char*, void*) {}

ShowDialog Module() {
  static void* module = dlopen(ORVANE_ADDIN_2003_PATH, RTLD_NOW | RTLD_LOCAL);
  return module != nullptr ? reinterpret_cast<ShowDialog>(dlsym(module, "OrvaneShowDialog")) : nullptr;
}

// Tells the desktop front end everything, and keeps a record to wait on.
class Recorded final : public ui::FrontEnd {
 public:
  Recorded(std::shared_ptr<ui::FrontEnd> shown, std::shared_ptr<ui::HeadlessFrontEnd> record)
      : m_shown(std::move(shown)), m_record(std::move(record)) {}
  int ShowMessageBox(const ui::MessageBoxRequest& request) override { return m_record->ShowMessageBox(request); }
  void OnWindowEvent(ui::WindowEvent event, const ui::WindowSnapshot& window) override {
    if (m_shown) m_shown->OnWindowEvent(event, window);
    m_record->OnWindowEvent(event, window);
  }
  bool ShowsDialogs() const override { return true; }

 private:
  std::shared_ptr<ui::FrontEnd> m_shown;
  std::shared_ptr<ui::HeadlessFrontEnd> m_record;
};

struct Session {
  BenchProfile profile;
  bool registered = false;
  Session() {
    std::string error;
    registered = SUCCEEDED(com::RegisterServerModule(ORVANE_ADDIN_2003_PATH, false, &error));
  }
};

void BM_AdvancedPreview(benchmark::State& state) {
  Session session;
  ShowDialog show = Module();
  if (!session.registered || show == nullptr) {
    state.SkipWithError("the 2003 module cannot be loaded or registered");
    return;
  }
  auto record = std::make_shared<ui::HeadlessFrontEnd>();
  ui::SetFrontEnd(std::make_shared<Recorded>(nullptr, record));
  std::thread run([&] { show("advanced", nullptr, 0, 1033, &Ignore, nullptr); });
  HWND dialog = record->WaitForDialog(125);
  if (dialog == nullptr) {
    state.SkipWithError("the advanced dialog did not show");
  } else {
    SYSTEMTIME day{};
    day.wYear = 2027;
    day.wMonth = 1;
    int n = 0;
    for (auto _ : state) {
      day.wDay = static_cast<WORD>(1 + n++ % 28);
      record->SetDate(dialog, 246, day);
    }
    record->Key(dialog, VK_ESCAPE);
  }
  run.join();
  ui::SetFrontEnd(nullptr);
}
BENCHMARK(BM_AdvancedPreview)->Unit(benchmark::kMicrosecond);

void BM_ShownOnDesktop(benchmark::State& state, const char* name, unsigned templateId) {
  Session session;
  ShowDialog show = Module();
  if (!session.registered || show == nullptr) {
    state.SkipWithError("the 2003 module cannot be loaded or registered");
    return;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static double qtStart = 0;
  static std::shared_ptr<ui::FrontEnd> qt = [] {
    const auto begin = std::chrono::steady_clock::now();
    std::string problem;
    auto made = ui::qt::CreateQtFrontEnd(&problem);
    // Qt's thread must end before the process's statics go.
    if (made != nullptr) std::atexit(&ui::qt::ShutdownQtFrontEnd);
    qtStart = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    return made;
  }();
  if (qt == nullptr) {
    state.SkipWithError("Qt does not start");
    return;
  }
  state.counters["qt_start_ms"] = qtStart;
  auto record = std::make_shared<ui::HeadlessFrontEnd>();
  ui::SetFrontEnd(std::make_shared<Recorded>(qt, record));
  for (auto _ : state) {
    record->Clear();
    std::thread run([&] { show(name, nullptr, 0, 1033, &Ignore, nullptr); });
    HWND dialog = record->WaitForDialog(templateId);
    // Qt has shown it once its thread has served what came before a key.
    if (dialog == nullptr || !ui::qt::PressKey(*qt, dialog, 0)) state.SkipWithError("not shown");
    state.PauseTiming();
    if (dialog != nullptr) ui::input::Key(dialog, VK_ESCAPE);
    run.join();
    state.ResumeTiming();
  }
  ui::SetFrontEnd(nullptr);
}
BENCHMARK_CAPTURE(BM_ShownOnDesktop, advanced, "advanced", 125)->Unit(benchmark::kMillisecond);
// The first showing of a process, as a command shows it: the module's
// resource library and the calculator's module are loaded on the way.
BENCHMARK_CAPTURE(BM_ShownOnDesktop, advanced_first, "advanced", 125)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShownOnDesktop, sound, "sound", 108)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShownOnDesktop, custom_prayers, "custom-prayers", 159)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShownOnDesktop, custom_reminders, "custom-reminders", 1034)->Unit(benchmark::kMillisecond);

}  // namespace
