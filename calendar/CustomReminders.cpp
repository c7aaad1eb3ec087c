// Custom reminders: a short appointment every so many minutes between two
// times of each working day, all with the user's subject, marked 7.

#include "addin/AutomationText.h"
#include "addin/OutlookPrayer.h"
#include "addin/TraceLog.h"
#include "calendar/CalendarQueries.h"

namespace {

// A custom reminder's mark in the fall-back's reading: its flag.
constexpr const char16_t* kCustomQuery = u"[PrayerNum] = 128";

}  // namespace

HRESULT COutlookPrayer::CheckCustomReminders(_Items* dayItems, bool removeUnselected) {
  TraceEnter("COutlookPrayer::CheckCustomReminders");
  AddinSettings& settings = Settings();
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
  const bool enabled = (settings.prayers & kCustomReminderFlag) != 0;
  if (enabled && !existing) {
    COleDate fajr(kInvalidDate);
    if (HRESULT hr = GetStart(0, &fajr); FAILED(hr)) return hr;
    if (HRESULT hr = CreateCustomReminders(COleDate(fajr.GetYear(), fajr.GetMonth(), fajr.GetDay(), 0, 0, 0));
        FAILED(hr)) {
      return hr;
    }
  } else if (removeUnselected && existing && !enabled) {
    if (HRESULT hr = DeleteCustomReminders(reminders.Get()); FAILED(hr)) return hr;
  }
  TraceExit("COutlookPrayer::CheckCustomReminders");
  return S_OK;
}

HRESULT COutlookPrayer::CreateCustomReminders(const COleDate& day) {
  TraceEnter("COutlookPrayer::CreateCustomReminders");
  const AddinSettings& settings = Settings();
  COleDate t = day + COleDateSpan(0, settings.customFrom.GetHour(), settings.customFrom.GetMinute(), 0);
  // Second 1, so that a reminder exactly at the end time is made.
  const COleDate end(day.GetYear(), day.GetMonth(), day.GetDay(), settings.customTo.GetHour(),
                     settings.customTo.GetMinute(), 1);
  const COleDate now = COleDate::Now();
  const COleDateSpan step(0, static_cast<int>(settings.customInterval / 60), static_cast<int>(settings.customInterval % 60), 0);
  // An interval of nothing would never reach the end.
  if (settings.customInterval != 0) {
    for (; t <= end; t += step) {
      if (t > now) AddCustomReminderItem(t, ToWide(settings.customSubject));
    }
  }
  TraceExit("COutlookPrayer::CreateCustomReminders");
  return S_OK;
}

HRESULT COutlookPrayer::AddCustomReminderItem(const COleDate& start, const std::u16string& subject) {
  ComPtr<IDispatch> created;
  if (HRESULT hr = m_application->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
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

HRESULT COutlookPrayer::DeleteCustomReminders(_Items* items) {
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
