// One frame of the location dialog's map as the dialog moves it: the
// picture shifted by a pixel (the runtime's snapshot of the dialog handed
// to the front end) and painted by the desktop front end (Qt, on its own
// thread, offscreen). Goal: under 2 ms, so that the 45 frames from zone 0 to
// zone +3 take the 15 x 15 ms of pauses and at most 100 ms more.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/ui/CommonControls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/Images.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/qt/QtFrontEnd.h"
#include "platform/ui/qt/QtTestHooks.h"
#include "BenchProfile.h"

namespace {

constexpr unsigned kLocationDialog = 204;
constexpr unsigned kMapBitmap = 206;
constexpr int kMap = 1010;

// The dialog with nothing of its own to do: the frames are the work.
class Quiet final : public ui::DialogHandler {};

void BM_MapFrame(benchmark::State& state) {
  BenchProfile profile;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string problem;
  std::shared_ptr<ui::FrontEnd> qt = ui::qt::CreateQtFrontEnd(&problem);
  HMODULE library = LoadLibrary((std::string(ORVANE_ADDIN_2003_FOLDER) + "/orvnresen.so").c_str());
  if (!profile.Ok() || !qt || library == nullptr) {
    state.SkipWithError(("no profile, Qt or resource library: " + problem).c_str());
    return;
  }
  ui::SetFrontEnd(qt);
  Quiet handler;
  HWND dialog = CreateDialogParam(library, kLocationDialog, nullptr, &handler, 0);
  HWND map = GetDlgItem(dialog, kMap);
  ShowWindow(dialog, SW_SHOW);
  SendMessage(map, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(LoadBitmap(library, kMapBitmap)));
  ui::qt::WaitUntilShown(*qt, dialog);
  long offset = 0;
  for (auto _ : state) {
    SendMessage(map, STM_SHIFTIMAGE, static_cast<WPARAM>(--offset), 0);
    if (!ui::qt::WaitUntilShown(*qt, dialog)) state.SkipWithError("the window is not shown");
  }
  DestroyWindow(dialog);
  ui::SetFrontEnd(nullptr);
  ui::qt::ShutdownQtFrontEnd();
  FreeLibrary(library);
}

BENCHMARK(BM_MapFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
