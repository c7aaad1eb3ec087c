#include "platform/ui/FrontEnd.h"

#include <mutex>

#include "platform/text/TextConvert.h"
#include "platform/ui/TerminalFrontEnd.h"

namespace ui {
namespace {

std::mutex g_frontEndMutex;
std::shared_ptr<FrontEnd>& FrontEndSlot() {
  static std::shared_ptr<FrontEnd> frontEnd = std::make_shared<TerminalFrontEnd>();
  return frontEnd;
}

}  // namespace

void FrontEnd::OnWindowEvent(WindowEvent, const WindowSnapshot&) {}

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

HWND GetActiveWindow() { return nullptr; }

int MessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  return ui::CurrentFrontEnd()->ShowMessageBox(
      {owner, text::AnsiToUtf8(text ? text : ""), text::AnsiToUtf8(caption ? caption : ""), style});
}

int MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT style) {
  return ui::CurrentFrontEnd()->ShowMessageBox({owner, text::Utf16ToUtf8(text ? text : u""),
                                                text::Utf16ToUtf8(caption ? caption : u""), style});
}
