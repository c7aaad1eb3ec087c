#include "platform/ui/Window.h"

#include <algorithm>
#include <cstring>

#include "platform/text/TextConvert.h"
#include "platform/threads/Thread.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/ThreadQueue.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/WindowTable.h"

using ui::detail::Window;

namespace {

template <typename Char>
int CopyText(const std::basic_string<Char>& text, Char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const int n =
      static_cast<int>(std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1)));
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n) * sizeof(Char));
  buffer[n] = 0;
  return n;
}

std::string TextOf(HWND window, bool* found) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  *found = record != nullptr;
  return record != nullptr ? record->text : std::string();
}

}  // namespace

BOOL IsWindow(HWND window) {
  std::lock_guard lock(ui::detail::TableMutex());
  return ui::detail::LookupLocked(window) != nullptr ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int command) {
  return static_cast<BOOL>(ui::detail::OnWindowThread(window, [&]() -> LRESULT {
    const bool show = command != SW_HIDE;
    bool was = false;
    bool topLevel = false;
    {
      std::lock_guard lock(ui::detail::TableMutex());
      Window* record = ui::detail::LookupLocked(window);
      if (record == nullptr) return FALSE;
      was = (record->style & WS_VISIBLE) != 0;
      topLevel = !record->isChild;
      if (show) {
        record->style |= WS_VISIBLE;
      } else {
        record->style &= ~WS_VISIBLE;
      }
    }
    if (was != show) {
      ui::detail::CallProcedure(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
      ui::detail::Announce(window, !topLevel ? ui::WindowEvent::kChanged
                                   : show    ? ui::WindowEvent::kShown
                                             : ui::WindowEvent::kHidden);
    }
    return was ? TRUE : FALSE;
  }));
}

BOOL IsWindowVisible(HWND window) {
  std::lock_guard lock(ui::detail::TableMutex());
  for (const Window* at = ui::detail::LookupLocked(window); at != nullptr;
       at = at->isChild ? ui::detail::LookupLocked(at->parent) : nullptr) {
    if ((at->style & WS_VISIBLE) == 0) return FALSE;
    if (!at->isChild) return TRUE;
  }
  return FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  return static_cast<BOOL>(ui::detail::OnWindowThread(window, [&]() -> LRESULT {
    bool wasDisabled = false;
    {
      std::lock_guard lock(ui::detail::TableMutex());
      Window* record = ui::detail::LookupLocked(window);
      if (record == nullptr) return FALSE;
      wasDisabled = (record->style & WS_DISABLED) != 0;
      if (enable) {
        record->style &= ~WS_DISABLED;
      } else {
        record->style |= WS_DISABLED;
      }
    }
    if (wasDisabled == (enable != FALSE)) {
      ui::detail::CallProcedure(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
      ui::detail::Announce(window, ui::WindowEvent::kChanged);
    }
    return wasDisabled ? TRUE : FALSE;
  }));
}

BOOL IsWindowEnabled(HWND window) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  return record != nullptr && (record->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL SetWindowText(HWND window, const char* text) {
  const std::string utf8 = text::AnsiToUtf8(text != nullptr ? text : "");
  return static_cast<BOOL>(
      SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(utf8.c_str())));
}

BOOL SetWindowText(HWND window, const char16_t* text) {
  const std::string utf8 = text::Utf16ToUtf8(text != nullptr ? text : u"");
  return static_cast<BOOL>(
      SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(utf8.c_str())));
}

int GetWindowText(HWND window, char* buffer, int size) {
  bool found = false;
  const std::string text = TextOf(window, &found);
  return CopyText(text::Utf8ToAnsi(text), buffer, size);
}

int GetWindowText(HWND window, char16_t* buffer, int size) {
  bool found = false;
  const std::string text = TextOf(window, &found);
  return CopyText(text::Utf8ToUtf16(text), buffer, size);
}

HWND GetDlgItem(HWND dialog, int id) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(dialog);
  if (record == nullptr) return nullptr;
  for (HWND child : record->children) {
    const Window* control = ui::detail::LookupLocked(child);
    if (control != nullptr && control->id == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND control) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(control);
  return record != nullptr && record->isChild ? record->id : 0;
}

BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? SetWindowText(control, text) : FALSE;
}

BOOL SetDlgItemText(HWND dialog, int id, const char16_t* text) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? SetWindowText(control, text) : FALSE;
}

HWND GetParent(HWND window) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  return record != nullptr ? record->parent : nullptr;
}

LONG GetWindowLong(HWND window, int index) {
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  if (record == nullptr) return 0;
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(record->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(record->exStyle);
    case GWL_ID:
      return record->id;
    default:
      return 0;
  }
}

LONG SetWindowLong(HWND window, int index, LONG value) {
  return static_cast<LONG>(ui::detail::OnWindowThread(window, [&]() -> LRESULT {
    LONG previous = 0;
    {
      std::lock_guard lock(ui::detail::TableMutex());
      Window* record = ui::detail::LookupLocked(window);
      if (record == nullptr) return 0;
      switch (index) {
        case GWL_STYLE:
          previous = static_cast<LONG>(record->style);
          record->style = static_cast<DWORD>(value);
          break;
        case GWL_EXSTYLE:
          previous = static_cast<LONG>(record->exStyle);
          record->exStyle = static_cast<DWORD>(value);
          break;
        case GWL_ID:
          previous = record->id;
          record->id = value;
          break;
        default:
          return 0;
      }
    }
    if (previous != value) ui::detail::Announce(window, ui::WindowEvent::kChanged);
    return previous;
  }));
}

LONG_PTR GetWindowLongPtr(HWND window, int index) {
  if (index != GWLP_WNDPROC && index != GWLP_USERDATA) return GetWindowLong(window, index);
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  if (record == nullptr) return 0;
  if (index == GWLP_USERDATA) return record->userData;
  const WNDPROC procedure =
      record->wndProc != nullptr ? record->wndProc : &ui::detail::ClassWindowProc;
  return reinterpret_cast<LONG_PTR>(procedure);
}

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
  if (index != GWLP_WNDPROC && index != GWLP_USERDATA) {
    return SetWindowLong(window, index, static_cast<LONG>(value));
  }
  std::lock_guard lock(ui::detail::TableMutex());
  Window* record = ui::detail::LookupLocked(window);
  // Another thread's window cannot be subclassed, as in Windows.
  if (record == nullptr || (index == GWLP_WNDPROC && record->threadId != GetCurrentThreadId())) {
    return 0;
  }
  if (index == GWLP_USERDATA) {
    const LONG_PTR previous = record->userData;
    record->userData = value;
    return previous;
  }
  const WNDPROC previous =
      record->wndProc != nullptr ? record->wndProc : &ui::detail::ClassWindowProc;
  const auto procedure = reinterpret_cast<WNDPROC>(value);
  record->wndProc = procedure == &ui::detail::ClassWindowProc ? nullptr : procedure;
  return reinterpret_cast<LONG_PTR>(previous);
}

LRESULT CallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                       LPARAM lParam) {
  if (procedure == nullptr) return 0;
  return procedure(window, message, wParam, lParam);
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  if (rect == nullptr) return FALSE;
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  if (record == nullptr) return FALSE;
  if (!record->isChild) {
    *rect = record->rect;
    return TRUE;
  }
  const Window* parent = ui::detail::LookupLocked(record->parent);
  const POINT origin = parent != nullptr ? ui::detail::ClientOriginLocked(*parent) : POINT{0, 0};
  *rect = RECT{origin.x + record->rect.left, origin.y + record->rect.top,
               origin.x + record->rect.right, origin.y + record->rect.bottom};
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  if (rect == nullptr) return FALSE;
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  if (record == nullptr) return FALSE;
  // What the frame takes on the left is taken on the right too, and the
  // border below; the title bar is at the top only.
  const bool framed = !record->isChild && (record->style & WS_CAPTION) != 0;
  const LONG width =
      record->rect.right - record->rect.left - (framed ? 2 * ui::detail::kBorderWidth : 0);
  const LONG height = record->rect.bottom - record->rect.top -
                      (framed ? 2 * ui::detail::kBorderWidth + ui::detail::kCaptionHeight : 0);
  *rect = RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  if (point == nullptr) return FALSE;
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  if (record == nullptr) return FALSE;
  const POINT origin = ui::detail::ClientOriginLocked(*record);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  if (point == nullptr) return FALSE;
  std::lock_guard lock(ui::detail::TableMutex());
  const Window* record = ui::detail::LookupLocked(window);
  if (record == nullptr) return FALSE;
  const POINT origin = ui::detail::ClientOriginLocked(*record);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND /*after*/, int x, int y, int cx, int cy, UINT flags) {
  const LRESULT done = ui::detail::OnWindowThread(window, [&]() -> LRESULT {
    bool moved = false;
    bool resized = false;
    {
      std::lock_guard lock(ui::detail::TableMutex());
      Window* record = ui::detail::LookupLocked(window);
      if (record == nullptr) return FALSE;
      RECT rect = record->rect;
      const LONG width = rect.right - rect.left;
      const LONG height = rect.bottom - rect.top;
      if ((flags & SWP_NOMOVE) == 0) {
        rect = RECT{x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
      }
      if ((flags & SWP_NOSIZE) == 0) {
        rect.right = rect.left + std::max(cx, 0);
        rect.bottom = rect.top + std::max(cy, 0);
      }
      moved = !(rect == record->rect);
      resized = rect.right - rect.left != width || rect.bottom - rect.top != height;
      record->rect = rect;
    }
    if (moved) ui::detail::Announce(window, ui::WindowEvent::kChanged);
    // A window that changed its size is told its new client area, so that
    // it can lay itself out (a page its host sizes).
    if (resized) {
      RECT client{};
      GetClientRect(window, &client);
      SendMessage(window, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
    }
    return TRUE;
  });
  if (done == FALSE) return FALSE;
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(window, SW_SHOW);
  if ((flags & SWP_HIDEWINDOW) != 0) ShowWindow(window, SW_HIDE);
  return TRUE;
}

BOOL DestroyWindow(HWND window) {
  const std::shared_ptr<Window> record = ui::detail::Lookup(window);
  if (record == nullptr || record->threadId != GetCurrentThreadId()) return FALSE;
  std::vector<HWND> children;
  std::vector<HWND> owned;
  HWND parent = nullptr;
  bool announced = false;
  {
    std::lock_guard lock(ui::detail::TableMutex());
    // A window whose handler destroys it again while being destroyed.
    if (record->destroying) return TRUE;
    record->destroying = true;
    children = record->children;
    parent = record->isChild ? record->parent : nullptr;
    announced = !record->isChild && record->announced;
  }
  // The windows it or its controls own (tooltips, boxes) go first.
  for (HWND other : ui::detail::TopLevelWindowsOf(record->threadId)) {
    const HWND owner = GetParent(other);
    if (owner == nullptr || other == window) continue;
    if (owner == window || std::find(children.begin(), children.end(), owner) != children.end()) {
      owned.push_back(other);
    }
  }
  for (HWND other : owned) DestroyWindow(other);
  // The window first, then its controls, as Windows does; each is still
  // whole while it hears of it.
  ui::detail::CallProcedure(window, WM_DESTROY, 0, 0);
  for (HWND child : children) ui::detail::CallProcedure(child, WM_DESTROY, 0, 0);
  for (HWND child : children) ui::detail::CallProcedure(child, WM_NCDESTROY, 0, 0);
  ui::detail::CallProcedure(window, WM_NCDESTROY, 0, 0);

  ui::WindowSnapshot last;
  if (announced) {
    std::lock_guard lock(ui::detail::TableMutex());
    last = ui::detail::SnapshotLocked(*record);
  }
  std::vector<HWND> going = children;
  going.push_back(window);
  record->queue->ForgetWindows(going);
  ui::detail::RemoveWindow(window);
  if (announced) ui::CurrentFrontEnd()->OnWindowEvent(ui::WindowEvent::kDestroyed, last);
  if (parent != nullptr) ui::detail::Announce(parent, ui::WindowEvent::kChanged);
  return TRUE;
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT: {
      const char* utf8 = reinterpret_cast<const char*>(lParam);
      bool changed = false;
      {
        std::lock_guard lock(ui::detail::TableMutex());
        Window* record = ui::detail::LookupLocked(window);
        if (record == nullptr) return FALSE;
        const std::string text = utf8 != nullptr ? utf8 : "";
        changed = record->text != text;
        record->text = text;
      }
      if (changed) ui::detail::Announce(window, ui::WindowEvent::kChanged);
      return TRUE;
    }
    case WM_GETTEXT: {
      bool found = false;
      const std::string text = TextOf(window, &found);
      return CopyText(text, reinterpret_cast<char*>(lParam), static_cast<int>(wParam));
    }
    case WM_GETTEXTLENGTH: {
      bool found = false;
      return static_cast<LRESULT>(TextOf(window, &found).size());
    }
    case WM_SETFONT: {
      bool changed = false;
      {
        std::lock_guard lock(ui::detail::TableMutex());
        if (Window* record = ui::detail::LookupLocked(window)) {
          changed = record->font != reinterpret_cast<HFONT>(wParam);
          record->font = reinterpret_cast<HFONT>(wParam);
        }
      }
      if (changed) ui::detail::Announce(window, ui::WindowEvent::kChanged);
      return 0;
    }
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_SETCURSOR:
      return FALSE;  // the class cursor, the arrow
    case WM_GETFONT: {
      std::lock_guard lock(ui::detail::TableMutex());
      const Window* record = ui::detail::LookupLocked(window);
      return record != nullptr ? reinterpret_cast<LRESULT>(record->font) : 0;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    default:
      return 0;
  }
}
