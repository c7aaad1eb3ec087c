// Tab strips: a row of texts with one selected. The strip only shows which
// tab is chosen; the dialog that owns it shows the page that goes with it
// when told of a person's choice (TCN_SELCHANGE).

#include <algorithm>

#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowTable.h"

namespace ui::detail {
namespace {

class TabStrip final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case TCM_INSERTITEM: {
        const char* text = reinterpret_cast<const char*>(lParam);
        LRESULT at = -1;
        ChangeControl(window, [&](Window& record) {
          ControlValues& values = record.values;
          const std::size_t index = std::min<std::size_t>(wParam, values.items.size());
          values.items.insert(values.items.begin() + static_cast<std::ptrdiff_t>(index), text != nullptr ? text : "");
          // The first tab is chosen until another is.
          if (values.selection < 0) {
            values.selection = 0;
          } else if (values.selection >= static_cast<int>(index)) {
            ++values.selection;
          }
          at = static_cast<LRESULT>(index);
        });
        return at;
      }
      case TCM_DELETEALLITEMS:
        ChangeControl(window, [](Window& record) {
          record.values.items.clear();
          record.values.selection = -1;
        });
        return TRUE;
      case TCM_GETITEMCOUNT:
        return static_cast<LRESULT>(Values(window).items.size());
      case TCM_GETCURSEL:
        return Values(window).selection;
      case TCM_SETCURSEL: {
        LRESULT previous = -1;
        ChangeControl(window, [&](Window& record) {
          if (wParam >= record.values.items.size()) return;
          previous = record.values.selection;
          record.values.selection = static_cast<int>(wParam);
        });
        return previous;
      }
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  static ControlValues Values(HWND window) {
    std::lock_guard lock(TableMutex());
    const Window* record = LookupLocked(window);
    return record != nullptr ? record->values : ControlValues{};
  }
};

}  // namespace

std::unique_ptr<WindowClass> MakeTabClass() { return std::make_unique<TabStrip>(); }

}  // namespace ui::detail
