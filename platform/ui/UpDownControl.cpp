// The up-down control: a position within a range, stepped by a person, and
// written into its buddy edit when it has UDS_SETBUDDYINT.

#include <algorithm>
#include <string>

#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"

namespace ui::detail {
namespace {

struct UpDownState {
  int lower = 100;
  int upper = 0;
  int position = 0;
  HWND buddy = nullptr;
  DWORD style = 0;
  int id = 0;
  HWND parent = nullptr;
};

UpDownState Read(HWND window) {
  std::lock_guard lock(TableMutex());
  const Window* record = LookupLocked(window);
  if (record == nullptr) return {};
  return UpDownState{record->values.rangeMin, record->values.rangeMax, record->values.position,
                     record->values.buddy,    record->style,           record->id,
                     record->parent};
}

int Clamp(const UpDownState& state, int position) {
  return std::clamp(position, std::min(state.lower, state.upper), std::max(state.lower, state.upper));
}

// The buddy's text as a number: blanks round it allowed, a sign, digits and
// (without UDS_NOTHOUSANDS) thousands separators.
bool ReadBuddy(const UpDownState& state, int* value) {
  if (state.buddy == nullptr || (state.style & UDS_SETBUDDYINT) == 0) return false;
  char buffer[64] = {};
  SendMessage(state.buddy, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  std::string text;
  for (const char c : std::string(buffer)) {
    if (c == ',' && (state.style & UDS_NOTHOUSANDS) == 0) continue;
    text += c;
  }
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const std::size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
  std::size_t at = text[0] == '-' ? 1 : 0;
  if (at == text.size() || text.size() > 11) return false;
  for (std::size_t i = at; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  const long long number = std::stoll(text);
  if (number < std::min(state.lower, state.upper) || number > std::max(state.lower, state.upper)) {
    return false;
  }
  *value = static_cast<int>(number);
  return true;
}

void WriteBuddy(const UpDownState& state, int position) {
  if (state.buddy == nullptr || (state.style & UDS_SETBUDDYINT) == 0) return;
  const std::string text = std::to_string(position);
  SendMessage(state.buddy, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class UpDown final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case UDM_SETRANGE:
        SetRange(window, static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam))),
                 static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))));
        return 0;
      case UDM_SETRANGE32:
        SetRange(window, static_cast<int>(static_cast<std::intptr_t>(wParam)), static_cast<int>(lParam));
        return 0;
      case UDM_GETRANGE: {
        const UpDownState state = Read(window);
        return MAKELPARAM(static_cast<WORD>(state.upper), static_cast<WORD>(state.lower));
      }
      case UDM_GETRANGE32: {
        const UpDownState state = Read(window);
        if (auto* lower = reinterpret_cast<int*>(wParam)) *lower = state.lower;
        if (auto* upper = reinterpret_cast<int*>(lParam)) *upper = state.upper;
        return 0;
      }
      case UDM_SETPOS:
      case UDM_SETPOS32: {
        const int wanted = message == UDM_SETPOS
                               ? static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)))
                               : static_cast<int>(lParam);
        const UpDownState state = Read(window);
        const int position = Clamp(state, wanted);
        ChangeControl(window, [&](Window& record) { record.values.position = position; });
        WriteBuddy(state, position);
        return state.position;
      }
      case UDM_GETPOS:
      case UDM_GETPOS32: {
        UpDownState state = Read(window);
        bool error = false;
        if (state.buddy != nullptr && (state.style & UDS_SETBUDDYINT) != 0) {
          int value = 0;
          if (ReadBuddy(state, &value)) {
            state.position = value;
            ChangeControl(window, [&](Window& record) { record.values.position = value; });
          } else {
            error = true;
          }
        }
        if (message == UDM_GETPOS32) {
          if (auto* failed = reinterpret_cast<BOOL*>(lParam)) *failed = error ? TRUE : FALSE;
          return state.position;
        }
        return MAKELPARAM(static_cast<WORD>(state.position), error ? 1 : 0);
      }
      case UDM_SETBUDDY: {
        const UpDownState state = Read(window);
        ChangeControl(window, [&](Window& record) {
          record.values.buddy = reinterpret_cast<HWND>(wParam);
        });
        return reinterpret_cast<LRESULT>(state.buddy);
      }
      case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(Read(window).buddy);
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  static void SetRange(HWND window, int lower, int upper) {
    ChangeControl(window, [&](Window& record) {
      record.values.rangeMin = lower;
      record.values.rangeMax = upper;
    });
  }
};

}  // namespace

std::unique_ptr<WindowClass> MakeUpDownClass() { return std::make_unique<UpDown>(); }

bool StepUpDown(HWND window, int clicks) {
  UpDownState state = Read(window);
  if (state.parent == nullptr) return false;
  int value = 0;
  if (ReadBuddy(state, &value)) state.position = value;
  // Up goes towards the upper bound, whichever way the range runs.
  const int delta = state.upper >= state.lower ? clicks : -clicks;
  NMUPDOWN notice{{window, static_cast<UINT_PTR>(state.id), UDN_DELTAPOS}, state.position, delta};
  if (SendMessage(state.parent, WM_NOTIFY, static_cast<WPARAM>(state.id),
                  reinterpret_cast<LPARAM>(&notice)) != 0) {
    return false;  // the dialog refused the step
  }
  const int low = std::min(state.lower, state.upper);
  const int high = std::max(state.lower, state.upper);
  long long position = static_cast<long long>(state.position) + notice.iDelta;
  if ((state.style & UDS_WRAP) != 0 && high > low) {
    const long long span = high - low + 1;
    position = low + (((position - low) % span) + span) % span;
  } else {
    position = std::clamp<long long>(position, low, high);
  }
  const int now = static_cast<int>(position);
  ChangeControl(window, [&](Window& record) { record.values.position = now; });
  WriteBuddy(state, now);
  SendMessage(state.parent, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(now)),
              reinterpret_cast<LPARAM>(window));
  SendMessage(state.parent, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(now)),
              reinterpret_cast<LPARAM>(window));
  return true;
}

}  // namespace ui::detail
