// The keyboard focus, the active window and the mouse capture: each thread
// has its own, as each thread has its own input state in Windows.

#include <vector>

#include "platform/threads/Thread.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/WindowTable.h"

using ui::detail::Window;

HWND GetActiveWindow() {
  std::lock_guard lock(ui::detail::TableMutex());
  return ui::detail::ThreadStateLocked(GetCurrentThreadId()).active;
}

HWND SetActiveWindow(HWND window) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  if (record == nullptr || record->isChild || record->threadId != GetCurrentThreadId()) {
    return nullptr;
  }
  ui::detail::ThreadState& state = ui::detail::ThreadStateLocked(GetCurrentThreadId());
  const HWND previous = state.active;
  state.active = window;
  return previous;
}

HWND GetFocus() {
  std::lock_guard lock(ui::detail::TableMutex());
  return ui::detail::ThreadStateLocked(GetCurrentThreadId()).focus;
}

HWND SetFocus(HWND window) {
  const DWORD thread = GetCurrentThreadId();
  HWND previous = nullptr;
  {
    std::lock_guard lock(ui::detail::TableMutex());
    ui::detail::ThreadState& state = ui::detail::ThreadStateLocked(thread);
    previous = state.focus;
    if (window != nullptr) {
      Window* record = ui::detail::LookupLocked(window);
      if (record == nullptr || record->threadId != thread || (record->style & WS_DISABLED) != 0) {
        return nullptr;
      }
      if (Window* top = ui::detail::TopLevelLocked(*record)) state.active = top->handle;
    }
    if (previous == window) return previous;
    state.focus = window;
  }
  if (previous != nullptr) {
    ui::detail::CallProcedure(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    ui::detail::Announce(previous, ui::WindowEvent::kChanged);
  }
  if (window != nullptr) {
    ui::detail::CallProcedure(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    ui::detail::Announce(window, ui::WindowEvent::kChanged);
  }
  return previous;
}

HWND SetCapture(HWND window) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  ui::detail::ThreadState& state = ui::detail::ThreadStateLocked(GetCurrentThreadId());
  const HWND previous = state.capture;
  if (record != nullptr && record->threadId == GetCurrentThreadId()) state.capture = window;
  return previous;
}

BOOL ReleaseCapture() {
  HWND previous = nullptr;
  {
    std::lock_guard lock(ui::detail::TableMutex());
    ui::detail::ThreadState& state = ui::detail::ThreadStateLocked(GetCurrentThreadId());
    previous = state.capture;
    state.capture = nullptr;
  }
  if (previous != nullptr) ui::detail::CallProcedure(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  std::lock_guard lock(ui::detail::TableMutex());
  return ui::detail::ThreadStateLocked(GetCurrentThreadId()).capture;
}

namespace {

bool Reachable(const Window& control) {
  return (control.style & WS_VISIBLE) != 0 && (control.style & WS_DISABLED) == 0;
}

}  // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(dialog);
  if (record == nullptr) return nullptr;
  // The stops in template order; a group of radio buttons is one stop, its
  // checked button (else the one that carries the tab stop).
  std::vector<HWND> stops;
  const std::vector<HWND>& children = record->children;
  for (std::size_t i = 0; i < children.size(); ++i) {
    const Window* child = ui::detail::LookupLocked(children[i]);
    if (child == nullptr || (child->style & WS_TABSTOP) == 0 || !Reachable(*child)) continue;
    HWND stop = child->handle;
    if (child->kind == ControlKind::kRadioButton) {
      for (std::size_t j = i; j < children.size(); ++j) {
        const Window* member = ui::detail::LookupLocked(children[j]);
        if (member == nullptr || member->kind != ControlKind::kRadioButton) break;
        if (j > i && (member->style & WS_GROUP) != 0) break;
        if (member->values.checked == BST_CHECKED && Reachable(*member)) {
          stop = member->handle;
          break;
        }
      }
    }
    stops.push_back(stop);
  }
  if (stops.empty()) return nullptr;
  // Where the control stands among the stops: itself, or the stop of its
  // radio group, or the first stop after it in template order.
  std::size_t at = stops.size();
  for (std::size_t i = 0; i < stops.size(); ++i) {
    if (stops[i] == control) at = i;
  }
  if (at == stops.size()) {
    return previous ? stops.back() : stops.front();
  }
  const std::size_t n = stops.size();
  return previous ? stops[(at + n - 1) % n] : stops[(at + 1) % n];
}
