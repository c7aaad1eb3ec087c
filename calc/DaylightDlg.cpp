#include "calc/DaylightDlg.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/text/TChar.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowsX.h"

namespace {

constexpr int kMonths = 12;

int ClampMonth(int month) { return std::clamp(month, 0, kMonths - 1); }

int ClampDay(int day, int month) { return std::clamp(day, 1, CDaylightDlg::kDaysInMonth[month]); }

// A day edit's text read as a decimal number, as the dialog always has: the
// leading digits count and anything after them is ignored (the edits take
// digits only, and at most two of them).
int ReadDay(HWND dialog, int id) {
  tchar text[20] = {};
  GetDlgItemText(dialog, id, text, 20);
  const std::string utf8 = TToUtf8(text);
  return std::atoi(utf8.c_str());
}

}  // namespace

CDaylightDlg::CDaylightDlg(int startDay, int startMonth, int endDay, int endMonth)
    : m_startDay(startDay), m_startMonth(startMonth), m_endDay(endDay), m_endMonth(endMonth) {}

std::intptr_t CDaylightDlg::DoModal(HWND owner) {
  return DialogBoxParam(ResourceInstance(), IDD, owner, this, 0);
}

BOOL CDaylightDlg::OnInitDialog(HWND dialog, LPARAM) {
  TraceEnter("CDaylightDlg::OnInitDialog");
  HWND startMonth = GetDlgItem(dialog, kStartMonth);
  HWND endMonth = GetDlgItem(dialog, kEndMonth);
  for (int month = 0; month < kMonths; ++month) {
    tchar name[64] = {};
    LoadString(ResourceInstance(), kFirstMonthName + static_cast<UINT>(month), name, 64);
    ComboBox_AddString(startMonth, name);
    ComboBox_AddString(endMonth, name);
  }
  // Stored rules are repaired, never reordered: a start after the end is a
  // period over the new year.
  m_startMonth = ClampMonth(m_startMonth);
  m_endMonth = ClampMonth(m_endMonth);
  m_startDay = ClampDay(m_startDay, m_startMonth);
  m_endDay = ClampDay(m_endDay, m_endMonth);

  ComboBox_SetCurSel(startMonth, m_startMonth);
  ComboBox_SetCurSel(endMonth, m_endMonth);
  SetDlgItemInt(dialog, kStartDay, static_cast<UINT>(m_startDay), TRUE);
  SetDlgItemInt(dialog, kEndDay, static_cast<UINT>(m_endDay), TRUE);
  Edit_LimitText(GetDlgItem(dialog, kStartDay), 2);
  Edit_LimitText(GetDlgItem(dialog, kEndDay), 2);
  UpdateRanges(dialog);
  TraceExit("CDaylightDlg::OnInitDialog");
  return TRUE;
}

void CDaylightDlg::UpdateRanges(HWND dialog) {
  const int startMonth = ComboBox_GetCurSel(GetDlgItem(dialog, kStartMonth));
  const int endMonth = ComboBox_GetCurSel(GetDlgItem(dialog, kEndMonth));
  // The texts stay as they are: OK says what is wrong with them.
  UpDown_SetRange(GetDlgItem(dialog, kStartSpin), 1, kDaysInMonth[ClampMonth(startMonth)]);
  UpDown_SetRange(GetDlgItem(dialog, kEndSpin), 1, kDaysInMonth[ClampMonth(endMonth)]);
}

void CDaylightDlg::OnCommand(HWND dialog, int id, int code, HWND) {
  if ((id == kStartMonth || id == kEndMonth) && code == CBN_SELCHANGE) {
    UpdateRanges(dialog);
  } else if (id == IDOK && code == BN_CLICKED) {
    OnOK(dialog);
  } else if (id == IDCANCEL && code == BN_CLICKED) {
    EndDialog(dialog, IDCANCEL);
  }
}

void CDaylightDlg::OnOK(HWND dialog) {
  TraceEnter("CDaylightDlg::OnOK");
  const int startMonth = ClampMonth(ComboBox_GetCurSel(GetDlgItem(dialog, kStartMonth)));
  const int endMonth = ClampMonth(ComboBox_GetCurSel(GetDlgItem(dialog, kEndMonth)));
  const int startDay = ReadDay(dialog, kStartDay);
  const int endDay = ReadDay(dialog, kEndDay);
  if (startDay < 1 || startDay > kDaysInMonth[startMonth]) {
    ShowMessage(dialog, kBadDayMessage);
    SetFocus(GetDlgItem(dialog, kStartDay));
    return;
  }
  if (endDay < 1 || endDay > kDaysInMonth[endMonth]) {
    ShowMessage(dialog, kBadDayMessage);
    SetFocus(GetDlgItem(dialog, kEndDay));
    return;
  }
  // A period has at least one day after its first; one that ends before it
  // starts in the year runs over the new year and is taken as it is.
  if (startMonth == endMonth && startDay == endDay) {
    ShowMessage(dialog, kSameDayMessage);
    return;
  }
  m_startDay = startDay;
  m_startMonth = startMonth;
  m_endDay = endDay;
  m_endMonth = endMonth;
  TraceExit("CDaylightDlg::OnOK");
  EndDialog(dialog, IDOK);
}

void CDaylightDlg::ShowMessage(HWND dialog, UINT textId) {
  tchar text[1024] = {};
  tchar caption[256] = {};
  LoadString(ResourceInstance(), textId, text, 1024);
  LoadString(ResourceInstance(), kCaption, caption, 256);
  const UINT style = MB_OK | (UILanguageID == 1025 ? MB_RTLREADING | MB_RIGHT : 0);
  MessageBox(dialog, text, caption, style);
}

DialogResult ShowDaylightDialog(const DialogRun& run) {
  const AddinSettings& settings = run.store.Settings();
  CDaylightDlg dialog(static_cast<int>(settings.daylightStartDay), static_cast<int>(settings.daylightStartMonth),
                      static_cast<int>(settings.daylightEndDay), static_cast<int>(settings.daylightEndMonth));
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return kDialogNotShown;
  if (result != IDOK) return kDialogCancelled;
  const std::pair<UINT, int> fields[] = {{145, dialog.m_startDay},
                                         {146, dialog.m_startMonth},
                                         {147, dialog.m_endDay},
                                         {148, dialog.m_endMonth}};
  for (const auto& [name, value] : fields) run.PrintValue(name, std::to_string(value));
  return kDialogOk;
}
