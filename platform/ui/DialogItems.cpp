// The dialog functions that address a control by its id.

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/text/TextConvert.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/WindowTable.h"

namespace {

std::string TextOfControl(HWND control) {
  const LRESULT length = SendMessage(control, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied =
      SendMessage(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

}  // namespace

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated != nullptr) *translated = FALSE;
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return 0;
  const std::string text = TextOfControl(control);
  std::size_t at = text.find_first_not_of(' ');
  if (at == std::string::npos) return 0;
  bool negative = false;
  if (text[at] == '-' && isSigned) {
    negative = true;
    ++at;
  }
  std::size_t end = at;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  if (end == at || text.find_first_not_of(' ', end) != std::string::npos) return 0;
  // Too many digits for the type is no number either.
  unsigned long long value = 0;
  for (std::size_t i = at; i < end; ++i) {
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
    if (value > 0xFFFFFFFFull) return 0;
  }
  if (isSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
  if (translated != nullptr) *translated = TRUE;
  const auto result = static_cast<UINT>(value);
  return negative ? 0u - result : result;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  const std::string text =
      isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return FALSE;
  return static_cast<BOOL>(SendMessage(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
  if (buffer != nullptr && size > 0) buffer[0] = 0;
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? GetWindowText(control, buffer, size) : 0;
}

int GetDlgItemText(HWND dialog, int id, char16_t* buffer, int size) {
  if (buffer != nullptr && size > 0) buffer[0] = 0;
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? GetWindowText(control, buffer, size) : 0;
}

int GetWindowTextLength(HWND window) {
  // In characters of the ANSI code page, which is what the 8-bit callers
  // size their buffers by; UTF-16 callers get at least as much room.
  const std::string text = TextOfControl(window);
  const std::size_t ansi = text::Utf8ToAnsi(text).size();
  const std::size_t utf16 = text::Utf8ToUtf16(text).size();
  return static_cast<int>(ansi > utf16 ? ansi : utf16);
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? SendMessage(control, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return FALSE;
  SendMessage(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? static_cast<UINT>(SendMessage(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (GetDlgItem(dialog, check) == nullptr) return FALSE;
  for (int id = first; id <= last; ++id) {
    if (HWND control = GetDlgItem(dialog, id)) {
      SendMessage(control, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
  return TRUE;
}
