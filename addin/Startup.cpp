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
  // Written with another rule, or before times stood on their own day: set
  // right first, so that the update below reads each item's own day.
  if (m_calculator) {
    if (HRESULT hr = m_prayerCalendar.ApplyHighLatitudeRule(); FAILED(hr)) return hr;
  }
  // An Apply of the options page that changed the days ahead or the prayers
  // was stopped half way: what lies past the window goes first, as Apply
  // does it, and the window is written again below.
  const bool nextOnly = settings.prescheduleDays == kPrescheduleNextOnly;
  if (settings.rebuildPending) {
    std::u16string filter = u"[PrayerNum] <= 191";
    if (!nextOnly) {
      const COleDate windowEnd = COleDate::Now() + COleDateSpan(static_cast<double>(settings.prescheduleDays));
      filter += u" AND [Start] >= \"" + ToWide(FormatDate(windowEnd)) + u"\"";
    }
    if (HRESULT hr = m_prayerCalendar.RestrictOperation(m_calendarItems.Get(), filter, CPrayerCalendar::kModeDelete, nullptr, true, true); FAILED(hr)) {
      return hr;
    }
  }
  if (settings.updatePending) {
    // The settings changed while the add-in was not running (a city chosen
    // with `orvane dialog location`), or an Apply of the options page was
    // stopped before it rewrote them: the appointments already written are
    // rewritten for them; past prayers keep what they had. The mark stays
    // until that is done, so a start that fails here tries again next time.
    if (HRESULT hr = m_prayerCalendar.RestrictOperation(m_calendarItems.Get(), u"[PrayerNum] <= 191", CPrayerCalendar::kModeUpdate, nullptr, true, true); FAILED(hr)) {
      return hr;
    }
    settings.updatePending = false;
    m_store.SaveSettings();
  }
  if (settings.rebuildPending && !nextOnly && settings.prescheduleDays != 0) {
    // The whole window again, without the prayers no longer chosen.
    settings.lastDate = g_timeInfo.periodStart;
    if (HRESULT hr = m_prayerCalendar.Precalculate(true, false, false, true); FAILED(hr)) return hr;
  }
  if (settings.rebuildPending) {
    settings.rebuildPending = false;
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
  if (!m_calculator) return E_UNEXPECTED;
  if (HRESULT hr = m_prayerCalendar.ApplyHighLatitudeRule(); FAILED(hr)) return hr;
  const COleDate lookAhead = COleDate::Now() + COleDateSpan(0, 0, static_cast<int>(settings.reminderMinutes + 5), 0);
  if (HRESULT hr = FindTimeInfo(lookAhead); FAILED(hr)) return hr;
  // The first prayer after the look-ahead instant, on the date it belongs
  // to: the evening before's Isha may still lie ahead after midnight, and
  // the next date's Fajr may come before midnight.
  COleDate day = lookAhead - COleDateSpan(1, 0, 0, 0);
  int index = 0;
  if (HRESULT hr = m_calculator->Recalc(day); FAILED(hr)) return hr;
  for (int passed = 0; passed < 18; ++passed) {
    COleDate start(kInvalidDate);
    GetStart(index, &start);
    if (start.IsValid() && start > lookAhead) break;
    index = (index + 1) % 6;
    if (index == 0) {
      day += COleDateSpan(1, 0, 0, 0);
      if (HRESULT hr = m_calculator->Recalc(day); FAILED(hr)) return hr;
    }
  }
  m_prayerCalendar.FetchWorkingDays();
  for (int tries = 0; tries < 42; ++tries) {
    DWORD flag = CPrayerCalendar::PrayConvert(index);
    if (day.GetDayOfWeek() == 6 && flag == kZuhrFlag) flag |= kFridayFlag;
    if ((flag & settings.prayers) != 0) {
      COleDate start(kInvalidDate);
      GetStart(index, &start);
      if (start > settings.lastNext || force) {
        // The prayer's own date decides whether it is a working day, as it
        // does for the fill (the look-ahead instant may still be the evening
        // before, and an Isha after midnight belongs to the evening before).
        // The prayer is not written twice: the last next-prayer time can be
        // older than what the calendar holds (the start-up clean-up sets it
        // back a day).
        bool exists = false;
        if (m_prayerCalendar.IsDayWorkingDay(day.GetDayOfWeek(), m_prayerCalendar.WorkingDays()) && SUCCEEDED(HasAppointment(index, start, &exists)) &&
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
  ComPtr<IDispatch> found;
  if (HRESULT hr = m_prayerCalendar.FindOwnAppointment(nullptr, index, start, found.ReleaseAndGetAddressOf());
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
