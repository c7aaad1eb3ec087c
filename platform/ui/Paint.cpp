// Painting. The front ends draw; what a window procedure decides about its
// looks is asked when the window is to be drawn again: a static control's
// text colour from its dialog (WM_CTLCOLORSTATIC, which the dialog may
// reflect back to the control) and the cursor over each control
// (WM_SETCURSOR).

#include "platform/threads/Thread.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowTable.h"

namespace ui::detail {

void PaintControl(HWND control) {
  HWND parent = nullptr;
  ControlKind kind = ControlKind::kStatic;
  {
    std::lock_guard lock(TableMutex());
    const Window* record = LookupLocked(control);
    if (record == nullptr || !record->isChild) return;
    parent = record->parent;
    kind = record->kind;
  }
  COLORREF colour = CLR_INVALID;
  if (kind == ControlKind::kStatic || kind == ControlKind::kLink) {
    DeviceContextRecord dc;
    SendMessage(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(&dc),
                reinterpret_cast<LPARAM>(control));
    colour = dc.textColor;
  }
  {
    std::lock_guard lock(TableMutex());
    ThreadStateLocked(GetCurrentThreadId()).cursorId = 0;
  }
  const LRESULT chosen = SendMessage(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  unsigned cursor = 0;
  bool changed = false;
  {
    std::lock_guard lock(TableMutex());
    if (chosen != FALSE) cursor = ThreadStateLocked(GetCurrentThreadId()).cursorId;
    Window* record = LookupLocked(control);
    if (record == nullptr) return;
    changed = record->values.textColor != colour || record->values.cursorId != cursor;
    record->values.textColor = colour;
    record->values.cursorId = cursor;
  }
  if (changed) Announce(control, WindowEvent::kChanged);
}

void PaintWindow(HWND window) {
  std::vector<HWND> children;
  bool child = false;
  {
    std::lock_guard lock(TableMutex());
    const Window* record = LookupLocked(window);
    if (record == nullptr) return;
    child = record->isChild;
    children = record->children;
  }
  if (child) {
    PaintControl(window);
    return;
  }
  for (HWND control : children) PaintControl(control);
}

}  // namespace ui::detail

BOOL InvalidateRect(HWND window, const RECT*, BOOL) {
  if (!IsWindow(window)) return FALSE;
  ui::detail::OnWindowThread(window, [&]() -> LRESULT {
    ui::detail::PaintWindow(window);
    ui::detail::Announce(window, ui::WindowEvent::kChanged);
    return TRUE;
  });
  return TRUE;
}

BOOL UpdateWindow(HWND window) { return IsWindow(window); }
