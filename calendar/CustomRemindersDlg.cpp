#include "calendar/CustomRemindersDlg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/nls/Nls.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowsX.h"

namespace {

tstring LoadText(UINT id) {
  const char* text = ui::FindString(ResourceInstance(), id);
  return Utf8ToT(text != nullptr ? text : "");
}

tstring LocaleText(LCTYPE item) {
  tchar text[100] = {};
  GetLocaleInfo(LOCALE_USER_DEFAULT, item, text, 100);
  return text;
}

// The text of a list's entry, as UTF-8.
std::string EntryText(HWND list, int entry) {
  const LRESULT length = SendMessage(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0);
  if (length < 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessage(list, CB_GETLBTEXT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

CCustomReminders::CCustomReminders(COleDate from, COleDate to, const tstring& subject, DWORD interval)
    : m_from(from), m_to(to), m_subject(subject), m_interval(interval) {}

std::intptr_t CCustomReminders::DoModal(HWND owner) {
  return DialogBoxParam(ResourceInstance(), IDD, owner, this, 0);
}

int CCustomReminders::TimeEntry(COleDate time, COleDate fallback) {
  if (!time.IsValid()) time = fallback;
  const int entry = time.GetHour() * 2 + (time.GetMinute() != 0 ? 1 : 0);
  return std::clamp(entry, 0, kTimes - 1);
}

COleDate CCustomReminders::EntryTime(int entry) { return COleDate(entry * 30.0 / 1440.0); }

tstring CCustomReminders::TimePicture() {
  // Windows writes nothing for "tt" in a locale without designators (French):
  // 08:30 would stand for both halves of the day.
  const tstring am = LocaleText(LOCALE_S1159);
  const tstring pm = LocaleText(LOCALE_S2359);
  if (!am.empty() && !pm.empty() && am != pm) return TEXT("hh:mm tt");
  // The user's own 24-hour writing, without its seconds: "H" or "HH".
  const tstring format = LocaleText(LOCALE_STIMEFORMAT);
  return format.find(TEXT("HH")) == tstring::npos && format.find(static_cast<tchar>('H')) != tstring::npos
             ? TEXT("H:mm")
             : TEXT("HH:mm");
}

BOOL CCustomReminders::OnInitDialog(HWND dialog, LPARAM) {
  TraceEnter("CCustomReminders::OnInitDialog");
  HWND from = GetDlgItem(dialog, kFrom);
  HWND to = GetDlgItem(dialog, kTo);
  const tstring picture = TimePicture();
  for (int entry = 0; entry < kTimes; ++entry) {
    const tstring text = EntryTime(entry).FormatAsTime(picture.c_str(), 0, LOCALE_USER_DEFAULT);
    ComboBox_AddString(from, text.c_str());
    ComboBox_AddString(to, text.c_str());
  }
  // Unreadable stored times show the defaults, 08:00 and 17:00.
  ComboBox_SetCurSel(from, TimeEntry(m_from, COleDate(480.0 / 1440.0)));
  ComboBox_SetCurSel(to, TimeEntry(m_to, COleDate(1020.0 / 1440.0)));

  HWND interval = GetDlgItem(dialog, kInterval);
  // No interval of 0 minutes is offered, and OK needs one: 60 is the
  // setting's default.
  const DWORD wanted = m_interval != 0 ? m_interval : kDefaultInterval;
  int selected = -1;
  for (const DWORD minutes : kIntervals) {
    if (selected < 0 && minutes > wanted) {
      selected = ComboBox_AddString(interval, Utf8ToT(std::to_string(wanted)).c_str());
    } else if (minutes == wanted) {
      selected = ComboBox_GetCount(interval);
    }
    ComboBox_AddString(interval, Utf8ToT(std::to_string(minutes)).c_str());
  }
  if (selected < 0) selected = ComboBox_AddString(interval, Utf8ToT(std::to_string(wanted)).c_str());
  ComboBox_SetCurSel(interval, selected);

  SetDlgItemText(dialog, kSubject, m_subject.c_str());
  Edit_LimitText(GetDlgItem(dialog, kSubject), kSubjectLimit);
  TraceExit("CCustomReminders::OnInitDialog");
  return TRUE;
}

void CCustomReminders::OnCommand(HWND dialog, int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == IDOK) {
    if (OnOK(dialog)) EndDialog(dialog, IDOK);
  } else if (id == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
}

void CCustomReminders::ShowMessage(HWND dialog, UINT textId, int focusId) {
  const UINT style = MB_OK | (UILanguageID == 1025 ? MB_RTLREADING | MB_RIGHT : 0);
  MessageBox(dialog, LoadText(textId).c_str(), LoadText(kCaption).c_str(), style);
  SetFocus(GetDlgItem(dialog, focusId));
}

bool CCustomReminders::OnOK(HWND dialog) {
  TraceEnter("CCustomReminders::OnOK");
  const int fromEntry = ComboBox_GetCurSel(GetDlgItem(dialog, kFrom));
  const int toEntry = ComboBox_GetCurSel(GetDlgItem(dialog, kTo));
  if (toEntry <= fromEntry) {
    ShowMessage(dialog, kEndNotAfterStart, kTo);
    return false;
  }
  tchar subject[kSubjectLimit + 1] = {};
  GetDlgItemText(dialog, kSubject, subject, kSubjectLimit + 1);
  if (subject[0] == 0) {
    ShowMessage(dialog, kEmptySubject, kSubject);
    return false;
  }
  HWND interval = GetDlgItem(dialog, kInterval);
  const int entry = ComboBox_GetCurSel(interval);
  const unsigned long minutes = entry >= 0 ? std::strtoul(EntryText(interval, entry).c_str(), nullptr, 10) : 0;
  m_from = EntryTime(fromEntry);
  m_to = EntryTime(toEntry);
  m_subject = subject;
  m_interval = minutes != 0 ? static_cast<DWORD>(minutes) : kDefaultInterval;
  TraceExit("CCustomReminders::OnOK");
  return true;
}

std::string CCustomReminders::ClockText(COleDate time) {
  char text[8] = "--:--";
  if (time.IsValid()) std::snprintf(text, sizeof text, "%02d:%02d", time.GetHour() % 100, time.GetMinute() % 100);
  return text;
}

DialogResult ShowCustomRemindersDialog(const DialogRun& run) {
  const AddinSettings& settings = run.store.Settings();
  CCustomReminders dialog(settings.customFrom, settings.customTo, settings.customSubject, settings.customInterval);
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return kDialogNotShown;
  if (result != IDOK) return kDialogCancelled;
  run.PrintValue(1038, CCustomReminders::ClockText(dialog.m_from));
  run.PrintValue(1040, CCustomReminders::ClockText(dialog.m_to));
  run.PrintValue(1042, TToUtf8(dialog.m_subject));
  run.PrintValue(1043, std::to_string(dialog.m_interval));
  return kDialogOk;
}
