#include "tests/ui/UiTestSupport.h"

#include "platform/ui/AnimationClip.h"
#include "platform/ui/ResourceTable.h"

namespace uitest {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

constexpr ResourceString kStrings[] = {
    {kCaptionId, "Test dialog"},
};

constexpr DialogControlTemplate kControls[] = {
    {kLabel, ControlKind::kStatic, 0, "Label", 10, 10, 80, 14, kChild | SS_LEFT, 0},
    {kOk, ControlKind::kButton, 0, "OK", 10, 70, 50, 20, kChild | BS_DEFPUSHBUTTON, 0},
    {kCancel, ControlKind::kButton, 0, "Cancel", 70, 70, 50, 20, kChild | BS_PUSHBUTTON, 0},
    {kDisabled, ControlKind::kButton, 0, "Off", 130, 70, 50, 20, kChild | WS_DISABLED, 0},
    {kProgress, ControlKind::kProgressBar, 0, nullptr, 10, 40, 180, 12, kChild, 0},
    {kAnimation, ControlKind::kAnimation, 0, nullptr, 100, 10, 40, 14, kChild | ACS_AUTOPLAY, 0},
    {kCheck, ControlKind::kCheckBox, 0, "Check", 10, 55, 80, 12, kChild | BS_AUTOCHECKBOX, 0},
};

constexpr DialogTemplate kDialogs[] = {
    {kDialog, kCaptionId, nullptr, 100, 50, 200, 100, WS_POPUP | WS_CAPTION | DS_SETFONT, 0,
     "MS Shell Dlg", 8, kCancel, kControls, sizeof kControls / sizeof kControls[0]},
};

constexpr unsigned char kGoodClipData[] = "ORVANE-CLIP 20\n[*  ]\n[ * ]\n[  *]\n";
constexpr unsigned char kBadClipData[] = "RIFF....AVI ";

constexpr ResourceBinary kBinaries[] = {
    {kResourceAnimation, kGoodClip, kGoodClipData, sizeof kGoodClipData - 1},
    {kResourceAnimation, kBadClip, kBadClipData, sizeof kBadClipData - 1},
};

constexpr ResourceTable kTable = {
    ResourceTable::kVersion, kStrings, 1, kBinaries, 2, kDialogs, 1,
};

}  // namespace

HINSTANCE TestModule() {
  static HINSTANCE module = fs_module::SelfModule(&kTable, &kTable);
  return module;
}

BOOL RecordingHandler::OnInitDialog(HWND, LPARAM initParam) {
  Add({"init", GetCurrentThreadId(), static_cast<WPARAM>(initParam), 0, true});
  return TRUE;
}

void RecordingHandler::OnCommand(HWND, int id, int code, HWND) {
  Add({"command", GetCurrentThreadId(), static_cast<WPARAM>(id), code, true});
}

void RecordingHandler::OnTimer(HWND, UINT_PTR timerId) {
  Add({"timer", GetCurrentThreadId(), timerId, 0, true});
}

void RecordingHandler::OnDestroy(HWND dialog) {
  Add({"destroy", GetCurrentThreadId(), 0, 0, IsWindow(GetDlgItem(dialog, kLabel)) != FALSE});
  if (quitOnDestroy) PostQuitMessage(7);
}

bool RecordingHandler::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT* result) {
  switch (message) {
    case kRelay:
      *result = SendMessage(reinterpret_cast<HWND>(lParam), kAskThread, 0, 0);
      return true;
    case kDestroySelf:
      *result = DestroyWindow(dialog);
      return true;
    case kAskThread:
      *result = static_cast<LRESULT>(GetCurrentThreadId());
      return true;
    case kNote:
      Add({"note", GetCurrentThreadId(), wParam, 0, true});
      return true;
    case WM_SETFONT:
      Add({"font", GetCurrentThreadId(), wParam, 0, true});
      return false;
    default:
      return false;
  }
}

void RecordingHandler::Add(Call call) {
  std::lock_guard lock(m_mutex);
  m_calls.push_back(std::move(call));
}

std::vector<RecordingHandler::Call> RecordingHandler::Calls() const {
  std::lock_guard lock(m_mutex);
  return m_calls;
}

std::vector<WPARAM> RecordingHandler::Values(const std::string& what) const {
  std::vector<WPARAM> values;
  for (const Call& call : Calls()) {
    if (call.what == what) values.push_back(call.value);
  }
  return values;
}

WindowThread::WindowThread(ui::DialogHandler* handler, UINT templateId) {
  std::promise<std::pair<HWND, DWORD>> made;
  auto ready = made.get_future();
  m_thread = std::thread([made = std::move(made), handler, templateId, this]() mutable {
    HWND dialog = CreateDialogParam(TestModule(), templateId, nullptr, handler, 42);
    made.set_value({dialog, GetCurrentThreadId()});
    if (dialog == nullptr) return;
    MSG message;
    while (GetMessage(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessage(&message);
    }
    m_exitCode = static_cast<int>(message.wParam);
  });
  std::tie(m_dialog, m_threadId) = ready.get();
}

int WindowThread::Join() {
  if (m_thread.joinable()) m_thread.join();
  return m_exitCode;
}

WindowThread::~WindowThread() {
  if (m_thread.joinable()) {
    PostThreadMessage(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
  }
}

}  // namespace uitest
