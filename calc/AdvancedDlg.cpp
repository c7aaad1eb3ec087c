#include "calc/AdvancedDlg.h"

#include <string>

#include "calc/SoundDlg.h"
#include "options/MinutesList.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/VariantTime.h"
#include "platform/nls/Nls.h"
#include "platform/text/Format.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/Images.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowsX.h"

namespace {

using TimeGetter = HRESULT (IPrayerCalculator::*)(DATE*);

// The six times in the calculator's order, each with the text it shows in.
struct PreviewTime {
  int control;
  TimeGetter get;
};
constexpr PreviewTime kPreviewTimes[] = {
    {CAdvancedDlg::kFajr, &IPrayerCalculator::get_Fajr},       {CAdvancedDlg::kShorouk, &IPrayerCalculator::get_Shorouk},
    {CAdvancedDlg::kZuhr, &IPrayerCalculator::get_Zuhr},       {CAdvancedDlg::kAsr, &IPrayerCalculator::get_Asr},
    {CAdvancedDlg::kMaghrib, &IPrayerCalculator::get_Maghrib}, {CAdvancedDlg::kIsha, &IPrayerCalculator::get_Isha},
};
constexpr int kFajrIndex = 0;
constexpr int kAsrIndex = 3;
constexpr int kIshaIndex = 5;

tstring LoadText(UINT id) {
  const char* text = ui::FindString(ResourceInstance(), id);
  return Utf8ToT(text != nullptr ? text : "");
}

// Fills a drop-down list with count strings from first on and selects
// position value, or nothing when the list does not offer it.
void FillList(HWND list, UINT first, int count, DWORD value) {
  for (int i = 0; i < count; ++i) ComboBox_AddString(list, LoadText(first + static_cast<UINT>(i)).c_str());
  ComboBox_SetCurSel(list, value < static_cast<DWORD>(count) ? static_cast<int>(value) : -1);
}

// The list's position, or the value it was given when nothing is selected.
DWORD Position(HWND dialog, int id, DWORD given) {
  const int position = ComboBox_GetCurSel(GetDlgItem(dialog, id));
  return position >= 0 ? static_cast<DWORD>(position) : given;
}

DATE DayOf(const SYSTEMTIME& day) {
  DATE date = kInvalidDate;
  SystemTimeToVariantTime(&day, &date);
  return date;
}

}  // namespace

const SYSTEMTIME CAdvancedDlg::kFirstDay = {1971, 1, 0, 1, 0, 0, 0, 0};
const SYSTEMTIME CAdvancedDlg::kLastDay = {2035, 12, 0, 12, 0, 0, 0, 0};

CAdvancedDlg::CAdvancedDlg(const AddinSettings& settings) : m_values(settings) {
  // The dialog's own calculator, so that trying methods never touches the
  // add-in's; without one the preview stays empty.
  if (FAILED(CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_ALL, IPrayerCalculator::kIID,
                              m_calculator.ReleaseAndGetVoidAddress())) ||
      FAILED(CSettingsStore::ApplyCalcSettings(m_values, m_calculator.Get()))) {
    m_calculator.Reset();
    return;
  }
  m_calculator.As(&m_calculator2);
}

std::intptr_t CAdvancedDlg::DoModal(HWND owner) {
  return DialogBoxParam(ResourceInstance(), IDD, owner, this, 0);
}

void CAdvancedDlg::TakeBack(AddinSettings& settings) const {
  settings.method = m_values.method;
  settings.asrSchool = m_values.asrSchool;
  settings.highLatitudeRule = m_values.highLatitudeRule;
  settings.fridaySettings = m_values.fridaySettings;
  settings.fridayBusyStatus = m_values.fridayBusyStatus;
  settings.fridayMinutesBefore = m_values.fridayMinutesBefore;
  settings.fridayMinutesAfter = m_values.fridayMinutesAfter;
  settings.fridayReminder = m_values.fridayReminder;
  settings.fridayReminderMinutes = m_values.fridayReminderMinutes;
  settings.fridayPlaySound = m_values.fridayPlaySound;
  settings.fridaySoundFile = m_values.fridaySoundFile;
}

BOOL CAdvancedDlg::OnInitDialog(HWND dialog, LPARAM) {
  TraceEnter("CAdvancedDlg::OnInitDialog");
  HWND picker = GetDlgItem(dialog, kPreviewDate);
  SYSTEMTIME range[2] = {kFirstDay, kLastDay};
  SendMessage(picker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));

  HWND busy = GetDlgItem(dialog, kFridayBusy);
  for (const UINT name : kBusyNames) ComboBox_AddString(busy, LoadText(name).c_str());
  ComboBox_SetCurSel(busy, m_values.fridayBusyStatus <= 3 ? static_cast<int>(m_values.fridayBusyStatus) : -1);
  CMinutesList::Fill(GetDlgItem(dialog, kFridayReminderMinutes), m_values.fridayReminderMinutes);
  CMinutesList::Fill(GetDlgItem(dialog, kFridayBefore), m_values.fridayMinutesBefore);
  CMinutesList::Fill(GetDlgItem(dialog, kFridayAfter), m_values.fridayMinutesAfter);

  SendMessage(GetDlgItem(dialog, kFridaySound), BM_SETIMAGE, IMAGE_ICON,
              reinterpret_cast<LPARAM>(LoadIcon(ResourceInstance(), kSoundIcon)));
  CheckDlgButton(dialog, kFridayReminder, m_values.fridayReminder ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kFridaySettings, m_values.fridaySettings ? BST_CHECKED : BST_UNCHECKED);
  EnableReminder(dialog);

  // A method the list does not offer (eCustom) shows no selection, and
  // stays the method unless the person picks another.
  FillList(GetDlgItem(dialog, kMethod), kFirstMethodName, kMethods, m_values.method);
  FillList(GetDlgItem(dialog, kSchool), kFirstSchoolName, kSchools, m_values.asrSchool);
  FillList(GetDlgItem(dialog, kHighLatitude), kFirstRuleName, kRules, m_values.highLatitudeRule);

  // Today, as the picker can show it: a clock past the last day previews
  // the last day rather than a day the picker does not hold.
  m_today = COleDate::Now();
  m_previewDate = m_today;
  if (m_previewDate < COleDate(DayOf(kFirstDay))) m_previewDate = DayOf(kFirstDay);
  if (m_previewDate >= COleDate(DayOf(kLastDay) + 1.0)) m_previewDate = DayOf(kLastDay);
  SYSTEMTIME shown{};
  m_previewDate.GetAsSystemTime(&shown);
  SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&shown));
  Preview(dialog, PreviewKind::kAll);
  TraceExit("CAdvancedDlg::OnInitDialog");
  return TRUE;
}

void CAdvancedDlg::Preview(HWND dialog, PreviewKind kind) {
  if (!m_calculator) return;
  m_calculator->Recalc(m_previewDate.Value());
  LONG ruled = 0, nextDay = 0, previousDay = 0;
  if (m_calculator2) {
    m_calculator2->get_RuleTimes(&ruled);
    m_calculator2->get_NextDayTimes(&nextDay);
    m_calculator2->get_PreviousDayTimes(&previousDay);
  }
  for (int i = 0; i < static_cast<int>(std::size(kPreviewTimes)); ++i) {
    // A new method or rule moves only Fajr and Isha, a new school only Asr.
    if (kind == PreviewKind::kMethod && i != kFajrIndex && i != kIshaIndex) continue;
    if (kind == PreviewKind::kSchool && i != kAsrIndex) continue;
    DATE time = kInvalidDate;
    if (m_calculator2) {
      m_calculator2->PrayerTime(i, &time);
    } else {
      (m_calculator.Get()->*kPreviewTimes[i].get)(&time);
    }
    // The user's own writing of a time, without the seconds: the times are
    // whole minutes, and ":00" on each would only be noise.
    tstring text =
        COleDate(time).FormatAsTime(static_cast<const tchar*>(nullptr), TIME_NOSECONDS, LOCALE_USER_DEFAULT);
    if (!text.empty()) {
      const LONG bit = 1L << i;
      if ((ruled & bit) != 0) text += TEXT("*");
      if ((nextDay & bit) != 0) text += TEXT(" +1");
      if ((previousDay & bit) != 0) text += TEXT(" -1");
    }
    SetDlgItemText(dialog, kPreviewTimes[i].control, text.c_str());
  }
  if (kind == PreviewKind::kAll) {
    const tstring day =
        m_previewDate.FormatAsDate(static_cast<const tchar*>(nullptr), DATE_SHORTDATE, LOCALE_USER_DEFAULT);
    SetDlgItemText(dialog, kPreviewDay, day.c_str());
  }
  ShowNotes(dialog, ruled, nextDay, previousDay);
}

void CAdvancedDlg::ShowNotes(HWND dialog, LONG ruled, LONG nextDay, LONG previousDay) {
  std::string notes;
  const auto add = [&notes](const std::string& note) { notes += (notes.empty() ? "" : "\n") + note; };
  if (ruled != 0) {
    // The rule the calculator applied, which the list may show unselected.
    HighLatitudeRule rule = eSeventhOfNight;
    m_calculator2->get_HighLatitudeRule(&rule);
    const UINT name = kFirstRuleName + static_cast<UINT>(rule >= 0 && rule < kRules ? rule : eSeventhOfNight);
    const char* format = ui::FindString(ResourceInstance(), kRuleNote);
    add(text::FormatResource(format != nullptr ? format : "* %s", TToUtf8(LoadText(name))));
  }
  if (nextDay != 0) add(TToUtf8(LoadText(kNextDayNote)));
  if (previousDay != 0) add(TToUtf8(LoadText(kPreviousDayNote)));
  SetDlgItemText(dialog, kPreviewNotes, Utf8ToT(notes).c_str());
}

void CAdvancedDlg::EnableReminder(HWND dialog) {
  const BOOL on = IsDlgButtonChecked(dialog, kFridayReminder) == BST_CHECKED;
  for (const int id : {kFridayReminderMinutes, kFridayReminderLabel, kFridaySound}) {
    EnableWindow(GetDlgItem(dialog, id), on);
  }
}

void CAdvancedDlg::OnCommand(HWND dialog, int id, int code, HWND control) {
  if (code == CBN_SELCHANGE) {
    const int position = ComboBox_GetCurSel(control);
    if (position < 0 || !m_calculator) return;
    if (id == kMethod) {
      m_calculator->put_Method(static_cast<CalculationMethod>(position));
      Preview(dialog, PreviewKind::kMethod);
    } else if (id == kSchool) {
      m_calculator->put_AsrMethod(static_cast<AsrSchool>(position));
      Preview(dialog, PreviewKind::kSchool);
    } else if (id == kHighLatitude && m_calculator2) {
      m_calculator2->put_HighLatitudeRule(static_cast<HighLatitudeRule>(position));
      Preview(dialog, PreviewKind::kMethod);
    }
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kFridayReminder:
      EnableReminder(dialog);
      break;
    case kFridaySound:
      OnSound(dialog);
      break;
    case IDOK:
      if (OnOK(dialog)) EndDialog(dialog, IDOK);
      break;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      break;
    default:
      break;
  }
}

bool CAdvancedDlg::OnMessage(HWND dialog, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header == nullptr || header->idFrom != static_cast<UINT_PTR>(kPreviewDate) ||
      header->code != DTN_DATETIMECHANGE) {
    return false;
  }
  const auto* change = reinterpret_cast<const NMDATETIMECHANGE*>(lParam);
  if (change->dwFlags == static_cast<DWORD>(GDT_VALID)) {
    SYSTEMTIME day = change->st;
    day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
    DATE date = kInvalidDate;
    if (SystemTimeToVariantTime(&day, &date)) {
      m_previewDate = date;
      Preview(dialog, PreviewKind::kAll);
    }
  }
  *result = 0;
  return true;
}

void CAdvancedDlg::OnSound(HWND dialog) {
  CSoundDlg sound(m_values.fridayPlaySound, m_values.fridaySoundFile);
  if (sound.DoModal(dialog) != IDOK) return;
  m_values.fridayPlaySound = sound.First().play;
  m_values.fridaySoundFile = sound.First().file;
}

bool CAdvancedDlg::OnOK(HWND dialog) {
  TraceEnter("CAdvancedDlg::OnOK");
  // The lists of minutes first: one the person must correct keeps the
  // dialog open with nothing taken.
  DWORD before = m_values.fridayMinutesBefore;
  DWORD after = m_values.fridayMinutesAfter;
  DWORD reminder = m_values.fridayReminderMinutes;
  if (!CMinutesList::Read(dialog, kFridayBefore, kBeforeName, &before) ||
      !CMinutesList::Read(dialog, kFridayAfter, kAfterName, &after)) {
    return false;
  }
  // A list the person cannot reach (the reminder is off) cannot be
  // corrected: what it holds counts when it is a number, else the value
  // the dialog was given stays.
  HWND reminderList = GetDlgItem(dialog, kFridayReminderMinutes);
  if (IsWindowEnabled(reminderList)) {
    if (!CMinutesList::Read(dialog, kFridayReminderMinutes, kReminderName, &reminder)) return false;
  } else {
    CMinutesList::Parse(reminderList, &reminder);
  }
  m_values.method = Position(dialog, kMethod, m_values.method);
  m_values.asrSchool = Position(dialog, kSchool, m_values.asrSchool);
  m_values.highLatitudeRule = Position(dialog, kHighLatitude, m_values.highLatitudeRule);
  m_values.fridayBusyStatus = Position(dialog, kFridayBusy, m_values.fridayBusyStatus);
  m_values.fridayMinutesBefore = before;
  m_values.fridayMinutesAfter = after;
  m_values.fridayReminderMinutes = reminder;
  m_values.fridaySettings = IsDlgButtonChecked(dialog, kFridaySettings) == BST_CHECKED;
  m_values.fridayReminder = IsDlgButtonChecked(dialog, kFridayReminder) == BST_CHECKED;
  TraceExit("CAdvancedDlg::OnOK");
  return true;
}

DialogResult ShowAdvancedDialog(const DialogRun& run) {
  CAdvancedDlg dialog(run.store.Settings());
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return kDialogNotShown;
  if (result != IDOK) return kDialogCancelled;
  const AddinSettings& chosen = dialog.Values();
  const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  const std::pair<UINT, std::string> fields[] = {
      {144, std::to_string(chosen.method)},
      {143, std::to_string(chosen.asrSchool)},
      {1055, std::to_string(chosen.highLatitudeRule)},
      {241, flag(chosen.fridaySettings)},
      {133, std::to_string(chosen.fridayBusyStatus)},
      {150, std::to_string(chosen.fridayMinutesBefore)},
      {137, std::to_string(chosen.fridayMinutesAfter)},
      {134, flag(chosen.fridayReminder)},
      {135, std::to_string(chosen.fridayReminderMinutes)},
      {136, flag(chosen.fridayPlaySound)},
      {142, TToUtf8(chosen.fridaySoundFile)},
  };
  for (const auto& [name, value] : fields) run.PrintValue(name, value);
  return kDialogOk;
}
