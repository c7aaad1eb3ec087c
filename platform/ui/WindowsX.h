#pragma once
// The control macros of Windows' windowsx.h and commctrl.h, as functions
// that take text in the caller's character set (ANSI code page or UTF-16)
// and pass it on as the UTF-8 that messages carry here.

#include <string>

#include "platform/text/TextConvert.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"

namespace windowsx_detail {
inline std::string Utf8(const char* text) { return text::AnsiToUtf8(text != nullptr ? text : ""); }
inline std::string Utf8(const char16_t* text) {
  return text::Utf16ToUtf8(text != nullptr ? text : u"");
}
}  // namespace windowsx_detail

template <typename Char>
int ComboBox_AddString(HWND combo, const Char* text) {
  const std::string utf8 = windowsx_detail::Utf8(text);
  return static_cast<int>(SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8.c_str())));
}
template <typename Char>
int ComboBox_InsertString(HWND combo, int index, const Char* text) {
  const std::string utf8 = windowsx_detail::Utf8(text);
  return static_cast<int>(SendMessage(combo, CB_INSERTSTRING, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(utf8.c_str())));
}
template <typename Char>
int ComboBox_FindString(HWND combo, int start, const Char* text) {
  const std::string utf8 = windowsx_detail::Utf8(text);
  return static_cast<int>(SendMessage(combo, CB_FINDSTRING, static_cast<WPARAM>(start),
                                      reinterpret_cast<LPARAM>(utf8.c_str())));
}
inline int ComboBox_ResetContent(HWND combo) {
  return static_cast<int>(SendMessage(combo, CB_RESETCONTENT, 0, 0));
}
inline int ComboBox_GetCount(HWND combo) {
  return static_cast<int>(SendMessage(combo, CB_GETCOUNT, 0, 0));
}
inline int ComboBox_GetCurSel(HWND combo) {
  return static_cast<int>(SendMessage(combo, CB_GETCURSEL, 0, 0));
}
inline int ComboBox_SetCurSel(HWND combo, int index) {
  return static_cast<int>(SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}
inline LPARAM ComboBox_GetItemData(HWND combo, int index) {
  return SendMessage(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}
inline int ComboBox_SetItemData(HWND combo, int index, LPARAM data) {
  return static_cast<int>(SendMessage(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data));
}
inline void Edit_LimitText(HWND edit, int limit) {
  SendMessage(edit, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
}
inline void Edit_SetSel(HWND edit, int start, int end) {
  SendMessage(edit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}
inline void UpDown_SetRange(HWND upDown, int lower, int upper) {
  SendMessage(upDown, UDM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}
// The range as set; lower and upper may be null.
inline void UpDown_GetRange(HWND upDown, int* lower, int* upper) {
  SendMessage(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(lower), reinterpret_cast<LPARAM>(upper));
}
