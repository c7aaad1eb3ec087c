#include "platform/ui/ControlClass.h"

#include "platform/ui/CommonControls.h"
#include "platform/ui/Images.h"
#include "platform/ui/MessageQueue.h"

namespace ui::detail {

void ShowImage(Window& record, HANDLE_IMAGE image) {
  record.values.imageType = image != nullptr ? image->type : 0;
  record.values.imageId = image != nullptr ? image->id : 0;
  record.values.imageModule = image != nullptr ? image->module : nullptr;
  record.values.imageOffset = POINT{0, 0};
}

namespace {

// Static text, pictures and links: text, enable and show, and the image of
// a picture and its shift.
class StaticControl final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case STM_SETIMAGE:
      case STM_SETICON: {
        const auto* image = reinterpret_cast<const ImageRecord*>(message == STM_SETICON ? wParam : lParam);
        const HANDLE_IMAGE previous = m_image;
        m_image = image;
        ChangeControl(window, [&](Window& record) { ShowImage(record, image); });
        return reinterpret_cast<LRESULT>(previous);
      }
      case STM_GETIMAGE:
      case STM_GETICON:
        return reinterpret_cast<LRESULT>(m_image);
      case STM_SHIFTIMAGE: {
        const auto offset = static_cast<LONG>(static_cast<std::intptr_t>(wParam));
        LONG previous = 0;
        ChangeControl(window, [&](Window& record) {
          previous = record.values.imageOffset.x;
          record.values.imageOffset = POINT{offset, 0};
        });
        return previous;
      }
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  HANDLE_IMAGE m_image = nullptr;
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
    case ControlKind::kEdit:
      return MakeEditClass();
    case ControlKind::kDropDownList:
      return MakeComboBoxClass(false);
    case ControlKind::kComboBox:
      return MakeComboBoxClass(true);
    case ControlKind::kUpDown:
      return MakeUpDownClass();
    case ControlKind::kDatePicker:
      return MakeDatePickerClass();
    default:
      return std::make_unique<StaticControl>();
  }
}

}  // namespace ui::detail
