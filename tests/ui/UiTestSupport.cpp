#include "tests/ui/UiTestSupport.h"

#include "platform/ui/AnimationClip.h"
#include "platform/ui/ResourceTable.h"
#include "platform/ui/WindowTable.h"

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

constexpr DWORD kStop = kChild | WS_TABSTOP;
constexpr DialogControlTemplate kFormControls[] = {
    {kName, ControlKind::kEdit, 0, nullptr, 10, 10, 100, 14, kStop | ES_AUTOHSCROLL, 0},
    {kNumber, ControlKind::kEdit, 0, nullptr, 10, 30, 60, 14, kStop | ES_NUMBER, 0},
    {kSpin, ControlKind::kUpDown, 0, nullptr, 0, 0, 12, 14,
     kChild | UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0},
    {kList, ControlKind::kDropDownList, 0, nullptr, 10, 50, 100, 80, kStop | CBS_DROPDOWNLIST, 0},
    {kCombo, ControlKind::kComboBox, 0, nullptr, 10, 70, 100, 80, kStop | CBS_DROPDOWN | CBS_SORT, 0},
    {kDate, ControlKind::kDatePicker, 0, nullptr, 10, 90, 100, 14, kStop, 0},
    {kHidden, ControlKind::kEdit, 0, nullptr, 120, 10, 60, 14, WS_CHILD | WS_TABSTOP, 0},
    {kLink, ControlKind::kStatic, 0, "https://example.org/", 120, 30, 100, 12, kChild | SS_NOTIFY, 0},
    {kRadioA, ControlKind::kRadioButton, 0, "A", 120, 50, 40, 12,
     kStop | WS_GROUP | BS_AUTORADIOBUTTON, 0},
    {kRadioB, ControlKind::kRadioButton, 0, "B", 120, 64, 40, 12, kChild | BS_AUTORADIOBUTTON, 0},
    {kOff, ControlKind::kButton, 0, "Off", 120, 90, 50, 14, kStop | WS_DISABLED, 0},
    {kPicture, ControlKind::kPicture, 0, nullptr, 180, 110, 20, 20, kChild | SS_BITMAP, 0},
    {IDOK, ControlKind::kButton, 0, "OK", 60, 110, 50, 14, kStop | BS_DEFPUSHBUTTON, 0},
    {IDCANCEL, ControlKind::kButton, 0, "Cancel", 120, 110, 50, 14, kStop, 0},
};

constexpr DialogTemplate kDialogs[] = {
    {kDialog, kCaptionId, nullptr, 100, 50, 200, 100, WS_POPUP | WS_CAPTION | DS_SETFONT, 0,
     "MS Shell Dlg", 8, kCancel, kControls, sizeof kControls / sizeof kControls[0]},
    {kForm, 0, "Form", 120, 80, 230, 130, WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0,
     "MS Shell Dlg", 8, IDCANCEL, kFormControls, sizeof kFormControls / sizeof kFormControls[0]},
};

constexpr unsigned char kGoodClipData[] = "ORVANE-CLIP 20\n[*  ]\n[ * ]\n[  *]\n";
constexpr unsigned char kBadClipData[] = "RIFF....AVI ";

// A bitmap of 2 x 2 pixels.
constexpr unsigned char kBitmapData[] = "\x42\x4d\x46\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x10\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\x00\xff\x00\x00\x00\xff\x00\x00\xff\xff\xff\x00\x00";

// An icon directory of one 16 x 16 image (its pixels left out: only the
// directory is read here), a PNG's signature and header of 3 x 2 pixels,
// and a picture clip of four frames whose image is those bytes.
constexpr unsigned char kIconData[] =
    "\x00\x00\x01\x00\x01\x00\x10\x10\x00\x00\x01\x00\x20\x00\x00\x00\x00\x00\x16\x00\x00\x00";
constexpr unsigned char kPngData[] =
    "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x03\x00\x00\x00\x02";
constexpr unsigned char kPictureClipData[] =
    "ORVANE-CLIP 20 PICTURE 4\n\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x10\x00\x00\x00\x04";

constexpr ResourceBinary kBinaries[] = {
    {kResourceAnimation, kGoodClip, kGoodClipData, sizeof kGoodClipData - 1},
    {kResourceAnimation, kBadClip, kBadClipData, sizeof kBadClipData - 1},
    {kResourceBitmap, kBitmap, kBitmapData, sizeof kBitmapData - 1},
    {kResourceIcon, kIcon, kIconData, sizeof kIconData - 1},
    {kResourceBitmap, kPng, kPngData, sizeof kPngData - 1},
    {kResourceAnimation, kPictureClip, kPictureClipData, sizeof kPictureClipData - 1},
};

constexpr ResourceTable kTable = {
    ResourceTable::kVersion, kStrings, 1, kBinaries, sizeof kBinaries / sizeof kBinaries[0], kDialogs, 2,
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

LRESULT RunOnThread(HWND window, const std::function<LRESULT()>& task) {
  return ui::detail::OnWindowThread(window, task);
}

BOOL FormHandler::OnInitDialog(HWND dialog, LPARAM) {
  if (endDuringInit) EndDialog(dialog, 77);
  return TRUE;
}

void FormHandler::OnCommand(HWND dialog, int id, int code, HWND) {
  {
    std::lock_guard lock(m_mutex);
    m_heard.push_back({WM_COMMAND, id, code});
  }
  if ((id == IDOK || id == IDCANCEL) && code == BN_CLICKED) EndDialog(dialog, id);
}

bool FormHandler::OnMessage(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  {
    std::lock_guard lock(m_mutex);
    m_heard.push_back({WM_NOTIFY, static_cast<int>(header->idFrom), static_cast<int>(header->code)});
  }
  *result = header->code == UDN_DELTAPOS && refuseSteps ? 1 : 0;
  return true;
}

std::vector<FormHandler::Heard> FormHandler::HeardFrom(int id) const {
  std::lock_guard lock(m_mutex);
  std::vector<Heard> heard;
  for (const Heard& h : m_heard) {
    if (h.id == id) heard.push_back(h);
  }
  return heard;
}

int FormHandler::Count(int id, int code) const {
  int n = 0;
  for (const Heard& h : HeardFrom(id)) n += h.code == code ? 1 : 0;
  return n;
}

ModalRun::ModalRun(ui::DialogHandler* handler, HWND owner, UINT templateId) {
  m_thread = std::thread([this, handler, owner, templateId] {
    m_result = DialogBoxParam(TestModule(), templateId, owner, handler, 0);
  });
}

ModalRun::~ModalRun() {
  if (m_thread.joinable()) m_thread.join();
}

HWND ModalRun::Dialog(const ui::HeadlessFrontEnd& frontEnd, UINT templateId) {
  return frontEnd.WaitForDialog(templateId);
}

std::intptr_t ModalRun::Result() {
  if (m_thread.joinable()) m_thread.join();
  return m_result;
}

}  // namespace uitest
