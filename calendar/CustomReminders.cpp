// Custom reminders: a short appointment every so many minutes between two
// times of each working day, all with the user's subject, marked 7.

#include "services/AutomationText.h"
#include "calendar/PrayerCalendar.h"
#include "services/TraceLog.h"
#include "calendar/CalendarQueries.h"

namespace {

// A custom reminder's mark in the fall-back's reading: its flag.
constexpr const char16_t* kCustomQuery = u"[PrayerNum] = 128";

constexpr DWORD kMinutesPerDay = 24 * 60;

// The hour and minute of a stored time as minutes since midnight; -1 for a
// value that is no date at all.
int MinuteOfDay(const COleDate& time) {
  if (!time.IsValid()) return -1;
  return time.GetHour() * 60 + time.GetMinute();
}

}  // namespace

HRESULT CPrayerCalendar::CheckCustomReminders(_Items* dayItems, bool removeUnselected) {
  TraceEnter("COutlookPrayer::CheckCustomReminders");
  AddinSettings& settings = Settings();
  const bool enabled = !m_dayOff && (settings.prayers & kCustomReminderFlag) != 0;
  if (!enabled && !removeUnselected && settings.customState != 2) {
    // Nothing to make, remove or remake: the day's reminders are not even
    // looked for. (On a store that cannot filter on the mark, the look-up
    // has no subject to go by before one is saved, and would fail the day.)
    TraceExit("COutlookPrayer::CheckCustomReminders");
    return S_OK;
  }
  if (settings.customState == 2) {
    // The times changed: the day's reminders are made again.
    ComPtr<_Items> old;
    if (HRESULT hr = ManualRestrict(dayItems, kCustomQuery, old.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    if (HRESULT hr = DeleteCustomReminders(old.Get()); FAILED(hr)) return hr;
  }
  ComPtr<_Items> reminders;
  if (HRESULT hr = ManualRestrict(dayItems, kCustomQuery, reminders.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  LONG count = 0;
  if (reminders) {
    if (HRESULT hr = reminders->get_Count(&count); FAILED(hr)) return hr;
  }
  ComPtr<IDispatch> existing;
  if (count > 0) {
    if (HRESULT hr = ManualFind(reminders.Get(), u"[PrayerNum] = 7", existing.ReleaseAndGetAddressOf()); FAILED(hr)) {
      return hr;
    }
  }
  if (enabled && !existing) {
    // The day is Zuhr's, which always falls on the date: Fajr may lie before
    // midnight, on the day before, or have no time at all. A day with
    // neither gets no series.
    COleDate day(kInvalidDate);
    if (HRESULT hr = GetStart(2, &day); FAILED(hr)) return hr;
    if (!day.IsValid()) {
      if (HRESULT hr = GetStart(0, &day); FAILED(hr)) return hr;
    }
    if (HRESULT hr = CreateCustomReminders(day); FAILED(hr)) return hr;
  } else if (removeUnselected && existing && !enabled) {
    if (HRESULT hr = DeleteCustomReminders(reminders.Get()); FAILED(hr)) return hr;
  }
  TraceExit("COutlookPrayer::CheckCustomReminders");
  return S_OK;
}

HRESULT CPrayerCalendar::CreateCustomReminders(const COleDate& day) {
  TraceEnter("COutlookPrayer::CreateCustomReminders");
  const AddinSettings& settings = Settings();
  // The series is counted in whole minutes of the day, so that it always
  // ends: the stored times and interval may be anything a settings editor
  // left (an unset time, an interval of nothing, an end before the start),
  // and a day that could not be computed makes no reminder at all.
  const int from = MinuteOfDay(settings.customFrom);
  const int to = MinuteOfDay(settings.customTo);
  const DWORD interval = settings.customInterval;
  // One reminder that cannot be saved does not stop the others; the day
  // reports it.
  HRESULT failure = S_OK;
  if (day.IsValid() && from >= 0 && to >= 0 && interval != 0) {
    const COleDate midnight(day.GetYear(), day.GetMonth(), day.GetDay(), 0, 0, 0);
    const COleDate now = COleDate::Now();
    const std::u16string subject = ToWide(settings.customSubject);
    // A reminder exactly at the end time is made too.
    for (DWORD minute = static_cast<DWORD>(from); minute <= static_cast<DWORD>(to); minute += interval) {
      const COleDate t = midnight + COleDateSpan(0, static_cast<int>(minute / 60), static_cast<int>(minute % 60), 0);
      if (t > now) {
        if (HRESULT hr = AddCustomReminderItem(t, subject); FAILED(hr) && SUCCEEDED(failure)) failure = hr;
      }
      if (interval > kMinutesPerDay) break;  // the next step would leave the day
    }
  }
  if (FAILED(failure)) return failure;
  TraceExit("COutlookPrayer::CreateCustomReminders");
  return S_OK;
}

HRESULT CPrayerCalendar::AddCustomReminderItem(const COleDate& start, const std::u16string& subject) {
  ComPtr<IDispatch> created;
  _Application* application = m_context.Application();
  if (application == nullptr) return E_POINTER;
  if (HRESULT hr = application->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  ComPtr<_AppointmentItem> item;
  if (!created || FAILED(created.As(&item)) || !item) return E_NOINTERFACE;
  const AddinSettings& settings = Settings();
  CComBSTR text{std::u16string_view(subject)};
  HRESULT hr = item->put_Start(start);
  if (SUCCEEDED(hr)) hr = item->put_End(start + COleDateSpan(0, 0, 1, 0));
  if (SUCCEEDED(hr)) hr = item->put_BusyStatus(static_cast<LONG>(settings.busyStatus));
  if (SUCCEEDED(hr)) hr = item->put_ReminderSet(settings.reminder ? VARIANT_TRUE : VARIANT_FALSE);
  if (SUCCEEDED(hr)) hr = item->put_ReminderMinutesBeforeStart(0);
  if (SUCCEEDED(hr)) hr = item->put_Subject(text.Get());
  if (FAILED(hr)) return hr;
  if (hr = AddProperty(item.Get(), u"PrayerNum", olNumber, CComVariant::I4(7)); FAILED(hr)) return hr;
  return item->Save();
}

HRESULT CPrayerCalendar::DeleteCustomReminders(_Items* items) {
  if (items == nullptr) return S_OK;
  LONG count = 0;
  if (HRESULT hr = items->get_Count(&count); FAILED(hr)) return hr;
  for (LONG position = count; position >= 1; --position) {
    ComPtr<IDispatch> item;
    if (HRESULT hr = items->Item(CComVariant::I4(position), item.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    if (HRESULT hr = DeleteAppointment(item.Get()); FAILED(hr)) return hr;
  }
  return S_OK;
}
