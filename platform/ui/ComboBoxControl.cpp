// Combo boxes: a list of texts with item data and a selection; a drop-down
// list shows the selected entry, an editable combo box has an edit of its
// own that typing changes (CBN_EDITCHANGE).

#include <algorithm>
#include <cstring>

#include "platform/text/CaseFold.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Utf8Text.h"
#include "platform/ui/WindowStyles.h"

namespace ui::detail {

LRESULT EditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, WORD changeCode);
void NotifyParent(HWND control, WORD code);

namespace {

std::string Utf8Of(LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  return text != nullptr ? text : "";
}

bool StartsWithIgnoringCase(const std::string& entry, const std::string& prefix) {
  const std::string folded = text::FoldCase(entry);
  const std::string wanted = text::FoldCase(prefix);
  return folded.compare(0, wanted.size(), wanted) == 0;
}

class ComboBox final : public WindowClass {
 public:
  explicit ComboBox(bool editable) : m_editable(editable) {}

  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case CB_ADDSTRING:
      case CB_INSERTSTRING: {
        const std::string entry = Utf8Of(lParam);
        LRESULT at = CB_ERR;
        ChangeControl(window, [&](Window& record) {
          ControlValues& values = record.values;
          std::size_t index = values.items.size();
          if (message == CB_INSERTSTRING) {
            const auto wanted = static_cast<std::intptr_t>(wParam);
            if (wanted >= 0) {
              if (static_cast<std::size_t>(wanted) > values.items.size()) return;
              index = static_cast<std::size_t>(wanted);
            }
          } else if ((record.style & CBS_SORT) != 0) {
            const std::string folded = text::FoldCase(entry);
            index = 0;
            while (index < values.items.size() && text::FoldCase(values.items[index]) <= folded) {
              ++index;
            }
          }
          values.items.insert(values.items.begin() + static_cast<std::ptrdiff_t>(index), entry);
          values.itemData.insert(values.itemData.begin() + static_cast<std::ptrdiff_t>(index), 0);
          if (values.selection >= static_cast<int>(index)) ++values.selection;
          at = static_cast<LRESULT>(index);
        });
        return at;
      }
      case CB_DELETESTRING: {
        LRESULT left = CB_ERR;
        ChangeControl(window, [&](Window& record) {
          ControlValues& values = record.values;
          if (wParam >= values.items.size()) return;
          const auto index = static_cast<std::ptrdiff_t>(wParam);
          values.items.erase(values.items.begin() + index);
          values.itemData.erase(values.itemData.begin() + index);
          if (values.selection == static_cast<int>(wParam)) {
            values.selection = -1;
            if (!m_editable) record.text.clear();
          } else if (values.selection > static_cast<int>(wParam)) {
            --values.selection;
          }
          left = static_cast<LRESULT>(values.items.size());
        });
        return left;
      }
      case CB_RESETCONTENT:
        ChangeControl(window, [&](Window& record) {
          record.values.items.clear();
          record.values.itemData.clear();
          record.values.selection = -1;
          if (!m_editable) record.text.clear();
        });
        return CB_OKAY;
      case CB_GETCOUNT:
        return static_cast<LRESULT>(Values(window).items.size());
      case CB_GETCURSEL:
        return Values(window).selection;
      case CB_SETCURSEL:
        return Select(window, static_cast<std::intptr_t>(wParam));
      case CB_GETLBTEXTLEN: {
        const ControlValues values = Values(window);
        return wParam < values.items.size() ? static_cast<LRESULT>(values.items[wParam].size())
                                            : CB_ERR;
      }
      case CB_GETLBTEXT: {
        const ControlValues values = Values(window);
        char* buffer = reinterpret_cast<char*>(lParam);
        if (wParam >= values.items.size() || buffer == nullptr) return CB_ERR;
        const std::string& entry = values.items[wParam];
        std::memcpy(buffer, entry.c_str(), entry.size() + 1);
        return static_cast<LRESULT>(entry.size());
      }
      case CB_FINDSTRING:
      case CB_FINDSTRINGEXACT:
      case CB_SELECTSTRING: {
        const LRESULT found = Find(Values(window).items, static_cast<std::intptr_t>(wParam),
                                   Utf8Of(lParam), message == CB_FINDSTRINGEXACT);
        if (message == CB_SELECTSTRING && found != CB_ERR) Select(window, found);
        return found;
      }
      case CB_SETITEMDATA: {
        LRESULT done = CB_ERR;
        ChangeControl(window, [&](Window& record) {
          if (wParam >= record.values.itemData.size()) return;
          record.values.itemData[wParam] = lParam;
          done = CB_OKAY;
        });
        return done;
      }
      case CB_GETITEMDATA: {
        const ControlValues values = Values(window);
        return wParam < values.itemData.size() ? values.itemData[wParam] : CB_ERR;
      }
      case CB_SHOWDROPDOWN:
        return TRUE;
      case WM_SETFOCUS:
        NotifyParent(window, CBN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS:
        NotifyParent(window, CBN_KILLFOCUS);
        return 0;
      case WM_CHAR:
      case EM_REPLACESEL:
        // Only the editable kind has an edit to type into.
        if (!m_editable) return 0;
        return EditMessage(window, message, wParam, lParam, CBN_EDITCHANGE);
      case CB_LIMITTEXT:
      case CB_SETEDITSEL:
      case CB_GETEDITSEL:
        return m_editable ? EditMessage(window, message, wParam, lParam, CBN_EDITCHANGE) : CB_ERR;
      case WM_SETTEXT:
        if (!m_editable) {
          // A drop-down list shows only its entries: the text selects one.
          const LRESULT found = Find(Values(window).items, -1, Utf8Of(lParam), true);
          if (found == CB_ERR) return CB_ERR;
          Select(window, found);
          return TRUE;
        }
        return EditMessage(window, message, wParam, lParam, 0);
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

  LRESULT Select(HWND window, std::intptr_t index) {
    LRESULT result = CB_ERR;
    ChangeControl(window, [&](Window& record) {
      ControlValues& values = record.values;
      if (index < 0 || static_cast<std::size_t>(index) >= values.items.size()) {
        values.selection = -1;
        if (!m_editable) record.text.clear();
        return;
      }
      values.selection = static_cast<int>(index);
      record.text = values.items[static_cast<std::size_t>(index)];
      values.selStart = 0;
      values.selEnd = static_cast<int>(CharacterCount(record.text));
      result = static_cast<LRESULT>(index);
    });
    return result;
  }

  // Searches after start (-1: from the first), wrapping round.
  static LRESULT Find(const std::vector<std::string>& items, std::intptr_t start,
                      const std::string& wanted, bool exact) {
    const std::size_t n = items.size();
    if (n == 0) return CB_ERR;
    const std::size_t first =
        start < 0 || static_cast<std::size_t>(start) >= n ? 0 : static_cast<std::size_t>(start) + 1;
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t i = (first + k) % n;
      const bool match = exact ? text::EqualIgnoringCase(items[i], wanted)
                               : StartsWithIgnoringCase(items[i], wanted);
      if (match) return static_cast<LRESULT>(i);
    }
    return CB_ERR;
  }

  const bool m_editable;
};

}  // namespace

std::unique_ptr<WindowClass> MakeComboBoxClass(bool editable) {
  return std::make_unique<ComboBox>(editable);
}

}  // namespace ui::detail
