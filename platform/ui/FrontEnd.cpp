#include "platform/ui/FrontEnd.h"

#include <mutex>

#include "platform/text/TextConvert.h"
#include "platform/threads/Thread.h"
#include "platform/ui/TerminalFrontEnd.h"
#include "platform/ui/WindowStyles.h"

namespace ui {
namespace {

std::mutex g_frontEndMutex;
std::shared_ptr<FrontEnd>& FrontEndSlot() {
  static std::shared_ptr<FrontEnd> frontEnd = std::make_shared<TerminalFrontEnd>();
  return frontEnd;
}

// A thread that shows a window and sleeps is pacing what it shows.
void ReportPause(DWORD milliseconds) {
  HWND window = GetActiveWindow();
  if (window != nullptr) CurrentFrontEnd()->OnPause(window, milliseconds);
}

[[maybe_unused]] const bool g_pausesReported = [] {
  threads::SetSleepObserver(&ReportPause);
  return true;
}();

}  // namespace

void FrontEnd::OnWindowEvent(WindowEvent, const WindowSnapshot&) {}
std::optional<std::string> FrontEnd::ShowOpenFile(const OpenFileRequest&) { return std::nullopt; }
bool FrontEnd::ShowsDialogs() const { return false; }
void FrontEnd::OnPause(HWND, DWORD) {}

std::shared_ptr<FrontEnd> CurrentFrontEnd() {
  std::lock_guard lock(g_frontEndMutex);
  return FrontEndSlot();
}

void SetFrontEnd(std::shared_ptr<FrontEnd> frontEnd) {
  std::lock_guard lock(g_frontEndMutex);
  FrontEndSlot() = frontEnd ? std::move(frontEnd) : std::make_shared<TerminalFrontEnd>();
}

int DefaultButton(UINT style) {
  // The buttons of each box type, left to right.
  static constexpr int kButtons[][3] = {
      {IDOK, IDOK, IDOK},           {IDOK, IDCANCEL, IDCANCEL},   {IDABORT, IDRETRY, IDIGNORE},
      {IDYES, IDNO, IDCANCEL},      {IDYES, IDNO, IDNO},          {IDRETRY, IDCANCEL, IDCANCEL},
  };
  const UINT type = style & MB_TYPEMASK;
  const UINT position = (style & MB_DEFMASK) >> 8;
  if (type >= sizeof kButtons / sizeof kButtons[0] || position > 2) return IDOK;
  return kButtons[type][position];
}

}  // namespace ui

namespace {

// A box is modal to its owner's window: the window is disabled while the
// box shows, and active again afterwards.
int ShowOwnedBox(const ui::MessageBoxRequest& request) {
  HWND top = request.owner;
  while (top != nullptr && (GetWindowLong(top, GWL_STYLE) & WS_CHILD) != 0) top = GetParent(top);
  const bool disable = top != nullptr && IsWindowEnabled(top);
  if (disable) EnableWindow(top, FALSE);
  const int answer = ui::CurrentFrontEnd()->ShowMessageBox(request);
  if (disable) EnableWindow(top, TRUE);
  return answer;
}

}  // namespace

int MessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  return ShowOwnedBox(
      {owner, text::AnsiToUtf8(text ? text : ""), text::AnsiToUtf8(caption ? caption : ""), style});
}

int MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT style) {
  return ShowOwnedBox({owner, text::Utf16ToUtf8(text ? text : u""),
                       text::Utf16ToUtf8(caption ? caption : u""), style});
}
