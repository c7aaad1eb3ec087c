#include "platform/ui/ControlClass.h"

#include "platform/ui/MessageQueue.h"

namespace ui::detail {
namespace {

// Static text and pictures, and the kinds still to come: text, enable and
// show only.
class PlainControl final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    return DefWindowProc(window, message, wParam, lParam);
  }
};

}  // namespace

std::unique_ptr<WindowClass> MakeControlClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::kButton:
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
      return MakeButtonClass(kind);
    case ControlKind::kProgressBar:
      return MakeProgressBarClass();
    case ControlKind::kAnimation:
      return MakeAnimationClass();
    default:
      return std::make_unique<PlainControl>();
  }
}

}  // namespace ui::detail
