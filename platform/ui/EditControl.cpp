// The edit control, and the edit part of an editable combo box: text typed
// character by character within a limit, a selection, and EN_CHANGE to the
// dialog whenever the text changes.

#include <algorithm>

#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Utf8Text.h"
#include "platform/ui/WindowStyles.h"

namespace ui::detail {

namespace {

struct EditState {
  std::string text;
  int limit = 0;
  int selStart = 0;
  int selEnd = 0;
  DWORD style = 0;
  int id = 0;
  HWND parent = nullptr;
};

EditState Read(HWND window) {
  std::lock_guard lock(TableMutex());
  const Window* record = LookupLocked(window);
  if (record == nullptr) return {};
  return EditState{record->text,        record->values.textLimit, record->values.selStart,
                   record->values.selEnd, record->style,            record->id,
                   record->parent};
}

int LimitOf(const EditState& state) {
  return state.limit > 0 ? state.limit : kDefaultEditLimit;
}

}  // namespace

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (parent == nullptr) return;
  SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
              reinterpret_cast<LPARAM>(control));
}

LRESULT EditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, WORD changeCode) {
  switch (message) {
    case EM_LIMITTEXT:
    case CB_LIMITTEXT:
      ChangeControl(window, [&](Window& record) {
        record.values.textLimit = static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE));
      });
      return TRUE;
    case EM_GETLIMITTEXT:
      return LimitOf(Read(window));
    case EM_SETSEL:
    case CB_SETEDITSEL: {
      // CB_SETEDITSEL packs both ends into lParam.
      int start = static_cast<int>(static_cast<std::intptr_t>(wParam));
      int end = static_cast<int>(lParam);
      if (message == CB_SETEDITSEL) {
        start = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)));
        end = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)));
      }
      ChangeControl(window, [&](Window& record) {
        const int length = static_cast<int>(CharacterCount(record.text));
        if (start < 0) {
          record.values.selStart = record.values.selEnd = record.values.selEnd;
          return;
        }
        if (end < 0 || end > length) end = length;
        start = std::min(start, length);
        record.values.selStart = std::min(start, end);
        record.values.selEnd = std::max(start, end);
      });
      return TRUE;
    }
    case EM_GETSEL:
    case CB_GETEDITSEL: {
      const EditState state = Read(window);
      if (auto* start = reinterpret_cast<DWORD*>(wParam)) *start = static_cast<DWORD>(state.selStart);
      if (auto* end = reinterpret_cast<DWORD*>(lParam)) *end = static_cast<DWORD>(state.selEnd);
      return MAKELPARAM(static_cast<WORD>(state.selStart), static_cast<WORD>(state.selEnd));
    }
    case EM_REPLACESEL:
    case WM_CHAR: {
      EditState state = Read(window);
      if ((state.style & ES_READONLY) != 0) return 0;
      std::string insert;
      bool backspace = false;
      if (message == EM_REPLACESEL) {
        insert = reinterpret_cast<const char*>(lParam) != nullptr
                     ? reinterpret_cast<const char*>(lParam)
                     : "";
      } else if (wParam == VK_BACK) {
        backspace = true;
      } else if (wParam < 0x20) {
        return 0;  // other control characters type nothing
      } else {
        if ((state.style & ES_NUMBER) != 0 && (wParam < '0' || wParam > '9')) return 0;
        insert = EncodeCodePoint(static_cast<char32_t>(wParam));
      }
      int start = state.selStart;
      const int end = state.selEnd;
      if (backspace && start == end) {
        if (start == 0) return 0;
        --start;
      }
      const std::size_t from = ByteOffset(state.text, static_cast<std::size_t>(start));
      const std::size_t to = ByteOffset(state.text, static_cast<std::size_t>(end));
      std::string text = state.text.substr(0, from) + insert + state.text.substr(to);
      if (message == WM_CHAR && !insert.empty() &&
          static_cast<int>(CharacterCount(text)) > LimitOf(state)) {
        NotifyParent(window, EN_MAXTEXT);
        return 0;
      }
      const int caret = start + static_cast<int>(CharacterCount(insert));
      ChangeControl(window, [&](Window& record) {
        record.text = text;
        record.values.selStart = record.values.selEnd = caret;
      });
      if (text != state.text) NotifyParent(window, changeCode);
      return 0;
    }
    case WM_SETTEXT: {
      DefWindowProc(window, message, wParam, lParam);
      ChangeControl(window, [](Window& record) { record.values.selStart = record.values.selEnd = 0; });
      // An edit tells its dialog of every change of its text, the program's
      // own included, as Windows' edit does.
      if (changeCode == EN_CHANGE) NotifyParent(window, changeCode);
      return TRUE;
    }
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}

namespace {

class Edit final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_SETFOCUS:
        NotifyParent(window, EN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS:
        NotifyParent(window, EN_KILLFOCUS);
        return 0;
      default:
        return EditMessage(window, message, wParam, lParam, EN_CHANGE);
    }
  }
};

}  // namespace

std::unique_ptr<WindowClass> MakeEditClass() { return std::make_unique<Edit>(); }

}  // namespace ui::detail
