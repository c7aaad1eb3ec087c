// What the tool bar's Generate and Delete buttons do, and the check they
// share: whether the calendar holds any of the add-in's items.

#include "services/AutomationText.h"
#include "addin/OutlookPrayer.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "calendar/CalendarQueries.h"
#include "locations/CityInfo.h"
#include "timetable/TimetableFile.h"
#include "platform/ui/Resources.h"

namespace {

constexpr DWORD kPrescheduleNextOnly = 255;

}  // namespace

HRESULT COutlookPrayer::IsTherePrayerAppointments(bool* any) {
  TraceEnter("COutlookPrayer::IsTherePrayerAppointments");
  ComPtr<_Items> found;
  if (HRESULT hr = ManualRestrict(m_calendarItems.Get(), u"[PrayerNum] <= 191", found.ReleaseAndGetAddressOf());
      FAILED(hr)) {
    return hr;
  }
  LONG count = 0;
  if (found) {
    if (HRESULT hr = found->get_Count(&count); FAILED(hr)) return hr;
  }
  *any = count > 0;
  TraceExit("COutlookPrayer::IsTherePrayerAppointments");
  return S_OK;
}

void COutlookPrayer::ShowCommandMessage(UINT id) {
  tchar text[1025] = {};
  LoadString(ResourceInstance(), id, text, 1025);
  // The explorer's window would own it; this host's explorers have none, so
  // the box stands on its own.
  MessageBox(nullptr, text, TEXT("Microsoft Outlook"), MB_ICONINFORMATION);
}

HRESULT COutlookPrayer::GenerateCommand() {
  bool any = false;
  if (HRESULT hr = IsTherePrayerAppointments(&any); FAILED(hr)) return hr;
  AddinSettings& settings = Settings();
  if (any) {
    ShowCommandMessage(332);  // delete first: the calendar is not regenerated over itself
  } else if (settings.prayers == 0) {
    ShowCommandMessage(333);
  } else if (settings.prescheduleDays != 0) {
    FindTimeInfo(COleDate::Now());
    if (settings.prescheduleDays == kPrescheduleNextOnly) return GenerateNext(true);
    // A walk whose days could not be filled is reported, not taken for done.
    return m_prayerCalendar.Precalculate(false, false, true, true);
  } else {
    ShowCommandMessage(334);
  }
  return S_OK;
}

HRESULT COutlookPrayer::DeleteCommand() {
  bool any = false;
  if (HRESULT hr = IsTherePrayerAppointments(&any); FAILED(hr)) return hr;
  if (any) return m_prayerCalendar.Delete();
  ShowCommandMessage(331);
  return S_OK;
}

HRESULT COutlookPrayer::ImsakyyaCommand() {
  TraceEnter("COutlookPrayer::ImsakyyaCommand");
  const AddinSettings& settings = Settings();
  CCityInfo city;
  if (settings.location.empty() || city.GetInfoFromLine(settings.location.c_str()) == 0) return S_OK;
  // The failure goes back to whoever pressed the button (Outlook ignores it).
  if (HRESULT hr = WriteAndOpenTimetable(nullptr, settings, m_calculator.Get(), city); FAILED(hr)) return hr;
  TraceExit("COutlookPrayer::ImsakyyaCommand");
  return S_OK;
}
