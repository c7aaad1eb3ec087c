#include "platform/ui/Dialog.h"

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
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  DialogHandler* m_handler;
};

std::string TextOf(HINSTANCE instance, unsigned id, const char* literal) {
  if (id != 0) {
    if (const char* text = FindString(instance, id)) return text;
  }
  return literal != nullptr ? literal : "";
}

}  // namespace
}  // namespace ui::detail

HWND CreateDialogParam(HINSTANCE instance, UINT templateId, HWND parent, ui::DialogHandler* handler,
                       LPARAM initParam) {
  using namespace ui::detail;
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
  // Shown once initialised, not before.
  dialog->style = dialogTemplate->style & ~WS_VISIBLE & ~WS_CHILD;
  dialog->exStyle = dialogTemplate->exStyle;
  dialog->font = font;
  dialog->instance = instance;
  dialog->templateId = templateId;
  dialog->cancelId = dialogTemplate->cancelId;
  dialog->procedure = std::make_unique<DialogClass>(handler);
  {
    // The template places the client area, on the screen or in the owner's.
    POINT at{dialogTemplate->x, dialogTemplate->y};
    if (parent != nullptr) ClientToScreen(parent, &at);
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
    const HWND child = AddWindow(control);
    std::lock_guard lock(TableMutex());
    dialog->children.push_back(child);
  }
  {
    std::lock_guard lock(TableMutex());
    dialog->announced = true;
  }
  Announce(window, ui::WindowEvent::kCreated);

  SendMessage(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  SendMessage(window, WM_INITDIALOG, 0, initParam);
  if (!IsWindow(window)) return nullptr;
  if ((dialogTemplate->style & WS_VISIBLE) != 0) ShowWindow(window, SW_SHOW);
  return window;
}
