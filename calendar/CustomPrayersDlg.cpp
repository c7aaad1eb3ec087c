#include "calendar/CustomPrayersDlg.h"

#include <string>

#include "calendar/CustomRemindersDlg.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/ui/WindowsX.h"

namespace {

// The check boxes of the six prayers and their flags.
struct PrayerBox {
  int id;
  DWORD flag;
};
constexpr PrayerBox kPrayerBoxes[] = {
    {CCustomPrayers::kFajr, kFajrFlag},       {CCustomPrayers::kShorouk, kShoroukFlag},
    {CCustomPrayers::kZuhr, kZuhrFlag},       {CCustomPrayers::kAsr, kAsrFlag},
    {CCustomPrayers::kMaghrib, kMaghribFlag}, {CCustomPrayers::kIsha, kIshaFlag},
};

// How much a change asks of the calendar: moved reminders must be
// rewritten, a new subject only renamed.
int Weight(int change) {
  switch (change) {
    case kCustomReminderTimesChanged:
      return 2;
    case kCustomReminderSubjectChanged:
      return 1;
    default:
      return 0;
  }
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

void CCustomPrayers::SetCustomReminderSettings(COleDate from, COleDate to, const tstring& subject,
                                               DWORD interval) {
  m_customFrom = from;
  m_customTo = to;
  m_customSubject = subject;
  m_customInterval = interval;
}

std::intptr_t CCustomPrayers::DoModal(HWND owner) {
  return DialogBoxParam(ResourceInstance(), IDD, owner, this, 0);
}

BOOL CCustomPrayers::OnInitDialog(HWND dialog, LPARAM) {
  TraceEnter("CCustomPrayers::OnInitDialog");
  m_change = kCustomRemindersUnchanged;
  for (const PrayerBox& box : kPrayerBoxes) {
    CheckDlgButton(dialog, box.id, (m_prayers & box.flag) != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
  CheckDlgButton(dialog, kFriday, (m_prayers & (kZuhrFlag | kFridayFlag)) != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kCustomReminders, (m_prayers & kCustomReminderFlag) != 0 ? BST_CHECKED : BST_UNCHECKED);
  // A selected Zuhr always includes the Friday prayer.
  if ((m_prayers & kZuhrFlag) != 0) EnableWindow(GetDlgItem(dialog, kFriday), FALSE);
  TraceExit("CCustomPrayers::OnInitDialog");
  return TRUE;
}

void CCustomPrayers::OnCommand(HWND dialog, int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kZuhr:
      OnZuhr(dialog);
      break;
    case kCustomReminders:
      OnCustomCheck(dialog);
      break;
    case kRemindersButton:
      RunCustomRemindersDialog(dialog);
      break;
    case IDOK:
      OnOK(dialog);
      break;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      break;
    default:
      break;
  }
}

void CCustomPrayers::OnZuhr(HWND dialog) {
  HWND friday = GetDlgItem(dialog, kFriday);
  if (Checked(dialog, kZuhr)) {
    CheckDlgButton(dialog, kFriday, BST_CHECKED);
    EnableWindow(friday, FALSE);
  } else {
    EnableWindow(friday, TRUE);  // its check stays as it was
  }
}

void CCustomPrayers::OnCustomCheck(HWND dialog) {
  // Custom reminders cannot be switched on without a subject.
  if (!Checked(dialog, kCustomReminders) || !m_customSubject.empty()) return;
  if (RunCustomRemindersDialog(dialog) != IDOK) CheckDlgButton(dialog, kCustomReminders, BST_UNCHECKED);
}

std::intptr_t CCustomPrayers::RunCustomRemindersDialog(HWND owner) {
  CCustomReminders reminders(m_customFrom, m_customTo, m_customSubject, m_customInterval);
  const std::intptr_t result = reminders.DoModal(owner);
  if (result != IDOK) return result;
  int change = kCustomRemindersUnchanged;
  if (reminders.m_from.Value() != m_customFrom.Value() || reminders.m_to.Value() != m_customTo.Value() ||
      reminders.m_interval != m_customInterval) {
    change = kCustomReminderTimesChanged;
  } else if (reminders.m_subject != m_customSubject) {
    change = kCustomReminderSubjectChanged;
  }
  // An earlier look may have moved the reminders; a later one that changes
  // less must not hide that from the calendar.
  if (Weight(change) > Weight(m_change)) m_change = change;
  m_customFrom = reminders.m_from;
  m_customTo = reminders.m_to;
  m_customSubject = reminders.m_subject;
  m_customInterval = reminders.m_interval;
  return result;
}

void CCustomPrayers::OnOK(HWND dialog) {
  DWORD flags = 0;
  for (const PrayerBox& box : kPrayerBoxes) {
    if (Checked(dialog, box.id)) flags |= box.flag;
  }
  // The Friday prayer is stored only without Zuhr, which includes it.
  if (Checked(dialog, kFriday) && !Checked(dialog, kZuhr)) flags |= kFridayFlag;
  if (Checked(dialog, kCustomReminders)) flags |= kCustomReminderFlag;
  m_prayers = flags;
  EndDialog(dialog, IDOK);
}

DialogResult ShowCustomPrayersDialog(const DialogRun& run) {
  const AddinSettings& settings = run.store.Settings();
  CCustomPrayers dialog;
  dialog.SetPrayingAppointments(settings.prayers);
  dialog.SetCustomReminderSettings(settings.customFrom, settings.customTo, settings.customSubject,
                                   settings.customInterval);
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return kDialogNotShown;
  if (result != IDOK) return kDialogCancelled;
  const auto clock = &CCustomReminders::ClockText;
  run.PrintValue(307, std::to_string(dialog.GetPrayingAppointments()));
  run.PrintValue(1038, clock(dialog.m_customFrom));
  run.PrintValue(1040, clock(dialog.m_customTo));
  run.PrintValue(1042, TToUtf8(dialog.m_customSubject));
  run.PrintValue(1043, std::to_string(dialog.m_customInterval));
  run.PrintLine("CustomReminderChange=" + std::to_string(dialog.m_change));
  return kDialogOk;
}
