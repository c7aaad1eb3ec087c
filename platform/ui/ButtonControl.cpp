// Push buttons, check boxes and radio buttons.

#include <vector>

#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"

namespace ui::detail {
namespace {

class Button final : public WindowClass {
 public:
  explicit Button(ControlKind kind) : m_kind(kind) {}

  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case BM_CLICK:
        Click(window);
        return 0;
      case BM_GETCHECK: {
        std::lock_guard lock(TableMutex());
        const Window* record = LookupLocked(window);
        return record != nullptr ? record->values.checked : BST_UNCHECKED;
      }
      case BM_SETIMAGE: {
        // Shown in place of the text when the style says BS_ICON or
        // BS_BITMAP; kept either way, as Windows keeps it.
        const auto* image = reinterpret_cast<const ImageRecord*>(lParam);
        if (image != nullptr && image->type != static_cast<unsigned>(wParam)) return 0;
        const HANDLE_IMAGE previous = m_image;
        m_image = image;
        ChangeControl(window, [&](Window& record) { ShowImage(record, image); });
        return reinterpret_cast<LRESULT>(previous);
      }
      case BM_GETIMAGE:
        return m_image != nullptr && m_image->type == static_cast<unsigned>(wParam)
                   ? reinterpret_cast<LRESULT>(m_image)
                   : 0;
      case BM_SETCHECK:
        if (m_kind != ControlKind::kButton) {
          ChangeControl(window,
                        [&](Window& record) { record.values.checked = static_cast<int>(wParam); });
        }
        return 0;
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  // The radio buttons of the button's group.
  static std::vector<HWND> GroupOf(HWND window) {
    std::lock_guard lock(TableMutex());
    const Window* record = LookupLocked(window);
    const Window* dialog = record != nullptr ? LookupLocked(record->parent) : nullptr;
    return dialog != nullptr ? RadioGroupLocked(*dialog, window) : std::vector<HWND>{};
  }

  void Click(HWND window) {
    int id = 0;
    HWND parent = nullptr;
    {
      std::lock_guard lock(TableMutex());
      const Window* record = LookupLocked(window);
      // A disabled button cannot be pressed, by a person or by BM_CLICK.
      if (record == nullptr || (record->style & WS_DISABLED) != 0) return;
      id = record->id;
      parent = record->parent;
    }
    const DWORD type = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE)) & 0xF;
    if (m_kind == ControlKind::kCheckBox && type == BS_AUTOCHECKBOX) {
      ChangeControl(window, [](Window& record) {
        record.values.checked = record.values.checked == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      });
    } else if (m_kind == ControlKind::kRadioButton && type == BS_AUTORADIOBUTTON) {
      for (HWND other : GroupOf(window)) {
        if (other != window) SendMessage(other, BM_SETCHECK, BST_UNCHECKED, 0);
      }
      ChangeControl(window, [](Window& record) { record.values.checked = BST_CHECKED; });
    }
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                reinterpret_cast<LPARAM>(window));
  }

  const ControlKind m_kind;
  HANDLE_IMAGE m_image = nullptr;
};

}  // namespace

std::unique_ptr<WindowClass> MakeButtonClass(ControlKind kind) {
  return std::make_unique<Button>(kind);
}

}  // namespace ui::detail
