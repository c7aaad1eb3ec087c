#include "options/PrayerPage.h"

#include <algorithm>
#include <string>

#include "locations/DataFileHandler.h"
#include "options/MinutesList.h"
#include "options/PageTimetable.h"
#include "services/AutomationText.h"
#include "services/Exceptions.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "services/UILocale.h"
#include "platform/com/Variant.h"
#include "platform/nls/Nls.h"
#include "platform/text/Format.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Images.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/WindowsX.h"

namespace {

// The product's help pages on the maker's web site.
constexpr const tchar* kHelpArabic = TEXT("https://orvane.veltrix.example/ar/help/options/");
constexpr const tchar* kHelpEnglish = TEXT("https://orvane.veltrix.example/en/help/options/");

constexpr DWORD kNextPrayerOnly = 255;

// Every control the page has: what the owner's going disables.
constexpr int kAllControls[] = {
    CPrayerPage::kBusyStatus,      CPrayerPage::kDuration,         CPrayerPage::kReminder,
    CPrayerPage::kReminderMinutes, CPrayerPage::kReminderLabel,    CPrayerPage::kSoundButton,
    CPrayerPage::kPrayers,         CPrayerPage::kDaysAhead,        CPrayerPage::kPictureButton,
    CPrayerPage::kStartupCleanup,  CPrayerPage::kWorkingDaysOnly,  CPrayerPage::kAdvancedButton,
    CPrayerPage::kLocationButton,  CPrayerPage::kFridaySettings,   CPrayerPage::kTimetableHijri,
    CPrayerPage::kTimetableGregorian, CPrayerPage::kTimetableRange, CPrayerPage::kTimetableButton,
    CPrayerPage::kHelpLink,
};

tstring LoadText(UINT id) {
  const char* text = ui::FindString(ResourceInstance(), id);
  return Utf8ToT(text != nullptr ? text : "");
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void Enable(HWND dialog, int id, bool on) {
  if (HWND control = GetDlgItem(dialog, id)) EnableWindow(control, on ? TRUE : FALSE);
}

// Whether the Hijri calendar can be shown in Arabic: the Arabic locale is
// installed and offers calendar 6.
thread_local bool t_hijriFound = false;
BOOL NoteHijri(char* info) {
  if (info != nullptr && std::string(info) == "6") t_hijriFound = true;
  return TRUE;
}
bool HijriAvailable() {
  if (!IsValidLocale(1025, LCID_INSTALLED)) return false;
  t_hijriFound = false;
  EnumCalendarInfo(&NoteHijri, 1025, ENUM_ALL_CALENDARS, CAL_ICALINTVALUE);
  return t_hijriFound;
}

}  // namespace

CPrayerPage::CPrayerPage() : m_dialogs(&AddinPageDialogs()) {
  m_caption = ToWide(LoadText(kCaptionString));
}

CPrayerPage::~CPrayerPage() {
  if (m_window != nullptr) DestroyWindow(m_window);
}

HRESULT CPrayerPage::InternalQueryInterface(REFIID iid, void** object) {
  if (iid == IPrayerPage::kIID || iid == IDispatch::kIID) {
    *object = static_cast<IPrayerPage*>(this);
  } else if (iid == PropertyPage::kIID) {
    *object = static_cast<PropertyPage*>(this);
  } else if (iid == IOleObject::kIID) {
    *object = static_cast<IOleObject*>(this);
  } else if (iid == IOleInPlaceObject::kIID) {
    *object = static_cast<IOleInPlaceObject*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT CPrayerPage::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CPrayerPage::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT CPrayerPage::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_POINTER;
  if (names[0] == nullptr || std::u16string(names[0]) != u"Caption") {
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  ids[0] = DISPID_CAPTION;
  return S_OK;
}

HRESULT CPrayerPage::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                            UINT*) {
  if (id != DISPID_CAPTION) return DISP_E_MEMBERNOTFOUND;
  if ((flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
  if (result == nullptr) return E_POINTER;
  BSTR caption = nullptr;
  if (HRESULT hr = get_Caption(&caption); FAILED(hr)) return hr;
  VariantInit(result);
  result->vt = VT_BSTR;
  result->bstrVal = caption;
  return S_OK;
}

HRESULT CPrayerPage::get_Caption(BSTR* caption) {
  if (caption == nullptr) return E_POINTER;
  *caption = SysAllocStringLen(m_caption.c_str(), static_cast<UINT>(m_caption.size()));
  return *caption != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CPrayerPage::GetPageInfo(BSTR* helpFile, LONG* helpContext) {
  if (helpFile == nullptr || helpContext == nullptr) return E_POINTER;
  *helpFile = SysAllocString(u"");
  *helpContext = 0;
  return S_OK;
}

HRESULT CPrayerPage::get_Dirty(VARIANT_BOOL* dirty) {
  if (dirty == nullptr) return E_POINTER;
  *dirty = m_dirty ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CPrayerPage::SetClientSite(IOleClientSite* site) {
  m_clientSite = ComPtr<IOleClientSite>(site);
  m_pageSite.Reset();
  if (site != nullptr) site->QueryInterface(PropertyPageSite::kIID, m_pageSite.ReleaseAndGetVoidAddress());
  return S_OK;
}

HRESULT CPrayerPage::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = m_clientSite.Get();
  if (*site != nullptr) (*site)->AddRef();
  return S_OK;
}

HRESULT CPrayerPage::Close(DWORD) {
  InPlaceDeactivate();
  return S_OK;
}

HRESULT CPrayerPage::InPlaceActivate(HWND parent, const RECT* position) {
  if (m_window == nullptr) {
    m_window = CreateDialogParam(ResourceInstance(), IDD, parent, this, 0);
    if (m_window == nullptr) return E_FAIL;
  }
  if (position != nullptr) SetObjectRects(position);
  ShowWindow(m_window, SW_SHOW);
  return S_OK;
}

HRESULT CPrayerPage::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = m_window;
  return m_window != nullptr ? S_OK : E_FAIL;
}

HRESULT CPrayerPage::InPlaceDeactivate() {
  if (m_window != nullptr) DestroyWindow(m_window);
  m_window = nullptr;
  return S_OK;
}

HRESULT CPrayerPage::SetObjectRects(const RECT* position) {
  if (position == nullptr) return E_POINTER;
  if (m_window == nullptr) return E_FAIL;
  // Never smaller than the page was made: its controls would be cut off.
  const LONG width = std::max(position->right - position->left, m_designSize.right - m_designSize.left);
  const LONG height = std::max(position->bottom - position->top, m_designSize.bottom - m_designSize.top);
  SetWindowPos(m_window, nullptr, position->left, position->top, width, height, SWP_NOZORDER);
  return S_OK;
}

void CPrayerPage::OwnerGone() {
  m_disabled = true;
  m_owner = nullptr;
  if (m_window != nullptr) DisableControls(m_window);
}

void CPrayerPage::DisableControls(HWND dialog) {
  for (const int id : kAllControls) Enable(dialog, id, false);
}

int CPrayerPage::PrayersPosition(DWORD prayers) {
  for (int i = 0; i < static_cast<int>(std::size(kPrayersTable)); ++i) {
    if (kPrayersTable[i] == prayers) return i;
  }
  return kCustomPosition;
}

BOOL CPrayerPage::OnInitDialog(HWND dialog, LPARAM) {
  TraceEnter("CPrayerPage::OnInitDialog");
  m_window = dialog;
  GetClientRect(dialog, &m_designSize);
  if (m_disabled || m_owner == nullptr) {
    m_disabled = true;
    DisableControls(dialog);
    return TRUE;
  }
  const AddinSettings& settings = m_owner->Store().Settings();
  m_working = settings;
  m_initialised = true;

  HWND busy = GetDlgItem(dialog, kBusyStatus);
  for (const UINT name : kBusyNames) ComboBox_AddString(busy, LoadText(name).c_str());
  ComboBox_SetCurSel(busy, static_cast<int>(std::min<DWORD>(settings.busyStatus, 3)));
  // The sound button and the picture beside it show the library's icons.
  SendMessage(GetDlgItem(dialog, kSoundButton), BM_SETIMAGE, IMAGE_ICON,
              reinterpret_cast<LPARAM>(LoadIcon(ResourceInstance(), kSoundIcon)));
  SendMessage(GetDlgItem(dialog, kPictureButton), BM_SETIMAGE, IMAGE_ICON,
              reinterpret_cast<LPARAM>(LoadIcon(ResourceInstance(), kReminderIcon)));
  CMinutesList::Fill(GetDlgItem(dialog, kReminderMinutes), settings.reminderMinutes);
  CMinutesList::Fill(GetDlgItem(dialog, kDuration), settings.duration);
  HWND days = GetDlgItem(dialog, kDaysAhead);
  for (const UINT name : kDaysNames) ComboBox_AddString(days, LoadText(name).c_str());
  ComboBox_SetCurSel(days, m_owner->Store().GetPrescheduleID());
  HWND prayers = GetDlgItem(dialog, kPrayers);
  for (const UINT name : kPrayersNames) ComboBox_AddString(prayers, LoadText(name).c_str());

  Check(dialog, kReminder, settings.reminder);
  Check(dialog, kStartupCleanup, (settings.startupCleanup & 1) != 0);
  Check(dialog, kWorkingDaysOnly, settings.workingDaysOnly);
  Enable(dialog, kFridaySettings, (settings.prayers & (kZuhrFlag | kFridayFlag)) != 0);
  Check(dialog, kFridaySettings, settings.fridaySettings);
  UpdateDependentControls(dialog);
  ShowSelection(dialog);

  m_hasCity = !settings.location.empty() && m_city.GetInfoFromLine(settings.location.c_str()) != 0;
  ShowLocation(dialog);

  HWND range = GetDlgItem(dialog, kTimetableRange);
  for (const UINT name : kRangeNames) ComboBox_AddString(range, LoadText(name).c_str());
  ComboBox_SetCurSel(range, static_cast<int>(std::min<DWORD>(settings.timetableRange, 5)));
  if (!HijriAvailable()) {
    m_working.timetableCalendar = 1;
    Enable(dialog, kTimetableHijri, false);
  }
  Check(dialog, kTimetableGregorian, m_working.timetableCalendar == 1);
  Check(dialog, kTimetableHijri, m_working.timetableCalendar != 1);

  HWND link = GetDlgItem(dialog, kHelpLink);
  m_link.SetAddress(UILanguageID == 1025 ? kHelpArabic : kHelpEnglish);
  m_link.Attach(link);
  if (m_link.Subclass(link)) m_link.CreateTooltip();
  TraceExit("CPrayerPage::OnInitDialog");
  return TRUE;
}

void CPrayerPage::OnDestroy(HWND) { m_window = nullptr; }

bool CPrayerPage::OnMessage(HWND dialog, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (message != WM_SIZE) return false;
  // Made smaller than it was designed, the page goes back to its own size.
  const LONG width = LOWORD(lParam);
  const LONG height = HIWORD(lParam);
  const LONG designWidth = m_designSize.right - m_designSize.left;
  const LONG designHeight = m_designSize.bottom - m_designSize.top;
  if (designWidth > 0 && (width < designWidth || height < designHeight)) {
    SetWindowPos(dialog, nullptr, 0, 0, std::max(width, designWidth), std::max(height, designHeight),
                 SWP_NOMOVE | SWP_NOZORDER);
  }
  *result = 0;
  return true;
}

void CPrayerPage::UpdateDependentControls(HWND dialog) {
  const bool reminder = Checked(dialog, kReminder) && !m_disabled;
  for (const int id : {kReminderMinutes, kReminderLabel, kSoundButton}) Enable(dialog, id, reminder);
  // The Friday prayer's own settings live in the advanced dialog: here only
  // the check box that says they are used.
}

void CPrayerPage::ShowSelection(HWND dialog) {
  ComboBox_SetCurSel(GetDlgItem(dialog, kPrayers), PrayersPosition(m_working.prayers));
}

void CPrayerPage::ShowLocation(HWND dialog) {
  std::u16string text;
  if (m_hasCity) m_city.GetFormattedString(&text);
  SetDlgItemText(dialog, kLocationText, Utf8ToT(text::Utf16ToUtf8(text)).c_str());
}

void CPrayerPage::SetDirty(DWORD bits) {
  m_changes |= bits;
  m_dirty = true;
  if (m_pageSite) m_pageSite->OnStatusChange();
}

void CPrayerPage::OnCommand(HWND dialog, int id, int code, HWND) {
  if (m_disabled) return;
  switch (id) {
    case kBusyStatus:
    case kDuration:
    case kReminderMinutes:
      // A number typed is a change as much as one chosen.
      if (code == CBN_SELCHANGE || (code == CBN_EDITCHANGE && id != kBusyStatus)) SetDirty(kChangeAppointments);
      break;
    case kStartupCleanup:
      if (code == BN_CLICKED) SetDirty(kChangeAppointments);
      break;
    case kReminder:
      if (code == BN_CLICKED) {
        SetDirty(kChangeAppointments);
        UpdateDependentControls(dialog);
      }
      break;
    case kDaysAhead:
      if (code == CBN_SELCHANGE) SetDirty(kChangeDaysAhead);
      break;
    case kWorkingDaysOnly:
      if (code == BN_CLICKED) SetDirty(kChangeWorkingDays);
      break;
    case kFridaySettings:
      if (code == BN_CLICKED) {
        m_working.fridaySettings = Checked(dialog, kFridaySettings);
        SetDirty(kChangeAppointments);
      }
      break;
    case kPrayers:
      if (code == CBN_SELCHANGE) OnPrayersChange(dialog);
      break;
    case kLocationButton:
      if (code == BN_CLICKED) OnLocation(dialog);
      break;
    case kAdvancedButton:
      if (code == BN_CLICKED) OnAdvanced(dialog);
      break;
    case kSoundButton:
      if (code == BN_CLICKED) OnSound(dialog);
      break;
    case kTimetableHijri:
    case kTimetableGregorian:
      if (code == BN_CLICKED) m_working.timetableCalendar = id == kTimetableGregorian ? 1 : 0;
      break;
    case kTimetableRange:
      if (code == CBN_SELCHANGE) {
        const int position = ComboBox_GetCurSel(GetDlgItem(dialog, kTimetableRange));
        if (position >= 0) m_working.timetableRange = static_cast<DWORD>(position);
      }
      break;
    case kTimetableButton:
      if (code == BN_CLICKED) OnTimetable(dialog);
      break;
    default:
      break;
  }
}

void CPrayerPage::OnPrayersChange(HWND dialog) {
  const int position = ComboBox_GetCurSel(GetDlgItem(dialog, kPrayers));
  if (position < 0) return;
  DWORD bits = kChangePrayers;
  if (position == kCustomPosition) {
    AddinSettings values = m_working;
    int change = 1;
    const std::intptr_t result = m_dialogs->CustomPrayers(dialog, values, &change);
    if (result != IDOK) {
      ShowSelection(dialog);  // the list goes back to what is chosen
      return;
    }
    const bool sameSelection = values.prayers == m_working.prayers;
    m_working.prayers = values.prayers;
    m_working.customFrom = values.customFrom;
    m_working.customTo = values.customTo;
    m_working.customSubject = values.customSubject;
    m_working.customInterval = values.customInterval;
    m_working.customState = change;
    // Only the custom reminders changed: the appointments are rewritten,
    // none added or removed.
    if (change == 3 && sameSelection) bits = kChangeAppointments;
  } else {
    m_working.prayers = kPrayersTable[position];
    if (m_working.prayers == kFridayFlag) {
      m_working.fridaySettings = true;
      Check(dialog, kFridaySettings, true);
    }
  }
  Enable(dialog, kFridaySettings, (m_working.prayers & (kZuhrFlag | kFridayFlag)) != 0);
  UpdateDependentControls(dialog);
  ShowSelection(dialog);
  SetDirty(bits);
}

void CPrayerPage::OnLocation(HWND dialog) {
  if (m_owner == nullptr) return;
  // Both city files must be there before the dialog can list the cities.
  for (const unsigned id : {240u, 242u}) {
    const tstring path = CityFilePath(id);
    if (!CityFileExists(path.c_str())) {
      ShowCityFileMissingMessage(LoadText(id), Utf8ToT(resource_library::AddinFolder()));
      return;
    }
  }
  CCityInfo city = m_city;
  bool hasCity = m_hasCity;
  AddinSettings values = m_working;
  if (m_dialogs->Location(dialog, city, &hasCity, values) != IDOK) return;
  m_working.daylightStartDay = values.daylightStartDay;
  m_working.daylightStartMonth = values.daylightStartMonth;
  m_working.daylightEndDay = values.daylightEndDay;
  m_working.daylightEndMonth = values.daylightEndMonth;
  m_working.daylight = values.daylight;
  if (hasCity) {
    m_city = city;
    m_hasCity = true;
    m_working.method = static_cast<DWORD>(city.m_method);
  }
  ShowLocation(dialog);
  SetDirty(kChangeAppointments);
}

void CPrayerPage::OnAdvanced(HWND dialog) {
  // The preview shows the place the page shows, chosen and not yet applied.
  AddinSettings values = m_working;
  if (m_hasCity) {
    values.longitude = m_city.m_longitude;
    values.latitude = m_city.m_latitude;
    values.timeZone = m_city.m_timeZone;
  }
  if (m_dialogs->Advanced(dialog, values) != IDOK) return;
  m_working.method = values.method;
  m_working.asrSchool = values.asrSchool;
  m_working.highLatitudeRule = values.highLatitudeRule;
  m_working.fridaySettings = values.fridaySettings;
  m_working.fridayBusyStatus = values.fridayBusyStatus;
  m_working.fridayMinutesBefore = values.fridayMinutesBefore;
  m_working.fridayMinutesAfter = values.fridayMinutesAfter;
  m_working.fridayReminder = values.fridayReminder;
  m_working.fridayReminderMinutes = values.fridayReminderMinutes;
  m_working.fridayPlaySound = values.fridayPlaySound;
  m_working.fridaySoundFile = values.fridaySoundFile;
  Check(dialog, kFridaySettings, m_working.fridaySettings);
  SetDirty(kChangeAppointments);
}

void CPrayerPage::OnSound(HWND dialog) {
  AddinSettings values = m_working;
  if (m_dialogs->Sound(dialog, values) != IDOK) return;
  m_working.playSound = values.playSound;
  m_working.soundFile = values.soundFile;
  m_working.fajrPlaySound = values.fajrPlaySound;
  m_working.fajrSoundFile = values.fajrSoundFile;
  SetDirty(kChangeAppointments);
}

void CPrayerPage::OnTimetable(HWND dialog) {
  // Built from what the page shows, saved or not: the person sees the
  // timetable of the choices being made, with a calculator of its own so
  // that the add-in's keeps the saved settings.
  if (m_owner == nullptr || !m_hasCity) return;
  AddinSettings values = m_working;
  values.longitude = m_city.m_longitude;
  values.latitude = m_city.m_latitude;
  values.timeZone = m_city.m_timeZone;
  ShowTimetable(dialog, values, m_city);
}

bool CPrayerPage::CopyBack(AddinSettings& settings) {
  HWND dialog = m_window;
  DWORD duration = settings.duration;
  DWORD reminderMinutes = settings.reminderMinutes;
  if (dialog != nullptr) {
    // A typed number the settings cannot keep stops the Apply before
    // anything is changed.
    if (!CMinutesList::Read(dialog, kDuration, kDurationName, &duration)) return false;
    if (Checked(dialog, kReminder) && !CMinutesList::Read(dialog, kReminderMinutes, kReminderName, &reminderMinutes)) {
      return false;
    }
    settings.startupCleanup = (settings.startupCleanup & ~1u) | (Checked(dialog, kStartupCleanup) ? 1u : 0u);
    settings.workingDaysOnly = Checked(dialog, kWorkingDaysOnly);
    const int busy = ComboBox_GetCurSel(GetDlgItem(dialog, kBusyStatus));
    if (busy >= 0 && static_cast<DWORD>(busy) != settings.busyStatus) {
      settings.busyStatus = static_cast<DWORD>(busy);
      m_changes |= kChangeAppointments;
    }
    settings.reminder = Checked(dialog, kReminder);
    // A list left without a selection keeps the stored days: none chosen
    // is no choice of none.
    const int days = ComboBox_GetCurSel(GetDlgItem(dialog, kDaysAhead));
    if (days >= 0 && days < static_cast<int>(std::size(kDaysTable))) settings.prescheduleDays = kDaysTable[days];
  }
  if (duration != settings.duration || reminderMinutes != settings.reminderMinutes) m_changes |= kChangeAppointments;
  settings.duration = duration;
  settings.reminderMinutes = reminderMinutes;
  // Without a city parsed or chosen, the place stays what it was: a line
  // that could not be read is not replaced by a blank one at 0° 0′.
  if (m_hasCity) {
    settings.longitude = m_city.m_longitude;
    settings.latitude = m_city.m_latitude;
    settings.timeZone = m_city.m_timeZone;
    tchar line[1040] = {};
    m_city.GetLineFromInfo(line, 1040);
    tstring location = line;
    while (!location.empty() && (location.back() == '\n' || location.back() == '\r')) location.pop_back();
    settings.location = location;
  }
  settings.daylightStartDay = m_working.daylightStartDay;
  settings.daylightStartMonth = m_working.daylightStartMonth;
  settings.daylightEndDay = m_working.daylightEndDay;
  settings.daylightEndMonth = m_working.daylightEndMonth;
  settings.playSound = m_working.playSound;
  settings.soundFile = m_working.soundFile;
  settings.fajrPlaySound = m_working.fajrPlaySound;
  settings.fajrSoundFile = m_working.fajrSoundFile;
  settings.daylight = m_working.daylight;
  settings.prayers = m_working.prayers;
  settings.method = m_working.method;
  settings.asrSchool = m_working.asrSchool;
  settings.highLatitudeRule = m_working.highLatitudeRule;
  settings.fridaySettings = m_working.fridaySettings;
  settings.fridayBusyStatus = m_working.fridayBusyStatus;
  settings.fridayMinutesBefore = m_working.fridayMinutesBefore;
  settings.fridayMinutesAfter = m_working.fridayMinutesAfter;
  settings.fridayReminder = m_working.fridayReminder;
  settings.fridayReminderMinutes = m_working.fridayReminderMinutes;
  settings.fridayPlaySound = m_working.fridayPlaySound;
  settings.fridaySoundFile = m_working.fridaySoundFile;
  settings.timetableRange = m_working.timetableRange;
  settings.timetableCalendar = m_working.timetableCalendar;
  settings.customFrom = m_working.customFrom;
  settings.customTo = m_working.customTo;
  settings.customSubject = m_working.customSubject;
  settings.customInterval = m_working.customInterval;
  settings.customState = m_working.customState;
  return true;
}

void CPrayerPage::NoteFailure(HRESULT hr, const char* what, HRESULT* first) {
  if (SUCCEEDED(hr)) return;
  LogComException(CComException(hr, nullptr, __LINE__), __FILE__);
  CTraceLog::Instance().LogError(std::string("CPrayerPage::Apply: ") + what);
  if (SUCCEEDED(*first)) *first = hr;
}

HRESULT CPrayerPage::Apply() {
  TraceEnter("CPrayerPage::Apply");
  // Without owner, or before its window ever showed the settings (nothing
  // could have been changed), there is nothing to apply.
  if (m_disabled || m_owner == nullptr || !m_initialised) return S_OK;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  CSettingsStore& store = m_owner->Store();
  AddinSettings& settings = store.Settings();
  const AddinSettings before = settings;
  const DWORD previousDays = settings.prescheduleDays;
  if (!CopyBack(settings)) {
    settings = before;
    SetCursor(previous);
    return E_INVALIDARG;
  }

  // The calculator learns the new place and method before the prayer
  // period is found again: the period start and the Friday times below are
  // the new city's.
  HRESULT failure = S_OK;
  NoteFailure(store.UpdateCalcSettings(m_owner->Calculator()), "the calculator could not take the settings",
              &failure);
  const COleDate now = COleDate::Now();
  NoteFailure(m_owner->FindTimeInfo(now), "the prayer period could not be found", &failure);
  CPrayerCalendar& calendar = m_owner->Calendar();
  const DWORD workingDaysBefore = calendar.WorkingDays();
  m_workingDaysKnown = calendar.FetchWorkingDays();
  if (calendar.WorkingDays() != workingDaysBefore && settings.workingDaysOnly &&
      (m_changes & kChangeAppointments) != 0) {
    m_changes |= kChangeWorkingDays;
  }

  // Before any calendar work, the new settings are saved with a last
  // generated date no later than the first day touched, and with what the
  // calendar still owes them: a process stopped half way leaves the next
  // start to rewrite, delete past the window and fill from there.
  const bool calendarWork = m_changes != 0;
  const bool rewrite = (m_changes & kChangeAppointments) != 0;
  const bool rebuild = (m_changes & (kChangeDaysAhead | kChangeWorkingDays | kChangePrayers)) != 0;
  if (calendarWork) {
    const COleDate periodStart = m_owner->CurrentPeriod().periodStart;
    if (periodStart.Value() != kInvalidDate && (settings.lastDate.Value() == kInvalidDate || settings.lastDate > periodStart)) {
      settings.lastDate = periodStart;
    }
    settings.updatePending = settings.updatePending || rewrite;
    settings.rebuildPending = settings.rebuildPending || rebuild;
  }
  // Settings that cannot be saved change nothing: the calendar is not
  // brought in line with options that the next start would not know.
  if (const HRESULT saved = store.SaveSettings(); FAILED(saved)) {
    NoteFailure(saved, "the options could not be saved", &failure);
    settings = before;
    store.UpdateCalcSettings(m_owner->Calculator());
    m_owner->FindTimeInfo(now);
    SetCursor(previous);
    ShowApplyMessage(kOptionsNotSaved);
    TraceExit("CPrayerPage::Apply");
    return saved;
  }
  const HRESULT calendarResult = BringCalendarInLine(settings, previousDays);
  if (FAILED(calendarResult) && SUCCEEDED(failure)) failure = calendarResult;
  // What was done is owed no more; what failed the next start does again.
  if (SUCCEEDED(calendarResult)) {
    if (rewrite && m_rewritten) settings.updatePending = false;
    if (rebuild) settings.rebuildPending = false;
  }

  store.SaveSettings();
  m_changes = 0;
  SetCursor(previous);
  // Said once, over the Options window: the calendar may not match what
  // was just chosen, and the log has the details.
  if (FAILED(failure)) ShowApplyMessage(kCalendarNotInLine);
  TraceExit("CPrayerPage::Apply");
  return S_OK;
}

void CPrayerPage::ShowApplyMessage(UINT text) {
  if (m_window == nullptr) return;
  HWND owner = GetParent(m_window) != nullptr ? GetParent(m_window) : m_window;
  const UINT style = MB_OK | MB_ICONWARNING | (UILanguageID == 1025 ? MB_RTLREADING | MB_RIGHT : 0);
  MessageBox(owner, LoadText(text).c_str(), LoadText(kMessageCaption).c_str(), style);
}

HRESULT CPrayerPage::BringCalendarInLine(AddinSettings& settings, DWORD previousDays) {
  CPrayerCalendar& calendar = m_owner->Calendar();
  _Items* items = m_owner->CalendarItems();
  const std::u16string allPrayers = u"[PrayerNum] <= 191";
  const COleDate periodStart = m_owner->CurrentPeriod().periodStart;
  HRESULT failure = S_OK;
  LONG bits = static_cast<LONG>(m_changes);
  m_rewritten = false;
  const auto update = [&] {
    const HRESULT hr = calendar.RestrictOperation(items, allPrayers, CPrayerCalendar::kModeUpdate, &bits, false, true);
    NoteFailure(hr, "the prayer appointments could not be rewritten", &failure);
    m_rewritten = SUCCEEDED(hr);
  };
  const auto regenerate = [&] {
    settings.lastDate = periodStart;
    NoteFailure(calendar.Precalculate(true, false, false, true), "the calendar could not be filled", &failure);
  };
  if ((m_changes & (kChangeDaysAhead | kChangeWorkingDays)) != 0) {
    const DWORD days = settings.prescheduleDays == kNextPrayerOnly ? 0 : settings.prescheduleDays;
    const COleDate windowEnd = COleDate::Now() + COleDateSpan(static_cast<double>(days));
    bool cancelled = false;
    if ((m_changes & kChangeDaysAhead) != 0) {
      const std::u16string filter = allPrayers + u" AND [Start] >= \"" + ToWide(FormatDate(windowEnd)) + u"\"";
      NoteFailure(calendar.RestrictOperation(items, filter, CPrayerCalendar::kModeDelete, nullptr, false, true),
                  "the prayer appointments past the window could not be deleted", &failure);
      if (m_owner->GetCancelFlag() != 0) {
        // The person stopped the deletion: the window stays as it was.
        cancelled = true;
        settings.prescheduleDays = previousDays;
        if (m_window != nullptr) {
          const auto position = std::find(std::begin(kDaysTable), std::end(kDaysTable), previousDays);
          ComboBox_SetCurSel(GetDlgItem(m_window, kDaysAhead),
                             position == std::end(kDaysTable) ? -1 : static_cast<int>(position - std::begin(kDaysTable)));
        }
      }
    }
    if ((m_changes & kChangeAppointments) != 0 && (m_workingDaysKnown || !settings.workingDaysOnly)) {
      update();
      settings.lastDate = periodStart;
    }
    if (settings.prescheduleDays == kNextPrayerOnly) {
      NoteFailure(m_owner->GenerateNext(false), "the next prayer could not be written", &failure);
    } else if (settings.prescheduleDays != 0) {
      regenerate();
    }
    if (cancelled) settings.lastDate = periodStart;
  } else if ((m_changes & kChangePrayers) != 0) {
    if ((m_changes & kChangeAppointments) != 0) update();
    if (settings.prescheduleDays == kNextPrayerOnly) {
      NoteFailure(calendar.RestrictOperation(items, allPrayers, CPrayerCalendar::kModeDelete, nullptr, false, true),
                  "the prayer appointments could not be deleted", &failure);
      NoteFailure(m_owner->GenerateNext(false), "the next prayer could not be written", &failure);
    } else if (settings.prescheduleDays != 0) {
      regenerate();
    }
  } else if ((m_changes & kChangeAppointments) != 0) {
    update();
  }
  return failure;
}
