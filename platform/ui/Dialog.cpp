#include "platform/ui/Dialog.h"

#include <algorithm>

#include "platform/threads/Thread.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Resources.h"
#include "platform/ui/ThreadQueue.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/WindowTable.h"

namespace ui {

BOOL DialogHandler::OnInitDialog(HWND, LPARAM) { return TRUE; }
void DialogHandler::OnCommand(HWND, int, int, HWND) {}
void DialogHandler::OnTimer(HWND, UINT_PTR) {}
void DialogHandler::OnDestroy(HWND) {}
bool DialogHandler::OnMessage(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return false; }

}  // namespace ui

namespace ui::detail {
namespace {

// The procedure of every dialog: hands the messages to its handler.
class DialogClass final : public WindowClass {
 public:
  explicit DialogClass(DialogHandler* handler) : m_handler(handler) {}

  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    // After WM_DESTROY the handler may be gone at any moment: it hears
    // nothing more.
    if (m_handler == nullptr) return DefWindowProc(window, message, wParam, lParam);
    LRESULT result = 0;
    if (m_handler->OnMessage(window, message, wParam, lParam, &result)) {
      if (message == WM_DESTROY) m_handler = nullptr;
      return result;
    }
    switch (message) {
      case WM_INITDIALOG:
        return m_handler->OnInitDialog(window, lParam);
      case WM_COMMAND:
        m_handler->OnCommand(window, static_cast<int>(static_cast<short>(LOWORD(wParam))),
                             HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
      case WM_TIMER:
        m_handler->OnTimer(window, wParam);
        return 0;
      case WM_DESTROY:
        m_handler->OnDestroy(window);
        m_handler = nullptr;
        return 0;
      case WM_CLOSE:
        // Closing a dialog is its Cancel, as Windows' dialog manager has it.
        SendMessage(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
        return 0;
      case WM_CTLCOLORSTATIC:
        // Reflected, so that a control that draws itself chooses its own
        // colours; an ordinary static answers nothing and keeps the default.
        return SendMessage(reinterpret_cast<HWND>(lParam), OCM_CTLCOLORSTATIC, wParam, lParam);
      case DM_GETDEFID:
        return DefaultId(window);
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  static LRESULT DefaultId(HWND dialog);
  DialogHandler* m_handler;
};

// The default push button of the template, as DM_GETDEFID answers.
LRESULT DialogClass::DefaultId(HWND dialog) {
  std::lock_guard lock(TableMutex());
  const Window* record = LookupLocked(dialog);
  if (record == nullptr) return 0;
  for (HWND child : record->children) {
    const Window* control = LookupLocked(child);
    if (control != nullptr && control->kind == ControlKind::kButton &&
        (control->style & 0xF) == BS_DEFPUSHBUTTON) {
      return MAKELPARAM(static_cast<WORD>(control->id), DC_HASDEFID);
    }
  }
  return 0;
}

std::string TextOf(HINSTANCE instance, unsigned id, const char* literal) {
  if (id != 0) {
    if (const char* text = FindString(instance, id)) return text;
  }
  return literal != nullptr ? literal : "";
}

}  // namespace
}  // namespace ui::detail

namespace ui::detail {
namespace {

void SetInitializing(HWND dialog, bool initializing) {
  std::lock_guard lock(TableMutex());
  if (Window* record = LookupLocked(dialog)) record->initializing = initializing;
}

// Up-downs with UDS_AUTOBUDDY take the control before them as their buddy;
// UDS_ALIGNRIGHT / UDS_ALIGNLEFT put them inside its edge, the buddy giving
// up that width.
void AttachBuddies(Window& dialog) {
  std::lock_guard lock(TableMutex());
  for (std::size_t i = 1; i < dialog.children.size(); ++i) {
    Window* upDown = LookupLocked(dialog.children[i]);
    Window* buddy = LookupLocked(dialog.children[i - 1]);
    if (upDown == nullptr || buddy == nullptr || upDown->kind != ControlKind::kUpDown ||
        (upDown->style & UDS_AUTOBUDDY) == 0) {
      continue;
    }
    upDown->values.buddy = buddy->handle;
    const LONG width = upDown->rect.right - upDown->rect.left;
    if ((upDown->style & UDS_ALIGNRIGHT) != 0) {
      upDown->rect = RECT{buddy->rect.right - width, buddy->rect.top, buddy->rect.right,
                          buddy->rect.bottom};
      buddy->rect.right -= width;
    } else if ((upDown->style & UDS_ALIGNLEFT) != 0) {
      upDown->rect = RECT{buddy->rect.left, buddy->rect.top, buddy->rect.left + width,
                          buddy->rect.bottom};
      buddy->rect.left += width;
    }
  }
}

bool InDialog(HWND dialog, HWND control) {
  return control != nullptr && GetParent(control) == dialog;
}

ControlKind KindOf(HWND control) {
  std::lock_guard lock(TableMutex());
  const Window* record = LookupLocked(control);
  return record != nullptr ? record->kind : ControlKind::kStatic;
}

// The up-down whose buddy is the edit and that the arrow keys step.
HWND UpDownOf(HWND dialog, HWND edit) {
  std::lock_guard lock(TableMutex());
  const Window* record = LookupLocked(dialog);
  if (record == nullptr) return nullptr;
  for (HWND child : record->children) {
    const Window* control = LookupLocked(child);
    if (control != nullptr && control->kind == ControlKind::kUpDown &&
        control->values.buddy == edit && (control->style & UDS_ARROWKEYS) != 0) {
      return child;
    }
  }
  return nullptr;
}

// The radio button before or after this one in its group, wrapping round.
HWND NextRadio(HWND dialog, HWND radio, bool previous) {
  std::lock_guard lock(TableMutex());
  const Window* record = LookupLocked(dialog);
  if (record == nullptr) return nullptr;
  // The group's buttons that can take the focus.
  std::vector<HWND> group;
  for (HWND member : RadioGroupLocked(*record, radio)) {
    const Window* control = LookupLocked(member);
    if ((control->style & WS_VISIBLE) != 0 && (control->style & WS_DISABLED) == 0) group.push_back(member);
  }
  const auto self = std::find(group.begin(), group.end(), radio);
  if (group.size() < 2 || self == group.end()) return nullptr;
  const std::size_t i = static_cast<std::size_t>(self - group.begin());
  const std::size_t n = group.size();
  return group[previous ? (i + n - 1) % n : (i + 1) % n];
}

HWND CreateDialogInternal(HINSTANCE instance, UINT templateId, HWND parent,
                          ui::DialogHandler* handler, LPARAM initParam, bool modal) {
  const DialogTemplate* dialogTemplate = ui::FindDialog(instance, templateId);
  if (handler == nullptr || dialogTemplate == nullptr) return nullptr;
  if (parent != nullptr && !IsWindow(parent)) return nullptr;

  const std::shared_ptr<ThreadQueue> queue = ThreadQueue::Current();
  const DWORD threadId = GetCurrentThreadId();
  const HFONT font =
      ui::FontFor(dialogTemplate->fontName != nullptr ? dialogTemplate->fontName : "",
                  dialogTemplate->fontPointSize);

  auto dialog = std::make_shared<Window>();
  dialog->threadId = threadId;
  dialog->queue = queue;
  dialog->parent = parent;
  dialog->isDialog = true;
  dialog->text = TextOf(instance, dialogTemplate->captionId, dialogTemplate->caption);
  // A template with WS_CHILD and a parent makes a page: it stands inside its
  // parent's client area, where the parent places and sizes it, and has
  // no frame; it is still a dialog of its own (its controls, its focus).
  const bool page = (dialogTemplate->style & WS_CHILD) != 0 && parent != nullptr;
  // Shown once initialised, not before.
  dialog->style = dialogTemplate->style & ~WS_VISIBLE & (page ? ~DWORD{0} : ~DWORD{WS_CHILD});
  dialog->exStyle = dialogTemplate->exStyle;
  dialog->font = font;
  dialog->instance = instance;
  dialog->templateId = templateId;
  dialog->cancelId = dialogTemplate->cancelId;
  dialog->procedure = std::make_unique<DialogClass>(handler);
  {
    // The template places the client area, on the screen or in the owner's.
    POINT at{dialogTemplate->x, dialogTemplate->y};
    if (parent != nullptr && !page) ClientToScreen(parent, &at);
    const bool framed = (dialog->style & WS_CAPTION) != 0;
    const int side = framed ? kBorderWidth : 0;
    const int top = framed ? kBorderWidth + kCaptionHeight : 0;
    dialog->rect = RECT{at.x - side, at.y - top, at.x + dialogTemplate->cx + side,
                        at.y + dialogTemplate->cy + side};
  }
  const HWND window = AddWindow(dialog);

  for (std::size_t i = 0; i < dialogTemplate->controlCount; ++i) {
    const DialogControlTemplate& item = dialogTemplate->controls[i];
    auto control = std::make_shared<Window>();
    control->threadId = threadId;
    control->queue = queue;
    control->parent = window;
    control->isChild = true;
    control->id = item.id;
    control->kind = item.kind;
    control->text = TextOf(instance, item.textId, item.text);
    control->style = item.style | WS_CHILD;
    control->exStyle = item.exStyle;
    control->rect = RECT{item.x, item.y, item.x + item.cx, item.y + item.cy};
    control->font = font;
    control->instance = instance;
    control->procedure = MakeControlClass(item.kind);
    if (item.kind == ControlKind::kUpDown) {
      // The up-down's own default range runs from 100 down to 0.
      control->values.rangeMin = 100;
      control->values.rangeMax = 0;
    }
    const HWND child = AddWindow(control);
    std::lock_guard lock(TableMutex());
    dialog->children.push_back(child);
  }
  AttachBuddies(*dialog);
  {
    std::lock_guard lock(TableMutex());
    dialog->modal = modal;
    dialog->announced = true;
  }
  Announce(window, ui::WindowEvent::kCreated);

  SendMessage(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  SetInitializing(window, true);
  const LRESULT defaultFocus = SendMessage(window, WM_INITDIALOG, 0, initParam);
  if (!IsWindow(window)) return nullptr;
  SetInitializing(window, false);
  Announce(window, ui::WindowEvent::kChanged);
  if (defaultFocus != FALSE) {
    if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) ui::FocusByKeyboard(first);
  }
  PaintWindow(window);
  bool ended = false;
  {
    std::lock_guard lock(TableMutex());
    ended = dialog->ended;
  }
  if (!ended && (modal || (dialogTemplate->style & WS_VISIBLE) != 0)) {
    ShowWindow(window, SW_SHOW);
    SetActiveWindow(window);
  }
  return window;
}

}  // namespace
}  // namespace ui::detail

HWND CreateDialogParam(HINSTANCE instance, UINT templateId, HWND parent, ui::DialogHandler* handler,
                       LPARAM initParam) {
  return ui::detail::CreateDialogInternal(instance, templateId, parent, handler, initParam, false);
}

std::intptr_t DialogBoxParam(HINSTANCE instance, UINT templateId, HWND owner,
                             ui::DialogHandler* handler, LPARAM initParam) {
  using namespace ui::detail;
  HWND top = nullptr;
  {
    std::lock_guard lock(TableMutex());
    if (Window* record = LookupLocked(owner)) {
      if (Window* root = RootLocked(*record)) top = root->handle;
    }
  }
  const bool disable = top != nullptr && IsWindowEnabled(top);
  if (disable) EnableWindow(top, FALSE);
  const HWND dialog = CreateDialogInternal(instance, templateId, owner, handler, initParam, true);
  if (dialog == nullptr) {
    if (disable) EnableWindow(top, TRUE);
    return -1;
  }
  const std::shared_ptr<Window> record = Lookup(dialog);
  bool quit = false;
  int quitCode = 0;
  for (;;) {
    {
      std::lock_guard lock(TableMutex());
      if (record->ended || record->destroying) break;
    }
    MSG message;
    const BOOL got = GetMessage(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      quitCode = static_cast<int>(message.wParam);
      break;
    }
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
  std::intptr_t result = 0;
  {
    std::lock_guard lock(TableMutex());
    result = record->result;
  }
  // The owner comes back before the dialog goes, so that it is the window
  // the user works in again.
  if (disable) EnableWindow(top, TRUE);
  if (top != nullptr) SetActiveWindow(top);
  DestroyWindow(dialog);
  if (quit) PostQuitMessage(quitCode);
  return result;
}

BOOL EndDialog(HWND dialog, std::intptr_t result) {
  return static_cast<BOOL>(ui::detail::OnWindowThread(dialog, [&]() -> LRESULT {
    bool modal = false;
    {
      std::lock_guard lock(ui::detail::TableMutex());
      ui::detail::Window* record = ui::detail::LookupLocked(dialog);
      if (record == nullptr || !record->isDialog) return FALSE;
      record->ended = true;
      record->result = result;
      modal = record->modal;
    }
    ShowWindow(dialog, SW_HIDE);
    // Wakes the modal loop, which may be waiting for a message.
    if (modal) PostMessage(dialog, WM_NULL, 0, 0);
    return TRUE;
  }));
}

namespace ui {

void FocusByKeyboard(HWND control) {
  SetFocus(control);
  const ControlKind kind = detail::KindOf(control);
  if (kind == ControlKind::kEdit || kind == ControlKind::kComboBox) {
    SendMessage(control, kind == ControlKind::kEdit ? UINT{EM_SETSEL} : UINT{CB_SETEDITSEL}, 0,
                kind == ControlKind::kEdit ? -1 : MAKELPARAM(0, 0xFFFF));
  }
}

bool DialogKey(HWND dialog, WPARAM key, bool shift) {
  using namespace ui::detail;
  HWND focus = GetFocus();
  if (!InDialog(dialog, focus)) focus = nullptr;
  const ControlKind kind = focus != nullptr ? KindOf(focus) : ControlKind::kStatic;
  const bool isButton = focus != nullptr && (kind == ControlKind::kButton ||
                                             kind == ControlKind::kCheckBox ||
                                             kind == ControlKind::kRadioButton);
  switch (key) {
    case VK_TAB: {
      HWND next = GetNextDlgTabItem(dialog, focus, shift ? TRUE : FALSE);
      if (next == nullptr) return false;
      FocusByKeyboard(next);
      return true;
    }
    case VK_RETURN: {
      if (focus != nullptr && kind == ControlKind::kButton) {
        SendMessage(focus, BM_CLICK, 0, 0);
        return true;
      }
      const LRESULT defId = SendMessage(dialog, DM_GETDEFID, 0, 0);
      const int id = HIWORD(static_cast<std::uintptr_t>(defId)) == DC_HASDEFID
                         ? static_cast<int>(LOWORD(static_cast<std::uintptr_t>(defId)))
                         : int{IDOK};
      HWND button = GetDlgItem(dialog, id);
      if (button != nullptr && !IsWindowEnabled(button)) return false;
      SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                  reinterpret_cast<LPARAM>(button));
      return true;
    }
    case VK_ESCAPE: {
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel != nullptr && !IsWindowEnabled(cancel)) return false;
      SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                  reinterpret_cast<LPARAM>(cancel));
      return true;
    }
    case VK_SPACE:
      if (isButton) {
        SendMessage(focus, BM_CLICK, 0, 0);
        return true;
      }
      break;
    case VK_UP:
    case VK_DOWN:
      if (focus != nullptr && kind == ControlKind::kEdit) {
        if (HWND upDown = UpDownOf(dialog, focus)) return StepUpDown(upDown, key == VK_UP ? 1 : -1);
      }
      if (focus != nullptr && kind == ControlKind::kRadioButton) {
        HWND next = NextRadio(dialog, focus, key == VK_UP);
        if (next == nullptr) return false;
        SetFocus(next);
        SendMessage(next, BM_CLICK, 0, 0);
        return true;
      }
      break;
    default:
      break;
  }
  if (focus == nullptr) return false;
  SendMessage(focus, WM_KEYDOWN, key, 0);
  return true;
}

}  // namespace ui
