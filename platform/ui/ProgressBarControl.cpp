// The progress bar: a position within a range, moved by steps.

#include <algorithm>

#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"

namespace ui::detail {
namespace {

class ProgressBar final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case PBM_SETRANGE: {
        LRESULT previous = 0;
        ChangeControl(window, [&](Window& record) {
          previous = MAKELPARAM(static_cast<WORD>(record.values.rangeMin),
                                static_cast<WORD>(record.values.rangeMax));
          record.values.rangeMin = LOWORD(static_cast<std::uintptr_t>(lParam));
          record.values.rangeMax = HIWORD(static_cast<std::uintptr_t>(lParam));
          record.values.position = Clamp(record.values, record.values.position);
        });
        return previous;
      }
      case PBM_GETRANGE: {
        std::lock_guard lock(TableMutex());
        const Window* record = LookupLocked(window);
        if (record == nullptr) return 0;
        return wParam != 0 ? record->values.rangeMin : record->values.rangeMax;
      }
      case PBM_SETPOS:
        return Move(window, [&](const ControlValues& values) {
          return Clamp(values, static_cast<int>(wParam));
        });
      case PBM_DELTAPOS:
        return Move(window, [&](const ControlValues& values) {
          return Clamp(values, values.position + static_cast<int>(wParam));
        });
      case PBM_SETSTEP: {
        const int previous = m_step;
        m_step = static_cast<int>(wParam);
        return previous;
      }
      case PBM_STEPIT:
        return Move(window, [&](const ControlValues& values) {
          return Wrap(values, values.position + m_step);
        });
      case PBM_GETPOS: {
        std::lock_guard lock(TableMutex());
        const Window* record = LookupLocked(window);
        return record != nullptr ? record->values.position : 0;
      }
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  static int Clamp(const ControlValues& values, int position) {
    return std::clamp(position, values.rangeMin, std::max(values.rangeMin, values.rangeMax));
  }

  // A step past the end starts over from the beginning, as the control is
  // documented to do; the excess carries on from the other end.
  static int Wrap(const ControlValues& values, int position) {
    const int span = values.rangeMax - values.rangeMin;
    if (span <= 0) return values.rangeMin;
    if (position > values.rangeMax) return values.rangeMin + (position - values.rangeMax) % span;
    if (position < values.rangeMin) return values.rangeMax - (values.rangeMin - position) % span;
    return position;
  }

  // Returns the previous position.
  template <typename NewPosition>
  static LRESULT Move(HWND window, NewPosition&& newPosition) {
    int previous = 0;
    ChangeControl(window, [&](Window& record) {
      previous = record.values.position;
      record.values.position = newPosition(record.values);
    });
    return previous;
  }

  int m_step = 10;  // the control's own default
};

}  // namespace

std::unique_ptr<WindowClass> MakeProgressBarClass() { return std::make_unique<ProgressBar>(); }

}  // namespace ui::detail
