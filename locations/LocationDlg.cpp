#include "locations/LocationDlg.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

#include "calc/DaylightDlg.h"
#include "locations/AddCity.h"
#include "locations/CityZone.h"
#include "locations/DataFileHandler.h"
#include "platform/text/Format.h"
#include "platform/threads/Thread.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowsX.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"

namespace {

tstring LoadText(UINT id) {
  const char* text = ui::FindString(ResourceInstance(), id);
  return Utf8ToT(text != nullptr ? text : "");
}

tstring DisplayText(const CCityInfo& city) {
  std::u16string display;
  city.GetFormattedString(&display);
  return Utf8ToT(text::Utf16ToUtf8(display));
}

// Same place by its names: what a line number must still name to be taken
// for the user's city.
bool SameNames(const CCityInfo& a, const CCityInfo& b) {
  return a.m_name == b.m_name && a.m_state == b.m_state && a.m_country == b.m_country;
}

}  // namespace

CLocationDlg::CLocationDlg(CCityInfo& city, bool& daylight, DaylightRule& rule, int method)
    : m_city(city), m_daylight(daylight), m_rule(rule), m_method(method) {}

CLocationDlg::~CLocationDlg() = default;

std::intptr_t CLocationDlg::DoModal(HWND owner) {
  return DialogBoxParam(ResourceInstance(), IDD, owner, this, 0);
}

short CLocationDlg::MapOffsetOf(double timeZone) {
  return static_cast<short>(std::trunc(timeZone * -kPixelsPerHour));
}

BOOL CLocationDlg::OnInitDialog(HWND dialog, LPARAM) {
  TraceEnter("CLocationDlg::OnInitDialog");
  InitLocationCombo(dialog);
  CheckDlgButton(dialog, kDaylight, m_daylight ? BST_CHECKED : BST_UNCHECKED);
  m_map = LoadBitmap(ResourceInstance(), kMapBitmap);
  SendDlgItemMessage(dialog, kMap, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_map));

  // The entry that holds the caller's own city. The first entry whose text
  // merely begins with the city's text may be another place of the same
  // name ("Medina" and "Medina, Saudi Arabia"), which OK would then write
  // over the user's city: that search is only the fallback.
  const std::vector<CCityInfo>& primary = m_lists.Primary();
  for (std::size_t i = 0; i < primary.size() && m_userLine == 0; ++i) {
    if (primary[i] == m_city) m_userLine = primary[i].m_lineNumber;
  }
  for (std::size_t i = 0; i < primary.size() && m_userLine == 0; ++i) {
    if (primary[i].m_lineNumber == m_city.m_lineNumber && SameNames(primary[i], m_city)) {
      m_userLine = primary[i].m_lineNumber;
    }
  }
  m_userLineAtStart = m_userLine;
  HWND combo = GetDlgItem(dialog, kCities);
  int index = SelectCity(dialog, m_city);
  if (index < 0) {
    index = ComboBox_FindString(combo, -1, DisplayText(m_city).c_str());
    if (index >= 0) ComboBox_SetCurSel(combo, index);
  }
  // A city chosen in another language's list (the interface's language
  // changed since) is the same place under another name.
  if (index < 0) index = SelectSamePlace(dialog, m_city);
  if (index < 0) EnableChoices(dialog, false);
  UpdateDialogStateFromCombo(dialog, false);
  TraceExit("CLocationDlg::OnInitDialog");
  return TRUE;
}

void CLocationDlg::OnCommand(HWND dialog, int id, int code, HWND) {
  if (id == kCities) {
    if (code == CBN_SELCHANGE) OnCityComboSelChange(dialog);
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDOK:
      OnOK(dialog);
      break;
    case IDCANCEL:
      OnCancel(dialog);
      break;
    case kAddCity:
      OnAddCity(dialog);
      break;
    case kRemoveCity:
      OnRemoveCity(dialog);
      break;
    case kEditCity:
      OnUpdateCity(dialog);
      break;
    case kDaylightRule:
      OnAdvancedDayLight(dialog);
      break;
    default:
      break;
  }
}

void CLocationDlg::OnDestroy(HWND dialog) { CleanupCombo(dialog); }

void CLocationDlg::InitLocationCombo(HWND dialog) {
  TraceEnter("CLocationDlg::InitLocationCombo");
  m_cityCount = 0;
  LoadCityLists(&m_lists);
  m_cityCount = static_cast<int>(m_lists.Primary().size());
  LoadCitiesInCombo(dialog);
  TraceExit("CLocationDlg::InitLocationCombo");
}

void CLocationDlg::LoadCitiesInCombo(HWND dialog) {
  TraceEnter("CLocationDlg::LoadCitiesInCombo");
  // Westernmost zone first; the primary list keeps its file order.
  std::vector<CCityInfo> sorted = m_lists.Primary();
  std::stable_sort(sorted.begin(), sorted.end());
  CleanupCombo(dialog);
  for (const CCityInfo& city : sorted) AddCityToCombo(dialog, city);
  TraceExit("CLocationDlg::LoadCitiesInCombo");
}

int CLocationDlg::AddCityToCombo(HWND dialog, const CCityInfo& city) {
  TraceEnter("CLocationDlg::AddCityToCombo");
  HWND combo = GetDlgItem(dialog, kCities);
  const int index = ComboBox_AddString(combo, DisplayText(city).c_str());
  if (index >= 0) ComboBox_SetItemData(combo, index, reinterpret_cast<LPARAM>(new CCityInfo(city)));
  TraceExit("CLocationDlg::AddCityToCombo");
  return index;
}

void CLocationDlg::CleanupCombo(HWND dialog) {
  TraceEnter("CLocationDlg::CleanupCombo");
  HWND combo = GetDlgItem(dialog, kCities);
  const int count = ComboBox_GetCount(combo);
  for (int i = 0; i < count; ++i) {
    delete reinterpret_cast<CCityInfo*>(ComboBox_GetItemData(combo, i));
    ComboBox_SetItemData(combo, i, 0);
  }
  ComboBox_ResetContent(combo);
  TraceExit("CLocationDlg::CleanupCombo");
}

const CCityInfo* CLocationDlg::Selected(HWND dialog) const {
  HWND combo = GetDlgItem(dialog, kCities);
  const int index = ComboBox_GetCurSel(combo);
  if (index < 0) return nullptr;
  return reinterpret_cast<const CCityInfo*>(ComboBox_GetItemData(combo, index));
}

int CLocationDlg::SelectCity(HWND dialog, const CCityInfo& city) {
  HWND combo = GetDlgItem(dialog, kCities);
  const int count = ComboBox_GetCount(combo);
  for (int i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const CCityInfo*>(ComboBox_GetItemData(combo, i));
    if (entry != nullptr && *entry == city) {
      ComboBox_SetCurSel(combo, i);
      return i;
    }
  }
  return -1;
}

int CLocationDlg::SelectSamePlace(HWND dialog, const CCityInfo& city) {
  HWND combo = GetDlgItem(dialog, kCities);
  const int count = ComboBox_GetCount(combo);
  int found = -1;
  for (int i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const CCityInfo*>(ComboBox_GetItemData(combo, i));
    if (entry == nullptr || entry->m_longitude != city.m_longitude || entry->m_latitude != city.m_latitude ||
        entry->m_timeZone != city.m_timeZone) {
      continue;
    }
    if (found >= 0) return -1;  // two places there: neither is surely the user's
    found = i;
  }
  if (found >= 0) ComboBox_SetCurSel(combo, found);
  return found;
}

void CLocationDlg::EnableChoices(HWND dialog, bool enable) {
  for (int id : {kAddCity, kRemoveCity, kEditCity, kDaylight}) EnableWindow(GetDlgItem(dialog, id), enable);
}

void CLocationDlg::ShowMap(HWND dialog, short offset) {
  HWND map = GetDlgItem(dialog, kMap);
  SendMessage(map, STM_SHIFTIMAGE, static_cast<WPARAM>(static_cast<std::intptr_t>(offset)), 0);
  UpdateWindow(map);
}

void CLocationDlg::UpdateDialogStateFromCombo(HWND dialog, bool animate) {
  TraceEnter("CLocationDlg::UpdateDialogStateFromCombo");
  const CCityInfo* city = Selected(dialog);
  if (city == nullptr) return;
  CheckDlgButton(dialog, kDaylight, city->m_daylight != 0 ? BST_CHECKED : BST_UNCHECKED);
  const short target = MapOffsetOf(city->m_timeZone);
  if (!animate) {
    ShowMap(dialog, target);
  } else if (target != m_mapOffset) {
    // One pixel a frame; the frames near the target are held a moment, so
    // the movement slows as it arrives.
    const int step = target > m_mapOffset ? 1 : -1;
    for (int offset = m_mapOffset + step;; offset += step) {
      ShowMap(dialog, static_cast<short>(offset));
      if (std::abs(target - offset) < kSlowFrames) Sleep(kFramePause);
      if (offset == target) break;
    }
  }
  m_mapOffset = target;
  TraceExit("CLocationDlg::UpdateDialogStateFromCombo");
}

void CLocationDlg::OnCityComboSelChange(HWND dialog) {
  TraceEnter("CLocationDlg::OnCityComboSelChange");
  UpdateDialogStateFromCombo(dialog, true);
  if (const CCityInfo* city = Selected(dialog)) TakeZoneDaylight(dialog, *city);
  EnableChoices(dialog, true);
  TraceExit("CLocationDlg::OnCityComboSelChange");
}

void CLocationDlg::OnAddCity(HWND dialog) {
  TraceEnter("CLocationDlg::OnAddCity");
  const CCityInfo* selected = Selected(dialog);
  if (selected == nullptr) return;
  CAddCity add(selected, CAddCity::kAdd);
  if (add.DoModal(dialog) != IDOK) return;
  CCityInfo city = add.Record();
  std::vector<CCityInfo>& primary = m_lists.Primary();
  if (std::find(primary.begin(), primary.end(), city) != primary.end()) {
    ShowMessage(dialog, kAlreadyListed, MB_ICONERROR);
    return;
  }
  city.m_method = m_method;
  city.m_lineNumber = ++m_cityCount;
  m_changed = true;
  for (std::vector<CCityInfo>& list : m_lists.lists) list.push_back(city);
  LoadCitiesInCombo(dialog);
  SelectCity(dialog, city);
  UpdateDialogStateFromCombo(dialog, true);
  TakeZoneDaylight(dialog, city);
  TraceExit("CLocationDlg::OnAddCity");
}

void CLocationDlg::OnUpdateCity(HWND dialog) {
  TraceEnter("CLocationDlg::OnUpdateCity");
  const CCityInfo* entry = Selected(dialog);
  if (entry == nullptr) return;
  const CCityInfo selected = *entry;  // the entries go when the list is filled again
  CAddCity edit(&selected, CAddCity::kEdit);
  if (edit.DoModal(dialog) != IDOK) return;
  CCityInfo edited = edit.Record();
  std::vector<CCityInfo>& primary = m_lists.Primary();
  const auto at = std::find(primary.begin(), primary.end(), selected);
  if (at == primary.end()) return;
  const std::size_t i = static_cast<std::size_t>(at - primary.begin());
  for (std::size_t j = 0; j < primary.size(); ++j) {
    if (j != i && primary[j] == edited) {
      ShowMessage(dialog, kSameAsAnother, MB_ICONERROR);
      return;
    }
  }
  edited.m_method = m_method;
  edited.m_lineNumber = selected.m_lineNumber;
  m_changed = true;
  primary[i] = edited;
  // The other files may be shorter than the primary one: a record that is
  // not there is not replaced (nor written past the list's end).
  for (std::vector<CCityInfo>* list : {&m_lists.lists[1], &m_lists.lists[2]}) {
    if (i < list->size() && (*list)[i].m_lineNumber == edited.m_lineNumber) (*list)[i] = edited;
  }
  LoadCitiesInCombo(dialog);
  SelectCity(dialog, edited);
  UpdateDialogStateFromCombo(dialog, true);
  TakeZoneDaylight(dialog, edited);
  TraceExit("CLocationDlg::OnUpdateCity");
}

void CLocationDlg::OnRemoveCity(HWND dialog) {
  TraceEnter("CLocationDlg::OnRemoveCity");
  HWND combo = GetDlgItem(dialog, kCities);
  if (ComboBox_GetCount(combo) == 1) {
    ShowMessage(dialog, kOnlyCity, 0);
    return;
  }
  const int index = ComboBox_GetCurSel(combo);
  const CCityInfo* entry = Selected(dialog);
  if (entry == nullptr) return;
  const CCityInfo removed = *entry;
  m_changed = true;

  std::vector<CCityInfo>& primary = m_lists.Primary();
  const auto at = std::find(primary.begin(), primary.end(), removed);
  if (at != primary.end()) {
    for (auto after = primary.erase(at); after != primary.end(); ++after) --after->m_lineNumber;
  }
  for (std::vector<CCityInfo>* list : {&m_lists.lists[1], &m_lists.lists[2]}) {
    const auto same = std::find_if(list->begin(), list->end(),
                                   [&](const CCityInfo& city) { return city.m_lineNumber == removed.m_lineNumber; });
    if (same == list->end()) continue;
    for (auto after = list->erase(same); after != list->end(); ++after) --after->m_lineNumber;
  }
  --m_cityCount;
  // The user's city moves up a line when a city before it goes.
  if (m_userLine == removed.m_lineNumber) {
    m_userLine = 0;
  } else if (m_userLine > removed.m_lineNumber) {
    --m_userLine;
  }
  LoadCitiesInCombo(dialog);

  const int count = ComboBox_GetCount(combo);
  const int next = count <= 1 ? 0 : std::min(index, count - 1);
  ComboBox_SetCurSel(combo, next);
  UpdateDialogStateFromCombo(dialog, true);
  TraceExit("CLocationDlg::OnRemoveCity");
}

void CLocationDlg::OnAdvancedDayLight(HWND dialog) {
  TraceEnter("CLocationDlg::OnAdvancedDayLight");
  CDaylightDlg rule(m_rule.startDay, m_rule.startMonth, m_rule.endDay, m_rule.endMonth);
  if (rule.DoModal(dialog) == IDOK) {
    m_rule = DaylightRule{rule.m_startDay, rule.m_startMonth, rule.m_endDay, rule.m_endMonth};
  }
  TraceExit("CLocationDlg::OnAdvancedDayLight");
}

void CLocationDlg::TakeZoneDaylight(HWND dialog, const CCityInfo& city) {
  const std::optional<ZoneDaylight> zone = FindZoneDaylight(city, COleDate::Now().GetYear());
  if (!zone) return;
  CheckDlgButton(dialog, kDaylight, zone->observed ? BST_CHECKED : BST_UNCHECKED);
  if (zone->observed) m_rule = DaylightRule{zone->startDay, zone->startMonth, zone->endDay, zone->endMonth};
}

bool CLocationDlg::SaveCitiesFile(HWND dialog) {
  TraceEnter("CLocationDlg::SaveCitiesFile");
  CitySaveFailure failure;
  if (!SaveCityLists(m_lists, &failure)) {
    UINT reasonId = 0;
    switch (failure.error) {
      case ENOSPC:
      case EDQUOT:
        reasonId = kDiskFull;
        break;
      case EACCES:
      case EPERM:
      case EROFS:
        reasonId = kNotAllowed;
        break;
      default:
        break;
    }
    const char* reason = reasonId != 0 ? ui::FindString(ResourceInstance(), reasonId) : nullptr;
    const char* format = ui::FindString(ResourceInstance(), kNotSaved);
    const std::string text =
        text::FormatResource(format != nullptr ? format : "%s: %s", failure.fileName,
                             reason != nullptr ? std::string(reason)
                                               : std::generic_category().message(failure.error));
    ShowMessage(dialog, Utf8ToT(text), MB_ICONERROR);
    Trace("Exit Error CLocationDlg::SaveCitiesFile()");
    return false;
  }
  TraceExit("CLocationDlg::SaveCitiesFile");
  return true;
}

void CLocationDlg::OnOK(HWND dialog) {
  TraceEnter("CLocationDlg::OnOK");
  // The files first: when they cannot be written the dialog stays open and
  // the caller keeps what it had, for a city whose line is not in the file
  // would be read back as another city at the next start.
  if (m_changed && !SaveCitiesFile(dialog)) return;
  if (const CCityInfo* selected = Selected(dialog)) m_city.Copy(*selected);
  m_daylight = IsDlgButtonChecked(dialog, kDaylight) == BST_CHECKED;
  if (m_userLine != 0 && m_userLine != m_userLineAtStart) {
    for (const CCityInfo& city : m_lists.Primary()) {
      if (city.m_lineNumber == m_userLine) m_renumbered = city;
    }
  }
  CleanupCombo(dialog);
  TraceExit("CLocationDlg::OnOK");
  EndDialog(dialog, IDOK);
}

void CLocationDlg::OnCancel(HWND dialog) {
  TraceEnter("CLocationDlg::OnCancel");
  CleanupCombo(dialog);
  TraceExit("CLocationDlg::OnCancel");
  EndDialog(dialog, IDCANCEL);
}

void CLocationDlg::ShowMessage(HWND dialog, const tstring& text, UINT icon) {
  const UINT style = MB_OK | icon | (UILanguageID == 1025 ? MB_RTLREADING | MB_RIGHT : 0);
  MessageBox(dialog, text.c_str(), LoadText(kCaption).c_str(), style);
}

void CLocationDlg::ShowMessage(HWND dialog, UINT textId, UINT icon) { ShowMessage(dialog, LoadText(textId), icon); }

namespace {

std::string Utf8Text(const CityText& value) { return text::Utf16ToUtf8(value.value_or(u"")); }

}  // namespace

DialogResult ShowLocationDialog(const DialogRun& run) {
  AddinSettings& settings = run.store.Settings();
  CCityInfo city;
  if (!settings.location.empty()) city.GetInfoFromLine(settings.location.c_str());
  bool daylight = settings.daylight;
  DaylightRule rule{static_cast<int>(settings.daylightStartDay), static_cast<int>(settings.daylightStartMonth),
                    static_cast<int>(settings.daylightEndDay), static_cast<int>(settings.daylightEndMonth)};
  CLocationDlg dialog(city, daylight, rule, static_cast<int>(settings.method));
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return kDialogNotShown;
  if (result != IDOK) return kDialogCancelled;
  // The user's city under its new line number, when it stays the choice.
  if (dialog.RenumberedCity() && city == *dialog.RenumberedCity()) city = *dialog.RenumberedCity();

  tchar cityLine[CDataFileHandler::kWriteBufferSize] = {};
  city.GetLineFromInfo(cityLine, CDataFileHandler::kWriteBufferSize);
  tchar longitude[64] = {};
  tchar latitude[64] = {};
  city.FormatCoordinates(longitude, latitude, 64);
  char zone[32];
  std::snprintf(zone, sizeof zone, "%.6g", city.m_timeZone);
  std::string asLine = TToUtf8(cityLine);
  while (!asLine.empty() && (asLine.back() == '\n' || asLine.back() == '\r')) asLine.pop_back();
  const std::string lines[] = {
      "Name=" + Utf8Text(city.m_name),
      "State=" + Utf8Text(city.m_state),
      "Country=" + Utf8Text(city.m_country),
      "Latitude=" + TToUtf8(latitude),
      "Longitude=" + TToUtf8(longitude),
      std::string("TimeZone=") + zone,
  };
  for (const std::string& line : lines) run.PrintLine(line);

  settings.location = cityLine;
  settings.longitude = city.m_longitude;
  settings.latitude = city.m_latitude;
  settings.timeZone = city.m_timeZone;
  settings.daylight = daylight;
  settings.daylightStartDay = static_cast<DWORD>(rule.startDay);
  settings.daylightStartMonth = static_cast<DWORD>(rule.startMonth);
  settings.daylightEndDay = static_cast<DWORD>(rule.endDay);
  settings.daylightEndMonth = static_cast<DWORD>(rule.endMonth);
  settings.method = static_cast<DWORD>(city.m_method);
  // The prayer appointments already written are for the old place: the
  // add-in rewrites them at its next start (the host starts it now).
  settings.updatePending = true;
  run.store.SaveSettings();
  const std::pair<UINT, std::string> values[] = {
      {151, asLine},
      {149, daylight ? "1" : "0"},
      {145, std::to_string(rule.startDay)},
      {146, std::to_string(rule.startMonth)},
      {147, std::to_string(rule.endDay)},
      {148, std::to_string(rule.endMonth)},
      {144, std::to_string(city.m_method)},
  };
  for (const auto& [name, value] : values) run.PrintValue(name, value);
  return kDialogOkSaved;
}
