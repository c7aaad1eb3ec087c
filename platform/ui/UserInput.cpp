#include "platform/ui/UserInput.h"

#include <functional>

#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/ThreadQueue.h"
#include "platform/ui/Utf8Text.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/WindowTable.h"

namespace ui::input {
namespace {

using detail::Window;

// Whether a person could reach the window: it, its dialog and the window
// holding a page visible and enabled.
bool Reachable(HWND window) {
  std::lock_guard lock(detail::TableMutex());
  const Window* record = detail::LookupLocked(window);
  if (record == nullptr) return false;
  // Up through the controls' dialog, and through a page to the window
  // that holds it.
  for (const Window* at = record; at != nullptr;) {
    if ((at->style & WS_VISIBLE) == 0 || (at->style & WS_DISABLED) != 0) return false;
    const bool held = at->isChild || ((at->style & WS_CHILD) != 0 && at->parent != nullptr);
    if (!held) return true;
    at = detail::LookupLocked(at->parent);
  }
  return false;
}

bool Run(HWND window, Mode mode, std::function<bool()> action) {
  if (mode == Mode::kWait) {
    return detail::OnWindowThread(window, [&]() -> LRESULT {
             return Reachable(window) && action() ? TRUE : FALSE;
           }) != FALSE;
  }
  const std::shared_ptr<Window> record = detail::Lookup(window);
  if (record == nullptr) return false;
  return record->queue->PostTask([window, action = std::move(action)] {
    if (Reachable(window)) action();
  });
}

ControlKind KindOf(HWND control) {
  std::lock_guard lock(detail::TableMutex());
  const Window* record = detail::LookupLocked(control);
  return record != nullptr ? record->kind : ControlKind::kStatic;
}

void TypeCharacters(HWND control, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    // Decode one code point.
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    i += length;
    SendMessage(control, WM_CHAR, static_cast<WPARAM>(c), 0);
  }
}

}  // namespace

bool Click(HWND control, Mode mode) {
  return Run(control, mode, [control] {
    const ControlKind kind = KindOf(control);
    if (kind == ControlKind::kButton || kind == ControlKind::kCheckBox ||
        kind == ControlKind::kRadioButton) {
      SetFocus(control);
      SendMessage(control, BM_CLICK, 0, 0);
      return true;
    }
    RECT client{};
    GetClientRect(control, &client);
    const LPARAM middle = MAKELPARAM(static_cast<WORD>(client.right / 2), static_cast<WORD>(client.bottom / 2));
    SendMessage(control, WM_MOUSEMOVE, 0, middle);
    SendMessage(control, WM_LBUTTONDOWN, 1, middle);
    if (IsWindow(control)) SendMessage(control, WM_LBUTTONUP, 0, middle);
    return true;
  });
}

bool Focus(HWND control, Mode mode) {
  return Run(control, mode, [control] { return SetFocus(control) != nullptr || GetFocus() == control; });
}

bool Type(HWND control, std::string_view utf8, Mode mode) {
  return Run(control, mode, [control, text = std::string(utf8)] {
    if (GetFocus() != control) SetFocus(control);
    TypeCharacters(control, text);
    return true;
  });
}

bool ReplaceText(HWND control, std::string_view utf8, Mode mode, std::function<void()> done) {
  struct Finally {
    std::function<void()> done;
    ~Finally() {
      if (done) done();
    }
  };
  // Made in place: a copy would run done when the copy goes.
  auto finally = std::make_shared<Finally>();
  finally->done = std::move(done);
  return Run(control, mode, [control, text = std::string(utf8), finally] {
    SetFocus(control);
    const bool combo = KindOf(control) == ControlKind::kComboBox;
    SendMessage(control, combo ? UINT{CB_SETEDITSEL} : UINT{EM_SETSEL}, 0, combo ? MAKELPARAM(0, 0xFFFF) : -1);
    if (text.empty()) {
      SendMessage(control, WM_CHAR, VK_BACK, 0);
    } else {
      TypeCharacters(control, text);
    }
    return true;
  });
}

bool Select(HWND comboBox, int index, Mode mode) {
  return Run(comboBox, mode, [comboBox, index] {
    const ControlKind kind = KindOf(comboBox);
    if (kind == ControlKind::kTab) {
      if (SendMessage(comboBox, TCM_SETCURSEL, static_cast<WPARAM>(index), 0) < 0) return false;
      detail::NotifyParent(comboBox, TCN_SELCHANGE);
      return true;
    }
    if (kind != ControlKind::kComboBox && kind != ControlKind::kDropDownList) return false;
    SetFocus(comboBox);
    if (SendMessage(comboBox, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) return false;
    detail::NotifyParent(comboBox, CBN_SELCHANGE);
    detail::NotifyParent(comboBox, CBN_SELENDOK);
    return true;
  });
}

bool Step(HWND upDown, int clicks, Mode mode) {
  return Run(upDown, mode, [upDown, clicks] {
    return KindOf(upDown) == ControlKind::kUpDown && detail::StepUpDown(upDown, clicks);
  });
}

bool SetDate(HWND picker, const SYSTEMTIME& date, Mode mode) {
  return Run(picker, mode, [picker, date] {
    if (KindOf(picker) != ControlKind::kDatePicker) return false;
    SetFocus(picker);
    return detail::ChangeDate(picker, date);
  });
}

bool Key(HWND dialog, WPARAM key, bool shift, Mode mode) {
  return Run(dialog, mode, [dialog, key, shift] { return ui::DialogKey(dialog, key, shift); });
}

bool Mouse(HWND control, UINT message, POINT point, Mode mode) {
  return Run(control, mode, [control, message, point] {
    HWND target = GetCapture();
    POINT at = point;
    if (target != nullptr && target != control) {
      ClientToScreen(control, &at);
      ScreenToClient(target, &at);
    } else {
      target = control;
    }
    const LPARAM where = MAKELPARAM(static_cast<WORD>(static_cast<short>(at.x)),
                                    static_cast<WORD>(static_cast<short>(at.y)));
    SendMessage(target, message, message == WM_LBUTTONDOWN ? 1 : 0, where);
    return true;
  });
}

bool Close(HWND window, Mode mode) {
  return Run(window, mode, [window] {
    SendMessage(window, WM_CLOSE, 0, 0);
    return true;
  });
}

}  // namespace ui::input
