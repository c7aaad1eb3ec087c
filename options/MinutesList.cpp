#include "options/MinutesList.h"

#include <string>

#include "services/ResourceLibrary.h"
#include "platform/text/Format.h"
#include "platform/text/TChar.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowsX.h"

void CMinutesList::Fill(HWND list, DWORD value) {
  ComboBox_ResetContent(list);
  int selected = -1;
  for (const int preset : kPresets) {
    if (selected < 0 && static_cast<DWORD>(preset) > value) {
      selected = ComboBox_AddString(list, Utf8ToT(std::to_string(value)).c_str());
    } else if (static_cast<DWORD>(preset) == value) {
      selected = ComboBox_GetCount(list);
    }
    ComboBox_AddString(list, Utf8ToT(std::to_string(preset)).c_str());
  }
  if (selected < 0) selected = ComboBox_AddString(list, Utf8ToT(std::to_string(value)).c_str());
  ComboBox_SetCurSel(list, selected);
}

bool CMinutesList::Parse(HWND list, DWORD* minutes) {
  tchar buffer[64] = {};
  GetWindowText(list, buffer, 64);
  const std::string text = TToUtf8(buffer);
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const std::size_t last = text.find_last_not_of(" \t");
  const std::string digits = text.substr(first, last - first + 1);
  // Digits only: no sign, no fraction, no "30 min". Five digits already
  // pass a day, so a longer text never reaches the conversion.
  if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  const int number = std::stoi(digits);
  if (number < kLowest || number > kHighest) return false;
  *minutes = static_cast<DWORD>(number);
  return true;
}

bool CMinutesList::Read(HWND dialog, int id, UINT fieldName, DWORD* minutes) {
  HWND list = GetDlgItem(dialog, id);
  if (Parse(list, minutes)) return true;
  const char* format = ui::FindString(ResourceInstance(), kOutOfRange);
  const char* field = ui::FindString(ResourceInstance(), fieldName);
  const char* caption = ui::FindString(ResourceInstance(), kCaption);
  const std::string text = text::FormatResource(format != nullptr ? format : "%s: %d..%d",
                                                std::string(field != nullptr ? field : ""), kLowest, kHighest);
  const UINT style = MB_OK | (UILanguageID == 1025 ? MB_RTLREADING | MB_RIGHT : 0);
  MessageBox(dialog, Utf8ToT(text).c_str(), Utf8ToT(caption != nullptr ? caption : "").c_str(), style);
  SetFocus(list);
  SendMessage(list, CB_SETEDITSEL, 0, MAKELPARAM(0, static_cast<WORD>(-1)));
  return false;
}
