// When the calendar is brought up to date: once when Outlook has started
// (with the first-run step and the clean-up of past prayers), on every
// reminder of one of the add-in's appointments, and one prayer at a time in
// the next-prayer-only mode.

#include "addin/OutlookPrayer.h"

#include "services/AutomationText.h"
#include "services/TraceLog.h"
#include "services/UILocale.h"
#include "calendar/CalendarQueries.h"
#include "platform/text/TextConvert.h"

namespace {

constexpr DWORD kPrescheduleNextOnly = 255;


}  // namespace

HRESULT COutlookPrayer::OnStartup() {
  TraceEnter("COutlookPrayer::OnStartup");
  if (!m_uiPresent) return S_FALSE;
  CheckFirstEntryTime();
  m_store.UpdateCalcSettings(m_calculator.Get());
  FindTimeInfo(COleDate::Now());
  AddinSettings& settings = Settings();
  if ((settings.startupCleanup & 1) != 0) {
    const std::u16string filter = u"[PrayerNum] <= 191 AND [Start] <= \"" + ToWide(FormatDate(COleDate::Now())) + u"\"";
    const COleDate lastDate = settings.lastDate;
    if (HRESULT hr = m_prayerCalendar.RestrictOperation(m_calendarItems.Get(), filter, CPrayerCalendar::kModeDelete, nullptr, true, true); FAILED(hr)) {
      return hr;
    }
    settings.lastDate = lastDate;
    settings.lastCleanup = g_timeInfo.periodEnd;
    m_store.SaveSettings();
  }
  if (settings.prayers != 0) {
    const HRESULT hr = settings.prescheduleDays == kPrescheduleNextOnly ? GenerateNext(false)
                                                                         : m_prayerCalendar.Precalculate(false, true, false, true);
    if (FAILED(hr)) return hr;
  }
  TraceExit("COutlookPrayer::OnStartup");
  return S_OK;
}

void COutlookPrayer::CheckFirstEntryTime() {
  AddinSettings& settings = Settings();
  if (!settings.firstRun || !m_calendar) return;
  // One item made and deleted puts PrayerNum among the calendar's fields, so
  // that the filters on it work from the first query on.
  ComPtr<IDispatch> created;
  if (FAILED(m_application->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf())) || !created) return;
  ComPtr<_AppointmentItem> item;
  if (FAILED(created.As(&item)) || !item) return;
  CPrayerCalendar::AddProperty(item.Get(), u"PrayerNum", olNumber, CComVariant::I4(0));
  item->Save();
  m_prayerCalendar.DeleteAppointment(item.Get());
  settings.firstRun = false;
  m_store.SaveSettings();
}

HRESULT COutlookPrayer::GenerateNext(bool force) {
  TraceEnter("COutlookPrayer::GenerateNext");
  if (HRESULT hr = m_prayerCalendar.CheckCity(); FAILED(hr)) return hr;
  AddinSettings& settings = Settings();
  const COleDate lookAhead = COleDate::Now() + COleDateSpan(0, 0, static_cast<int>(settings.reminderMinutes + 5), 0);
  if (HRESULT hr = FindTimeInfo(lookAhead); FAILED(hr)) return hr;
  COleDate day = lookAhead;
  if (HRESULT hr = m_calculator->Recalc(day); FAILED(hr)) return hr;
  DATE isha = 0;
  m_calculator->get_Isha(&isha);
  if (lookAhead > COleDate(isha)) {
    day += COleDateSpan(1, 0, 0, 0);
    if (HRESULT hr = m_calculator->Recalc(day); FAILED(hr)) return hr;
  }
  int index = g_timeInfo.position == 1 ? CPrayerCalendar::PrayConvert(static_cast<PrayerFlags>(g_timeInfo.currentPrayer)) + 1 : 0;
  m_prayerCalendar.FetchWorkingDays();
  for (int tries = 0; tries < 42; ++tries) {
    DWORD flag = CPrayerCalendar::PrayConvert(index);
    if (day.GetDayOfWeek() == 6 && flag == kZuhrFlag) flag |= kFridayFlag;
    if ((flag & settings.prayers) != 0) {
      COleDate start(kInvalidDate);
      GetStart(index, &start);
      if (start > settings.lastNext || force) {
        // The prayer's own day decides whether it is a working day: it is the
        // day the appointment would stand on (the look-ahead instant may still
        // be the evening before). The prayer is not written twice: the last
        // next-prayer time can be older than what the calendar holds (the
        // start-up clean-up sets it back a day).
        bool exists = false;
        if (m_prayerCalendar.IsDayWorkingDay(start.GetDayOfWeek(), m_prayerCalendar.WorkingDays()) && SUCCEEDED(HasAppointment(index, start, &exists)) &&
            !exists) {
          m_prayerCalendar.CreateAppointment(index);
        }
        settings.lastNext = start;
        m_store.SaveSettings();
      }
      break;
    }
    index = (index + 1) % 6;
    if (index == 0) {
      day += COleDateSpan(1, 0, 0, 0);
      if (HRESULT hr = m_calculator->Recalc(day); FAILED(hr)) return hr;
    }
  }
  TraceExit("COutlookPrayer::GenerateNext");
  return S_OK;
}

HRESULT COutlookPrayer::HasAppointment(int index, const COleDate& start, bool* exists) {
  *exists = false;
  const COleDate dayStart(start.GetYear(), start.GetMonth(), start.GetDay(), 0, 0, 0);
  ComPtr<_Items> day;
  if (HRESULT hr = ManualRestrict(m_calendarItems.Get(), CPrayerCalendar::DayFilter(dayStart), day.ReleaseAndGetAddressOf()); FAILED(hr)) {
    return hr;
  }
  if (!day) return S_OK;
  const int mark = index == 6 ? 2 : index;
  ComPtr<IDispatch> found;
  if (HRESULT hr = ManualFind(day.Get(), u"[PrayerNum] = " + text::Utf8ToUtf16(std::to_string(mark)),
                              found.ReleaseAndGetAddressOf());
      FAILED(hr)) {
    return hr;
  }
  *exists = static_cast<bool>(found);
  return S_OK;
}

HRESULT COutlookPrayer::OnReminder(IDispatch* object) {
  if (!m_uiPresent || !m_calendarAvailable) return S_FALSE;
  ComPtr<_AppointmentItem> item;
  if (object == nullptr || FAILED(object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress()))) {
    return E_NOINTERFACE;
  }
  CComVariant custom;
  custom.vt = VT_I2;
  custom.iVal = -1;
  CComVariant value;
  if (HRESULT hr = CPrayerCalendar::GetPropertyValue(item.Get(), u"PrayerNum", custom, &value); FAILED(hr) || hr == -1) {
    return FAILED(hr) ? hr : E_FAIL;  // not one of the add-in's items
  }
  FindTimeInfo(COleDate::Now());
  return Settings().prescheduleDays == kPrescheduleNextOnly ? GenerateNext(false)
                                                            : m_prayerCalendar.Precalculate(false, true, false, false);
}
